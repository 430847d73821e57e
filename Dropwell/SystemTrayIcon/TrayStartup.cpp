#include "TrayStartup.h"

#include <wx/log.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>

#include "Logger.h"
#include "TraySettings.h"
#include "VEQServicesUtil.h"

namespace {

const char kInstanceName[] = "QMV_VEQ_FOLDERMAPTRAYICON_49abcB-BE9D-4a90-99BC-19-%s";

}  // namespace

bool TrayStartup::IsSingleInstance() {
    wxLogNull quiet;
    m_checker = std::make_unique<wxSingleInstanceChecker>(wxString::Format(kInstanceName, wxGetUserId()),
                                                          wxStandardPaths::Get().GetUserConfigDir());
    return m_checker->IsAnotherRunning();
}

TrayStart TrayStartup::Decide(const std::vector<wxString>& arguments) {
    if (IsSingleInstance()) {
        m_checker.reset();
        return TrayStart::AnotherInstance;
    }
    VEQLogger::SetLogDirectory(VEQServicesUtil::GetConfigDirectory() + "TrayIcon");
    if (arguments.empty() && !ReadStartAtLogin(*OpenTraySettings())) {
        VEQLOG(Debug) << "StartAtLogin is false, exiting";
        return TrayStart::StartAtLoginOff;
    }
    return TrayStart::Run;
}
