// Discovery of simulated controllers on loopback addresses.
#include <chrono>
#include <memory>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ServerTestSupport.h"
#include "ZeltoServerDiscovererProxy.h"
#include "ZeltoServersDiscoverer.h"

using servertest::DemoWith;
using servertest::ParseJson;

namespace {

// Three controllers on one port: the excluded product line on 127.0.0.2, a
// served one on 127.0.0.3 and one without device texts on 127.0.0.4.
class DiscoveryTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int attempt = 0; attempt < 20 && m_simulators.empty(); ++attempt) {
            if (!StartAll(veqtest::FreeLoopbackPort("127.0.0.2"))) m_simulators.clear();
        }
        ASSERT_FALSE(m_simulators.empty()) << "no port free on all three addresses";
        m_onServer = [this](const ZeltoServerInfo& server) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_reports.insert(std::string(server.m_address) + "|" + server.m_product);
        };
    }

    bool StartAll(int port) {
        const char* fixtures[][2] = {
            {"127.0.0.2", R"({"product": "Zelto Korvel", "name": "Korvel"})"},
            {"127.0.0.3", R"({"product": "Zelto Varda", "name": "Varda"})"},
            {"127.0.0.4", R"({"product": "", "model": "", "name": "Bare"})"},
        };
        try {
            for (const auto& f : fixtures) {
                m_simulators.emplace_back(new zeltosim::Simulator(DemoWith(ParseJson(f[1]))));
                m_simulators.back()->Start(f[0], port);
            }
        } catch (const std::runtime_error&) {
            return false;
        }
        m_port.reset(new veqtest::ScopedEnv("VELLORA_PORT", std::to_string(port).c_str()));
        return true;
    }

    std::set<std::string> Reports() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_reports;
    }
    bool WaitForReports(size_t count) {
        return veqtest::WaitFor([&] { return Reports().size() >= count; });
    }
    // Discovers until count controllers were reported. A probe that a loaded
    // machine lets time out misses its controller, so a round may be repeated.
    bool DiscoverUntil(ZeltoServersDiscoverer& discoverer, size_t count,
                       const std::string& first = "", const std::string& second = "") {
        for (int round = 0; round < 5; ++round) {
            if (first.empty()) {
                discoverer.Start();
            } else {
                discoverer.Start(first, second);
            }
            if (veqtest::WaitFor([&] { return Reports().size() >= count; },
                                 std::chrono::seconds(4))) {
                return true;
            }
            discoverer.Stop();
        }
        return false;
    }

    const std::set<std::string> m_expected{"127.0.0.3|Zelto Varda", "127.0.0.4|"};
    std::vector<std::unique_ptr<zeltosim::Simulator>> m_simulators;
    std::unique_ptr<veqtest::ScopedEnv> m_port;
    std::function<void(const ZeltoServerInfo&)> m_onServer;
    std::mutex m_mutex;
    std::set<std::string> m_reports;
};

TEST_F(DiscoveryTest, ReportsEveryControllerInTheRangeButTheExcludedLine) {
    ZeltoServersDiscoverer discoverer(m_onServer, 0);
    ASSERT_TRUE(DiscoverUntil(discoverer, 2, "127.0.0.2", "127.0.0.4"));
    discoverer.Stop();
    EXPECT_EQ(Reports(), m_expected);
}

TEST_F(DiscoveryTest, TheDefaultRangeCoversTheLoopbackControllers) {
    ZeltoServersDiscoverer discoverer(m_onServer, 0);
    ASSERT_TRUE(DiscoverUntil(discoverer, 2));
    discoverer.Stop();
    EXPECT_EQ(Reports(), m_expected);
}

TEST_F(DiscoveryTest, AStoppedDiscoveryCanBeStartedAgain) {
    ZeltoServersDiscoverer discoverer(m_onServer, 0);
    ASSERT_TRUE(DiscoverUntil(discoverer, 1, "127.0.0.3", "127.0.0.3"));
    discoverer.Stop();
    discoverer.Stop();  // a second stop has nothing to do
    ASSERT_TRUE(DiscoverUntil(discoverer, 2, "127.0.0.4", "127.0.0.4"));
    EXPECT_EQ(Reports(), m_expected);
}

TEST_F(DiscoveryTest, AStartTheSdkRefusesLeavesTheDiscovererStopped) {
    ZeltoServersDiscoverer discoverer(m_onServer, 0);
    discoverer.Start("not an address", "127.0.0.4");
    // Nothing runs, so a new start is not taken for a second one.
    discoverer.Start("127.0.0.3", "127.0.0.3");
    ASSERT_TRUE(WaitForReports(1));
    EXPECT_EQ(Reports(), std::set<std::string>{"127.0.0.3|Zelto Varda"});
    discoverer.Stop();
}

TEST_F(DiscoveryTest, StopWithoutStartReturnsAtOnce) {
    ZeltoServersDiscoverer discoverer(m_onServer, 0);
    discoverer.Stop();
    ZeltoServerDiscovererProxy proxy(0);
    proxy.Stop();
    EXPECT_TRUE(Reports().empty());
}

TEST_F(DiscoveryTest, DestroyingARunningDiscovererWaitsForTheSdkToFinish) {
    // A controller that never answers holds the discovery until its probe times out.
    zeltosim::Simulator silent(DemoWith(ParseJson(R"({"name": "Silent"})")));
    silent.Start("127.0.0.5", m_simulators[0]->Port());
    silent.Hang();
    struct Watch {
        std::mutex mutex;
        bool destroyed = false;
        bool calledAfterwards = false;
    };
    auto watch = std::make_shared<Watch>();
    std::function<void(const ZeltoServerInfo&)> onServer = [watch](const ZeltoServerInfo&) {
        std::lock_guard<std::mutex> lock(watch->mutex);
        if (watch->destroyed) watch->calledAfterwards = true;
    };
    {
        ZeltoServersDiscoverer discoverer(onServer, 0);
        discoverer.Start("127.0.0.2", "127.0.0.5");
    }
    {
        std::lock_guard<std::mutex> lock(watch->mutex);
        watch->destroyed = true;
    }
    // A later discovery that reports shows the SDK's threads have moved on.
    ZeltoServersDiscoverer another(m_onServer, 0);
    ASSERT_TRUE(DiscoverUntil(another, 1, "127.0.0.3", "127.0.0.3"));
    std::lock_guard<std::mutex> lock(watch->mutex);
    EXPECT_FALSE(watch->calledAfterwards);
    silent.Resume();
}

TEST(ZeltoServersDiscoverer, AnEmptyFunctionIsRefused) {
    std::function<void(const ZeltoServerInfo&)> empty;
    EXPECT_THROW(ZeltoServersDiscoverer(empty, 0), std::invalid_argument);
}

}  // namespace
