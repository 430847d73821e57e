// What the provider tests share: a toolkit application with real windows on
// the virtual display, owners that answer from a table and record what they
// were asked, requests as the owners' windows would get them, a record of
// toolkit assertions, checks of answers and a fixture of a provider.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <wx/any.h>
#include <wx/app.h>
#include <wx/frame.h>
#include <wx/init.h>
#include <wx/itemid.h>
#include <wx/panel.h>
#include <wx/position.h>

#include "AccessibilityEvents.h"
#include "Automation.h"

namespace probetest {

using Item = wxItemId<void*>;
using RowItem = std::pair<unsigned long, Item>;

inline Item MakeItem(std::uintptr_t value) { return Item(reinterpret_cast<void*>(value)); }

inline void EnsureApp() {
    static const bool started = [] {
        wxApp::SetInstance(new wxApp());
        static int argc = 1;
        static char name[] = "probe-test";
        static char* argv[] = {name, nullptr};
        wxEntryStart(argc, argv);
        wxTheApp->CallOnInit();
        // An assertion no test waits for fails the test (a dialog would hang it).
        wxSetAssertHandler([](const wxString& file, int line, const wxString&, const wxString& condition,
                              const wxString& message) {
            ADD_FAILURE() << "wx assertion " << condition << " (" << message << ") at " << file << ":" << line;
        });
        return true;
    }();
    (void)started;
}

// The condition texts of the toolkit assertions raised while it lives.
class AssertionLog {
public:
    AssertionLog() {
        Conditions().clear();
        EnsureApp();
        m_previous = wxSetAssertHandler(&Record);
    }
    ~AssertionLog() { wxSetAssertHandler(m_previous); }
    const std::vector<std::string>& Raised() const { return Conditions(); }

private:
    static std::vector<std::string>& Conditions() {
        static std::vector<std::string> s_conditions;
        return s_conditions;
    }
    static void Record(const wxString&, int, const wxString&, const wxString& condition, const wxString&) {
        Conditions().push_back(condition.ToStdString());
    }
    wxAssertHandler_t m_previous;
};

// An argument as the tables name it: "" for none, "3" for an index,
// "3,0" for a position, "#5" for an item, "3#5" for a row and an item.
inline std::string Describe(const wxAny& argument) {
    if (argument.CheckType<std::nullptr_t>()) return "";
    if (argument.CheckType<std::size_t>()) return std::to_string(argument.As<std::size_t>());
    if (argument.CheckType<int>()) return std::to_string(argument.As<int>());
    if (argument.CheckType<wxPosition>()) {
        const wxPosition position = argument.As<wxPosition>();
        return std::to_string(position.GetRow()) + "," + std::to_string(position.GetColumn());
    }
    auto item = [](Item value) { return "#" + std::to_string(reinterpret_cast<std::uintptr_t>(value.GetID())); };
    if (argument.CheckType<Item>()) return item(argument.As<Item>());
    if (argument.CheckType<RowItem>()) {
        const RowItem rowItem = argument.As<RowItem>();
        return std::to_string(rowItem.first) + item(rowItem.second);
    }
    return "?";
}

// An owner whose answers come from a table keyed "key|argument" (see
// Describe); keys of another enum than Key are named "Tree 6" (the tree's
// enum) or "? 6". Unknown queries answer an empty wxAny.
template <typename Key>
class FakeOwner : public Automation {
public:
    std::map<std::string, wxAny> answers;
    mutable std::vector<std::string> asked;

    wxAny Get(const wxAny& key, const wxAny& argument) const override {
        const std::string query = DescribeKey(key) + "|" + Describe(argument);
        asked.push_back(query);
        const auto answer = answers.find(query);
        return answer == answers.end() ? wxAny() : answer->second;
    }

