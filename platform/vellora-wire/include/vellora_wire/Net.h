// TCP sockets restricted to loopback: address checks, connect with a time-out,
// listening, and sending and receiving with deadlines. Never resolves a name
// other than "localhost" and never raises SIGPIPE.
#pragma once

#include <sys/socket.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vwire {

using Clock = std::chrono::steady_clock;

// A socket descriptor closed at destruction.
class Socket {
public:
    Socket() = default;
    explicit Socket(int fd) : m_fd(fd) {}
    ~Socket() { Close(); }
    Socket(Socket&& other) noexcept : m_fd(other.Release()) {}
    Socket& operator=(Socket&& other) noexcept;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    int Fd() const { return m_fd; }
    bool Valid() const { return m_fd >= 0; }
    int Release();
    void Close();
    // Wakes every thread blocked on the socket; the descriptor stays open.
    void Shutdown() const;

private:
    int m_fd = -1;
};

struct Endpoint {
    sockaddr_storage address{};
    socklen_t length = 0;
};

// Loopback texts only: a dotted IPv4 address in 127.0.0.0/8, "::1" (also "[::1]")
// or "localhost" (127.0.0.1). false for anything else, before any lookup.
bool LoopbackEndpoint(const std::string& address, int port, Endpoint& out);

// Dotted IPv4 text to a host-order number; false when it is not one.
bool ParseIPv4(const std::string& text, uint32_t& out);
std::string FormatIPv4(uint32_t address);

// Connects within timeoutMs. Returns the socket (TCP_NODELAY set) or an invalid
// one, with errnoOut set (ECONNREFUSED, ETIMEDOUT, ...).
Socket ConnectTcp(const Endpoint& endpoint, int timeoutMs, int& errnoOut);

// Listens on a loopback address; port 0 picks a free port. boundPort gets the
// port; error explains a failure.
Socket ListenTcp(const std::string& address, int port, int& boundPort, std::string& error);

enum class Io { Ok, Closed, Timeout };

// Sends everything before the deadline (Clock::time_point::max() = no limit).
// sent tells how many bytes went out (a partial frame leaves the stream unusable).
Io SendAll(int fd, const char* data, size_t size, Clock::time_point deadline, size_t* sent = nullptr);

// Receives up to size bytes, waiting at most waitMs; returns the count (> 0),
// 0 when nothing came in time, -1 when the connection closed or failed.
long RecvSome(int fd, char* buffer, size_t size, int waitMs);

// Receives exactly size bytes before the deadline.
Io RecvExact(int fd, char* buffer, size_t size, Clock::time_point deadline);

void SetNoDelay(int fd);

// For threads that own a socket's reading or writing: a blocking socket whose
// waits end after the given time, so that one call moves as much as it can.
void MakeBlocking(int fd, int receiveTimeoutMs, int sendTimeoutMs);
// Blocking receive on such a socket (all: wait for all size bytes); returns the
// count (> 0), 0 when the receive time-out passed first, -1 when the connection
// closed or failed.
long RecvWaiting(int fd, char* buffer, size_t size, bool all);
// Blocking send of everything on such a socket; false when the connection
// failed or the send time-out passed.
bool SendWaiting(int fd, const char* data, size_t size);

}  // namespace vwire
