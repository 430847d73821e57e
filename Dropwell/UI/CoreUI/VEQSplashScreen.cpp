#include "VEQSplashScreen.h"

#include <algorithm>

#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/display.h>
#include <wx/settings.h>
#include <wx/utils.h>

#include "KitBitmaps.h"

namespace VEQ {

namespace {

constexpr int kLineHeight = 12;
constexpr int kScrollStepMs = 80;

wxFont SplashFont(int points) {
    const wxString face = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT).GetFaceName();
    return wxFont(points, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, false, face);
}

// Start of a span of length placed around centre, kept within [margin, limit - margin].
int PlaceSpan(int centre, int length, int limit, int margin) {
    int start = centre - length / 2;
    if (start + length > limit - margin) start = limit - margin - length;
    return std::max(start, margin);
}

}  // namespace

wxRect SplashTextRegion(const wxSize& picture, const wxPoint& textCentre, size_t lineCount, int visibleLines,
                        int margin, int textWidth) {
    const int height = static_cast<int>(std::min<size_t>(lineCount, std::max(visibleLines, 0))) * kLineHeight;
    return wxRect(PlaceSpan(textCentre.x, textWidth, picture.x, margin),
                  PlaceSpan(textCentre.y, height, picture.y, margin), textWidth, height);
}

SplashSlices SplashVisibleRows(int offset, int regionHeight, int textHeight) {
    if (offset + regionHeight > textHeight) {
        const int first = std::max(textHeight - offset, 0);
        return {offset, first, std::min(regionHeight - first, textHeight)};
    }
    return {offset, regionHeight, 0};
}

wxBEGIN_EVENT_TABLE(VEQSplashScreen, wxFrame)
    EVT_TIMER(wxID_ANY, VEQSplashScreen::OnNotify)
    EVT_CLOSE(VEQSplashScreen::OnCloseWindow)
    EVT_MOUSE_EVENTS(VEQSplashScreen::OnMouse)
    EVT_KILL_FOCUS(VEQSplashScreen::OnLostFocus)
    EVT_ACTIVATE(VEQSplashScreen::OnActivate)
    EVT_ACTIVATE_APP(VEQSplashScreen::OnActivate)
    EVT_CHAR(VEQSplashScreen::OnChar)
    EVT_PAINT(VEQSplashScreen::OnPaint)
    EVT_MOUSE_CAPTURE_LOST(VEQSplashScreen::OnMouseCaptureLost)
wxEND_EVENT_TABLE()

VEQSplashScreen::VEQSplashScreen(wxWindow* parent, int id, bool closeOnTimer, int interval,
                                 const wxBitmap& picture, const wxArrayString& lines, const wxPoint& textCentre,
                                 int visibleLines, int margin, const wxColour& textColour, bool stayOpen)
    : wxFrame(parent, id, wxEmptyString, wxDefaultPosition, wxDefaultSize,
              wxBORDER_NONE | wxFRAME_SHAPED | wxFRAME_NO_TASKBAR),
      m_bitmap(picture),
      m_timer(this),
      m_closeOnTimer(closeOnTimer),
      m_interval(interval),
      m_textColour(textColour),
      m_stayOpen(stayOpen),
      m_parent(parent) {
    wxSafeYield();
    if (m_bitmap.IsOk()) {
        const wxSize size = m_bitmap.GetSize();
        const wxRect display = wxDisplay(0u).GetGeometry();
        SetSize((display.width - size.x) / 2, (display.height - size.y) / 2, size.x, size.y);
    }
    MergeSplashBitmapWithBackground();
    m_scrollBitmap = CreateScrollingBitmap(lines);
    if (m_bitmap.IsOk()) m_background = m_bitmap.GetSubBitmap(wxRect(wxPoint(0, 0), m_bitmap.GetSize()));
    if (m_background.IsOk() && m_scrollBitmap.IsOk()) {
        m_scrollRect = SplashTextRegion(m_bitmap.GetSize(), textCentre, lines.size(), visibleLines, margin,
                                        m_scrollBitmap.GetWidth());
    }
    m_scrollOffset = 0;
    SetFocus();
    Raise();
    Show(true);
    ShowScrollingRegion();
    if (m_interval != 0) m_timer.StartOnce(m_interval);
    if (!HasCapture()) CaptureMouse();
}

VEQSplashScreen::~VEQSplashScreen() {
    m_timer.Stop();
    // A window must not go while it holds the mouse.
    if (HasCapture()) ReleaseMouse();
    if (m_parent && !m_parent->IsBeingDeleted()) {
        m_parent->SetFocus();
        m_parent->Raise();
    }
    Hide();
}

