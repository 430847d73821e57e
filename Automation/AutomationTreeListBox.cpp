#include "AutomationTreeListBox.h"

#include <cstdint>
#include <utility>
#include <vector>

#include <wx/dataview.h>

#include "AutomationAnswer.h"
#include "AutomationTreeAnswer.h"
#include "AutomationTreeItems.h"

using namespace AutomationAnswer;

namespace {

using Query = OwnerQuery<AutomationControl::TreeListBox>;
// Tree items are asked about together with the row they belong to.
using RowItem = std::pair<unsigned long, AutomationItem>;

// Element kinds of the tree-list box.
enum Kind { kList = 1, kRowTree = 2, kTopItem = 3, kChildItem = 4 };

std::size_t RowCount(const Query& query) { return query.Get<std::size_t>(0, "count.CheckType<size_t>()"); }

AutomationItem Root(const Query& query, std::size_t row) {
    return query.Get<AutomationItem>(5, "_root.CheckType<WXHTREEITEM>()", row);
}

wxString ItemText(const Query& query, std::size_t row, AutomationItem item) {
    return query.Get<wxString>(9, "_text.CheckType<wxString>()", RowItem(row, item));
}

wxRect ItemRect(const Query& query, std::size_t row, AutomationItem item) {
    return query.Get<wxRect>(10, "_rect.CheckType<wxRect>()", RowItem(row, item));
}

wxWindow* DataViewWindow(const Query& query, std::size_t row) {
    return query.Get<wxWindow*>(14, "dataView.CheckType<wxWindow*>()", row);
}

// The row's data view control; null when the owner gives none or a window
// of another class.
wxDataViewCtrl* DataView(const Query& query, std::size_t row) {
    return wxDynamicCast(DataViewWindow(query, row), wxDataViewCtrl);
}

// rect of an item, converted to screen coordinates through the data view
// when there is one.
wxRect ItemScreenRect(const wxDataViewCtrl* dataView, const wxRect& rect) {
    return dataView ? ClientToScreen(dataView, rect) : rect;
}

// The children of parent in row (of the row's root when parent is null).
std::vector<TreeItem> GetTreeItems(const Query& query, AutomationItem parent, std::size_t row) {
    const AutomationItem start = parent.IsOk() ? parent : Root(query, row);
    const auto firstChild = query.Get<AutomationItem>(6, "_child.CheckType<WXHTREEITEM>()", RowItem(row, start));
    return GatherSiblings(
        firstChild,
        [&](AutomationItem item) {
            return query.Get<AutomationItem>(7, "_next.CheckType<WXHTREEITEM>()", RowItem(row, item));
        },
        [&](AutomationItem item) { return ItemText(query, row, item); });
}

// A fresh table of the list under the control's view, in array.
const MacAccElement* Table(wxWindow* window, NSMutableArray& array) { return ViewTable(window, array, kList); }

// The outline of row's tree under a fresh table, in array.
const MacAccElement* RowOutline(wxWindow* window, const Query& query, std::size_t row, NSMutableArray& array) {
    const MacAccElement* table = Table(window, array);
    return CreateAndAddNSAccesibilityOutLineElement(window, table, ScreenRect(window), &array,
                                                    ItemText(query, row, Root(query, row)), row, kRowTree, false);
}

void AddRows(wxWindow* window, const Query& query, NSMutableArray& array) {
    NSMutableArray tables;
    const MacAccElement* table = Table(window, tables);
    const std::size_t count = RowCount(query);
    for (std::size_t row = 0; row < count; ++row) {
        const wxRect rect = query.Get<wxRect>(2, "itemRect.CheckType<wxRect>()", row);
        const wxString text = query.Get<wxString>(1, "itemText.CheckType<wxString>()", row);
        CreateAndAddNSAccesibilityOutLineElement(window, table, ClientToScreen(window, rect), &array, text, row,
                                                 kRowTree, true);
    }
}

void ScrollGetNamedAttribute(wxMacAccNamedAttrEvent& request, wxWindow* window) {
    if (!AnswerScrollView(request, window, "AXScrollArea",
                          [&](NSMutableArray& children) { Table(window, children); })) {
        request.SetUnanswered(true);
    }
}

void ListGetNamedAttribute(wxMacAccNamedAttrEvent& request, wxWindow* window, const Query& query) {
    AnswerList(request, window, [&](NSMutableArray& rows) { AddRows(window, query, rows); });
}

void GetTreeControlAttribute(wxMacAccNamedAttrEvent& request, wxWindow* window, const Query& query,
                             std::size_t row) {
    if (AnswerOutline(request, query.Owner())) return;
    const wxString& name = request.GetName();
    if (name == "AXChildren") {
        const std::vector<TreeItem> items = GetTreeItems(query, AutomationItem(), row);
        const wxDataViewCtrl* dataView = DataView(query, row);
        NSMutableArray children;
        for (std::size_t position = 0; position < items.size(); ++position) {
            NSMutableArray parents;
            const MacAccElement* outline = RowOutline(window, query, row, parents);
            const AutomationItem item = items[position].item;
            const wxRect rect = ItemScreenRect(dataView, ItemRect(query, row, item));
            CreateAndAddNSAccesibilityRowElement(window, outline, ItemIndex(item), row, static_cast<int>(position),
                                                 rect, &children, kTopItem, true);
        }
        request.SetArrOutputType(&children);
    } else if (name == "AXWindow" || name == "AXTopLevelUIElement") {
        request.SetObjectResult(NativeView(DataViewWindow(query, row)));
    } else {
        request.SetUnanswered(true);
    }
}

// The children of a top-level item, when its data view shows them.
void AddItemChildren(wxWindow* window, const Query& query, AutomationItem item, std::size_t row,
                     NSMutableArray& children) {
    wxDataViewCtrl* dataView = DataView(query, row);
    if (!dataView || !dataView->IsExpanded(wxDataViewItem(item.GetID()))) return;
    const std::vector<TreeItem> items = GetTreeItems(query, item, row);
    for (std::size_t position = 0; position < items.size(); ++position) {
        NSMutableArray parents;
        const MacAccElement* outline = RowOutline(window, query, row, parents);
        const MacAccElement* itemRow =
            CreateAndAddNSAccesibilityRowElement(window, outline, ItemIndex(item), row, ItemValue(item),
                                                 ScreenRect(window), &parents, kTopItem, false);
        const AutomationItem child = items[position].item;
        const wxRect rect = ItemScreenRect(dataView, ItemRect(query, row, child));
        CreateAndAddNSAccesibilityRowElement(window, itemRow, ItemIndex(child), row, static_cast<int>(position), rect,
                                             &children, kChildItem, true);
    }
}

void GetTreeRowAttribute(wxMacAccNamedAttrEvent& request, wxWindow* window, const Query& query,
                         AutomationItem item, std::size_t row, int kind) {
    if (AnswerTreeRow(request, item, [&] { return ItemText(query, row, item); })) return;
    if (request.GetName() == "AXChildren" && kind == kTopItem) {
        NSMutableArray children;
        AddItemChildren(window, query, item, row, children);
        request.SetArrOutputType(&children);
    }
    // Anything else, "AXDisclosureLevel" and the children of a child item:
    // handled with no answer.
}

// The answer to a named request about window or an element inside it;
// false for requests it does not answer.
bool AnswerNamed(bool* handled, wxMacAccNamedAttrEvent& request, wxWindow* window, const Query& query) {
    if (IsAbout(request, window)) {
        ScrollGetNamedAttribute(request, window);
        return Finish(handled, request);
    }
    const MacAccElementRecord* record = InnerRecord(request);
    if (!record || record->kind <= 0) return false;
    if (record->kind == kList) {
        ListGetNamedAttribute(request, window, query);
        return Finish(handled, request);
    }
    // A row at or beyond the owner's rows (a negative one too) has no answer.
    const std::uint64_t row = record->kind == kRowTree ? record->index : static_cast<unsigned>(record->secondIndex);
    if (row >= RowCount(query)) {
        request.SetUnanswered(true);
        return false;
    }
    if (record->kind == kRowTree) {
        GetTreeControlAttribute(request, window, query, row);
    } else {
        GetTreeRowAttribute(request, window, query, IndexItem(record->index), row, record->kind);
    }
    return Finish(handled, request);
}

}  // namespace

bool AutomationTreeListBox::ProcessEvent(bool* handled, wxEvent& event) {
    // Set requests are refused: nothing of the tree-list box can be changed.
    return ProcessNamedRequest<AutomationControl::TreeListBox>(
        event, m_owner, 4, [&](wxMacAccNamedAttrEvent& request, wxWindow* window, const Query& query) {
            return AnswerNamed(handled, request, window, query);
        });
}
