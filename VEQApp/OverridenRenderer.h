// Veqora's drawing of list headers (25 pixels high, no margin, a flat face
// with a grey edge on the right and a light-grey line under it) and of the
// selection in data-view controls (theme colours, no focus rectangle);
// everything else is the platform's.
#pragma once

#include <wx/window.h>
#include <wx/renderer.h>

class OverridenRenderer : public wxDelegateRendererNative {
public:
    OverridenRenderer();

    int DrawHeaderButton(wxWindow* win, wxDC& dc, const wxRect& rect, int flags = 0,
                         wxHeaderSortIconType sortArrow = wxHDR_SORT_ICON_NONE,
                         wxHeaderButtonParams* params = nullptr) override;
    int GetHeaderButtonHeight(wxWindow* win) override;
    int GetHeaderButtonMargin(wxWindow* win) override;
    void DrawItemSelectionRect(wxWindow* win, wxDC& dc, const wxRect& rect, int flags = 0) override;
    void DrawFocusRect(wxWindow* win, wxDC& dc, const wxRect& rect, int flags = 0) override;
};
