// An owner-drawn toolbar button: its own fill, an image and a label, a hover
// image and fill under the mouse, a disabled image and label colour. A press
// posts cnEVENT_ToolbarButtonCLICK (id: the button's, string: the label) to the
// parent; to accessibility it is a button with a title.
//
//   auto* save = new ToolbarButton(toolbar, ID_SAVE);
//   save->SetBitmap(saveImage, ToolbarButton::ImageBeforeLabel);
//   save->SetText(_("Save"));
//   toolbar->Bind(wxEventTypeTag<wxCommandEvent>(cnEVENT_ToolbarButtonCLICK), &Toolbar::OnSave, this, ID_SAVE);
#pragma once

#include <wx/bitmap.h>
#include <wx/dc.h>
#include <wx/panel.h>

#include "AUTLButtonT.h"
#include "DropwellUIExport.h"

DROPWELLUI_API extern const wxEventType cnEVENT_ToolbarButtonCLICK;

class DROPWELLUI_API ToolbarButton : public AUTLButtonT<ToolbarButton, wxPanel> {
public:
    enum ImageAlign { ImageBeforeLabel = 0, LabelBeforeImage = 1 };

    ToolbarButton(wxWindow* parent, int id, const wxPoint& pos = wxDefaultPosition,
                  const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL | wxBORDER_NONE,
                  const wxString& name = wxPanelNameStr);

    // The image while enabled; a button of the default size becomes the
    // image's height and 20 pixels wider than it.
    void SetBitmap(const wxBitmap& bitmap, ImageAlign align);
    void SetMouseOverImageBitmap(const wxBitmap& bitmap) { m_mouseOverBitmap = bitmap; }
    void SetDisabledImageBitmap(const wxBitmap& bitmap) { m_disabledBitmap = bitmap; }
    void SetForeGroundColor(wxColour colour) { m_foreGroundColor = colour; }
    // The fill at rest (theme colour 10 until set).
    void SetBackGroundColor(wxColour colour);
    // The label, also the window label and the accessibility title.
    void SetText(const wxString& text);
    // first set: the first flag only; otherwise second and third as given.
    // While any flag is set, hovering swaps to the hover image.
    void ShowBorder(bool first, bool second, bool third);

    bool Enable(bool enable = true) override;
    bool Disable() { return Enable(false); }

    // Two adjacent grey one-pixel lines through the middle, across the longer side.
    void DrawSeparator(wxDC& dc);
    // What a paint draws: the fill, then image and label centred.
    void Draw(wxDC& dc);

    const wxBitmap& GetCurrentBitmap() const { return m_bitmap; }
    const wxColour& GetCurrentBackground() const { return m_currentBackground; }
    const wxString& GetText() const { return m_text; }
    bool IsMouseOver() const { return m_mouseOver; }

private:
    bool AnyBorder() const { return m_borderFlags[0] || m_borderFlags[1] || m_borderFlags[2]; }
    void Hover(bool over);

    void OnPaint(wxPaintEvent& event);
    void OnMouseLeftDown(wxMouseEvent& event);
    void OnMouseEnter(wxMouseEvent& event);
    void OnMouseLeave(wxMouseEvent& event);
    void OnSize(wxSizeEvent& event);

    wxBitmap m_bitmap;
    ImageAlign m_imageAlign = ImageBeforeLabel;
    wxColour m_foreGroundColor;
    wxColour m_disabledTextColor;
    wxString m_text;
    bool m_borderFlags[3] = {false, false, true};
    int m_bitmapExtent = 0;
    bool m_autoSize;
    bool m_mouseOver = false;
    wxColour m_currentBackground;
    wxColour m_normalBackground;
    wxColour m_hoverBackground;
    wxBitmap m_disabledBitmap;
    wxBitmap m_mouseOverBitmap;
    wxBitmap m_normalBitmap;

    wxDECLARE_EVENT_TABLE();
};
