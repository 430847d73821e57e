#include "AutomationAnswer.h"

#include <wx/debug.h>
#include <wx/toplevel.h>

namespace AutomationAnswer {

void ReportUnexpected(const char* check) {
#if wxDEBUG_LEVEL
    if (wxTheAssertHandler) wxOnAssert(__FILE__, __LINE__, __func__, check, "the owner answered with another type");
#else
    (void)check;
#endif
}

wxMacAccNamedAttrEvent* NamedRequest(wxEvent& event) { return wxDynamicCast(&event, wxMacAccNamedAttrEvent); }

bool Guarded(wxMacAccNamedAttrEvent& request, const std::function<bool()>& dispatch) {
    try {
        return dispatch();
    } catch (const UnexpectedAnswer&) {
        request.SetUnanswered(true);
        return false;
    }
}

bool Finish(bool* handled, const wxMacAccNamedAttrEvent& request) {
    if (request.IsUnanswered()) return false;
    if (handled) *handled = true;
    return true;
}

bool IsAbout(const wxMacAccNamedAttrEvent& request, const wxWindow* window) {
    return request.GetLevel() == 0 && request.GetEventObject() == static_cast<const wxObject*>(window);
}

const MacAccElementRecord* InnerRecord(const wxMacAccNamedAttrEvent& request) {
    return request.GetLevel() == 1 ? request.GetElementRecord() : nullptr;
}

WXWidget NativeView(const wxWindow* window) { return window ? window->GetHandle() : nullptr; }

WXWidget TopLevelView(wxWindow* window) { return NativeView(window ? wxGetTopLevelParent(window) : nullptr); }

wxRect ScreenRect(const wxWindow* window) { return window->GetScreenRect(); }

wxRect ClientToScreen(const wxWindow* window, const wxRect& rect) {
    return wxRect(window->ClientToScreen(rect.GetTopLeft()), rect.GetSize());
}

const MacAccElement* ViewTable(wxWindow* window, NSMutableArray& array, int kind) {
    return CreateAndAddNSAccesibilityTableElement(window, NativeView(window), ScreenRect(window), &array, kind,
                                                  false);
}

const MacAccElement* ViewOutline(wxWindow* window, NSMutableArray& array, int kind) {
    return CreateAndAddNSAccesibilityOutLineElement(window, NativeView(window), ScreenRect(window), &array, kind,
                                                    false);
}

bool AnswerRole(wxMacAccNamedAttrEvent& request, const char* role, const char* description) {
    const wxString& name = request.GetName();
    if (name == "AXRole") {
        request.SetStringOutputType(role);
    } else if (name == "AXRoleDescription") {
        request.SetStringOutputType(description);
    } else {
        return false;
    }
    return true;
}

bool AnswerWindowState(wxMacAccNamedAttrEvent& request, const wxWindow* window) {
    const wxString& name = request.GetName();
    if (name == "AXEnabled") {
        request.SetBoolOutputType(window->IsEnabled());
    } else if (name == "AXFocused") {
        request.SetBoolOutputType(wxWindow::FindFocus() == window);
    } else {
        return false;
    }
    return true;
}

bool AnswerScrollView(wxMacAccNamedAttrEvent& request, wxWindow* window, const char* role,
                      const std::function<void(NSMutableArray&)>& addChildren) {
    if (AnswerRole(request, role, "scroll area") || AnswerWindowState(request, window)) return true;
    if (request.GetName() != "AXChildren") return false;
    NSMutableArray children;
    addChildren(children);
    request.SetArrOutputType(&children);
    return true;
}

void AnswerList(wxMacAccNamedAttrEvent& request, wxWindow* window,
                const std::function<void(NSMutableArray&)>& addRows) {
    if (AnswerRole(request, "AXList", "list") || AnswerWindowState(request, window)) return;
    const wxString& name = request.GetName();
    if (name == "AXPosition") {
        request.SetPointOutputType(window->GetScreenPosition());
    } else if (name == "AXSize") {
        request.SetSizeOutputType(ScreenRect(window));
    } else if (name == "AXOrientation") {
        request.SetStringOutputType("AXVerticalOrientationValue");
    } else if (name == "AXChildren") {
        NSMutableArray rows;
        addRows(rows);
        request.SetArrOutputType(&rows);
    } else if (name == "AXSelectedChildren" || name == "AXVisibleChildren") {
        // Handled without a value.
    } else if (name == "AXWindow" || name == "AXTopLevelUIElement") {
        request.SetObjectResult(TopLevelView(window));
    } else {
        request.SetUnanswered(true);
    }
}

}  // namespace AutomationAnswer
