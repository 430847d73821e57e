#include "Controller.h"

#include "vellora.h"
#include "vellora_wire/Codec.h"
#include "vellora_wire/Ops.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <stdexcept>
#include <strings.h>

namespace zeltosim {

namespace {

const std::string* Find(const TextPairs& pairs, const std::string& key) {
    for (const auto& p : pairs)
        if (p.first == key) return &p.second;
    return nullptr;
}

bool Contains(const std::vector<std::string>& list, const std::string& value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

// "+0530" to minutes east of UTC; 0 when it does not read.
int ZoneMinutes(const std::string& zone) {
    if (zone.size() != 5 || (zone[0] != '+' && zone[0] != '-')) return 0;
    for (size_t i = 1; i < 5; ++i)
        if (zone[i] < '0' || zone[i] > '9') return 0;
    int minutes = std::stoi(zone.substr(1, 2)) * 60 + std::stoi(zone.substr(3, 2));
    return zone[0] == '-' ? -minutes : minutes;
}

// The time now as "YYYY-MM-DD HH:MM:SS +hhmm": in the fixture's zone, or, when it
// sets none, in the zone of the machine the controller runs on (daylight saving
// as in effect now).
std::string ServerTime(const std::string& zone) {
    std::time_t now = std::time(nullptr);
    std::tm parts{};
    char text[64];
    if (zone.empty()) {
        localtime_r(&now, &parts);
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S %z", &parts);
        return text;
    }
    now += ZoneMinutes(zone) * 60;
    gmtime_r(&now, &parts);
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    return std::string(text) + " " + zone;
}

bool StrictNumber(const std::string& text, int& out) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    out = std::stoi(text);
    return true;
}

// Page raster of a scan in pixels: the page size (letter when unknown) at the resolution.
void PagePixels(const std::string& pageSize, bool landscape, int dpi, int& width, int& height) {
    struct Size {
        const char* name;
        double widthMm, heightMm;
    };
    static const Size sizes[] = {{"A3", 297, 420},      {"A4", 210, 297},       {"A5", 148, 210},
                                 {"LETTER", 215.9, 279.4}, {"LEGAL", 215.9, 355.6}, {"TABLOID", 279.4, 431.8}};
    double w = 215.9, h = 279.4;
    for (const auto& s : sizes)
        if (strcasecmp(s.name, pageSize.c_str()) == 0) {
            w = s.widthMm;
            h = s.heightMm;
        }
    width = static_cast<int>(std::lround(w / 25.4 * dpi));
    height = static_cast<int>(std::lround(h / 25.4 * dpi));
    if (landscape) std::swap(width, height);
}

// The resolution a scan asks for (RAW_X_RES, else RAW_Y_RES), else the
// scanner's default; 100 dpi when none reads as one that can be made.
int ScanDpi(const std::string& x, const std::string& y, const TextPairs& scanner) {
    const std::string* fallback = Find(scanner, "RESOLUTION");
    for (const std::string* text : {&x, &y, fallback}) {
        int dpi = 0;
        if (text && StrictNumber(*text, dpi) && dpi >= kMinDpi && dpi <= kMaxDpi) return dpi;
    }
    return 100;
}

std::string ScanEventFrame(int type, int jobId, const TextPairs& attributes) {
    std::vector<std::string> names, values;
    for (const auto& a : attributes) {
        names.push_back(a.first);
        values.push_back(a.second);
    }
    vwire::Writer w(vwire::Kind::Event, vwire::kEventScan, 0);
    w.I32(type).I32(jobId).StrList(names).StrList(values);
    return w.Finish();
}

}  // namespace

Controller::Controller(const ControllerFixture& fixture, EventSink& events)
    : m_config(fixture.config), m_events(events), m_mailboxes(fixture.mailboxes) {
    for (auto& box : m_mailboxes) box.jobCount = 0;
    for (const auto& job : fixture.jobs) {
        try {
            JobOptions o = job;
            o.id = ReserveId(o.id);
            if (!FindMailbox(o.mailbox)) throw std::invalid_argument("no mailbox \"" + o.mailbox + "\"");
            m_jobs[o.id] = std::make_shared<const Job>(MakeJob(o));
            m_reserved.erase(o.id);
        } catch (const std::invalid_argument& e) {
            throw FixtureError("fixture: job \"" + job.name + "\": " + e.what());
        }
    }
}

Controller::~Controller() { Shutdown(); }

void Controller::Shutdown() {
    std::thread thread;
    {
        std::lock_guard<std::mutex> lock(m_scanMutex);
        m_scan.cancelled = true;
        m_scanWake.notify_all();
        thread = std::move(m_scanThread);
    }
    if (thread.joinable()) thread.join();
}

// ---- Identity and information --------------------------------------------------------

int Controller::Login(const std::string& user, const std::string& password) const {
    if (!m_config.users) return VELLORA_OK;
    for (const auto& u : *m_config.users)
        if (u.first == user && u.second == password) return VELLORA_OK;
    return VELLORA_ACCESS_DENIED;
}

Texts Controller::ServerInfo() const {
    std::string version;
    DictRead("WB3_SYSTEM", "QMVSYSVER", version);
    return {m_config.name, m_config.product, version, std::string(), ServerTime(m_config.timeZone), m_config.serial,
            m_config.model, std::nullopt};
}

int Controller::DeviceInfo(int device, Texts& out) const {
    if (device != 0) return VELLORA_BAD_DEVICE_INDEX;
    std::string version;
    DictRead("WB3_SYSTEM", "QMVSYSVER", version);
    out = {m_config.name, std::string("Zelto"), m_config.product, version, m_config.model, m_config.serial,
           std::nullopt, std::nullopt};
    return VELLORA_OK;
}

int Controller::DictRead(const std::string& dictionary, const std::string& key, std::string& value) const {
    auto d = m_config.dictionaries.find(dictionary);
    if (d == m_config.dictionaries.end()) return VELLORA_NO_SUCH_SCOPE;
    auto k = d->second.find(key);
    if (k == d->second.end()) return VELLORA_KEY_NOT_FOUND;
    value = k->second;
    return VELLORA_OK;
}

int Controller::AuthId(const std::string& user, const std::string& domain, std::string& id, int& number) const {
    for (const auto& a : m_config.authIds) {
        if (a.user == user && strcasecmp(a.domain.c_str(), domain.c_str()) == 0) {
            id = a.id;
            number = a.number;
            return VELLORA_OK;
        }
    }
    return VELLORA_ITEM_NOT_FOUND;
}

std::string Controller::LocaleLanguage(const std::string& language) const {
    const Json::Value& locales = m_config.locales;
    if (locales.isMember(language)) return language;
    for (const auto& name : locales.getMemberNames())
        if (language.size() >= 2 && name.compare(0, 2, language, 0, 2) == 0) return name;
    if (locales.isMember(m_config.defaultLanguage)) return m_config.defaultLanguage;
    return language;
}

int Controller::LocaleString(const std::string& language, const std::string* context, const std::string& key,
                             std::string& text) const {
    const Json::Value& table = m_config.locales[language];
    if (!table.isObject()) return VELLORA_LOCL_UNKNOWN_KEY;
    if (context) {
        const Json::Value& inContext = table[*context];
        if (inContext.isObject() && inContext[key].isString()) {
            text = inContext[key].asString();
            return VELLORA_OK;
        }
    }
    if (table[key].isString()) {
        text = table[key].asString();
        return VELLORA_OK;
    }
    return VELLORA_LOCL_UNKNOWN_KEY;
}

// ---- Mailboxes and jobs ------------------------------------------------------------------

const MailboxInfo* Controller::FindMailbox(const std::string& name) const {
    for (const auto& box : m_mailboxes)
        if (box.name == name) return &box;
    return nullptr;
}

int Controller::CheckMailbox(const std::string& name, const std::string& password) const {
    const MailboxInfo* box = FindMailbox(name);
    if (!box) return VELLORA_ITEM_NOT_FOUND;
    if (m_config.mailboxPasswords && box->password != password) return VELLORA_ACCESS_DENIED;
    return VELLORA_OK;
}

int Controller::CheckEngineUser(const std::string& user, const std::string& password) const {
    const auto& boxes = m_config.engineBoxes;
    if (!boxes.enabled) return VELLORA_FUNCTION_NOT_AVAILABLE;
    bool login = boxes.userAuthentication == "INTERNAL" || boxes.userAuthentication == "EXTERNAL";
    if (!login) return VELLORA_OK;
    for (const auto& u : boxes.users)
        if (u.first == user && u.second == password) return VELLORA_OK;
    return VELLORA_ACCESS_DENIED;
}

std::vector<JobEntry> Controller::EntriesOf(const std::string& mailbox) const {
    std::vector<JobEntry> entries;
    for (const auto& entry : m_jobs) {
        const Job& job = *entry.second;
        if (job.options.mailbox != mailbox) continue;
        entries.push_back(JobEntry{job.options.id, job.size, job.options.pages, job.attributes});
    }
    return entries;
}

int Controller::JobList(const std::string& mailbox, const std::string& password, std::vector<JobEntry>& out) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    int rc = CheckMailbox(mailbox, password);
    if (rc != VELLORA_OK) return rc;
    out = EntriesOf(mailbox);
    return VELLORA_OK;
}

