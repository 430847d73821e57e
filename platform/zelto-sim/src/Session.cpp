#include "Session.h"

#include "Handlers.h"
#include "JsonParse.h"

#include "vellora.h"
#include "vellora_wire/Codec.h"
#include "vellora_wire/Ops.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace zeltosim {

namespace {

using vwire::Clock;

constexpr auto kFrameTimeout = std::chrono::seconds(30);   // to finish a frame once begun
constexpr auto kSendTimeout = std::chrono::seconds(30);    // a client that stops reading is dropped
constexpr size_t kMaxQueuedEvents = 10000;
constexpr size_t kDataPiece = 1 << 20;
constexpr size_t kDataHead = vwire::kHeaderSize + vwire::kDataReplyPrefix;
constexpr size_t kKeptReadAheads = 8;

void PutU32(char* p, uint32_t v) {
    p[0] = static_cast<char>(v >> 24);
    p[1] = static_cast<char>(v >> 16);
    p[2] = static_cast<char>(v >> 8);
    p[3] = static_cast<char>(v);
}

}  // namespace

Session::Session(uint64_t id, vwire::Socket socket, std::string peer, Services& services)
    : m_id(id), m_socket(std::move(socket)), m_peer(std::move(peer)), m_services(services) {}

Session::~Session() {
    Kill("");
    Join();
}

void Session::Start() {
    m_data = std::thread([this] { DataLoop(); });
    m_events = std::thread([this] { EventLoop(); });
    m_reader = std::thread([this] { ReaderLoop(); });
}

void Session::Log(const std::string& text) const {
    std::fprintf(stderr, "zelto-sim: connection %llu from %s: %s\n", static_cast<unsigned long long>(m_id),
                 m_peer.c_str(), text.c_str());
    std::fflush(stderr);
}

void Session::Kill(const std::string& why) {
    if (m_closing.exchange(true)) return;
    if (!why.empty()) Log("closing: " + why);
    m_socket.Shutdown();
    {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        m_queueWake.notify_all();
    }
    m_services.faults.WakeAll();
}

void Session::Join() {
    for (auto* t : {&m_reader, &m_data, &m_events})
        if (t->joinable() && t->get_id() != std::this_thread::get_id()) t->join();
}

void Session::Offer(uint16_t eventKind, const std::shared_ptr<const std::string>& frame) {
    if (!(m_subscriptions.load() & (1u << eventKind)) || Closing()) return;
    bool overflow;
    {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        overflow = m_eventQueue.size() >= kMaxQueuedEvents;
        if (!overflow) m_eventQueue.push_back(frame);
        m_queueWake.notify_all();
    }
    if (overflow) Kill("the client does not take its events");
}

bool Session::Send(const std::string& frame) {
    vwire::Io io;
    {
        std::lock_guard<std::mutex> lock(m_writeMutex);
        io = vwire::SendAll(m_socket.Fd(), frame.data(), frame.size(), Clock::now() + kSendTimeout);
    }
    if (io == vwire::Io::Ok) return true;
    Kill("");
    return false;
}

// ---- Reading -----------------------------------------------------------------------------

Session::ReadResult Session::ReadFully(char* buffer, size_t size, bool frameBegun, std::string& why) {
    // Before a frame begins the client may take as long as it likes; once it
    // has begun, the rest must come within kFrameTimeout.
    size_t got = 0;
    auto deadline = Clock::now() + kFrameTimeout;
    while (got < size) {
        long n = vwire::RecvWaiting(m_socket.Fd(), buffer + got, size - got, true);
        if (Closing()) return ReadResult::Closed;
        bool begun = frameBegun || got > 0;
        if (n < 0) {
            if (!begun) return ReadResult::Closed;
            why = "truncated frame";
            return ReadResult::Bad;
        }
        if (n == 0) {
            if (begun && Clock::now() > deadline) {
                why = "truncated frame";
                return ReadResult::Bad;
            }
            continue;
        }
        if (!begun) deadline = Clock::now() + kFrameTimeout;
        got += static_cast<size_t>(n);
    }
    return ReadResult::Frame;
}

