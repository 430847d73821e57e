#include "Connection.h"

#include "Env.h"

#include "vellora_wire/Ops.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vellora {

using vwire::Clock;

namespace {

constexpr size_t kDiscardSize = 64 * 1024;
constexpr int kReadSliceMs = 100;
constexpr int kGoodbyeTimeoutMs = 2000;
constexpr auto kParkTime = std::chrono::milliseconds(2);

std::atomic<int> g_nextSessionId{1};

int32_t ReadI32(const char* p) {
    auto b = reinterpret_cast<const unsigned char*>(p);
    return static_cast<int32_t>((uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3]);
}

int ConnectFailure(int error) {
    switch (error) {
        case ENETUNREACH:
        case EHOSTUNREACH:
        case EADDRNOTAVAIL: return VELLORA_HOST_UNREACHABLE;
        default: return VELLORA_CONNECTION_FAILED;
    }
}

}  // namespace

struct PendingCall {
    uint32_t id = 0;
    bool done = false;
    int outcome = VELLORA_OK;   // the controller's result, or the transport failure
    bool replied = false;       // body and received come from the controller
    std::string body;
    bool isData = false;
    char* sink = nullptr;
    size_t capacity = 0;
    size_t received = 0;
    bool sinkActive = false;    // the reader is writing into sink
    bool abandoned = false;     // the caller gave up (time-out): sink must not be touched
    std::shared_ptr<std::vector<char>> sinkOwner;  // keeps a library-owned sink alive for the reader
    bool parks = false;         // a read-ahead: its bytes may wait in the socket for a caller's sink
    bool bodyBegun = false;     // the reader has begun to write into sink
    bool redirected = false;    // sink is now a caller's buffer
};

Connection::Connection(const std::string& address, vwire::Socket socket, int timeoutMs)
    : m_address(address), m_socket(std::move(socket)), m_timeoutMs(timeoutMs), m_discard(kDiscardSize) {
    // The reader blocks in receives that end every slice to look at its calls;
    // sends never block (they wait in poll against their deadline).
    vwire::MakeBlocking(m_socket.Fd(), kReadSliceMs, kReadSliceMs);
}

Connection::~Connection() {
    Teardown();
}

int Connection::Open(const std::string& address, const vwire::Endpoint& endpoint, const Login& login,
                     int timeoutMs, std::shared_ptr<Connection>& out) {
    int error = 0;
    vwire::Socket socket = vwire::ConnectTcp(endpoint, timeoutMs, error);
    if (!socket.Valid()) return ConnectFailure(error);
    std::shared_ptr<Connection> connection(new Connection(address, std::move(socket), timeoutMs));
    connection->Start();
    vwire::Writer hello(vwire::Kind::Request, vwire::kOpHello, 0);
    hello.Str(vwire::kProtocolMagic).Str(login.user).Str(login.password).Str(login.application)
        .Str(login.key).Str(login.protocol);
    Reply reply;
    int rc = connection->Call(hello, reply, timeoutMs);
    if (rc != VELLORA_OK) {
        connection->Teardown();
        return rc;
    }
    out = connection;
    return VELLORA_OK;
}

void Connection::Start() {
    m_reader = std::thread([this] { ReaderLoop(); });
}

bool Connection::Alive() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return !m_dead;
}

// ---- Calls ---------------------------------------------------------------------------

std::shared_ptr<Connection::Pending> Connection::Begin(vwire::Writer& request, bool isData, char* sink,
                                                      size_t capacity) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_dead) return nullptr;
    auto pending = std::make_shared<Pending>();
    pending->id = m_nextId++;
    if (m_nextId == 0) m_nextId = 1;
    pending->isData = isData;
    pending->sink = sink;
    pending->capacity = capacity;
    m_pending[pending->id] = pending;
    request.SetId(pending->id);
    return pending;
}

void Connection::Forget(uint32_t id) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_pending.erase(id);
}

