// The older version's settings file carried into "veq_config" and
// "veq_config_old_settings" by a run of VEQUpgrade.
#include <gtest/gtest.h>

#include <string>

#include "UpgradeFixtures.h"

namespace {

using upgradetest::RunUpgrade;
using upgradetest::Server;
using upgradetest::Settings;
using upgradetest::WriteOldSettings;

const std::string kTwoServers =
    "numservers=2\n"
    "ipaddress_0=127.0.0.2\nservername_0=Front desk\ndevicename_0=Zelto 4500\n"
    "ipaddress_1=127.0.0.3\nservername_1=Back office\ndevicename_1=Zelto 6100\n";

// Current settings that already know a server, which is current.
void WriteCurrentSettings() {
    configtest::WriteSettingsText(R"({
        "currentServer": {"ip": "127.0.0.9", "name": "Print room", "model": "Zelto 9000"},
        "recentServers": [{"ip": "127.0.0.9", "name": "Print room", "model": "Zelto 9000"}],
        "attributes": null,
        "autoLogins": [{"ip": "127.0.0.9", "name": "Room", "password": "kept"}],
        "autoLoginState": 0,
        "lastJobSavePath": "/home/staff/Jobs"
    })");
}

TEST(SettingsMigration, CarriesEveryOldSettingOver) {
    WriteOldSettings(kTwoServers +
                     "selectedserver=1\nautoLogin=0\nSaveToDiskPath=/home/staff/Scans\n"
                     "ScanSource=ADF\nScanColorMode=GRAYSCALE\nScanOrientation=LANDSCAPE\n"
                     "ScanPaperSize=A4\nScanResolution=300\nScanSide=SCAN_DOUBLE_SIDE\n");

    RunUpgrade();

    const Json::Value settings = Settings();
    Json::Value recent(Json::arrayValue);
    recent.append(Server("127.0.0.2", "Front desk", "Zelto 4500"));
    recent.append(Server("127.0.0.3", "Back office", "Zelto 6100"));
    EXPECT_EQ(settings["recentServers"], recent);
    EXPECT_EQ(settings["currentServer"], Server("127.0.0.3", "Back office", "Zelto 6100"));
    EXPECT_EQ(settings["autoLoginState"], 0);
    EXPECT_EQ(settings["lastJobSavePath"], "/home/staff/Scans");

    Json::Value attributes(Json::arrayValue);
    for (const auto& pair : {std::make_pair("COLOR_MODE", "GRAYSCALE"),
                             std::make_pair("ORIENTATION", "LANDSCAPE"),
                             std::make_pair("PAGESIZE", "A4"), std::make_pair("RESOLUTION", "300"),
                             std::make_pair("SCAN_SOURCE", "ADF"),
                             std::make_pair("SIDES_TO_SCAN", "SCAN_DOUBLE_SIDE")}) {
        Json::Value attribute(Json::objectValue);
        attribute["key"] = pair.first;
        attribute["value"] = pair.second;
        attributes.append(attribute);
    }
    EXPECT_EQ(upgradetest::OldScanSettings()["attributes"], attributes);
    EXPECT_TRUE(settings["attributes"].isNull()) << "scan settings stay out of veq_config";
}

TEST(SettingsMigration, TheMachineWideFileCountsWhereThePerUserOneIsSilent) {
    const std::string global = veqplatform::UnderRoot("/etc/Veqora.conf");
    upgradetest::MakeFolder(veqplatform::UnderRoot("/etc"));
    veqtest::WriteFile(global, "[6]\nnumservers=1\nipaddress_0=127.0.0.2\nservername_0=Réception\n"
                               "SaveToDiskPath=/srv/scans\n");
    WriteOldSettings("SaveToDiskPath=/home/staff/Données\n");

    RunUpgrade();

    EXPECT_EQ(Settings()["currentServer"], Server("127.0.0.2", "Réception", ""));
    EXPECT_EQ(Settings()["lastJobSavePath"], "/home/staff/Données");
}