Session::ReadResult Session::ReadFrame(vwire::FrameHeader& header, std::string& body, std::string& why) {
    char raw[vwire::kHeaderSize];
    ReadResult r = ReadFully(raw, sizeof raw, false, why);
    if (r != ReadResult::Frame) return r;
    std::string error;
    if (!vwire::DecodeHeader(raw, header, error)) {
        why = "malformed frame: " + error;
        return ReadResult::Bad;
    }
    if (header.kind != vwire::Kind::Request && header.kind != vwire::Kind::ControlRequest) {
        why = "unexpected frame kind " + std::to_string(static_cast<int>(header.kind));
        return ReadResult::Bad;
    }
    body.assign(header.bodyLength, '\0');
    return body.empty() ? ReadResult::Frame : ReadFully(&body[0], body.size(), true, why);
}

void Session::ReaderLoop() {
    while (true) {
        vwire::FrameHeader header;
        std::string body, why;
        ReadResult r = ReadFrame(header, body, why);
        if (r == ReadResult::Closed) break;
        if (r == ReadResult::Bad) {
            Kill(why);
            break;
        }
        if (header.kind == vwire::Kind::ControlRequest) {
            m_control = true;
            HandleControl(header, body);
            continue;
        }
        if (!Answer(header, body)) break;
    }
    Kill("");
    for (auto* t : {&m_data, &m_events})
        if (t->joinable()) t->join();
    m_finished = true;
}

bool Session::Answer(const vwire::FrameHeader& header, const std::string& body) {
    const char* function = vwire::OpFunctionName(header.op);
    bool open = header.op == vwire::kOpHello || header.op == vwire::kOpDiscover;
    if (function && !open && !m_loggedIn) {
        vwire::Writer refusal(vwire::Kind::Reply, header.op, header.id);
        refusal.I32(VELLORA_ACCESS_DENIED);
        return Send(refusal.Finish());
    }
    if (header.op == vwire::kOpGetDataAhead) return ReadAhead(header, body);
    if (header.op == vwire::kOpDataTaken) return Taken(header, body);
    if (header.op == vwire::kOpGetData) {
        {
            // Slow transfers and a busy data thread keep data off this thread, so
            // that other calls are answered meanwhile; otherwise a chunk is served
            // here at once, without a hand-over.
            std::lock_guard<std::mutex> lock(m_queueMutex);
            if (m_services.faults.AnySlowTransfer() || m_dataBusy || !m_dataQueue.empty()) {
                m_dataQueue.emplace_back(header, body);
                m_queueWake.notify_all();
                return true;
            }
        }
        if (!m_services.faults.Gate([this] { return Closing(); })) return false;
        ServeData(header, body);
        return !Closing();
    }
    if (!m_services.faults.Gate([this] { return Closing(); })) return false;
    CallRecord record;
    record.connection = m_id;
    record.function = function ? function : "unknown operation " + std::to_string(header.op);
    vwire::Writer fields(vwire::Kind::Reply, 0, 0);
    CallContext call{m_services.controller, m_services.faults, vwire::Reader(body), record, fields, m_loggedIn,
                     m_subscriptions};
    int result = zeltosim::HandleRequest(header.op, call);
    if (result == kMalformed) {
        Kill("malformed " + record.function + " request");
        return false;
    }
    record.result = result;
    m_clientLoggedIn = m_loggedIn;
    if (header.op != vwire::kOpPing && function) m_services.calls.Add(std::move(record));
    vwire::Writer reply(vwire::Kind::Reply, header.op, header.id);
    reply.I32(result).Raw(fields.BodyData(), fields.BodySize());
    return Send(reply.Finish());
}

