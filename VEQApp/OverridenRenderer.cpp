#include "OverridenRenderer.h"

#include <wx/dataview.h>
#include <wx/dc.h>
#include <wx/settings.h>

#include "Theme.h"

namespace {

bool IsInDataView(wxWindow* win) {
    return win && win->GetParent() && wxDynamicCast(win->GetParent(), wxDataViewCtrl);
}

}  // namespace

OverridenRenderer::OverridenRenderer() : wxDelegateRendererNative(wxRendererNative::GetDefault()) {}

int OverridenRenderer::DrawHeaderButton(wxWindow* win, wxDC& dc, const wxRect& rect, int flags,
                                        wxHeaderSortIconType sortArrow, wxHeaderButtonParams* params) {
    dc.SetBrush(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE), wxBRUSHSTYLE_SOLID));
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.DrawRectangle(rect);

    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.SetPen(*wxGREY_PEN);
    dc.DrawLine(rect.x + rect.width - 1, rect.y + 2, rect.x + rect.width - 1, rect.y + rect.height - 2);
    dc.SetPen(*wxLIGHT_GREY_PEN);
    dc.DrawLine(rect.x, rect.y + rect.height, rect.x + rect.width, rect.y + rect.height);

    return wxDelegateRendererNative::DrawHeaderButtonContents(win, dc, rect, flags, sortArrow, params);
}

int OverridenRenderer::GetHeaderButtonHeight(wxWindow*) {
    return 25;
}

int OverridenRenderer::GetHeaderButtonMargin(wxWindow*) {
    return 0;
}

void OverridenRenderer::DrawItemSelectionRect(wxWindow* win, wxDC& dc, const wxRect& rect, int flags) {
    if (!IsInDataView(win)) {
        wxDelegateRendererNative::DrawItemSelectionRect(win, dc, rect, flags);
        return;
    }
    if (flags & wxCONTROL_SELECTED) {
        std::shared_ptr<ITheme> theme = Theme::Get();
        const wxColour& fill =
            (flags & wxCONTROL_FOCUSED) ? theme->m_selectionFocused : theme->m_selectionUnfocused;
        dc.SetBrush(wxBrush(fill, wxBRUSHSTYLE_SOLID));
    } else {
        dc.SetBrush(*wxBLUE_BRUSH);
    }
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.DrawRectangle(rect);
    if ((flags & wxCONTROL_CURRENT) && (flags & wxCONTROL_FOCUSED)) {
        DrawFocusRect(win, dc, rect, flags);
    }
}

void OverridenRenderer::DrawFocusRect(wxWindow* win, wxDC& dc, const wxRect& rect, int flags) {
    if (IsInDataView(win)) {
        return;
    }
    wxDelegateRendererNative::DrawFocusRect(win, dc, rect, flags);
}