int Controller::EngineJobList(const std::string& user, const std::string& password, const std::string& box,
                              const std::string& boxPassword, std::vector<JobEntry>& out) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    int rc = CheckEngineUser(user, password);
    if (rc != VELLORA_OK) return rc;
    const MailboxInfo* found = FindMailbox(box);
    bool login = m_config.engineBoxes.userAuthentication == "INTERNAL" ||
                 m_config.engineBoxes.userAuthentication == "EXTERNAL";
    if (!found || found->engineUser.empty() || (login && found->engineUser != user)) return VELLORA_ITEM_NOT_FOUND;
    if (found->password != boxPassword) return VELLORA_ACCESS_DENIED;
    out = EntriesOf(box);
    return VELLORA_OK;
}

int Controller::EngineBoxList(const std::string& user, const std::string& password,
                              const std::optional<std::string>& filter, std::vector<JobEntry>& out) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    int rc = CheckEngineUser(user, password);
    if (rc != VELLORA_OK) return rc;
    bool login = m_config.engineBoxes.userAuthentication == "INTERNAL" ||
                 m_config.engineBoxes.userAuthentication == "EXTERNAL";
    out.clear();
    int index = 0;
    for (const auto& box : m_mailboxes) {
        if (box.engineUser.empty() || (login && box.engineUser != user)) continue;
        if (filter && !filter->empty() && box.name.find(*filter) == std::string::npos) continue;
        auto jobs = EntriesOf(box.name);
        out.push_back(JobEntry{++index, 0, static_cast<int>(jobs.size()),
                               TextPairs{{"BOX_NAME", box.name},
                                         {"BOX_OWNER", box.engineUser},
                                         {"BOX_PASSWORD", box.password.empty() ? "NO" : "YES"},
                                         {"N_JOBS", std::to_string(jobs.size())}}});
    }
    return VELLORA_OK;
}

