// The settings object over the enciphered "veq_config": what it writes, what
// it reads back, which operations save, and how it survives damaged files.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "ConfigTestSupport.h"
#include "TestSupport.h"
#include "VEQConfig.h"

using configtest::DecipheredSettings;
using configtest::FilesIn;
using configtest::LogText;
using configtest::SettingsDocument;
using configtest::SettingsPath;
using configtest::WriteSettingsText;

namespace {

VEQConfig::VEQConfigServerEntry Entry(const wxString& ip, const wxString& name,
                                      const wxString& model = wxString()) {
    VEQConfig::VEQConfigServerEntry entry;
    entry.m_ip = ip;
    entry.m_name = name;
    entry.m_model = model;
    return entry;
}

std::unique_ptr<VEQConfig> Load() {
    return std::unique_ptr<VEQConfig>(new VEQConfig("veq_config"));
}

// Removes the settings file, so that a later operation shows whether it saved.
void ForgetFile() {
    std::remove(SettingsPath().c_str());
}

// Runs prepare, then hands the settings folder to an ordinary user (the
// super-user writes whatever the permission bits say) and, in a child process
// of that user, loads the settings and calls act while the folder cannot be
// written, until the child has ended. The child's status is 0 when it ran act.
veqtest::ChildResult RunInLockedFolder(const std::function<void()>& prepare,
                                       const std::function<void(VEQConfig&)>& act) {
    prepare();
    const std::string folder = configtest::ConfigDir();
    veqtest::GiveToUnprivilegedUser(folder);
    const veqtest::ChildResult child = veqtest::RunAsUnprivileged([&] {
        std::unique_ptr<VEQConfig> config = Load();
        if (::chmod(folder.c_str(), 0555) != 0) return 2;
        act(*config);
        return 0;
    });
    ::chmod(folder.c_str(), 0755);
    return child;
}

TEST(VEQConfig, NewInstallationStartsWithDefaultsAndCreatesTheFileOnFirstSave) {
    std::unique_ptr<VEQConfig> config = Load();
    EXPECT_NE(LogText().find("Cann't load config file, no file exist, path:" + SettingsPath()),
              std::string::npos);
    EXPECT_TRUE(config->GetMailBoxAutoLoginState());
    EXPECT_TRUE(config->GetRecentServers().empty());
    EXPECT_TRUE(config->GetCurrentServer().m_ip.empty());
    EXPECT_TRUE(config->GetLastSaveJobPath().empty());
    EXPECT_EQ(config->GetConfigDirectory(), VEQServicesUtil::GetConfigDirectory());
    EXPECT_FALSE(veqtest::FileExists(SettingsPath()));

    config->Flush();
    ASSERT_TRUE(veqtest::FileExists(SettingsPath()));
    EXPECT_EQ(LogText().find("Cann't write config file"), std::string::npos)
        << "the folder is writable, so the new file is too";
}

TEST(VEQConfig, TheNoPermissionLineAppearsOnlyWhenTheFileCannotBeWritten) {
    const std::string noPermission = "Cann't write config file " + SettingsPath() + ", no write permission";
    struct Case {
        const char* what;
        std::function<void()> prepare;
        bool logged;
    };
    const Case cases[] = {
        {"a new file in a writable folder", [] {}, false},
        {"a file written before", [] { Load()->Flush(); }, false},
        {"a folder in the file's place", [] { ASSERT_EQ(::mkdir(SettingsPath().c_str(), 0755), 0); }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ::rmdir(SettingsPath().c_str());
        ForgetFile();
        c.prepare();
        const size_t logBefore = LogText().size();
        Load()->Flush();
        EXPECT_EQ(LogText().find(noPermission, logBefore) != std::string::npos, c.logged) << LogText().substr(logBefore);
    }
    ::rmdir(SettingsPath().c_str());
}

TEST(VEQConfig, ANewFileInAFolderThatCannotBeWrittenIsLoggedAsSuch) {
    const veqtest::ChildResult child = RunInLockedFolder([] {}, [](VEQConfig& config) { config.Flush(); });
    ASSERT_TRUE(child.exited && child.status == 0) << child.output;
    EXPECT_NE(LogText().find("Cann't write config file " + SettingsPath() + ", no write permission"), std::string::npos);
    EXPECT_FALSE(veqtest::FileExists(SettingsPath()));
}

TEST(VEQConfig, EmptySettingsAreWrittenAsTheDocumentWithNullLists) {
    Load()->Flush();
    const Json::Value root = SettingsDocument();
    ASSERT_TRUE(root.isObject()) << DecipheredSettings();
    EXPECT_EQ(root.getMemberNames(),
              (std::vector<std::string>{"attributes", "autoLoginState", "autoLogins",
                                        "currentServer", "lastJobSavePath", "recentServers"}));
    EXPECT_TRUE(root["recentServers"].isNull());
    EXPECT_TRUE(root["attributes"].isNull());
    EXPECT_TRUE(root["autoLogins"].isNull());
    EXPECT_TRUE(root["autoLoginState"].isInt());
    EXPECT_EQ(root["autoLoginState"].asInt(), 1);
    EXPECT_EQ(root["currentServer"]["ip"].asString(), "");
    EXPECT_EQ(root["lastJobSavePath"].asString(), "");
    // Null lists load as empty ones.
    std::unique_ptr<VEQConfig> again = Load();
    EXPECT_TRUE(again->GetRecentServers().empty());
    EXPECT_TRUE(again->GetMailBoxAutoLoginState());
}

TEST(VEQConfig, WritesEverySettingAsUtf8JsonUnderTheFixedKey) {
    {
        std::unique_ptr<VEQConfig> config = Load();
        config->AddToRecentServer(Entry("127.0.0.1", wxString::FromUTF8("Zürich-Ω"), "Z900"));
        config->AddToRecentServer(Entry("localhost", "Second"));
        config->SetValue("zeta", "last", false);
        config->SetValue("alpha", wxString::FromUTF8("ça va"), true);
        config->SaveMailBoxAutoLogin("127.0.0.1", "Box", wxString::FromUTF8("pässword"));
        config->SaveMailBoxAutoLoginState(false);
        config->SetLastSaveJobPath(wxString::FromUTF8("/home/ü/Scans"));
    }
    const Json::Value root = SettingsDocument();
    ASSERT_TRUE(root.isObject()) << DecipheredSettings();
    EXPECT_EQ(root["currentServer"]["ip"].asString(), "127.0.0.1");
    EXPECT_EQ(root["currentServer"]["name"].asString(), "Zürich-Ω");
    EXPECT_EQ(root["currentServer"]["model"].asString(), "Z900");
    ASSERT_EQ(root["recentServers"].size(), 2u);
    EXPECT_EQ(root["recentServers"][1]["ip"].asString(), "localhost");
    EXPECT_EQ(root["recentServers"][1]["name"].asString(), "Second");
    ASSERT_EQ(root["attributes"].size(), 2u);
    EXPECT_EQ(root["attributes"][0]["key"].asString(), "alpha");
    EXPECT_EQ(root["attributes"][0]["value"].asString(), "ça va");
    EXPECT_EQ(root["attributes"][1]["key"].asString(), "zeta");
    ASSERT_EQ(root["autoLogins"].size(), 1u);
    EXPECT_EQ(root["autoLogins"][0]["ip"].asString(), "127.0.0.1");
    EXPECT_EQ(root["autoLogins"][0]["name"].asString(), "Box");
    EXPECT_EQ(root["autoLogins"][0]["password"].asString(), "pässword");
    EXPECT_EQ(root["autoLoginState"].asInt(), 0);
    EXPECT_EQ(root["lastJobSavePath"].asString(), "/home/ü/Scans");

    std::unique_ptr<VEQConfig> again = Load();
    EXPECT_EQ(again->GetCurrentServer().m_name, wxString::FromUTF8("Zürich-Ω"));
    EXPECT_EQ(again->GetRecentServers().size(), 2u);
    EXPECT_EQ(again->GetValue("alpha"), wxString::FromUTF8("ça va"));
    EXPECT_EQ(again->GetValue("zeta"), "last");
    EXPECT_EQ(again->GetValue("missing"), "");
    wxString mailbox, password;
    ASSERT_TRUE(again->GetMailBoxAutoLogin("127.0.0.1", mailbox, password));
    EXPECT_EQ(mailbox, "Box");
    EXPECT_EQ(password, wxString::FromUTF8("pässword"));
    EXPECT_FALSE(again->GetMailBoxAutoLoginState());
    EXPECT_EQ(again->GetLastSaveJobPath(), wxString::FromUTF8("/home/ü/Scans"));
}

TEST(VEQConfig, RecentServersKeepTheFirstAsCurrentAndSkipDuplicatesAnyCase) {
    std::unique_ptr<VEQConfig> config = Load();
    config->AddToRecentServer(Entry("127.0.0.1", "Alpha"));
    config->AddToRecentServer(Entry("127.0.0.2", "Beta"));
    EXPECT_EQ(config->GetCurrentServer().m_ip, "127.0.0.1");

    // An ip that equals an existing ip or name in another case adds nothing but still saves.
    for (const char* duplicate : {"127.0.0.2", "ALPHA", "beta"}) {
        ForgetFile();
        config->AddToRecentServer(Entry(duplicate, "other"));
        EXPECT_TRUE(veqtest::FileExists(SettingsPath())) << duplicate;
        EXPECT_EQ(config->GetRecentServers().size(), 2u) << duplicate;
    }
    EXPECT_EQ(config->GetRecentServers()[1].m_name, "Beta");
    EXPECT_TRUE(config->isServerAvailableInRecent("alpha"));
    EXPECT_TRUE(config->isServerAvailableInRecent("127.0.0.2"));
    EXPECT_FALSE(config->isServerAvailableInRecent("127.0.0.3"));
}

TEST(VEQConfig, RemoveFromRecentMatchesTheIpWithCaseAndSavesOnlyOnRemoval) {
    std::unique_ptr<VEQConfig> config = Load();
    config->AddToRecentServer(Entry("host.example", "Alpha"));
    config->AddToRecentServer(Entry("127.0.0.2", "Beta"));

    ForgetFile();
    config->RemoveFromRecentServer("HOST.EXAMPLE");
    config->RemoveFromRecentServer("Alpha");  // a name is not an ip
    EXPECT_EQ(config->GetRecentServers().size(), 2u);
    EXPECT_FALSE(veqtest::FileExists(SettingsPath()));

    config->RemoveFromRecentServer("host.example");
    ASSERT_EQ(config->GetRecentServers().size(), 1u);
    EXPECT_EQ(config->GetRecentServers()[0].m_ip, "127.0.0.2");
    EXPECT_TRUE(veqtest::FileExists(SettingsPath()));
}

TEST(VEQConfig, OperationsThatChangeMemoryOnlyReachTheFileWithTheNextSave) {
    std::unique_ptr<VEQConfig> config = Load();
    config->SaveMailBoxAutoLogin("ServerName", "Box", "pw");
    ForgetFile();
    config->SetValue("key", "value", false);
    EXPECT_TRUE(config->ClearAutoLogin("ServerName"));
    config->UpdateServerAutoLogin("127.0.0.9", "ServerName");
    EXPECT_FALSE(veqtest::FileExists(SettingsPath()));

    config->Flush();
    const Json::Value root = SettingsDocument();
    EXPECT_TRUE(root["autoLogins"].isNull());
    EXPECT_EQ(root["attributes"][0]["key"].asString(), "key");
}

TEST(VEQConfig, AutoLoginsMatchTheServerExactlyAndActOnTheFirstMatch) {
    std::unique_ptr<VEQConfig> config = Load();
    EXPECT_TRUE(config->SaveMailBoxAutoLogin("Server", "Box1", "pw1"));
    EXPECT_TRUE(config->SaveMailBoxAutoLogin("Server", "Box2", "pw2"));  // replaces
    EXPECT_TRUE(config->SaveMailBoxAutoLogin("SERVER", "Box3", "pw3"));  // another entry
    EXPECT_EQ(SettingsDocument()["autoLogins"].size(), 2u);

    wxString mailbox = "untouched", password = "untouched";
    ASSERT_TRUE(config->GetMailBoxAutoLogin("Server", mailbox, password));
    EXPECT_EQ(mailbox, "Box2");
    EXPECT_EQ(password, "pw2");
    mailbox = password = "untouched";
    EXPECT_FALSE(config->GetMailBoxAutoLogin("server", mailbox, password));
    EXPECT_EQ(mailbox, "untouched");
    EXPECT_EQ(password, "untouched");

    EXPECT_FALSE(config->ClearAutoLogin("Unknown"));
    EXPECT_TRUE(config->ClearAutoLogin("Server"));
    EXPECT_FALSE(config->GetMailBoxAutoLogin("Server", mailbox, password));
    EXPECT_TRUE(config->GetMailBoxAutoLogin("SERVER", mailbox, password));
}

TEST(VEQConfig, UpdateServerAutoLoginRenamesOnlyAnEntryKeptUnderAName) {
    std::unique_ptr<VEQConfig> config = Load();
    config->SaveMailBoxAutoLogin("10.0.0.5", "ByAddress", "pw");
    config->SaveMailBoxAutoLogin("Alpha", "ByName", "pw");

    config->UpdateServerAutoLogin("127.0.0.1", "10.0.0.5");  // an address is never renamed
    config->UpdateServerAutoLogin("127.0.0.1", "alpha");     // case counts
    wxString mailbox, password;
    EXPECT_TRUE(config->GetMailBoxAutoLogin("10.0.0.5", mailbox, password));
    EXPECT_TRUE(config->GetMailBoxAutoLogin("Alpha", mailbox, password));
    EXPECT_FALSE(config->GetMailBoxAutoLogin("127.0.0.1", mailbox, password));

    config->UpdateServerAutoLogin("127.0.0.1", "Alpha");
    EXPECT_FALSE(config->GetMailBoxAutoLogin("Alpha", mailbox, password));
    ASSERT_TRUE(config->GetMailBoxAutoLogin("127.0.0.1", mailbox, password));
    EXPECT_EQ(mailbox, "ByName");
}

TEST(VEQConfig, LoadingTakesFileOrderLaterAttributesAndAMissingStateAsOff) {
    WriteSettingsText(R"({
        "currentServer": {"ip": "127.0.0.1"},
        "recentServers": [{"ip": "b", "name": "B"}, {"ip": "a", "name": "A"}, {"ip": "b"}],
        "attributes": [{"key": "k", "value": "first"}, {"key": "k", "value": "second"}],
        "autoLogins": [{"ip": "s", "name": "m", "password": "p"}]
    })");
    std::unique_ptr<VEQConfig> config = Load();
    EXPECT_EQ(config->GetCurrentServer().m_ip, "127.0.0.1");
    EXPECT_EQ(config->GetCurrentServer().m_name, "");
    ASSERT_EQ(config->GetRecentServers().size(), 3u);  // loaded without a duplicate test
    EXPECT_EQ(config->GetRecentServers()[0].m_ip, "b");
    EXPECT_EQ(config->GetRecentServers()[1].m_ip, "a");
    EXPECT_EQ(config->GetValue("k"), "second");
    EXPECT_FALSE(config->GetMailBoxAutoLoginState());
    EXPECT_TRUE(config->GetLastSaveJobPath().empty());
}

struct DamagedCase {
    const char* name;
    const char* json;
};

// Members of the wrong type keep their defaults; the readable rest is loaded.
TEST(VEQConfig, MembersOfTheWrongTypeKeepTheirDefaults) {
    const DamagedCase cases[] = {
        {"current server as an array", R"({"currentServer": [1, 2], "autoLoginState": 1,
            "lastJobSavePath": "/kept"})"},
        {"state as an object", R"({"autoLoginState": {"on": 1}, "lastJobSavePath": "/kept"})"},
        {"state as a text", R"({"autoLoginState": "0", "lastJobSavePath": "/kept"})"},
        {"lists as texts and numbers", R"({"recentServers": "x", "attributes": 3,
            "autoLogins": {"ip": "s"}, "autoLoginState": 1, "lastJobSavePath": "/kept"})"},
        {"elements that are not objects", R"({"recentServers": ["x", 1, null],
            "attributes": [[1]], "autoLogins": ["s"], "autoLoginState": 1,
            "lastJobSavePath": "/kept"})"},
        {"texts of the wrong type", R"({"currentServer": {"ip": 5, "name": ["n"]},
            "recentServers": [{"ip": {"a": 1}}], "autoLoginState": 1,
            "lastJobSavePath": "/kept"})"},
    };
    for (const DamagedCase& damaged : cases) {
        WriteSettingsText(damaged.json);
        std::unique_ptr<VEQConfig> config;
        ASSERT_NO_THROW(config = Load()) << damaged.name;
        EXPECT_TRUE(config->GetMailBoxAutoLoginState()) << damaged.name;
        EXPECT_EQ(config->GetLastSaveJobPath(), "/kept") << damaged.name;
        EXPECT_TRUE(config->GetCurrentServer().m_ip.empty()) << damaged.name;
        EXPECT_TRUE(config->GetCurrentServer().m_name.empty()) << damaged.name;
        for (const VEQConfig::VEQConfigServerEntry& entry : config->GetRecentServers()) {
            EXPECT_TRUE(entry.m_ip.empty()) << damaged.name;
        }
        wxString mailbox, password;
        EXPECT_FALSE(config->GetMailBoxAutoLogin("s", mailbox, password)) << damaged.name;
        config.reset();  // saves a sound file over the damaged one
        const Json::Value root = SettingsDocument();
        ASSERT_TRUE(root.isObject()) << damaged.name;
        EXPECT_EQ(root["lastJobSavePath"].asString(), "/kept") << damaged.name;
        EXPECT_TRUE(root["currentServer"].isObject()) << damaged.name;
    }
}

