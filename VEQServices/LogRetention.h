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

// Orders the log files below folder (subfolders included, links never
// followed; regular files named "<base>_%Y_%m_%d_%H_%M_%S_<counter>.log", no
// others) newest first by the start time and counter in their names, keeps
// files until the count or size limit is reached, keeps the rest of the run
// of the file at which it stopped, and deletes all older files but those a
// live process still writes (it holds a lock on its current file). Failures
// are silent.
VEQSERVICES_API void CheckAndDeletePreviousLogFiles(const wxString& folder, const LogRetentionPolicy& policy);
