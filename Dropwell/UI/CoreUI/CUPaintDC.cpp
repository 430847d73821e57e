#include "CUPaintDC.h"

#include <algorithm>
#include <cmath>

#include <wx/dcmemory.h>

#include "KitText.h"

namespace VEQ {

namespace {

// Puts the pen and brush back when the operation ends.
class PenAndBrushKeeper {
public:
    explicit PenAndBrushKeeper(wxDC* dc) : m_dc(dc), m_pen(dc->GetPen()), m_brush(dc->GetBrush()) {}
    ~PenAndBrushKeeper() {
        m_dc->SetPen(m_pen);
        m_dc->SetBrush(m_brush);
    }

private:
    wxDC* m_dc;
    wxPen m_pen;
    wxBrush m_brush;
};

void Solid(wxDC* dc, int x, int y, int width, int height, const wxColour& colour) {
    dc->SetPen(*wxTRANSPARENT_PEN);
    dc->SetBrush(wxBrush(colour));
    dc->DrawRectangle(x, y, width, height);
}

unsigned char Blend(unsigned char from, unsigned char to, double share) {
    return static_cast<unsigned char>(std::lround(from + (to - from) * share));
}

// Copies the part of bitmap at source (x or y along the direction, given
// length) to the point along the direction in dc.
void CopySlice(wxDC* dc, wxMemoryDC& source, const wxBitmap& bitmap, const wxRect& rect, bool horizontal,
               int from, int length, int to, bool useMask) {
    if (length <= 0) return;
    if (horizontal) {
        dc->Blit(to, rect.y, length, std::min(bitmap.GetHeight(), rect.height), &source, from, 0, wxCOPY, useMask);
    } else {
        dc->Blit(rect.x, to, std::min(bitmap.GetWidth(), rect.width), length, &source, 0, from, wxCOPY, useMask);
    }
}

}  // namespace

void CUPaintDC::FillSolidRect(wxDC* dc, const wxRect& rect, const wxColour& colour, bool topLine) {
    PenAndBrushKeeper keep(dc);
    Solid(dc, rect.x, rect.y, rect.width, rect.height, colour);
    if (topLine) Solid(dc, rect.x, rect.y, rect.width, 1, *wxBLACK);
}

void CUPaintDC::FillSolidRect(wxDC* dc, int x, int y, int width, int height, const wxColour& colour) {
    FillSolidRect(dc, wxRect(x, y, width, height), colour, true);
}

void CUPaintDC::Draw3dRect(wxDC* dc, const wxRect& rect, const wxColour& topLeft, const wxColour& bottomRight) {
    PenAndBrushKeeper keep(dc);
    Solid(dc, rect.x, rect.y, rect.width, 1, topLeft);
    Solid(dc, rect.x, rect.y, 1, rect.height, topLeft);
    Solid(dc, rect.x, rect.y + rect.height - 1, rect.width, 1, bottomRight);
    Solid(dc, rect.x + rect.width - 1, rect.y, 1, rect.height, bottomRight);
}

void CUPaintDC::Draw3dRect(wxDC* dc, int x, int y, int width, int height, const wxColour& topLeft,
                           const wxColour& bottomRight) {
    Draw3dRect(dc, wxRect(x, y, width, height), topLeft, bottomRight);
}

void CUPaintDC::DrawText(wxDC* dc, const wxString& text, const wxRect& rect, int align, const wxFont* font,
                         const wxColour& colour, double angle, wxRect* bounds) {
    PenAndBrushKeeper keep(dc);
    const wxFont oldFont = dc->GetFont();
    const wxColour oldColour = dc->GetTextForeground();
    if (font && font->IsOk()) dc->SetFont(*font);
    dc->SetTextForeground(colour);
    if (angle != 0) {
        dc->DrawRotatedText(text, rect.x, rect.y, angle);
    } else {
        dc->DrawLabel(text, wxNullBitmap, rect, align, -1, bounds);
    }
    dc->SetFont(oldFont);
    dc->SetTextForeground(oldColour);
}

void CUPaintDC::bitmapFill(wxDC* dc, const wxBitmap& bitmap, const wxRect& rect, bool useMask, bool horizontal) {
    if (!bitmap.IsOk() || rect.width <= 0 || rect.height <= 0) return;
    const int third = (horizontal ? bitmap.GetWidth() : bitmap.GetHeight()) / 3;
    if (third < 1) {
        bitmapRepeat(dc, bitmap, rect, useMask, horizontal);
        return;
    }
    PenAndBrushKeeper keep(dc);
    wxMemoryDC source;
    source.SelectObjectAsSource(bitmap);
    const int start = horizontal ? rect.x : rect.y;
    const int end = start + (horizontal ? rect.width : rect.height);
    const int bitmapLength = horizontal ? bitmap.GetWidth() : bitmap.GetHeight();
    CopySlice(dc, source, bitmap, rect, horizontal, 0, third, start, useMask);
    for (int at = start + third; at < end - third; at += third) {
        CopySlice(dc, source, bitmap, rect, horizontal, third, third, std::min(at, end - 2 * third), useMask);
    }
    CopySlice(dc, source, bitmap, rect, horizontal, bitmapLength - third - 1, third + 1, end - third - 1, useMask);
}

void CUPaintDC::bitmapRepeat(wxDC* dc, const wxBitmap& bitmap, const wxRect& rect, bool useMask, bool horizontal) {
    if (!bitmap.IsOk() || rect.width <= 0 || rect.height <= 0) return;
    const int step = horizontal ? bitmap.GetWidth() : bitmap.GetHeight();
    if (step <= 0) return;
    PenAndBrushKeeper keep(dc);
    wxMemoryDC source;
    source.SelectObjectAsSource(bitmap);
    const int start = horizontal ? rect.x : rect.y;
    const int end = start + (horizontal ? rect.width : rect.height);
    for (int at = start; at < end; at += step) {
        CopySlice(dc, source, bitmap, rect, horizontal, 0, std::min(step, end - at), at, useMask);
    }
}

void CUPaintDC::DrawFocus(wxDC* dc, int left, int top, int right, int bottom) {
    PenAndBrushKeeper keep(dc);
    for (int x = left; x <= right; x += 2) {
        dc->DrawPoint(x, top);
        dc->DrawPoint(x, bottom);
    }
    for (int y = top; y <= bottom; y += 2) {
        dc->DrawPoint(left, y);
        dc->DrawPoint(right, y);
    }
}

void CUPaintDC::DoGradientFillLinear(wxDC* dc, const wxRect& rect, const wxColour& from, const wxColour& to,
                                     wxDirection dir) {
    if (rect.width <= 0 || rect.height <= 0) return;
    PenAndBrushKeeper keep(dc);
    const bool columns = dir == wxLEFT || dir == wxRIGHT;
    const bool swap = dir == wxUP || dir == wxLEFT;
    const wxColour& first = swap ? to : from;
    const wxColour& last = swap ? from : to;
    const int bands = columns ? rect.width : rect.height;
    for (int band = 0; band < bands; ++band) {
        // A single band has nothing to interpolate over: it takes the first colour.
        const double share = bands > 1 ? static_cast<double>(band) / (bands - 1) : 0.0;
        const wxColour colour(Blend(first.Red(), last.Red(), share), Blend(first.Green(), last.Green(), share),
                              Blend(first.Blue(), last.Blue(), share));
        if (columns) {
            Solid(dc, rect.x + band, rect.y, 1, rect.height, colour);
        } else {
            Solid(dc, rect.x, rect.y + band, rect.width, 1, colour);
        }
    }
}

wxString CUPaintDC::GetTruncateText(wxDC* dc, const wxString& text, const wxRect& rect, bool middle) {
    auto width = [dc](const wxString& candidate) { return dc->GetTextExtent(candidate).x; };
    if (text.empty()) return wxString();
    if (width(text) <= rect.width) return text;
    return TruncateToWidth(width, text, rect.width, middle, false);
}

void CUPaintDC::DrawTextTruncate(wxDC* dc, const wxString& text, const wxRect& rect, int align, bool middle) {
    dc->DrawLabel(GetTruncateText(dc, text, rect, middle), rect, align);
}

void paintColorScale(wxDC* dc, wxColour from, wxColour to, const wxRect& rect, bool horizontal) {
    if (rect.width <= 0 || rect.height <= 0) return;
    PenAndBrushKeeper keep(dc);
    const int steps = horizontal ? rect.width : rect.height;
    const int divisor = std::max(steps - 1, 1);
    auto channel = [&](int a, int b, int step) { return static_cast<unsigned char>(a + (b - a) * step / divisor); };
    for (int step = 0; step < steps; ++step) {
        const wxColour colour(channel(from.Red(), to.Red(), step), channel(from.Green(), to.Green(), step),
                              channel(from.Blue(), to.Blue(), step));
        const int band = std::min(2, steps - step);
        if (horizontal) {
            Solid(dc, rect.x + step, rect.y, band, rect.height, colour);
        } else {
            Solid(dc, rect.x, rect.y + step, rect.width, band, colour);
        }
    }
}

}  // namespace VEQ
