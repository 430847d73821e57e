// The JSON control commands (what `zelto-sim ctl` sends; docs/zelto-sim-protocol.md):
// {"command": name, ...arguments} answered by {"ok": true, ...} or
// {"ok": false, "error": text}.
#include "ZeltoSim.h"

#include "Config.h"

#include <functional>
#include <map>
#include <stdexcept>

namespace zeltosim {

namespace {

class BadCommand : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string TextArg(const Json::Value& c, const char* key, const char* fallback = nullptr) {
    const Json::Value& v = c[key];
    if (v.isNull() && fallback) return fallback;
    if (!v.isString()) throw BadCommand(std::string("\"") + key + "\" must be a text");
    return v.asString();
}

int64_t NumberArg(const Json::Value& c, const char* key, const int64_t* fallback = nullptr) {
    const Json::Value& v = c[key];
    if (v.isNull() && fallback) return *fallback;
    if (!v.isIntegral()) throw BadCommand(std::string("\"") + key + "\" must be a whole number");
    return v.asInt64();
}

int IntArg(const Json::Value& c, const char* key) { return static_cast<int>(NumberArg(c, key)); }

int IntArg(const Json::Value& c, const char* key, int64_t fallback) {
    return static_cast<int>(NumberArg(c, key, &fallback));
}

Json::Value JobJson(const JobInfo& job) {
    Json::Value j;
    j["id"] = job.id;
    j["mailbox"] = job.mailbox;
    j["name"] = job.name;
    j["pages"] = job.pages;
    j["formats"] = Json::Value(Json::arrayValue);
    for (const auto& f : job.formats) j["formats"].append(f);
    j["defaultFormat"] = job.defaultFormat;
    j["size"] = Json::UInt64(job.size);
    j["finishTime"] = Json::Int64(job.finishTime);
    j["width"] = job.widthPx;
    j["height"] = job.heightPx;
    j["dpi"] = job.dpi;
    return j;
}

Json::Value CallsJson(const std::vector<CallRecord>& calls) {
    Json::Value list(Json::arrayValue);
    for (const auto& call : calls) {
        Json::Value c;
        c["sequence"] = Json::UInt64(call.sequence);
        c["connection"] = Json::UInt64(call.connection);
        c["function"] = call.function;
        c["result"] = call.result;
        c["arguments"] = Json::Value(Json::arrayValue);
        for (const auto& a : call.arguments) {
            Json::Value pair(Json::arrayValue);
            pair.append(a.first);
            pair.append(a.second);
            c["arguments"].append(pair);
        }
        list.append(c);
    }
    return list;
}

}  // namespace

Json::Value Simulator::Control(const Json::Value& command) {
    using Handler = std::function<void(const Json::Value&, Json::Value&)>;
    const std::map<std::string, Handler> handlers = {
        {"status",
         [this](const Json::Value&, Json::Value& out) {
             out["name"] = ServerName();
             out["address"] = Address();
             out["port"] = Port();
             out["connections"] = ConnectionCount();
             out["hung"] = Hung();
         }},
        {"mailboxes",
         [this](const Json::Value&, Json::Value& out) {
             out["mailboxes"] = Json::Value(Json::arrayValue);
             for (const auto& m : Mailboxes()) {
                 Json::Value box;
                 box["name"] = m.name;
                 box["password"] = m.password;
                 box["engineUser"] = m.engineUser;
                 box["jobs"] = m.jobCount;
                 out["mailboxes"].append(box);
             }
         }},
        {"jobs",
         [this](const Json::Value& c, Json::Value& out) {
             auto jobs = c.isMember("mailbox") ? Jobs(TextArg(c, "mailbox")) : AllJobs();
             out["jobs"] = Json::Value(Json::arrayValue);
             for (const auto& j : jobs) out["jobs"].append(JobJson(j));
         }},
        {"add-job",
         [this](const Json::Value& c, Json::Value& out) {
             const Json::Value& job = c["job"];
             if (!job.isNull() && !job.isObject()) throw BadCommand("\"job\" must be an object");
             out["id"] = AddJob(ParseJob(job.isNull() ? Json::Value(Json::objectValue) : job,
                                         TextArg(c, "mailbox", "")));
         }},
        {"delete-job",
         [this](const Json::Value& c, Json::Value&) {
             if (!DeleteJob(IntArg(c, "id"))) throw BadCommand("no job " + std::to_string(IntArg(c, "id")));
         }},
        {"add-mailbox",
         [this](const Json::Value& c, Json::Value&) {
             std::string name = TextArg(c, "name");
             if (!AddMailbox(name, TextArg(c, "password", ""), TextArg(c, "engineUser", "")))
                 throw BadCommand("a mailbox \"" + name + "\" exists");
         }},
        {"delete-mailbox",
         [this](const Json::Value& c, Json::Value&) {
             std::string name = TextArg(c, "name");
             if (!DeleteMailbox(name)) throw BadCommand("no mailbox \"" + name + "\"");
         }},
        {"scan-event", [this](const Json::Value& c, Json::Value&) { RaiseScanEvent(IntArg(c, "type"), IntArg(c, "jobId", 0)); }},
        {"alert",
         [this](const Json::Value& c, Json::Value&) {
             RaiseAlert(IntArg(c, "kind", 1), TextArg(c, "text"), IntArg(c, "id", 0));
         }},
        {"server-event", [this](const Json::Value& c, Json::Value&) { RaiseServerEvent(IntArg(c, "type"), IntArg(c, "id", 0)); }},
        {"drop-connections", [this](const Json::Value&, Json::Value&) { DropConnections(); }},
        {"hang", [this](const Json::Value&, Json::Value&) { Hang(); }},
        {"resume", [this](const Json::Value&, Json::Value&) { Resume(); }},
        {"inject",
         [this](const Json::Value& c, Json::Value&) {
             InjectResult(TextArg(c, "function"), IntArg(c, "result"), IntArg(c, "count", 1));
         }},
        {"fail-transfer",
         [this](const Json::Value& c, Json::Value&) {
             FailTransfer(IntArg(c, "jobId", 0), IntArg(c, "afterChunks", 0), IntArg(c, "result", -11),
                          IntArg(c, "times", 1));
         }},
        {"slow-transfer",
         [this](const Json::Value& c, Json::Value&) {
             int64_t rate = NumberArg(c, "bytesPerSecond");
             if (rate < 0) throw BadCommand("\"bytesPerSecond\" must not be negative");
             SlowTransfer(IntArg(c, "jobId", 0), static_cast<uint64_t>(rate));
         }},
        {"drop-transfer",
         [this](const Json::Value& c, Json::Value&) { DropDuringTransfer(IntArg(c, "jobId", 0), IntArg(c, "afterChunks", 0)); }},
        {"clear-faults", [this](const Json::Value&, Json::Value&) { ClearFaults(); }},
        {"calls",
         [this](const Json::Value& c, Json::Value& out) {
             out["calls"] = CallsJson(c.isMember("function") ? Calls(TextArg(c, "function")) : Calls());
         }},
        {"clear-calls", [this](const Json::Value&, Json::Value&) { ClearCalls(); }},
    };

    Json::Value out(Json::objectValue);
    try {
        if (!command.isObject() || !command["command"].isString()) throw BadCommand("no \"command\" text");
        std::string name = command["command"].asString();
        auto it = handlers.find(name);
        if (it == handlers.end()) throw BadCommand("unknown command \"" + name + "\"");
        it->second(command, out);
        out["ok"] = true;
    } catch (const std::exception& e) {
        out = Json::Value(Json::objectValue);
        out["ok"] = false;
        out["error"] = e.what();
    }
    return out;
}

}  // namespace zeltosim
