// The about box: its lines, its picture and where the text scrolls.
#include <gtest/gtest.h>

#include <wx/dcmemory.h>
#include <wx/settings.h>
#include <wx/weakref.h>

#include "AboutScreen.h"
#include "Theme.h"
#include "VEQSplashScreen.h"
#include "WxTestApp.h"

namespace {

class AboutScreen : public testing::Test {
protected:
    void SetUp() override { veqfake::EnsureWxApp(); }
};

TEST_F(AboutScreen, LinesStartWithTheVersionAndFitThreeHundredPixels) {
    const wxArrayString lines = AboutScreenLines();
    ASSERT_GE(lines.size(), 10u);
    EXPECT_EQ(lines[0], "Version: 6.7.1.3");
    EXPECT_EQ(lines.Last(), "");
    wxBitmap canvas(1, 1);
    wxMemoryDC dc(canvas);
    const wxString face = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT).GetFaceName();
    dc.SetFont(wxFont(9, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, false, face));
    for (const wxString& line : lines) {
        EXPECT_LE(dc.GetTextExtent(line).x, 300) << line;
    }
}

TEST_F(AboutScreen, OpensOverThePictureWithTenLinesScrollingInTheThemeColour) {
    wxFrame parent(nullptr, wxID_ANY, "Veqora");
    parent.Show();
    wxWeakRef<VEQ::VEQSplashScreen> about = OpenAboutScreen(&parent);
    ASSERT_TRUE(about);
    EXPECT_TRUE(about->IsShown());
    EXPECT_EQ(about->GetSize(), wxSize(502, 460));
    const wxRect region = about->GetScrollRect();
    EXPECT_EQ(region.height, 120);
    EXPECT_EQ(region.y, 310);  // centred on 370
    EXPECT_GE(region.x, 26);
    EXPECT_LE(region.GetRight(), 502 - 26);
    // The text is drawn in theme colour 11 on a transparent background.
    const wxImage text = about->GetScrollBitmap().ConvertToImage();
    ASSERT_TRUE(text.HasAlpha());
    const wxColour colour = Theme::Get()->m_aboutText;
    EXPECT_EQ(text.GetRed(0, 0), colour.Red());
    EXPECT_EQ(text.GetBlue(0, 0), colour.Blue());
    about->Close(true);
    EXPECT_TRUE(veqfake::PumpUntil([&about]() {
        wxTheApp->ProcessIdle();
        return !about;
    }));
}

}  // namespace
