#include "AutomationListBox.h"

#include "AutomationAnswer.h"

using namespace AutomationAnswer;

namespace AutoListBox {

using Query = OwnerQuery<AutomationControl::ListBox>;

// Element kinds of the list box.
enum Kind { kContents = 0, kList = 1, kEntry = 2 };

std::size_t EntryCount(const Query& query) { return query.Get<std::size_t>(0, "count.CheckType<size_t>()"); }

wxString EntryText(const Query& query, std::size_t entry) {
    return query.Get<wxString>(1, "_text.CheckType<wxString>()", entry);
}

wxRect EntryScreenRect(wxWindow* window, const Query& query, std::size_t entry) {
    return ClientToScreen(window, query.Get<wxRect>(2, "_rect.CheckType<wxRect>()", entry));
}

void AddRows(wxWindow* window, const Query& query, NSMutableArray& array) {
    const std::size_t count = EntryCount(query);
    for (std::size_t entry = 0; entry < count; ++entry) {
        const wxRect rect = EntryScreenRect(window, query, entry);
        const wxString text = EntryText(query, entry);
        NSMutableArray tables;
        const MacAccElement* table = ViewTable(window, tables, kList);
        CreateAndAddNSAccesibilityTextElement(window, table, entry, rect, text, &array, kEntry, -1, false);
    }
}

void ScrollGetNamedAttribute(wxMacAccNamedAttrEvent& request, wxWindow* window) {
    if (AnswerScrollView(request, window, "AXScrollArea",
                         [&](NSMutableArray& children) { ViewTable(window, children, kList); })) {
        return;
    }
    const wxString& name = request.GetName();
    if (name == "AXHorizontalScrollBar" || name == "AXVerticalScrollBar") {
        // Handled without a value: the list box shows no scroll bars of its own.
    } else if (name == "AXContents") {
        NSMutableArray contents;
        ViewOutline(window, contents, kContents);
        request.SetArrOutputType(&contents);
    } else {
        request.SetUnanswered(true);
    }
}

void ListGetNamedAttribute(wxMacAccNamedAttrEvent& request, wxWindow* window, const Query& query) {
    AnswerList(request, window, [&](NSMutableArray& rows) { AddRows(window, query, rows); });
}

void RowGetNamedAttribute(wxMacAccNamedAttrEvent& request, wxWindow* window, const Query& query, std::size_t entry) {
    if (AnswerRole(request, "AXStaticText", "text")) return;
    const wxString& name = request.GetName();
    if (name == "AXEnabled") {
        request.SetBoolOutputType(true);
    } else if (name == "AXSelected") {
        request.SetBoolOutputType(false);
    } else if (name == "AXPosition") {
        request.SetPointOutputType(EntryScreenRect(window, query, entry).GetTopLeft());
    } else if (name == "AXSize") {
        request.SetSizeOutputType(EntryScreenRect(window, query, entry));
    } else if (name == "AXValue") {
        request.SetStringOutputType(EntryText(query, entry));
    } else if (name == "AXWindow") {
        request.SetObjectResult(NativeView(window));
    } else if (name == "AXTopLevelUIElement") {
        request.SetObjectResult(TopLevelView(window));
    } else {
        request.SetUnanswered(true);
    }
}

bool AnswerNamed(bool* handled, wxMacAccNamedAttrEvent& request, wxWindow* window, const Query& query) {
    const MacAccElementRecord* record = InnerRecord(request);
    if (IsAbout(request, window)) {
        ScrollGetNamedAttribute(request, window);
    } else if (record && record->kind == kEntry) {
        // An entry at or beyond the count is refused without asking more.
        if (record->index >= EntryCount(query)) return false;
        RowGetNamedAttribute(request, window, query, static_cast<std::size_t>(record->index));
    } else if (record && record->kind == kList) {
        ListGetNamedAttribute(request, window, query);
    } else {
        return false;
    }
    return Finish(handled, request);
}

}  // namespace AutoListBox

bool AutomationListBox::ProcessEvent(bool* handled, wxEvent& event) {
    return ProcessNamedRequest<AutomationControl::ListBox>(
        event, m_owner, 5, [&](wxMacAccNamedAttrEvent& request, wxWindow* window, const AutoListBox::Query& query) {
            return AutoListBox::AnswerNamed(handled, request, window, query);
        });
}
