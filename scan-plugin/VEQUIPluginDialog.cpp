#include "VEQUIPluginDialog.h"

#include <wx/button.h>
#include <wx/iconbndl.h>
#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "ResourceService.h"
#include "VEQUI.h"

namespace veq {

VEQUIPluginDialog::VEQUIPluginDialog() = default;

VEQUIPluginDialog::VEQUIPluginDialog(std::shared_ptr<IPlugin> plugin,
                                     std::shared_ptr<VEQUILaunchContext> context, wxWindow* parent,
                                     int id, const wxString& title, const wxPoint& pos,
                                     const wxSize& size, long style, const wxString& name) {
    Create(std::move(plugin), std::move(context), parent, id, title, pos, size, style, name);
}

bool VEQUIPluginDialog::Create(std::shared_ptr<IPlugin> plugin,
                               std::shared_ptr<VEQUILaunchContext> context, wxWindow* parent, int id,
                               const wxString& title, const wxPoint& pos, const wxSize& size,
                               long style, const wxString& name) {
    if (!wxDialog::Create(parent, id, title, pos, size, style, name)) {
        return false;
    }
    wxIcon icon;
    icon.CopyFromBitmap(ResourceService::Get().GetBitmapResource("zelto_scan_app.png"));
    if (icon.IsOk()) {
        SetIcons(wxIconBundle(icon));
    }
    m_plugin = plugin;
    m_format = new wxStaticText(this, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize, 0,
                                "ScanFormat");
    // A long folder keeps its end, the part that tells folders apart.
    m_destination = new wxStaticText(this, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize,
                                     wxST_ELLIPSIZE_START, "ScanDestination");
    auto* close = new wxButton(this, wxID_CLOSE, _("Close"), wxDefaultPosition, wxDefaultSize, 0,
                               wxDefaultValidator, "CloseDialog");
    close->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Close(); });
    auto* delivery = new wxBoxSizer(wxVERTICAL);
    delivery->Add(m_format, 0, wxEXPAND | wxBOTTOM, 4);
    delivery->Add(m_destination, 0, wxEXPAND);
    auto* footer = new wxBoxSizer(wxHORIZONTAL);
    footer->Add(delivery, 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, 10);
    footer->Add(close, 0, wxALIGN_CENTER_VERTICAL);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(new VEQUI(this, plugin, context), 1, wxEXPAND, 0);
    sizer->Add(footer, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 12);
    SetSizer(sizer);
    return true;
}

void VEQUIPluginDialog::SetDelivery(const wxString& format, const wxString& destination) {
    m_format->SetLabel(wxString::Format(_("Format: %s"), format));
    m_destination->SetLabel(destination.empty() ? wxString()
                                                : wxString::Format(_("Saved in: %s"), destination));
    m_destination->SetToolTip(destination);
    m_destination->Show(!destination.empty());
    Layout();
}

}  // namespace veq
