// Download of jobs into mapped folders: the data goes piece by piece into a
// staging file, and only a complete file is placed under its final name.
#include "DropwellImpl.h"

#include "DropwellFileNames.h"
#include "FolderWatcher.h"
#include "JobPaths.h"
#include "Logger.h"
#include "StagingFile.h"

#include <sys/stat.h>

#include <vector>

namespace {

constexpr int kPieceSize = 1 << 20;
constexpr int kStoppingOrWriteFailed = -9;

// The request's attribute list, built in the SDK's heap through the wrapper and
// released with it.
class RequestAttributes {
public:
    RequestAttributes(VelloraWrapper& wrapper, const std::vector<std::pair<std::string, std::string>>& pairs)
        : m_wrapper(wrapper) {
        m_wrapper.AllocateScanAttributes(static_cast<int>(pairs.size()), m_attributes, __FILE__, __LINE__);
        for (size_t i = 0; i < pairs.size(); ++i) {
            m_attributes.names[i] = m_wrapper.DupString(pairs[i].first.c_str(), __FILE__, __LINE__);
            m_attributes.values[i] = m_wrapper.DupString(pairs[i].second.c_str(), __FILE__, __LINE__);
        }
    }
    ~RequestAttributes() { m_wrapper.FreeScanAttributes(m_attributes); }
    RequestAttributes(const RequestAttributes&) = delete;
    RequestAttributes& operator=(const RequestAttributes&) = delete;
    ScanAttributes* Get() { return &m_attributes; }

private:
    VelloraWrapper& m_wrapper;
    ScanAttributes m_attributes{};
};

// A page folder of our own: made when missing; an existing link or file of that
// name is not written through.
bool MakePageFolder(const wxString& path) {
    if (JobPaths::IsRealDirectory(path)) return true;
    return ::mkdir(path.fn_str(), 0777) == 0 || JobPaths::IsRealDirectory(path);
}

}  // namespace

bool DropwellImpl::DownloadJobToFolder(int jobId, const DROPWELL::stJobDetails& details, const wxString& mailboxId,
                                       const wxString& nameIP) {
    const bool ok = DropwellFileNames::IsJpegFormat(details.format)
                        ? DownloadJobToFolderJPEG(jobId, details, mailboxId, nameIP)
                        : DownloadJobToFolderOthers(jobId, details, mailboxId, nameIP);
    if (!ok) VEQLOG(Error) << "Failed to download Job to Folder from server " << nameIP;
    return ok;
}

bool DropwellImpl::DownloadJobToFolderJPEG(int jobId, const DROPWELL::stJobDetails& details,
                                           const wxString& mailboxId, const wxString& nameIP) {
    if (details.pages == 1) return SaveOneSingleJpegPageToDisk(jobId, details, mailboxId, nameIP, 1, wxString());
    if (details.pages < 1) return false;
    // Every page is tried; the job counts as downloaded only when all arrived,
    // so that a missing page is fetched again by the next reconciliation.
    // Another job of that name in the same folder keeps its page folder; this
    // one takes its collision name, which the jobs database then knows.
    wxString password, folder;
    if (!GetFolderMapDetails(nameIP, mailboxId, password, folder)) return false;
    wxString stem = details.fileName;
    if (PageFolderOfAnotherJob(nameIP, mailboxId, jobId, stem) ||
        !PageFolderUsable(JobPaths::JobPath(folder, details), stem, details)) {
        stem = JobPaths::CollisionStem(stem, jobId);
        RecordJobFileName(nameIP, mailboxId, jobId, stem);
    }
    bool all = true;
    for (int page = 1; page <= details.pages && !WorkerStopRequested(); ++page) {
        DROPWELL::stJobDetails pageDetails = details;
        pageDetails.fileName = stem + wxString::Format("_%d", page);
        if (!SaveOneSingleJpegPageToDisk(jobId, pageDetails, mailboxId, nameIP, page, stem)) all = false;
    }
    return all && !WorkerStopRequested();
}

bool DropwellImpl::DownloadJobToFolderOthers(int jobId, const DROPWELL::stJobDetails& details,
                                             const wxString& mailboxId, const wxString& nameIP) {
    return TransferToFolder(jobId, details, mailboxId, nameIP, 0, wxString());
}

