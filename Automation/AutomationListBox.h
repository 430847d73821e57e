// Accessibility answers for a plain list box: a scroll view holding a list of static texts.
#pragma once

#include "Automation.h"

class VEQ_AUTOMATION_SHARED AutomationListBox : public AutomationControl {
public:
    using AutomationControl::AutomationControl;

    bool ProcessEvent(bool* handled, wxEvent& event) override;
};
