#include "JobPaths.h"

#include "DropwellFileNames.h"

#include <sys/stat.h>

namespace JobPaths {

namespace {

bool IsRegularFile(const wxString& path) {
    struct stat st;
    return ::lstat(path.fn_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

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

bool IsPresent(const wxString& folder, const DROPWELL::stJobDetails& job) {
    const wxString path = JobPath(folder, job);
    if (!IsPaged(job)) return IsRegularFile(path);
    if (!IsRealDirectory(path)) return false;
    for (int page = 1; page <= job.pages; ++page) {
        if (!IsRegularFile(path + "/" + PageFileName(job, page))) return false;
    }
    return true;
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
