// The list box's answers: its scroll view, list and entries.
#include <string>
#include <vector>

#include "AutomationListBox.h"
#include "ProbeTestSupport.h"

using namespace probetest;

namespace {

enum Kind { kContents = 0, kList = 1, kEntry = 2 };

// Three entries "Scan", "Print", "Fax".
class ListBoxTest : public ProviderTest<AutomationControl::ListBox> {
protected:
    void SetUp() override {
        owner.Set("5|", static_cast<wxWindow*>(windows.control));
        owner.Set("0|", std::size_t(3));
        const char* texts[] = {"Scan", "Print", "Fax"};
        for (int entry = 0; entry < 3; ++entry) {
            owner.Set("1|" + std::to_string(entry), wxString(texts[entry]));
            owner.Set("2|" + std::to_string(entry), EntryRect(entry));
        }
        MakeProvider(AutomationControl::Type::ListBox);
    }

    static wxRect EntryRect(int entry) { return wxRect(0, 22 * entry, 280, 22); }

    wxMacAccNamedAttrEvent Ask(int level, int kind, std::uint64_t index, const char* name) {
        return Answered(level == 0 ? ViewRequest(windows.control, name)
                                   : ElementRequest(windows.control, kind, index, 0, name));
    }
};

}  // namespace

TEST_F(ListBoxTest, ScalarAnswersOfEveryElement) {
    windows.control->Disable();
    CheckScalars(provider, windows.control,
                 {
                     {0, 0, 0, 0, "AXRole", true, Output::String, "AXScrollArea"},
                     {0, 0, 0, 0, "AXRoleDescription", true, Output::String, "scroll area"},
                     {0, 0, 0, 0, "AXEnabled", true, Output::Bool, "", 0},
                     {0, 0, 0, 0, "AXFocused", true, Output::Bool, "", 0},
                     {0, 0, 0, 0, "AXHorizontalScrollBar", true, Output::None},
                     {0, 0, 0, 0, "AXVerticalScrollBar", true, Output::None},
                     {0, 0, 0, 0, "AXValue", false, Output::None},
                     {1, kList, 0, 0, "AXRole", true, Output::String, "AXList"},
                     {1, kList, 0, 0, "AXRoleDescription", true, Output::String, "list"},
                     {1, kList, 0, 0, "AXOrientation", true, Output::String, "AXVerticalOrientationValue"},
                     {1, kList, 0, 0, "AXSelectedChildren", true, Output::None},
                     {1, kList, 0, 0, "AXValue", false, Output::None},
                     {1, kEntry, 2, 0, "AXRole", true, Output::String, "AXStaticText"},
                     {1, kEntry, 2, 0, "AXRoleDescription", true, Output::String, "text"},
                     {1, kEntry, 0, 0, "AXValue", true, Output::String, "Scan"},
                     // Whatever the window's state.
                     {1, kEntry, 1, 0, "AXEnabled", true, Output::Bool, "", 1},
                     {1, kEntry, 1, 0, "AXSelected", true, Output::Bool, "", 0},
                     {1, kEntry, 1, 0, "AXTitle", false, Output::None},
                     {1, kContents, 0, 0, "AXRole", false, Output::None},
                     {1, 3, 0, 0, "AXRole", false, Output::None},
                     {2, kList, 0, 0, "AXRole", false, Output::None},
                 });
    wxMacAccNamedAttrEvent elsewhere = ViewRequest(windows.other, "AXRole");
    ExpectOutcome(Process(provider, elsewhere), false);
}

TEST_F(ListBoxTest, ScrollViewChildrenAndContents) {
    wxMacAccNamedAttrEvent children = Ask(0, 0, 0, "AXChildren");
    ASSERT_EQ(children.GetArrOutput().GetCount(), 1u);
    ExpectUnderView(children.GetArrOutput().GetElement(0), MacAccRole::Table, kList, windows.control);

    wxMacAccNamedAttrEvent contents = Ask(0, 0, 0, "AXContents");
    ASSERT_EQ(contents.GetArrOutput().GetCount(), 1u);
    ExpectUnderView(contents.GetArrOutput().GetElement(0), MacAccRole::Outline, kContents, windows.control);
}

