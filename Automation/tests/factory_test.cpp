// The factory and its registry, and what every provider does with events
// that are not its requests.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "AutomationListBox.h"
#include "AutomationListControl.h"
#include "AutomationTreeControl.h"
#include "AutomationTreeListBox.h"
#include "ProbeTestSupport.h"

using namespace probetest;
using Type = AutomationControl::Type;

// The registry frees its providers through the base.
static_assert(std::has_virtual_destructor<AutomationControl>::value, "providers are deleted through the base");

namespace {

struct Kind {
    Type type;
    const char* name;
    std::function<bool(AutomationControl*)> isOfClass;
};

const std::vector<Kind>& Kinds() {
    static const std::vector<Kind> kinds = {
        {Type::ListControl, "list control", [](AutomationControl* p) { return dynamic_cast<AutomationListControl*>(p) != nullptr; }},
        {Type::ListBox, "list box", [](AutomationControl* p) { return dynamic_cast<AutomationListBox*>(p) != nullptr; }},
        {Type::TreeControl, "tree control", [](AutomationControl* p) { return dynamic_cast<AutomationTreeControl*>(p) != nullptr; }},
        {Type::TreeListBox, "tree list box", [](AutomationControl* p) { return dynamic_cast<AutomationTreeListBox*>(p) != nullptr; }},
    };
    return kinds;
}

}  // namespace

// Owners that live to the end of the test, each at an address of its own
// (the registry keeps a provider for an address for good).
class Owners {
public:
    WindowOwner& Make(wxWindow* window = nullptr) {
        m_owners.push_back(std::make_unique<WindowOwner>(window));
        return *m_owners.back();
    }

private:
    std::vector<std::unique_ptr<WindowOwner>> m_owners;
};

TEST(AutomationFactory, OneProviderPerOwnerOfTheFirstTypeAsked) {
    Owners owners;
    for (const Kind& first : Kinds()) {
        SCOPED_TRACE(first.name);
        WindowOwner& owner = owners.Make();
        AutomationControl* provider = GetAutomationControl(first.type, &owner);
        ASSERT_NE(provider, nullptr);
        EXPECT_TRUE(first.isOfClass(provider));
        EXPECT_EQ(provider->GetOwner(), &owner);
        for (const Kind& later : Kinds()) EXPECT_EQ(GetAutomationControl(later.type, &owner), provider) << later.name;
        EXPECT_EQ(GetAutomationControl(static_cast<Type>(9), &owner), provider);
    }
}

TEST(AutomationFactory, OtherTypesGiveNullAndStoreNothing) {
    Owners owners;
    for (const Kind& kind : Kinds()) {
        SCOPED_TRACE(kind.name);
        WindowOwner& owner = owners.Make();
        for (std::int32_t type : {4, 5, 1000, -1, INT32_MIN, INT32_MAX}) {
            EXPECT_EQ(GetAutomationControl(static_cast<Type>(type), &owner), nullptr) << type;
        }
        AutomationControl* provider = GetAutomationControl(kind.type, &owner);
        ASSERT_NE(provider, nullptr);
        EXPECT_TRUE(kind.isOfClass(provider));
    }
}

TEST(AutomationFactory, OwnersHaveProvidersOfTheirOwnAndNullIsAnOwnerToo) {
    WindowOwner first(nullptr);
    WindowOwner second(nullptr);
    AutomationControl* a = GetAutomationControl(Type::ListBox, &first);
    AutomationControl* b = GetAutomationControl(Type::ListBox, &second);
    EXPECT_NE(a, b);
    AutomationControl* none = GetAutomationControl(Type::TreeControl, nullptr);
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->GetOwner(), nullptr);
    EXPECT_EQ(GetAutomationControl(Type::ListControl, nullptr), none);

    // A provider without an owner has nothing to answer with.
    Windows windows;
    wxMacAccNamedAttrEvent request = ViewRequest(windows.control, "AXRole");
    ExpectOutcome(Process(none, request), false);
}

TEST(AutomationProviders, EventsThatAreNoRequestOfTheirsAreLeftAlone) {
    Windows windows;
    struct Event {
        const char* what;
        std::function<wxEvent*()> make;
    };
    const std::vector<Event> events = {
        {"a button click", [] { return new wxCommandEvent(wxEVT_BUTTON); }},
        {"a set request", [&] { return new wxMacAccNamedAttrEvent(wxEVT_MAC_ACC_SETNAMEDATTRIBUTE, windows.control, "AXRole"); }},
        {"a perform request", [&] { return new wxMacAccNamedAttrEvent(wxEVT_MAC_ACC_PERFORMNAMEDACTION, windows.control, "AXPress"); }},
        {"action names", [&] { return new wxMacAccGetNamesEvent(wxEVT_MAC_ACC_GETALLACTIONNAMES, windows.control); }},
        {"a get request of another class", [] { return new wxCommandEvent(wxEVT_MAC_ACC_GETNAMEDATTRIBUTE); }},
    };
    Owners owners;
    for (const Kind& kind : Kinds()) {
        AutomationControl* provider = GetAutomationControl(kind.type, &owners.Make(windows.control));
        ASSERT_TRUE(kind.isOfClass(provider));
        for (const Event& event : events) {
            SCOPED_TRACE(std::string(kind.name) + ", " + event.what);
            std::unique_ptr<wxEvent> made(event.make());
            ExpectOutcome(Process(provider, *made), false);
        }
    }
}

TEST(AutomationProviders, AnswerWithoutAHandledFlagToSet) {
    Windows windows;
    Owners owners;
    for (const Kind& kind : Kinds()) {
        SCOPED_TRACE(kind.name);
        WindowOwner& owner = owners.Make(windows.control);
        AutomationControl* provider = GetAutomationControl(kind.type, &owner);
        ASSERT_TRUE(kind.isOfClass(provider));
        wxMacAccNamedAttrEvent request = ViewRequest(windows.control, "AXRoleDescription");
        EXPECT_TRUE(provider->ProcessEvent(nullptr, request));
        ExpectString(request, "scroll area");
    }
}
