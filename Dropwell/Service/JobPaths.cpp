#include "JobPaths.h"

#include "DropwellFileNames.h"

#include <sys/stat.h>

namespace JobPaths {

bool IsPaged(const DROPWELL::stJobDetails& job) {
    return DropwellFileNames::IsJpegFormat(job.format) && job.pages >= 2;
}

wxString JobPath(const wxString& folder, const DROPWELL::stJobDetails& job) {
    const wxString base = WithoutTrailingSeparator(folder) + "/";
    return IsPaged(job) ? base + job.fileName : base + DropwellFileNames::FileName(job.fileName, job.format);
}

wxString PageFileName(const DROPWELL::stJobDetails& job, int page) {
    return DropwellFileNames::PageFileName(job.fileName, page, job.format);
}

wxString CollisionStem(const wxString& stem, int jobId) {
    return stem + wxString::Format(" (%d)", jobId);
}

bool IsRealDirectory(const wxString& path) {
    struct stat st;
    return ::lstat(path.fn_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

wxString WithoutTrailingSeparator(const wxString& folder) {
    wxString result = folder;
    while (result.length() > 1 && result.Last() == '/') result.RemoveLast();
    return result;
}

}  // namespace JobPaths
