#include <algorithm>
#include <cstddef>
#include <vector>

#include <wx/dir.h>
#include <wx/filename.h>

#include "Migrate.h"
#include "OldCredentials.h"
#include "OldVersionPaths.h"

namespace {

// Far more mailboxes than the older version's users kept; each one carried over
// rewrites the settings, so a crafted folder of countless files stays quick.
constexpr std::size_t kMaxOldAutoLogins = 100;

// Every entry of the folder (files, folders, hidden ones), in name order so
// that two name files for one server always resolve the same way.
std::vector<wxString> EntriesOf(const wxString& folder) {
    std::vector<wxString> names;
    wxDir dir;
    if (!wxDir::Exists(folder) || !dir.Open(folder)) {
        return names;
    }
    wxString name;
    for (bool more = dir.GetFirst(&name, wxEmptyString, wxDIR_FILES | wxDIR_DIRS | wxDIR_HIDDEN);
         more; more = dir.GetNext(&name)) {
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

void Migrate::StoreAutoLoginsInJson() {
    const wxString oldFolder = vequpgrade::GetOldMailboxCredentialsPath();
    if (!wxFileName::DirExists(oldFolder)) {
        return;
    }
    const wxString folder = oldFolder + "DWP";
    std::size_t carried = 0;
    for (const wxString& name : EntriesOf(folder)) {
        if (carried == kMaxOldAutoLogins) {
            break;
        }
        const wxFileName nameFile(folder, name);
        if (nameFile.GetExt() != "mbx") {
            continue;
        }
        const wxString server = vequpgrade::ServerFromCredentialName(nameFile.GetName());
        const wxString passwordFile =
            folder + wxFileName::GetPathSeparator() + nameFile.GetName() + ".dwp";
        wxString password;
        if (!vequpgrade::GetMailboxPassword(passwordFile, password)) {
            continue;
        }
        m_config->SaveMailBoxAutoLogin(server, vequpgrade::GetMailboxName(nameFile.GetFullPath()),
                                       password);
        ++carried;
    }
}