TEST(SettingsMigration, WithoutAnOldVersionTheCurrentSettingsStay) {
    WriteCurrentSettings();
    const Json::Value before = Settings();

    RunUpgrade();

    EXPECT_EQ(Settings(), before);
    // The scan settings file holds the six keys with empty values.
    const Json::Value attributes = upgradetest::OldScanSettings()["attributes"];
    ASSERT_EQ(attributes.size(), 6u);
    for (const Json::Value& attribute : attributes) {
        EXPECT_EQ(attribute["value"], "") << attribute["key"];
    }
}

TEST(SettingsMigration, BadServerCountsMigrateNoServers) {
    for (const char* count : {"0", "-2", "x", "", "2abc", "99999999999999999999"}) {
        SCOPED_TRACE(count);
        std::string lines = kTwoServers;
        lines.replace(0, lines.find('\n'), std::string("numservers=") + count);
        WriteOldSettings(lines);

        RunUpgrade();

        EXPECT_TRUE(Settings()["recentServers"].isNull());
        EXPECT_EQ(Settings()["currentServer"], Server("", "", ""));
    }
}

TEST(SettingsMigration, ACountPastTheStoredServersTakesOnlyThoseStored) {
    WriteOldSettings("numservers=2000000000\n"
                     "ipaddress_0=127.0.0.2\nservername_0=Front desk\n"
                     "ipaddress_7=127.0.0.3\ndevicename_7=Zelto 6100\n"
                     "ipaddress_07=127.0.0.4\n");

    RunUpgrade();

    Json::Value recent(Json::arrayValue);
    recent.append(Server("127.0.0.2", "Front desk", ""));
    recent.append(Server("127.0.0.3", "", "Zelto 6100"));
    EXPECT_EQ(Settings()["recentServers"], recent);
}

