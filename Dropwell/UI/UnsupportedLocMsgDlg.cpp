#include "UnsupportedLocMsgDlg.h"

#include <algorithm>

#include <wx/button.h>
#include <wx/intl.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "ResourceService.h"
#include "VEQHelper.h"

namespace {

constexpr int kTextWidth = 575;

wxStaticText* Wrapped(wxWindow* parent, wxString text) {
    auto* label = new wxStaticText(parent, wxID_ANY, wxEmptyString);
    label->SetLabelText(VEQHelper::WrapString(text, label, kTextWidth));
    return label;
}

}  // namespace

UnsupportedLocMsgDlg::UnsupportedLocMsgDlg(wxWindow* parent, const wxString& location)
    : wxDialog(parent, wxID_ANY, _("Veqora"), wxDefaultPosition, wxSize(700, -1)) {
    auto* mainSizer = new wxBoxSizer(wxVERTICAL);
    auto* title = new wxStaticText(this, wxID_ANY, _("Map mailbox to folder"));
    wxFont titleFont = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
    titleFont.SetSymbolicSize(wxFONTSIZE_LARGE);
    title->SetFont(titleFont);
    mainSizer->Add(title, 0, wxLEFT | wxTOP, 20);

    auto* row = new wxBoxSizer(wxHORIZONTAL);
    wxImage warning = ResourceService::Get().GetImageResource("nosupport_warning_big.png");
    if (warning.IsOk()) warning.Rescale(48, 42, wxIMAGE_QUALITY_HIGH);
    row->Add(new wxStaticBitmap(this, wxID_ANY, wxBitmap(warning)), 0, wxLEFT | wxTOP, 20);

    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(Wrapped(this, wxString::Format(_("The selected location %s will not be accessible by Veqora, until "
                                                 "you grant access in System Preferences > Security & Privacy > "
                                                 "Privacy > Full Disk Access."),
                                               location)),
                0, wxALL, 20);
    column->Add(Wrapped(this, _("1.    Click the Lock in the bottom left corner and enter your password.")), 0,
                wxLEFT | wxRIGHT, 20);
    column->Add(Wrapped(this, _("2.    Click on the + button.")), 0, wxLEFT | wxRIGHT, 20);
    // The product's name stays as it is in every language.
    column->Add(Wrapped(this, wxString::Format(_("3.    Select %s in the Applications folder and click Open."),
                                               "Veqora")),
                0, wxLEFT | wxRIGHT | wxBOTTOM, 20);
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->AddStretchSpacer(1);
    buttons->Add(new wxButton(this, wxID_OK, _("OK")), 0, wxRIGHT | wxBOTTOM, 20);
    column->Add(buttons, 0, wxEXPAND);

    row->Add(column, 1, wxEXPAND);
    mainSizer->Add(row, 1, wxEXPAND);
    SetSizer(mainSizer);
    mainSizer->SetSizeHints(this);
    SetSize(wxSize(std::max(GetSize().x, 700), GetSize().y));
    Layout();
    CentreOnParent(wxBOTH);
}
