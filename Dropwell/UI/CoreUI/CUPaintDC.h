// Painting helpers over any device context. Every operation leaves the
// context's pen and brush as it found them.
//
//   VEQ::CUPaintDC::DoGradientFillLinear(&dc, rect, *wxWHITE, wxColour(45, 45, 45), wxDOWN);
#pragma once

#include <wx/bitmap.h>
#include <wx/dc.h>
#include <wx/font.h>
#include <wx/gdicmn.h>
#include <wx/string.h>

#include "DropwellUIExport.h"

namespace VEQ {

class DROPWELLUI_API CUPaintDC {
public:
    CUPaintDC() = delete;

    // Solid fill without outline; topLine adds a black line along the top edge.
    static void FillSolidRect(wxDC* dc, const wxRect& rect, const wxColour& colour, bool topLine);
    static void FillSolidRect(wxDC* dc, int x, int y, int width, int height, const wxColour& colour);

    // One-pixel frame: top and left in topLeft, bottom and right in bottomRight.
    static void Draw3dRect(wxDC* dc, const wxRect& rect, const wxColour& topLeft, const wxColour& bottomRight);
    static void Draw3dRect(wxDC* dc, int x, int y, int width, int height, const wxColour& topLeft,
                           const wxColour& bottomRight);

    // Text in font and colour: rotated by angle at the rectangle's top left, or
    // (angle 0) laid out in the rectangle with align; bounds gets its box.
    static void DrawText(wxDC* dc, const wxString& text, const wxRect& rect, int align, const wxFont* font,
                         const wxColour& colour, double angle = 0, wxRect* bounds = nullptr);

    // Three-slice fill: the bitmap's first third at the start, its middle third
    // repeated, its last third and one pixel at the end. A bitmap under three
    // pixels along the direction is repeated whole instead.
    static void bitmapFill(wxDC* dc, const wxBitmap& bitmap, const wxRect& rect, bool useMask, bool horizontal);
    // The whole bitmap repeated from the start edge, the last copy cut at the end.
    static void bitmapRepeat(wxDC* dc, const wxBitmap& bitmap, const wxRect& rect, bool useMask, bool horizontal);

    // Dotted rectangle: a dot on every second pixel of the four edges.
    static void DrawFocus(wxDC* dc, int left, int top, int right, int bottom);

    // One-pixel bands from one colour to the other: columns for wxLEFT and
    // wxRIGHT, rows for wxUP and wxDOWN; for wxUP and wxLEFT the colours swap.
    static void DoGradientFillLinear(wxDC* dc, const wxRect& rect, const wxColour& from, const wxColour& to,
                                     wxDirection dir);

    // The text shortened with "..." to fit the rectangle's width: at its end,
    // or (middle) keeping its start and end. "..." when even that is too wide.
    static wxString GetTruncateText(wxDC* dc, const wxString& text, const wxRect& rect, bool middle);
    // GetTruncateText of the text drawn with the alignment in the rectangle.
    static void DrawTextTruncate(wxDC* dc, const wxString& text, const wxRect& rect, int align, bool middle);
};

// Steps of 2-pixel bands, each advanced by one pixel, from one colour to the
// other (channels interpolated in integers), left to right or top to bottom.
DROPWELLUI_API void paintColorScale(wxDC* dc, wxColour from, wxColour to, const wxRect& rect, bool horizontal);

}  // namespace VEQ