int Connection::Send(const std::string& frame, const std::shared_ptr<Pending>& pending,
                     Clock::time_point deadline) {
    size_t sent = 0;
    vwire::Io io;
    {
        std::lock_guard<std::mutex> lock(m_writeMutex);
        io = vwire::SendAll(m_socket.Fd(), frame.data(), frame.size(), deadline, &sent);
    }
    if (io == vwire::Io::Ok) return VELLORA_OK;
    Forget(pending->id);
    if (io == vwire::Io::Timeout) {
        // Half a frame on the wire would garble every later one.
        if (sent > 0) Abort("a request could not be sent in time", VELLORA_CONNECTION_FAILED);
        return VELLORA_TIMEOUT;
    }
    return VELLORA_CONNECTION_FAILED;
}

int Connection::Await(const std::shared_ptr<Pending>& pending, Clock::time_point deadline) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_replied.wait_until(lock, deadline, [&] { return pending->done; });
    if (!pending->done) {
        pending->abandoned = true;
        // The reader checks between slices whether a sink was abandoned.
        m_replied.wait(lock, [&] { return !pending->sinkActive || pending->done; });
    }
    m_pending.erase(pending->id);
    return pending->done ? pending->outcome : VELLORA_TIMEOUT;
}

int Connection::Call(vwire::Writer& request, Reply& reply, int timeoutMs) {
    int ms = timeoutMs >= 0 ? timeoutMs : m_timeoutMs.load();
    auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    auto pending = Begin(request, false, nullptr, 0);
    if (!pending) return m_failure ? m_failure.load() : VELLORA_CONNECTION_FAILED;
    int rc = Send(request.Finish(), pending, deadline);
    if (rc != VELLORA_OK) return rc;
    rc = Await(pending, deadline);
    if (pending->replied) reply.body = std::move(pending->body);
    return rc;
}

int Connection::CallData(vwire::Writer& request, char* sink, size_t capacity, size_t& received) {
    received = 0;
    auto deadline = Clock::now() + std::chrono::milliseconds(m_timeoutMs.load());
    auto pending = Begin(request, true, sink, capacity);
    if (!pending) return m_failure ? m_failure.load() : VELLORA_CONNECTION_FAILED;
    int rc = Send(request.Finish(), pending, deadline);
    if (rc != VELLORA_OK) return rc;
    rc = Await(pending, deadline);
    if (pending->replied) received = pending->received;
    return rc;
}

std::shared_ptr<Connection::Pending> Connection::SendData(vwire::Writer& request,
                                                         std::shared_ptr<std::vector<char>> buffer,
                                                         size_t capacity) {
    auto pending = Begin(request, true, buffer->data(), capacity);
    if (!pending) return nullptr;
    pending->sinkOwner = std::move(buffer);
    pending->parks = true;
    auto deadline = Clock::now() + std::chrono::milliseconds(m_timeoutMs.load());
    if (Send(request.Finish(), pending, deadline) != VELLORA_OK) return nullptr;
    return pending;
}

std::shared_ptr<Connection::Pending> Connection::SendRequest(vwire::Writer& request) {
    auto pending = Begin(request, false, nullptr, 0);
    if (!pending) return nullptr;
    auto deadline = Clock::now() + std::chrono::milliseconds(m_timeoutMs.load());
    if (Send(request.Finish(), pending, deadline) != VELLORA_OK) return nullptr;
    return pending;
}

int Connection::AwaitData(const std::shared_ptr<Pending>& pending, size_t& received, bool& replied) {
    int rc = Await(pending, Clock::now() + std::chrono::milliseconds(m_timeoutMs.load()));
    replied = pending->replied;
    received = replied ? pending->received : 0;
    return rc;
}

int Connection::AwaitReply(const std::shared_ptr<Pending>& pending) {
    return Await(pending, Clock::now() + std::chrono::milliseconds(m_timeoutMs.load()));
}

