// One logged-in connection to a controller: a socket, a reader thread that
// matches replies to calls and turns event frames into callbacks, a dispatcher
// thread that runs those callbacks, and the connection's tickets and sessions.
#pragma once

#include "Dispatcher.h"
#include "ReadAhead.h"
#include "Tickets.h"

#include "vellora_wire/Codec.h"
#include "vellora_wire/Net.h"

#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace vellora {

struct Login {
    std::string user, password, application, key, protocol;
};

// What a reply carried after its result.
struct Reply {
    std::string body;
    vwire::Reader Fields() const { return vwire::Reader(body); }
};

// An event frame, decoded.
struct EventData {
    uint16_t kind = 0;
    int type = 0;       // server and scan events; alert: kind
    int id = 0;         // job id, event id or alert id
    std::vector<std::string> names, values;
    std::string text;   // alert text
    int hasMessage = 0;
};

struct LocaleSettings {
    std::string language, encoding;
};

// A call on its way (defined in Connection.cpp).
struct PendingCall;

class Connection : public std::enable_shared_from_this<Connection> {
public:
    using Pending = PendingCall;

    // Connects within timeoutMs and logs in; out is set only on success (0).
    static int Open(const std::string& address, const vwire::Endpoint& endpoint, const Login& login,
                    int timeoutMs, std::shared_ptr<Connection>& out);
    ~Connection();

    // Sends a request and waits for its reply within the time-out (the
    // connection's own unless timeoutMs >= 0). Returns the controller's result,
    // or TIMEOUT, CONNECTION_FAILED or PROTOCOL_ERROR.
    int Call(vwire::Writer& request, Reply& reply, int timeoutMs = -1);
    // A data request: the reply's bytes land in sink (never more than capacity).
    int CallData(vwire::Writer& request, char* sink, size_t capacity, size_t& received);
    // A data request that is not waited for now: its bytes (at most capacity) land in buffer, which
    // the connection keeps alive while it may write there. nullptr when it
    // could not be sent.
    std::shared_ptr<Pending> SendData(vwire::Writer& request, std::shared_ptr<std::vector<char>> buffer,
                                      size_t capacity);
    // Waits for it within the time-out; replied tells whether the controller answered.
    int AwaitData(const std::shared_ptr<Pending>& pending, size_t& received, bool& replied);
    // A request whose answer is awaited later, or never (then Drop it).
    std::shared_ptr<Pending> SendRequest(vwire::Writer& request);
    int AwaitReply(const std::shared_ptr<Pending>& pending);
    static uint32_t IdOf(const std::shared_ptr<Pending>& pending);
    // Lets a data request sent with SendData write into sink (of the same
    // capacity) instead of its own buffer; false when its bytes already came.
    bool Redirect(const std::shared_ptr<Pending>& pending, char* sink);
    // Gives a request up: what still comes for it is discarded.
    void Drop(const std::shared_ptr<Pending>& pending);
    // A reply whose fields did not match its call: the stream cannot be
    // trusted any more, so the connection is closed. Returns PROTOCOL_ERROR.
    int Malformed(const std::string& what);

    void SetTimeoutMs(int ms) { m_timeoutMs = ms; }
    int TimeoutMs() const { return m_timeoutMs; }
    bool Alive() const;
    const std::string& Address() const { return m_address; }

    // Subscribes to the events of a kind through the request op. The new ticket
    // gets handler(event) for every event of that kind from then on; like every
    // ticket of the connection it completes when the connection is lost.
    int Subscribe(uint16_t op, uint16_t eventKind, std::function<void(const EventData&)> handler,
                  std::shared_ptr<TicketState>& ticket);
    // Starts a monitor: probes every intervalMs; lost after `retries` probes in
    // a row go unanswered, or at once when the connection closes.
    std::shared_ptr<TicketState> StartMonitor(int retries, int intervalMs);
    // A ticket whose callbacks run on this connection's dispatcher.
    std::shared_ptr<TicketState> NewTicket();
    // Tells the controller that a ticket made by the request op was cancelled,
    // so that its call log shows when subscriptions end; no answer is awaited.
    void NoticeTicketEnd(uint16_t op);
    // Makes ticket's cancel send that notice while this connection lives.
    void NoticeEndOf(const std::shared_ptr<TicketState>& ticket, uint16_t op);

    // The chunks of job data read ahead on this connection.
    ReadAhead& DataAhead() { return m_ahead; }

    int OpenScanSession();
    bool HasScanSession(int id) const;
    bool CloseScanSession(int id);
    int OpenLocaleSession(const LocaleSettings& settings);
    bool LocaleSession(int id, LocaleSettings& out) const;
    bool CloseLocaleSession(int id);

    // INIT_disconnect: says goodbye, cancels the tickets, waits for their
    // callbacks (but for one running on the current thread) and closes.
    void Close();

private:
    Connection(const std::string& address, vwire::Socket socket, int timeoutMs);
    void Start();
    // Closes without a goodbye: shuts the socket, joins the reader, cancels the
    // tickets and waits for their callbacks, stops the dispatcher.
    void Teardown();
    // The reader thread and its parts; each returns 0 or the failure code that
    // ends the connection, with why for the log line.
    void ReaderLoop();
    int ReadExact(char* buffer, size_t size, bool midFrame, std::string& why);
    int ReadReply(const vwire::FrameHeader& header, std::string& why);
    int ReadDataReply(const vwire::FrameHeader& header, std::string& why);
    int ReadEvent(const vwire::FrameHeader& header, std::string& why);
    // The connection is gone: pending calls fail, tickets complete.
    void Lost(const std::string& why, int failure);
    // Ends the connection from another thread (the reader reports it).
    void Abort(const std::string& why, int failure);
    std::shared_ptr<Pending> Begin(vwire::Writer& request, bool isData, char* sink, size_t capacity);
    int Send(const std::string& frame, const std::shared_ptr<Pending>& pending,
             vwire::Clock::time_point deadline);
    int Await(const std::shared_ptr<Pending>& pending, vwire::Clock::time_point deadline);
    void Forget(uint32_t id);
    std::shared_ptr<Pending> SendProbe(int timeoutMs);
    bool Answered(const std::shared_ptr<Pending>& probe);
    std::vector<std::shared_ptr<TicketState>> AllTickets();

    const std::string m_address;
    vwire::Socket m_socket;
    std::atomic<int> m_timeoutMs;
    Dispatcher m_dispatcher;
    std::thread m_reader;

    mutable std::mutex m_mutex;          // pending calls, state, tickets, sessions
    std::condition_variable m_replied;
    std::unordered_map<uint32_t, std::shared_ptr<Pending>> m_pending;
    uint32_t m_nextId = 1;
    bool m_dead = false;
    bool m_closing = false;              // Close or Teardown runs: no log line for the loss
    bool m_tornDown = false;
    std::atomic<int> m_failure{0};       // what calls get once the connection is dead
    std::string m_abortWhy;              // set by Abort, reported by the reader
    int m_abortFailure = 0;
    struct EventTicket {
        uint16_t kind;
        std::shared_ptr<TicketState> ticket;
        std::function<void(const EventData&)> handler;
    };
    std::vector<EventTicket> m_eventTickets;
    std::vector<std::shared_ptr<TicketState>> m_otherTickets;
    std::vector<int> m_scanSessions;
    std::map<int, LocaleSettings> m_localeSessions;

    ReadAhead m_ahead;
    std::mutex m_writeMutex;             // one frame at a time on the socket
    std::vector<char> m_discard;         // bytes of answers nobody waits for any more
};

}  // namespace vellora
