// The toolbar button: its size, hover and disabled drawing, clicks, and its
// answers to accessibility queries.
#include <gtest/gtest.h>

#include <wx/dcmemory.h>
#include <wx/frame.h>

#include "AccessibilityEvents.h"
#include "Theme.h"
#include "ToolbarButton.h"
#include "VEQAutomation.h"
#include "WxTestApp.h"

namespace {

wxBitmap Square(int width, int height, const wxColour& colour) {
    wxImage image(width, height);
    image.SetRGB(wxRect(0, 0, width, height), colour.Red(), colour.Green(), colour.Blue());
    return wxBitmap(image);
}

class ToolbarButtonTest : public testing::Test {
protected:
    void SetUp() override {
        veqfake::EnsureWxApp();
        m_frame = new wxFrame(nullptr, wxID_ANY, "toolbar");
        m_frame->Show();
    }
    void TearDown() override { m_frame->Destroy(); }

    ToolbarButton* Make(const wxSize& size = wxDefaultSize) { return new ToolbarButton(m_frame, 77, wxPoint(4, 6), size); }

    wxFrame* m_frame = nullptr;
};

TEST_F(ToolbarButtonTest, DefaultSizedButtonTakesItsImageSize) {
    ToolbarButton* button = Make();
    button->SetBitmap(Square(16, 12, *wxRED), ToolbarButton::ImageBeforeLabel);
    EXPECT_EQ(button->GetSize(), wxSize(36, 12));
    EXPECT_EQ(button->GetPosition(), wxPoint(4, 6));
    ToolbarButton* fixed = Make(wxSize(80, 30));
    fixed->SetBitmap(Square(16, 12, *wxRED), ToolbarButton::ImageBeforeLabel);
    EXPECT_EQ(fixed->GetSize(), wxSize(80, 30));
}

TEST_F(ToolbarButtonTest, ShowBorderFirstFlagClearsTheOthers) {
    struct Row {
        bool first, second, third;
        bool hoverSwapsImage;
    } rows[] = {
        {false, false, false, false},
        {true, false, false, true},
        {false, true, false, true},
        {false, false, true, true},
    };
    const wxColour hover = Theme::Get()->m_buttonHover, normal = Theme::Get()->m_buttonNormal;
    for (const Row& row : rows) {
        ToolbarButton* button = Make();
        button->ShowBorder(false, false, false);
        button->ShowBorder(row.first, row.second, row.third);
        const wxBitmap plain = Square(8, 8, *wxRED), over = Square(8, 8, *wxBLUE);
        button->SetBitmap(plain, ToolbarButton::ImageBeforeLabel);
        button->SetMouseOverImageBitmap(over);
        wxMouseEvent enter(wxEVT_ENTER_WINDOW);
        button->GetEventHandler()->ProcessEvent(enter);
        EXPECT_EQ(button->GetCurrentBackground(), hover);
        EXPECT_EQ(button->GetCurrentBitmap().IsSameAs(over), row.hoverSwapsImage) << row.first << row.second << row.third;
        EXPECT_EQ(button->IsMouseOver(), row.hoverSwapsImage);
        wxMouseEvent leave(wxEVT_LEAVE_WINDOW);
        button->GetEventHandler()->ProcessEvent(leave);
        EXPECT_EQ(button->GetCurrentBackground(), normal);
        EXPECT_TRUE(button->GetCurrentBitmap().IsSameAs(plain));
    }
    ToolbarButton* first = Make();
    first->ShowBorder(false, true, true);
    first->ShowBorder(true, true, true);  // the others are cleared whatever they say
    first->ShowBorder(false, false, false);
    first->SetBitmap(Square(8, 8, *wxRED), ToolbarButton::ImageBeforeLabel);
    first->SetMouseOverImageBitmap(Square(8, 8, *wxBLUE));
    wxMouseEvent enter(wxEVT_ENTER_WINDOW);
    first->GetEventHandler()->ProcessEvent(enter);
    EXPECT_TRUE(first->IsMouseOver());  // the first flag kept its value
}

// The column where a colour first appears in what the button draws.
int FirstColumnOf(ToolbarButton* button, const wxColour& colour) {
    const wxSize size = button->GetClientSize();
    wxBitmap canvas(size.x, size.y, 24);
    {
        wxMemoryDC dc(canvas);
        button->Draw(dc);
    }
    const wxImage image = canvas.ConvertToImage();
    for (int x = 0; x < size.x; ++x) {
        for (int y = 0; y < size.y; ++y) {
            if (image.GetRed(x, y) == colour.Red() && image.GetGreen(x, y) == colour.Green() &&
                image.GetBlue(x, y) == colour.Blue()) {
                return x;
            }
        }
    }
    return -1;
}

TEST_F(ToolbarButtonTest, DisabledButtonDrawsTheDisabledImageWhereTheNormalOneWas) {
    ToolbarButton* button = Make(wxSize(60, 20));
    const wxColour red(250, 0, 0), green(0, 250, 0);
    button->SetBitmap(Square(20, 10, red), ToolbarButton::ImageBeforeLabel);
    button->SetDisabledImageBitmap(Square(6, 6, green));
    EXPECT_EQ(FirstColumnOf(button, red), (60 - 20 - 2) / 2);
    EXPECT_EQ(FirstColumnOf(button, green), -1);
    button->Disable();
    EXPECT_EQ(FirstColumnOf(button, green), (60 - 20 - 2) / 2);
    EXPECT_EQ(FirstColumnOf(button, red), -1);
    // The fill is the resting colour.
    const wxColour fill = Theme::Get()->m_buttonNormal;
    EXPECT_EQ(FirstColumnOf(button, fill), 0);
}

TEST_F(ToolbarButtonTest, LabelComesBeforeOrAfterTheImage) {
    ToolbarButton* before = Make(wxSize(120, 24));
    ToolbarButton* after = Make(wxSize(120, 24));
    const wxColour red(250, 0, 0);
    before->SetText("Save");
    after->SetText("Save");
    before->SetBitmap(Square(10, 10, red), ToolbarButton::ImageBeforeLabel);
    after->SetBitmap(Square(10, 10, red), ToolbarButton::LabelBeforeImage);
    EXPECT_LT(FirstColumnOf(before, red), FirstColumnOf(after, red));
}

TEST_F(ToolbarButtonTest, PressPostsOneClickWithTheTrimmedLabel) {
    ToolbarButton* button = Make(wxSize(60, 20));
    button->SetText("Refresh  \t");
    std::vector<std::pair<int, wxString>> clicks;
    m_frame->Bind(wxEventTypeTag<wxCommandEvent>(cnEVENT_ToolbarButtonCLICK),
                  [&clicks](wxCommandEvent& event) { clicks.emplace_back(event.GetId(), event.GetString()); });
    wxMouseEvent down(wxEVT_LEFT_DOWN);
    button->GetEventHandler()->ProcessEvent(down);
    EXPECT_TRUE(clicks.empty());  // posted, delivered by the event loop
    veqfake::PumpUntil([&clicks]() { return !clicks.empty(); });
    veqfake::PumpBriefly();
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].first, 77);
    EXPECT_EQ(clicks[0].second, "Refresh");
    EXPECT_EQ(button->GetText(), "Refresh");
    wxMouseEvent up(wxEVT_LEFT_UP);
    button->GetEventHandler()->ProcessEvent(up);
    veqfake::PumpBriefly();
    EXPECT_EQ(clicks.size(), 1u);  // the release reports nothing
}

