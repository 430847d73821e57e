#include "vellora_wire/Net.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vwire {

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        Close();
        m_fd = other.Release();
    }
    return *this;
}

int Socket::Release() {
    int fd = m_fd;
    m_fd = -1;
    return fd;
}

void Socket::Close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

void Socket::Shutdown() const {
    if (m_fd >= 0) ::shutdown(m_fd, SHUT_RDWR);
}

bool ParseIPv4(const std::string& text, uint32_t& out) {
    in_addr a{};
    if (inet_pton(AF_INET, text.c_str(), &a) != 1) return false;
    out = ntohl(a.s_addr);
    return true;
}

std::string FormatIPv4(uint32_t address) {
    in_addr a{};
    a.s_addr = htonl(address);
    char text[INET_ADDRSTRLEN] = {0};
    inet_ntop(AF_INET, &a, text, sizeof text);
    return text;
}

bool LoopbackEndpoint(const std::string& address, int port, Endpoint& out) {
    if (port <= 0 || port > 65535) return false;
    out = Endpoint{};
    std::string text = address == "localhost" ? "127.0.0.1" : address;
    uint32_t v4 = 0;
    if (ParseIPv4(text, v4)) {
        if ((v4 >> 24) != 127) return false;
        auto* sin = reinterpret_cast<sockaddr_in*>(&out.address);
        sin->sin_family = AF_INET;
        sin->sin_port = htons(static_cast<uint16_t>(port));
        sin->sin_addr.s_addr = htonl(v4);
        out.length = sizeof(sockaddr_in);
        return true;
    }
    if (text.size() > 2 && text.front() == '[' && text.back() == ']') text = text.substr(1, text.size() - 2);
    in6_addr a6{};
    if (inet_pton(AF_INET6, text.c_str(), &a6) != 1 || !IN6_IS_ADDR_LOOPBACK(&a6)) return false;
    auto* sin6 = reinterpret_cast<sockaddr_in6*>(&out.address);
    sin6->sin6_family = AF_INET6;
    sin6->sin6_port = htons(static_cast<uint16_t>(port));
    sin6->sin6_addr = a6;
    out.length = sizeof(sockaddr_in6);
    return true;
}

void SetNoDelay(int fd) {
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

void MakeBlocking(int fd, int receiveTimeoutMs, int sendTimeoutMs) {
    int flags = fcntl(fd, F_GETFL, 0);
    if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    timeval rt{receiveTimeoutMs / 1000, (receiveTimeoutMs % 1000) * 1000};
    timeval st{sendTimeoutMs / 1000, (sendTimeoutMs % 1000) * 1000};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &rt, sizeof rt);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &st, sizeof st);
}

long RecvWaiting(int fd, char* buffer, size_t size, bool all) {
    ssize_t n = ::recv(fd, buffer, size, all ? MSG_WAITALL : 0);
    if (n > 0) return static_cast<long>(n);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return 0;
    return -1;
}

bool SendWaiting(int fd, const char* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::send(fd, data + done, size - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        return false;  // closed, failed, or the send time-out passed
    }
    return true;
}

