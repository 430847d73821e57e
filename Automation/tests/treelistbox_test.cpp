// The tree-list box's answers: its scroll view, list, the tree of each row
// and the items of those trees, with a real data view control holding the
// items of the first row.
#include <string>
#include <vector>

#include <wx/dataview.h>

#include "AutomationTreeListBox.h"
#include "ProbeTestSupport.h"

using namespace probetest;

namespace {

enum Kind { kList = 1, kRowTree = 2, kTopItem = 3, kChildItem = 4 };

std::string Id(Item item) { return std::to_string(reinterpret_cast<std::uintptr_t>(item.GetID())); }
int Value(Item item) { return static_cast<int>(reinterpret_cast<std::uintptr_t>(item.GetID())); }
std::uint64_t Index(Item item) { return reinterpret_cast<std::uintptr_t>(item.GetID()); }

// Two rows. Row 0 "Zelto A" has a data view with the top-level items A
// (expanded; children A1, A2), B (collapsed; child B1) and C (no children).
// Row 1 "Zelto B" has no items and a data view of another class.
class TreeListBoxTest : public ProviderTest<AutomationControl::TreeListBox> {
protected:
    void SetUp() override {
        dataView = new wxDataViewTreeCtrl(windows.frame, wxID_ANY, wxPoint(40, 260), wxSize(200, 120));
        a = dataView->AppendContainer(wxDataViewItem(), "A");
        a1 = dataView->AppendItem(a, "A1");
        a2 = dataView->AppendItem(a, "A2");
        b = dataView->AppendContainer(wxDataViewItem(), "B");
        b1 = dataView->AppendItem(b, "B1");
        c = dataView->AppendItem(wxDataViewItem(), "C");
        dataView->Expand(a);
        wxYield();
        ASSERT_TRUE(dataView->IsExpanded(a));
        ASSERT_FALSE(dataView->IsExpanded(b));

        owner.Set("4|", static_cast<wxWindow*>(windows.control));
        owner.Set("0|", std::size_t(2));
        owner.Set("Tree 6|", wxString("Servers"));
        const char* rowTexts[] = {"Zelto A", "Zelto B"};
        for (int row = 0; row < 2; ++row) {
            const std::string r = std::to_string(row);
            owner.Set("1|" + r, wxString(rowTexts[row]));
            owner.Set("2|" + r, RowRect(row));
            owner.Set("5|" + r, Roots()[row]);
            owner.Set("9|" + r + "#" + Id(Roots()[row]), wxString(rowTexts[row]) + " root");
        }
        owner.Set("14|0", static_cast<wxWindow*>(dataView));
        owner.Set("14|1", static_cast<wxWindow*>(windows.other));
        Children(0, Roots()[0], {a, b, c});
        Children(0, a, {a1, a2});
        Children(0, b, {b1});
        Children(0, c, {});
        Children(1, Roots()[1], {});
        int place = 0;
        for (Item item : {a, a1, a2, b, b1, c}) {
            owner.Set("9|0#" + Id(item), dataView->GetItemText(wxDataViewItem(item.GetID())));
            owner.Set("10|0#" + Id(item), ItemRect(place++));
        }
        MakeProvider(AutomationControl::Type::TreeListBox);
    }

    static std::vector<Item> Roots() { return {MakeItem(1000), MakeItem(2000)}; }
    static wxRect RowRect(int row) { return wxRect(0, 30 * row, 300, 30); }
    static wxRect ItemRect(int place) { return wxRect(4, 18 * place, 180, 18); }

    // The owner's child walk: first child of parent, then each next sibling.
    void Children(int row, Item parent, const std::vector<Item>& children) {
        const std::string r = std::to_string(row) + "#";
        owner.Set("6|" + r + Id(parent), children.empty() ? Item() : children.front());
        for (std::size_t i = 0; i < children.size(); ++i) {
            owner.Set("7|" + r + Id(children[i]), i + 1 < children.size() ? children[i + 1] : Item());
        }
    }

    wxMacAccNamedAttrEvent Ask(int kind, std::uint64_t index, int second, const char* name) {
        return Answered(ElementRequest(windows.control, kind, index, second, name));
    }

    // The outline of row 0's tree, under a table, as every item is made under.
    void ExpectRowOutline(const MacAccElement* outline) {
        ASSERT_NE(outline, nullptr);
        EXPECT_EQ(outline->GetRole(), MacAccRole::Outline);
        EXPECT_EQ(outline->GetKind(), kRowTree);
        EXPECT_EQ(outline->GetIndex(), 0u);
        EXPECT_EQ(outline->GetText(), "Zelto A root");
        const MacAccElement* table = outline->GetParent().GetElement();
        ASSERT_NE(table, nullptr);
        EXPECT_EQ(table->GetRole(), MacAccRole::Table);
        EXPECT_EQ(table->GetKind(), kList);
    }

