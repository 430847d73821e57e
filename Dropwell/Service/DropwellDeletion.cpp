// Deletion mirroring: a job deleted on the server loses its file in the mapped
// folder, and a downloaded file the user deletes deletes its job on the server.
// Either way only what the service itself placed is touched.
#include "DropwellImpl.h"

#include "DeletionMatch.h"
#include "DropwellFileNames.h"
#include "FolderWatcher.h"
#include "JobPaths.h"
#include "Logger.h"
#include "VEQHelper.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

bool DropwellImpl::DeleteJobFromFolder(const DROPWELL::stJobDetails& details, const wxString& mailboxId,
                                       const wxString& nameIP) {
    wxString password, folder;
    if (!GetFolderMapDetails(nameIP, mailboxId, password, folder)) return false;
    return RemoveJobFiles(folder, details);
}

bool DropwellImpl::RemoveJobFiles(const wxString& folder, const DROPWELL::stJobDetails& details) {
    const wxString path = JobPaths::JobPath(folder, details);
    if (JobPaths::IsPaged(details)) return DeleteMultiPageJPEGFile(path, details);
    return RemovePlacedFile(path);
}

bool DropwellImpl::RemovePlacedFile(const wxString& path) {
    switch (m_placed->Check(path)) {
        case PlacedFiles::Owner::Placed:
            if (::unlink(path.fn_str()) == 0) {
                m_placed->Forget(path);
                return true;
            }
            VEQLOG(Error) << "Unable to delete the job from folder as file " << path
                          << " could not be removed: " << std::strerror(errno);
            return false;
        case PlacedFiles::Owner::Changed:
            m_placed->Forget(path);
            VEQLOG(Debug) << "Kept file " << path << " as it was changed since it was placed";
            return true;
        case PlacedFiles::Owner::Unknown: {
            struct stat st;
            if (::lstat(path.fn_str(), &st) != 0) break;
            VEQLOG(Debug) << "Kept file " << path << " as the service did not place it";
            return true;
        }
        case PlacedFiles::Owner::Gone:
            m_placed->Forget(path);
            break;
    }
    VEQLOG(Error) << "Unable to delete the job from folder as file " << path << " does not exist";
    return false;
}

void DropwellImpl::RemoveAllScannedJobs(const wxString& nameIP) {
    std::lock_guard<std::recursive_mutex> servers(m_serversLock);
    std::lock_guard<std::recursive_mutex> jobs(m_jobsLock);
    const auto server = m_jobsDB.find(nameIP);
    if (server == m_jobsDB.end()) return;
    for (auto& [mailboxId, mailboxJobs] : server->second) {
        for (const auto& [jobId, details] : mailboxJobs) DeleteJobFromFolder(details, mailboxId, nameIP);
        mailboxJobs.clear();
    }
}

bool DropwellImpl::DeleteMultiPageJPEGFile(const wxString& pageFolder, const DROPWELL::stJobDetails& details) {
    if (!JobPaths::IsRealDirectory(pageFolder)) {
        m_placed->Forget(pageFolder);
        return true;
    }
    if (m_placed->Check(pageFolder) != PlacedFiles::Owner::Placed) {
        VEQLOG(Debug) << "Kept folder " << pageFolder << " as the service did not place it";
        return true;
    }
    FolderWatcher::GetInstance()->RemoveSubFolderEntry(pageFolder);
    // Only the job's own page files go; the folder goes only when that empties it.
    bool removed = true;
    for (int page = 1; page <= details.pages; ++page) {
        const wxString file = pageFolder + "/" + JobPaths::PageFileName(details, page);
        const PlacedFiles::Owner owner = m_placed->Check(file);
        if (owner == PlacedFiles::Owner::Placed && ::unlink(file.fn_str()) != 0) {
            removed = false;
            continue;
        }
        if (owner == PlacedFiles::Owner::Changed) {
            VEQLOG(Debug) << "Kept file " << file << " as it was changed since it was placed";
        }
        m_placed->Forget(file);
    }
    if (::rmdir(pageFolder.fn_str()) == 0) m_placed->Forget(pageFolder);
    return removed;
}

void DropwellImpl::JobDeletedFromFolder(const wxString& directory, const wxString& fileName,
                                        const FileIdentity& identity) {
    // The service's own passing files (the write probe's, a copy's part file)
    // are neither a job's nor a change by the user.
    if (VEQHelper::IsProbeFileName(fileName) || DropwellFileNames::IsPartFileName(fileName)) return;
    if (!EnterWatcherCall()) return;
    // The user may be freeing space or mending the folder: placements may work now.
    ResetBackOff(JobPaths::WithoutTrailingSeparator(directory));
    m_deletionHold.Hold(JobPaths::WithoutTrailingSeparator(directory), fileName, identity);
    LeaveWatcherCall();
}

void DropwellImpl::MirrorHeldDeletion(const HeldDeletion& held) {
    if (!EnterWatcherCall()) return;
    const wxString path = held.folder + "/" + held.fileName;
    struct stat st;
    std::optional<DeletedJob> found;
    if (!DeletionHold::SameFolder(held.folder, held.identity)) {
        // The whole folder went, was replaced or unmounted: no file was deleted by itself.
        VEQLOG(Debug) << "Kept the job of " << path << " as folder " << held.folder << " vanished or was replaced";
    } else if (::lstat(path.fn_str(), &st) == 0) {
        VEQLOG(Debug) << "Kept the job of " << path << " as a file of that name is there again";
    } else if (m_placed->Check(path) != PlacedFiles::Owner::Gone) {
        VEQLOG(Debug) << "Deleted file " << path << " was not placed by the service";
    } else {
        std::lock_guard<std::recursive_mutex> servers(m_serversLock);
        std::lock_guard<std::recursive_mutex> jobs(m_jobsLock);
        found = FindDeletedJob(m_servers, m_jobsDB, held.folder, held.fileName);
    }
    const ServerConnectionPtr connection = found ? FindConnection(found->serverName) : ServerConnectionPtr();
    if (connection) {
        const std::string box(found->mailboxId.utf8_str()), pw(found->password.utf8_str());
        const int jobId = found->jobId;
        const int rc = connection->Use([&](VelloraWrapper& w) { return w.SCAN_deleteJobInMailbox(box, pw, jobId); });
        VEQLOG(Debug) << "Deleted job " << jobId << " of mailbox " << found->mailboxId << " with result " << rc
                      << " as its file was deleted from " << held.folder;
        m_placed->Forget(path);
        const wxString pageFolder = JobPaths::JobPath(found->folder, found->details);
        if (JobPaths::IsPaged(found->details)) DeleteMultiPageJPEGFile(pageFolder, found->details);
    }
    LeaveWatcherCall();
    // The connection is released here, outside every core lock.
}
