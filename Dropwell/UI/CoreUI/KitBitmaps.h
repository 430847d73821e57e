// Bitmaps of the kit: embedded pictures, files, screen copies, the full-screen
// gradient, composition of two bitmaps and anti-aliased text as a bitmap.
//
//   wxBitmap ok = VEQ::CUGetBitmapFromMemory(veqora_foldersync_ok_png, sizeof(veqora_foldersync_ok_png));
#pragma once

#include <wx/arrstr.h>
#include <wx/bitmap.h>
#include <wx/button.h>
#include <wx/font.h>
#include <wx/gdicmn.h>
#include <wx/image.h>
#include <wx/string.h>
#include <wx/window.h>

#include "DropwellUIExport.h"

namespace VEQ {

// The picture in data (its type read from the bytes) at scale 1; an invalid
// bitmap when the bytes are no picture.
DROPWELLUI_API wxBitmap CUGetBitmapFromMemory(const unsigned char* data, int length);

// folder/file when folder is not empty, else file as given.
DROPWELLUI_API wxBitmap CULoadBitmapFile(const wxString& file, const wxString& folder, wxBitmapType type);

// A new bitmap, owned by the caller, with the screen under the window.
DROPWELLUI_API wxBitmap* CaptureWindow(wxWindow* window);

// Cached square bitmap as wide as the screen, dark grey at the top to white at
// the bottom; built on the first call.
DROPWELLUI_API extern wxBitmap g_bmpGradient;
DROPWELLUI_API const wxBitmap& GetFullScreenGradient();

// A borderless button of the normal bitmap's size, the bitmap left of the label.
DROPWELLUI_API wxButton* CreateBitmapButton(wxWindow* parent, int id, const wxString& label,
                                            const wxBitmap& normal, const wxBitmap& pressed);

class DROPWELLUI_API QMVBitmapFactory {
public:
    QMVBitmapFactory() = delete;

    // Images here carry straight alpha already; nothing to correct.
    static void CorrectPremultipliedAlphaImage(wxImage* image);

    // base with overlay composited over it at pos (wxDefaultPosition: 0, 0),
    // the overlay clipped to the base. A copy of base when either is unusable.
    static wxBitmap MergeBitmaps(const wxBitmap& base, const wxBitmap& overlay,
                                 const wxPoint& pos = wxDefaultPosition);

    // The lines in colour on a transparent background. size: the bitmap's size
    // (a default component is measured; a given width shrinks the font down to
    // 7 points until the widest line fits within width - 2). pos: the anchor
    // (a default component follows align). align: wxALIGN_CENTRE_HORIZONTAL,
    // wxALIGN_RIGHT, wxALIGN_CENTRE_VERTICAL, wxALIGN_BOTTOM bits. spacing:
    // pixels added below each line. Invalid when there is nothing to draw.
    static wxBitmap CreateTextBitmap(const wxSize& size, const wxPoint& pos, const wxFont& font,
                                     const wxArrayString& lines, const wxColour& colour, int align,
                                     int spacing);
    // The same for a text of lines separated by line feeds (a final one adds no line).
    static wxBitmap CreateTextBitmap(const wxSize& size, const wxPoint& pos, const wxFont& font,
                                     const wxString& text, const wxColour& colour, int align,
                                     int spacing);
};

}  // namespace VEQ
