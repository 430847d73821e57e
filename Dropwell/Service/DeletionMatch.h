// Which job a file deleted from a mapped folder belonged to. Only a file the
// service put there counts: the job's whole file name (name and its format's
// extension) in the mapped folder itself, a page file of the job's own page
// folder, or that page folder as a whole. Each mapping is matched only against
// its own jobs, so a deletion in one mapped folder never reaches the job of
// another mapping (nested folders included).
#pragma once

#include <optional>
#include <vector>

#include "DropwellTypes.h"
#include "ServiceRecords.h"

struct DeletedJob {
    wxString serverName;   // NameIP
    wxString mailboxId;
    wxString password;
    wxString folder;       // the mapped folder
    int jobId = 0;
    DROPWELL::stJobDetails details;
};

// The job whose file fileName vanished from directory, or none. Hidden names
// (the service's own part files among them) and empty names never match.
std::optional<DeletedJob> FindDeletedJob(const std::vector<DROPWELL::stServerFolderMapDetails>& servers,
                                         const DROPWELL::JobsDatabase& jobs, const wxString& directory,
                                         const wxString& fileName);
