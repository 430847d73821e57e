// The accessibility events: one identity of every event type and class in
// the process, across library boundaries, and the answers a request carries.
#include <dlfcn.h>

#include <memory>
#include <string>

#include <gtest/gtest.h>
#include <wx/event.h>
#include <wx/window.h>

#include "AccessibilityEvents.h"

namespace {

// The peer module, loaded as a library that links the layer by itself.
class Peer {
public:
    Peer() : m_handle(dlopen(VEQ_ACCESSIBILITY_PEER, RTLD_NOW | RTLD_LOCAL)) {}
    ~Peer() {
        if (m_handle) dlclose(m_handle);
    }
    bool Loaded() const { return m_handle != nullptr; }
    template <typename Function>
    Function* Symbol(const char* name) const {
        return reinterpret_cast<Function*>(dlsym(m_handle, name));
    }

private:
    void* m_handle;
};

const wxEventType kTypes[] = {wxEVT_MAC_ACC_GETNAMEDATTRIBUTE, wxEVT_MAC_ACC_SETNAMEDATTRIBUTE,
                              wxEVT_MAC_ACC_PERFORMNAMEDACTION, wxEVT_MAC_ACC_GETALLATTRIBUTENAMES,
                              wxEVT_MAC_ACC_GETALLACTIONNAMES};

}  // namespace

TEST(AccessibilityEventTypes, DistinctAndTheSameInAnotherLibrary) {
    Peer peer;
    ASSERT_TRUE(peer.Loaded()) << dlerror();
    auto* peerType = peer.Symbol<int(int)>("PeerEventType");
    ASSERT_NE(peerType, nullptr);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_NE(kTypes[i], wxEVT_NULL);
        for (int j = 0; j < i; ++j) EXPECT_NE(kTypes[i], kTypes[j]);
        EXPECT_EQ(peerType(i), kTypes[i]);
    }
}

TEST(AccessibilityEventTypes, ClassInformationIsShared) {
    Peer peer;
    ASSERT_TRUE(peer.Loaded()) << dlerror();
    auto* peerClass = peer.Symbol<const wxClassInfo*()>("PeerNamedAttrClass");
    auto* recognises = peer.Symbol<bool(wxEvent*)>("PeerRecognises");
    ASSERT_NE(peerClass, nullptr);
    ASSERT_NE(recognises, nullptr);
    EXPECT_EQ(peerClass(), wxCLASSINFO(wxMacAccNamedAttrEvent));
    EXPECT_EQ(wxClassInfo::FindClass("wxMacAccNamedAttrEvent"), wxCLASSINFO(wxMacAccNamedAttrEvent));
    EXPECT_EQ(wxClassInfo::FindClass("wxMacAccGetNamesEvent"), wxCLASSINFO(wxMacAccGetNamesEvent));

    wxMacAccNamedAttrEvent named(wxEVT_MAC_ACC_GETNAMEDATTRIBUTE);
    wxMacAccGetNamesEvent names(wxEVT_MAC_ACC_GETALLATTRIBUTENAMES);
    EXPECT_TRUE(recognises(&named));
    EXPECT_FALSE(recognises(&names));
    EXPECT_TRUE(names.IsKindOf(wxCLASSINFO(wxMacAccGetNamesEvent)));
}

