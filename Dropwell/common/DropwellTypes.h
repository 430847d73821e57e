// The folder-mapping records every user of the store exchanges.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include <wx/string.h>

namespace DROPWELL {

// One mapped mailbox. The password is plain and lives in memory only.
struct stFolderMapDetails {
    wxString MailboxName;
    wxString Password;
    wxString Folder;      // full path of the local folder
    long Status = 0;      // 0 no folder chosen, 1 folder writable, 2 not writable
};

// One mapped server, identified by NameIP (compared case-sensitively), with its
// mappings ordered by mailbox id.
struct stServerFolderMapDetails {
    wxString NameIP;
    wxString DisplayName;
    long Status = 0;      // 1 mapped through the dialog
    std::map<wxString, stFolderMapDetails> MappedFolders;
};

typedef std::vector<stServerFolderMapDetails> ServerMappings;

// Whether a mailbox is mapped (1) or not (0), with its mailbox and server status.
struct stFolderMapStatus {
    int32_t mapped = 0;
    int32_t mailboxStatus = 0;
    int32_t serverStatus = 0;
};

}  // namespace DROPWELL

// The caller's description of one mailbox.
struct stMailBoxInfo {
    wxString NameIP;
    wxString DisplayName;
    wxString MailboxId;   // the key the mapping is stored under
    wxString MailboxName;
    wxString Password;
};
