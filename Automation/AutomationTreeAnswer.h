// What the two tree providers answer alike about a tree's outline and its
// rows.
#pragma once

#include <functional>

#include <wx/string.h>

#include "AccessibilityEvents.h"
#include "Automation.h"
#include "AutomationTreeItems.h"

namespace AutomationAnswer {

// A tree's outline: "AXRole" "AXOutline", "AXRoleDescription"
// "TreeListCtrl", "AXTitle" (asked of owner by the title key of the tree's
// enum) and "AXDisclosing" true; false for any other name.
bool AnswerOutline(wxMacAccNamedAttrEvent& request, const Automation& owner);

// A row of item: "AXValue" (text gives it), "AXDisclosing" true and
// "AXIndex" the handle's value; false for any other name.
bool AnswerTreeRow(wxMacAccNamedAttrEvent& request, AutomationItem item, const std::function<wxString()>& text);

}  // namespace AutomationAnswer
