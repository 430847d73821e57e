// The splash window: where its text region lies, how it scrolls and wraps, and
// how it closes, also when its parent is going away.
#include <gtest/gtest.h>

#include <wx/frame.h>
#include <wx/weakref.h>

#include "VEQSplashScreen.h"
#include "WxTestApp.h"

namespace {

using VEQ::VEQSplashScreen;

struct RegionRow {
    wxSize picture;
    wxPoint centre;
    size_t lines;
    int width;
    wxRect region;
};

TEST(SplashGeometry, TextRegionIsCentredAndPulledInsideByTheMargin) {
    const RegionRow rows[] = {
        {{502, 460}, {251, 370}, 5, 300, {101, 340, 300, 60}},    // 12 pixels a line
        {{502, 460}, {251, 370}, 25, 300, {101, 310, 300, 120}},  // at most ten lines
        {{502, 460}, {251, 450}, 25, 300, {101, 314, 300, 120}},  // near the bottom
        {{502, 460}, {251, 0}, 25, 300, {101, 26, 300, 120}},     // near the top
        {{502, 460}, {500, 370}, 25, 300, {176, 310, 300, 120}},  // near the right
        {{502, 460}, {0, 370}, 25, 300, {26, 310, 300, 120}},     // near the left
        {{100, 460}, {50, 370}, 2, 300, {26, 358, 300, 24}},      // wider than the picture: from the margin
    };
    for (const RegionRow& row : rows) {
        EXPECT_EQ(VEQ::SplashTextRegion(row.picture, row.centre, row.lines, 10, 26, row.width), row.region)
            << row.centre.x << "," << row.centre.y << " lines " << row.lines;
    }
}

struct SliceRow {
    int offset, region, text;
    int firstRow, firstHeight, secondHeight;
};

TEST(SplashGeometry, VisibleRowsWrapToTheFirstLine) {
    const SliceRow rows[] = {
        {0, 120, 300, 0, 120, 0},
        {180, 120, 300, 180, 120, 0},
        {250, 120, 300, 250, 50, 70},
        {299, 120, 300, 299, 1, 119},
        {10, 120, 50, 10, 40, 50},  // text shorter than the region
    };
    for (const SliceRow& row : rows) {
        const VEQ::SplashSlices slices = VEQ::SplashVisibleRows(row.offset, row.region, row.text);
        EXPECT_EQ(slices.firstRow, row.firstRow) << row.offset;
        EXPECT_EQ(slices.firstHeight, row.firstHeight) << row.offset;
        EXPECT_EQ(slices.secondHeight, row.secondHeight) << row.offset;
    }
}

class SplashWindow : public testing::Test {
protected:
    void SetUp() override {
        veqfake::EnsureWxApp();
        wxImage picture(200, 160);
        picture.SetRGB(wxRect(0, 0, 200, 160), 30, 60, 90);
        m_picture = wxBitmap(picture);
        for (int i = 0; i < 12; ++i) m_lines.Add(wxString::Format("Line number %d", i));
    }

    VEQSplashScreen* Open(wxWindow* parent, bool closeOnTimer, bool stayOpen, int interval = 0) {
        return new VEQSplashScreen(parent, wxID_ANY, closeOnTimer, interval, m_picture, m_lines, wxPoint(100, 80),
                                   10, 10, *wxBLACK, stayOpen);
    }
    void Tick(VEQSplashScreen* splash) { splash->TimerStep(); }
    bool Gone(const wxWeakRef<VEQSplashScreen>& splash) {
        // Closed windows are deleted when the application next goes idle.
        return veqfake::PumpUntil(
            [&splash]() {
                wxTheApp->ProcessIdle();
                return !splash;
            },
            std::chrono::seconds(5));
    }

