#include "KitBitmaps.h"

#include <algorithm>
#include <cmath>

#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/mstream.h>
#include <wx/settings.h>

#include "CUPaintDC.h"

namespace VEQ {

wxBitmap g_bmpGradient;

wxBitmap CUGetBitmapFromMemory(const unsigned char* data, int length) {
    if (!data || length <= 0) return wxBitmap();
    wxMemoryInputStream stream(data, length);
    wxImage image(stream, wxBITMAP_TYPE_ANY);
    if (!image.IsOk()) return wxBitmap();
    return wxBitmap(image, -1, 1.0);
}

wxBitmap CULoadBitmapFile(const wxString& file, const wxString& folder, wxBitmapType type) {
    const wxString path = folder.empty() ? file : folder + wxFILE_SEP_PATH + file;
    return wxBitmap(path, type);
}

wxBitmap* CaptureWindow(wxWindow* window) {
    if (!window) return nullptr;
    const wxRect area = window->GetScreenRect();
    auto* copy = new wxBitmap(std::max(area.width, 1), std::max(area.height, 1));
    wxScreenDC screen;
    wxMemoryDC memory(*copy);
    memory.Blit(0, 0, area.width, area.height, &screen, area.x, area.y);
    memory.SelectObject(wxNullBitmap);
    return copy;
}

const wxBitmap& GetFullScreenGradient() {
    if (!g_bmpGradient.IsOk()) {
        const int side = std::max(wxSystemSettings::GetMetric(wxSYS_SCREEN_X), 1);
        wxBitmap gradient(side, side);
        wxMemoryDC dc(gradient);
        CUPaintDC::DoGradientFillLinear(&dc, wxRect(0, 0, side, side), *wxWHITE, wxColour(45, 45, 45), wxUP);
        dc.SelectObject(wxNullBitmap);
        g_bmpGradient = gradient;
    }
    return g_bmpGradient;
}

wxButton* CreateBitmapButton(wxWindow* parent, int id, const wxString& label, const wxBitmap& normal,
                             const wxBitmap& pressed) {
    const wxSize size = normal.IsOk() ? normal.GetSize() : wxDefaultSize;
    auto* button = new wxButton(parent, id, label, wxDefaultPosition, size, wxBORDER_NONE | wxTRANSPARENT_WINDOW);
    button->SetBitmap(normal, wxLEFT);
    if (pressed.IsOk()) button->SetBitmapPressed(pressed);
    if (parent) button->SetBackgroundColour(parent->GetBackgroundColour());
    return button;
}

void QMVBitmapFactory::CorrectPremultipliedAlphaImage(wxImage*) {}

wxBitmap QMVBitmapFactory::MergeBitmaps(const wxBitmap& base, const wxBitmap& overlay, const wxPoint& pos) {
    if (!base.IsOk() || !overlay.IsOk()) return base.IsOk() ? wxBitmap(base.ConvertToImage()) : base;
    wxImage under = base.ConvertToImage();
    wxImage over = overlay.ConvertToImage();
    if (!under.IsOk() || !over.IsOk()) return wxBitmap(base.ConvertToImage());
    if (!under.HasAlpha()) under.InitAlpha();
    if (!over.HasAlpha()) over.InitAlpha();
    const int originX = pos.x == wxDefaultCoord ? 0 : pos.x;
    const int originY = pos.y == wxDefaultCoord ? 0 : pos.y;
    const int firstX = std::max(originX, 0), firstY = std::max(originY, 0);
    const int endX = std::min(originX + over.GetWidth(), under.GetWidth());
    const int endY = std::min(originY + over.GetHeight(), under.GetHeight());
    for (int y = firstY; y < endY; ++y) {
        for (int x = firstX; x < endX; ++x) {
            const int ox = x - originX, oy = y - originY;
            const double a = over.GetAlpha(ox, oy) / 255.0;
            const double b = under.GetAlpha(x, y) / 255.0;
            const double alpha = b * (1 - a) + a;
            if (alpha <= 0) {
                under.SetRGB(x, y, 0, 0, 0);
                under.SetAlpha(x, y, 0);
                continue;
            }
            auto mix = [&](unsigned char top, unsigned char bottom) {
                return static_cast<unsigned char>(std::lround((top * a + bottom * b * (1 - a)) / alpha));
            };
            under.SetRGB(x, y, mix(over.GetRed(ox, oy), under.GetRed(x, y)),
                         mix(over.GetGreen(ox, oy), under.GetGreen(x, y)),
                         mix(over.GetBlue(ox, oy), under.GetBlue(x, y)));
            under.SetAlpha(x, y, static_cast<unsigned char>(std::lround(alpha * 255)));
        }
    }
    return wxBitmap(under);
}

namespace {

struct TextMeasure {
    int width = 0;   // widest line
    int height = 0;  // all lines with their spacing
};

TextMeasure Measure(wxDC& dc, const wxArrayString& lines, int spacing, wxArrayInt* lineWidths,
                    wxArrayInt* lineHeights) {
    TextMeasure total;
    for (const wxString& line : lines) {
        const wxSize extent = dc.GetTextExtent(line.empty() ? wxString("i") : line);
        total.width = std::max(total.width, extent.x);
        total.height += extent.y + spacing;
        if (lineWidths) lineWidths->Add(line.empty() ? 0 : extent.x);
        if (lineHeights) lineHeights->Add(extent.y);
    }
    return total;
}

}  // namespace

wxBitmap QMVBitmapFactory::CreateTextBitmap(const wxSize& size, const wxPoint& pos, const wxFont& font,
                                            const wxArrayString& lines, const wxColour& colour, int align,
                                            int spacing) {
    if (lines.empty()) return wxBitmap();
    const double luminance = 0.3 * colour.Red() + 0.59 * colour.Green() + 0.11 * colour.Blue();
    const bool lightText = luminance >= 127.5;

    wxBitmap probe(1, 1);
    wxMemoryDC measuring(probe);
    wxFont fitted = font.IsOk() ? font : *wxNORMAL_FONT;
    measuring.SetFont(fitted);
    TextMeasure text = Measure(measuring, lines, spacing, nullptr, nullptr);
    while (size.x != wxDefaultCoord && fitted.GetPointSize() > 7 && text.width > size.x - 2) {
        fitted.SetPointSize(fitted.GetPointSize() - 1);
        measuring.SetFont(fitted);
        text = Measure(measuring, lines, spacing, nullptr, nullptr);
    }
    measuring.SelectObject(wxNullBitmap);

    const int width = size.x == wxDefaultCoord ? text.width : size.x;
    const int height = size.y == wxDefaultCoord ? text.height : size.y;
    if (width <= 0 || height <= 0) return wxBitmap();

    int x = pos.x, y = pos.y;
    if (x == wxDefaultCoord) x = (align & wxALIGN_CENTRE_HORIZONTAL) ? width / 2 : (align & wxALIGN_RIGHT) ? width : 0;
    if (y == wxDefaultCoord) y = (align & wxALIGN_CENTRE_VERTICAL) ? height / 2 : (align & wxALIGN_BOTTOM) ? height : 0;
    if (align & wxALIGN_CENTRE_VERTICAL) {
        y -= text.height / 2;
    } else if (align & wxALIGN_BOTTOM) {
        y -= text.height;
    }

    wxBitmap canvas(width, height, 24);
    wxMemoryDC dc(canvas);
    dc.SetBackground(lightText ? *wxBLACK_BRUSH : *wxWHITE_BRUSH);
    dc.Clear();
    dc.SetFont(fitted);
    dc.SetTextForeground(lightText ? *wxWHITE : *wxBLACK);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    wxArrayInt widths, heights;
    Measure(dc, lines, spacing, &widths, &heights);
    for (size_t i = 0; i < lines.size(); ++i) {
        int lineX = x;
        if (align & wxALIGN_CENTRE_HORIZONTAL) {
            lineX -= widths[i] / 2;
        } else if (align & wxALIGN_RIGHT) {
            lineX -= widths[i];
        }
        dc.DrawText(lines[i], lineX, y);
        y += heights[i] + spacing;
    }
    dc.SelectObject(wxNullBitmap);

    wxImage image = canvas.ConvertToImage();
    image.InitAlpha();
    for (int py = 0; py < height; ++py) {
        for (int px = 0; px < width; ++px) {
            const double rendered =
                0.3 * image.GetRed(px, py) + 0.59 * image.GetGreen(px, py) + 0.11 * image.GetBlue(px, py);
            const long coverage = std::lround(lightText ? rendered : 255 - rendered);
            image.SetAlpha(px, py, static_cast<unsigned char>(std::clamp<long>(coverage, 0, 255)));
            image.SetRGB(px, py, colour.Red(), colour.Green(), colour.Blue());
        }
    }
    return wxBitmap(image);
}

wxBitmap QMVBitmapFactory::CreateTextBitmap(const wxSize& size, const wxPoint& pos, const wxFont& font,
                                            const wxString& text, const wxColour& colour, int align,
                                            int spacing) {
    wxArrayString lines;
    wxString rest = text;
    while (!rest.empty()) {
        lines.Add(rest.BeforeFirst('\n'));
        rest = rest.AfterFirst('\n');
    }
    return CreateTextBitmap(size, pos, font, lines, colour, align, spacing);
}

}  // namespace VEQ
