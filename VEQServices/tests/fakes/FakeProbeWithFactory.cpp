// A stand-in for libVEQProbe that exports the factory: one new provider per
// call for the four known types, null for any other value.
#include <memory>
#include <vector>

#include "FakeAutomationControl.h"

namespace {
std::vector<std::unique_ptr<FakeAutomationControl>>& Providers() {
    static std::vector<std::unique_ptr<FakeAutomationControl>> s_providers;
    return s_providers;
}
int s_calls = 0;
}  // namespace

extern "C" VEQ_AUTOMATION_SHARED AutomationControl* GetAutomationControl(AutomationControl::Type type,
                                                                        const Automation* owner) {
    ++s_calls;
    if (static_cast<std::uint32_t>(type) > 3) return nullptr;
    Providers().push_back(std::make_unique<FakeAutomationControl>(type, owner));
    return Providers().back().get();
}

// How often the factory has been called in this process.
extern "C" VEQ_AUTOMATION_SHARED int FakeProbeFactoryCalls() { return s_calls; }
