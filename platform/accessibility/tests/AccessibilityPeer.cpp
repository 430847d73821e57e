// A library on the far side of a boundary, as libVEQProbe or libDropwellUI
// is: it answers accessibility events that the test program makes, and tells
// which event types and class information it sees.
#include <wx/event.h>

#include "AccessibilityEvents.h"

extern "C" {

VEQ_ACCESSIBILITY_API int PeerEventType(int which) {
    const wxEventType types[] = {wxEVT_MAC_ACC_GETNAMEDATTRIBUTE, wxEVT_MAC_ACC_SETNAMEDATTRIBUTE,
                                 wxEVT_MAC_ACC_PERFORMNAMEDACTION, wxEVT_MAC_ACC_GETALLATTRIBUTENAMES,
                                 wxEVT_MAC_ACC_GETALLACTIONNAMES};
    return types[which];
}

VEQ_ACCESSIBILITY_API const wxClassInfo* PeerNamedAttrClass() { return wxCLASSINFO(wxMacAccNamedAttrEvent); }

// Answers through a handler bound here: "AXRole" with a text, "AXChildren"
// with a row made here; the names request gets one name.
VEQ_ACCESSIBILITY_API void PeerBind(wxEvtHandler* handler) {
    handler->Bind(wxEVT_MAC_ACC_GETNAMEDATTRIBUTE, [](wxMacAccNamedAttrEvent& event) {
        if (event.GetName() == "AXRole") {
            event.SetStringOutputType("AXPeer");
        } else if (event.GetName() == "AXChildren") {
            NSMutableArray array;
            CreateAndAddNSAccesibilityRowElement(nullptr, MacAccObject(), 7, wxRect(1, 2, 3, 4), &array, 5, true);
            event.SetArrOutputType(&array);
        } else {
            event.SetUnanswered(true);
        }
    });
    handler->Bind(wxEVT_MAC_ACC_GETALLATTRIBUTENAMES,
                  [](wxMacAccGetNamesEvent& event) { event.AppendName("AXPeerName"); });
}

// Whether the event given as a plain wxEvent is known here as a named request.
VEQ_ACCESSIBILITY_API bool PeerRecognises(wxEvent* event) {
    return wxDynamicCast(event, wxMacAccNamedAttrEvent) != nullptr;
}
}