bool DropwellImpl::SaveOneSingleJpegPageToDisk(int jobId, const DROPWELL::stJobDetails& details,
                                               const wxString& mailboxId, const wxString& nameIP, int page,
                                               const wxString& pageFolderName) {
    return TransferToFolder(jobId, details, mailboxId, nameIP, page, pageFolderName);
}

bool DropwellImpl::TransferToFolder(int jobId, const DROPWELL::stJobDetails& details, const wxString& mailboxId,
                                    const wxString& nameIP, int page, const wxString& pageFolderName) {
    wxString password, folder;
    if (mailboxId.empty() || !GetFolderMapDetails(nameIP, mailboxId, password, folder)) return false;
    if (DropwellFileNames::Extension(details.format).empty() || details.fileName.empty()) return false;
    const wxString staging = StagingFolder();
    const ServerConnectionPtr connection = FindConnection(nameIP);
    if (!connection) return false;

    const std::string format(details.format.utf8_str());
    std::vector<std::pair<std::string, std::string>> pairs;
    if (page == 0) {
        pairs = {{"N_DEST", "1"}, {"DEST:1", "CALLER"}, {"DEST_FORMAT:1", format}};
    } else {
        pairs = {{"DEST:1", "CALLER"}, {"DEST_FORMAT:1", format}, {"DEST_PAGE:1", std::to_string(page)}, {"N_DEST", "1"}};
    }
    const std::string box(mailboxId.utf8_str()), pw(password.utf8_str());
    const wxString fileName = DropwellFileNames::FileName(details.fileName, details.format);
    auto logFailure = [&](int rc) {
        VEQLOG(Debug) << "SCAN_getDataInMailbox failed with Vellora error code " << rc << " for job " << jobId << ", "
                      << nameIP << ", " << mailboxId;
    };

    std::vector<char>& buffer = m_pieceBuffer;
    buffer.resize(kPieceSize);
    StagingFile file;
    int offset = 0, rc = 0;
    for (;;) {
        int size = kPieceSize;
        rc = connection->Use([&](VelloraWrapper& w) {
            RequestAttributes request(w, pairs);
            return w.SCAN_getDataInMailbox(box, pw, jobId, request.Get(), offset, buffer.data(), &size);
        });
        if (rc != 0) break;
        if (size < 0 || size > kPieceSize) {
            rc = kStoppingOrWriteFailed;
            break;
        }
        if (offset == 0) {
            if (size == 0) break;  // an empty job is no job
            // A staging folder that cannot be written shows here.
            if (!file.Create(staging + fileName)) {
                if (page == 0) VEQLOG(Debug) << "Write permission denied for directory " << staging;
                return false;
            }
        }
        if (size == 0) break;
        if (!file.Write(buffer.data(), static_cast<size_t>(size))) {
            rc = kStoppingOrWriteFailed;
            break;
        }
        if (size < kPieceSize) break;
        if (WorkerStopRequested()) {
            rc = kStoppingOrWriteFailed;
            break;
        }
        offset += kPieceSize;
    }
    if (offset == 0 && rc == 0 && file.Path().empty()) {
        logFailure(rc);
        return false;
    }
    if (rc != 0 || !file.Close()) {
        file.Discard();
        logFailure(rc != 0 ? rc : kStoppingOrWriteFailed);
        return false;
    }
    // The file goes where the mailbox is mapped now: the mapping may have
    // changed during the transfer. A mailbox no longer mapped takes nothing.
    const wxString staged = file.Detach();
    if (!GetFolderMapDetails(nameIP, mailboxId, password, folder)) {
        ::unlink(staged.fn_str());
        return false;
    }
    wxString target = JobPaths::WithoutTrailingSeparator(folder);
    wxString error;
    bool placed = false;
    if (pageFolderName.empty()) {
        placed = PlaceJobFile(staged, target, jobId, details, mailboxId, nameIP, error);
    } else {
        target += "/" + pageFolderName;
        bool taken = false;
        if (!PageFolderUsable(target, pageFolderName, details) || !MakePageFolder(target)) {
            error = "the page folder's name is taken";
        } else {
            m_placed->Note(target);
            FolderWatcher::GetInstance()->AddSubFolderEntry(target);
            placed = PlaceFile(staged, target, fileName, taken, error);
        }
        ::unlink(staged.fn_str());
    }
    if (!placed) {
        // A target folder that cannot be written, a full disk, a taken name:
        // the job waits a while before it is fetched again.
        VEQLOG(Error) << "Unable to place " << fileName << " (" << error << ") in folder " << target;
        PlacementFailed(nameIP, mailboxId, jobId);
        return false;
    }
    return true;
}