uint32_t Connection::IdOf(const std::shared_ptr<Pending>& pending) { return pending->id; }

bool Connection::Redirect(const std::shared_ptr<Pending>& pending, char* sink) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (pending->bodyBegun || pending->done) return false;
    pending->sink = sink;
    pending->redirected = true;
    m_replied.notify_all();
    return true;
}

void Connection::Drop(const std::shared_ptr<Pending>& pending) {
    std::lock_guard<std::mutex> lock(m_mutex);
    pending->abandoned = true;  // the reader discards what still comes
    m_pending.erase(pending->id);
}

int Connection::Malformed(const std::string& what) {
    Abort("malformed reply: " + what, VELLORA_PROTOCOL_ERROR);
    return VELLORA_PROTOCOL_ERROR;
}

void Connection::Abort(const std::string& why, int failure) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_dead || !m_abortWhy.empty()) return;
        m_abortWhy = why;
        m_abortFailure = failure;
    }
    m_socket.Shutdown();
}

// ---- Reader thread ----------------------------------------------------------------------

int Connection::ReadExact(char* buffer, size_t size, bool midFrame, std::string& why) {
    size_t done = 0;
    auto lastProgress = Clock::now();
    while (done < size) {
        long n = vwire::RecvWaiting(m_socket.Fd(), buffer + done, size - done, true);
        if (n < 0) {
            if (midFrame || done > 0) {
                why = "truncated frame";
                return VELLORA_PROTOCOL_ERROR;
            }
            why = "the controller closed the connection";
            return VELLORA_CONNECTION_FAILED;
        }
        if (n > 0) {
            done += static_cast<size_t>(n);
            lastProgress = Clock::now();
            continue;
        }
        if ((midFrame || done > 0) &&
            Clock::now() - lastProgress > std::chrono::milliseconds(m_timeoutMs.load())) {
            why = "truncated frame (no data for the time-out)";
            return VELLORA_PROTOCOL_ERROR;
        }
    }
    return VELLORA_OK;
}

int Connection::ReadReply(const vwire::FrameHeader& header, std::string& why) {
    std::string body(header.bodyLength, '\0');
    int rc = ReadExact(&body[0], body.size(), true, why);
    if (rc != VELLORA_OK) return rc;
    if (body.size() < 4) {
        why = "reply without a result";
        return VELLORA_PROTOCOL_ERROR;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_pending.find(header.id);
    if (it == m_pending.end() || it->second->abandoned) return VELLORA_OK;  // nobody waits any more
    auto& pending = *it->second;
    pending.outcome = ReadI32(body.data());
    pending.body = body.substr(4);
    pending.replied = true;
    pending.done = true;
    m_replied.notify_all();
    return VELLORA_OK;
}

int Connection::ReadDataReply(const vwire::FrameHeader& header, std::string& why) {
    char prefix[vwire::kDataReplyPrefix];
    int rc = ReadExact(prefix, sizeof prefix, true, why);
    if (rc != VELLORA_OK) return rc;
    int32_t result = ReadI32(prefix);
    uint32_t count = static_cast<uint32_t>(ReadI32(prefix + 4));
    if (count != header.bodyLength - vwire::kDataReplyPrefix) {
        why = "data reply whose count does not match its length";
        return VELLORA_PROTOCOL_ERROR;
    }
    std::shared_ptr<Pending> pending;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        auto it = m_pending.find(header.id);
        if (it != m_pending.end() && !it->second->abandoned) pending = it->second;
        if (pending && (!pending->isData || count > pending->capacity)) {
            why = "data reply larger than the buffer asked for";
            return VELLORA_PROTOCOL_ERROR;
        }
        if (pending && pending->parks && result == VELLORA_OK && count > 0) {
            // A chunk read ahead stays in the socket a moment, so that the call
            // taking it gets it straight into its own buffer.
            m_replied.wait_for(lock, kParkTime, [&] { return pending->redirected || pending->abandoned || m_closing; });
            if (pending->abandoned) pending.reset();
        }
        if (pending) {
            pending->sinkActive = true;
            pending->bodyBegun = true;
        }
    }
    size_t got = 0;
    auto lastProgress = Clock::now();
    while (got < count) {
        if (pending) {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (pending->abandoned) {
                pending->sinkActive = false;
                m_replied.notify_all();
                pending.reset();
            }
        }
        char* target = pending ? pending->sink + got : m_discard.data();
        size_t room = pending ? count - got : std::min<size_t>(count - got, m_discard.size());
        long n = vwire::RecvWaiting(m_socket.Fd(), target, room, true);
        if (n < 0) {
            why = "truncated frame";
            return VELLORA_PROTOCOL_ERROR;
        }
        if (n == 0) {
            if (Clock::now() - lastProgress > std::chrono::milliseconds(m_timeoutMs.load())) {
                why = "truncated frame (no data for the time-out)";
                return VELLORA_PROTOCOL_ERROR;
            }
            continue;
        }
        got += static_cast<size_t>(n);
        lastProgress = Clock::now();
    }
    if (pending) {
        std::lock_guard<std::mutex> lock(m_mutex);
        pending->sinkActive = false;
        pending->received = count;
        pending->outcome = result;
        pending->replied = true;
        pending->done = true;
        m_replied.notify_all();
    }
    return VELLORA_OK;
}