    // An item of row 0's tree as a row element of kind: the item, row 0,
    // its position among its siblings, the flag set.
    void ExpectItemRow(const MacAccElement* row, int kind, const wxDataViewItem& item, std::size_t position) {
        EXPECT_EQ(row->GetRole(), MacAccRole::Row);
        EXPECT_EQ(row->GetKind(), kind);
        EXPECT_EQ(row->GetIndex(), Index(item));
        EXPECT_EQ(row->GetSecondIndex(), 0);
        EXPECT_EQ(row->GetPosition(), static_cast<int>(position));
        EXPECT_TRUE(row->GetFlag());
    }

    wxRect InDataView(int place) const {
        return wxRect(dataView->ClientToScreen(ItemRect(place).GetTopLeft()), ItemRect(place).GetSize());
    }

    wxDataViewTreeCtrl* dataView = nullptr;
    wxDataViewItem a, a1, a2, b, b1, c;
};

}  // namespace

TEST_F(TreeListBoxTest, ScalarAnswersOfEveryElement) {
    CheckScalars(provider, windows.control,
                 {
                     {0, 0, 0, 0, "AXRole", true, Output::String, "AXScrollArea"},
                     {0, 0, 0, 0, "AXRoleDescription", true, Output::String, "scroll area"},
                     {0, 0, 0, 0, "AXEnabled", true, Output::Bool, "", 1},
                     {0, 0, 0, 0, "AXTitle", false, Output::None},
                     {1, kList, 0, 0, "AXRole", true, Output::String, "AXList"},
                     {1, kList, 0, 0, "AXRoleDescription", true, Output::String, "list"},
                     {1, kList, 0, 0, "AXOrientation", true, Output::String, "AXVerticalOrientationValue"},
                     {1, kList, 0, 0, "AXEnabled", true, Output::Bool, "", 1},
                     {1, kList, 0, 0, "AXSelectedChildren", true, Output::None},
                     {1, kList, 0, 0, "AXVisibleChildren", true, Output::None},
                     {1, kList, 0, 0, "AXTitle", false, Output::None},
                     {1, kRowTree, 0, 0, "AXRole", true, Output::String, "AXOutline"},
                     {1, kRowTree, 1, 0, "AXRoleDescription", true, Output::String, "TreeListCtrl"},
                     {1, kRowTree, 0, 0, "AXTitle", true, Output::String, "Servers"},
                     {1, kRowTree, 0, 0, "AXDisclosing", true, Output::Bool, "", 1},
                     {1, kRowTree, 0, 0, "AXColumns", false, Output::None},
                     {1, kTopItem, Index(a), 0, "AXValue", true, Output::String, "A"},
                     {1, kTopItem, Index(b), 0, "AXDisclosing", true, Output::Bool, "", 1},
                     {1, kTopItem, Index(c), 0, "AXIndex", true, Output::Int32, "", Value(c)},
                     {1, kTopItem, Index(a), 0, "AXDisclosureLevel", true, Output::None},
                     {1, kTopItem, Index(a), 0, "AXRole", true, Output::None},
                     {1, kChildItem, Index(a1), 0, "AXValue", true, Output::String, "A1"},
                     {1, kChildItem, Index(a1), 0, "AXChildren", true, Output::None},
                     {1, 0, 0, 0, "AXRole", false, Output::None},
                     {1, -2, 0, 0, "AXRole", false, Output::None},
                     {2, kList, 0, 0, "AXRole", false, Output::None},
                 });
    wxMacAccNamedAttrEvent elsewhere = ViewRequest(windows.other, "AXRole");
    ExpectOutcome(Process(provider, elsewhere), false);

    windows.control->Disable();
    CheckScalars(provider, windows.control, {{0, 0, 0, 0, "AXEnabled", true, Output::Bool, "", 0},
                                             {1, kList, 0, 0, "AXEnabled", true, Output::Bool, "", 0}});
}

