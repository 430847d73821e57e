// One connected server: its SDK wrapper behind a lock of its own, shared by the
// threads that use it. Whoever drops the last reference destroys the wrapper
// (which closes the session and the connection); the core makes sure that this
// never happens while it holds one of its own locks, since closing waits for the
// SDK's callbacks, and a callback may be waiting for such a lock.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "VelloraWrapper.h"

class ServerConnection {
public:
    explicit ServerConnection(std::unique_ptr<VelloraWrapper> wrapper) : m_wrapper(std::move(wrapper)) {}
    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;

    // Runs call(wrapper) while holding this connection's lock; returns its result.
    template <typename Call>
    auto Use(Call&& call) {
        std::lock_guard<std::mutex> lock(m_lock);
        return call(*m_wrapper);
    }

    // Whether the SDK handle is this connection's. The handle is fixed before the
    // connection is shared, so this needs no lock.
    bool HasHandle(VelloraServerHandle* handle) const { return m_wrapper->IsVelloraServerHandleMatch(handle); }

    // Ends the connection at once, without this connection's lock: a call that
    // waits on it now (a controller that does not answer, a slow transfer)
    // fails at once, as does every later one. For the service's stop.
    void Abort() { m_wrapper->AbortConnection(); }
    // Aborts the connections side by side, since each may wait a moment for
    // its controller's goodbye.
    static void AbortAll(const std::vector<std::shared_ptr<ServerConnection>>& connections) {
        std::vector<std::thread> aborts;
        for (const auto& connection : connections) aborts.emplace_back([connection] { connection->Abort(); });
        for (auto& abort : aborts) abort.join();
    }

    // The SDK reported the server lost: the next round connects it afresh.
    void MarkLost() { m_lost = true; }
    bool IsLost() const { return m_lost; }

private:
    std::atomic<bool> m_lost{false};
    std::mutex m_lock;
    std::unique_ptr<VelloraWrapper> m_wrapper;
};

using ServerConnectionPtr = std::shared_ptr<ServerConnection>;
