#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <wx/fileconf.h>
#include <wx/init.h>

#include "TestSupport.h"
#include "TrayAgent.h"
#include "TraySettings.h"
#include "TrayTestSupport.h"
#include "VeqRoot.h"

using traytest::FakeTraySystem;

namespace {

const std::string kDaemon = "/System/Library/CoreServices/ZeltoFetchd";

class TrayAgentTest : public testing::Test {
protected:
    void SetUp() override { m_system.AddProcess(50, "ZeltoFetchd"); }

    TrayAgent& Agent() {
        if (!m_agent) {
            m_agent = std::make_unique<TrayAgent>(
                m_system, OpenTraySettings(), [this](std::vector<stMappedFoldersDetail>& list) { list = m_mappings; },
                [this]() { ++m_ends; });
        }
        return *m_agent;
    }
    void Map(const std::vector<std::string>& folders) {
        m_mappings.clear();
        for (const std::string& folder : folders) {
            stMappedFoldersDetail detail;
            detail.Folder = wxString::FromUTF8(folder);
            m_mappings.push_back(detail);
        }
    }
    // The item of the open menu with that label, else -1.
    int IdOf(const std::vector<TrayMenuEntry>& menu, const wxString& label, size_t skip = 0) {
        for (const TrayMenuEntry& entry : menu) {
            if (entry.label == label && skip-- == 0) {
                return entry.id;
            }
        }
        return -1;
    }
    static std::string SettingsFile() { return std::string(getenv("HOME")) + "/.TrayIcon"; }
    static void WriteStartAtLogin(bool flag) {
        veqtest::WriteFile(SettingsFile(), std::string("StartAtLogin=") + (flag ? "1" : "0") + "\n");
    }
    static std::string StoredStartAtLogin() {
        wxFileConfig settings("TrayIcon", "", "", "", wxCONFIG_USE_LOCAL_FILE);
        wxString value;
        return settings.Read(kStartAtLoginKey, &value) ? value.utf8_string() : "absent";
    }