// How many loads have logged why they kept the defaults.
std::size_t CountReasons() {
    const std::string log = LogText();
    const std::string reason = "defaults kept, path:" + SettingsPath();
    std::size_t count = 0;
    for (std::size_t at = log.find(reason); at != std::string::npos; at = log.find(reason, at + 1)) {
        ++count;
    }
    return count;
}

TEST(VEQConfig, DamagedFilesLoadAsDefaultsWithAReasonAndAreReplacedWhole) {
    {
        std::unique_ptr<VEQConfig> config = Load();
        config->AddToRecentServer(Entry("127.0.0.1", "Alpha"));
        config->SaveMailBoxAutoLoginState(false);
    }
    const std::string good = veqtest::ReadFile(SettingsPath());
    const DamagedCase cases[] = {
        {"cut short", nullptr},
        {"garbage", nullptr},
        {"not UTF-8", nullptr},
        {"a root that is not an object", nullptr},
        {"empty", nullptr},
        {"nested too deep", nullptr},
    };
    for (const DamagedCase& damaged : cases) {
        const std::string name = damaged.name;
        if (name == "cut short") {
            veqtest::WriteFile(SettingsPath(), good.substr(0, good.size() / 2));
        } else if (name == "garbage") {
            veqtest::WriteFile(SettingsPath(), std::string("\x13\x37garbage\xff\x00\x01", 12));
        } else if (name == "not UTF-8") {
            WriteSettingsText("{\"lastJobSavePath\": \"\xc3\x28\"}");
        } else if (name == "a root that is not an object") {
            WriteSettingsText("[{\"currentServer\": {}}]");
        } else if (name == "nested too deep") {
            WriteSettingsText("{\"recentServers\": " + std::string(100000, '[') + std::string(100000, ']') + "}");
        } else {
            veqtest::WriteFile(SettingsPath(), "");
        }
        const std::size_t reasonsBefore = CountReasons();
        std::unique_ptr<VEQConfig> config;
        ASSERT_NO_THROW(config = Load()) << name;
        EXPECT_TRUE(config->GetRecentServers().empty()) << name;
        EXPECT_TRUE(config->GetMailBoxAutoLoginState()) << name;
        EXPECT_EQ(CountReasons(), reasonsBefore + 1) << name << "\n" << LogText();
        config->SetLastSaveJobPath("/new");
        const Json::Value root = SettingsDocument();
        ASSERT_TRUE(root.isObject()) << name << ": " << DecipheredSettings();
        EXPECT_EQ(root["lastJobSavePath"].asString(), "/new") << name;
        EXPECT_EQ(root["autoLoginState"].asInt(), 1) << name;
    }
}

