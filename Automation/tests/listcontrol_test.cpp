// The list control's answers: its scroll view, table, rows, columns, header
// and header buttons, from an owner that answers from a table.
#include <vector>

#include "AutomationListControl.h"
#include "ProbeTestSupport.h"

using namespace probetest;
using Cells = std::vector<AutomationControl::ItemInfo>;

namespace {

enum Kind { kTable = 0, kRow = 1, kColumn = 2, kHeader = 3, kHeaderButton = 4 };

// A list "Jobs" of three rows (row 1 selected) and two columns, with a
// header window and two scroll bars.
class ListControlTest : public ProviderTest<AutomationControl::List> {
protected:
    void SetUp() override {
        header = new wxPanel(windows.frame, wxID_ANY, wxPoint(30, 10), wxSize(300, 20));
        owner.Set("20|", static_cast<wxWindow*>(windows.control));
        owner.Set("0|", wxString("Jobs"));
        owner.Set("1|", static_cast<wxWindow*>(header));
        owner.Set("21|", static_cast<wxWindow*>(windows.other));
        owner.Set("22|", static_cast<wxWindow*>(windows.frame));
        owner.Set("3|", std::size_t(2));
        owner.Set("4|0", wxString("Name"));
        owner.Set("4|1", wxString("Size"));
        owner.Set("2|0", wxRect(0, 0, 150, 20));
        owner.Set("2|1", wxRect(150, 0, 150, 20));
        owner.Set("7|", std::size_t(3));
        owner.Set("12|", std::vector<int>{10, 20, 30});
        for (int row = 0; row < 3; ++row) {
            const std::string r = std::to_string(row);
            owner.Set("9|" + r + ",0", row == 1);
            owner.Set("11|" + r, RowRect(row));
            owner.Set("13|" + r, Cells{{"scan-" + r, wxRect(2, 20 * row, 140, 18)},
                                       {r + " KB", wxRect(152, 20 * row, 140, 18)}});
        }
        MakeProvider(AutomationControl::Type::ListControl);
    }

    static wxRect RowRect(int row) { return wxRect(0, 20 * row, 300, 20); }

    wxMacAccNamedAttrEvent Ask(int kind, std::uint64_t index, const char* name) {
        return Answered(ElementRequest(windows.control, kind, index, 0, name));
    }

    // The table outline an element was made under.
    void ExpectTableOutline(const MacAccElement* outline, bool flag) {
        ExpectUnderView(outline, MacAccRole::Outline, kTable, windows.control);
        if (!outline) return;
        EXPECT_EQ(outline->GetText(), "Jobs");
        EXPECT_EQ(outline->GetFlag(), flag);
    }

    wxPanel* header = nullptr;
};

}  // namespace

TEST_F(ListControlTest, ScalarAnswersOfEveryElement) {
    CheckScalars(provider, windows.control,
                 {
                     {0, 0, 0, 0, "AXRole", true, Output::String, "AXScrollArea"},
                     {0, 0, 0, 0, "AXRoleDescription", true, Output::String, "scroll area"},
                     {0, 0, 0, 0, "AXEnabled", false, Output::None},
                     {1, kTable, 0, 0, "AXRole", false, Output::None},
                     {1, kRow, 2, 0, "AXValue", true, Output::String, "30"},
                     {1, kRow, 0, 0, "AXValue", true, Output::String, "10"},
                     {1, kRow, 1, 0, "AXRole", true, Output::None},
                     {1, kColumn, 1, 0, "AXHeader", true, Output::String, "Size"},
                     {1, kColumn, 0, 0, "AXRole", true, Output::String, "AXColumn"},
                     {1, kColumn, 1, 0, "AXIndex", true, Output::Int32, "", 1},
                     {1, kColumn, 1, 0, "AXPosition", true, Output::None},
                     {1, kColumn, 1, 0, "AXSize", true, Output::None},
                     {1, kColumn, 1, 0, "AXTitle", true, Output::None},
                     {1, kHeader, 0, 0, "AXRole", true, Output::None},
                     {1, kHeaderButton, 0, 0, "AXRole", true, Output::String, "AXRadioButton"},
                     {1, kHeaderButton, 0, 0, "AXValue", true, Output::String, "Name"},
                     {1, kHeaderButton, 1, 0, "AXIndex", true, Output::Int32, "", 1},
                     {1, kHeaderButton, 1, 0, "AXTitle", true, Output::None},
                     // Kinds, levels and windows it has nothing for are handled with no value.
                     {1, 5, 0, 0, "AXRole", true, Output::None},
                     {1, -1, 0, 0, "AXRole", true, Output::None},
                     {2, kTable, 0, 0, "AXRole", true, Output::None},
                 });
    wxMacAccNamedAttrEvent elsewhere = ViewRequest(windows.other, "AXRole");
    ExpectOutcome(Process(provider, elsewhere), true);
    EXPECT_EQ(elsewhere.GetOutputType(), Output::None);
}

