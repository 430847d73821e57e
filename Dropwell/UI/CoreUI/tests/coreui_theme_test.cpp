#include <gtest/gtest.h>

#include "Theme.h"

namespace {

struct ColourRow {
    wxColour ITheme::*member;
    unsigned char red, green, blue;
};

TEST(Theme, DefaultSetHoldsTheTwelveColoursInOrder) {
    const ColourRow rows[] = {
        {&ITheme::m_background, 255, 255, 255},      {&ITheme::m_accent, 0x3B, 0x95, 0xF9},
        {&ITheme::m_lightBorder, 0xDD, 0xDD, 0xDD},  {&ITheme::m_alert, 0xC8, 0x14, 0x14},
        {&ITheme::m_paleBackground, 0xF9, 0xFA, 0xFA}, {&ITheme::m_selectionFocused, 0x6C, 0xAD, 0xE5},
        {&ITheme::m_selectionUnfocused, 0xD8, 0xD8, 0xD8}, {&ITheme::m_text, 0, 0, 0},
        {&ITheme::m_white, 255, 255, 255},           {&ITheme::m_buttonHover, 0xE6, 0xF3, 0xFF},
        {&ITheme::m_buttonNormal, 255, 255, 255},    {&ITheme::m_aboutText, 0x4A, 0x4A, 0x4B},
    };
    auto theme = Theme::Get();
    for (size_t i = 0; i < sizeof(rows) / sizeof(rows[0]); ++i) {
        const wxColour& colour = (*theme).*(rows[i].member);
        SCOPED_TRACE("theme colour " + std::to_string(i));
        ASSERT_TRUE(colour.IsOk());
        EXPECT_EQ(colour.Red(), rows[i].red);
        EXPECT_EQ(colour.Green(), rows[i].green);
        EXPECT_EQ(colour.Blue(), rows[i].blue);
        EXPECT_EQ(colour.Alpha(), wxALPHA_OPAQUE);
    }
}

TEST(Theme, WhiteColoursAgreeWithTheBackground) {
    auto theme = Theme::Get();
    EXPECT_EQ(theme->m_white, theme->m_background);
    EXPECT_EQ(theme->m_buttonNormal, theme->m_background);
}

TEST(Theme, EveryCallSharesOneColourSet) {
    auto first = Theme::Get();
    auto second = Theme::Get();
    EXPECT_EQ(first.get(), second.get());
    EXPECT_GE(first.use_count(), 3);  // the theme itself and both callers
}

}  // namespace