TEST(VEQConfig, SavingLeavesNoTemporaryFilesAndKeepsTheFileMode) {
    std::unique_ptr<VEQConfig> config = Load();
    config->Flush();
    ASSERT_EQ(::chmod(SettingsPath().c_str(), 0600), 0);
    config->SetLastSaveJobPath("/one");
    config->SetLastSaveJobPath("/two");
    for (const std::string& name : FilesIn(configtest::ConfigDir())) {
        EXPECT_EQ(name.find("veq_config.tmp"), std::string::npos) << name;
    }
    struct stat status;
    ASSERT_EQ(::stat(SettingsPath().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    EXPECT_EQ(SettingsDocument()["lastJobSavePath"].asString(), "/two");
}

TEST(VEQConfig, TemporariesOfKilledSavesGoAtTheNextSaveAndNewOnesAreTheOwnersOnly) {
    std::unique_ptr<VEQConfig> config = Load();
    ASSERT_EQ(::unlink(SettingsPath().c_str()) == 0 || errno == ENOENT, true);
    // A process id that is free now: a child's that has been reaped.
    pid_t dead = 0;
    {
        const pid_t pid = ::fork();
        if (pid == 0) ::_exit(0);
        ::waitpid(pid, nullptr, 0);
        dead = pid;
    }
    const std::string stale = SettingsPath() + ".tmp-" + std::to_string(dead) + "-1";
    const std::string live = SettingsPath() + ".tmp-" + std::to_string(::getppid()) + "-1";
    veqtest::WriteFile(stale, "passwords");
    veqtest::WriteFile(live, "in use");

    const mode_t old = ::umask(0);
    config->SetLastSaveJobPath("/after");
    ::umask(old);
    EXPECT_FALSE(veqtest::FileExists(stale));
    EXPECT_TRUE(veqtest::FileExists(live));
    struct stat status;
    ASSERT_EQ(::stat(SettingsPath().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    EXPECT_EQ(SettingsDocument()["lastJobSavePath"].asString(), "/after");
}

TEST(VEQConfig, AFolderThatOnlyLetsTheFileBeWrittenIsSavedInPlace) {
    const veqtest::ChildResult child = RunInLockedFolder(
        [] { Load()->Flush(); }, [](VEQConfig& config) { config.SetLastSaveJobPath("/in-place"); });
    ASSERT_TRUE(child.exited && child.status == 0) << child.output;
    EXPECT_EQ(SettingsDocument()["lastJobSavePath"].asString(), "/in-place");
}

TEST(VEQConfig, AFailedWriteIsLoggedAndChangesNothingOnDisk) {
    std::unique_ptr<VEQConfig> config = Load();
    // A folder in the file's place can be neither replaced nor written.
    ASSERT_EQ(::mkdir(SettingsPath().c_str(), 0755), 0);
    config->SetLastSaveJobPath("/lost");
    EXPECT_NE(LogText().find("Encrypted config file writing failed, path:" + SettingsPath()),
              std::string::npos);
    struct stat status;
    ASSERT_EQ(::stat(SettingsPath().c_str(), &status), 0);
    EXPECT_TRUE(S_ISDIR(status.st_mode));
    for (const std::string& name : FilesIn(configtest::ConfigDir())) {
        EXPECT_EQ(name.find("veq_config.tmp"), std::string::npos) << name;
    }
    ::rmdir(SettingsPath().c_str());
}

TEST(VEQConfig, AWriteThatFailsHalfwayKeepsTheOldFileWhole) {
    {
        std::unique_ptr<VEQConfig> config = Load();
        config->SetLastSaveJobPath("/before");
    }
    const std::string before = veqtest::ReadFile(SettingsPath());
    const veqtest::ChildResult child = veqtest::RunInChild([] {
        std::unique_ptr<VEQConfig> config = Load();
        // Files may not grow past a few bytes: every save now fails mid-write.
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {64, 64};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
        config->SetLastSaveJobPath(wxString('x', 4096));
        config.reset();
        return 0;
    });
    EXPECT_TRUE(child.exited);
    EXPECT_EQ(child.status, 0) << child.output;
    EXPECT_EQ(veqtest::ReadFile(SettingsPath()), before);
    EXPECT_EQ(SettingsDocument()["lastJobSavePath"].asString(), "/before");
}

}  // namespace
