// Veqora's renderer: list headers and data-view selections.
#include <gtest/gtest.h>

#include <wx/dataview.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/settings.h>

#include "OverridenRenderer.h"
#include "WxTestApp.h"

namespace {

wxColour PixelAt(const wxBitmap& bitmap, int x, int y) {
    const wxImage image = bitmap.ConvertToImage();
    return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}

class RendererTest : public testing::Test {
protected:
    void SetUp() override {
        veqfake::EnsureWxApp();
        m_renderer = std::make_unique<OverridenRenderer>();
        m_frame = new wxFrame(nullptr, wxID_ANY, "renderer");
        m_dataView = new wxDataViewCtrl(m_frame, wxID_ANY);
        m_inDataView = new wxWindow(m_dataView, wxID_ANY);
        m_plain = new wxWindow(m_frame, wxID_ANY);
    }
    void TearDown() override { m_frame->Destroy(); }

    // Draws on a white 60 x 40 bitmap, the rectangle at (10, 10) 40 x 20.
    template <typename Draw>
    wxBitmap Drawn(Draw draw) {
        wxBitmap bitmap(60, 40, 24);
        wxMemoryDC dc(bitmap);
        dc.SetBackground(*wxWHITE_BRUSH);
        dc.Clear();
        draw(dc, wxRect(10, 10, 40, 20));
        dc.SelectObject(wxNullBitmap);
        return bitmap;
    }

    std::unique_ptr<OverridenRenderer> m_renderer;
    wxFrame* m_frame = nullptr;
    wxDataViewCtrl* m_dataView = nullptr;
    wxWindow* m_inDataView = nullptr;
    wxWindow* m_plain = nullptr;
};

TEST_F(RendererTest, HeadersAre25PixelsHighWithoutMargin) {
    EXPECT_EQ(m_renderer->GetHeaderButtonHeight(m_plain), 25);
    EXPECT_EQ(m_renderer->GetHeaderButtonMargin(m_plain), 0);
}

TEST_F(RendererTest, AHeaderIsFlatWithAGreyRightEdgeAndALightGreyLineUnder) {
    const wxBitmap bitmap = Drawn([this](wxDC& dc, const wxRect& rect) {
        m_renderer->DrawHeaderButton(m_plain, dc, rect, 0, wxHDR_SORT_ICON_NONE, nullptr);
    });
    EXPECT_EQ(PixelAt(bitmap, 12, 12), wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
    EXPECT_EQ(PixelAt(bitmap, 49, 20), wxColour(128, 128, 128));
    EXPECT_EQ(PixelAt(bitmap, 30, 30), *wxLIGHT_GREY);
}

TEST_F(RendererTest, DataViewSelectionsTakeTheThemeColours) {
    const struct {
        const char* name;
        int flags;
        wxColour fill;
    } cases[] = {
        {"selected with focus", wxCONTROL_SELECTED | wxCONTROL_FOCUSED, wxColour("#6CADE5")},
        {"selected without focus", wxCONTROL_SELECTED, wxColour("#D8D8D8")},
        {"current row with focus, no focus rectangle",
         wxCONTROL_SELECTED | wxCONTROL_FOCUSED | wxCONTROL_CURRENT, wxColour("#6CADE5")},
        {"not selected", 0, *wxBLUE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const wxBitmap bitmap = Drawn([this, &c](wxDC& dc, const wxRect& rect) {
            m_renderer->DrawItemSelectionRect(m_inDataView, dc, rect, c.flags);
        });
        for (const wxPoint& point : {wxPoint(10, 10), wxPoint(30, 20), wxPoint(49, 29), wxPoint(11, 28)}) {
            EXPECT_EQ(PixelAt(bitmap, point.x, point.y), c.fill) << point.x << "," << point.y;
        }
        EXPECT_EQ(PixelAt(bitmap, 5, 5), *wxWHITE);
    }
}

TEST_F(RendererTest, AFocusRectangleIsNotDrawnInADataView) {
    const wxBitmap bitmap = Drawn([this](wxDC& dc, const wxRect& rect) {
        m_renderer->DrawFocusRect(m_inDataView, dc, rect, wxCONTROL_FOCUSED);
    });
    for (int x = 0; x < 60; ++x) {
        for (int y = 0; y < 40; ++y) {
            ASSERT_EQ(PixelAt(bitmap, x, y), *wxWHITE) << x << "," << y;
        }
    }
}

}  // namespace
