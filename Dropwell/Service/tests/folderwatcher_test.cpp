// The folder watcher on real folders: which changes reach the service core and
// which do not, and how watches of mapped folders begin and end.
#include "FolderWatcher.h"
#include "VEQHelper.h"

#include "WatchTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

namespace {

class RecordingSink : public FolderWatcherSink {
public:
    int modified = 0;
    std::vector<std::pair<std::string, std::string>> deleted;  // folder, file name
    std::function<void()> onDeleted;
    std::vector<std::string> gone;

    void DropwellModified() override { ++modified; }
    std::vector<FileIdentity> identities;  // of each deletion's folder

    void JobDeletedFromFolder(const wxString& folder, const wxString& fileName,
                              const FileIdentity& identity) override {
        deleted.emplace_back(folder.utf8_string(), fileName.utf8_string());
        identities.push_back(identity);
        if (onDeleted) onDeleted();
    }
    void WatchedFolderGone(const wxString& folder) override { gone.push_back(folder.utf8_string()); }
};

class FolderWatcherTest : public ::testing::Test {
protected:
    void SetUp() override {
        wxString folder;
        VEQHelper::GetPasswordFilePath(folder, true);
        serviceFolder = folder.utf8_string();
        mapped = dir / "Mapped Scans";
        watchtest::MakeDir(mapped);
        watcher->SetSink(&sink);
    }
    void TearDown() override {
        watcher->SetSink(nullptr);
        watcher->RemoveAll();
    }
    // Turns of the read loop until one finds nothing.
    void ReadAll() {
        while (watcher->ReadEventsOnce(300) > 0) {
        }
    }
    int Watched() const { return watcher->GetWatchedPathsCount(); }
    std::string Signal(const std::string& folder) const {
        return folder + "/" + FolderWatcher::SignalFileName.utf8_string();
    }

