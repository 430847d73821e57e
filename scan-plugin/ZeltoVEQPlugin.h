// The scan plug-in: checks the server address it is given, records that
// server as the current one, and runs one session in a modal dialog whose
// content is the main-UI panel driving a VEQUIPlugin.
#pragma once

#include <memory>
#include <regex>

#include "VEQConfig.h"
#include "VEQPlugin.h"
#include "VEQPluginExport.h"
#include "VEQUIPlugin.h"

namespace veq {

class VEQPLUGIN_API ZeltoVEQPlugin : public VEQPlugin {
public:
    ZeltoVEQPlugin();
    ~ZeltoVEQPlugin() override;

    int Launch(const wxString& ip, types::FileFormat format) override;
    int Launch(const wxString& ip, types::FileFormat format, std::map<wxString, wxAny>& options) override;
    std::vector<std::shared_ptr<VEQScannedImage>> GetScannedImages() override;

    // A dotted quad of 0..255 fields once surrounding white space is trimmed.
    bool IsIPValid(const wxString& ip);
    // Probes the server with a guest login and, when it answers, makes it current.
    bool VerifyIPAndMakeCurrent(const wxString& ip);
    void MakeServerCurrent(const VEQConfig::VEQConfigServerEntry& entry);

private:
    std::shared_ptr<VEQUIPlugin> m_plugin;
    std::shared_ptr<std::regex> m_ipPattern;
};

}  // namespace veq
