// Where a job's files lie in its mapped folder: one file, or for a JPEG job of
// several pages a page folder named after the job with one file per page.
#pragma once

#include "ServiceRecords.h"

namespace JobPaths {

// A JPEG job of two pages or more, kept in a page folder.
bool IsPaged(const DROPWELL::stJobDetails& job);

// folder/name.ext of a single-file job, or the page folder folder/name.
wxString JobPath(const wxString& folder, const DROPWELL::stJobDetails& job);

// The file name of page p (1-based) inside the page folder.
wxString PageFileName(const DROPWELL::stJobDetails& job, int page);

// The stem a single-file job takes when its own name is held by another file
// of the folder (a user's file, or another job of the same name): "stem (id)".
wxString CollisionStem(const wxString& stem, int jobId);

// Whether path is a folder itself (links are not followed).
bool IsRealDirectory(const wxString& path);

// The folder path without trailing separators ("/" stays "/").
wxString WithoutTrailingSeparator(const wxString& folder);

}  // namespace JobPaths
