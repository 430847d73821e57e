// `zelto-sim ctl [--address A] [--port P] COMMAND [ARGUMENTS]`: sends one control
// command to a running simulator and prints its JSON answer. Exit status 0 when
// the command succeeded, 1 when the simulator refused it, 2 for bad usage or no
// simulator.
#include "JsonParse.h"
#include "Tool.h"

#include "vellora_wire/Codec.h"
#include "vellora_wire/Net.h"

#include <json/json.h>

#include <cstdlib>
#include <iostream>
#include <sstream>

namespace zeltosim {

namespace {

const char* const kHelp =
    "zelto-sim ctl [--address ADDRESS] [--port PORT] COMMAND [ARGUMENTS]\n"
    "  status | mailboxes | jobs [MAILBOX]\n"
    "  add-job [MAILBOX] [KEY=VALUE ...]     e.g. name=Scan pages=3 formats=PDF,TIFF color=false\n"
    "  delete-job ID\n"
    "  add-mailbox NAME [PASSWORD] | delete-mailbox NAME\n"
    "  scan-event TYPE [JOB_ID] | alert TEXT [KIND] | server-event TYPE [ID]\n"
    "  drop-connections | hang | resume\n"
    "  inject FUNCTION RESULT [COUNT]\n"
    "  fail-transfer JOB_ID AFTER_CHUNKS [RESULT [TIMES]]   (job id 0 = any job)\n"
    "  slow-transfer JOB_ID BYTES_PER_SECOND | drop-transfer JOB_ID AFTER_CHUNKS\n"
    "  clear-faults | calls [FUNCTION] | clear-calls\n"
    "  json '{\"command\": ...}'\n";

class Usage : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

Json::Value Integer(const std::string& text) {
    char* end = nullptr;
    long long v = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0') throw Usage("not a number: " + text);
    return Json::Int64(v);
}

// A KEY=VALUE of add-job: numbers, true/false, comma lists for formats.
void JobField(Json::Value& job, const std::string& field) {
    auto eq = field.find('=');
    if (eq == std::string::npos) throw Usage("expected KEY=VALUE, got " + field);
    std::string key = field.substr(0, eq), value = field.substr(eq + 1);
    if (key == "formats") {
        Json::Value list(Json::arrayValue);
        std::stringstream in(value);
        for (std::string f; std::getline(in, f, ',');) list.append(f);
        job[key] = list;
    } else if (value == "true" || value == "false") {
        job[key] = value == "true";
    } else if (!value.empty() && value.find_first_not_of("0123456789") == std::string::npos) {
        job[key] = Integer(value);
    } else {
        job[key] = value;
    }
}

Json::Value BuildCommand(const std::vector<std::string>& words) {
    if (words.empty()) throw Usage("no command");
    const std::string& name = words[0];
    auto arg = [&](size_t i) -> const std::string& {
        if (i >= words.size()) throw Usage(name + ": missing argument");
        return words[i];
    };
    auto optional = [&](size_t i) { return i < words.size(); };
    Json::Value c;
    c["command"] = name;
    if (name == "json") {
        std::string errors;
        const std::string& text = arg(1);
        if (!zeltosim::ParseJson(text.data(), text.data() + text.size(), c, errors)) throw Usage("not JSON: " + errors);
    } else if (name == "jobs") {
        if (optional(1)) c["mailbox"] = words[1];
    } else if (name == "add-job") {
        Json::Value job(Json::objectValue);
        size_t i = 1;
        if (i < words.size() && words[i].find('=') == std::string::npos) c["mailbox"] = words[i++];
        for (; i < words.size(); ++i) JobField(job, words[i]);
        c["job"] = job;
    } else if (name == "delete-job") {
        c["id"] = Integer(arg(1));
    } else if (name == "add-mailbox") {
        c["name"] = arg(1);
        if (optional(2)) c["password"] = words[2];
    } else if (name == "delete-mailbox") {
        c["name"] = arg(1);
    } else if (name == "scan-event") {
        c["type"] = Integer(arg(1));
        if (optional(2)) c["jobId"] = Integer(words[2]);
    } else if (name == "alert") {
        c["text"] = arg(1);
        if (optional(2)) c["kind"] = Integer(words[2]);
    } else if (name == "server-event") {
        c["type"] = Integer(arg(1));
        if (optional(2)) c["id"] = Integer(words[2]);
    } else if (name == "inject") {
        c["function"] = arg(1);
        c["result"] = Integer(arg(2));
        if (optional(3)) c["count"] = Integer(words[3]);
    } else if (name == "fail-transfer") {
        c["jobId"] = Integer(arg(1));
        c["afterChunks"] = Integer(arg(2));
        if (optional(3)) c["result"] = Integer(words[3]);
        if (optional(4)) c["times"] = Integer(words[4]);
    } else if (name == "slow-transfer") {
        c["jobId"] = Integer(arg(1));
        c["bytesPerSecond"] = Integer(arg(2));
    } else if (name == "drop-transfer") {
        c["jobId"] = Integer(arg(1));
        c["afterChunks"] = Integer(arg(2));
    } else if (name == "calls") {
        if (optional(1)) c["function"] = words[1];
    }
    return c;
}

// One control request and its answer; false with why when there is no simulator.
bool Send(const std::string& address, int port, const Json::Value& command, Json::Value& answer, std::string& why) {
    vwire::Endpoint endpoint;
    if (!vwire::LoopbackEndpoint(address, port, endpoint)) {
        why = "not a loopback address: " + address;
        return false;
    }
    int error = 0;
    vwire::Socket socket = vwire::ConnectTcp(endpoint, 2000, error);
    if (!socket.Valid()) {
        why = "no simulator on " + address + ":" + std::to_string(port);
        return false;
    }
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    std::string text = Json::writeString(writer, command);
    vwire::Writer request(vwire::Kind::ControlRequest, 0, 1);
    request.Raw(text.data(), text.size());
    const std::string& frame = request.Finish();
    auto deadline = vwire::Clock::now() + std::chrono::seconds(30);
    char raw[vwire::kHeaderSize];
    vwire::FrameHeader header;
    std::string error2;
    if (vwire::SendAll(socket.Fd(), frame.data(), frame.size(), deadline) != vwire::Io::Ok ||
        vwire::RecvExact(socket.Fd(), raw, sizeof raw, deadline) != vwire::Io::Ok ||
        !vwire::DecodeHeader(raw, header, error2) || header.kind != vwire::Kind::ControlReply) {
        why = "no control answer from " + address + ":" + std::to_string(port);
        return false;
    }
    std::string body(header.bodyLength, '\0');
    if (!body.empty() && vwire::RecvExact(socket.Fd(), &body[0], body.size(), deadline) != vwire::Io::Ok) {
        why = "truncated control answer";
        return false;
    }
    if (!zeltosim::ParseJson(body.data(), body.data() + body.size(), answer, error2)) {
        why = "the control answer is not JSON";
        return false;
    }
    return true;
}

}  // namespace

int Ctl(const std::vector<std::string>& args) {
    std::string address = "127.0.0.1", portText;
    std::vector<std::string> words;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--address" && i + 1 < args.size()) address = args[++i];
        else if (args[i] == "--port" && i + 1 < args.size()) portText = args[++i];
        else words.push_back(args[i]);
    }
    if (words.empty() || words[0] == "help" || words[0] == "--help") {
        std::cout << kHelp;
        return words.empty() ? 2 : 0;
    }
    int port = PortFrom(portText);
    Json::Value command;
    try {
        if (port < 0) throw Usage("not a port: " + portText);
        command = BuildCommand(words);
    } catch (const Usage& e) {
        std::cerr << "zelto-sim ctl: " << e.what() << "\n" << kHelp;
        return 2;
    }
    Json::Value answer;
    std::string why;
    if (!Send(address, port, command, answer, why)) {
        std::cerr << "zelto-sim ctl: " << why << "\n";
        return 2;
    }
    std::cout << answer.toStyledString();
    return answer["ok"].asBool() ? 0 : 1;
}

}  // namespace zeltosim
