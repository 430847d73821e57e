// The scan plug-in's modal dialog: its whole content is the main-UI panel.
#pragma once

#include <memory>

#include <wx/dialog.h>

#include "IPlugin.h"
#include "VEQPluginExport.h"
#include "VEQUILaunchContext.h"

namespace veq {

class VEQPLUGIN_API VEQUIPluginDialog : public wxDialog {
public:
    VEQUIPluginDialog();  // not created
    VEQUIPluginDialog(std::shared_ptr<IPlugin> plugin, std::shared_ptr<VEQUILaunchContext> context,
                      wxWindow* parent, int id, const wxString& title, const wxPoint& pos,
                      const wxSize& size, long style, const wxString& name);

    bool Create(std::shared_ptr<IPlugin> plugin, std::shared_ptr<VEQUILaunchContext> context,
                wxWindow* parent, int id, const wxString& title, const wxPoint& pos,
                const wxSize& size, long style, const wxString& name);

private:
    std::weak_ptr<IPlugin> m_plugin;
};

}  // namespace veq
