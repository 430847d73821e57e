#include "AutomationListControl.h"

#include <vector>

#include <wx/position.h>

#include "AutomationAnswer.h"

using namespace AutomationAnswer;

namespace {

using Query = OwnerQuery<AutomationControl::List>;
using Cells = std::vector<AutomationControl::ItemInfo>;

// Element kinds of the list control.
enum Kind { kTable = 0, kRow = 1, kColumn = 2, kHeader = 3, kHeaderButton = 4 };

wxString GetName(const Query& query) {
    const wxString name = query.Get<wxString>(0, "_name.CheckType<wxString>()");
    return name.empty() ? wxString("ListControl") : name;
}

std::size_t ColumnCount(const Query& query) { return query.Get<std::size_t>(3, "_count.CheckType<size_t>()"); }

wxString ColumnTitle(const Query& query, std::size_t column) {
    return query.Get<wxString>(4, "_text.CheckType<wxString>()", column);
}

std::vector<int> RowValues(const Query& query) {
    return query.Get<std::vector<int>>(12, "_values.CheckType<std::vector<int>>()");
}

// The table outline that rows, columns and the header are made under, as
// element 0 of array.
const MacAccElement* TableOutline(wxWindow* window, const Query& query, NSMutableArray& array, bool flag) {
    return CreateAndAddNSAccesibilityOutLineElement(window, NativeView(window), ScreenRect(window), &array,
                                                    GetName(query), 0, kTable, flag);
}

const MacAccElement* HeaderGroup(wxWindow* window, const Query& query, NSMutableArray& array) {
    NSMutableArray outlines;
    const MacAccElement* outline = TableOutline(window, query, outlines, false);
    return CreateAndAddNSAccesibilityGroupElement(window, outline, 0, wxRect(), &array, kHeader, false);
}

void ScrollWindowAttributes(wxMacAccNamedAttrEvent& request, wxWindow* window, const Query& query) {
    // The list control's scroll view gives no "AXEnabled" or "AXFocused".
    if (AnswerRole(request, "AXScrollArea", "scroll area")) return;
    if (request.GetName() == "AXChildren") {
        NSMutableArray children;
        for (int key : {21, 22, 1}) {
            if (wxWindow* child = query.WindowOrNull(key)) children.Append(NativeView(child));
        }
        TableOutline(window, query, children, false);
        request.SetArrOutputType(&children);
    } else {
        request.SetUnanswered(true);
    }
}

void ListControlAttributes(wxMacAccNamedAttrEvent& request, wxWindow* window, const Query& query) {
    const wxString& name = request.GetName();
    if (name == "AXHeader") {
        NSMutableArray groups;
        request.SetObjectResult(HeaderGroup(window, query, groups));
    } else if (name == "AXRows") {
        NSMutableArray outlines;
        const MacAccElement* outline = TableOutline(window, query, outlines, true);
        const std::size_t count = RowValues(query).size();
        NSMutableArray rows;
        for (std::size_t row = 0; row < count; ++row) {
            const wxRect rect = query.Get<wxRect>(11, "_rectrow.CheckType<wxRect>()", row);
            CreateAndAddNSAccesibilityRowElement(window, outline, row, 0, static_cast<int>(row),
                                                 ClientToScreen(window, rect), &rows, kRow, true);
        }
        if (count) request.SetArrOutputType(&rows);
    } else if (name == "AXColumns") {
        NSMutableArray outlines;
        const MacAccElement* outline = TableOutline(window, query, outlines, false);
        NSMutableArray columns;
        const std::size_t count = ColumnCount(query);
        for (std::size_t column = 0; column < count; ++column) {
            CreateAndAddNSAccesibilityColumnElement(window, outline, column, wxRect(), ColumnTitle(query, column),
                                                    &columns, kColumn, false);
        }
        request.SetArrOutputType(&columns);
    } else if (name == "AXSelectedRows") {
        NSMutableArray outlines;
        const MacAccElement* outline = TableOutline(window, query, outlines, false);
        NSMutableArray selected;
        const std::size_t count = query.Get<std::size_t>(7, "_count.CheckType<size_t>()");
        for (std::size_t row = 0; row < count; ++row) {
            const wxPosition position(static_cast<int>(row), 0);
            if (query.Get<bool>(9, "_selected.CheckType<bool>()", position)) {
                CreateAndAddNSAccesibilityRowElement(window, outline, row, 0, static_cast<int>(row),
                                                     ScreenRect(window), &selected, kRow, false);
            }
        }
        if (count) request.SetArrOutputType(&selected);
    } else {
        request.SetUnanswered(true);
    }
}

void RowAttributes(wxMacAccNamedAttrEvent& request, wxWindow* window, const Query& query, std::size_t row) {
    const wxString& name = request.GetName();
    if (name == "AXChildren") {
        NSMutableArray outlines;
        const MacAccElement* outline = TableOutline(window, query, outlines, false);
        NSMutableArray rows;
        const MacAccElement* rowElement = CreateAndAddNSAccesibilityRowElement(
            window, outline, row, 0, static_cast<int>(row), ScreenRect(window), &rows, kRow, false);
        const Cells cells = query.Get<Cells>(13, "_cells.CheckType<std::vector<ItemInfo>>()", row);
        NSMutableArray children;
        for (std::size_t cell = 0; cell < cells.size(); ++cell) {
            CreateAndAddNSAccesibilityOutLineElement(window, rowElement, ClientToScreen(window, cells[cell].rect),
                                                     &children, cells[cell].text, cell, kColumn, true);
        }
        if (!cells.empty()) request.SetArrOutputType(&children);
    } else if (name == "AXValue") {
        // One value per row; a row the owner gives none for has no answer.
        const std::vector<int> values = RowValues(query);
        if (row < values.size()) {
            request.SetStringOutputType(wxString::Format("%d", values[row]));
        } else {
            request.SetUnanswered(true);
        }
    }
}

void ColAttributes(wxMacAccNamedAttrEvent& request, const Query& query, std::size_t column) {
    const wxString& name = request.GetName();
    if (name == "AXHeader") {
        request.SetStringOutputType(ColumnTitle(query, column));
    } else if (name == "AXRole") {
        request.SetStringOutputType("AXColumn");
    } else if (name == "AXIndex") {
        request.SetInt32OutputType(static_cast<int>(column));
    }
}

void HeaderAttributes(wxMacAccNamedAttrEvent& request, wxWindow* window, const Query& query) {
    const wxString& name = request.GetName();
    if (name == "AXChildren") {
        NSMutableArray groups;
        const MacAccElement* group = HeaderGroup(window, query, groups);
        NSMutableArray buttons;
        const std::size_t count = ColumnCount(query);
        for (std::size_t column = 0; column < count; ++column) {
            const wxRect rect = query.Get<wxRect>(2, "_rectheader.CheckType<wxRect>()", column);
            CreateAndAddNSAccesibilityButtonElement(window, group, column, 0, ClientToScreen(window, rect),
                                                    wxString(), &buttons, kHeaderButton, true);
        }
        request.SetArrOutputType(&buttons);
    } else if (name == "AXWindow") {
        wxWindow* header = query.WindowOrNull(1);
        request.SetObjectResult(NativeView(header ? header : window));
    }
}

void HeaderElementAttribute(wxMacAccNamedAttrEvent& request, const Query& query, std::size_t column) {
    const wxString& name = request.GetName();
    if (name == "AXRole") {
        request.SetStringOutputType("AXRadioButton");
    } else if (name == "AXValue") {
        request.SetStringOutputType(ColumnTitle(query, column));
    } else if (name == "AXIndex") {
        request.SetInt32OutputType(static_cast<int>(column));
    }
}

}  // namespace

