#include "ScanPage.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

namespace {

size_t SelectionOf(const wxChoice* choice) {
    const int selection = choice->GetSelection();
    return selection == wxNOT_FOUND ? 0 : static_cast<size_t>(selection);
}

}  // namespace

ScanPage::ScanPage(wxWindow* parent) : wxPanel(parent, wxID_ANY) {
    auto* grid = new wxFlexGridSizer(2, wxSize(10, 8));
    grid->AddGrowableCol(1, 1);
    auto addRow = [this, grid](const wxString& label, const wxString& name) {
        grid->Add(new wxStaticText(this, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
        auto* choice = new wxChoice(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, nullptr, 0,
                                    wxDefaultValidator, name);
        grid->Add(choice, 1, wxEXPAND);
        return choice;
    };
    m_source = addRow(_("Source:"), "ScanSource");
    m_pageSize = addRow(_("Page size:"), "PageSize");
    m_resolution = addRow(_("Resolution:"), "Resolution");
    m_sides = addRow(_("Sides:"), "Sides");
    m_colorMode = addRow(_("Colour mode:"), "ColorMode");
    m_orientation = addRow(_("Orientation:"), "Orientation");

    m_notice = new wxStaticText(this, wxID_ANY, wxString());
    m_scanButton = new wxButton(this, wxID_ANY, _("Scan"), wxDefaultPosition, wxDefaultSize, 0,
                                wxDefaultValidator, "ScanButton");
    m_scanButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        if (m_onScan) {
            m_onScan();
        }
    });

    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 0, wxEXPAND | wxALL, 12);
    sizer->Add(m_notice, 0, wxEXPAND | wxLEFT | wxRIGHT, 12);
    sizer->AddStretchSpacer(1);
    sizer->Add(m_scanButton, 0, wxALIGN_RIGHT | wxALL, 12);
    SetSizer(sizer);
    Clear();
}

void ScanPage::Fill(wxChoice* choice, const std::vector<ScannerAttribute>& values, size_t selected) {
    choice->Clear();
    for (const ScannerAttribute& value : values) {
        choice->Append(value.m_display.empty() ? value.m_value : value.m_display);
    }
    choice->Enable(!values.empty());
    if (!values.empty()) {
        choice->SetSelection(static_cast<int>(selected < values.size() ? selected : 0));
    }
}

void ScanPage::SetOptions(const ScanSettingOptions& options) {
    m_options = options;
    const ScanSettingSelection defaults = ScanSettingSelection::Defaults(options);
    Fill(m_source, options.m_sources, defaults.m_source);
    Fill(m_pageSize, options.m_pageSizes, defaults.m_pageSize);
    Fill(m_resolution, options.m_resolutions, defaults.m_resolution);
    Fill(m_sides, options.m_sides, defaults.m_sides);
    Fill(m_colorMode, options.m_colorModes, defaults.m_colorMode);
    Fill(m_orientation, options.m_orientations, defaults.m_orientation);
    Layout();
}

void ScanPage::Clear() {
    SetOptions(ScanSettingOptions());
    SetNotice(_("Connect to a controller to scan."));
    EnableScan(false);
}

ScanSettingSelection ScanPage::GetSelection() const {
    ScanSettingSelection selection;
    selection.m_source = SelectionOf(m_source);
    selection.m_pageSize = SelectionOf(m_pageSize);
    selection.m_resolution = SelectionOf(m_resolution);
    selection.m_sides = SelectionOf(m_sides);
    selection.m_colorMode = SelectionOf(m_colorMode);
    selection.m_orientation = SelectionOf(m_orientation);
    return selection;
}

void ScanPage::SetNotice(const wxString& text) {
    m_notice->SetLabel(text);
    m_notice->Wrap(380);
    Layout();
}

void ScanPage::EnableScan(bool enable) {
    m_scanButton->Enable(enable);
}