int Controller::NumPages(int jobId, int& pages) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_jobs.find(jobId);
    if (it == m_jobs.end()) return VELLORA_JOB_NOT_FOUND;
    pages = it->second->options.pages;
    return VELLORA_OK;
}

int Controller::IsJobInMailbox(const std::string& mailbox, const std::string& password, int jobId,
                               bool& present) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    int rc = CheckMailbox(mailbox, password);
    if (rc != VELLORA_OK) return rc;
    auto it = m_jobs.find(jobId);
    present = it != m_jobs.end() && it->second->options.mailbox == mailbox;
    return VELLORA_OK;
}

int Controller::DeleteJobInMailbox(const std::string& mailbox, const std::string& password, int jobId) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        int rc = CheckMailbox(mailbox, password);
        if (rc != VELLORA_OK) return rc;
        auto it = m_jobs.find(jobId);
        if (it == m_jobs.end() || it->second->options.mailbox != mailbox) return VELLORA_JOB_NOT_FOUND;
        m_jobs.erase(it);
    }
    RaiseScanEvent(VELLORA_SCAN_EVENT_DELETED, jobId);
    return VELLORA_OK;
}

int Controller::OpenData(const std::string& mailbox, const std::string& password, int jobId,
                         const TextPairs& destination, std::shared_ptr<const JobDocument>& out) const {
    std::shared_ptr<const Job> job;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        int rc = CheckMailbox(mailbox, password);
        if (rc != VELLORA_OK) return rc;
        auto it = m_jobs.find(jobId);
        if (it == m_jobs.end() || it->second->options.mailbox != mailbox) return VELLORA_JOB_NOT_FOUND;
        job = it->second;
    }
    const std::string* dest = Find(destination, "DEST:1");
    if (dest && *dest != "CALLER") return VELLORA_SCAN_DEST_NOT_SUPPORTED;
    const std::string* format = Find(destination, "DEST_FORMAT:1");
    if (!format) format = Find(destination, "DEST_FORMAT");
    const std::string* pageText = Find(destination, "DEST_PAGE:1");
    int page = 0;
    if (pageText && !pageText->empty() && !StrictNumber(*pageText, page)) return VELLORA_BAD_PARAM;
    return FindRendition(*job, format ? *format : job->options.defaultFormat, page, out);
}

