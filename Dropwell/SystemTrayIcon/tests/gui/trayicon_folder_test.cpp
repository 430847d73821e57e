// Opening a mapped folder on the running system: a folder that is gone, no
// "xdg-open", or one that finds no file manager are reported with their
// reason, the last once it has ended; the user is told in a message box.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <optional>
#include <string>
#include <vector>

#include "AnsweredDialogs.h"
#include "TrayGuiSupport.h"
#include "TrayTestSupport.h"

namespace {

using Failure = TraySystem::OpenFailure;

class LocalFolderOpening : public testing::Test {
protected:
    void SetUp() override {
        veqfake::EnsureWxApp();
        mkdir(Bin().c_str(), 0755);
        mkdir(Scans().c_str(), 0755);
    }

    std::string Bin() const { return m_folder / "bin"; }
    std::string Scans() const { return m_folder / "Scans"; }
    std::string Record() const { return m_folder / "opened"; }
    // An "xdg-open" on PATH that notes its argument and ends with exitCode. The
    // note appears whole (written aside, then renamed), so that a test that sees
    // the file can read it at once.
    void InstallOpener(int exitCode) {
        const std::string opener = Bin() + "/xdg-open";
        veqtest::WriteFile(opener, "#!/bin/sh\necho \"$1\" > '" + Record() + ".part' && /bin/mv '" + Record() + ".part' '" +
                                       Record() + "'\nexit " + std::to_string(exitCode) + "\n");
        chmod(opener.c_str(), 0755);
    }

    veqtest::TempDir m_folder;
};

TEST_F(LocalFolderOpening, AFolderThatCannotBeOpenedIsReportedWithItsReason) {
    const struct {
        const char* what;
        std::string folder;
        std::optional<int> openerExit;  // none: no "xdg-open" on PATH
        std::optional<Failure> failure;
        bool openerRan;
    } cases[] = {
        {"opened", Scans(), 0, std::nullopt, true},
        {"folder gone", m_folder / "Gone", 0, Failure::NO_FOLDER, false},
        {"a relative path", "Scans", 0, Failure::NO_FOLDER, false},
        {"no file manager for it", Scans(), 3, Failure::NO_FILE_MANAGER, true},
        {"no xdg-open", Scans(), std::nullopt, Failure::NO_FILE_MANAGER, false},
    };
    veqtest::ScopedEnv path("PATH", Bin().c_str());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        unlink(Record().c_str());
        unlink((Bin() + "/xdg-open").c_str());
        if (c.openerExit) {
            InstallOpener(*c.openerExit);
        }
        LocalTraySystem system;
        std::vector<Failure> failures;
        system.OpenFolder(c.folder, [&failures](Failure failure) { failures.push_back(failure); });
        if (c.openerRan) {
            ASSERT_TRUE(veqfake::PumpUntil([&]() { return veqtest::FileExists(Record()); }));
            EXPECT_EQ(veqtest::ReadFile(Record()), c.folder + "\n");
        }
        if (c.failure) {
            ASSERT_TRUE(veqfake::PumpUntil([&]() { return !failures.empty(); }));
        } else {
            veqfake::PumpUntil([]() { return false; }, std::chrono::seconds(1));  // the opener's end
        }
        const std::vector<Failure> expected =
            c.failure ? std::vector<Failure>{*c.failure} : std::vector<Failure>{};
        EXPECT_EQ(failures, expected);
        EXPECT_EQ(veqtest::FileExists(Record()), c.openerRan);
    }
}

// Chosen in the open menu: a mapped folder that is gone brings a message box
// with a title and the folder's path.
TEST_F(LocalFolderOpening, AGoneFolderChosenInTheMenuIsToldInAMessageBox) {
    const std::string gone = m_folder / "Gone";
    traygui::WriteMappings({{"Accounting", gone}});
    LocalTraySystem system;
    traygui::ObservedTrayIcon icon(system);
    icon.UpdateIcon();
    veqfake::AnsweredDialogs dialogs(wxID_OK);
    icon.onOpen = []() { traygui::TypeKeys({WXK_DOWN, WXK_DOWN, WXK_DOWN, WXK_DOWN, WXK_RETURN}); };
    icon.LeftClick();
    ASSERT_EQ(icon.openings, 1);
    ASSERT_TRUE(veqfake::PumpUntil([&]() { return !dialogs.shown.empty(); }));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].title, "Veqora");
    EXPECT_EQ(dialogs.shown[0].text,
              wxString::FromUTF8("The folder \"" + gone + "\" cannot be opened: it does not exist any more."));
}

}  // namespace
