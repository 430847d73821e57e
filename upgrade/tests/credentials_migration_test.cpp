// The older version's mailbox credentials carried into the auto-logins of
// "veq_config" by a run of VEQUpgrade.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <map>
#include <string>
#include <utility>

#include "OldCredentials.h"
#include "UpgradeFixtures.h"

namespace {

using upgradetest::CredentialsFolder;
using upgradetest::RunUpgrade;
using upgradetest::Settings;
using upgradetest::WritePasswordFile;

using AutoLogins = std::map<std::string, std::pair<std::string, std::string>>;

// The auto-logins of "veq_config": server to mailbox name and password.
AutoLogins StoredAutoLogins() {
    AutoLogins logins;
    const Json::Value settings = Settings();
    for (const Json::Value& login : settings["autoLogins"]) {
        logins[login["ip"].asString()] = {login["name"].asString(), login["password"].asString()};
    }
    return logins;
}

TEST(CredentialNames, TheServerLiesBetweenTheFirstTwoUnderscores) {
    const std::pair<const char*, const char*> cases[] = {
        {"a_10.0.0.7_b", "10.0.0.7"}, {"A_B", "B"},   {"AB", ""},
        {"_x", "x"},                  {"a__b", ""},   {"VEQ_127.0.0.2_box_1", "127.0.0.2"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(vequpgrade::ServerFromCredentialName(c.first), c.second) << c.first;
    }
}

TEST(CredentialsMigration, NameAndPasswordFilesBecomeAutoLogins) {
    const std::string folder = CredentialsFolder();
    const auto mailbox = [&](const std::string& base, const std::string& name, const std::string& password) {
        veqtest::WriteFile(folder + "/" + base + ".mbx", name);
        WritePasswordFile(folder + "/" + base + ".dwp", password);
    };
    mailbox("VEQ_127.0.0.2_scans", "Scans", "s3cret");
    mailbox("VEQ_127.0.0.3_team", "Team\n", "pässwörd");
    mailbox("AB", "Nameless", "pw");
    mailbox("VEQ_127.0.0.4_blank", "Blank", "");
    mailbox(".VEQ_127.0.0.5_hidden", "Hidden", "h1dden");

    RunUpgrade();

    const AutoLogins expected = {
        {"127.0.0.2", {"Scans", "s3cret"}},
        {"127.0.0.3", {"Team\n", "pässwörd"}},
        {"", {"Nameless", "pw"}},
        {"127.0.0.4", {"Blank", ""}},
        {"127.0.0.5", {"Hidden", "h1dden"}},
    };
    EXPECT_EQ(StoredAutoLogins(), expected);
}

TEST(CredentialsMigration, NameFilesWithoutAUsablePasswordFileAreSkipped) {
    const std::string folder = CredentialsFolder();
    const std::string elsewhere = folder + "/../elsewhere.dwp";
    WritePasswordFile(elsewhere, "not through a link");
    struct Case {
        const char* base;
        std::function<void(const std::string&)> makePasswordFile;
    };
    const Case cases[] = {
        {"VEQ_127.0.0.2_none", [](const std::string&) {}},
        {"VEQ_127.0.0.3_folder", [](const std::string& path) { ::mkdir(path.c_str(), 0755); }},
        {"VEQ_127.0.0.4_link", [&](const std::string& path) { ::symlink(elsewhere.c_str(), path.c_str()); }},
        {"VEQ_127.0.0.5_pipe", [](const std::string& path) { ::mkfifo(path.c_str(), 0644); }},
        {"VEQ_127.0.0.6_huge", [](const std::string& path) { veqtest::WriteFile(path, std::string(1 << 20, 'x')); }},
    };
    for (const Case& c : cases) {
        veqtest::WriteFile(folder + "/" + c.base + ".mbx", "Box");
        c.makePasswordFile(folder + "/" + c.base + ".dwp");
    }
    // Only an exact lower-case extension marks a name file.
    veqtest::WriteFile(folder + "/VEQ_127.0.0.7_caps.MBX", "Caps");
    WritePasswordFile(folder + "/VEQ_127.0.0.7_caps.dwp", "caps");

    RunUpgrade();

    EXPECT_TRUE(Settings()["autoLogins"].isNull()) << Settings().toStyledString();
}

TEST(CredentialsMigration, PasswordFilesThatDoNotDecipherGiveAnEmptyPassword) {
    const std::string folder = CredentialsFolder();
    veqtest::WriteFile(folder + "/VEQ_127.0.0.2_short.mbx", "Short");
    veqtest::WriteFile(folder + "/VEQ_127.0.0.2_short.dwp", "12345");
    veqtest::WriteFile(folder + "/VEQ_127.0.0.3_padding.mbx", "Padding");
    veqtest::WriteFile(folder + "/VEQ_127.0.0.3_padding.dwp", std::string(16, 'x'));
    veqtest::WriteFile(folder + "/VEQ_127.0.0.4_empty.mbx", "Empty");
    veqtest::WriteFile(folder + "/VEQ_127.0.0.4_empty.dwp", "");

    RunUpgrade();

    const AutoLogins expected = {
        {"127.0.0.2", {"Short", ""}},
        {"127.0.0.3", {"Padding", ""}},
        {"127.0.0.4", {"Empty", ""}},
    };
    EXPECT_EQ(StoredAutoLogins(), expected);
}

TEST(CredentialsMigration, AnAutoLoginOfTheSameServerIsUpdatedInPlace) {
    configtest::WriteSettingsText(R"({"autoLogins": [
        {"ip": "127.0.0.2", "name": "Old box", "password": "old"},
        {"ip": "127.0.0.9", "name": "Other", "password": "other"}]})");
    const std::string folder = CredentialsFolder();
    veqtest::WriteFile(folder + "/VEQ_127.0.0.2_scans.mbx", "Scans");
    WritePasswordFile(folder + "/VEQ_127.0.0.2_scans.dwp", "s3cret");

    RunUpgrade();

    const Json::Value logins = Settings()["autoLogins"];
    ASSERT_EQ(logins.size(), 2u);
    EXPECT_EQ(logins[0]["ip"], "127.0.0.2");
    EXPECT_EQ(logins[0]["name"], "Scans");
    EXPECT_EQ(logins[0]["password"], "s3cret");
    EXPECT_EQ(logins[1]["ip"], "127.0.0.9");
    EXPECT_EQ(logins[1]["password"], "other");
}

}  // namespace