int Connection::ReadEvent(const vwire::FrameHeader& header, std::string& why) {
    std::string body(header.bodyLength, '\0');
    int rc = ReadExact(&body[0], body.size(), true, why);
    if (rc != VELLORA_OK) return rc;
    auto event = std::make_shared<EventData>();
    event->kind = header.op;
    vwire::Reader in(body);
    switch (header.op) {
        case vwire::kEventServer:
            event->type = in.I32();
            event->id = in.I32();
            break;
        case vwire::kEventScan:
            event->type = in.I32();
            event->id = in.I32();
            event->names = in.StrList();
            event->values = in.StrList();
            if (event->names.size() != event->values.size()) {
                why = "scan event with unequal name and value lists";
                return VELLORA_PROTOCOL_ERROR;
            }
            break;
        case vwire::kEventAlert:
            event->id = in.I32();
            event->type = in.I32();
            event->text = in.Str();
            event->hasMessage = in.I32();
            break;
        default:
            why = "unknown event kind " + std::to_string(header.op);
            return VELLORA_PROTOCOL_ERROR;
    }
    if (!in.Done()) {
        why = "malformed event";
        return VELLORA_PROTOCOL_ERROR;
    }
    std::vector<EventTicket> targets;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (const auto& t : m_eventTickets)
            if (t.kind == event->kind) targets.push_back(t);
    }
    for (auto& t : targets) {
        auto handler = t.handler;
        t.ticket->Deliver([handler, event] { handler(*event); });
    }
    return VELLORA_OK;
}

void Connection::ReaderLoop() {
    std::string why;
    int failure = VELLORA_CONNECTION_FAILED;
    while (true) {
        char raw[vwire::kHeaderSize];
        int rc = ReadExact(raw, sizeof raw, false, why);
        if (rc != VELLORA_OK) {
            failure = rc;
            break;
        }
        vwire::FrameHeader header;
        std::string error;
        if (!vwire::DecodeHeader(raw, header, error)) {
            why = "malformed frame: " + error;
            failure = VELLORA_PROTOCOL_ERROR;
            break;
        }
        switch (header.kind) {
            case vwire::Kind::Reply: rc = ReadReply(header, why); break;
            case vwire::Kind::DataReply: rc = ReadDataReply(header, why); break;
            case vwire::Kind::Event: rc = ReadEvent(header, why); break;
            default:
                why = "unexpected frame kind " + std::to_string(static_cast<int>(header.kind));
                rc = VELLORA_PROTOCOL_ERROR;
        }
        if (rc != VELLORA_OK) {
            failure = rc;
            break;
        }
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_abortWhy.empty()) {
            why = m_abortWhy;
            failure = m_abortFailure;
        }
    }
    Lost(why, failure);
}