void VEQSplashScreen::MergeSplashBitmapWithBackground() {
    if (!m_bitmap.IsOk() || !m_bitmap.HasAlpha()) return;
    const wxSize size = m_bitmap.GetSize();
    wxBitmap behind(size.x, size.y, 24);
    {
        wxScreenDC screen;
        wxMemoryDC copy(behind);
        const wxPoint at = GetPosition();
        copy.Blit(0, 0, size.x, size.y, &screen, at.x, at.y);
    }
    const wxImage screenImage = behind.ConvertToImage();
    wxImage picture = m_bitmap.ConvertToImage();
    wxImage blended(size.x, size.y, false);
    for (int y = 0; y < size.y; ++y) {
        for (int x = 0; x < size.x; ++x) {
            const int alpha = picture.GetAlpha(x, y);
            auto mix = [alpha](int under, int over) {
                return static_cast<unsigned char>((under * (255 - alpha) + over * alpha) / 255);
            };
            blended.SetRGB(x, y, mix(screenImage.GetRed(x, y), picture.GetRed(x, y)),
                           mix(screenImage.GetGreen(x, y), picture.GetGreen(x, y)),
                           mix(screenImage.GetBlue(x, y), picture.GetBlue(x, y)));
        }
    }
    m_bitmap = wxBitmap(blended);
}

wxBitmap VEQSplashScreen::CreateScrollingBitmap(const wxArrayString& lines) {
    wxFont font = SplashFont(9);
    {
        wxClientDC dc(this);
        dc.SetFont(font);
        if (dc.GetCharHeight() > 16) font = SplashFont(7);
    }
    return QMVBitmapFactory::CreateTextBitmap(wxDefaultSize, wxDefaultPosition, font, lines, m_textColour, 0, 1);
}

void VEQSplashScreen::ShowScrollingRegion() {
    if (!m_background.IsOk() || !m_scrollBitmap.IsOk() || m_scrollRect.IsEmpty()) return;
    {
        wxMemoryDC target(m_background);
        wxMemoryDC clean;
        clean.SelectObjectAsSource(m_bitmap);
        target.Blit(m_scrollRect.x, m_scrollRect.y, m_scrollRect.width, m_scrollRect.height, &clean,
                    m_scrollRect.x, m_scrollRect.y);
        const SplashSlices rows = SplashVisibleRows(m_scrollOffset, m_scrollRect.height, m_scrollBitmap.GetHeight());
        const int width = std::min(m_scrollRect.width, m_scrollBitmap.GetWidth());
        if (rows.firstHeight > 0) {
            target.DrawBitmap(m_scrollBitmap.GetSubBitmap(wxRect(0, rows.firstRow, width, rows.firstHeight)),
                              m_scrollRect.x, m_scrollRect.y, true);
        }
        if (rows.secondHeight > 0) {
            target.DrawBitmap(m_scrollBitmap.GetSubBitmap(wxRect(0, 0, width, rows.secondHeight)), m_scrollRect.x,
                              m_scrollRect.y + rows.firstHeight, true);
        }
    }
    RefreshRect(m_scrollRect, false);
    Update();
}

void VEQSplashScreen::CloseUnlessStaying() {
    if (!m_stayOpen) Close(true);
}

void VEQSplashScreen::OnNotify(wxTimerEvent&) {
    TimerStep();
}

void VEQSplashScreen::TimerStep() {
    if (m_closeOnTimer && !m_stayOpen) {
        Close(true);
        return;
    }
    if (m_timer.IsOneShot()) m_timer.Start(kScrollStepMs, wxTIMER_CONTINUOUS);
    if (m_scrollBitmap.IsOk() && ++m_scrollOffset >= m_scrollBitmap.GetHeight()) m_scrollOffset = 0;
    ShowScrollingRegion();
}

void VEQSplashScreen::OnCloseWindow(wxCloseEvent&) {
    if (HasCapture()) ReleaseMouse();
    m_timer.Stop();
    Destroy();
}

void VEQSplashScreen::OnMouse(wxMouseEvent& event) {
    if (event.ButtonDown()) CloseUnlessStaying();
    event.Skip();
}

void VEQSplashScreen::OnLostFocus(wxFocusEvent& event) {
    CloseUnlessStaying();
    event.Skip();
}

void VEQSplashScreen::OnActivate(wxActivateEvent& event) {
    if (!event.GetActive()) CloseUnlessStaying();
    event.Skip();
}

void VEQSplashScreen::OnChar(wxKeyEvent& event) {
    CloseUnlessStaying();
    event.Skip();
}

void VEQSplashScreen::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    if (m_background.IsOk()) dc.DrawBitmap(m_background, 0, 0, false);
}

void VEQSplashScreen::OnMouseCaptureLost(wxMouseCaptureLostEvent&) {}

}  // namespace VEQ
