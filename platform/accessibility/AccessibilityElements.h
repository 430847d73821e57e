// Accessibility elements of the toolkit's macOS port, stood in for: the
// elements that attribute providers create for the inner parts of a control
// (table, outline, rows, columns, header buttons, texts), the mutable arrays
// they are appended to, and the object results that name a native view or an
// element. An element remembers everything it was made with, so that a later
// request about it carries its kind and indexes (see wxMacAccNamedAttrEvent)
// and tests can read what a provider built.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include <wx/defs.h>
#include <wx/gdicmn.h>
#include <wx/string.h>

#include "AccessibilityExport.h"

class wxWindow;
class MacAccElement;

// Which inner element a request is about: the kind and indexes the element
// was created with. Elements made with one index hold it in index and 0 in
// secondIndex.
struct VEQ_ACCESSIBILITY_API MacAccElementRecord {
    int kind = 0;
    std::uint64_t index = 0;
    int secondIndex = 0;
};

// A native accessibility object: a native view (wxWindow::GetHandle()), an
// element, or nothing. Keeps an element alive while it is held.
class VEQ_ACCESSIBILITY_API MacAccObject {
public:
    MacAccObject() = default;
    MacAccObject(WXWidget view);                 // NOLINT: a view is an object
    MacAccObject(const MacAccElement* element);  // NOLINT: so is an element

    bool IsNull() const { return !m_view && !m_element; }
    WXWidget GetView() const { return m_view; }
    const MacAccElement* GetElement() const { return m_element.get(); }

    bool operator==(const MacAccObject& other) const;
    bool operator!=(const MacAccObject& other) const { return !(*this == other); }

private:
    WXWidget m_view = nullptr;
    std::shared_ptr<const MacAccElement> m_element;
};

// What created an element.
enum class MacAccRole { Outline, Row, Column, Button, Group, Text, Table };

// One element, made only by the CreateAndAddNSAccesibility...Element
// functions; it keeps its parent alive.
class VEQ_ACCESSIBILITY_API MacAccElement : public std::enable_shared_from_this<MacAccElement> {
public:
    MacAccRole GetRole() const { return m_role; }
    wxWindow* GetWindow() const { return m_window; }
    const MacAccObject& GetParent() const { return m_parent; }
    const MacAccElementRecord& GetRecord() const { return m_record; }
    int GetKind() const { return m_record.kind; }
    std::uint64_t GetIndex() const { return m_record.index; }
    int GetSecondIndex() const { return m_record.secondIndex; }
    // The position among its siblings that a row was made with (0 otherwise).
    int GetPosition() const { return m_position; }
    // The rectangle in screen coordinates.
    const wxRect& GetRect() const { return m_rect; }
    const wxString& GetText() const { return m_text; }
    bool GetFlag() const { return m_flag; }

    struct Fields {
        MacAccRole role;
        wxWindow* window;
        MacAccObject parent;
        MacAccElementRecord record;
        int position;
        wxRect rect;
        wxString text;
        bool flag;
    };
    static std::shared_ptr<MacAccElement> Make(Fields fields);

private:
    explicit MacAccElement(Fields fields);

    MacAccRole m_role;
    wxWindow* m_window;
    MacAccObject m_parent;
    MacAccElementRecord m_record;
    int m_position;
    wxRect m_rect;
    wxString m_text;
    bool m_flag;
};

// A mutable array of native accessibility objects (elements and native
// views) that keeps its elements alive (the standard type callbacks of a
// CoreFoundation array).
class VEQ_ACCESSIBILITY_API NSMutableArray {
public:
    std::size_t GetCount() const { return m_items.size(); }
    bool IsEmpty() const { return m_items.empty(); }
    // The object at index; a null object beyond the end.
    MacAccObject Item(std::size_t index) const;
    // The element at index; null for a native view and beyond the end.
    const MacAccElement* GetElement(std::size_t index) const { return Item(index).GetElement(); }
    void Append(const MacAccObject& object) { m_items.push_back(object); }

private:
    std::vector<MacAccObject> m_items;
};

// The element-creating functions: each makes one element under parent (a
// native view or an element), with its rectangle in screen coordinates,
// appends it to array and returns it (null, with nothing made, when array is
// null). kind and the indexes come back in the record of requests about it.

// Outline with a text: record (kind, index, 0).
VEQ_ACCESSIBILITY_API const MacAccElement* CreateAndAddNSAccesibilityOutLineElement(
    wxWindow* window, const MacAccObject& parent, const wxRect& rect, NSMutableArray* array,
    const wxString& text, std::uint64_t index, int kind, bool flag);
// Outline without a text: record (kind, 0, 0).
VEQ_ACCESSIBILITY_API const MacAccElement* CreateAndAddNSAccesibilityOutLineElement(
    wxWindow* window, const MacAccObject& parent, const wxRect& rect, NSMutableArray* array,
    int kind, bool flag);
// Row with one index: record (kind, index, 0).
VEQ_ACCESSIBILITY_API const MacAccElement* CreateAndAddNSAccesibilityRowElement(
    wxWindow* window, const MacAccObject& parent, std::uint64_t index, const wxRect& rect,
    NSMutableArray* array, int kind, bool flag);
// Row with two indexes and its position among its siblings: record (kind,
// index, secondIndex).
VEQ_ACCESSIBILITY_API const MacAccElement* CreateAndAddNSAccesibilityRowElement(
    wxWindow* window, const MacAccObject& parent, std::uint64_t index, std::uint64_t secondIndex,
    int position, const wxRect& rect, NSMutableArray* array, int kind, bool flag);
// Column: record (kind, index, 0).
VEQ_ACCESSIBILITY_API const MacAccElement* CreateAndAddNSAccesibilityColumnElement(
    wxWindow* window, const MacAccObject& parent, std::uint64_t index, const wxRect& rect,
    const wxString& title, NSMutableArray* array, int kind, bool flag);
// Button: record (kind, index, secondIndex).
VEQ_ACCESSIBILITY_API const MacAccElement* CreateAndAddNSAccesibilityButtonElement(
    wxWindow* window, const MacAccObject& parent, std::uint64_t index, int secondIndex,
    const wxRect& rect, const wxString& title, NSMutableArray* array, int kind, bool flag);
// Group: record (kind, index, 0).
VEQ_ACCESSIBILITY_API const MacAccElement* CreateAndAddNSAccesibilityGroupElement(
    wxWindow* window, const MacAccObject& parent, std::uint64_t index, const wxRect& rect,
    NSMutableArray* array, int kind, bool flag);
// Static text: record (kind, index, secondIndex).
VEQ_ACCESSIBILITY_API const MacAccElement* CreateAndAddNSAccesibilityTextElement(
    wxWindow* window, const MacAccObject& parent, std::uint64_t index, const wxRect& rect,
    const wxString& text, NSMutableArray* array, int kind, int secondIndex, bool flag);
// Table: record (kind, 0, 0).
VEQ_ACCESSIBILITY_API const MacAccElement* CreateAndAddNSAccesibilityTableElement(
    wxWindow* window, const MacAccObject& parent, const wxRect& rect, NSMutableArray* array,
    int kind, bool flag);