TEST_F(ListControlTest, ScrollViewChildrenAreTheWindowsThenTheTable) {
    struct Case {
        const char* what;
        wxAny first, second, header;
        std::vector<wxWindow*> expected;
    };
    wxWindow* const none = nullptr;
    const std::vector<Case> cases = {
        {"all three", static_cast<wxWindow*>(windows.other), static_cast<wxWindow*>(windows.frame), static_cast<wxWindow*>(header),
         {windows.other, windows.frame, header}},
        {"null first", none, static_cast<wxWindow*>(windows.frame), static_cast<wxWindow*>(header),
         {windows.frame, header}},
        {"no window but a text", wxString("bar"), none, static_cast<wxWindow*>(header), {header}},
        {"none", wxAny(), none, none, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        owner.Set("21|", c.first);
        owner.Set("22|", c.second);
        owner.Set("1|", c.header);
        wxMacAccNamedAttrEvent request = ViewRequest(windows.control, "AXChildren");
        ExpectOutcome(Process(provider, request), true);
        const NSMutableArray& children = request.GetArrOutput();
        ASSERT_EQ(children.GetCount(), c.expected.size() + 1);
        for (std::size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_EQ(children.Item(i).GetView(), c.expected[i]->GetHandle()) << i;
        }
        ExpectTableOutline(children.GetElement(c.expected.size()), false);
    }
}

TEST_F(ListControlTest, RowsHaveScreenRectanglesAndSelectedRowsAreTheSelectedOnes) {
    wxMacAccNamedAttrEvent rows = Ask(kTable, 0, "AXRows");
    ASSERT_EQ(rows.GetArrOutput().GetCount(), 3u);
    for (std::size_t row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        const MacAccElement* element = rows.GetArrOutput().GetElement(row);
        ASSERT_NE(element, nullptr);
        EXPECT_EQ(element->GetRole(), MacAccRole::Row);
        EXPECT_EQ(element->GetKind(), kRow);
        EXPECT_EQ(element->GetIndex(), row);
        EXPECT_EQ(element->GetPosition(), static_cast<int>(row));
        EXPECT_EQ(element->GetRect(), windows.ToScreen(RowRect(static_cast<int>(row))));
        EXPECT_TRUE(element->GetFlag());
        ExpectTableOutline(element->GetParent().GetElement(), true);
    }
    EXPECT_NE(windows.ToScreen(RowRect(1)), RowRect(1)) << "the fixture must tell client from screen";

    wxMacAccNamedAttrEvent selected = Ask(kTable, 0, "AXSelectedRows");
    ASSERT_EQ(selected.GetArrOutput().GetCount(), 1u);
    const MacAccElement* row = selected.GetArrOutput().GetElement(0);
    EXPECT_EQ(row->GetIndex(), 1u);
    EXPECT_EQ(row->GetRect(), windows.control->GetScreenRect());
    EXPECT_FALSE(row->GetFlag());
    ExpectTableOutline(row->GetParent().GetElement(), false);

    // A row that the table gave answers as that row.
    wxMacAccNamedAttrEvent value(wxEVT_MAC_ACC_GETNAMEDATTRIBUTE, *rows.GetArrOutput().GetElement(1), "AXValue");
    ExpectOutcome(Process(provider, value), true);
    ExpectString(value, "20");
}

TEST_F(ListControlTest, ColumnsAndHeaderButtons) {
    wxMacAccNamedAttrEvent columns = Ask(kTable, 0, "AXColumns");
    ASSERT_EQ(columns.GetArrOutput().GetCount(), 2u);
    const char* titles[] = {"Name", "Size"};
    for (std::size_t column = 0; column < 2; ++column) {
        const MacAccElement* element = columns.GetArrOutput().GetElement(column);
        EXPECT_EQ(element->GetRole(), MacAccRole::Column);
        EXPECT_EQ(element->GetKind(), kColumn);
        EXPECT_EQ(element->GetIndex(), column);
        EXPECT_EQ(element->GetText(), titles[column]);
        EXPECT_EQ(element->GetRect(), wxRect());
        ExpectTableOutline(element->GetParent().GetElement(), false);
    }

    wxMacAccNamedAttrEvent headerRequest = Ask(kTable, 0, "AXHeader");
    const MacAccElement* group = headerRequest.GetObjectResult().GetElement();
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->GetRole(), MacAccRole::Group);
    EXPECT_EQ(group->GetKind(), kHeader);
    ExpectTableOutline(group->GetParent().GetElement(), false);

    wxMacAccNamedAttrEvent buttons = Ask(kHeader, 0, "AXChildren");
    ASSERT_EQ(buttons.GetArrOutput().GetCount(), 2u);
    for (std::size_t column = 0; column < 2; ++column) {
        const MacAccElement* button = buttons.GetArrOutput().GetElement(column);
        EXPECT_EQ(button->GetRole(), MacAccRole::Button);
        EXPECT_EQ(button->GetKind(), kHeaderButton);
        EXPECT_EQ(button->GetIndex(), column);
        EXPECT_EQ(button->GetRect(), windows.ToScreen(wxRect(150 * static_cast<int>(column), 0, 150, 20)));
        EXPECT_EQ(button->GetParent().GetElement()->GetRole(), MacAccRole::Group);
        EXPECT_TRUE(button->GetFlag());
    }
}