TEST(AccessibilityEventTypes, HandlersBoundInAnotherLibraryAnswer) {
    Peer peer;
    ASSERT_TRUE(peer.Loaded()) << dlerror();
    auto* bind = peer.Symbol<void(wxEvtHandler*)>("PeerBind");
    ASSERT_NE(bind, nullptr);
    wxEvtHandler handler;
    bind(&handler);

    wxMacAccNamedAttrEvent role(wxEVT_MAC_ACC_GETNAMEDATTRIBUTE, nullptr, "AXRole");
    EXPECT_TRUE(handler.ProcessEvent(role));
    EXPECT_EQ(role.GetOutputType(), wxMacAccNamedAttrEvent::Output::String);
    EXPECT_EQ(role.GetStringOutput(), "AXPeer");

    // The element was made in the peer; the event keeps it after the
    // peer's array is gone.
    wxMacAccNamedAttrEvent children(wxEVT_MAC_ACC_GETNAMEDATTRIBUTE, nullptr, "AXChildren");
    EXPECT_TRUE(handler.ProcessEvent(children));
    ASSERT_EQ(children.GetArrOutput().GetCount(), 1u);
    const MacAccElement* row = children.GetArrOutput().GetElement(0);
    EXPECT_EQ(row->GetRole(), MacAccRole::Row);
    EXPECT_EQ(row->GetIndex(), 7u);
    EXPECT_EQ(row->GetKind(), 5);
    EXPECT_EQ(row->GetRect(), wxRect(1, 2, 3, 4));

    wxMacAccNamedAttrEvent other(wxEVT_MAC_ACC_GETNAMEDATTRIBUTE, nullptr, "AXSomething");
    handler.ProcessEvent(other);
    EXPECT_TRUE(other.IsUnanswered());

    // A set request is of another type: the handler for get does not see it.
    wxMacAccNamedAttrEvent set(wxEVT_MAC_ACC_SETNAMEDATTRIBUTE, nullptr, "AXRole");
    EXPECT_FALSE(handler.ProcessEvent(set));
    EXPECT_EQ(set.GetOutputType(), wxMacAccNamedAttrEvent::Output::None);

    wxMacAccGetNamesEvent names(wxEVT_MAC_ACC_GETALLATTRIBUTENAMES);
    EXPECT_TRUE(handler.ProcessEvent(names));
    ASSERT_EQ(names.GetNames().size(), 1u);
    EXPECT_EQ(names.GetNames()[0], "AXPeerName");
}

TEST(AccessibilityNamedAttrEvent, EachTypedResultReplacesTheOneBefore) {
    using Output = wxMacAccNamedAttrEvent::Output;
    NSMutableArray array;
    CreateAndAddNSAccesibilityTableElement(nullptr, MacAccObject(), wxRect(), &array, 1, false);
    struct Case {
        const char* what;
        void (*set)(wxMacAccNamedAttrEvent&, NSMutableArray*);
        Output output;
    };
    const Case cases[] = {
        {"string", [](wxMacAccNamedAttrEvent& e, NSMutableArray*) { e.SetStringOutputType("list"); }, Output::String},
        {"bool", [](wxMacAccNamedAttrEvent& e, NSMutableArray*) { e.SetBoolOutputType(true); }, Output::Bool},
        {"int", [](wxMacAccNamedAttrEvent& e, NSMutableArray*) { e.SetInt32OutputType(-3); }, Output::Int32},
        {"point", [](wxMacAccNamedAttrEvent& e, NSMutableArray*) { e.SetPointOutputType({4, 5}); }, Output::Point},
        {"size", [](wxMacAccNamedAttrEvent& e, NSMutableArray*) { e.SetSizeOutputType({10, 20, 30, 40}); }, Output::Size},
        {"array", [](wxMacAccNamedAttrEvent& e, NSMutableArray* a) { e.SetArrOutputType(a); }, Output::Array},
    };
    for (const Case& first : cases) {
        for (const Case& second : cases) {
            SCOPED_TRACE(std::string(first.what) + " then " + second.what);
            wxMacAccNamedAttrEvent event(wxEVT_MAC_ACC_GETNAMEDATTRIBUTE);
            first.set(event, &array);
            second.set(event, &array);
            EXPECT_EQ(event.GetOutputType(), second.output);
            EXPECT_EQ(event.GetArrOutput().GetCount(), second.output == Output::Array ? 1u : 0u);
            EXPECT_EQ(event.GetStringOutput(), second.output == Output::String ? "list" : "");
        }
    }

    wxMacAccNamedAttrEvent event(wxEVT_MAC_ACC_GETNAMEDATTRIBUTE);
    event.SetSizeOutputType(wxRect(10, 20, 30, 40));
    EXPECT_EQ(event.GetSizeOutput(), wxSize(30, 40));
    event.SetPointOutputType(wxPoint(4, 5));
    EXPECT_EQ(event.GetPointOutput(), wxPoint(4, 5));
    event.SetInt32OutputType(-3);
    EXPECT_EQ(event.GetInt32Output(), -3);
    event.SetBoolOutputType(true);
    EXPECT_TRUE(event.GetBoolOutput());
    // A null array stores nothing and keeps the answer before.
    event.SetArrOutputType(nullptr);
    EXPECT_EQ(event.GetOutputType(), Output::Bool);
}

