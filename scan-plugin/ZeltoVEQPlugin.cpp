#include "ZeltoVEQPlugin.h"

#include <string>

#include <wx/intl.h>
#include <wx/msgdlg.h>

#include "Logger.h"
#include "Server.h"
#include "VEQDataSource.h"
#include "VEQUIPluginDialog.h"
#include "VEQUILaunchContext.h"

namespace veq {

namespace {

const char kIPv4Pattern[] =
    "^(([0-9]|([0-9][0-9])|([0-1][0-9][0-9])|(2[0-4][0-9])|(25[0-5]))\\.){3}"
    "([0-9]|([0-9][0-9])|([0-1][0-9][0-9])|(2[0-4][0-9])|(25[0-5]))$";

std::string Trimmed(const std::string& text) {
    const char* blanks = " \t\n\r\f\v";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return std::string();
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool OptionIsTrue(const std::map<wxString, wxAny>& options, const wxString& key) {
    auto found = options.find(key);
    bool value = false;
    return found != options.end() && found->second.GetAs(&value) && value;
}

// The text a host passed under key; empty when absent or not a text.
wxString OptionText(const std::map<wxString, wxAny>& options, const wxString& key) {
    auto found = options.find(key);
    wxString value;
    return found != options.end() && found->second.GetAs(&value) ? value : wxString();
}

wxString FormatName(types::FileFormat format) {
    switch (format) {
    case types::tiff:
        return "TIFF";
    case types::jpeg:
        return "JPEG";
    default:
        return "PDF";
    }
}

}  // namespace

ZeltoVEQPlugin::ZeltoVEQPlugin()
    : m_ipPattern(std::make_shared<std::regex>(kIPv4Pattern, std::regex::ECMAScript)) {}

ZeltoVEQPlugin::~ZeltoVEQPlugin() = default;

int ZeltoVEQPlugin::Launch(const wxString& ip, types::FileFormat format) {
    std::map<wxString, wxAny> options;
    return Launch(ip, format, options);
}

int ZeltoVEQPlugin::Launch(const wxString& ip, types::FileFormat format,
                           std::map<wxString, wxAny>& options) {
    const bool quiet = OptionIsTrue(options, "supresserror");
    if (!ip.empty()) {
        const wxString message = wxString::Format(_("Connection to %s failed."), ip);
        if (!IsIPValid(ip)) {
            VEQLOG(Error) << "Refused server address " << ip;
            if (!quiet) {
                wxMessageBox(message, "Veqora", wxOK | wxCENTRE, nullptr);
            }
            return wxID_CANCEL;
        }
        if (!VerifyIPAndMakeCurrent(ip)) {
            VEQLOG(Error) << "Server " << ip << " does not answer";
            if (!quiet) {
                wxMessageBox(message, wxMessageBoxCaptionStr, wxOK | wxCENTRE, nullptr);
            }
            return wxID_CANCEL;
        }
    }

    m_plugin = std::make_shared<VEQUIPlugin>(format);
    auto context = std::make_shared<ZeltoVEQUILaunchContext>();
    if (format == types::jpeg) {
        context->SetFormat({true, VEQTypes::JPEG});
    }
    VEQUIPluginDialog dialog(m_plugin, context, nullptr, -1, "Veqora", wxDefaultPosition,
                             wxSize(450, 610), wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX,
                             "VEQUIPluginDialog");
    dialog.SetDelivery(FormatName(format), OptionText(options, "savepath"));
    wxPoint position = wxDefaultPosition;
    auto found = options.find("pos");
    if (found != options.end()) {
        wxPoint point;
        if (found->second.GetAs(&point)) {
            position = point;
        }
    }
    if (position == wxDefaultPosition) {
        dialog.Centre(wxBOTH);
    } else {
        const wxSize size = dialog.GetSize();
        dialog.Move(position.x - size.GetWidth() / 2, position.y - size.GetHeight() / 2);
    }
    return dialog.ShowModal();
}

std::vector<std::shared_ptr<VEQScannedImage>> ZeltoVEQPlugin::GetScannedImages() {
    return m_plugin ? m_plugin->GetScannedImages() : std::vector<std::shared_ptr<VEQScannedImage>>();
}

bool ZeltoVEQPlugin::IsIPValid(const wxString& ip) {
    const std::string narrow(ip.mb_str());
    return std::regex_match(Trimmed(narrow), *m_ipPattern);
}

bool ZeltoVEQPlugin::VerifyIPAndMakeCurrent(const wxString& ip) {
    std::shared_ptr<Server> server = VEQDataSource::Get().CreateServer(ip);
    if (!server) {
        return false;
    }
    const bool ok = server->TryConnect(ip);
    if (ok) {
        const Server::ServerInfo info = server->GetServerInfo();
        MakeServerCurrent({info.m_ip, info.m_name, info.m_model});
    }
    return ok;
}

void ZeltoVEQPlugin::MakeServerCurrent(const VEQConfig::VEQConfigServerEntry& entry) {
    std::shared_ptr<VEQConfig> config = VEQDataSource::Get().GetConfig();
    if (!config) {
        return;
    }
    if (!config->isServerAvailableInRecent(entry.m_ip)) {
        config->AddToRecentServer(entry);
    }
    config->SetCurrentServer(entry);
}

}  // namespace veq