// Crafted old settings: the work is bounded (a generous time-out of the run
// catches a hang) and the sane part is carried over. The old version kept a
// handful of recent servers; those with the first fifty indices come over.
TEST(SettingsMigration, CraftedSettingsAreBoundedAndTheSanePartCarriedOver) {
    std::string manyServers = "numservers=20000\nselectedserver=3\n";
    for (int i = 0; i < 20000; ++i) {
        manyServers += "ipaddress_" + std::to_string(i) + "=10." + std::to_string(i / 250) + "." +
                       std::to_string(i % 250) + ".1\n";
    }
    std::string manyLines;
    for (int i = 0; i < 300000; ++i) manyLines += "key" + std::to_string(i) + "=value\n";
    std::string manyGroups;
    for (int i = 0; i < 100000; ++i) manyGroups += "[g" + std::to_string(i) + "]\nnumservers=9\n";
    const std::string sane = "numservers=1\nipaddress_0=127.0.0.2\nservername_0=Front desk\n";
    struct Case {
        const char* what;
        std::string text;  // the whole per-user file
        size_t servers;
        const char* current;
    } cases[] = {
        {"20,000 servers", "[6]\n" + manyServers, 50, "10.0.3.1"},
        {"300,000 lines around the sane ones", "[6]\n" + manyLines + sane + manyLines, 1, "127.0.0.2"},
        {"a 20 MB line between sane ones",
         "[6]\nnumservers=1\nipaddress_0=" + std::string(20 << 20, 'x') + "\n" + sane, 1, "127.0.0.2"},
        {"100,000 groups before the sane one", manyGroups + "[6]\n" + sane, 1, "127.0.0.2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::remove((configtest::ConfigDir() + "veq_config").c_str());
        veqtest::WriteFile(upgradetest::OldSettingsFile(), c.text);

        RunUpgrade();

        EXPECT_EQ(Settings()["recentServers"].size(), c.servers);
        EXPECT_EQ(Settings()["recentServers"][0]["name"], c.servers == 1 ? "Front desk" : "");
        EXPECT_EQ(Settings()["currentServer"]["ip"], c.current);
    }
}

TEST(SettingsMigration, TheOldSelectionPicksTheOldServerByItsAddress) {
    struct Case {
        const char* what;
        std::string oldSettings;
        bool currentSettings;  // the current settings already had a server
        std::string expectedCurrent;
    };
    const std::string threeWithDuplicate =
        "numservers=3\nipaddress_0=127.0.0.2\nipaddress_1=127.0.0.2\nipaddress_2=127.0.0.3\n";
    const Case cases[] = {
        {"selected in a fresh installation", kTwoServers + "selectedserver=1\n", false, "127.0.0.3"},
        {"selected after a server the current settings had", kTwoServers + "selectedserver=1\n",
         true, "127.0.0.3"},
        {"selected after a duplicate was skipped", threeWithDuplicate + "selectedserver=2\n", false,
         "127.0.0.3"},
        {"selected server known by another letter case",
         "numservers=1\nipaddress_0=PRINT ROOM\nselectedserver=0\n", true, "127.0.0.9"},
        {"below the list", kTwoServers + "selectedserver=-1\n", false, "127.0.0.2"},
        {"past the list", kTwoServers + "selectedserver=2\n", false, "127.0.0.2"},
        {"not a number", kTwoServers + "selectedserver=one\n", false, "127.0.0.2"},
        {"no selection", kTwoServers, true, "127.0.0.9"},
        {"past the list, current settings had a server", kTwoServers + "selectedserver=5\n", true,
         "127.0.0.9"},
        {"a server without an address", "numservers=1\nservername_0=Name only\nselectedserver=0\n",
         true, "127.0.0.9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::remove((configtest::ConfigDir() + "veq_config").c_str());
        if (c.currentSettings) {
            WriteCurrentSettings();
        }
        WriteOldSettings(c.oldSettings);

        RunUpgrade();

        EXPECT_EQ(Settings()["currentServer"]["ip"], c.expectedCurrent);
    }
}

TEST(SettingsMigration, TheLastSavePathIsReplacedOnlyByAnOldOne) {
    struct Case {
        const char* oldLine;
        const char* expected;
    };
    const Case cases[] = {
        {"SaveToDiskPath=/home/staff/Old scans\n", "/home/staff/Old scans"},
        {"", "/home/staff/Jobs"},
        {"SaveToDiskPath=\n", "/home/staff/Jobs"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.oldLine);
        WriteCurrentSettings();
        WriteOldSettings(c.oldLine);

        RunUpgrade();

        EXPECT_EQ(Settings()["lastJobSavePath"], c.expected);
    }
}

TEST(SettingsMigration, TheAutoLoginSwitchFollowsANumberOnly) {
    struct Case {
        const char* oldLine;
        int currentState;
        int expected;
    };
    const Case cases[] = {
        {"autoLogin=0\n", 1, 0}, {"autoLogin=1\n", 0, 1}, {"autoLogin=7\n", 0, 1},
        {"", 0, 0},              {"", 1, 1},              {"autoLogin=yes\n", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.oldLine) + " over " + std::to_string(c.currentState));
        configtest::WriteSettingsText("{\"autoLoginState\": " + std::to_string(c.currentState) + "}");
        WriteOldSettings(c.oldLine);

        RunUpgrade();

        EXPECT_EQ(Settings()["autoLoginState"], c.expected);
    }
}

TEST(SettingsMigration, RunningAgainAddsNothingTwice) {
    WriteCurrentSettings();
    WriteOldSettings(kTwoServers + "selectedserver=0\n");

    RunUpgrade();
    const Json::Value once = Settings();
    RunUpgrade();

    EXPECT_EQ(Settings(), once);
    EXPECT_EQ(once["recentServers"].size(), 3u);
    EXPECT_EQ(once["currentServer"]["ip"], "127.0.0.2");
}

}  // namespace
