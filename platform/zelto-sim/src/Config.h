// What a controller is, as its fixture describes it: identity, logins, the
// system dictionary, features, scanning, engine boxes and locale strings.
// Mailboxes and jobs are its changing state (Controller).
#pragma once

#include "ZeltoSim.h"

#include <json/json.h>

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zeltosim {

using TextPairs = std::vector<std::pair<std::string, std::string>>;

struct ScanConfig {
    bool offered = true;           // SCAN_openSession succeeds
    std::vector<std::string> sources, pageSizes, resolutions, colorModes, orientations, formats;
    std::string defaultFormat;
    TextPairs attributes;          // what SCAN_serverAttributes answers, in order
    int pageDelayMs = 500;         // between page events of a scan
    int platenPages = 1;
    int adfPages = 3;
};

struct EngineBoxConfig {
    bool enabled = false;
    std::string userAuthentication;  // "INTERNAL", "EXTERNAL" or another text (no login)
    std::string accountTrack;        // "OFF" or another text
    TextPairs users;                 // name, password
};

struct AuthIdEntry {
    std::string domain, user, id;
    int number = 0;
};

struct ControllerConfig {
    std::string name = "Zelto";
    std::string product = "Zelto Varda";
    std::string model;
    std::string serial;
    std::string address;           // where the program serves it ("" = its --address)
    std::string timeZone;            // "+hhmm"; "" = the zone of the machine it runs on
    std::string defaultEncoding = "UTF8";
    std::optional<TextPairs> users;  // absent: any user name and password log in
    std::map<std::string, std::map<std::string, std::string>> dictionaries;
    std::vector<std::pair<std::string, std::optional<std::string>>> features;
    ScanConfig scan;
    EngineBoxConfig engineBoxes;
    std::vector<AuthIdEntry> authIds;
    bool mailboxPasswords = true;    // mailbox passwords are checked (E_MBOX_PASSWORD)
    Json::Value locales = Json::Value(Json::objectValue);  // language -> {key: text, context: {key: text}}
    std::string defaultLanguage = "en_US";
};

// A controller fixture, parsed.
struct ControllerFixture {
    ControllerConfig config;
    std::vector<MailboxInfo> mailboxes;
    std::vector<JobOptions> jobs;
};

// Parses one controller; throws FixtureError.
ControllerFixture ParseController(const Json::Value& fixture);
// The controllers of a fixture: its "controllers" array, or the fixture itself.
std::vector<Json::Value> ControllerFixtures(const Json::Value& fixture);
// A job description (fixture or control command) for a mailbox; throws FixtureError.
JobOptions ParseJob(const Json::Value& job, const std::string& mailbox);

}  // namespace zeltosim
