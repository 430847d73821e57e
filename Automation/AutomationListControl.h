// Accessibility answers for a report-style list control: a scroll view
// holding a table of rows and cells with a header of column buttons.
#pragma once

#include <cstddef>

#include "Automation.h"

class VEQ_AUTOMATION_SHARED AutomationListControl : public AutomationControl {
public:
    using AutomationControl::AutomationControl;

    bool ProcessEvent(bool* handled, wxEvent& event) override;

    // Whether row is below the owner's row count; false, after the wx
    // assertion, when the owner gives the count as another type.
    bool IsValidListRow(std::size_t row) const;
};
