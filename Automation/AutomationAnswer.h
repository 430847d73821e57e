// What the four attribute providers share: asking the owner with a type
// check, the window facts that several attributes give, the answers that
// several elements give alike, and concluding an answer the same way.
#pragma once

#include <functional>

#include <wx/any.h>
#include <wx/gdicmn.h>
#include <wx/window.h>

#include "AccessibilityEvents.h"
#include "Automation.h"

namespace AutomationAnswer {

// Thrown when the owner answers a query with another type than the one the
// provider reads; the request is then left unanswered.
struct UnexpectedAnswer {};

// Raises the wx assertion whose condition text is check.
void ReportUnexpected(const char* check);

// The owner's answer as a T; the wx assertion with check as its condition
// and UnexpectedAnswer when it holds something else.
template <typename T>
T Expect(const wxAny& answer, const char* check) {
    if (!answer.CheckType<T>()) {
        ReportUnexpected(check);
        throw UnexpectedAnswer();
    }
    return answer.As<T>();
}

// The queries of one provider kind: keys of the enum Key.
template <typename Key>
class OwnerQuery {
public:
    explicit OwnerQuery(const Automation& owner) : m_owner(owner) {}

    wxAny Ask(int key, const wxAny& argument = wxAny(nullptr)) const {
        return m_owner.Get(wxAny(static_cast<Key>(key)), argument);
    }

    template <typename T>
    T Get(int key, const char* check, const wxAny& argument = wxAny(nullptr)) const {
        return Expect<T>(Ask(key, argument), check);
    }

    // A window answer, null when the answer holds none.
    wxWindow* WindowOrNull(int key, const wxAny& argument = wxAny(nullptr)) const {
        const wxAny answer = Ask(key, argument);
        return answer.CheckType<wxWindow*>() ? answer.As<wxWindow*>() : nullptr;
    }

    const Automation& Owner() const { return m_owner; }

private:
    const Automation& m_owner;
};

// The request inside event when it is a named-attribute request (checked).
wxMacAccNamedAttrEvent* NamedRequest(wxEvent& event);

// Runs dispatch and returns what it returns; an unexpected owner answer
// anywhere in it marks the request unanswered and gives false.
bool Guarded(wxMacAccNamedAttrEvent& request, const std::function<bool()>& dispatch);

// The outcome after an answering function: true, with *handled set, when
// the request is not marked unanswered.
bool Finish(bool* handled, const wxMacAccNamedAttrEvent& request);

// The owner's window (key); UnexpectedAnswer when the answer holds none.
template <typename Key>
wxWindow* OwnerWindow(const OwnerQuery<Key>& query, int key) {
    return query.template Get<wxWindow*>(key, "window.CheckType<wxWindow*>()");
}

// Whether a level-0 request is about window itself.
bool IsAbout(const wxMacAccNamedAttrEvent& request, const wxWindow* window);

// The record of a level-1 request; null at other levels or without one.
const MacAccElementRecord* InnerRecord(const wxMacAccNamedAttrEvent& request);

// The pattern of the providers that refuse what they do not answer: a
// named-attribute request (other events give false) of a provider with an
// owner goes to answer with the owner's window (key windowKey) when it
// gives one; an unexpected owner answer marks the request unanswered.
template <typename Key, typename Answer>
bool ProcessNamedRequest(wxEvent& event, const Automation* owner, int windowKey, const Answer& answer) {
    if (event.GetEventType() != wxEVT_MAC_ACC_GETNAMEDATTRIBUTE) return false;
    wxMacAccNamedAttrEvent* request = NamedRequest(event);
    if (!request || !owner) return false;
    const OwnerQuery<Key> query(*owner);
    return Guarded(*request, [&] {
        wxWindow* window = OwnerWindow(query, windowKey);
        return window && answer(*request, window, query);
    });
}

// The native view of window (its platform peer); null for none.
WXWidget NativeView(const wxWindow* window);
// The native view of window's top-level parent; null when there is none.
WXWidget TopLevelView(wxWindow* window);
// The window's own rectangle in screen coordinates.
wxRect ScreenRect(const wxWindow* window);
// rect, in window's client coordinates, in screen coordinates.
wxRect ClientToScreen(const wxWindow* window, const wxRect& rect);

// A table or an outline element of kind made right under window's native
// view over the window's screen rectangle, in array.
const MacAccElement* ViewTable(wxWindow* window, NSMutableArray& array, int kind);
const MacAccElement* ViewOutline(wxWindow* window, NSMutableArray& array, int kind);

// "AXRole" (role) and "AXRoleDescription" (description); false for any
// other name.
bool AnswerRole(wxMacAccNamedAttrEvent& request, const char* role, const char* description);

// "AXEnabled" and "AXFocused" of window; false for any other name.
bool AnswerWindowState(wxMacAccNamedAttrEvent& request, const wxWindow* window);

// What a scroll view answers: "AXRole" (role), "AXRoleDescription"
// "scroll area", "AXEnabled", "AXFocused", and "AXChildren" as addChildren
// fills them; false for any other name.
bool AnswerScrollView(wxMacAccNamedAttrEvent& request, wxWindow* window, const char* role,
                      const std::function<void(NSMutableArray&)>& addChildren);

// The answers of a vertical list of entries (list of a list box or a
// tree-list box); addRows fills the children.
void AnswerList(wxMacAccNamedAttrEvent& request, wxWindow* window,
                const std::function<void(NSMutableArray&)>& addRows);

}  // namespace AutomationAnswer
