// The provider that the fake automation library hands out: it remembers the
// type and owner its factory was called with, so a test can see what the
// loader forwarded.
#pragma once

#include <wx/event.h>

#include "Automation.h"

class VEQ_AUTOMATION_SHARED FakeAutomationControl : public AutomationControl {
public:
    FakeAutomationControl(Type type, const Automation* owner) : AutomationControl(owner), m_type(type) {}

    bool ProcessEvent(bool* /*handled*/, wxEvent& /*event*/) override { return false; }

    Type GetType() const { return m_type; }

private:
    Type m_type;
};