    wxInitializer m_toolkit;
    FakeTraySystem m_system;
    std::vector<stMappedFoldersDetail> m_mappings;
    int m_ends = 0;
    std::unique_ptr<TrayAgent> m_agent;
};

TEST_F(TrayAgentTest, TheMenuHasItsThreeItemsThenOneItemPerMappedFolder) {
    Map({"/x/Scans.2024", "/y/Invoices"});
    const std::vector<TrayMenuEntry> menu = Agent().OpenMenu();
    ASSERT_EQ(menu.size(), 6u);
    const struct {
        int id;
        const char* label;
        bool checkable;
    } expected[] = {
        {5004, "Open Veqora", false}, {5005, "Start at login", true},   {5006, "Exit", false},
        {TrayMenuEntry::kSeparator, "", false}, {4000, "Scans", false}, {4001, "Invoices", false},
    };
    for (size_t i = 0; i < menu.size(); ++i) {
        EXPECT_EQ(menu[i].id, expected[i].id) << i;
        EXPECT_EQ(menu[i].label, expected[i].label) << i;
        EXPECT_EQ(menu[i].checkable, expected[i].checkable) << i;
    }
    EXPECT_TRUE(menu[1].checked);
}

TEST_F(TrayAgentTest, TheMenuIsReadAfreshAtEachOpening) {
    EXPECT_EQ(Agent().OpenMenu().size(), 3u) << "no separator without folders";
    Map({"/x/A", "/x/B"});
    EXPECT_EQ(Agent().OpenMenu().size(), 6u);
    Map({"/x/C"});
    const std::vector<TrayMenuEntry> menu = Agent().OpenMenu();
    ASSERT_EQ(menu.size(), 5u);
    EXPECT_EQ(menu[4].label, "C");
    EXPECT_FALSE(Agent().HandleCommand(4001)) << "an id of an earlier opening that no item has now";
    EXPECT_TRUE(m_system.opened.empty());
}

TEST_F(TrayAgentTest, TitlesWithMenuMarkersAreShownAsTheyAre) {
    Map({"/x/R&D", "/x/Scans\tCtrl+Q", "/x/Line\nBreak"});
    const std::vector<TrayMenuEntry> menu = Agent().OpenMenu();
    ASSERT_EQ(menu.size(), 7u);
    EXPECT_EQ(menu[4].label, "R&&D");
    EXPECT_EQ(menu[5].label, "Scans Ctrl+Q") << "a tab would make an accelerator";
    EXPECT_EQ(menu[6].label, "Line Break");
}

// Folders named like the fixed items, or like one another, open themselves.
TEST_F(TrayAgentTest, AFolderItemOpensItsOwnFolderWhateverItsTitle) {
    Map({"/x/Exit", "/x/Open Veqora", "/x/Start at login", "/a/Scans", "/b/Scans"});
    const struct {
        const char* title;
        size_t skip;  // same-titled items before it
        const char* folder;
    } cases[] = {
        {"Exit", 1, "/x/Exit"},
        {"Open Veqora", 1, "/x/Open Veqora"},
        {"Start at login", 1, "/x/Start at login"},
        {"Scans", 0, "/a/Scans"},
        {"Scans", 1, "/b/Scans"},
    };
    for (const auto& c : cases) {
        m_system.opened.clear();
        const int id = IdOf(Agent().OpenMenu(), c.title, c.skip);
        ASSERT_TRUE(Agent().HandleCommand(id)) << c.folder;
        EXPECT_EQ(m_system.opened, std::vector<std::string>{c.folder});
    }
    EXPECT_TRUE(m_system.killed.empty());
    EXPECT_EQ(m_ends, 0);
    EXPECT_TRUE(m_system.started.empty());
    EXPECT_TRUE(Agent().GetStartAtLoginStatus());
}

// The opener's failure, known at once or reported later from the event loop:
// the user is told in a message box and the log says which folder and why.
TEST_F(TrayAgentTest, AFolderThatCannotBeOpenedIsLoggedAndToldToTheUser) {
    using Failure = TraySystem::OpenFailure;
    const struct {
        const char* what;
        Failure failure;
        const char* message;
        const char* logged;
    } cases[] = {
        {"folder gone", Failure::NO_FOLDER, "The folder \"/x/Scans\" cannot be opened: it does not exist any more.",
         "Cannot open the folder, it does not exist: /x/Scans"},
        {"no file manager", Failure::NO_FILE_MANAGER,
         "The folder \"/x/Scans\" cannot be opened: no file manager is available to show it.",
         "Cannot open the folder, no file manager opened it: /x/Scans"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // In a child, whose log is complete once it has ended.
        const veqtest::ChildResult result = veqtest::RunInChild([&]() {
            Map({"/x/Other", "/x/Scans"});
            if (!Agent().HandleCommand(IdOf(Agent().OpenMenu(), "Scans")) || m_system.openings.size() != 1) {
                return 10;
            }
            if (!m_system.errors.empty()) {
                return 11;  // nothing to tell before the opener reports
            }
            m_system.openings[0](c.failure);
            return m_system.errors == std::vector<wxString>{wxString::FromUTF8(c.message)} ? 0 : 12;
        });
        EXPECT_TRUE(result.exited && result.status == 0) << result.status << result.output;
        const std::string logs = traytest::LogsIn(traytest::ConfigFolder() + "Logs");
        EXPECT_NE(logs.find(c.logged), std::string::npos) << logs;
    }
    EXPECT_EQ(m_ends, 0);
}

// A failure the opener reports after "Exit" has ended the agent is dropped.
TEST_F(TrayAgentTest, AnOpenerThatFailsAfterTheAgentHasGoneTellsNobody) {
    Map({"/x/Scans"});
    Agent().OpenMenu();
    ASSERT_TRUE(Agent().HandleCommand(kFirstFolderCommand));
    ASSERT_EQ(m_system.openings.size(), 1u);
    m_agent.reset();
    m_system.openings[0](TraySystem::OpenFailure::NO_FILE_MANAGER);
    EXPECT_TRUE(m_system.errors.empty());
}

TEST_F(TrayAgentTest, UnknownIdsDoNothing) {
    Map({"/x/A"});
    Agent().OpenMenu();
    for (int id : {0, 3999, 4001, 4999, 5000, 5003, 5007, TrayMenuEntry::kSeparator}) {
        EXPECT_FALSE(Agent().HandleCommand(id)) << id;
    }
    EXPECT_TRUE(m_system.opened.empty());
    EXPECT_TRUE(m_system.started.empty());
    EXPECT_EQ(m_ends, 0);
}

TEST_F(TrayAgentTest, OpenVeqoraStartsTheStagedMainApplication) {
    Agent();
    m_system.started.clear();
    EXPECT_TRUE(Agent().HandleCommand(kOpenVeqoraCommand));
    EXPECT_EQ(m_system.started,
              std::vector<std::string>{veqplatform::UnderRoot("/Applications/Zelto/Veqora.app/Contents/MacOS/Veqora")});
}

TEST_F(TrayAgentTest, StartAtLoginToggledTwiceWritesTrueThenFalseAndTheCheckMarkFollows) {
    WriteStartAtLogin(false);
    EXPECT_FALSE(Agent().GetStartAtLoginStatus());
    EXPECT_FALSE(Agent().OpenMenu()[1].checked);

    ASSERT_TRUE(Agent().HandleCommand(kStartAtLoginCommand));
    EXPECT_EQ(StoredStartAtLogin(), "1");
    EXPECT_TRUE(Agent().OpenMenu()[1].checked);

    ASSERT_TRUE(Agent().HandleCommand(kStartAtLoginCommand));
    EXPECT_EQ(StoredStartAtLogin(), "0");
    EXPECT_FALSE(Agent().OpenMenu()[1].checked);
}

TEST_F(TrayAgentTest, TheFlagIsWrittenAtTheEnd) {
    EXPECT_EQ(StoredStartAtLogin(), "absent");
    Agent();
    m_agent.reset();
    EXPECT_EQ(StoredStartAtLogin(), "1");
}

TEST_F(TrayAgentTest, ExitKillsTheFirstMainApplicationOfThisUserAndEndsTheAgent) {
    m_system.AddProcess(10, "Veqora", getuid() + 1);
    m_system.AddProcess(11, "VeqoraHelper");
    m_system.AddProcess(12, "veqora");
    m_system.AddProcess(13, "Veqora");
    m_system.AddProcess(14, "Veqora");
    ASSERT_TRUE(Agent().HandleCommand(kExitCommand));
    EXPECT_EQ(m_system.killed, std::vector<pid_t>{13});
    EXPECT_EQ(m_ends, 1);
}

TEST_F(TrayAgentTest, ExitWithoutTheMainApplicationOfThisUserEndsOnlyTheAgent) {
    const struct {
        const char* what;
        uid_t otherUser;
        int listError;
    } cases[] = {
        {"only another user's", getuid() + 1, 0},
        {"process list unavailable", getuid(), EACCES},
    };
    for (const auto& c : cases) {
        m_system.processes.clear();
        m_system.AddProcess(10, "Veqora", c.otherUser);
        m_system.listError = c.listError;
        m_ends = 0;
        ASSERT_TRUE(Agent().HandleCommand(kExitCommand));
        EXPECT_TRUE(m_system.killed.empty()) << c.what;
        EXPECT_EQ(m_ends, 1) << c.what;
    }
}

TEST_F(TrayAgentTest, TheDaemonIsStartedOnlyWhenNoProcessHasItsExactName) {
    const struct {
        const char* what;
        std::vector<std::string> names;
        int listError;
        bool started;
    } cases[] = {
        {"running", {"bash", "ZeltoFetchd"}, 0, false},
        {"absent", {"bash"}, 0, true},
        {"other names", {"ZeltoFetch", "ZeltoFetchd2", "zeltofetchd"}, 0, true},
        {"process list unavailable", {"ZeltoFetchd"}, EACCES, true},
    };
    for (const auto& c : cases) {
        FakeTraySystem system;
        for (const std::string& name : c.names) {
            system.AddProcess(20, name);
        }
        system.listError = c.listError;
        TrayAgent agent(system, OpenTraySettings(), [](std::vector<stMappedFoldersDetail>&) {}, []() {});
        const std::vector<std::string> expected =
            c.started ? std::vector<std::string>{veqplatform::UnderRoot(kDaemon)} : std::vector<std::string>{};
        EXPECT_EQ(system.started, expected) << c.what;
        EXPECT_EQ(system.listings, 1) << "looked for once, at the start: " << c.what;
    }
}

}  // namespace
