// Accessibility answers for a tree control: an outline whose rows reach every depth.
#pragma once

#include "Automation.h"

class VEQ_AUTOMATION_SHARED AutomationTreeControl : public AutomationControl {
public:
    using AutomationControl::AutomationControl;

    bool ProcessEvent(bool* handled, wxEvent& event) override;
};