bool DropwellImpl::PlaceFile(const wxString& staged, const wxString& folder, const wxString& fileName, bool& taken,
                             wxString& error) {
    const wxString path = folder + "/" + fileName;
    SetPlacingPartFile(folder + "/" + DropwellFileNames::PartFileName(fileName));
    // Known to the watcher before it appears, so that the user's deletion of it
    // is seen however soon it follows.
    FolderWatcher::GetInstance()->FileComing(folder, fileName);
    taken = false;
    bool placed = PlaceStagedFileAsNew(staged, folder, fileName, taken, error) ||
                  (taken && SameFileContents(staged, path));
    if (!placed && taken && m_placed->Check(path) == PlacedFiles::Owner::Placed) {
        // The service's own earlier copy of this file is replaced.
        placed = PlaceStagedFile(staged, folder, fileName, error);
    }
    SetPlacingPartFile(wxString());
    if (placed) m_placed->Note(path);
    FolderWatcher::GetInstance()->FileSettled(folder, fileName, placed);
    if (!placed && taken) error = "the name is taken by another file";
    return placed;
}

void DropwellImpl::SetPlacingPartFile(const wxString& path) {
    std::lock_guard<std::mutex> lock(m_placingLock);
    m_placingPart = path;
}

bool DropwellImpl::PlaceJobFile(const wxString& staged, const wxString& folder, int jobId,
                                const DROPWELL::stJobDetails& details, const wxString& mailboxId,
                                const wxString& nameIP, wxString& error) {
    // A file that holds the job's name already is never replaced unless it has
    // the job's bytes: it may be the user's own or another job of that name.
    // The job then takes its collision name, and the jobs database learns it.
    bool placed = false;
    for (const wxString& stem : {details.fileName, JobPaths::CollisionStem(details.fileName, jobId)}) {
        bool taken = false;
        placed = PlaceFile(staged, folder, DropwellFileNames::FileName(stem, details.format), taken, error);
        if (placed) {
            if (stem != details.fileName) RecordJobFileName(nameIP, mailboxId, jobId, stem);
            break;
        }
        if (!taken) break;
    }
    ::unlink(staged.fn_str());
    return placed;
}

bool DropwellImpl::PageFolderOfAnotherJob(const wxString& nameIP, const wxString& mailboxId, int jobId,
                                          const wxString& stem) {
    wxString password, folder;
    if (!GetFolderMapDetails(nameIP, mailboxId, password, folder)) return false;
    folder = JobPaths::WithoutTrailingSeparator(folder);
    std::lock_guard<std::recursive_mutex> servers(m_serversLock);
    std::lock_guard<std::recursive_mutex> jobs(m_jobsLock);
    for (const auto& server : m_servers) {
        const auto serverJobs = m_jobsDB.find(server.NameIP);
        if (serverJobs == m_jobsDB.end()) continue;
        for (const auto& [id, mapping] : server.MappedFolders) {
            if (JobPaths::WithoutTrailingSeparator(mapping.Folder) != folder) continue;
            const auto mailboxJobs = serverJobs->second.find(id);
            if (mailboxJobs == serverJobs->second.end()) continue;
            for (const auto& [otherId, other] : mailboxJobs->second) {
                const bool same = server.NameIP == nameIP && id == mailboxId && otherId == jobId;
                if (!same && JobPaths::IsPaged(other) && other.fileName == stem) return true;
            }
        }
    }
    return false;
}

void DropwellImpl::RecordJobFileName(const wxString& nameIP, const wxString& mailboxId, int jobId,
                                     const wxString& stem) {
    std::lock_guard<std::recursive_mutex> lock(m_jobsLock);
    const auto server = m_jobsDB.find(nameIP);
    if (server == m_jobsDB.end()) return;
    const auto mailbox = server->second.find(mailboxId);
    if (mailbox == server->second.end()) return;
    const auto job = mailbox->second.find(jobId);
    if (job != mailbox->second.end()) job->second.fileName = stem;
}
