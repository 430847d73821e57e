// Accessibility answers for a tree-list box: a vertical list whose entries
// each carry a small tree of items shown in a data view control.
#pragma once

#include "Automation.h"

class VEQ_AUTOMATION_SHARED AutomationTreeListBox : public AutomationControl {
public:
    using AutomationControl::AutomationControl;

    bool ProcessEvent(bool* handled, wxEvent& event) override;
};
