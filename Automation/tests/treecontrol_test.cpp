// The tree control's answers: its scroll view, the outline and rows at
// every depth, and its attribute names.
#include <string>
#include <vector>

#include "AutomationTreeControl.h"
#include "ProbeTestSupport.h"

using namespace probetest;

namespace {

enum Kind { kOutline = 1, kTopRow = 2, kInnerRow = 3 };

// Root 1 with the top-level items 10 and 20; 10 has the children 11 and 12,
// 11 has the child 111; 20 and 12 have none.
class TreeControlTest : public ProviderTest<AutomationControl::Tree> {
protected:
    void SetUp() override {
        owner.Set("11|", static_cast<wxWindow*>(windows.control));
        owner.Set("0|", MakeItem(1));
        owner.Set("6|", wxString("Folders"));
        Children(1, {10, 20});
        Children(10, {11, 12});
        Children(11, {111});
        Children(12, {});
        Children(20, {});
        Children(111, {});
        for (int item : {10, 20, 11, 12, 111}) owner.Set("5|#" + std::to_string(item), wxString("item " + std::to_string(item)));
        MakeProvider(AutomationControl::Type::TreeControl);
    }

    void Children(std::uintptr_t parent, const std::vector<std::uintptr_t>& children) {
        owner.Set("2|#" + std::to_string(parent), children.empty() ? Item() : MakeItem(children.front()));
        for (std::size_t i = 0; i < children.size(); ++i) {
            owner.Set("3|#" + std::to_string(children[i]), i + 1 < children.size() ? MakeItem(children[i + 1]) : Item());
        }
    }

    wxMacAccNamedAttrEvent Ask(int kind, std::uint64_t index, const char* name) {
        return Answered(ElementRequest(windows.control, kind, index, 0, name));
    }

    void ExpectOutline(const MacAccElement* outline) {
        ExpectUnderView(outline, MacAccRole::Outline, kOutline, windows.control);
    }

    // The rows of an array: their items, and checks common to them all.
    std::vector<std::uint64_t> Rows(const NSMutableArray& rows, int kind) {
        std::vector<std::uint64_t> items;
        for (std::size_t i = 0; i < rows.GetCount(); ++i) {
            const MacAccElement* row = rows.GetElement(i);
            EXPECT_EQ(row->GetRole(), MacAccRole::Row);
            EXPECT_EQ(row->GetKind(), kind);
            EXPECT_EQ(row->GetRect(), windows.control->GetScreenRect());
            EXPECT_TRUE(row->GetFlag());
            items.push_back(row->GetIndex());
        }
        return items;
    }
};

}  // namespace

TEST_F(TreeControlTest, ScalarAnswersOfEveryElement) {
    CheckScalars(provider, windows.control,
                 {
                     {0, 0, 0, 0, "AXRole", true, Output::String, "AXStaticText"},
                     {0, 0, 0, 0, "AXRoleDescription", true, Output::String, "scroll area"},
                     {0, 0, 0, 0, "AXEnabled", true, Output::Bool, "", 1},
                     {0, 0, 0, 0, "AXValue", false, Output::None},
                     {1, kOutline, 0, 0, "AXRole", true, Output::String, "AXOutline"},
                     {1, kOutline, 0, 0, "AXRoleDescription", true, Output::String, "TreeListCtrl"},
                     {1, kOutline, 0, 0, "AXTitle", true, Output::String, "Folders"},
                     {1, kOutline, 0, 0, "AXDisclosing", true, Output::Bool, "", 1},
                     {1, kOutline, 0, 0, "AXValue", false, Output::None},
                     {1, kTopRow, 10, 0, "AXValue", true, Output::String, "item 10"},
                     {1, kInnerRow, 111, 0, "AXValue", true, Output::String, "item 111"},
                     {1, kTopRow, 20, 0, "AXIndex", true, Output::Int32, "", 20},
                     {1, kInnerRow, 12, 0, "AXDisclosing", true, Output::Bool, "", 1},
                     {1, kTopRow, 10, 0, "AXDisclosureLevel", true, Output::None},
                     {1, kTopRow, 10, 0, "AXRole", true, Output::None},
                     {1, 7, 10, 0, "AXValue", true, Output::String, "item 10"},
                     {1, 0, 0, 0, "AXRole", false, Output::None},
                     {2, kOutline, 0, 0, "AXRole", false, Output::None},
                 });
    wxMacAccNamedAttrEvent elsewhere = ViewRequest(windows.other, "AXRole");
    ExpectOutcome(Process(provider, elsewhere), false);
}