    wxBitmap m_picture;
    wxArrayString m_lines;
};

TEST_F(SplashWindow, OpensCapturingTheMouseAndScrollsRowByRowWrappingAtTheEnd) {
    wxWeakRef<VEQSplashScreen> splash = Open(nullptr, false, true);
    EXPECT_TRUE(splash->IsShown());
    EXPECT_TRUE(splash->HasCapture());
    EXPECT_EQ(splash->GetSize(), wxSize(200, 160));
    EXPECT_EQ(splash->GetScrollRect().height, 120);
    // A picture without transparency is shown as it is outside the region.
    const wxImage shown = splash->GetShownBitmap().ConvertToImage();
    EXPECT_EQ(shown.GetRed(2, 2), 30);
    EXPECT_EQ(shown.GetBlue(2, 2), 90);
    const int height = splash->GetScrollBitmap().GetHeight();
    ASSERT_GT(height, 120);
    Tick(splash);
    EXPECT_EQ(splash->GetScrollOffset(), 1);
    for (int i = 1; i < height - 1; ++i) Tick(splash);
    EXPECT_EQ(splash->GetScrollOffset(), height - 1);
    Tick(splash);
    EXPECT_EQ(splash->GetScrollOffset(), 0);
    splash->Close(true);
    EXPECT_TRUE(Gone(splash));
    EXPECT_EQ(wxWindow::GetCapture(), nullptr);
}

TEST_F(SplashWindow, KeysAndClicksCloseItUnlessItStaysOpen) {
    for (bool stayOpen : {false, true}) {
        for (wxEventType type : {wxEventType(wxEVT_CHAR), wxEventType(wxEVT_LEFT_DOWN), wxEventType(wxEVT_RIGHT_DOWN)}) {
            wxWeakRef<VEQSplashScreen> splash = Open(nullptr, false, stayOpen);
            if (type == wxEVT_CHAR) {
                wxKeyEvent key(wxEVT_CHAR);
                splash->GetEventHandler()->ProcessEvent(key);
            } else {
                wxMouseEvent click(type);
                splash->GetEventHandler()->ProcessEvent(click);
            }
            if (!stayOpen) {
                EXPECT_TRUE(Gone(splash));
            }
            EXPECT_EQ(!splash, !stayOpen) << type << (stayOpen ? " staying" : "");
            if (splash) {
                splash->Destroy();
                EXPECT_TRUE(Gone(splash));
            }
            EXPECT_EQ(wxWindow::GetCapture(), nullptr);
        }
    }
}

TEST_F(SplashWindow, FirstTimerEventClosesAWindowThatClosesOnTheTimer) {
    wxWeakRef<VEQSplashScreen> splash = Open(nullptr, true, false, 50);
    EXPECT_TRUE(Gone(splash));
    wxWeakRef<VEQSplashScreen> kept = Open(nullptr, true, true, 50);
    veqfake::PumpUntil([&kept]() { return kept->GetScrollOffset() > 0; }, std::chrono::seconds(5));
    ASSERT_TRUE(kept);
    EXPECT_GT(kept->GetScrollOffset(), 0);  // after the pause it scrolls every 80 ms
    kept->Destroy();
    EXPECT_TRUE(Gone(kept));
}

TEST_F(SplashWindow, ParentGoingFirstTakesTheSplashAlongSafely) {
    auto* parent = new wxFrame(nullptr, wxID_ANY, "Veqora");
    parent->Show();
    wxWeakRef<VEQSplashScreen> splash = Open(parent, false, true);
    ASSERT_TRUE(splash->HasCapture());
    delete parent;
    EXPECT_TRUE(Gone(splash));
    EXPECT_EQ(wxWindow::GetCapture(), nullptr);
}

TEST_F(SplashWindow, ClosingGivesTheFocusBackToALiveParent) {
    wxFrame parent(nullptr, wxID_ANY, "Veqora");
    parent.Show();
    wxWeakRef<VEQSplashScreen> splash = Open(&parent, false, false);
    wxKeyEvent key(wxEVT_CHAR);
    splash->GetEventHandler()->ProcessEvent(key);
    EXPECT_TRUE(Gone(splash));
    EXPECT_TRUE(parent.IsShown());
    EXPECT_EQ(wxWindow::GetCapture(), nullptr);
}

}  // namespace
