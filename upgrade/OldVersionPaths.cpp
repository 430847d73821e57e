#include "OldVersionPaths.h"

#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/stdpaths.h>

#include "VeqRoot.h"

namespace vequpgrade {

const wxString kOldAppName = "Veqora";

namespace {

wxString UnderRoot(const wxString& absolutePath) {
    return wxString::FromUTF8(veqplatform::UnderRoot(absolutePath.utf8_string()));
}

wxString FolderPath(const wxString& base, const wxString& child) {
    wxFileName folder(base, wxEmptyString);
    folder.AppendDir(child);
    return folder.GetFullPath();
}

}  // namespace

wxString OldSettingsLocalFile() {
    return wxFileConfig::GetLocalFileName(kOldAppName);
}

wxString OldSettingsGlobalFile() {
    return UnderRoot(wxFileConfig::GetGlobalFileName(kOldAppName));
}

wxString GetOldMailboxCredentialsPath() {
    return FolderPath(wxStandardPaths::Get().GetUserConfigDir(), kOldAppName);
}

wxString GetOldDropwellPath() {
    const wxString qmv = FolderPath(UnderRoot("/Library/Application Support/QMV"), "Veqora");
    if (wxFileName::DirExists(qmv + "Dropwell/")) {
        return qmv;
    }
    return FolderPath(UnderRoot("/Applications/Zelto"), "Veqora");
}

wxString GetNewVEQPath() {
    return FolderPath(UnderRoot("/Library/Application Support/"), "Veqora");
}

}  // namespace vequpgrade