int Controller::ReserveId(int requested) {
    // With m_mutex held (or during construction).
    if (requested > 0) {
        if (m_jobs.count(requested) || m_reserved.count(requested))
            throw std::invalid_argument("job id " + std::to_string(requested) + " is in use");
    } else {
        while (m_jobs.count(m_nextJobId) || m_reserved.count(m_nextJobId)) ++m_nextJobId;
        requested = m_nextJobId;
    }
    m_nextJobId = std::max(m_nextJobId, requested + 1);
    m_reserved[requested] = true;
    return requested;
}

int Controller::AddJob(JobOptions options) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!FindMailbox(options.mailbox)) throw std::invalid_argument("no mailbox \"" + options.mailbox + "\"");
        options.id = ReserveId(options.id);
    }
    std::shared_ptr<const Job> job;
    try {
        job = std::make_shared<const Job>(MakeJob(options));  // outside the lock: content may take a moment
    } catch (...) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_reserved.erase(options.id);
        throw;
    }
    TextPairs attributes;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_reserved.erase(options.id);
        if (!FindMailbox(options.mailbox)) throw std::invalid_argument("no mailbox \"" + options.mailbox + "\"");
        m_jobs[options.id] = job;
        attributes = job->attributes;
    }
    RaiseScanEvent(VELLORA_SCAN_EVENT_CREATED, options.id, attributes);
    return options.id;
}

bool Controller::DeleteJob(int jobId) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_jobs.erase(jobId)) return false;
    }
    RaiseScanEvent(VELLORA_SCAN_EVENT_DELETED, jobId);
    return true;
}

std::vector<JobInfo> Controller::Jobs(const std::string* mailbox) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<JobInfo> out;
    for (const auto& entry : m_jobs)
        if (!mailbox || entry.second->options.mailbox == *mailbox) out.push_back(InfoOf(*entry.second));
    return out;
}

bool Controller::HasJob(int jobId) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_jobs.count(jobId) > 0;
}

bool Controller::AddMailbox(const MailboxInfo& mailbox) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (FindMailbox(mailbox.name)) return false;
    m_mailboxes.push_back(mailbox);
    m_mailboxes.back().jobCount = 0;
    return true;
}

bool Controller::DeleteMailbox(const std::string& name) {
    std::vector<int> deleted;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto box = std::find_if(m_mailboxes.begin(), m_mailboxes.end(),
                                [&](const MailboxInfo& m) { return m.name == name; });
        if (box == m_mailboxes.end()) return false;
        m_mailboxes.erase(box);
        for (auto it = m_jobs.begin(); it != m_jobs.end();) {
            if (it->second->options.mailbox == name) {
                deleted.push_back(it->first);
                it = m_jobs.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (int id : deleted) RaiseScanEvent(VELLORA_SCAN_EVENT_DELETED, id);
    return true;
}

std::vector<MailboxInfo> Controller::Mailboxes() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<MailboxInfo> out = m_mailboxes;
    for (auto& box : out) box.jobCount = static_cast<int>(EntriesOf(box.name).size());
    return out;
}

// ---- Events ---------------------------------------------------------------------------------

void Controller::RaiseScanEvent(int type, int jobId, const TextPairs& attributes) {
    m_events.Publish(vwire::kEventScan, ScanEventFrame(type, jobId, attributes));
}

void Controller::RaiseAlert(int kind, const std::string& text, int id) {
    vwire::Writer w(vwire::Kind::Event, vwire::kEventAlert, 0);
    w.I32(id).I32(kind).Str(text).I32(text.empty() ? 0 : 1);
    m_events.Publish(vwire::kEventAlert, w.Finish());
}

void Controller::RaiseServerEvent(int type, int id) {
    vwire::Writer w(vwire::Kind::Event, vwire::kEventServer, 0);
    w.I32(type).I32(id);
    m_events.Publish(vwire::kEventServer, w.Finish());
}

// ---- Scans -----------------------------------------------------------------------------------

int Controller::InitiateScan(const TextPairs& request, int& jobId) {
    const ScanConfig& scan = m_config.scan;
    if (!scan.offered) return VELLORA_FUNCTION_NOT_AVAILABLE;
    const std::string* enabled = Find(scan.attributes, "SCAN_ENABLED");
    if (!enabled || strcasecmp(enabled->c_str(), "YES") != 0) return VELLORA_ACCESS_DENIED;

    auto value = [&](const char* key) {
        const std::string* v = Find(request, key);
        return v ? *v : std::string();
    };
    struct Check {
        const char* key;
        const std::vector<std::string>& allowed;
    };
    const Check checks[] = {{"SCAN_SOURCE", scan.sources},     {"PAGESIZE", scan.pageSizes},
                            {"RAW_X_RES", scan.resolutions},   {"RAW_Y_RES", scan.resolutions},
                            {"COLOR_MODE", scan.colorModes},   {"ORIENTATION", scan.orientations},
                            {"FILE_FORMAT", scan.formats}};
    for (const auto& c : checks) {
        std::string v = value(c.key);
        if (!v.empty() && !c.allowed.empty() && !Contains(c.allowed, v)) return VELLORA_CONSTRAINTS_VIOLATED;
    }

    std::string colorMode = value("COLOR_MODE");
    JobOptions job;
    job.mailbox = "";
    job.pages = value("SCAN_SOURCE") == "ADF" ? scan.adfPages : scan.platenPages;
    if (value("SCAN_DOUBLE_SIDE") == "YES" || value("Duplex") == "1") job.pages *= 2;
    job.color = colorMode != "GRAYSCALE" && colorMode != "BLACK_WHITE";
    job.formats.clear();
    for (const auto& f : scan.formats)
        if (!(f == "JPEG" && colorMode == "BLACK_WHITE")) job.formats.push_back(f);
    if (job.formats.empty()) job.formats = {"PDF"};
    std::string wanted = value("FILE_FORMAT").empty() ? scan.defaultFormat : value("FILE_FORMAT");
    job.defaultFormat = Contains(job.formats, wanted) ? wanted : job.formats.front();
    job.dpi = ScanDpi(value("RAW_X_RES"), value("RAW_Y_RES"), scan.attributes);
    PagePixels(value("PAGESIZE"), value("ORIENTATION") == "LANDSCAPE", job.dpi, job.widthPx, job.heightPx);

    std::lock_guard<std::mutex> scanLock(m_scanMutex);
    if (m_scan.running) return VELLORA_BUSY;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!FindMailbox("")) return VELLORA_ITEM_NOT_FOUND;
        job.id = ReserveId(0);
    }
    char name[32];
    std::snprintf(name, sizeof name, "Scan_%04d", job.id);
    job.name = name;
    if (m_scanThread.joinable()) m_scanThread.join();  // the previous scan has ended
    m_scan = Scan{job.id, job, false, true};
    m_scanThread = std::thread([this] { RunScan(); });
    jobId = job.id;
    return VELLORA_OK;
}

