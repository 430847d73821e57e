#include "AccessibilityEvents.h"

#include <wx/window.h>

wxDEFINE_EVENT(wxEVT_MAC_ACC_GETNAMEDATTRIBUTE, wxMacAccNamedAttrEvent);
wxDEFINE_EVENT(wxEVT_MAC_ACC_SETNAMEDATTRIBUTE, wxMacAccNamedAttrEvent);
wxDEFINE_EVENT(wxEVT_MAC_ACC_PERFORMNAMEDACTION, wxMacAccNamedAttrEvent);
wxDEFINE_EVENT(wxEVT_MAC_ACC_GETALLATTRIBUTENAMES, wxMacAccGetNamesEvent);
wxDEFINE_EVENT(wxEVT_MAC_ACC_GETALLACTIONNAMES, wxMacAccGetNamesEvent);

wxIMPLEMENT_DYNAMIC_CLASS(wxMacAccNamedAttrEvent, wxEvent);
wxIMPLEMENT_DYNAMIC_CLASS(wxMacAccGetNamesEvent, wxEvent);

wxMacAccNamedAttrEvent::wxMacAccNamedAttrEvent(wxEventType type, wxWindow* window, const wxString& name,
                                               int level)
    : wxEvent(0, type), m_name(name), m_level(level) {
    SetEventObject(window);
}

wxMacAccNamedAttrEvent::wxMacAccNamedAttrEvent(wxEventType type, const MacAccElement& element,
                                               const wxString& name)
    : wxMacAccNamedAttrEvent(type, element.GetWindow(), name, 1) {
    SetElementRecord(element.GetRecord());
}

void wxMacAccNamedAttrEvent::SetElementRecord(const MacAccElementRecord& record) {
    m_record = record;
    m_hasRecord = true;
}

void wxMacAccNamedAttrEvent::ClearOutput() {
    m_output = Output::None;
    m_string.clear();
    m_array = NSMutableArray();
}

void wxMacAccNamedAttrEvent::SetStringOutputType(const wxString& value) {
    ClearOutput();
    m_output = Output::String;
    m_string = value;
}

void wxMacAccNamedAttrEvent::SetBoolOutputType(bool value) {
    ClearOutput();
    m_output = Output::Bool;
    m_bool = value;
}

void wxMacAccNamedAttrEvent::SetInt32OutputType(int value) {
    ClearOutput();
    m_output = Output::Int32;
    m_int32 = value;
}

void wxMacAccNamedAttrEvent::SetPointOutputType(const wxPoint& value) {
    ClearOutput();
    m_output = Output::Point;
    m_point = value;
}

void wxMacAccNamedAttrEvent::SetSizeOutputType(const wxRect& rect) {
    ClearOutput();
    m_output = Output::Size;
    m_size = rect.GetSize();
}

void wxMacAccNamedAttrEvent::SetArrOutputType(NSMutableArray* array) {
    if (!array) return;
    ClearOutput();
    m_output = Output::Array;
    m_array = *array;
}

wxMacAccGetNamesEvent::wxMacAccGetNamesEvent(wxEventType type, wxWindow* window)
    : wxEvent(0, type) {
    SetEventObject(window);
}