void Session::HandleControl(const vwire::FrameHeader& header, const std::string& body) {
    Json::Value command, answer;
    std::string errors;
    if (!ParseJson(body.data(), body.data() + body.size(), command, errors)) {
        answer["ok"] = false;
        answer["error"] = "not JSON: " + errors;
    } else {
        answer = m_services.control(command);
    }
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    std::string text = Json::writeString(writer, answer);
    vwire::Writer reply(vwire::Kind::ControlReply, 0, header.id);
    reply.Raw(text.data(), text.size());
    Send(reply.Finish());
}

// ---- Data -----------------------------------------------------------------------------------

bool Session::ReadAhead(const vwire::FrameHeader& header, const std::string& body) {
    if (!m_services.faults.Gate([this] { return Closing(); })) return false;
    // The last field names the chunk read ahead that a call took, if any.
    if (body.size() < 4) {
        Kill("malformed read-ahead request");
        return false;
    }
    vwire::Reader tail(body.data() + body.size() - 4, 4);
    LogTaken(tail.U32());
    bool declined;
    {
        // Faults count the caller's own calls, and a busy data thread keeps the
        // order of chunks: nothing is read ahead meanwhile.
        std::lock_guard<std::mutex> lock(m_queueMutex);
        declined = m_services.faults.DataFaultsSet() || m_dataBusy || !m_dataQueue.empty();
    }
    if (declined) return SendDataReply(header.id, VELLORA_ACTION_NOT_SUPPORTED);
    ServeData(header, body.substr(0, body.size() - 4));
    return !Closing();
}

void Session::LogTaken(uint32_t aheadId) {
    auto it = m_aheadRecords.find(aheadId);
    if (it == m_aheadRecords.end()) return;
    m_services.calls.Add(std::move(it->second));
    m_aheadRecords.erase(it);
}

bool Session::Taken(const vwire::FrameHeader& header, const std::string& body) {
    if (!m_services.faults.Gate([this] { return Closing(); })) return false;
    vwire::Reader in(body);
    uint32_t aheadId = in.U32();
    if (!in.Done()) {
        Kill("malformed read-ahead notice");
        return false;
    }
    LogTaken(aheadId);
    vwire::Writer reply(vwire::Kind::Reply, header.op, header.id);
    reply.I32(VELLORA_OK);
    return Send(reply.Finish());
}

void Session::DataLoop() {
    while (true) {
        std::pair<vwire::FrameHeader, std::string> item;
        {
            std::unique_lock<std::mutex> lock(m_queueMutex);
            m_queueWake.wait(lock, [&] { return Closing() || !m_dataQueue.empty(); });
            if (Closing()) return;
            item = std::move(m_dataQueue.front());
            m_dataQueue.pop_front();
            m_dataBusy = true;
        }
        if (!m_services.faults.Gate([this] { return Closing(); })) return;
        ServeData(item.first, item.second);
        std::lock_guard<std::mutex> lock(m_queueMutex);
        m_dataBusy = false;
    }
}

bool Session::SendDataReply(uint32_t id, int result) {
    char head[kDataHead];
    vwire::FrameHeader h;
    h.kind = vwire::Kind::DataReply;
    h.op = vwire::kOpGetData;
    h.id = id;
    h.bodyLength = vwire::kDataReplyPrefix;
    vwire::EncodeHeader(head, h);
    PutU32(head + vwire::kHeaderSize, static_cast<uint32_t>(result));
    PutU32(head + vwire::kHeaderSize + 4, 0);
    return Send(std::string(head, sizeof head));
}