    FolderWatcher* watcher = FolderWatcher::GetInstance();
    RecordingSink sink;
    veqtest::TempDir dir;
    std::string serviceFolder, mapped;
};

TEST_F(FolderWatcherTest, TheSignalFileInTheServiceFolderReloadsOnceAndIsRemoved) {
    watcher->AddEntry(serviceFolder);
    watcher->AddEntry(mapped);
    veqtest::WriteFile(Signal(serviceFolder), "");
    ReadAll();
    EXPECT_EQ(sink.modified, 1);
    EXPECT_FALSE(veqtest::FileExists(Signal(serviceFolder)));
    EXPECT_TRUE(sink.deleted.empty()) << "its removal is no job deletion";
}

TEST_F(FolderWatcherTest, AServiceFolderThatIsDeletedIsMadeAndWatchedAgain) {
    watcher->AddEntry(serviceFolder);
    ASSERT_EQ(rmdir(serviceFolder.c_str()), 0);
    ReadAll();
    ASSERT_TRUE(wxDirExists(serviceFolder));
    EXPECT_EQ(Watched(), 1);
    veqtest::WriteFile(Signal(serviceFolder), "");
    ReadAll();
    EXPECT_EQ(sink.modified, 1);
    EXPECT_TRUE(sink.deleted.empty());
}

TEST_F(FolderWatcherTest, FilesThatOnlyLookLikeTheSignalDoNothing) {
    watcher->AddEntry(serviceFolder);
    watcher->AddEntry(mapped);
    const std::string lookalikes[] = {Signal(mapped), serviceFolder + "/veqfmwatch_100804659.txt",
                                      serviceFolder + "/VEQFMWATCH_100804659.TXT"};
    for (const std::string& path : lookalikes) veqtest::WriteFile(path, "");
    ReadAll();
    EXPECT_EQ(sink.modified, 0);
    for (const std::string& path : lookalikes) EXPECT_TRUE(veqtest::FileExists(path)) << path;
}

TEST_F(FolderWatcherTest, ASignalLeftFromBeforeTheStartIsRemovedSoTheNextOneIsSeen) {
    veqtest::WriteFile(Signal(serviceFolder), "");
    watcher->AddEntry(serviceFolder);
    EXPECT_FALSE(veqtest::FileExists(Signal(serviceFolder)));
    ReadAll();
    EXPECT_EQ(sink.modified, 0);
    veqtest::WriteFile(Signal(serviceFolder), "");
    ReadAll();
    EXPECT_EQ(sink.modified, 1);
}

TEST_F(FolderWatcherTest, ADeletedFileReachesTheCoreWithItsFolderAndName) {
    veqtest::WriteFile(mapped + "/Invoice.PDF", "x");
    veqtest::WriteFile(serviceFolder + "/VEQ_Dropwell.xml", "<Dropwell/>");
    watcher->AddEntry(serviceFolder);
    watcher->AddEntry(mapped);
    watchtest::Remove(mapped + "/Invoice.PDF");
    watchtest::Remove(serviceFolder + "/VEQ_Dropwell.xml");
    ReadAll();
    EXPECT_EQ(sink.deleted, (std::vector<std::pair<std::string, std::string>>{{mapped, "Invoice.PDF"}}));
}

TEST_F(FolderWatcherTest, ADeletionCarriesItsFolderAsItWasWhenTheWatchBegan) {
    // The core compares it with the folder after a moment: a folder replaced
    // meanwhile (a new folder at the old path) must not pass for the old one.
    veqtest::WriteFile(mapped + "/Scan.PDF", "x");
    watcher->AddEntry(mapped);
    const std::optional<FileIdentity> watched = FolderIdentity(wxString::FromUTF8(mapped));
    ASSERT_TRUE(watched);
    const std::string elsewhere = dir / "Elsewhere";
    watchtest::MakeDir(elsewhere);
    watchtest::Remove(mapped + "/Scan.PDF");
    ReadAll();
    ASSERT_EQ(sink.identities.size(), 1u);
    EXPECT_TRUE(sink.identities[0].Matches(*watched));
    EXPECT_FALSE(sink.identities[0].Matches(*FolderIdentity(wxString::FromUTF8(elsewhere))));
}

TEST_F(FolderWatcherTest, AJobFileDeletedTheMomentItWasPlacedReachesTheCoreOnce) {
    // However the service writes the mapped folder's path, and however the
    // user's deletion and the reads of the folder fall around the placement,
    // the placed file's deletion reaches the core exactly once; a folder that
    // is not watched, or a placement that failed, gives none.
    const std::string other = dir / "Unwatched";
    watchtest::MakeDir(other);
    watcher->AddEntry(mapped);
    const struct {
        const char* what;
        std::string written;
        bool placed;
        bool deletedBeforeSettled;
        bool readBeforeSettled;
    } cases[] = {
        {"deleted after the placement", mapped, true, false, false},
        {"written with a separator", mapped + "/", true, false, false},
        {"deleted before the placement was over", mapped, true, true, false},
        {"deleted and the folder read before the placement was over", mapped, true, true, true},
        {"placement failed", mapped, false, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sink.deleted.clear();
        watcher->FileComing(c.written, "Scan.PDF");
        watcher->FileComing(other, "Scan.PDF");
        veqtest::WriteFile(mapped + "/Scan.PDF", "x");
        veqtest::WriteFile(other + "/Scan.PDF", "x");
        const auto remove = [&] {
            watchtest::Remove(mapped + "/Scan.PDF");
            watchtest::Remove(other + "/Scan.PDF");
        };
        if (c.deletedBeforeSettled) remove();
        if (c.readBeforeSettled) ReadAll();
        watcher->FileSettled(c.written, "Scan.PDF", c.placed);
        watcher->FileSettled(other, "Scan.PDF", c.placed);
        if (!c.deletedBeforeSettled) remove();
        ReadAll();
        const std::vector<std::pair<std::string, std::string>> expected =
            c.placed ? std::vector<std::pair<std::string, std::string>>{{mapped, "Scan.PDF"}}
                     : std::vector<std::pair<std::string, std::string>>{};
        EXPECT_EQ(sink.deleted, expected);
    }
}

TEST_F(FolderWatcherTest, AMappedFolderDeletedOrMovedAwayIsReportedAndWatchedAgainWhenAdded) {
    const struct {
        const char* how;
        bool moved;
    } cases[] = {{"deleted", false}, {"moved away", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        sink.gone.clear();
        sink.deleted.clear();
        watcher->AddEntry(mapped);
        if (c.moved) {
            ASSERT_EQ(::rename(mapped.c_str(), (dir / "Trash").c_str()), 0);
        } else {
            ASSERT_EQ(::rmdir(mapped.c_str()), 0);
        }
        ReadAll();
        EXPECT_EQ(sink.gone, std::vector<std::string>{mapped});
        EXPECT_EQ(Watched(), 0);
        // Made again at the same path, the folder is watched afresh.
        watchtest::MakeDir(mapped);
        veqtest::WriteFile(mapped + "/Invoice.PDF", "x");
        watcher->AddEntry(mapped);
        ReadAll();
        watchtest::Remove(mapped + "/Invoice.PDF");
        if (c.moved) veqtest::WriteFile(dir / "Trash/Old.PDF", "x"), watchtest::Remove(dir / "Trash/Old.PDF");
        ReadAll();
        EXPECT_EQ(sink.deleted, (std::vector<std::pair<std::string, std::string>>{{mapped, "Invoice.PDF"}}));
        watcher->RemoveEntry(mapped);
        if (c.moved) watchtest::Remove(dir / "Trash");
    }
}

TEST_F(FolderWatcherTest, CreatedFilesInMappedFoldersDoNothing) {
    watcher->AddEntry(mapped);
    veqtest::WriteFile(mapped + "/New.pdf", "x");
    ReadAll();
    EXPECT_EQ(sink.modified, 0);
    EXPECT_TRUE(sink.deleted.empty());
}

TEST_F(FolderWatcherTest, AFolderIsWatchedOnceHoweverItIsWritten) {
    watcher->AddEntry(mapped);
    watcher->AddEntry(mapped + "/");
    watcher->AddEntry(dir.Path() + "/./Mapped Scans");
    watcher->AddEntry(dir / "Missing");
    watcher->AddEntry("");
    EXPECT_EQ(Watched(), 1);
    EXPECT_EQ(watchtest::Occurrences(watchtest::LogText(), "already in watch list"), 0);

    // On a file system that tells letter case apart, another case is another folder.
    const std::string other = dir / "MAPPED SCANS";
    watchtest::MakeDir(other);
    watcher->AddEntry(other);
    EXPECT_EQ(Watched(), 2);
}

TEST_F(FolderWatcherTest, RemovingAFolderThatIsNotWatchedIsSilent) {
    watcher->RemoveEntry(mapped);
    watcher->RemoveEntry("");
    EXPECT_EQ(watchtest::LogText().find("does not exist"), std::string::npos);
}

TEST_F(FolderWatcherTest, AFolderIsForgottenWhetherOrNotItStillExists) {
    watcher->AddEntry(mapped);
    watcher->RemoveEntry(mapped + "/");
    EXPECT_EQ(Watched(), 0);

    watcher->AddEntry(mapped);
    ASSERT_EQ(rmdir(mapped.c_str()), 0);
    watcher->RemoveEntry(mapped);  // before the read loop has seen it go
    EXPECT_EQ(Watched(), 0);
}

TEST_F(FolderWatcherTest, AMappedFolderMadeAgainIsWatchedAgain) {
    watcher->AddEntry(mapped);
    ASSERT_EQ(rmdir(mapped.c_str()), 0);
    ReadAll();
    EXPECT_EQ(Watched(), 0);
    EXPECT_TRUE(sink.deleted.empty()) << "a folder that goes is no job file";

    watchtest::MakeDir(mapped);
    veqtest::WriteFile(mapped + "/Scan.pdf", "x");
    watcher->AddEntry(mapped);
    watchtest::Remove(mapped + "/Scan.pdf");
    ReadAll();
    EXPECT_EQ(sink.deleted, (std::vector<std::pair<std::string, std::string>>{{mapped, "Scan.pdf"}}));
}

TEST_F(FolderWatcherTest, PageFoldersAreWatchedWhileListed) {
    const std::string pages = mapped + "/Scan";
    watchtest::MakeDir(pages);
    veqtest::WriteFile(pages + "/Scan_1.jpg", "x");
    veqtest::WriteFile(pages + "/Scan_2.jpg", "x");
    watcher->AddSubFolderEntry(pages);
    watcher->AddSubFolderEntry(pages + "/");
    EXPECT_EQ(Watched(), 1);
    watchtest::Remove(pages + "/Scan_1.jpg");
    ReadAll();
    EXPECT_EQ(sink.deleted, (std::vector<std::pair<std::string, std::string>>{{pages, "Scan_1.jpg"}}));

    watcher->RemoveSubFolderEntry(pages);
    EXPECT_EQ(Watched(), 0);
    watchtest::Remove(pages + "/Scan_2.jpg");
    ReadAll();
    EXPECT_EQ(sink.deleted.size(), 1u);
}

TEST_F(FolderWatcherTest, TheCoreMayChangeWatchesUnderItsOwnLockWhileADeletionIsHandled) {
    veqtest::WriteFile(mapped + "/Scan.pdf", "x");
    watcher->AddEntry(mapped);
    const std::string other = dir / "Other";
    watchtest::MakeDir(other);

    // The core's server lock: the connection thread holds it while it adds a
    // folder, the deletion handler takes it on the read-loop thread.
    std::mutex coreLock;
    std::promise<void> handlerWaiting;
    sink.onDeleted = [&] {
        handlerWaiting.set_value();
        std::lock_guard<std::mutex> lock(coreLock);
    };
    std::unique_lock<std::mutex> connectionThread(coreLock);
    std::atomic<bool> handled{false};
    std::thread loop([&] {
        for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
             !handled && std::chrono::steady_clock::now() < end;)
            watcher->ReadEventsOnce(100);
    });
    watchtest::Remove(mapped + "/Scan.pdf");
    ASSERT_EQ(handlerWaiting.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
    auto added = std::async(std::launch::async, [&] { watcher->AddEntry(other); });
    const bool done = added.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    if (!done) {
        ADD_FAILURE() << "the watcher and the core wait for each other";
        std::_Exit(1);
    }
    connectionThread.unlock();
    handled = true;
    loop.join();
    EXPECT_EQ(Watched(), 2);
}

TEST_F(FolderWatcherTest, WithoutASinkChangesAreDropped) {
    watcher->SetSink(nullptr);
    watcher->AddEntry(serviceFolder);
    veqtest::WriteFile(Signal(serviceFolder), "");
    ReadAll();
    EXPECT_EQ(sink.modified, 0);
}

TEST_F(FolderWatcherTest, TenThousandFilesDeletedAtOnceAllReachTheCore) {
    constexpr int kFiles = 10000;
    for (int i = 0; i < kFiles; ++i) veqtest::WriteFile(mapped + "/Scan_" + std::to_string(i) + ".pdf", "");
    watcher->AddEntry(mapped);
    for (int i = 0; i < kFiles; ++i) watchtest::Remove(mapped + "/Scan_" + std::to_string(i) + ".pdf");
    ReadAll();
    EXPECT_EQ(sink.deleted.size(), size_t(kFiles));
}

}  // namespace
