#include "TraySettings.h"

#include <wx/fileconf.h>

const char kStartAtLoginKey[] = "StartAtLogin";

std::unique_ptr<wxConfigBase> OpenTraySettings() {
    return std::make_unique<wxFileConfig>("TrayIcon", wxEmptyString, wxEmptyString, wxEmptyString,
                                          wxCONFIG_USE_LOCAL_FILE);
}

bool ReadStartAtLogin(const wxConfigBase& settings) {
    bool flag = true;
    settings.Read(kStartAtLoginKey, &flag, true);
    return flag;
}