TEST_F(ListControlTest, HeaderWindowIsTheHeadersOrElseTheControls) {
    EXPECT_EQ(Ask(kHeader, 0, "AXWindow").GetObjectResult().GetView(), header->GetHandle());
    owner.Set("1|", static_cast<wxWindow*>(nullptr));
    EXPECT_EQ(Ask(kHeader, 0, "AXWindow").GetObjectResult().GetView(), windows.control->GetHandle());
}

TEST_F(ListControlTest, RowChildrenAreItsCellsUnderTheRow) {
    wxMacAccNamedAttrEvent cells = Ask(kRow, 2, "AXChildren");
    ASSERT_EQ(cells.GetArrOutput().GetCount(), 2u);
    const char* texts[] = {"scan-2", "2 KB"};
    for (std::size_t cell = 0; cell < 2; ++cell) {
        SCOPED_TRACE(cell);
        const MacAccElement* element = cells.GetArrOutput().GetElement(cell);
        EXPECT_EQ(element->GetRole(), MacAccRole::Outline);
        EXPECT_EQ(element->GetKind(), kColumn);
        EXPECT_EQ(element->GetIndex(), cell);
        EXPECT_EQ(element->GetText(), texts[cell]);
        EXPECT_EQ(element->GetRect(), windows.ToScreen(wxRect(2 + 150 * static_cast<int>(cell), 40, 140, 18)));
        const MacAccElement* row = element->GetParent().GetElement();
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->GetRole(), MacAccRole::Row);
        EXPECT_EQ(row->GetIndex(), 2u);
        EXPECT_EQ(row->GetRect(), windows.control->GetScreenRect());
        ExpectTableOutline(row->GetParent().GetElement(), false);
    }
    // A cell answers as its column.
    wxMacAccNamedAttrEvent column(wxEVT_MAC_ACC_GETNAMEDATTRIBUTE, *cells.GetArrOutput().GetElement(1), "AXHeader");
    ExpectOutcome(Process(provider, column), true);
    ExpectString(column, "Size");

    owner.Set("13|2", Cells{});
    wxMacAccNamedAttrEvent none = Ask(kRow, 2, "AXChildren");
    EXPECT_EQ(none.GetOutputType(), Output::None);
}

