// Accessibility events of the toolkit's macOS port, stood in for. A control
// (or the attribute provider it hands its events to) answers them in its
// ProcessEvent; nothing in the GTK toolkit sends them, so the owners and the
// tests make and process them themselves.
//
//   wxEVT_MAC_ACC_GETNAMEDATTRIBUTE      wxMacAccNamedAttrEvent  the value of an attribute
//   wxEVT_MAC_ACC_SETNAMEDATTRIBUTE      wxMacAccNamedAttrEvent  a request to change one
//   wxEVT_MAC_ACC_PERFORMNAMEDACTION     wxMacAccNamedAttrEvent  an action, by its name
//   wxEVT_MAC_ACC_GETALLATTRIBUTENAMES   wxMacAccGetNamesEvent   the attribute names
//   wxEVT_MAC_ACC_GETALLACTIONNAMES      wxMacAccGetNamesEvent   the action names
//
// The event types and the class information live in this one shared library,
// so that every library of the process sees the same ones.
#pragma once

#include <wx/arrstr.h>
#include <wx/event.h>
#include <wx/gdicmn.h>
#include <wx/string.h>

#include "AccessibilityElements.h"
#include "AccessibilityExport.h"

// A request about one attribute (or action) of a window or of an element
// inside it, and the answer written into it.
class VEQ_ACCESSIBILITY_API wxMacAccNamedAttrEvent : public wxEvent {
public:
    // The kind of typed result stored.
    enum class Output { None, String, Bool, Int32, Point, Size, Array };

    // A request about the window itself (level 0) or, with a record set,
    // about an element inside it (level 1).
    explicit wxMacAccNamedAttrEvent(wxEventType type = wxEVT_NULL, wxWindow* window = nullptr,
                                    const wxString& name = wxString(), int level = 0);
    // A request about an element made by the element functions: level 1, the
    // element's window as event object, its record.
    wxMacAccNamedAttrEvent(wxEventType type, const MacAccElement& element, const wxString& name);

    wxEvent* Clone() const override { return new wxMacAccNamedAttrEvent(*this); }

    // The attribute or action asked for ("AXRole", "AXPressAction", ...).
    const wxString& GetName() const { return m_name; }
    void SetName(const wxString& name) { m_name = name; }

    // 0: the control's own view; 1: an element inside it.
    int GetLevel() const { return m_level; }
    void SetLevel(int level) { m_level = level; }

    // Which element is meant; null when the request names none.
    const MacAccElementRecord* GetElementRecord() const { return m_hasRecord ? &m_record : nullptr; }
    void SetElementRecord(const MacAccElementRecord& record);
    void ClearElementRecord() { m_hasRecord = false; }

    // Set by a provider that does not know the attribute.
    bool IsUnanswered() const { return m_unanswered; }
    void SetUnanswered(bool unanswered) { m_unanswered = unanswered; }

    // A native view or element given as the answer ("AXWindow", "AXHeader").
    const MacAccObject& GetObjectResult() const { return m_object; }
    void SetObjectResult(const MacAccObject& object) { m_object = object; }

    // Typed results; each replaces the one stored before.
    void SetStringOutputType(const wxString& value);
    void SetBoolOutputType(bool value);
    void SetInt32OutputType(int value);
    void SetPointOutputType(const wxPoint& value);
    // The size of rect.
    void SetSizeOutputType(const wxRect& rect);
    // A copy of the array's elements, which the event keeps alive; a null
    // array stores nothing.
    void SetArrOutputType(NSMutableArray* array);

    Output GetOutputType() const { return m_output; }
    const wxString& GetStringOutput() const { return m_string; }
    bool GetBoolOutput() const { return m_bool; }
    int GetInt32Output() const { return m_int32; }
    const wxPoint& GetPointOutput() const { return m_point; }
    const wxSize& GetSizeOutput() const { return m_size; }
    const NSMutableArray& GetArrOutput() const { return m_array; }

private:
    void ClearOutput();

    wxString m_name;
    int m_level;
    MacAccElementRecord m_record;
    bool m_hasRecord = false;
    bool m_unanswered = false;
    MacAccObject m_object;
    Output m_output = Output::None;
    wxString m_string;
    bool m_bool = false;
    int m_int32 = 0;
    wxPoint m_point;
    wxSize m_size;
    NSMutableArray m_array;

    wxDECLARE_DYNAMIC_CLASS_NO_ASSIGN(wxMacAccNamedAttrEvent);
};

// A request for the names of the attributes (or actions) a window offers
// beyond the standard ones; the answer is appended.
class VEQ_ACCESSIBILITY_API wxMacAccGetNamesEvent : public wxEvent {
public:
    explicit wxMacAccGetNamesEvent(wxEventType type = wxEVT_NULL, wxWindow* window = nullptr);

    wxEvent* Clone() const override { return new wxMacAccGetNamesEvent(*this); }

    void AppendName(const wxString& name) { m_names.Add(name); }
    const wxArrayString& GetNames() const { return m_names; }

private:
    wxArrayString m_names;

    wxDECLARE_DYNAMIC_CLASS_NO_ASSIGN(wxMacAccGetNamesEvent);
};

wxDECLARE_EXPORTED_EVENT(VEQ_ACCESSIBILITY_API, wxEVT_MAC_ACC_GETNAMEDATTRIBUTE, wxMacAccNamedAttrEvent);
wxDECLARE_EXPORTED_EVENT(VEQ_ACCESSIBILITY_API, wxEVT_MAC_ACC_SETNAMEDATTRIBUTE, wxMacAccNamedAttrEvent);
wxDECLARE_EXPORTED_EVENT(VEQ_ACCESSIBILITY_API, wxEVT_MAC_ACC_PERFORMNAMEDACTION, wxMacAccNamedAttrEvent);
wxDECLARE_EXPORTED_EVENT(VEQ_ACCESSIBILITY_API, wxEVT_MAC_ACC_GETALLATTRIBUTENAMES, wxMacAccGetNamesEvent);
wxDECLARE_EXPORTED_EVENT(VEQ_ACCESSIBILITY_API, wxEVT_MAC_ACC_GETALLACTIONNAMES, wxMacAccGetNamesEvent);
