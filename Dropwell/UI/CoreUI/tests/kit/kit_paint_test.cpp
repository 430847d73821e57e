// Painting helpers drawn into memory bitmaps and read back pixel by pixel.
#include <gtest/gtest.h>

#include <wx/dcmemory.h>
#include <wx/image.h>

#include "CUPaintDC.h"
#include "WxTestApp.h"

namespace {

using VEQ::CUPaintDC;

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};
std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "(" << c.r << "," << c.g << "," << c.b << ")";
}

// A white canvas to paint on; Pixel reads the painted result.
class Canvas {
public:
    Canvas(int width, int height) : m_bitmap(width, height, 24) {
        m_dc.SelectObject(m_bitmap);
        m_dc.SetBackground(*wxWHITE_BRUSH);
        m_dc.Clear();
    }
    wxMemoryDC& Dc() { return m_dc; }
    Rgb Pixel(int x, int y) {
        if (!m_image.IsOk()) {
            m_dc.SelectObject(wxNullBitmap);
            m_image = m_bitmap.ConvertToImage();
        }
        return {m_image.GetRed(x, y), m_image.GetGreen(x, y), m_image.GetBlue(x, y)};
    }

private:
    wxBitmap m_bitmap;
    wxMemoryDC m_dc;
    wxImage m_image;
};

// A bitmap of columns (or rows) of solid colours, each `band` pixels wide.
wxBitmap Stripes(const std::vector<wxColour>& colours, int band, int across, bool horizontal) {
    const int length = static_cast<int>(colours.size()) * band;
    wxBitmap bitmap(horizontal ? length : across, horizontal ? across : length, 24);
    wxMemoryDC dc(bitmap);
    for (size_t i = 0; i < colours.size(); ++i) {
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.SetBrush(wxBrush(colours[i]));
        const int at = static_cast<int>(i) * band;
        if (horizontal) {
            dc.DrawRectangle(at, 0, band, across);
        } else {
            dc.DrawRectangle(0, at, across, band);
        }
    }
    return bitmap;
}

class KitPaint : public testing::Test {
protected:
    void SetUp() override { veqfake::EnsureWxApp(); }
};

struct GradientRow {
    wxDirection dir;
    wxRect rect;
    wxPoint firstBand, lastBand;
    Rgb first, last;
};

TEST_F(KitPaint, GradientRunsFromColourToColourInEachDirection) {
    const wxColour black(0, 0, 0), white(255, 255, 255);
    const GradientRow rows[] = {
        {wxDOWN, wxRect(0, 0, 4, 6), {1, 0}, {1, 5}, {0, 0, 0}, {255, 255, 255}},
        {wxUP, wxRect(0, 0, 4, 6), {1, 0}, {1, 5}, {255, 255, 255}, {0, 0, 0}},
        {wxRIGHT, wxRect(0, 0, 6, 4), {0, 1}, {5, 1}, {0, 0, 0}, {255, 255, 255}},
        {wxLEFT, wxRect(0, 0, 6, 4), {0, 1}, {5, 1}, {255, 255, 255}, {0, 0, 0}},
    };
    for (const GradientRow& row : rows) {
        Canvas canvas(8, 8);
        CUPaintDC::DoGradientFillLinear(&canvas.Dc(), row.rect, black, white, row.dir);
        EXPECT_EQ(canvas.Pixel(row.firstBand.x, row.firstBand.y), row.first) << row.dir;
        EXPECT_EQ(canvas.Pixel(row.lastBand.x, row.lastBand.y), row.last) << row.dir;
    }
    Canvas halfway(8, 8);
    CUPaintDC::DoGradientFillLinear(&halfway.Dc(), wxRect(0, 0, 3, 1), wxColour(0, 100, 200),
                                    wxColour(200, 100, 0), wxRIGHT);
    EXPECT_EQ(halfway.Pixel(1, 0), (Rgb{100, 100, 100}));
}

TEST_F(KitPaint, GradientOverOnePixelBandTakesTheFirstColour) {
    for (wxDirection dir : {wxDOWN, wxRIGHT}) {
        Canvas canvas(4, 4);
        CUPaintDC::DoGradientFillLinear(&canvas.Dc(), wxRect(1, 1, 1, 1), *wxRED, *wxBLUE, dir);
        EXPECT_EQ(canvas.Pixel(1, 1), (Rgb{255, 0, 0})) << dir;
        EXPECT_EQ(canvas.Pixel(2, 2), (Rgb{255, 255, 255})) << dir;
    }
}