void Session::ServeData(const vwire::FrameHeader& header, const std::string& body) {
    // A chunk read ahead is no call of its own: the caller's call that takes it is logged.
    bool ahead = header.op == vwire::kOpGetDataAhead;
    CallRecord record;
    record.connection = m_id;
    record.function = vwire::OpFunctionName(vwire::kOpGetData);
    vwire::Writer unused(vwire::Kind::Reply, 0, 0);
    bool loggedIn = true;
    CallContext call{m_services.controller, m_services.faults, vwire::Reader(body), record, unused, loggedIn,
                     m_subscriptions};
    DataRequest request;
    int result = PrepareData(call, request);
    if (result == kMalformed) {
        Kill("malformed " + record.function + " request");
        return;
    }
    TransferPlan plan;
    uint64_t count = 0;
    if (result == VELLORA_OK) {
        // At most one data reply's worth, whatever the request asks for.
        count = std::min<uint64_t>({request.length, vwire::kMaxDataChunk, request.document->Size() - request.offset});
        plan = m_services.faults.PlanTransfer(request.jobId);
        if (plan.fail) result = plan.result;
    }
    record.result = result;
    if (!ahead) {
        m_services.calls.Add(record);
    } else if (result == VELLORA_OK) {
        // Logged when a call takes it; only the last few can still be taken.
        if (m_aheadRecords.size() >= kKeptReadAheads) m_aheadRecords.erase(m_aheadRecords.begin());
        m_aheadRecords[header.id] = record;
    }
    if (result != VELLORA_OK) {
        SendDataReply(header.id, result);
        return;
    }
    if (plan.bytesPerSecond > 0 && count > 0) {
        // The chunk takes as long as the rate says; other calls go on meanwhile.
        auto pause = std::chrono::microseconds(count * 1000000 / plan.bytesPerSecond);
        std::unique_lock<std::mutex> lock(m_queueMutex);
        if (m_queueWake.wait_for(lock, pause, [&] { return Closing(); })) return;
    }
    if (m_dataBuffer.empty()) m_dataBuffer.resize(kDataHead + kDataPiece);
    vwire::FrameHeader h;
    h.kind = vwire::Kind::DataReply;
    h.op = vwire::kOpGetData;
    h.id = header.id;
    h.bodyLength = static_cast<uint32_t>(vwire::kDataReplyPrefix + count);
    vwire::EncodeHeader(m_dataBuffer.data(), h);
    PutU32(m_dataBuffer.data() + vwire::kHeaderSize, 0);
    PutU32(m_dataBuffer.data() + vwire::kHeaderSize + 4, static_cast<uint32_t>(count));
    uint64_t toSend = plan.drop ? count / 2 : count;
    std::string failure;
    {
        std::lock_guard<std::mutex> lock(m_writeMutex);
        uint64_t sent = 0;
        bool first = true;
        do {
            // Each piece is read behind the head; the first goes out with the head.
            size_t piece = static_cast<size_t>(std::min<uint64_t>(toSend - sent, kDataPiece));
            char* payload = m_dataBuffer.data() + kDataHead;
            if (request.document->Read(request.offset + sent, payload, piece) != piece) {
                failure = "job " + std::to_string(request.jobId) + " gave fewer bytes than its size";
                break;
            }
            const char* from = first ? m_dataBuffer.data() : payload;
            size_t length = piece + (first ? kDataHead : 0);
            if (!vwire::SendWaiting(m_socket.Fd(), from, length)) {
                failure = "the client stopped taking data";
                break;
            }
            sent += piece;
            first = false;
        } while (sent < toSend);
    }
    // Closed outside the write lock (Kill takes the queue lock).
    if (failure.empty() && plan.drop) failure = "dropped in the middle of a transfer (control interface)";
    if (!failure.empty()) {
        Kill(failure);
        return;
    }
    m_services.faults.ChunkServed(request.jobId);
}

// ---- Events ----------------------------------------------------------------------------------

void Session::EventLoop() {
    while (true) {
        std::shared_ptr<const std::string> frame;
        {
            std::unique_lock<std::mutex> lock(m_queueMutex);
            m_queueWake.wait(lock, [&] { return Closing() || !m_eventQueue.empty(); });
            if (Closing()) return;
            frame = m_eventQueue.front();
            m_eventQueue.pop_front();
        }
        if (!m_services.faults.Gate([this] { return Closing(); })) return;
        if (!Send(*frame)) return;
    }
}

}  // namespace zeltosim
