// The hold on deletions seen in a watched folder: each reaches the receiver
// only after the hold, in order; those of a folder that went are dropped, and
// a folder made again at the same path is not the same folder.
#include "DeletionHold.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <mutex>
#include <vector>

namespace {

using namespace std::chrono_literals;

class DeletionHoldTest : public ::testing::Test {
protected:
    void Start(std::chrono::milliseconds hold) {
        this->hold = std::make_unique<DeletionHold>(hold);
        this->hold->Start([this](const HeldDeletion& held) {
            std::lock_guard<std::mutex> lock(m_lock);
            received.push_back((held.folder + "/" + held.fileName).utf8_string());
            late.push_back(std::chrono::steady_clock::now() >= held.due);
        });
    }
    std::vector<std::string> Received() {
        std::lock_guard<std::mutex> lock(m_lock);
        return received;
    }

    FileIdentity any;
    std::unique_ptr<DeletionHold> hold;
    std::mutex m_lock;
    std::vector<std::string> received;
    std::vector<bool> late;
};

TEST_F(DeletionHoldTest, DeletionsArriveAfterTheHoldInTheOrderSeen) {
    Start(200ms);
    const auto start = std::chrono::steady_clock::now();
    hold->Hold("/x/Scans", "A.PDF", any);
    hold->Hold("/x/Scans", "B.PDF", any);
    EXPECT_TRUE(Received().empty());
    ASSERT_TRUE(veqtest::WaitFor([&] { return Received().size() == 2; }, std::chrono::seconds(10)));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 200ms);
    EXPECT_EQ(Received(), (std::vector<std::string>{"/x/Scans/A.PDF", "/x/Scans/B.PDF"}));
    EXPECT_EQ(late, (std::vector<bool>{true, true}));
}

TEST_F(DeletionHoldTest, AFolderThatWentTakesItsHeldDeletionsAndThoseBelowIt) {
    Start(5000ms);
    hold->Hold("/x/Scans", "A.PDF", any);
    hold->Hold("/x/Scans/Photos", "Photos_1.JPEG", any);
    hold->Hold("/x/Scans2", "B.PDF", any);
    EXPECT_EQ(hold->DropIn("/x/Scans"), 2u);
    // What the stop drops is counted; nothing reaches the receiver after it.
    EXPECT_EQ(hold->Stop(), 1u);
    hold->Hold("/x/Scans2", "C.PDF", any);
    EXPECT_TRUE(Received().empty());
}

TEST(DeletionHoldFolder, OnlyTheVeryFolderWatchedIsTheSame) {
    veqtest::TempDir box;
    const std::string folder = box / "Mapped";
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    const FileIdentity watched = *FolderIdentity(wxString::FromUTF8(folder));
    EXPECT_TRUE(DeletionHold::SameFolder(wxString::FromUTF8(folder), watched));
    EXPECT_TRUE(DeletionHold::SameFolder(wxString::FromUTF8(folder + "/"), watched));

    // Moved away and made again: a folder of the same path, but another one.
    ASSERT_EQ(::rename(folder.c_str(), (box / "Away").c_str()), 0);
    EXPECT_FALSE(DeletionHold::SameFolder(wxString::FromUTF8(folder), watched));
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    EXPECT_FALSE(DeletionHold::SameFolder(wxString::FromUTF8(folder), watched));
    // A link at the path to the old folder leads to the same folder.
    ASSERT_EQ(::rmdir(folder.c_str()), 0);
    ASSERT_EQ(::symlink((box / "Away").c_str(), folder.c_str()), 0);
    EXPECT_TRUE(DeletionHold::SameFolder(wxString::FromUTF8(folder), watched));
    // A file there is no folder.
    ASSERT_EQ(::unlink(folder.c_str()), 0);
    veqtest::WriteFile(folder, "x");
    EXPECT_FALSE(DeletionHold::SameFolder(wxString::FromUTF8(folder), watched));
}

}  // namespace