TEST_F(TreeListBoxTest, ScrollViewAndListPlaceAndChildren) {
    wxMacAccNamedAttrEvent children = Answered(ViewRequest(windows.control, "AXChildren"));
    ASSERT_EQ(children.GetArrOutput().GetCount(), 1u);
    ExpectUnderView(children.GetArrOutput().GetElement(0), MacAccRole::Table, kList, windows.control);

    EXPECT_EQ(Ask(kList, 0, 0, "AXPosition").GetPointOutput(), windows.control->GetScreenPosition());
    EXPECT_EQ(Ask(kList, 0, 0, "AXSize").GetSizeOutput(), windows.control->GetSize());
    EXPECT_EQ(Ask(kList, 0, 0, "AXWindow").GetObjectResult().GetView(), windows.frame->GetHandle());
    EXPECT_EQ(Ask(kList, 0, 0, "AXTopLevelUIElement").GetObjectResult().GetView(), windows.frame->GetHandle());

    wxMacAccNamedAttrEvent rows = Ask(kList, 0, 0, "AXChildren");
    ASSERT_EQ(rows.GetArrOutput().GetCount(), 2u);
    const char* texts[] = {"Zelto A", "Zelto B"};
    for (int row = 0; row < 2; ++row) {
        SCOPED_TRACE(row);
        const MacAccElement* outline = rows.GetArrOutput().GetElement(row);
        EXPECT_EQ(outline->GetRole(), MacAccRole::Outline);
        EXPECT_EQ(outline->GetKind(), kRowTree);
        EXPECT_EQ(outline->GetIndex(), static_cast<std::uint64_t>(row));
        EXPECT_EQ(outline->GetText(), texts[row]);
        EXPECT_EQ(outline->GetRect(), windows.ToScreen(RowRect(row)));
        EXPECT_TRUE(outline->GetFlag());
        EXPECT_EQ(outline->GetParent().GetElement()->GetRole(), MacAccRole::Table);
    }
    // A row of the list answers as that row's tree.
    wxMacAccNamedAttrEvent title(wxEVT_MAC_ACC_GETNAMEDATTRIBUTE, *rows.GetArrOutput().GetElement(1), "AXRole");
    ExpectOutcome(Process(provider, title), true);
    ExpectString(title, "AXOutline");

    owner.Set("0|", std::size_t(0));
    ExpectEmptyArray(Ask(kList, 0, 0, "AXChildren"));
}

TEST_F(TreeListBoxTest, RowTreeChildrenAreTheTopLevelItemsInOrder) {
    wxMacAccNamedAttrEvent items = Ask(kRowTree, 0, 0, "AXChildren");
    ASSERT_EQ(items.GetArrOutput().GetCount(), 3u);
    const std::vector<wxDataViewItem> expected = {a, b, c};
    const int places[] = {0, 3, 5};
    for (std::size_t k = 0; k < 3; ++k) {
        SCOPED_TRACE(k);
        const MacAccElement* row = items.GetArrOutput().GetElement(k);
        ExpectItemRow(row, kTopItem, expected[k], k);
        EXPECT_EQ(row->GetRect(), InDataView(places[k]));
        ExpectRowOutline(row->GetParent().GetElement());
    }
    EXPECT_EQ(Ask(kRowTree, 0, 0, "AXWindow").GetObjectResult().GetView(), dataView->GetHandle());
    EXPECT_EQ(Ask(kRowTree, 1, 0, "AXTopLevelUIElement").GetObjectResult().GetView(), windows.other->GetHandle());

    ExpectEmptyArray(Ask(kRowTree, 1, 0, "AXChildren"));
}

TEST_F(TreeListBoxTest, ItemChildrenOnlyWhereTheDataViewShowsThem) {
    wxMacAccNamedAttrEvent children = Ask(kTopItem, Index(a), 0, "AXChildren");
    ASSERT_EQ(children.GetArrOutput().GetCount(), 2u);
    const std::vector<wxDataViewItem> expected = {a1, a2};
    for (std::size_t k = 0; k < 2; ++k) {
        SCOPED_TRACE(k);
        const MacAccElement* child = children.GetArrOutput().GetElement(k);
        ExpectItemRow(child, kChildItem, expected[k], k);
        EXPECT_EQ(child->GetRect(), InDataView(static_cast<int>(k) + 1));
        const MacAccElement* parent = child->GetParent().GetElement();
        ASSERT_NE(parent, nullptr);
        EXPECT_EQ(parent->GetKind(), kTopItem);
        EXPECT_EQ(parent->GetIndex(), Index(a));
        EXPECT_EQ(parent->GetPosition(), Value(a));
        EXPECT_EQ(parent->GetRect(), windows.control->GetScreenRect());
        ExpectRowOutline(parent->GetParent().GetElement());
    }
    // A child made here answers as that child.
    wxMacAccNamedAttrEvent value(wxEVT_MAC_ACC_GETNAMEDATTRIBUTE, *children.GetArrOutput().GetElement(1), "AXValue");
    ExpectOutcome(Process(provider, value), true);
    ExpectString(value, "A2");

    for (const wxDataViewItem& shut : {b, c}) {
        ExpectEmptyArray(Ask(kTopItem, Index(shut), 0, "AXChildren"));
    }
}

