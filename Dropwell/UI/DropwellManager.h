// The process's in-memory owner of the folder mappings: whether a mailbox is
// mapped and to which folder, and mapping or unmapping it. Every change
// rewrites the whole mapping file at once. Used on the user-interface thread.
#pragma once

#include <vector>

#include <wx/string.h>

#include "DropwellTypes.h"

class DropwellManager {
public:
    // The process's manager; the first call reads the mapping file.
    static DropwellManager* GetInstance();

    // Reads the mapping file again, dropping what the manager holds, as a new
    // process would (tests run several of them in one process).
    static void ReloadForTesting();

    // Maps the mailbox to folder when status.mapped is 1, else unmaps it; then
    // rewrites the mapping file. Returns 0 when it was saved; otherwise the
    // manager keeps what it held before the call.
    int DoDropwell(const stMailBoxInfo& mailbox, wxString folder, const DROPWELL::stFolderMapStatus& status);

    // status.mapped = 1 with the mapping's folder and statuses when the mailbox
    // is mapped (server status 4 when the stored server status is 1 and the
    // caller's password differs); else status.mapped = 0, the rest untouched.
    void GetDropwellInfo(const stMailBoxInfo& mailbox, wxString& folder, DROPWELL::stFolderMapStatus& status);

    // Whether any mapping uses exactly this folder.
    bool IsFolderMapped(const wxString& folder);

    DropwellManager(const DropwellManager&) = delete;
    DropwellManager& operator=(const DropwellManager&) = delete;

private:
    DropwellManager();
    void Load();
    std::vector<DROPWELL::stServerFolderMapDetails>::iterator FindServer(const wxString& nameIP);

    std::vector<DROPWELL::stServerFolderMapDetails> m_mappings;
};
