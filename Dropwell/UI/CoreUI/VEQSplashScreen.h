// A borderless picture window with a region of text that scrolls upward one
// pixel at a time, in an endless loop, after a first pause. A click, a key or
// leaving the window closes it (unless told to stay open); it destroys itself.
//
//   new VEQ::VEQSplashScreen(parent, wxID_ANY, false, 5000, picture, lines,
//                            wxPoint(251, 370), 10, 26, colour, false);
#pragma once

#include <wx/arrstr.h>
#include <wx/bitmap.h>
#include <wx/frame.h>
#include <wx/timer.h>
#include <wx/weakref.h>

#include "DropwellUIExport.h"

namespace VEQ {

// Where the text region lies in a picture: height 12 pixels for each of at most
// visibleLines lines, as wide as the text bitmap, centred on textCentre and
// pulled inside the picture by margin.
DROPWELLUI_API wxRect SplashTextRegion(const wxSize& picture, const wxPoint& textCentre, size_t lineCount,
                                       int visibleLines, int margin, int textWidth);

// The rows of a text bitmap of textHeight rows that a region of regionHeight
// shows from offset: the first slice, then (when the text ends inside the
// region) the second slice from its first row.
struct SplashSlices {
    int firstRow, firstHeight;
    int secondHeight;  // rows from 0 drawn right below the first slice
};
DROPWELLUI_API SplashSlices SplashVisibleRows(int offset, int regionHeight, int textHeight);

class DROPWELLUI_API VEQSplashScreen : public wxFrame {
public:
    VEQSplashScreen(wxWindow* parent, int id, bool closeOnTimer, int interval, const wxBitmap& picture,
                    const wxArrayString& lines, const wxPoint& textCentre, int visibleLines, int margin,
                    const wxColour& textColour, bool stayOpen);
    ~VEQSplashScreen() override;

    const wxRect& GetScrollRect() const { return m_scrollRect; }
    int GetScrollOffset() const { return m_scrollOffset; }
    const wxBitmap& GetScrollBitmap() const { return m_scrollBitmap; }
    const wxBitmap& GetShownBitmap() const { return m_background; }

    // What each timer event does: close (when closing on the timer), or
    // scroll by one row (after the first pause, every 80 ms).
    void TimerStep();

private:
    void OnNotify(wxTimerEvent& event);
    void MergeSplashBitmapWithBackground();
    wxBitmap CreateScrollingBitmap(const wxArrayString& lines);
    void ShowScrollingRegion();
    void CloseUnlessStaying();

    void OnCloseWindow(wxCloseEvent& event);
    void OnMouse(wxMouseEvent& event);
    void OnLostFocus(wxFocusEvent& event);
    void OnActivate(wxActivateEvent& event);
    void OnChar(wxKeyEvent& event);
    void OnPaint(wxPaintEvent& event);
    void OnMouseCaptureLost(wxMouseCaptureLostEvent& event);

    wxBitmap m_background;    // the picture with the text region drawn in
    wxBitmap m_bitmap;        // the clean picture
    wxBitmap m_scrollBitmap;  // every line, one below the other
    wxRect m_scrollRect;
    wxTimer m_timer;
    bool m_closeOnTimer;
    int m_interval;
    int m_scrollOffset = 0;
    wxColour m_textColour;
    bool m_stayOpen;
    // Held weakly: the parent may go first, or be going while this closes.
    wxWeakRef<wxWindow> m_parent;

    wxDECLARE_EVENT_TABLE();
};

}  // namespace VEQ