TEST_F(TreeListBoxTest, DataViewMissingOrOfAnotherClassGivesUnconvertedPlacesAndNoChildren) {
    struct Case {
        const char* what;
        wxWindow* window;
        WXWidget view;
    };
    for (const Case& test : {Case{"null", nullptr, nullptr}, Case{"a panel", windows.other, windows.other->GetHandle()}}) {
        SCOPED_TRACE(test.what);
        owner.Set("14|0", test.window);
        wxMacAccNamedAttrEvent items = Ask(kRowTree, 0, 0, "AXChildren");
        ASSERT_EQ(items.GetArrOutput().GetCount(), 3u);
        EXPECT_EQ(items.GetArrOutput().GetElement(1)->GetRect(), ItemRect(3));
        ExpectEmptyArray(Ask(kTopItem, Index(a), 0, "AXChildren"));
        EXPECT_EQ(Ask(kRowTree, 0, 0, "AXWindow").GetObjectResult().GetView(), test.view);
    }
}

TEST_F(TreeListBoxTest, RowBeyondTheOwnersRowsIsLeftUnanswered) {
    struct Case {
        int kind;
        std::uint64_t index;
        int second;
    };
    for (const Case& test : {Case{kRowTree, 2, 0}, Case{kRowTree, std::uint64_t(1) << 33, 0},
                             Case{kTopItem, Index(a), 2}, Case{kTopItem, Index(a), -1},
                             Case{kChildItem, Index(a1), 5}}) {
        for (const char* name : {"AXChildren", "AXValue", "AXRole"}) {
            SCOPED_TRACE(std::to_string(test.kind) + " " + std::to_string(test.second) + " " + name);
            wxMacAccNamedAttrEvent request = ElementRequest(windows.control, test.kind, test.index, test.second, name);
            ExpectOutcome(Process(provider, request), false);
            EXPECT_TRUE(request.IsUnanswered());
            EXPECT_EQ(request.GetOutputType(), Output::None);
        }
    }
}

TEST_F(TreeListBoxTest, SetRequestIsRefusedAndChangesNothing) {
    wxMacAccNamedAttrEvent request(wxEVT_MAC_ACC_SETNAMEDATTRIBUTE, windows.control, "AXValue", 1);
    request.SetElementRecord({kTopItem, Index(a), 0});
    ExpectOutcome(Process(provider, request), false);
    EXPECT_FALSE(request.IsUnanswered());
    EXPECT_EQ(request.GetOutputType(), Output::None);
    EXPECT_TRUE(owner.asked.empty());
}

TEST_F(TreeListBoxTest, SiblingsThatLoopEndTheWalk) {
    owner.Set("7|0#" + Id(c), Item(a));
    wxMacAccNamedAttrEvent items = Ask(kRowTree, 0, 0, "AXChildren");
    EXPECT_EQ(items.GetArrOutput().GetCount(), 3u);
}

TEST_F(TreeListBoxTest, AnswerOfAnotherTypeRaisesTheAssertionAndLeavesTheRequestUnanswered) {
    struct Case {
        std::string query;
        int kind;
        const char* name;
        const char* assertion;
    };
    const std::vector<Case> cases = {
        {"4|", kList, "AXRole", "window.CheckType<wxWindow*>()"},
        {"0|", kList, "AXChildren", "count.CheckType<size_t>()"},
        {"0|", kRowTree, "AXRole", "count.CheckType<size_t>()"},
        {"1|1", kList, "AXChildren", "itemText.CheckType<wxString>()"},
        {"2|0", kList, "AXChildren", "itemRect.CheckType<wxRect>()"},
        {"5|0", kRowTree, "AXChildren", "_root.CheckType<WXHTREEITEM>()"},
        {"6|0#" + Id(Roots()[0]), kRowTree, "AXChildren", "_child.CheckType<WXHTREEITEM>()"},
        {"14|0", kRowTree, "AXWindow", "dataView.CheckType<wxWindow*>()"},
        {"Tree 6|", kRowTree, "AXTitle", "_title.CheckType<wxString>()"},
        {"9|0#" + Id(a), kTopItem, "AXValue", "_text.CheckType<wxString>()"},
        {"10|0#" + Id(a1), kTopItem, "AXChildren", "_rect.CheckType<wxRect>()"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.query + " for " + test.name);
        ExpectWrongAnswerRefused(
            test.query, 3.5,
            ElementRequest(windows.control, test.kind, test.kind == kTopItem ? Index(a) : 0, 0, test.name),
            test.assertion);
    }
}