TEST_F(ToolbarButtonTest, LabelIsTheAccessibilityTitle) {
    ToolbarButton* button = Make();
    button->SetText("Delete");
    EXPECT_EQ(button->GetLabel(), "Delete");
    EXPECT_EQ(VEQAutomation::GetAccessibilityTitle(button->GetHandle()), "Delete");
}

struct AttributeRow {
    const char* name;
    wxMacAccNamedAttrEvent::Output output;
    const char* text;
    bool flag;
};

TEST_F(ToolbarButtonTest, AnswersAttributeQueriesAsAButton) {
    ToolbarButton* button = Make(wxSize(60, 20));
    button->SetText("Scan");
    int reachedBase = 0;
    button->Bind(wxEVT_MAC_ACC_GETNAMEDATTRIBUTE, [&reachedBase](wxMacAccNamedAttrEvent&) { ++reachedBase; });
    const AttributeRow rows[] = {
        {"AXRole", wxMacAccNamedAttrEvent::Output::String, "AXButton", false},
        {"AXRoleDescription", wxMacAccNamedAttrEvent::Output::String, "button", false},
        {"AXTitle", wxMacAccNamedAttrEvent::Output::String, "Scan", false},
        {"AXEnabled", wxMacAccNamedAttrEvent::Output::Bool, "", true},
        {"AXFocused", wxMacAccNamedAttrEvent::Output::Bool, "", false},
    };
    for (const AttributeRow& row : rows) {
        wxMacAccNamedAttrEvent query(wxEVT_MAC_ACC_GETNAMEDATTRIBUTE, button, row.name);
        EXPECT_TRUE(button->ProcessEvent(query)) << row.name;
        EXPECT_EQ(query.GetOutputType(), row.output) << row.name;
        if (row.output == wxMacAccNamedAttrEvent::Output::String) {
            EXPECT_EQ(query.GetStringOutput(), row.text) << row.name;
        } else {
            EXPECT_EQ(query.GetBoolOutput(), row.flag) << row.name;
        }
    }
    EXPECT_EQ(reachedBase, 0);
    button->SetText("Scan again");
    button->Disable();
    wxMacAccNamedAttrEvent title(wxEVT_MAC_ACC_GETNAMEDATTRIBUTE, button, "AXTitle");
    button->ProcessEvent(title);
    EXPECT_EQ(title.GetStringOutput(), "Scan again");
    wxMacAccNamedAttrEvent enabled(wxEVT_MAC_ACC_GETNAMEDATTRIBUTE, button, "AXEnabled");
    button->ProcessEvent(enabled);
    EXPECT_FALSE(enabled.GetBoolOutput());
    // An attribute it does not know goes on to the default handling.
    wxMacAccNamedAttrEvent other(wxEVT_MAC_ACC_GETNAMEDATTRIBUTE, button, "AXValue");
    button->ProcessEvent(other);
    EXPECT_EQ(other.GetOutputType(), wxMacAccNamedAttrEvent::Output::None);
    EXPECT_EQ(reachedBase, 1);
}

