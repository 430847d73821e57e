#include "Handlers.h"

#include "vellora.h"
#include "vellora_wire/Ops.h"

namespace zeltosim {

namespace {

using vwire::OptText;

void WriteJobs(vwire::Writer& out, const std::vector<JobEntry>& entries) {
    out.U32(static_cast<uint32_t>(entries.size()));
    for (const auto& e : entries) {
        std::vector<std::string> names, values;
        for (const auto& a : e.attributes) {
            names.push_back(a.first);
            values.push_back(a.second);
        }
        out.I32(e.id).I64(static_cast<int64_t>(e.size)).I32(e.pages).StrList(names).StrList(values);
    }
}

TextPairs Pairs(const std::vector<std::string>& names, const std::vector<std::string>& values) {
    TextPairs pairs;
    for (size_t i = 0; i < names.size() && i < values.size(); ++i) pairs.emplace_back(names[i], values[i]);
    return pairs;
}

void WriteTexts(vwire::Writer& out, const std::vector<OptText>& texts) { out.OptStrList(texts); }

// Each handler: read the fields, note them, honour an injection, act, answer.
#define READ_DONE()                                    \
    do {                                               \
        if (!c.in.Done()) return kMalformed;           \
        int injected = 0;                              \
        if (c.Injected(injected)) return injected;     \
    } while (0)

int Hello(CallContext& c) {
    std::string magic = c.in.Str(), user = c.in.Str(), password = c.in.Str();
    std::string application = c.in.Str(), key = c.in.Str(), protocol = c.in.Str();
    c.Arg("user", user);
    c.Arg("password", password);
    c.Arg("application", application);
    c.Arg("key", key);
    c.Arg("protocol", protocol);
    READ_DONE();
    if (magic != vwire::kProtocolMagic) return VELLORA_PROTOCOL_ERROR;
    int rc = c.controller.Login(user, password);
    if (rc != VELLORA_OK) return rc;
    c.loggedIn = true;
    c.fields.Str(c.controller.Config().name);
    return VELLORA_OK;
}

int Discover(CallContext& c) {
    READ_DONE();
    const auto& config = c.controller.Config();
    c.fields.Str(config.name).Str(config.product).Str(config.model);
    return VELLORA_OK;
}

int Subscribe(CallContext& c, uint16_t eventKind) {
    READ_DONE();
    c.subscriptions |= 1u << eventKind;
    return VELLORA_OK;
}

int DictRead(CallContext& c) {
    std::string dictionary = c.in.Str(), key = c.in.Str();
    c.Arg("dictionary", dictionary);
    c.Arg("key", key);
    READ_DONE();
    std::string value;
    int rc = c.controller.DictRead(dictionary, key, value);
    if (rc == VELLORA_OK) c.fields.Str(value);
    return rc;
}

int Features(CallContext& c) {
    READ_DONE();
    std::vector<OptText> names, values;
    for (const auto& f : c.controller.Config().features) {
        names.emplace_back(f.first);
        values.push_back(f.second);
    }
    c.fields.OptStrList(names).OptStrList(values);
    return VELLORA_OK;
}

int AuthId(CallContext& c) {
    std::string user = c.in.Str(), domain = c.in.Str();
    int kind = c.in.I32(), flags = c.in.I32();
    c.Arg("user", user);
    c.Arg("domain", domain);
    c.Arg("kind", std::to_string(kind));
    c.Arg("flags", std::to_string(flags));
    READ_DONE();
    std::string id;
    int number = 0;
    int rc = c.controller.AuthId(user, domain, id, number);
    if (rc == VELLORA_OK) c.fields.Str(id).I32(number);
    return rc;
}

int LocaleOpen(CallContext& c) {
    std::string language = c.in.Str(), encoding = c.in.Str();
    c.Arg("language", language);
    c.Arg("encoding", encoding);
    READ_DONE();
    c.fields.Str(c.controller.LocaleLanguage(language));
    return VELLORA_OK;
}

int LocaleGet(CallContext& c, bool withContext) {
    std::string language = c.in.Str();
    std::string context = withContext ? c.in.Str() : std::string();
    std::string key = c.in.Str();
    c.Arg("language", language);
    if (withContext) c.Arg("context", context);
    c.Arg("key", key);
    READ_DONE();
    std::string text;
    int rc = c.controller.LocaleString(language, withContext ? &context : nullptr, key, text);
    if (rc == VELLORA_OK) c.fields.Str(text);
    return rc;
}

int ScanAttributes(CallContext& c) {
    READ_DONE();
    std::vector<std::string> names, values;
    for (const auto& a : c.controller.Config().scan.attributes) {
        names.push_back(a.first);
        values.push_back(a.second);
    }
    c.fields.StrList(names).StrList(values);
    return VELLORA_OK;
}

int ScanInitiate(CallContext& c) {
    auto names = c.in.StrList();
    auto values = c.in.StrList();
    if (names.size() != values.size()) return kMalformed;
    TextPairs request = Pairs(names, values);
    for (const auto& a : request) c.Arg(a.first, a.second);
    READ_DONE();
    int jobId = 0;
    int rc = c.controller.InitiateScan(request, jobId);
    if (rc == VELLORA_OK) c.fields.I32(jobId);
    return rc;
}

int ScanJobCall(CallContext& c, uint16_t op) {
    int jobId = c.in.I32(), flags = c.in.I32();
    c.Arg("jobId", std::to_string(jobId));
    if (op == vwire::kOpScanCancel) c.Arg("flags", std::to_string(flags));
    READ_DONE();
    return op == vwire::kOpScanFinish ? c.controller.FinishScan(jobId) : c.controller.CancelScan(jobId);
}

int JobListMailbox(CallContext& c) {
    std::string mailbox = c.in.Str(), password = c.in.Str();
    c.Arg("mailbox", mailbox);
    c.Arg("password", password);
    READ_DONE();
    std::vector<JobEntry> jobs;
    int rc = c.controller.JobList(mailbox, password, jobs);
    if (rc == VELLORA_OK) WriteJobs(c.fields, jobs);
    return rc;
}

int JobListEngineBox(CallContext& c) {
    std::string user = c.in.Str(), password = c.in.Str();
    int flags = c.in.I32();
    std::string box = c.in.Str(), boxPassword = c.in.Str();
    c.Arg("user", user);
    c.Arg("password", password);
    c.Arg("flags", std::to_string(flags));
    c.Arg("box", box);
    c.Arg("boxPassword", boxPassword);
    READ_DONE();
    std::vector<JobEntry> jobs;
    int rc = c.controller.EngineJobList(user, password, box, boxPassword, jobs);
    if (rc == VELLORA_OK) WriteJobs(c.fields, jobs);
    return rc;
}

int BoxListEngineBox(CallContext& c) {
    std::string user = c.in.Str(), password = c.in.Str();
    OptText filter = c.in.OptStr();
    c.Arg("user", user);
    c.Arg("password", password);
    c.Arg("filter", filter ? *filter : "(none)");
    READ_DONE();
    std::vector<JobEntry> boxes;
    int rc = c.controller.EngineBoxList(user, password, filter, boxes);
    if (rc == VELLORA_OK) WriteJobs(c.fields, boxes);
    return rc;
}

int NumPages(CallContext& c) {
    int jobId = c.in.I32();
    c.Arg("jobId", std::to_string(jobId));
    READ_DONE();
    int pages = 0;
    int rc = c.controller.NumPages(jobId, pages);
    if (rc == VELLORA_OK) c.fields.I32(pages);
    return rc;
}

int MailboxJobCall(CallContext& c, uint16_t op) {
    std::string mailbox = c.in.Str(), password = c.in.Str();
    int jobId = c.in.I32();
    c.Arg("mailbox", mailbox);
    c.Arg("password", password);
    c.Arg("jobId", std::to_string(jobId));
    READ_DONE();
    if (op == vwire::kOpDeleteJob) return c.controller.DeleteJobInMailbox(mailbox, password, jobId);
    bool present = false;
    int rc = c.controller.IsJobInMailbox(mailbox, password, jobId, present);
    if (rc == VELLORA_OK) c.fields.I32(present ? 1 : 0);
    return rc;
}

int NoFields(CallContext& c) {
    READ_DONE();
    return VELLORA_OK;
}

}  // namespace

int HandleRequest(uint16_t op, CallContext& c) {
    switch (op) {
        case vwire::kOpHello: return Hello(c);
        case vwire::kOpDiscover: return Discover(c);
        case vwire::kOpBye:
        case vwire::kOpPing:
        case vwire::kOpScanClose: return NoFields(c);
        case vwire::kOpServerInfo: {
            READ_DONE();
            WriteTexts(c.fields, c.controller.ServerInfo());
            return VELLORA_OK;
        }
        case vwire::kOpDeviceInfo: {
            int device = c.in.I32();
            c.Arg("device", std::to_string(device));
            READ_DONE();
            Texts texts;
            int rc = c.controller.DeviceInfo(device, texts);
            if (rc == VELLORA_OK) WriteTexts(c.fields, texts);
            return rc;
        }
        case vwire::kOpDictRead: return DictRead(c);
        case vwire::kOpFeatures: return Features(c);
        case vwire::kOpAuthId: return AuthId(c);
        case vwire::kOpSubscribeServer: return Subscribe(c, vwire::kEventServer);
        case vwire::kOpSubscribeScanEx:
        case vwire::kOpSubscribeScan: return Subscribe(c, vwire::kEventScan);
        case vwire::kOpSubscribeAlerts: return Subscribe(c, vwire::kEventAlert);
        case vwire::kOpMonitor: {
            int retries = c.in.I32(), interval = c.in.I32();
            c.Arg("retries", std::to_string(retries));
            c.Arg("interval", std::to_string(interval));
            READ_DONE();
            return VELLORA_OK;
        }
        case vwire::kOpTicketEnd: {
            c.Arg("ticket", c.in.Str());
            READ_DONE();
            return VELLORA_OK;
        }
        case vwire::kOpLocaleOpen: return LocaleOpen(c);
        case vwire::kOpLocaleClose: {
            c.Arg("language", c.in.Str());
            READ_DONE();
            return VELLORA_OK;
        }
        case vwire::kOpLocaleGet: return LocaleGet(c, false);
        case vwire::kOpLocaleGetContext: return LocaleGet(c, true);
        case vwire::kOpDefaultEncoding: {
            READ_DONE();
            c.fields.Str(c.controller.Config().defaultEncoding);
            return VELLORA_OK;
        }
        case vwire::kOpScanOpen: {
            READ_DONE();
            return c.controller.Config().scan.offered ? VELLORA_OK : VELLORA_FUNCTION_NOT_AVAILABLE;
        }
        case vwire::kOpScanAttributes: return ScanAttributes(c);
        case vwire::kOpScanInitiate: return ScanInitiate(c);
        case vwire::kOpScanFinish:
        case vwire::kOpScanCancel: return ScanJobCall(c, op);
        case vwire::kOpJobListMailbox: return JobListMailbox(c);
        case vwire::kOpJobListEngineBox: return JobListEngineBox(c);
        case vwire::kOpBoxListEngineBox: return BoxListEngineBox(c);
        case vwire::kOpNumPages: return NumPages(c);
        case vwire::kOpIsJobInMailbox:
        case vwire::kOpDeleteJob: return MailboxJobCall(c, op);
        default: return VELLORA_FUNCTION_NOT_AVAILABLE;
    }
}

namespace {

// The fields of a data request, noted in the call record.
bool ReadDataFields(CallContext& c, std::string& mailbox, std::string& password, TextPairs& destination,
                    int64_t& offset, DataRequest& request) {
    mailbox = c.in.Str();
    password = c.in.Str();
    request.jobId = c.in.I32();
    auto names = c.in.StrList();
    auto values = c.in.StrList();
    offset = c.in.I64();
    request.length = c.in.U32();
    if (names.size() != values.size() || !c.in.Ok()) return false;
    destination = Pairs(names, values);
    c.Arg("mailbox", mailbox);
    c.Arg("password", password);
    c.Arg("jobId", std::to_string(request.jobId));
    for (const auto& d : destination) c.Arg(d.first, d.second);
    c.Arg("offset", std::to_string(offset));
    c.Arg("length", std::to_string(request.length));
    return true;
}

}  // namespace

int PrepareData(CallContext& c, DataRequest& request) {
    std::string mailbox, password;
    TextPairs destination;
    int64_t offset = 0;
    if (!ReadDataFields(c, mailbox, password, destination, offset, request)) return kMalformed;
    READ_DONE();
    if (offset < 0) return VELLORA_OFFSET_OUT_OF_RANGE;
    int rc = c.controller.OpenData(mailbox, password, request.jobId, destination, request.document);
    if (rc != VELLORA_OK) return rc;
    if (static_cast<uint64_t>(offset) > request.document->Size()) return VELLORA_OFFSET_OUT_OF_RANGE;
    request.offset = static_cast<uint64_t>(offset);
    return VELLORA_OK;
}

}  // namespace zeltosim