TEST_F(TreeControlTest, ScrollViewHoldsTheOutline) {
    wxMacAccNamedAttrEvent children = ViewRequest(windows.control, "AXChildren");
    ExpectOutcome(Process(provider, children), true);
    ASSERT_EQ(children.GetArrOutput().GetCount(), 1u);
    ExpectOutline(children.GetArrOutput().GetElement(0));
}

TEST_F(TreeControlTest, RowsReachEveryDepth) {
    wxMacAccNamedAttrEvent top = Ask(kOutline, 0, "AXChildren");
    EXPECT_EQ(Rows(top.GetArrOutput(), kTopRow), (std::vector<std::uint64_t>{10, 20}));
    ExpectOutline(top.GetArrOutput().GetElement(0)->GetParent().GetElement());

    wxMacAccNamedAttrEvent second = Ask(kTopRow, 10, "AXChildren");
    EXPECT_EQ(Rows(second.GetArrOutput(), kInnerRow), (std::vector<std::uint64_t>{11, 12}));
    const MacAccElement* parent = second.GetArrOutput().GetElement(1)->GetParent().GetElement();
    ASSERT_NE(parent, nullptr);
    EXPECT_EQ(parent->GetKind(), kTopRow);
    EXPECT_EQ(parent->GetIndex(), 10u);
    EXPECT_FALSE(parent->GetFlag());
    ExpectOutline(parent->GetParent().GetElement());

    // A row of the second level, asked through the element it came as.
    wxMacAccNamedAttrEvent third(wxEVT_MAC_ACC_GETNAMEDATTRIBUTE, *second.GetArrOutput().GetElement(0), "AXChildren");
    ExpectOutcome(Process(provider, third), true);
    EXPECT_EQ(Rows(third.GetArrOutput(), kInnerRow), (std::vector<std::uint64_t>{111}));

    ExpectEmptyArray(Ask(kInnerRow, 111, "AXChildren"));
}

TEST_F(TreeControlTest, TreeWithoutItemsHasOutlineChildrenWithNoValue) {
    Children(1, {});
    wxMacAccNamedAttrEvent top = Ask(kOutline, 0, "AXChildren");
    EXPECT_EQ(top.GetOutputType(), Output::None);
}

TEST_F(TreeControlTest, AttributeNamesAreTitleAndLabel) {
    wxMacAccGetNamesEvent names(wxEVT_MAC_ACC_GETALLATTRIBUTENAMES, windows.control);
    ExpectOutcome(Process(provider, names), true);
    EXPECT_EQ(names.GetNames(), wxArrayString(2, std::vector<wxString>{"AXTitle", "AXLabel"}.data()));
    EXPECT_TRUE(owner.asked.empty());

    // The same type on an event of another class is no names request.
    wxCommandEvent wrong(wxEVT_MAC_ACC_GETALLATTRIBUTENAMES);
    ExpectOutcome(Process(provider, wrong), false);
}

TEST_F(TreeControlTest, SiblingsThatLoopEndTheWalk) {
    owner.Set("3|#20", MakeItem(10));
    EXPECT_EQ(Rows(Ask(kOutline, 0, "AXChildren").GetArrOutput(), kTopRow), (std::vector<std::uint64_t>{10, 20}));
    owner.Set("3|#111", MakeItem(111));
    EXPECT_EQ(Rows(Ask(kTopRow, 11, "AXChildren").GetArrOutput(), kInnerRow), (std::vector<std::uint64_t>{111}));
}

TEST_F(TreeControlTest, AnswerOfAnotherTypeRaisesTheAssertionAndLeavesTheRequestUnanswered) {
    struct Case {
        const char* query;
        int level, kind;
        std::uint64_t item;
        const char* name;
        const char* assertion;
    };
    const std::vector<Case> cases = {
        {"11|", 1, kOutline, 0, "AXRole", "window.CheckType<wxWindow*>()"},
        {"0|", 1, kOutline, 0, "AXChildren", "_root.CheckType<WXHTREEITEM>()"},
        {"2|#1", 1, kOutline, 0, "AXChildren", "_child.CheckType<WXHTREEITEM>()"},
        {"3|#10", 1, kOutline, 0, "AXChildren", "_next.CheckType<WXHTREEITEM>()"},
        {"5|#20", 1, kOutline, 0, "AXChildren", "_text.CheckType<wxString>()"},
        {"6|", 1, kOutline, 0, "AXTitle", "_title.CheckType<wxString>()"},
        {"5|#10", 1, kTopRow, 10, "AXValue", "_text.CheckType<wxString>()"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(std::string(test.query) + " for " + test.name);
        ExpectWrongAnswerRefused(test.query, 'x', ElementRequest(windows.control, test.kind, test.item, 0, test.name),
                                 test.assertion);
    }
}
