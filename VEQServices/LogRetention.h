// Pruning of old log files, done once when a process that logged ends.
#pragma once

#include <cstdint>

#include <wx/string.h>

#include "VEQServicesExport.h"

struct LogRetentionPolicy {
    std::uint32_t maxFilesRetained;  // the newest file and this many more are kept
    std::uint64_t maxTotalSize;      // bytes; the file that reaches it is still kept
    wxString currentRunPrefix;       // this process's files up to their counter; never deleted
};

// Orders every file below folder (subfolders and hidden files included)
// newest first by the start time and counter in its name
// ("<base>_%Y_%m_%d_%H_%M_%S_<counter>.log"; files named otherwise count as
// oldest), keeps files until the count or size limit is reached, keeps the
// rest of the run of the file at which it stopped, and deletes all older
// files. Failures are silent.
VEQSERVICES_API void CheckAndDeletePreviousLogFiles(const wxString& folder, const LogRetentionPolicy& policy);
