// Reconciliation of a listed mailbox with its mapped folder: what counts as a
// job's file is only what the service placed there and nobody changed since.
#include "DropwellImpl.h"

#include "DropwellFileNames.h"
#include "FolderWatcher.h"
#include "JobPaths.h"
#include "VEQHelper.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <set>

namespace {

// The names in folder (none when it cannot be read).
std::vector<wxString> FolderNames(const wxString& folder) {
    std::vector<wxString> names;
    DIR* dir = ::opendir(folder.fn_str());
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const wxString name(entry->d_name, *wxConvFileName);
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

}  // namespace

void DropwellImpl::ReconcileMailbox(const wxString& nameIP, const wxString& mailboxId,
                                    DROPWELL::stFolderMapDetails& mapping, const DROPWELL::JobMap& fetched) {
    const wxString folder = JobPaths::WithoutTrailingSeparator(mapping.Folder);
    RemoveLeftoverPartFiles(folder);
    // A placed file the user changed or replaced since is the user's now.
    m_placed->ForgetStaleIn(folder);
    std::lock_guard<std::recursive_mutex> servers(m_serversLock);
    std::lock_guard<std::recursive_mutex> jobs(m_jobsLock);
    DROPWELL::JobMap& known = m_jobsDB[nameIP][mailboxId];
    for (const auto& [jobId, job] : known) {
        if (!fetched.count(jobId)) RemoveJobFiles(folder, job);
    }
    known = fetched;
    for (auto& [jobId, job] : known) {
        // A job placed under its collision name earlier is found there again
        // (that name, with the job's id, is its alone; the plain one may be
        // another job's of the same name).
        DROPWELL::stJobDetails collided = job;
        collided.fileName = JobPaths::CollisionStem(job.fileName, jobId);
        if (IsPlaced(folder, collided)) job = collided;
    }
    for (const auto& [jobId, job] : known) {
        if (!IsPlaced(folder, job)) {
            // A user's file of the job's name is no download of it: the job
            // is fetched and takes its collision name (or, with the very same
            // bytes, the file is taken as the job's).
            AddMailBoxJob(jobId, nameIP, false);
        } else if (JobPaths::IsPaged(job)) {
            const wxString pageFolder = JobPaths::JobPath(folder, job);
            FolderWatcher::GetInstance()->AddSubFolderEntry(pageFolder);
            RemoveLeftoverPartFiles(pageFolder);
        }
    }
    mapping.Status = DROPWELL::kMappingReconciled;
    VEQHelper::ChangeFolderIcon(mapping.Folder, false);
}

bool DropwellImpl::IsPlaced(const wxString& folder, const DROPWELL::stJobDetails& job) const {
    const wxString path = JobPaths::JobPath(folder, job);
    if (m_placed->Check(path) != PlacedFiles::Owner::Placed) return false;
    if (!JobPaths::IsPaged(job)) return true;
    for (int page = 1; page <= job.pages; ++page) {
        if (m_placed->Check(path + "/" + JobPaths::PageFileName(job, page)) != PlacedFiles::Owner::Placed) {
            return false;
        }
    }
    return true;
}

bool DropwellImpl::PageFolderUsable(const wxString& path, const wxString& stem,
                                    const DROPWELL::stJobDetails& job) const {
    struct stat st;
    if (::lstat(path.fn_str(), &st) != 0) return errno == ENOENT;
    if (m_placed->Check(path) == PlacedFiles::Owner::Placed) return true;
    if (!S_ISDIR(st.st_mode)) return false;
    std::set<wxString> pages;
    for (int page = 1; page <= job.pages; ++page) {
        pages.insert(DropwellFileNames::PageFileName(stem, page, job.format));
    }
    for (const wxString& name : FolderNames(path)) {
        if (!pages.count(name)) return false;
    }
    return true;
}

void DropwellImpl::RemoveLeftoverPartFiles(const wxString& folder) {
    for (const wxString& name : FolderNames(folder)) {
        if (!DropwellFileNames::IsPartFileName(name)) continue;
        const wxString path = folder + "/" + name;
        struct stat st;
        std::lock_guard<std::mutex> lock(m_placingLock);
        if (path == m_placingPart || ::lstat(path.fn_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        ::unlink(path.fn_str());
    }
}