TEST_F(ToolbarButtonTest, FocusedAnswerFollowsTheFocus) {
    ToolbarButton* button = Make(wxSize(60, 20));
    button->SetFocus();
    veqfake::PumpBriefly();
    wxMacAccNamedAttrEvent focused(wxEVT_MAC_ACC_GETNAMEDATTRIBUTE, button, "AXFocused");
    button->ProcessEvent(focused);
    EXPECT_EQ(focused.GetBoolOutput(), wxWindow::FindFocus() == button);
}

TEST_F(ToolbarButtonTest, NamesListsOfAttributesAndActions) {
    ToolbarButton* button = Make();
    int reachedBase = 0;
    button->Bind(wxEVT_MAC_ACC_GETALLATTRIBUTENAMES, [&reachedBase](wxMacAccGetNamesEvent&) { ++reachedBase; });
    wxMacAccGetNamesEvent attributes(wxEVT_MAC_ACC_GETALLATTRIBUTENAMES, button);
    EXPECT_FALSE(button->ProcessEvent(attributes));  // reported as not handled
    EXPECT_EQ(attributes.GetNames(), wxArrayString(2, std::vector<wxString>{"AXFocused", "AXTitle"}.data()));
    EXPECT_EQ(reachedBase, 0);
    wxMacAccGetNamesEvent actions(wxEVT_MAC_ACC_GETALLACTIONNAMES, button);
    EXPECT_TRUE(button->ProcessEvent(actions));
    ASSERT_EQ(actions.GetNames().size(), 1u);
    EXPECT_EQ(actions.GetNames()[0], "AXPressAction");
}

TEST_F(ToolbarButtonTest, PressActionSendsAButtonEventToTheParentAtOnce) {
    ToolbarButton* button = Make();
    std::vector<std::pair<int, wxObject*>> presses;
    m_frame->Bind(wxEVT_BUTTON, [&presses](wxCommandEvent& event) { presses.emplace_back(event.GetId(), event.GetEventObject()); });
    int reachedBase = 0;
    button->Bind(wxEVT_MAC_ACC_PERFORMNAMEDACTION, [&reachedBase](wxMacAccNamedAttrEvent&) { ++reachedBase; });
    wxMacAccNamedAttrEvent press(wxEVT_MAC_ACC_PERFORMNAMEDACTION, button, "AXPressAction");
    EXPECT_TRUE(button->ProcessEvent(press));
    ASSERT_EQ(presses.size(), 1u);  // synchronously
    EXPECT_EQ(presses[0].first, 77);
    EXPECT_EQ(presses[0].second, button);
    EXPECT_EQ(reachedBase, 0);
    wxMacAccNamedAttrEvent other(wxEVT_MAC_ACC_PERFORMNAMEDACTION, button, "AXShowMenu");
    button->ProcessEvent(other);
    EXPECT_EQ(presses.size(), 1u);
    EXPECT_EQ(reachedBase, 1);
}

TEST_F(ToolbarButtonTest, SeparatorRunsThroughTheMiddleOfTheLongerSide) {
    struct Row {
        wxSize size;
        wxPoint onLine, beside;
    } rows[] = {
        {wxSize(10, 30), wxPoint(4, 15), wxPoint(6, 15)},
        {wxSize(30, 10), wxPoint(15, 4), wxPoint(15, 6)},
    };
    for (const Row& row : rows) {
        ToolbarButton* button = Make(row.size);
        wxBitmap canvas(row.size.x, row.size.y, 24);
        {
            wxMemoryDC dc(canvas);
            dc.SetBackground(*wxWHITE_BRUSH);
            dc.Clear();
            button->DrawSeparator(dc);
        }
        const wxImage image = canvas.ConvertToImage();
        const wxColour grey = wxGREY_PEN->GetColour();
        EXPECT_EQ(image.GetRed(row.onLine.x, row.onLine.y), grey.Red()) << row.size.x;
        EXPECT_EQ(image.GetRed(row.onLine.x + (row.size.x < row.size.y), row.onLine.y + (row.size.x >= row.size.y)), grey.Red());
        EXPECT_EQ(image.GetRed(row.beside.x, row.beside.y), 255) << row.size.x;
    }
}

}  // namespace
