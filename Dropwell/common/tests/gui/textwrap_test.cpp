// Text wrapping measured with a real window's font: lines that fit, words
// and characters that do not, widths below one character, a height limit and
// character wrapping under a Japanese locale.
#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/frame.h>
#include <wx/init.h>
#include <wx/intl.h>

#include <memory>

#include "VEQHelper.h"

namespace {

class Toolkit : public ::testing::Environment {
public:
    void SetUp() override {
        static char name[] = "textwrap_test";
        static char* argv[] = {name, nullptr};
        static int argc = 1;
        wxApp::SetInstance(new wxApp);
        ASSERT_TRUE(wxEntryStart(argc, argv));
    }
    void TearDown() override { wxEntryCleanup(); }
};
const auto* const g_toolkit = ::testing::AddGlobalTestEnvironment(new Toolkit);

class TextWrapTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_frame = new wxFrame(nullptr, wxID_ANY, "wrap");
        // Fixed-width characters, so that widths are whole numbers of characters.
        m_frame->SetFont(wxFont(wxFontInfo(12).Family(wxFONTFAMILY_TELETYPE)));
    }
    void TearDown() override { m_frame->Destroy(); }

    int Width(const wxString& text) const { return m_frame->GetTextExtent(text).GetWidth(); }
    int Height(const wxString& text) const { return m_frame->GetTextExtent(text).GetHeight(); }
    wxString Words(wxString text, int width) const { return VEQHelper::WrapString(text, m_frame, width); }
    wxString Chars(const wxString& text, int width, int maxHeight = -1) const {
        return VEQHelper::WrapLongName(text, m_frame, width, maxHeight);
    }

    wxFrame* m_frame = nullptr;
};

TEST_F(TextWrapTest, WordWrapping) {
    struct Case {
        const char* text;
        const char* widthOf;  // the width is this text's, plus extra pixels
        int extra;
        const char* expected;
    } cases[] = {
        {"fits on one line", "fits on one line", 0, "fits on one line"},
        {"  trimmed text  ", "trimmed text", 0, "trimmed text"},
        {"word word word word word", "word word", 0, "word word\nword word\nword"},
        {"Supercalifragilistic is long", "is long", 0, "Supercalifragilistic\nis long"},
        {"a Supercalifragilistic b", "a b", 0, "a\nSupercalifragilistic\nb"},
        {"one two", "o", -100, "one\ntwo"},
    };
    for (const Case& c : cases) {
        wxString text = c.text;
        EXPECT_EQ(VEQHelper::WrapString(text, m_frame, Width(c.widthOf) + c.extra), c.expected) << c.text;
        EXPECT_EQ(text, wxString(c.text).Trim(true).Trim(false)) << "trimmed in place";
    }
    EXPECT_EQ(Words("", 10), "");
}

TEST_F(TextWrapTest, TextWithoutBlanksIsWrappedByCharacters) {
    EXPECT_EQ(Words("abcdefgh", Width("abcd") + 1), "abcd\nefgh");
}

TEST_F(TextWrapTest, CharacterWrapping) {
    struct Case {
        const char* text;
        int width;
        int maxHeight;
        const char* expected;
    } cases[] = {
        {"abcdefgh", Width("abcdefgh"), -1, "abcdefgh"},
        {"abcdefgh", Width("abcd") + 1, -1, "abcd\nefgh"},
        {"abcdefghij", Width("abcd") + 1, -1, "abcd\nefgh\nij"},
        // Below one character: one character per line, never an endless loop.
        {"abc", 1, -1, "a\nb\nc"},
        {"abc", 0, -1, "a\nb\nc"},
        {"abc", -20, -1, "a\nb\nc"},
        {"abcdefghij", Width("abcd") + 1, Height("abcd"), "abcd"},
        {"abcdefghij", Width("abcd") + 1, 2 * Height("abcd"), "abcd\nefgh"},
        {"", 0, -1, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Chars(c.text, c.width, c.maxHeight), c.expected) << c.text << " width " << c.width;
}

TEST_F(TextWrapTest, JapaneseLocaleWrapsByCharactersEvenWithBlanks) {
    const wxString text = "ab cd ef gh";
    const int width = Width("abcd") + 1;
    const wxString byWords = Words(text, width);
    std::unique_ptr<wxLocale> locale(new wxLocale);
    ASSERT_TRUE(locale->Init(wxLANGUAGE_JAPANESE, wxLOCALE_DONT_LOAD_DEFAULT));
    const wxString byCharacters = Words(text, width);
    EXPECT_EQ(byCharacters, Chars(text, width));
    EXPECT_EQ(byCharacters, "ab c\nd ef\n gh");
    EXPECT_NE(byCharacters, byWords);
}

}  // namespace
