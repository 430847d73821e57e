// Fixture files (docs/zelto-sim-fixture.md) to controller descriptions.
#include "Config.h"

#include "JobContent.h"
#include "JsonParse.h"

#include <ctime>
#include <fstream>
#include <iterator>

namespace zeltosim {

namespace {

[[noreturn]] void Fail(const std::string& where, const std::string& what) {
    throw FixtureError("fixture: " + where + ": " + what);
}

const Json::Value& Member(const Json::Value& object, const char* key) {
    static const Json::Value null;
    return object.isObject() && object.isMember(key) ? object[key] : null;
}

std::string Text(const Json::Value& object, const char* key, const std::string& fallback,
                 const std::string& where) {
    const Json::Value& v = Member(object, key);
    if (v.isNull()) return fallback;
    if (!v.isString()) Fail(where + "." + key, "must be a text");
    return v.asString();
}

bool Flag(const Json::Value& object, const char* key, bool fallback, const std::string& where) {
    const Json::Value& v = Member(object, key);
    if (v.isNull()) return fallback;
    if (!v.isBool()) Fail(where + "." + key, "must be true or false");
    return v.asBool();
}

int64_t Number(const Json::Value& object, const char* key, int64_t fallback, int64_t low, int64_t high,
               const std::string& where) {
    const Json::Value& v = Member(object, key);
    if (v.isNull()) return fallback;
    if (!v.isIntegral()) Fail(where + "." + key, "must be a whole number");
    int64_t n = v.asInt64();
    if (n < low || n > high)
        Fail(where + "." + key, "must lie between " + std::to_string(low) + " and " + std::to_string(high));
    return n;
}

std::vector<std::string> TextList(const Json::Value& object, const char* key, const std::string& where) {
    const Json::Value& v = Member(object, key);
    std::vector<std::string> out;
    if (v.isNull()) return out;
    if (!v.isArray()) Fail(where + "." + key, "must be a list of texts");
    for (const auto& item : v) {
        if (!item.isString()) Fail(where + "." + key, "must be a list of texts");
        out.push_back(item.asString());
    }
    return out;
}

void CheckFormats(const std::vector<std::string>& formats, const std::string& where) {
    for (const auto& f : formats) {
        ContentFormat parsed;
        if (!ParseContentFormat(f, parsed)) Fail(where, "unknown format \"" + f + "\"");
    }
}

// A value list as the controller sends it: N_<key> = count, <key> = the
// default, <key>:1 ... <key>:n = every value.
void AddList(TextPairs& out, const std::string& key, const std::vector<std::string>& values,
             const std::string& defaultValue) {
    if (values.empty()) return;
    out.emplace_back("N_" + key, std::to_string(values.size()));
    out.emplace_back(key, defaultValue.empty() ? values.front() : defaultValue);
    for (size_t i = 0; i < values.size(); ++i) out.emplace_back(key + ":" + std::to_string(i + 1), values[i]);
}

void SetAttribute(TextPairs& attributes, const std::string& key, const std::optional<std::string>& value) {
    for (auto it = attributes.begin(); it != attributes.end(); ++it) {
        if (it->first != key) continue;
        if (value) it->second = *value;
        else attributes.erase(it);
        return;
    }
    if (value) attributes.emplace_back(key, *value);
}

// "+hhmm" or "-hhmm", at most 14 hours from UTC.
bool IsZone(const std::string& zone) {
    if (zone.size() != 5 || (zone[0] != '+' && zone[0] != '-')) return false;
    for (size_t i = 1; i < 5; ++i)
        if (zone[i] < '0' || zone[i] > '9') return false;
    int hours = std::stoi(zone.substr(1, 2)), minutes = std::stoi(zone.substr(3, 2));
    return minutes < 60 && hours * 60 + minutes <= 14 * 60;
}

std::string YesNo(bool v) { return v ? "YES" : "NO"; }

ScanConfig ParseScanning(const Json::Value& s, const ControllerConfig& config, bool mailboxPasswords,
                         const std::string& utf8Version) {
    const std::string where = "scanning";
    if (!s.isNull() && !s.isObject()) Fail(where, "must be an object");
    ScanConfig scan;
    scan.offered = Flag(s, "offered", true, where);
    scan.sources = TextList(s, "sources", where);
    scan.pageSizes = TextList(s, "pageSizes", where);
    scan.resolutions = TextList(s, "resolutions", where);
    scan.colorModes = TextList(s, "colorModes", where);
    scan.orientations = TextList(s, "orientations", where);
    scan.formats = TextList(s, "formats", where);
    if (scan.formats.empty()) scan.formats = {"PDF", "TIFF"};
    CheckFormats(scan.formats, where + ".formats");
    scan.defaultFormat = Text(s, "defaultFormat", scan.formats.front(), where);
    CheckFormats({scan.defaultFormat}, where + ".defaultFormat");
    scan.pageDelayMs = static_cast<int>(Number(s, "pageDelayMs", 500, 0, 60000, where));
    scan.platenPages = static_cast<int>(Number(s, "platenPages", 1, 1, 1000, where));
    scan.adfPages = static_cast<int>(Number(s, "adfPages", 3, 1, 1000, where));

    const Json::Value& defaults = Member(s, "defaults");
    if (!defaults.isNull() && !defaults.isObject()) Fail(where + ".defaults", "must be an object");
    auto preset = [&](const char* key) { return Text(defaults, key, "", where + ".defaults"); };

    TextPairs& a = scan.attributes;
    AddList(a, "SCAN_SOURCE", scan.sources, preset("SCAN_SOURCE"));
    AddList(a, "PAGESIZE", scan.pageSizes, preset("PAGESIZE"));
    AddList(a, "RESOLUTION", scan.resolutions, preset("RESOLUTION"));
    AddList(a, "COLOR_MODE", scan.colorModes, preset("COLOR_MODE"));
    AddList(a, "ORIENTATION", scan.orientations, preset("ORIENTATION"));
    AddList(a, "FILE_FORMAT", scan.formats, scan.defaultFormat);
    a.emplace_back("S_ORIENTATION", YesNo(!scan.orientations.empty()));
    a.emplace_back("E_ORIENTATION", YesNo(!scan.orientations.empty()));
    a.emplace_back("SUPPORT_DUPLEX", YesNo(Flag(s, "duplex", false, where)));
    a.emplace_back("E_MIXED_PAGESIZE", YesNo(Flag(s, "mixedPageSize", false, where)));
    a.emplace_back("SCAN_DEFAULT_FORMAT", scan.defaultFormat);
    a.emplace_back("SCAN_INIT_LOCKBY", Text(s, "lockedBy", "NONE", where));
    bool remote = Flag(s, "remoteInitiation", true, where);
    a.emplace_back("SCAN_REMOTE_INIT", YesNo(remote));
    a.emplace_back("VEQORA_INIT", YesNo(remote));
    a.emplace_back("VEQ_DISABLE_INITIATE", "NO");
    a.emplace_back("SCAN_ENABLED", YesNo(Flag(s, "enabled", true, where)));
    a.emplace_back("E_MBOX_PASSWORD", YesNo(mailboxPasswords));
    a.emplace_back("ENGINEBOX_ENABLED", YesNo(config.engineBoxes.enabled));
    if (config.engineBoxes.enabled) {
        a.emplace_back("ENGINEBOX_USERAUTH", config.engineBoxes.userAuthentication);
        a.emplace_back("ENGINEBOX_ACCOUNTTRACK", config.engineBoxes.accountTrack);
    }
    a.emplace_back("UTF8_VERSION", utf8Version);

    const Json::Value& raw = Member(s, "attributes");
    if (!raw.isNull()) {
        if (!raw.isObject()) Fail(where + ".attributes", "must be an object");
        for (const auto& key : raw.getMemberNames()) {
            const Json::Value& v = raw[key];
            if (!v.isNull() && !v.isString()) Fail(where + ".attributes." + key, "must be a text or null");
            SetAttribute(a, key, v.isNull() ? std::nullopt : std::optional<std::string>(v.asString()));
        }
    }
    return scan;
}

EngineBoxConfig ParseEngineBoxes(const Json::Value& e) {
    const std::string where = "engineBoxes";
    if (!e.isNull() && !e.isObject()) Fail(where, "must be an object");
    EngineBoxConfig boxes;
    boxes.enabled = Flag(e, "enabled", false, where);
    boxes.userAuthentication = Text(e, "userAuthentication", "INTERNAL", where);
    boxes.accountTrack = Text(e, "accountTrack", "OFF", where);
    const Json::Value& users = Member(e, "users");
    if (!users.isNull() && !users.isArray()) Fail(where + ".users", "must be a list");
    for (const auto& u : users)
        boxes.users.emplace_back(Text(u, "name", "", where + ".users"), Text(u, "password", "", where + ".users"));
    return boxes;
}

}  // namespace

JobOptions ParseJob(const Json::Value& job, const std::string& mailbox) {
    const std::string where = "job \"" + Text(job, "name", "Scan", "job") + "\"";
    if (!job.isObject()) Fail("job", "must be an object");
    JobOptions o;
    o.mailbox = mailbox;
    o.name = Text(job, "name", o.name, where);
    o.id = static_cast<int>(Number(job, "id", 0, 0, 0x7fffffff, where));
    o.pages = static_cast<int>(Number(job, "pages", 1, 1, kMaxPages, where));
    auto formats = TextList(job, "formats", where);
    if (!formats.empty()) o.formats = formats;
    CheckFormats(o.formats, where + ".formats");
    o.defaultFormat = Text(job, "defaultFormat", "", where);
    if (!o.defaultFormat.empty()) CheckFormats({o.defaultFormat}, where + ".defaultFormat");
    o.color = Flag(job, "color", true, where);
    o.dpi = static_cast<int>(Number(job, "dpi", o.dpi, kMinDpi, kMaxDpi, where));
    // A letter page at that resolution unless the raster is given.
    o.widthPx = static_cast<int>(Number(job, "width", (o.dpi * 17 + 1) / 2, kMinPageSidePx, kMaxPageSidePx, where));
    o.heightPx = static_cast<int>(Number(job, "height", o.dpi * 11, kMinPageSidePx, kMaxPageSidePx, where));
    o.seed = static_cast<uint32_t>(Number(job, "seed", 0, 0, 0xffffffffLL, where));
    o.paddingBytesPerPage = static_cast<uint64_t>(
        Number(job, "paddingBytesPerPage", 0, 0, static_cast<int64_t>(kMaxPaddingBytesPerPage), where));
    o.finishTime = Number(job, "finishTime", 0, 0, INT64_MAX, where);
    int64_t age = Number(job, "ageMinutes", -1, 0, 100LL * 365 * 24 * 60, where);
    if (age >= 0 && o.finishTime == 0) o.finishTime = static_cast<int64_t>(std::time(nullptr)) - age * 60;
    const Json::Value& attributes = Member(job, "attributes");
    if (!attributes.isNull()) {
        if (!attributes.isObject()) Fail(where + ".attributes", "must be an object");
        for (const auto& key : attributes.getMemberNames()) {
            const Json::Value& v = attributes[key];
            if (v.isNull()) o.removedAttributes.push_back(key);
            else if (v.isString()) o.attributes[key] = v.asString();
            else Fail(where + ".attributes." + key, "must be a text or null");
        }
    }
    return o;
}

ControllerFixture ParseController(const Json::Value& fixture) {
    if (!fixture.isObject()) Fail("controller", "must be an object");
    if (fixture.isMember("controllers"))
        Fail("controllers", "a simulator serves one controller: give it one entry of the list");
    ControllerFixture out;
    ControllerConfig& c = out.config;
    c.name = Text(fixture, "name", c.name, "controller");
    c.product = Text(fixture, "product", c.product, "controller");
    c.model = Text(fixture, "model", c.product, "controller");
    c.serial = Text(fixture, "serial", "", "controller");
    c.address = Text(fixture, "address", "", "controller");
    c.timeZone = Text(fixture, "timeZone", c.timeZone, "controller");
    if (!c.timeZone.empty() && !IsZone(c.timeZone)) Fail("controller.timeZone", "must read \"+hhmm\" or \"-hhmm\"");
    c.defaultEncoding = Text(fixture, "defaultEncoding", c.defaultEncoding, "controller");
    c.defaultLanguage = Text(fixture, "defaultLanguage", c.defaultLanguage, "controller");

    const Json::Value& users = Member(fixture, "users");
    if (!users.isNull()) {
        if (!users.isArray()) Fail("users", "must be a list");
        c.users = TextPairs();
        for (const auto& u : users) c.users->emplace_back(Text(u, "name", "", "users"), Text(u, "password", "", "users"));
    }

    const Json::Value& dictionary = Member(fixture, "dictionary");
    if (!dictionary.isNull() && !dictionary.isObject()) Fail("dictionary", "must be an object");
    for (const auto& name : dictionary.getMemberNames()) {
        const Json::Value& entries = dictionary[name];
        if (!entries.isObject()) Fail("dictionary." + name, "must be an object of texts");
        for (const auto& key : entries.getMemberNames()) c.dictionaries[name][key] = Text(entries, key.c_str(), "", "dictionary." + name);
    }

    const Json::Value& features = Member(fixture, "features");
    if (!features.isNull() && !features.isObject()) Fail("features", "must be an object");
    std::string utf8Version = "2";
    for (const auto& key : features.getMemberNames()) {
        const Json::Value& v = features[key];
        if (!v.isNull() && !v.isString()) Fail("features." + key, "must be a text or null");
        c.features.emplace_back(key, v.isNull() ? std::nullopt : std::optional<std::string>(v.asString()));
        if (key == "UTF8_VERSION" && v.isString()) utf8Version = v.asString();
    }

    const Json::Value& authIds = Member(fixture, "authIds");
    if (!authIds.isNull() && !authIds.isArray()) Fail("authIds", "must be a list");
    for (const auto& a : authIds) {
        c.authIds.push_back(AuthIdEntry{Text(a, "domain", "", "authIds"), Text(a, "user", "", "authIds"),
                                        Text(a, "id", "", "authIds"),
                                        static_cast<int>(Number(a, "number", 0, INT32_MIN, INT32_MAX, "authIds"))});
    }

    const Json::Value& locales = Member(fixture, "locales");
    if (!locales.isNull()) {
        if (!locales.isObject()) Fail("locales", "must be an object");
        for (const auto& language : locales.getMemberNames())
            if (!locales[language].isObject()) Fail("locales." + language, "must be an object");
        c.locales = locales;
    }

    c.engineBoxes = ParseEngineBoxes(Member(fixture, "engineBoxes"));
    c.mailboxPasswords = Flag(fixture, "mailboxPasswords", true, "controller");
    c.scan = ParseScanning(Member(fixture, "scanning"), c, c.mailboxPasswords, utf8Version);

    const Json::Value& mailboxes = Member(fixture, "mailboxes");
    if (!mailboxes.isNull() && !mailboxes.isArray()) Fail("mailboxes", "must be a list");
    bool hasDefault = false;
    for (const auto& m : mailboxes) {
        MailboxInfo box;
        box.name = Text(m, "name", "", "mailboxes");
        box.password = Text(m, "password", "", "mailboxes");
        box.engineUser = Text(m, "engineUser", "", "mailboxes");
        for (const auto& existing : out.mailboxes)
            if (existing.name == box.name) Fail("mailboxes", "two mailboxes named \"" + box.name + "\"");
        hasDefault = hasDefault || box.name.empty();
        const Json::Value& jobs = Member(m, "jobs");
        if (!jobs.isNull() && !jobs.isArray()) Fail("mailboxes." + box.name + ".jobs", "must be a list");
        for (const auto& j : jobs) out.jobs.push_back(ParseJob(j, box.name));
        out.mailboxes.push_back(box);
    }
    // Scans land in the default mailbox, so there always is one.
    if (!hasDefault) out.mailboxes.insert(out.mailboxes.begin(), MailboxInfo{"", "", "", 0});
    return out;
}

std::vector<Json::Value> ControllerFixtures(const Json::Value& fixture) {
    if (!fixture.isObject()) Fail("fixture", "must be an object");
    const Json::Value& list = Member(fixture, "controllers");
    if (list.isNull()) return {fixture};
    if (!list.isArray() || list.empty()) Fail("controllers", "must be a non-empty list");
    return std::vector<Json::Value>(list.begin(), list.end());
}

Json::Value LoadFixtureFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw FixtureError("fixture: cannot read " + path);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Json::Value root;
    std::string errors;
    if (!ParseJson(text.data(), text.data() + text.size(), root, errors))
        throw FixtureError("fixture: " + path + " is not valid JSON: " + errors);
    return root;
}

}  // namespace zeltosim
