#include "ToolbarButton.h"

#include <wx/dcclient.h>
#include <wx/settings.h>

#include "Theme.h"
#include "VEQAutomation.h"

const wxEventType cnEVENT_ToolbarButtonCLICK = wxNewEventType();

wxBEGIN_EVENT_TABLE(ToolbarButton, wxPanel)
    EVT_PAINT(ToolbarButton::OnPaint)
    EVT_LEFT_DOWN(ToolbarButton::OnMouseLeftDown)
    EVT_ENTER_WINDOW(ToolbarButton::OnMouseEnter)
    EVT_LEAVE_WINDOW(ToolbarButton::OnMouseLeave)
    EVT_SIZE(ToolbarButton::OnSize)
wxEND_EVENT_TABLE()

ToolbarButton::ToolbarButton(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size, long style,
                             const wxString& name)
    : AUTLButtonT<ToolbarButton, wxPanel>(parent, id, pos, size, style, name),
      m_foreGroundColor(*wxBLACK),
      m_disabledTextColor(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW)),
      m_autoSize(size == wxDefaultSize) {
    const auto theme = Theme::Get();
    m_normalBackground = theme->m_buttonNormal;
    m_hoverBackground = theme->m_buttonHover;
    m_currentBackground = m_normalBackground;
    SetBackgroundStyle(wxBG_STYLE_PAINT);
}

void ToolbarButton::SetBitmap(const wxBitmap& bitmap, ImageAlign align) {
    m_normalBitmap = bitmap;
    m_bitmap = bitmap;
    m_imageAlign = align;
    if (bitmap.IsOk()) m_bitmapExtent = bitmap.GetWidth() + 5;
    if (m_autoSize) SetSize(m_bitmapExtent + 15, bitmap.IsOk() ? bitmap.GetHeight() : GetSize().y);
}

void ToolbarButton::SetBackGroundColor(wxColour colour) {
    const bool resting = m_currentBackground == m_normalBackground;
    m_normalBackground = colour;
    if (resting) m_currentBackground = colour;
}

void ToolbarButton::SetText(const wxString& text) {
    m_text = text;
    SetLabel(text);
    VEQAutomation::SetAccessibilityTitle(GetHandle(), text.utf8_str().data());
}

void ToolbarButton::ShowBorder(bool first, bool second, bool third) {
    if (first) {
        m_borderFlags[0] = true;
        m_borderFlags[1] = m_borderFlags[2] = false;
    } else {
        m_borderFlags[1] = second;
        m_borderFlags[2] = third;
    }
}

bool ToolbarButton::Enable(bool enable) {
    const bool changed = wxPanel::Enable(enable);
    Refresh(true);
    return changed;
}

void ToolbarButton::DrawSeparator(wxDC& dc) {
    const wxSize size = GetClientSize();
    dc.SetPen(*wxGREY_PEN);
    if (size.x < size.y) {
        const int middle = size.x / 2;
        dc.DrawLine(middle - 1, 0, middle - 1, size.y + 1);
        dc.DrawLine(middle, 0, middle, size.y + 1);
    } else {
        const int middle = size.y / 2;
        dc.DrawLine(0, middle - 1, size.x + 1, middle - 1);
        dc.DrawLine(0, middle, size.x + 1, middle);
    }
}

void ToolbarButton::Draw(wxDC& dc) {
    const wxRect client(GetClientSize());
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(m_currentBackground));
    dc.DrawRectangle(client);
    dc.SetFont(GetFont());
    wxSize label(0, 0);
    int labelY = client.y;
    if (!m_text.empty()) {
        label = dc.GetTextExtent(m_text);
        labelY = client.y + (client.height - label.y) / 2;
    }
    const int imageWidth = m_bitmap.IsOk() ? m_bitmap.GetWidth() : 0;
    int x = (client.width - imageWidth - label.x - 2) / 2;
    const bool enabled = IsEnabled();
    dc.SetTextForeground(enabled ? m_foreGroundColor : m_disabledTextColor);
    const wxBitmap& image = enabled ? m_bitmap : m_disabledBitmap;
    if (m_imageAlign == LabelBeforeImage || !m_bitmap.IsOk()) {
        if (!m_text.empty()) dc.DrawText(m_text, x, labelY);
        x += label.x + 2;
    }
    if (image.IsOk()) {
        const int imageHeight = m_bitmap.IsOk() ? m_bitmap.GetHeight() : image.GetHeight();
        dc.DrawBitmap(image, x, client.y + (client.height - imageHeight) / 2, true);
        x += imageWidth + 2;
    }
    if (m_imageAlign == ImageBeforeLabel && m_bitmap.IsOk() && !m_text.empty()) {
        dc.DrawText(m_text, x, labelY);
    }
}

void ToolbarButton::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    Draw(dc);
}

void ToolbarButton::OnMouseLeftDown(wxMouseEvent&) {
    m_text.Trim(true);
    wxCommandEvent click(cnEVENT_ToolbarButtonCLICK, GetId());
    click.SetString(m_text);
    if (wxWindow* parent = GetParent()) wxPostEvent(parent, click);
}

void ToolbarButton::Hover(bool over) {
    if (AnyBorder()) {
        m_mouseOver = over;
        // Without a hover image the normal one stays rather than none.
        m_bitmap = over && m_mouseOverBitmap.IsOk() ? m_mouseOverBitmap : m_normalBitmap;
        Refresh(true);
    }
    m_currentBackground = over ? m_hoverBackground : m_normalBackground;
}

void ToolbarButton::OnMouseEnter(wxMouseEvent&) {
    Hover(true);
}

void ToolbarButton::OnMouseLeave(wxMouseEvent&) {
    Hover(false);
}

void ToolbarButton::OnSize(wxSizeEvent& event) {
    Refresh(false);
    event.Skip();
}
