// Helpers of the tests that talk to a simulated controller: a simulator on its
// own loopback port with the client pointed at it, and a recorder of the
// status signal.
#pragma once

#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <json/json.h>

#include "Server.h"
#include "TestSupport.h"
#include "ZeltoSim.h"

namespace servertest {

// A simulator of the given fixture on 127.0.0.1, with VELLORA_PORT set to it
// and short SDK time-outs.
class SimulatedController {
public:
    explicit SimulatedController(const Json::Value& fixture = zeltosim::DemoFixture())
        : m_simulator(fixture) {
        m_simulator.Start("127.0.0.1", 0);
        m_port.reset(new veqtest::ScopedEnv("VELLORA_PORT",
                                            std::to_string(m_simulator.Port()).c_str()));
    }
    zeltosim::Simulator& Sim() { return m_simulator; }

private:
    zeltosim::Simulator m_simulator;
    veqtest::ScopedEnv m_timeout{"VELLORA_TIMEOUT_MS", "3000"};
    std::unique_ptr<veqtest::ScopedEnv> m_port;
};

// Every status the signal reported, in arrival order. Must outlive the server.
class StatusRecorder {
public:
    void Attach(Server& server) {
        server.m_serverStatusSignal.connect([this](VEQTypes::ServerStatus status) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_statuses.push_back(status);
        });
    }
    std::vector<int> Statuses() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_statuses;
    }
    // Waits until count reports have arrived (false after the deadline).
    bool WaitForCount(std::size_t count) {
        return veqtest::WaitFor([&] { return Statuses().size() >= count; });
    }
    // The reports sorted: two notifications may arrive in either order.
    std::vector<int> Sorted() {
        std::vector<int> statuses = Statuses();
        std::sort(statuses.begin(), statuses.end());
        return statuses;
    }

private:
    std::mutex m_mutex;
    std::vector<int> m_statuses;
};

// The demo fixture with some members replaced.
inline Json::Value DemoWith(const Json::Value& changes) {
    Json::Value fixture = zeltosim::DemoFixture();
    for (const std::string& name : changes.getMemberNames()) fixture[name] = changes[name];
    return fixture;
}

inline Json::Value ParseJson(const std::string& text) {
    Json::Value value;
    Json::Reader reader;
    reader.parse(text, value, false);
    return value;
}

}  // namespace servertest