    void Set(const std::string& query, const wxAny& answer) { answers[query] = answer; }

private:
    static std::string DescribeKey(const wxAny& key) {
        if (key.CheckType<Key>()) return std::to_string(static_cast<int>(key.As<Key>()));
        if (key.CheckType<AutomationControl::Tree>()) {
            return "Tree " + std::to_string(static_cast<int>(key.As<AutomationControl::Tree>()));
        }
        return "?";
    }
};

// An owner that gives its window for every key.
class WindowOwner : public Automation {
public:
    explicit WindowOwner(wxWindow* window) : m_window(window) {}
    wxAny Get(const wxAny&, const wxAny&) const override { return m_window; }

private:
    wxWindow* m_window;
};

// A frame on the display with the control's window inside it, away from the
// screen's corner so that client and screen coordinates differ.
class Windows {
public:
    Windows() {
        EnsureApp();
        frame = new wxFrame(nullptr, wxID_ANY, "probe", wxPoint(120, 90), wxSize(500, 400));
        control = new wxPanel(frame, wxID_ANY, wxPoint(30, 40), wxSize(300, 200));
        other = new wxPanel(frame, wxID_ANY, wxPoint(340, 40), wxSize(100, 100));
        frame->Show();
        wxTheApp->ProcessPendingEvents();
        wxYield();
    }
    ~Windows() { delete frame; }

    wxRect ToScreen(const wxRect& client) const {
        return wxRect(control->ClientToScreen(client.GetTopLeft()), client.GetSize());
    }

    wxFrame* frame;
    wxPanel* control;
    wxPanel* other;
};

// A request about the control's own view.
inline wxMacAccNamedAttrEvent ViewRequest(wxWindow* window, const wxString& name) {
    return wxMacAccNamedAttrEvent(wxEVT_MAC_ACC_GETNAMEDATTRIBUTE, window, name, 0);
}

// A request about an inner element of kind with these indexes.
inline wxMacAccNamedAttrEvent ElementRequest(wxWindow* window, int kind, std::uint64_t index, int secondIndex,
                                             const wxString& name) {
    wxMacAccNamedAttrEvent request(wxEVT_MAC_ACC_GETNAMEDATTRIBUTE, window, name, 1);
    request.SetElementRecord({kind, index, secondIndex});
    return request;
}

// What ProcessEvent gave: its result and the handled flag (which starts false).
struct Outcome {
    bool result;
    bool handled;
};

inline Outcome Process(AutomationControl* provider, wxEvent& event) {
    bool handled = false;
    const bool result = provider->ProcessEvent(&handled, event);
    return {result, handled};
}

using Output = wxMacAccNamedAttrEvent::Output;

// Checks a request answered (true, handled) or refused (false, untouched).
inline void ExpectOutcome(const Outcome& outcome, bool answered) {
    EXPECT_EQ(outcome.result, answered);
    EXPECT_EQ(outcome.handled, answered);
}

inline void ExpectString(const wxMacAccNamedAttrEvent& request, const char* text) {
    EXPECT_EQ(request.GetOutputType(), Output::String);
    EXPECT_EQ(request.GetStringOutput(), text);
}

inline void ExpectBool(const wxMacAccNamedAttrEvent& request, bool value) {
    EXPECT_EQ(request.GetOutputType(), Output::Bool);
    EXPECT_EQ(request.GetBoolOutput(), value);
}

inline void ExpectInt(const wxMacAccNamedAttrEvent& request, int value) {
    EXPECT_EQ(request.GetOutputType(), Output::Int32);
    EXPECT_EQ(request.GetInt32Output(), value);
}

// An answer that is an array with nothing in it.
inline void ExpectEmptyArray(const wxMacAccNamedAttrEvent& request) {
    EXPECT_EQ(request.GetOutputType(), Output::Array);
    EXPECT_TRUE(request.GetArrOutput().IsEmpty());
}

// An element of role and kind made right under window's own view, over the
// window's screen rectangle.
inline void ExpectUnderView(const MacAccElement* element, MacAccRole role, int kind, const wxWindow* window) {
    ASSERT_NE(element, nullptr);
    EXPECT_EQ(element->GetRole(), role);
    EXPECT_EQ(element->GetKind(), kind);
    EXPECT_EQ(element->GetRect(), window->GetScreenRect());
    EXPECT_EQ(element->GetParent().GetView(), window->GetHandle());
}

// One request and the scalar answer it must get: level 0 is about the
// control's view (kind and indexes unused), level 1 about an element. When
// answered, output None means handled with no value; value is the text of a
// string answer or the number of an int or bool answer.
struct ScalarCase {
    int level;
    int kind;
    std::uint64_t index;
    int secondIndex;
    const char* name;
    bool answered;
    Output output;
    std::string text = "";
    int number = 0;
};

inline std::string Label(const ScalarCase& c) {
    return "level " + std::to_string(c.level) + " kind " + std::to_string(c.kind) + " index " +
           std::to_string(c.index) + "/" + std::to_string(c.secondIndex) + " " + c.name;
}

inline wxMacAccNamedAttrEvent RequestFor(const ScalarCase& c, wxWindow* window) {
    if (c.level == 0) return ViewRequest(window, c.name);
    wxMacAccNamedAttrEvent request = ElementRequest(window, c.kind, c.index, c.secondIndex, c.name);
    request.SetLevel(c.level);
    return request;
}

inline void CheckScalars(AutomationControl* provider, wxWindow* window, const std::vector<ScalarCase>& cases) {
    for (const ScalarCase& c : cases) {
        SCOPED_TRACE(Label(c));
        wxMacAccNamedAttrEvent request = RequestFor(c, window);
        ExpectOutcome(Process(provider, request), c.answered);
        if (!c.answered) continue;
        EXPECT_EQ(request.GetOutputType(), c.output);
        switch (c.output) {
            case Output::String:
                EXPECT_EQ(request.GetStringOutput(), c.text);
                break;
            case Output::Bool:
                EXPECT_EQ(request.GetBoolOutput(), c.number != 0);
                break;
            case Output::Int32:
                EXPECT_EQ(request.GetInt32Output(), c.number);
                break;
            default:
                break;
        }
    }
}

}  // namespace probetest