Socket ConnectTcp(const Endpoint& endpoint, int timeoutMs, int& errnoOut) {
    errnoOut = 0;
    Socket s(::socket(endpoint.address.ss_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!s.Valid()) {
        errnoOut = errno;
        return Socket();
    }
    if (::connect(s.Fd(), reinterpret_cast<const sockaddr*>(&endpoint.address), endpoint.length) != 0) {
        if (errno != EINPROGRESS) {
            errnoOut = errno;
            return Socket();
        }
        pollfd p{s.Fd(), POLLOUT, 0};
        int r;
        do {
            r = ::poll(&p, 1, std::max(timeoutMs, 1));
        } while (r < 0 && errno == EINTR);
        if (r == 0) {
            errnoOut = ETIMEDOUT;
            return Socket();
        }
        int err = 0;
        socklen_t len = sizeof err;
        if (r < 0 || getsockopt(s.Fd(), SOL_SOCKET, SO_ERROR, &err, &len) != 0 || err != 0) {
            errnoOut = err ? err : errno;
            return Socket();
        }
    }
    SetNoDelay(s.Fd());
    return s;
}

Socket ListenTcp(const std::string& address, int port, int& boundPort, std::string& error) {
    Endpoint ep;
    // Port 0 is not a valid endpoint for a client; ask for 1 and put 0 back.
    if (!LoopbackEndpoint(address, port == 0 ? 1 : port, ep)) {
        error = "not a loopback address or port: " + address + ":" + std::to_string(port);
        return Socket();
    }
    if (ep.address.ss_family == AF_INET) reinterpret_cast<sockaddr_in*>(&ep.address)->sin_port = htons(static_cast<uint16_t>(port));
    else reinterpret_cast<sockaddr_in6*>(&ep.address)->sin6_port = htons(static_cast<uint16_t>(port));
    Socket s(::socket(ep.address.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!s.Valid()) {
        error = std::string("socket: ") + strerror(errno);
        return Socket();
    }
    int one = 1;
    setsockopt(s.Fd(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(s.Fd(), reinterpret_cast<const sockaddr*>(&ep.address), ep.length) != 0) {
        error = "bind " + address + ":" + std::to_string(port) + ": " + strerror(errno);
        return Socket();
    }
    if (::listen(s.Fd(), 64) != 0) {
        error = std::string("listen: ") + strerror(errno);
        return Socket();
    }
    sockaddr_storage bound{};
    socklen_t len = sizeof bound;
    getsockname(s.Fd(), reinterpret_cast<sockaddr*>(&bound), &len);
    boundPort = bound.ss_family == AF_INET ? ntohs(reinterpret_cast<sockaddr_in*>(&bound)->sin_port)
                                           : ntohs(reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port);
    return s;
}

namespace {

// Milliseconds left before the deadline for one poll; -1 = wait without limit.
int PollWait(Clock::time_point deadline) {
    if (deadline == Clock::time_point::max()) return -1;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return 0;
    return static_cast<int>(std::min<long long>(left + 1, 1 << 30));
}

}  // namespace

Io SendAll(int fd, const char* data, size_t size, Clock::time_point deadline, size_t* sent) {
    size_t done = 0;
    Io result = Io::Ok;
    while (done < size) {
        ssize_t n = ::send(fd, data + done, size - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            int wait = PollWait(deadline);
            if (wait == 0) {
                result = Io::Timeout;
                break;
            }
            pollfd p{fd, POLLOUT, 0};
            int r = ::poll(&p, 1, wait);
            if (r < 0 && errno != EINTR) {
                result = Io::Closed;
                break;
            }
            if (r > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL)) && !(p.revents & POLLOUT)) {
                result = Io::Closed;
                break;
            }
            continue;
        }
        result = Io::Closed;
        break;
    }
    if (sent) *sent = done;
    return result;
}

long RecvSome(int fd, char* buffer, size_t size, int waitMs) {
    pollfd p{fd, POLLIN, 0};
    int r = ::poll(&p, 1, waitMs);
    if (r == 0) return 0;
    if (r < 0) return errno == EINTR ? 0 : -1;
    ssize_t n = ::recv(fd, buffer, size, MSG_DONTWAIT);
    if (n > 0) return static_cast<long>(n);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return 0;
    return -1;
}

Io RecvExact(int fd, char* buffer, size_t size, Clock::time_point deadline) {
    size_t done = 0;
    while (done < size) {
        int wait = PollWait(deadline);
        if (wait == 0) return Io::Timeout;
        long n = RecvSome(fd, buffer + done, size - done, wait);
        if (n < 0) return Io::Closed;
        done += static_cast<size_t>(n);
    }
    return Io::Ok;
}

}  // namespace vwire