TEST_F(KitPaint, ColourScaleStepsInIntegersAndStaysInside) {
    Canvas canvas(8, 3);
    VEQ::paintColorScale(&canvas.Dc(), wxColour(0, 0, 0), wxColour(30, 60, 90), wxRect(1, 0, 4, 2), true);
    EXPECT_EQ(canvas.Pixel(1, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(canvas.Pixel(2, 0), (Rgb{10, 20, 30}));
    EXPECT_EQ(canvas.Pixel(4, 1), (Rgb{30, 60, 90}));
    EXPECT_EQ(canvas.Pixel(5, 0), (Rgb{255, 255, 255}));
    EXPECT_EQ(canvas.Pixel(1, 2), (Rgb{255, 255, 255}));
    Canvas single(3, 3);
    VEQ::paintColorScale(&single.Dc(), *wxRED, *wxBLUE, wxRect(0, 0, 3, 1), false);
    EXPECT_EQ(single.Pixel(1, 0), (Rgb{255, 0, 0}));
}

TEST_F(KitPaint, BitmapFillPutsTheThreeSlicesInPlace) {
    const wxColour left(255, 0, 0), middle(0, 255, 0), right(0, 0, 255);
    for (bool horizontal : {true, false}) {
        SCOPED_TRACE(horizontal ? "horizontal" : "vertical");
        Canvas canvas(horizontal ? 24 : 4, horizontal ? 4 : 24);
        const wxBitmap slices = Stripes({left, middle, right}, 2, 4, horizontal);
        CUPaintDC::bitmapFill(&canvas.Dc(), slices, horizontal ? wxRect(2, 0, 20, 4) : wxRect(0, 2, 4, 20),
                              false, horizontal);
        auto at = [&](int along) { return horizontal ? canvas.Pixel(along, 1) : canvas.Pixel(1, along); };
        EXPECT_EQ(at(1), (Rgb{255, 255, 255}));
        EXPECT_EQ(at(2), (Rgb{255, 0, 0}));
        EXPECT_EQ(at(3), (Rgb{255, 0, 0}));
        for (int along = 4; along <= 18; ++along) EXPECT_EQ(at(along), (Rgb{0, 255, 0})) << along;
        // The last third and one pixel of the bitmap close the run.
        EXPECT_EQ(at(19), (Rgb{0, 255, 0}));
        EXPECT_EQ(at(20), (Rgb{0, 0, 255}));
        EXPECT_EQ(at(21), (Rgb{0, 0, 255}));
        EXPECT_EQ(at(22), (Rgb{255, 255, 255}));
    }
}

TEST_F(KitPaint, FillsWithTinyBitmapsEndAndRepeatThem) {
    for (int band : {1, 2}) {
        Canvas canvas(10, 2);
        const wxBitmap tiny = Stripes({wxColour(9, 9, 9)}, band, 2, true);
        CUPaintDC::bitmapFill(&canvas.Dc(), tiny, wxRect(0, 0, 7, 2), false, true);
        CUPaintDC::bitmapFill(&canvas.Dc(), wxNullBitmap, wxRect(0, 0, 7, 2), false, true);
        EXPECT_EQ(canvas.Pixel(6, 0), (Rgb{9, 9, 9})) << band;
        EXPECT_EQ(canvas.Pixel(7, 0), (Rgb{255, 255, 255})) << band;
    }
}

TEST_F(KitPaint, BitmapRepeatCutsTheLastCopyAtTheEnd) {
    Canvas canvas(12, 2);
    const wxBitmap pair = Stripes({wxColour(255, 0, 0), wxColour(0, 0, 255)}, 2, 2, true);
    CUPaintDC::bitmapRepeat(&canvas.Dc(), pair, wxRect(1, 0, 9, 2), false, true);
    const Rgb red{255, 0, 0}, blue{0, 0, 255}, white{255, 255, 255};
    const Rgb expected[] = {white, red, red, blue, blue, red, red, blue, blue, red, white};
    for (int x = 0; x < 11; ++x) EXPECT_EQ(canvas.Pixel(x, 0), expected[x]) << x;
}

TEST_F(KitPaint, RectanglesAndFramesLeaveThePenAndBrushAlone) {
    Canvas canvas(10, 10);
    wxMemoryDC& dc = canvas.Dc();
    dc.SetPen(*wxGREEN_PEN);
    dc.SetBrush(*wxCYAN_BRUSH);
    CUPaintDC::FillSolidRect(&dc, 0, 0, 4, 4, wxColour(200, 0, 0));
    CUPaintDC::FillSolidRect(&dc, wxRect(5, 0, 4, 4), wxColour(0, 200, 0), false);
    CUPaintDC::Draw3dRect(&dc, wxRect(0, 5, 5, 5), wxColour(10, 10, 10), wxColour(90, 90, 90));
    EXPECT_EQ(dc.GetPen().GetColour(), wxGREEN_PEN->GetColour());
    EXPECT_EQ(dc.GetBrush().GetColour(), wxCYAN_BRUSH->GetColour());
    EXPECT_EQ(canvas.Pixel(2, 0), (Rgb{0, 0, 0}));     // the four-integer form draws the top line
    EXPECT_EQ(canvas.Pixel(2, 1), (Rgb{200, 0, 0}));
    EXPECT_EQ(canvas.Pixel(6, 0), (Rgb{0, 200, 0}));   // no top line asked for
    EXPECT_EQ(canvas.Pixel(2, 5), (Rgb{10, 10, 10}));  // top
    EXPECT_EQ(canvas.Pixel(0, 7), (Rgb{10, 10, 10}));  // left
    EXPECT_EQ(canvas.Pixel(2, 9), (Rgb{90, 90, 90}));  // bottom
    EXPECT_EQ(canvas.Pixel(4, 7), (Rgb{90, 90, 90}));  // right
    EXPECT_EQ(canvas.Pixel(2, 7), (Rgb{255, 255, 255}));
}

TEST_F(KitPaint, FocusRectangleDotsEverySecondPixel) {
    Canvas canvas(8, 8);
    canvas.Dc().SetPen(*wxBLACK_PEN);
    CUPaintDC::DrawFocus(&canvas.Dc(), 0, 0, 6, 6);
    EXPECT_EQ(canvas.Pixel(0, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(canvas.Pixel(1, 0), (Rgb{255, 255, 255}));
    EXPECT_EQ(canvas.Pixel(2, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(canvas.Pixel(6, 4), (Rgb{0, 0, 0}));
    EXPECT_EQ(canvas.Pixel(6, 3), (Rgb{255, 255, 255}));
    EXPECT_EQ(canvas.Pixel(3, 3), (Rgb{255, 255, 255}));
}

}  // namespace
