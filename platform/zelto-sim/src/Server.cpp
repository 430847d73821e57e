#include "Server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstdio>
#include <stdexcept>

namespace zeltosim {

namespace {

std::string PeerText(const sockaddr_storage& peer) {
    char text[INET6_ADDRSTRLEN] = {0};
    int port = 0;
    if (peer.ss_family == AF_INET) {
        auto* in = reinterpret_cast<const sockaddr_in*>(&peer);
        inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
        port = ntohs(in->sin_port);
    } else {
        auto* in6 = reinterpret_cast<const sockaddr_in6*>(&peer);
        inet_ntop(AF_INET6, &in6->sin6_addr, text, sizeof text);
        port = ntohs(in6->sin6_port);
    }
    return std::string(text) + ":" + std::to_string(port);
}

}  // namespace

Server::Server(Services& services, const std::string& address, int port)
    : m_services(services), m_address(address) {
    std::string error;
    m_listener = vwire::ListenTcp(address, port, m_port, error);
    if (!m_listener.Valid()) throw std::runtime_error("zelto-sim: " + error);
    m_acceptor = std::thread([this] { AcceptLoop(); });
}

Server::~Server() {
    m_stopping = true;
    m_listener.Shutdown();
    if (m_acceptor.joinable()) m_acceptor.join();
    std::list<std::unique_ptr<Session>> sessions;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        sessions.swap(m_sessions);
    }
    for (auto& s : sessions) s->Kill("");
    sessions.clear();  // each joins its threads
}

void Server::AcceptLoop() {
    while (!m_stopping) {
        sockaddr_storage peer{};
        socklen_t length = sizeof peer;
        int fd = ::accept4(m_listener.Fd(), reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC);
        if (fd < 0) {
            if (m_stopping) return;
            if (errno == EINTR || errno == ECONNABORTED) continue;
            if (errno == EMFILE || errno == ENFILE) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                continue;
            }
            std::fprintf(stderr, "zelto-sim: accept on %s:%d failed: %s\n", m_address.c_str(), m_port, strerror(errno));
            return;
        }
        vwire::SetNoDelay(fd);
        vwire::MakeBlocking(fd, 1000, 30000);  // a client that stops reading for 30 s is dropped
        std::lock_guard<std::mutex> lock(m_mutex);
        Reap();
        m_sessions.push_back(std::make_unique<Session>(m_nextId++, vwire::Socket(fd), PeerText(peer), m_services));
        m_sessions.back()->Start();
    }
}

void Server::Reap() {
    for (auto it = m_sessions.begin(); it != m_sessions.end();) {
        if ((*it)->Finished()) {
            (*it)->Join();
            it = m_sessions.erase(it);
        } else {
            ++it;
        }
    }
}

void Server::Publish(uint16_t eventKind, const std::string& frame) {
    auto shared = std::make_shared<const std::string>(frame);
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto& s : m_sessions) s->Offer(eventKind, shared);
}

void Server::DropConnections() {
    // The control connection that asked is left open, so that it hears the answer.
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto& s : m_sessions)
        if (!s->IsControl()) s->Kill("dropped by the control interface");
}

int Server::ConnectionCount() {
    std::lock_guard<std::mutex> lock(m_mutex);
    Reap();
    int count = 0;
    for (auto& s : m_sessions)
        if (!s->Finished() && s->LoggedIn()) ++count;
    return count;
}

}  // namespace zeltosim