// The factory libVEQProbe exports.
extern "C" AutomationControl* GetAutomationControl(AutomationControl::Type type, const Automation* owner);

namespace probetest {

// The fixture of a provider's tests: the windows, an owner of the provider's
// enum that answers from its table, and the provider made for that owner.
template <typename Key>
class ProviderTest : public ::testing::Test {
protected:
    // The provider of type for the owner, once the owner's answers are set.
    void MakeProvider(AutomationControl::Type type) {
        provider = GetAutomationControl(type, &owner);
        ASSERT_NE(provider, nullptr);
    }

    // request after the provider answered it (true, handled).
    wxMacAccNamedAttrEvent Answered(wxMacAccNamedAttrEvent request) {
        ExpectOutcome(Process(provider, request), true);
        return request;
    }

    // While the owner answers query with wrong, request is refused, marked
    // unanswered and left without a value, and the one assertion named is
    // raised; the right answer is put back after.
    void ExpectWrongAnswerRefused(const std::string& query, const wxAny& wrong, wxMacAccNamedAttrEvent request,
                                  const char* assertion) {
        const wxAny right = owner.answers[query];
        owner.Set(query, wrong);
        AssertionLog assertions;
        ExpectOutcome(Process(provider, request), false);
        EXPECT_TRUE(request.IsUnanswered());
        EXPECT_EQ(request.GetOutputType(), Output::None);
        EXPECT_EQ(assertions.Raised(), std::vector<std::string>{assertion});
        owner.Set(query, right);
    }

    Windows windows;
    FakeOwner<Key> owner;
    AutomationControl* provider = nullptr;
};

}  // namespace probetest
