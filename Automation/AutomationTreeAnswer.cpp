#include "AutomationTreeAnswer.h"

#include "AutomationAnswer.h"

namespace AutomationAnswer {

bool AnswerOutline(wxMacAccNamedAttrEvent& request, const Automation& owner) {
    if (AnswerRole(request, "AXOutline", "TreeListCtrl")) return true;
    const wxString& name = request.GetName();
    if (name == "AXTitle") {
        const OwnerQuery<AutomationControl::Tree> tree(owner);
        request.SetStringOutputType(tree.Get<wxString>(6, "_title.CheckType<wxString>()"));
    } else if (name == "AXDisclosing") {
        request.SetBoolOutputType(true);
    } else {
        return false;
    }
    return true;
}

bool AnswerTreeRow(wxMacAccNamedAttrEvent& request, AutomationItem item, const std::function<wxString()>& text) {
    const wxString& name = request.GetName();
    if (name == "AXValue") {
        request.SetStringOutputType(text());
    } else if (name == "AXDisclosing") {
        request.SetBoolOutputType(true);
    } else if (name == "AXIndex") {
        request.SetInt32OutputType(ItemValue(item));
    } else {
        return false;
    }
    return true;
}

}  // namespace AutomationAnswer
