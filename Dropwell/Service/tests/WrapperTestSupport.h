// Helpers of the wrapper tests: a simulated controller of the test's own, a
// wrapper connected to it, and teardown pauses counted instead of slept.
#pragma once

#include "TestSupport.h"
#include "VelloraWrapper.h"
#include "ZeltoSim.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace wrappertest {

// The service's controller: mailbox "Scans" (password "pw") with one job.
inline Json::Value ServiceFixture() {
    Json::Value f;
    f["name"] = "Front Desk";
    f["dictionary"]["WB3_SYSTEM"]["QMVSYSVERNUM"] = "10";
    f["features"]["UTF8_VERSION"] = "2";
    Json::Value box, job;
    box["name"] = "Scans";
    box["password"] = "pw";
    job["id"] = 7;
    job["name"] = "Invoice";
    box["jobs"].append(job);
    f["mailboxes"].append(box);
    return f;
}

// A started simulator, VELLORA_PORT pointing at it and teardown pauses counted.
class WrapperTest : public ::testing::Test {
protected:
    void Start(const Json::Value& fixture = ServiceFixture()) {
        port.reset();  // restores the variables before they are set again
        timeout.reset();
        sim = std::make_unique<zeltosim::Simulator>(fixture);
        sim->Start("127.0.0.1", 0);
        port = std::make_unique<veqtest::ScopedEnv>("VELLORA_PORT", std::to_string(sim->Port()).c_str());
        timeout = std::make_unique<veqtest::ScopedEnv>("VELLORA_TIMEOUT_MS", "5000");
    }
    void SetUp() override {
        VelloraWrapper::SetTeardownSleep([this](unsigned seconds) { sleeps.push_back(seconds); });
    }
    void TearDown() override {
        wrapper.reset();
        VelloraWrapper::SetTeardownSleep(nullptr);
    }
    // A wrapper connected as the service connects ("guest", "").
    void Connect() {
        wrapper.reset(VelloraWrapper::New());
        ASSERT_EQ(wrapper->INIT_connectUTF8("127.0.0.1", "guest", ""), 0);
    }
    std::vector<std::string> Functions() const {
        std::vector<std::string> names;
        for (const auto& call : sim->Calls()) names.push_back(call.function);
        return names;
    }

    std::unique_ptr<zeltosim::Simulator> sim;
    std::unique_ptr<veqtest::ScopedEnv> port, timeout;
    std::unique_ptr<VelloraWrapperIntf> wrapper;
    std::vector<unsigned> sleeps;
};

inline VelloraWrapper& Of(const std::unique_ptr<VelloraWrapperIntf>& w) {
    return static_cast<VelloraWrapper&>(*w);
}

}  // namespace wrappertest
