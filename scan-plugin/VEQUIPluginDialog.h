// The scan plug-in's modal dialog: the main-UI panel, and below it the format
// the scan is delivered in, where the host puts it, and a Close button (which
// closes the dialog as its close box does).
#pragma once

#include <memory>

#include <wx/dialog.h>

class wxStaticText;

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

    // format: the format's name ("PDF"); destination: the folder the host saves
    // in, empty when the host does not say.
    void SetDelivery(const wxString& format, const wxString& destination);

private:
    std::weak_ptr<IPlugin> m_plugin;
    wxStaticText* m_format = nullptr;
    wxStaticText* m_destination = nullptr;
};

}  // namespace veq
