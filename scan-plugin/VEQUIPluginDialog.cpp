#include "VEQUIPluginDialog.h"

#include <wx/iconbndl.h>
#include <wx/sizer.h>

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
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(new VEQUI(this, plugin, context), 1, wxEXPAND, 0);
    SetSizer(sizer);
    return true;
}

}  // namespace veq