void Connection::Lost(const std::string& why, int failure) {
    std::vector<std::shared_ptr<TicketState>> tickets;
    bool quiet;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_dead) return;
        m_dead = true;
        m_failure = failure;
        quiet = m_closing;
        for (auto& entry : m_pending) {
            auto& pending = *entry.second;
            pending.done = true;
            pending.replied = false;
            pending.outcome = failure;
            pending.sinkActive = false;
        }
        m_replied.notify_all();
    }
    if (!quiet) LogLine("closing the connection to " + m_address + ": " + why);
    for (auto& ticket : AllTickets()) ticket->Complete(VELLORA_CONNECTION_FAILED);
}

// ---- Tickets ------------------------------------------------------------------------------

std::shared_ptr<TicketState> Connection::NewTicket() {
    std::weak_ptr<Connection> weak = shared_from_this();
    return std::make_shared<TicketState>(
        [weak](std::function<void()> work) {
            auto self = weak.lock();
            return self && self->m_dispatcher.Post(std::move(work));
        },
        [weak] {
            auto self = weak.lock();
            return self && self->m_dispatcher.OnThread();
        });
}

std::vector<std::shared_ptr<TicketState>> Connection::AllTickets() {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::shared_ptr<TicketState>> all = m_otherTickets;
    for (const auto& t : m_eventTickets) all.push_back(t.ticket);
    return all;
}

int Connection::Subscribe(uint16_t op, uint16_t eventKind, std::function<void(const EventData&)> handler,
                          std::shared_ptr<TicketState>& ticket) {
    auto fresh = NewTicket();
    {
        // Registered before the request, so that no event sent right after the
        // controller's answer is missed.
        std::lock_guard<std::mutex> lock(m_mutex);
        m_eventTickets.push_back(EventTicket{eventKind, fresh, std::move(handler)});
    }
    vwire::Writer request(vwire::Kind::Request, op, 0);
    Reply reply;
    int rc = Call(request, reply);
    if (rc != VELLORA_OK) {
        fresh->Cancel();
        std::lock_guard<std::mutex> lock(m_mutex);
        m_eventTickets.erase(std::remove_if(m_eventTickets.begin(), m_eventTickets.end(),
                                            [&](const EventTicket& t) { return t.ticket == fresh; }),
                             m_eventTickets.end());
        return rc;
    }
    NoticeEndOf(fresh, op);
    ticket = fresh;
    return VELLORA_OK;
}

void Connection::NoticeEndOf(const std::shared_ptr<TicketState>& ticket, uint16_t op) {
    std::weak_ptr<Connection> weak = shared_from_this();
    ticket->SetCancelNotice([weak, op] {
        if (auto connection = weak.lock()) connection->NoticeTicketEnd(op);
    });
}

void Connection::NoticeTicketEnd(uint16_t op) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_closing) return;  // the goodbye ends every ticket anyway
    }
    vwire::Writer notice(vwire::Kind::Request, vwire::kOpTicketEnd, 0);
    notice.Str(vwire::OpFunctionName(op));
    if (auto pending = SendRequest(notice)) Drop(pending);
}

std::shared_ptr<Connection::Pending> Connection::SendProbe(int timeoutMs) {
    vwire::Writer ping(vwire::Kind::Request, vwire::kOpPing, 0);
    auto pending = Begin(ping, false, nullptr, 0);
    if (!pending) return nullptr;
    if (Send(ping.Finish(), pending, Clock::now() + std::chrono::milliseconds(timeoutMs)) != VELLORA_OK)
        return nullptr;
    return pending;
}

bool Connection::Answered(const std::shared_ptr<Pending>& probe) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_pending.erase(probe->id);
    return probe->done && probe->replied;
}