TEST(AccessibilityNamedAttrEvent, ArrayAnswerIsACopyThatKeepsItsElements) {
    wxMacAccNamedAttrEvent event(wxEVT_MAC_ACC_GETNAMEDATTRIBUTE, nullptr, "AXChildren");
    {
        auto array = std::make_unique<NSMutableArray>();
        CreateAndAddNSAccesibilityTextElement(nullptr, MacAccObject(), 2, wxRect(), "first", array.get(), 2, -1, false);
        event.SetArrOutputType(array.get());
        CreateAndAddNSAccesibilityTextElement(nullptr, MacAccObject(), 3, wxRect(), "later", array.get(), 2, -1, false);
    }
    ASSERT_EQ(event.GetArrOutput().GetCount(), 1u);
    EXPECT_EQ(event.GetArrOutput().GetElement(0)->GetText(), "first");
    EXPECT_EQ(event.GetArrOutput().GetElement(1), nullptr);
}

TEST(AccessibilityNamedAttrEvent, RequestAboutAnElementCarriesItsRecordAndClonesWhole) {
    NSMutableArray array;
    auto* window = reinterpret_cast<wxWindow*>(0x1000);
    const MacAccElement* row = CreateAndAddNSAccesibilityRowElement(window, MacAccObject(), 42, 3, 1, wxRect(), &array, 4, true);
    wxMacAccNamedAttrEvent event(wxEVT_MAC_ACC_GETNAMEDATTRIBUTE, *row, "AXValue");
    EXPECT_EQ(event.GetLevel(), 1);
    EXPECT_EQ(event.GetEventObject(), static_cast<wxObject*>(window));
    EXPECT_EQ(event.GetName(), "AXValue");
    ASSERT_NE(event.GetElementRecord(), nullptr);
    EXPECT_EQ(event.GetElementRecord()->kind, 4);
    EXPECT_EQ(event.GetElementRecord()->index, 42u);
    EXPECT_EQ(event.GetElementRecord()->secondIndex, 3);

    event.SetStringOutputType("10");
    event.SetObjectResult(row);
    event.SetUnanswered(true);
    std::unique_ptr<wxEvent> copy(event.Clone());
    auto* clone = wxDynamicCast(copy.get(), wxMacAccNamedAttrEvent);
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->GetEventType(), wxEVT_MAC_ACC_GETNAMEDATTRIBUTE);
    EXPECT_EQ(clone->GetName(), "AXValue");
    EXPECT_EQ(clone->GetLevel(), 1);
    ASSERT_NE(clone->GetElementRecord(), nullptr);
    EXPECT_EQ(clone->GetElementRecord()->index, 42u);
    EXPECT_EQ(clone->GetStringOutput(), "10");
    EXPECT_EQ(clone->GetObjectResult().GetElement(), row);
    EXPECT_TRUE(clone->IsUnanswered());

    event.ClearElementRecord();
    EXPECT_EQ(event.GetElementRecord(), nullptr);
}

TEST(AccessibilityNamedAttrEvent, RequestAboutAWindowHasNoRecordAndNoAnswer) {
    wxMacAccNamedAttrEvent event(wxEVT_MAC_ACC_GETNAMEDATTRIBUTE, nullptr, "AXRole");
    EXPECT_EQ(event.GetLevel(), 0);
    EXPECT_EQ(event.GetElementRecord(), nullptr);
    EXPECT_FALSE(event.IsUnanswered());
    EXPECT_TRUE(event.GetObjectResult().IsNull());
    EXPECT_EQ(event.GetOutputType(), wxMacAccNamedAttrEvent::Output::None);
}
