// The listening side of a simulated controller: accepts connections on its
// loopback address, runs a Session for each, and hands the controller's events
// to every subscribed session.
#pragma once

#include "Session.h"

#include <list>

namespace zeltosim {

class Server {
public:
    // Listens at once; throws std::runtime_error when it cannot.
    Server(Services& services, const std::string& address, int port);
    ~Server();  // closes every connection and the listener
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    int Port() const { return m_port; }
    const std::string& Address() const { return m_address; }
    void Publish(uint16_t eventKind, const std::string& frame);
    void DropConnections();
    int ConnectionCount();

private:
    void AcceptLoop();
    void Reap();  // with m_mutex held: joins sessions that have ended

    Services& m_services;
    std::string m_address;
    int m_port = 0;
    vwire::Socket m_listener;
    std::atomic<bool> m_stopping{false};
    std::mutex m_mutex;
    std::list<std::unique_ptr<Session>> m_sessions;
    uint64_t m_nextId = 1;
    std::thread m_acceptor;
};

}  // namespace zeltosim
