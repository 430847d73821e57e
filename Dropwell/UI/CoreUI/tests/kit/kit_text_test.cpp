// Shortening text with "..." and dividing it into lines.
#include <gtest/gtest.h>

#include <memory>

#include <wx/dcmemory.h>
#include <wx/frame.h>

#include "CUPaintDC.h"
#include "KitText.h"
#include "WxTestApp.h"

namespace {

// Every character 10 pixels wide, so widths are easy to reason about.
int TenPerCharacter(const wxString& text) {
    return static_cast<int>(text.length()) * 10;
}

struct TruncateRow {
    const char* text;
    int width;
    bool middle;
    bool firstLacksLast;
    const char* result;
};

TEST(KitText, TruncateToWidthInBothModes) {
    const TruncateRow rows[] = {
        {"abcdefgh", 70, false, false, "abcd..."},
        {"abcdefgh", 60, false, false, "abc..."},
        {"abcdefgh", 40, false, false, "a..."},
        {"abcdefgh", 30, false, false, "..."},  // "..." alone no narrower than the width
        {"abcdefgh", 20, false, false, "..."},
        {"abcdefgh", 100, false, true, "abcdefg..."},  // first candidate lacks the last character
        {"abcdefgh", 70, true, false, "ab...gh"},
        {"abcdefgh", 60, true, false, "a...gh"},  // the left part loses first
        {"abcdefgh", 50, true, false, "a...h"},
        {"abcdefghi", 110, true, false, "abcd...fghi"},
        {"a", 40, true, false, ""},  // nothing to keep on either side
    };
    for (const TruncateRow& row : rows) {
        EXPECT_EQ(VEQ::TruncateToWidth(TenPerCharacter, row.text, row.width, row.middle, row.firstLacksLast),
                  row.result)
            << row.text << " in " << row.width << (row.middle ? " middle" : " end");
    }
}

class KitTextOnScreen : public testing::Test {
protected:
    void SetUp() override {
        veqfake::EnsureWxApp();
        m_canvas = std::make_unique<wxBitmap>(10, 10);
        m_memory = std::make_unique<wxMemoryDC>(*m_canvas);
        m_memory->SetFont(*wxNORMAL_FONT);
        m_dc = m_memory.get();
    }
    int Width(const wxString& text) { return m_dc->GetTextExtent(text).x; }

    std::unique_ptr<wxBitmap> m_canvas;
    std::unique_ptr<wxMemoryDC> m_memory;
    wxMemoryDC* m_dc = nullptr;
};

TEST_F(KitTextOnScreen, GetTruncateTextKeepsWhatFitsAndFallsBackToTheEllipsis) {
    const wxString text = "Scanned invoice for the accounting office";
    EXPECT_EQ(VEQ::CUPaintDC::GetTruncateText(m_dc, "", wxRect(0, 0, 2, 10), false), "");
    EXPECT_EQ(VEQ::CUPaintDC::GetTruncateText(m_dc, text, wxRect(0, 0, Width(text), 10), false), text);
    EXPECT_EQ(VEQ::CUPaintDC::GetTruncateText(m_dc, text, wxRect(0, 0, Width("...") - 1, 10), true), "...");
    for (bool middle : {false, true}) {
        const int width = Width(text) / 2;
        const wxString shortened = VEQ::CUPaintDC::GetTruncateText(m_dc, text, wxRect(0, 0, width, 10), middle);
        EXPECT_LE(Width(shortened), width);
        EXPECT_TRUE(shortened.Contains("...")) << shortened;
        EXPECT_TRUE(shortened.StartsWith("Scan")) << shortened;
        EXPECT_EQ(shortened.EndsWith("office"), middle) << shortened;
    }
}

TEST_F(KitTextOnScreen, CUTruncateTextShortensTextThatFitsOnlyWithoutTheEllipsis) {
    wxFrame frame(nullptr, wxID_ANY, "kit");
    frame.SetFont(*wxNORMAL_FONT);
    const wxString text = "Mailbox of the front desk";
    const int textWidth = frame.GetTextExtent(text).x;
    wxString roomy = text;
    VEQ::CUTruncateText(&frame, wxSize(textWidth + frame.GetTextExtent("...").x, 10), roomy, false);
    EXPECT_EQ(roomy, text);
    wxString tight = text;
    VEQ::CUTruncateText(&frame, wxSize(textWidth, 10), tight, false);
    EXPECT_TRUE(tight.EndsWith("...")) << tight;
    EXPECT_LE(frame.GetTextExtent(tight).x, textWidth);
}

TEST_F(KitTextOnScreen, DivideStringsFillsLinesGreedily) {
    wxString text = "one two three four five six seven";
    const int width = Width("one two three");
    wxArrayString lines;
    VEQ::CUDivideStrings(m_dc, wxSize(width, 100), text, lines);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "one two three");
    wxString joined;
    for (const wxString& line : lines) {
        EXPECT_LE(Width(line), width) << line;
        EXPECT_FALSE(line.EndsWith(" ")) << line;
        joined += (joined.empty() ? "" : " ") + line;
    }
    EXPECT_EQ(joined, text);
}

TEST_F(KitTextOnScreen, DivideStringsCutsAWordWiderThanTheLine) {
    wxString text = "ab Supercalifragilistic cd";
    const int width = Width("Supercal");
    wxArrayString lines;
    VEQ::CUDivideStrings(m_dc, wxSize(width, 100), text, lines);
    wxString letters;
    for (const wxString& line : lines) {
        EXPECT_LE(Width(line), width) << line;
        letters += line;
    }
    letters.Replace(" ", "");
    EXPECT_EQ(letters, "abSupercalifragilisticcd");
    EXPECT_EQ(lines.front(), "ab");
}

TEST_F(KitTextOnScreen, DivideStringsEndsWhenNotEvenOneCharacterFits) {
    for (int width : {0, 1, -5}) {
        wxString text = "Mail box";
        wxArrayString lines;
        VEQ::CUDivideStrings(m_dc, wxSize(width, 100), text, lines);
        EXPECT_EQ(lines.size(), 7u) << width;  // one character to a line
    }
}

}  // namespace
