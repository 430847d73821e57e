#include "AutomationTreeControl.h"

#include <vector>

#include "AutomationAnswer.h"
#include "AutomationTreeAnswer.h"
#include "AutomationTreeItems.h"

using namespace AutomationAnswer;

namespace {

using Query = OwnerQuery<AutomationControl::Tree>;

// Element kinds of the tree control.
enum Kind { kOutline = 1, kTopRow = 2, kInnerRow = 3 };

AutomationItem Item(const Query& query, int key, AutomationItem item, const char* check) {
    return query.Get<AutomationItem>(key, check, item);
}

wxString ItemText(const Query& query, AutomationItem item) {
    return query.Get<wxString>(5, "_text.CheckType<wxString>()", item);
}

// The children of parent (of the root when parent is null).
std::vector<TreeItem> GetRows(const Query& query, AutomationItem parent) {
    const AutomationItem start =
        parent.IsOk() ? parent : query.Get<AutomationItem>(0, "_root.CheckType<WXHTREEITEM>()");
    return GatherSiblings(
        Item(query, 2, start, "_child.CheckType<WXHTREEITEM>()"),
        [&](AutomationItem item) { return Item(query, 3, item, "_next.CheckType<WXHTREEITEM>()"); },
        [&](AutomationItem item) { return ItemText(query, item); });
}

// A fresh outline under the control's view, in array.
const MacAccElement* Outline(wxWindow* window, NSMutableArray& array) { return ViewOutline(window, array, kOutline); }

void ScrollCtrlGetNamedAttribute(wxMacAccNamedAttrEvent& request, wxWindow* window) {
    // The tree's scroll view gives the role of a static text.
    if (!AnswerScrollView(request, window, "AXStaticText",
                          [&](NSMutableArray& children) { Outline(window, children); })) {
        request.SetUnanswered(true);
    }
}

void OnGetNamedAttribute(wxMacAccNamedAttrEvent& request, wxWindow* window, const Query& query) {
    if (AnswerOutline(request, query.Owner())) return;
    if (request.GetName() == "AXChildren") {
        const std::vector<TreeItem> items = GetRows(query, AutomationItem());
        NSMutableArray rows;
        for (const TreeItem& item : items) {
            NSMutableArray outlines;
            const MacAccElement* outline = Outline(window, outlines);
            CreateAndAddNSAccesibilityRowElement(window, outline, ItemIndex(item.item), ScreenRect(window), &rows,
                                                 kTopRow, true);
        }
        if (!items.empty()) request.SetArrOutputType(&rows);
    } else {
        request.SetUnanswered(true);
    }
}

void GetRowAttribute(wxMacAccNamedAttrEvent& request, wxWindow* window, const Query& query, AutomationItem item) {
    if (AnswerTreeRow(request, item, [&] { return ItemText(query, item); })) return;
    if (request.GetName() == "AXChildren") {
        NSMutableArray rows;
        for (const TreeItem& child : GetRows(query, item)) {
            NSMutableArray parents;
            const MacAccElement* outline = Outline(window, parents);
            const MacAccElement* itemRow = CreateAndAddNSAccesibilityRowElement(
                window, outline, ItemIndex(item), ScreenRect(window), &parents, kTopRow, false);
            CreateAndAddNSAccesibilityRowElement(window, itemRow, ItemIndex(child.item), ScreenRect(window), &rows,
                                                 kInnerRow, true);
        }
        request.SetArrOutputType(&rows);
    }
    // Anything else, "AXDisclosureLevel" too: handled with no answer.
}

bool AnswerNamed(bool* handled, wxMacAccNamedAttrEvent& request, wxWindow* window, const Query& query) {
    const MacAccElementRecord* record = InnerRecord(request);
    if (IsAbout(request, window)) {
        ScrollCtrlGetNamedAttribute(request, window);
    } else if (record && record->kind == kOutline) {
        OnGetNamedAttribute(request, window, query);
    } else if (record && record->kind >= kTopRow) {
        GetRowAttribute(request, window, query, IndexItem(record->index));
    } else {
        return false;
    }
    return Finish(handled, request);
}

}  // namespace

bool AutomationTreeControl::ProcessEvent(bool* handled, wxEvent& event) {
    if (event.GetEventType() == wxEVT_MAC_ACC_GETALLATTRIBUTENAMES) {
        auto* names = wxDynamicCast(&event, wxMacAccGetNamesEvent);
        if (!names) return false;
        names->AppendName("AXTitle");
        names->AppendName("AXLabel");
        if (handled) *handled = true;
        return true;
    }
    return ProcessNamedRequest<AutomationControl::Tree>(
        event, m_owner, 11, [&](wxMacAccNamedAttrEvent& request, wxWindow* window, const Query& query) {
            return AnswerNamed(handled, request, window, query);
        });
}