std::shared_ptr<TicketState> Connection::StartMonitor(int retries, int intervalMs) {
    auto ticket = NewTicket();
    bool dead;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        dead = m_dead;
        m_otherTickets.push_back(ticket);
    }
    if (dead) {
        ticket->Complete(VELLORA_CONNECTION_FAILED);
        return ticket;
    }
    struct Wake {
        std::mutex mutex;
        std::condition_variable cv;
        bool stop = false;
    };
    auto wake = std::make_shared<Wake>();
    ticket->SetStopHook([wake] {
        std::lock_guard<std::mutex> lock(wake->mutex);
        wake->stop = true;
        wake->cv.notify_all();
    });
    std::weak_ptr<Connection> weakSelf = shared_from_this();
    std::weak_ptr<TicketState> weakTicket = ticket;
    ticket->StartWorker([weakSelf, weakTicket, wake, retries, intervalMs] {
        int misses = 0;
        std::shared_ptr<Pending> outstanding;
        while (true) {
            {
                std::unique_lock<std::mutex> lock(wake->mutex);
                wake->cv.wait_for(lock, std::chrono::milliseconds(intervalMs), [&] { return wake->stop; });
                if (wake->stop) return;
            }
            auto ticket = weakTicket.lock();
            auto self = weakSelf.lock();
            if (!ticket || !ticket->Running() || !self || !self->Alive()) return;
            if (outstanding) {
                misses = self->Answered(outstanding) ? 0 : misses + 1;
                outstanding.reset();
            }
            if (misses >= retries) {
                self->Abort("no answer to " + std::to_string(misses) + " probes", VELLORA_CONNECTION_FAILED);
                return;
            }
            outstanding = self->SendProbe(intervalMs);
            if (!outstanding) ++misses;
        }
    });
    return ticket;
}

// ---- Sessions --------------------------------------------------------------------------------

int Connection::OpenScanSession() {
    int id = g_nextSessionId++;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_scanSessions.push_back(id);
    return id;
}

bool Connection::HasScanSession(int id) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return std::find(m_scanSessions.begin(), m_scanSessions.end(), id) != m_scanSessions.end();
}

bool Connection::CloseScanSession(int id) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = std::find(m_scanSessions.begin(), m_scanSessions.end(), id);
    if (it == m_scanSessions.end()) return false;
    m_scanSessions.erase(it);
    return true;
}

int Connection::OpenLocaleSession(const LocaleSettings& settings) {
    int id = g_nextSessionId++;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_localeSessions[id] = settings;
    return id;
}

bool Connection::LocaleSession(int id, LocaleSettings& out) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_localeSessions.find(id);
    if (it == m_localeSessions.end()) return false;
    out = it->second;
    return true;
}

bool Connection::CloseLocaleSession(int id) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_localeSessions.erase(id) > 0;
}

// ---- Closing ------------------------------------------------------------------------------------

void Connection::Close() {
    bool alive;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_closing) return;
        m_closing = true;
        alive = !m_dead;
    }
    if (alive) {
        vwire::Writer bye(vwire::Kind::Request, vwire::kOpBye, 0);
        Reply reply;
        Call(bye, reply, std::min(m_timeoutMs.load(), kGoodbyeTimeoutMs));
    }
    Teardown();
}

void Connection::Teardown() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_tornDown) return;
        m_tornDown = true;
        m_closing = true;
    }
    auto tickets = AllTickets();
    for (auto& ticket : tickets) ticket->Cancel();
    m_socket.Shutdown();
    if (m_reader.joinable()) {
        if (m_reader.get_id() == std::this_thread::get_id()) m_reader.detach();
        else m_reader.join();
    }
    for (auto& ticket : tickets) ticket->Block();
    m_dispatcher.Stop();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_eventTickets.clear();
        m_otherTickets.clear();
        m_scanSessions.clear();
        m_localeSessions.clear();
    }
}

}  // namespace vellora