void Controller::RunScan() {
    std::unique_lock<std::mutex> lock(m_scanMutex);
    const Scan scan = m_scan;
    auto delay = std::chrono::milliseconds(m_config.scan.pageDelayMs);
    bool cancelled = false;
    for (int page = 1; page <= scan.job.pages && !cancelled; ++page) {
        cancelled = m_scanWake.wait_for(lock, delay, [&] { return m_scan.cancelled; });
        if (cancelled) break;
        lock.unlock();
        RaiseScanEvent(VELLORA_SCAN_EVENT_PAGE_SCANNED, scan.jobId, {{"PAGE", std::to_string(page)}});
        lock.lock();
    }
    if (!cancelled) cancelled = m_scanWake.wait_for(lock, delay / 2, [&] { return m_scan.cancelled; });
    // The scanner is free once the paper is through; the job is then made.
    m_scan.running = false;
    lock.unlock();
    {
        std::lock_guard<std::mutex> idLock(m_mutex);
        m_reserved.erase(scan.jobId);  // AddJob reserves it again
    }
    if (cancelled) {
        RaiseScanEvent(VELLORA_SCAN_EVENT_CANCELLED, scan.jobId);
        return;
    }
    try {
        AddJob(scan.job);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zelto-sim: scan %d failed: %s\n", scan.jobId, e.what());
        RaiseScanEvent(VELLORA_SCAN_EVENT_FAILED, scan.jobId);
    }
}

int Controller::FinishScan(int jobId) const {
    {
        std::lock_guard<std::mutex> lock(m_scanMutex);
        if (m_scan.running && m_scan.jobId == jobId) return VELLORA_OK;
    }
    return HasJob(jobId) ? VELLORA_OK : VELLORA_JOB_NOT_FOUND;
}

int Controller::CancelScan(int jobId) {
    std::lock_guard<std::mutex> lock(m_scanMutex);
    if (!m_scan.running || m_scan.jobId != jobId || m_scan.cancelled) return VELLORA_JOB_NOT_FOUND;
    m_scan.cancelled = true;
    m_scanWake.notify_all();
    return VELLORA_OK;
}

}  // namespace zeltosim
