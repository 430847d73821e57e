// Deletion mirroring: a job deleted on the server loses its file in the mapped
// folder, and a downloaded file the user deletes deletes its job on the server.
#include "DropwellImpl.h"

#include "DeletionMatch.h"
#include "FolderWatcher.h"
#include "JobPaths.h"
#include "Logger.h"

#include <unistd.h>

#include <chrono>
#include <thread>

bool DropwellImpl::DeleteJobFromFolder(const DROPWELL::stJobDetails& details, const wxString& mailboxId,
                                       const wxString& nameIP) {
    wxString password, folder;
    if (!GetFolderMapDetails(nameIP, mailboxId, password, folder)) return false;
    return RemoveJobFiles(folder, details);
}

bool DropwellImpl::RemoveJobFiles(const wxString& folder, const DROPWELL::stJobDetails& details) {
    const wxString path = JobPaths::JobPath(folder, details);
    if (JobPaths::IsPaged(details)) return DeleteMultiPageJPEGFile(path, details);
    if (::unlink(path.fn_str()) == 0) return true;
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
    if (!JobPaths::IsRealDirectory(pageFolder)) return true;
    FolderWatcher::GetInstance()->RemoveSubFolderEntry(pageFolder);
    // Only the job's own page files go; the folder goes only when that empties it.
    for (int page = 1; page <= details.pages; ++page) {
        ::unlink((pageFolder + "/" + JobPaths::PageFileName(details, page)).fn_str());
    }
    ::rmdir(pageFolder.fn_str());
    return true;
}

void DropwellImpl::JobDeletedFromFolder(const wxString& directory, const wxString& fileName) {
    if (!EnterWatcherCall()) return;
    std::optional<DeletedJob> found;
    {
        std::lock_guard<std::recursive_mutex> servers(m_serversLock);
        std::lock_guard<std::recursive_mutex> jobs(m_jobsLock);
        found = FindDeletedJob(m_servers, m_jobsDB, directory, fileName);
    }
    const ServerConnectionPtr connection = found ? FindConnection(found->serverName) : ServerConnectionPtr();
    if (connection) {
        const std::string box(found->mailboxId.utf8_str()), pw(found->password.utf8_str());
        const int jobId = found->jobId;
        const int rc = connection->Use([&](VelloraWrapper& w) { return w.SCAN_deleteJobInMailbox(box, pw, jobId); });
        VEQLOG(Debug) << "Deleted job " << jobId << " of mailbox " << found->mailboxId << " with result " << rc
                      << " as its file was deleted from " << directory;
        const wxString pageFolder = JobPaths::JobPath(found->folder, found->details);
        if (JobPaths::IsPaged(found->details)) DeleteMultiPageJPEGFile(pageFolder, found->details);
    }
    LeaveWatcherCall();
    // The connection is released here, outside every core lock.
}
