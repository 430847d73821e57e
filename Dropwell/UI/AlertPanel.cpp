#include "AlertPanel.h"

#include <wx/intl.h>
#include <wx/statbmp.h>
#include <wx/statline.h>

#include "DropwellImages.h"
#include "KitBitmaps.h"
#include "UnsupportedLocMsgDlg.h"
#include "VEQHelper.h"
#include "VEQPreferences.h"

namespace {

constexpr int kMessageWidth = 350;

}  // namespace

AlertPanel::AlertPanel(wxWindow* parent, const wxSize& messageSize, int id, const wxPoint& pos, const wxSize& size)
    : wxPanel(parent, id, pos, size, wxTAB_TRAVERSAL | wxBORDER_NONE) {
    m_mainSizer = new wxBoxSizer(wxVERTICAL);
    m_mainSizer->Add(new wxStaticLine(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLI_HORIZONTAL), 0, wxEXPAND);
    m_mainSizer->AddSpacer(12);

    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->AddSpacer(24);
    row->Add(new wxStaticBitmap(this, wxID_ANY, VEQ::CUGetBitmapFromMemory(warning_16_png, warning_16_png_length)), 0,
             wxRIGHT, 5);
    auto* column = new wxBoxSizer(wxVERTICAL);
    m_messageText = new wxStaticText(this, wxID_ANY, wxEmptyString, wxDefaultPosition, messageSize);
    m_messageText->SetForegroundColour(wxColour(99, 33, 0));
    wxString message = _("Can't connect to the mailbox.\nCheck your network connection and try again.");
    m_messageText->SetLabelText(VEQHelper::WrapString(message, this, kMessageWidth));
    column->Add(m_messageText, 0);
    auto* links = new wxBoxSizer(wxHORIZONTAL);
    m_moreInfoLink = new wxHyperlinkCtrl(this, wxID_ANY, _("More Info"), wxEmptyString);
    m_dismissLink = new wxHyperlinkCtrl(this, wxID_ANY, _("Dismiss"), wxEmptyString);
    links->Add(m_moreInfoLink, 0, wxLEFT | wxRIGHT, 5);
    links->Add(m_dismissLink, 0, wxLEFT | wxRIGHT, 5);
    column->Add(links, 0);
    row->Add(column, 0, wxLEFT | wxRIGHT, 5);
    m_mainSizer->Add(row, 0, wxEXPAND);
    SetSizerAndFit(m_mainSizer);

    m_moreInfoLink->Bind(wxEVT_HYPERLINK, &AlertPanel::OnDetailsClick, this);
    m_dismissLink->Bind(wxEVT_HYPERLINK, &AlertPanel::OnDismissClick, this);
    m_moreInfoLink->Hide();
    m_dismissLink->Hide();
}

void AlertPanel::SetErrorMessage(const wxString& message) {
    wxString text = message;
    m_messageText->SetLabelText(VEQHelper::WrapString(text, this, kMessageWidth));
}

void AlertPanel::EnableHyperlinks(bool show, const wxString& location) {
    m_moreInfoLink->Show(show);
    m_dismissLink->Show(show);
    if (show) m_location = location;
}

void AlertPanel::OnDetailsClick(wxHyperlinkEvent&) {
    if (m_location.empty()) return;
    UnsupportedLocMsgDlg dialog(this, m_location);
    dialog.ShowModal();
}

void AlertPanel::OnDismissClick(wxHyperlinkEvent&) {
    VEQPreferences::Get().SetValue<int>(VEQPrefKeys::g_ShouldShowPrivacyFolderWarningMessage, 0);
    VEQPreferences::Get().SetValue<int>(VEQPrefKeys::g_ShouldShowStartupPrivacyFolderWarningMessage, 0);
    m_moreInfoLink->Hide();
    m_dismissLink->Hide();
    Hide();
}
