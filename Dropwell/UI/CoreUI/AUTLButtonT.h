// Makes a window answer the accessibility queries as a button with a title:
// role, description, title, enabled and focused state, and the press action.
//
//   class MyButton : public AUTLButtonT<MyButton, wxPanel> { ... };
#pragma once

#include <wx/event.h>
#include <wx/window.h>

#include "AccessibilityEvents.h"

template <class Derived, class Base>
class AUTLButtonT : public Base {
public:
    using Base::Base;

    bool ProcessEvent(wxEvent& event) override {
        const wxEventType type = event.GetEventType();
        if (type == wxEVT_MAC_ACC_GETALLATTRIBUTENAMES) {
            OnGetAllAttributeNames(static_cast<wxMacAccGetNamesEvent&>(event));
            return false;  // reported as not handled, without the base processing
        }
        if (type == wxEVT_MAC_ACC_GETNAMEDATTRIBUTE || type == wxEVT_MAC_ACC_GETALLACTIONNAMES ||
            type == wxEVT_MAC_ACC_PERFORMNAMEDACTION) {
            event.Skip(false);
            if (type == wxEVT_MAC_ACC_GETNAMEDATTRIBUTE) {
                OnGetNamedAttribute(static_cast<wxMacAccNamedAttrEvent&>(event));
            } else if (type == wxEVT_MAC_ACC_GETALLACTIONNAMES) {
                OnGetAllActionNames(static_cast<wxMacAccGetNamesEvent&>(event));
            } else {
                OnPerformNamedAction(static_cast<wxMacAccNamedAttrEvent&>(event));
            }
            if (!event.GetSkipped()) return true;
            event.Skip(false);
        }
        return Base::ProcessEvent(event);
    }

protected:
    void OnGetAllAttributeNames(wxMacAccGetNamesEvent& event) {
        event.AppendName("AXFocused");
        event.AppendName("AXTitle");
    }

    void OnGetNamedAttribute(wxMacAccNamedAttrEvent& event) {
        const wxString& name = event.GetName();
        if (name == "AXRole") {
            event.SetStringOutputType("AXButton");
        } else if (name == "AXRoleDescription") {
            event.SetStringOutputType("button");
        } else if (name == "AXTitle") {
            event.SetStringOutputType(this->GetLabel());
        } else if (name == "AXEnabled") {
            event.SetBoolOutputType(this->IsEnabled());
        } else if (name == "AXFocused") {
            event.SetBoolOutputType(wxWindow::FindFocus() == this);
        } else {
            event.Skip();
        }
    }

    void OnGetAllActionNames(wxMacAccGetNamesEvent& event) { event.AppendName("AXPressAction"); }

    void OnPerformNamedAction(wxMacAccNamedAttrEvent& event) {
        if (event.GetName() != "AXPressAction") {
            event.Skip();
            return;
        }
        wxCommandEvent press(wxEVT_BUTTON, this->GetId());
        press.SetEventObject(this);
        if (wxWindow* parent = this->GetParent()) parent->GetEventHandler()->ProcessEvent(press);
    }
};