TEST_F(ListControlTest, EmptyListAndUnnamedList) {
    owner.Set("0|", wxString());
    owner.Set("3|", std::size_t(0));
    owner.Set("7|", std::size_t(0));
    owner.Set("12|", std::vector<int>{});
    wxMacAccNamedAttrEvent children = ViewRequest(windows.control, "AXChildren");
    ExpectOutcome(Process(provider, children), true);
    EXPECT_EQ(children.GetArrOutput().GetElement(3)->GetText(), "ListControl");

    EXPECT_EQ(Ask(kTable, 0, "AXRows").GetOutputType(), Output::None);
    EXPECT_EQ(Ask(kTable, 0, "AXSelectedRows").GetOutputType(), Output::None);
    ExpectEmptyArray(Ask(kTable, 0, "AXColumns"));
    ExpectEmptyArray(Ask(kHeader, 0, "AXChildren"));
}

TEST_F(ListControlTest, RowBeyondTheOwnersRowsIsLeftUnanswered) {
    // Three rows; the values know a fourth the list does not have.
    owner.Set("12|", std::vector<int>{10, 20, 30, 40});
    for (const char* name : {"AXValue", "AXChildren", "AXRole"}) {
        for (std::uint64_t row : {std::uint64_t(3), std::uint64_t(1) << 40}) {
            SCOPED_TRACE(std::string(name) + " of row " + std::to_string(row));
            wxMacAccNamedAttrEvent request = ElementRequest(windows.control, kRow, row, 0, name);
            ExpectOutcome(Process(provider, request), false);
            EXPECT_TRUE(request.IsUnanswered());
            EXPECT_EQ(request.GetOutputType(), Output::None);
        }
    }
    // A row of the list without a value of its own.
    owner.Set("12|", std::vector<int>{10, 20});
    wxMacAccNamedAttrEvent request = ElementRequest(windows.control, kRow, 2, 0, "AXValue");
    ExpectOutcome(Process(provider, request), false);
    EXPECT_TRUE(request.IsUnanswered());

    auto* list = dynamic_cast<AutomationListControl*>(provider);
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->IsValidListRow(2));
    EXPECT_FALSE(list->IsValidListRow(3));
}

TEST_F(ListControlTest, AnswerOfAnotherTypeRaisesTheAssertionAndLeavesTheRequestUnanswered) {
    struct Case {
        const char* query;
        wxAny wrong;
        int level, kind;
        const char* name;
        const char* assertion;
    };
    const std::vector<Case> cases = {
        {"20|", wxString("not a window"), 0, 0, "AXRole", "window.CheckType<wxWindow*>()"},
        {"0|", 5, 0, 0, "AXChildren", "_name.CheckType<wxString>()"},
        {"3|", wxString("two"), 1, kTable, "AXColumns", "_count.CheckType<size_t>()"},
        {"4|1", 7, 1, kTable, "AXColumns", "_text.CheckType<wxString>()"},
        {"7|", wxString("three"), 1, kTable, "AXSelectedRows", "_count.CheckType<size_t>()"},
        {"9|1,0", 1, 1, kTable, "AXSelectedRows", "_selected.CheckType<bool>()"},
        {"11|1", wxString("rect"), 1, kTable, "AXRows", "_rectrow.CheckType<wxRect>()"},
        {"7|", wxString("three"), 1, kRow, "AXValue", "itemCnt.CheckType<size_t>()"},
        {"13|1", wxString("cells"), 1, kRow, "AXChildren", "_cells.CheckType<std::vector<ItemInfo>>()"},
        {"12|", wxString("10,20"), 1, kRow, "AXValue", "_values.CheckType<std::vector<int>>()"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.query) + " for " + c.name);
        ExpectWrongAnswerRefused(c.query, c.wrong,
                                 c.level == 0 ? ViewRequest(windows.control, c.name)
                                              : ElementRequest(windows.control, c.kind, 1, 0, c.name),
                                 c.assertion);
    }
}

TEST_F(ListControlTest, WithoutAWindowNothingIsAnswered) {
    owner.Set("20|", static_cast<wxWindow*>(nullptr));
    wxMacAccNamedAttrEvent request = ViewRequest(nullptr, "AXRole");
    ExpectOutcome(Process(provider, request), false);
    EXPECT_EQ(request.GetOutputType(), Output::None);
}