bool AutomationListControl::IsValidListRow(std::size_t row) const {
    if (!m_owner) return false;
    try {
        return row < Query(*m_owner).Get<std::size_t>(7, "itemCnt.CheckType<size_t>()");
    } catch (const UnexpectedAnswer&) {
        return false;
    }
}

bool AutomationListControl::ProcessEvent(bool* handled, wxEvent& event) {
    if (event.GetEventType() != wxEVT_MAC_ACC_GETNAMEDATTRIBUTE) return false;
    wxMacAccNamedAttrEvent* request = NamedRequest(event);
    if (!request || !m_owner) return false;
    request->SetUnanswered(false);
    const Query query(*m_owner);
    return Guarded(*request, [&] {
        wxWindow* window = OwnerWindow(query, 20);
        if (!window) {
            request->SetUnanswered(true);
        } else if (IsAbout(*request, window)) {
            ScrollWindowAttributes(*request, window, query);
        } else if (request->GetLevel() == 1 && !request->GetElementRecord()) {
            request->SetUnanswered(true);  // names no element
        } else if (request->GetLevel() == 1) {
            const MacAccElementRecord& record = *request->GetElementRecord();
            const std::size_t index = static_cast<std::size_t>(record.index);
            switch (record.kind) {
                case kTable:
                    ListControlAttributes(*request, window, query);
                    break;
                case kRow:
                    if (IsValidListRow(index)) {
                        RowAttributes(*request, window, query, index);
                    } else {
                        request->SetUnanswered(true);
                    }
                    break;
                case kColumn:
                    ColAttributes(*request, query, index);
                    break;
                case kHeader:
                    HeaderAttributes(*request, window, query);
                    break;
                case kHeaderButton:
                    HeaderElementAttribute(*request, query, index);
                    break;
                default:  // other kinds: handled, with no answer
                    break;
            }
        }
        return Finish(handled, *request);
    });
}