TEST_F(ListBoxTest, ListChildrenAreTheEntriesAsTexts) {
    wxMacAccNamedAttrEvent rows = Ask(1, kList, 0, "AXChildren");
    ASSERT_EQ(rows.GetArrOutput().GetCount(), 3u);
    const char* texts[] = {"Scan", "Print", "Fax"};
    for (int entry = 0; entry < 3; ++entry) {
        SCOPED_TRACE(entry);
        const MacAccElement* text = rows.GetArrOutput().GetElement(entry);
        EXPECT_EQ(text->GetRole(), MacAccRole::Text);
        EXPECT_EQ(text->GetKind(), kEntry);
        EXPECT_EQ(text->GetIndex(), static_cast<std::uint64_t>(entry));
        EXPECT_EQ(text->GetSecondIndex(), -1);
        EXPECT_EQ(text->GetText(), texts[entry]);
        EXPECT_EQ(text->GetRect(), windows.ToScreen(EntryRect(entry)));
        EXPECT_FALSE(text->GetFlag());
        EXPECT_EQ(text->GetParent().GetElement()->GetRole(), MacAccRole::Table);
    }
    wxMacAccNamedAttrEvent value(wxEVT_MAC_ACC_GETNAMEDATTRIBUTE, *rows.GetArrOutput().GetElement(2), "AXValue");
    ExpectOutcome(Process(provider, value), true);
    ExpectString(value, "Fax");

    owner.Set("0|", std::size_t(0));
    ExpectEmptyArray(Ask(1, kList, 0, "AXChildren"));
}

TEST_F(ListBoxTest, ListAndEntryPlaces) {
    EXPECT_EQ(Ask(1, kList, 0, "AXPosition").GetPointOutput(), windows.control->GetScreenPosition());
    EXPECT_EQ(Ask(1, kList, 0, "AXSize").GetSizeOutput(), windows.control->GetSize());
    EXPECT_EQ(Ask(1, kList, 0, "AXWindow").GetObjectResult().GetView(), windows.frame->GetHandle());
    EXPECT_EQ(Ask(1, kEntry, 1, "AXPosition").GetPointOutput(), windows.ToScreen(EntryRect(1)).GetTopLeft());
    EXPECT_NE(windows.ToScreen(EntryRect(1)).GetTopLeft(), EntryRect(1).GetTopLeft());
    EXPECT_EQ(Ask(1, kEntry, 1, "AXSize").GetSizeOutput(), EntryRect(1).GetSize());
    EXPECT_EQ(Ask(1, kEntry, 1, "AXWindow").GetObjectResult().GetView(), windows.control->GetHandle());
    EXPECT_EQ(Ask(1, kEntry, 1, "AXTopLevelUIElement").GetObjectResult().GetView(), windows.frame->GetHandle());
}

TEST_F(ListBoxTest, EntryAtOrBeyondTheCountIsRefusedWithoutAskingMore) {
    for (std::uint64_t entry : {std::uint64_t(3), std::uint64_t(1) << 36}) {
        SCOPED_TRACE(entry);
        owner.asked.clear();
        wxMacAccNamedAttrEvent request = ElementRequest(windows.control, kEntry, entry, 0, "AXValue");
        ExpectOutcome(Process(provider, request), false);
        EXPECT_EQ(request.GetOutputType(), Output::None);
        EXPECT_EQ(owner.asked, (std::vector<std::string>{"5|", "0|"}));
    }
}

TEST_F(ListBoxTest, AnswerOfAnotherTypeRaisesTheAssertionAndLeavesTheRequestUnanswered) {
    struct Case {
        const char* query;
        int level, kind;
        const char* name;
        const char* assertion;
    };
    const std::vector<Case> cases = {
        {"5|", 0, 0, "AXRole", "window.CheckType<wxWindow*>()"},
        {"0|", 1, kEntry, "AXValue", "count.CheckType<size_t>()"},
        {"0|", 1, kList, "AXChildren", "count.CheckType<size_t>()"},
        {"1|1", 1, kEntry, "AXValue", "_text.CheckType<wxString>()"},
        {"2|1", 1, kEntry, "AXPosition", "_rect.CheckType<wxRect>()"},
        {"2|0", 1, kList, "AXChildren", "_rect.CheckType<wxRect>()"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(std::string(test.query) + " for " + test.name);
        ExpectWrongAnswerRefused(test.query, 42,
                                 test.level == 0 ? ViewRequest(windows.control, test.name)
                                                 : ElementRequest(windows.control, test.kind, 1, 0, test.name),
                                 test.assertion);
    }
}

TEST_F(ListBoxTest, FocusedIsWhetherTheControlHasTheKeyboardFocus) {
    windows.frame->Raise();
    for (bool onControl : {true, false, true}) {
        SCOPED_TRACE(onControl);
        (onControl ? windows.control : windows.other)->SetFocus();
        wxYield();
        ASSERT_EQ(wxWindow::FindFocus(), onControl ? windows.control : windows.other);
        CheckScalars(provider, windows.control, {{0, 0, 0, 0, "AXFocused", true, Output::Bool, "", onControl},
                                                 {1, kList, 0, 0, "AXFocused", true, Output::Bool, "", onControl}});
    }
}
