#include "DropwellImpl.h"

#include "FolderWatcher.h"
#include "JobAttributes.h"
#include "JobPaths.h"
#include "Logger.h"
#include "ServerConnectionThread.h"
#include "StagingFile.h"
#include "VEQHelper.h"

#include <wx/filename.h>

#include <algorithm>

namespace {

// The record of placed files lies beside the mapping file.
wxString PlacedFilesRecord() {
    wxString folder;
    VEQHelper::GetPasswordFilePath(folder, true);
    return folder + "/PlacedFiles.txt";
}

constexpr auto kFirstBackOff = std::chrono::seconds(2);
constexpr auto kLongestBackOff = std::chrono::minutes(4);

}  // namespace

DropwellImpl* DropwellImpl::GetInstance() {
    static DropwellImpl instance;
    return &instance;
}

DropwellImpl::~DropwellImpl() {
    StopDropwell();
}

wxString DropwellImpl::StagingFolder() {
    const wxString folder = VEQHelper::GetTempDir() + "Downloadfiles";
    if (!wxFileName::DirExists(folder)) wxFileName::Mkdir(folder, 0777, wxPATH_MKDIR_FULL);
    return folder + "/";
}

void DropwellImpl::StartDropwell() {
    if (m_started.exchange(true)) return;
    m_stopped = false;
    ClearStagingFolder(StagingFolder());
    m_placed = std::make_unique<PlacedFiles>(PlacedFilesRecord());
    m_placed->Load();
    m_deletionHold.Start([this](const HeldDeletion& held) { MirrorHeldDeletion(held); });
    StartProcessJobThread(&DropwellImpl::ProcessQueue, this);
    StartServerConnectionThread();
    VEQLOG(Debug) << "Dropwell started";
}

bool DropwellImpl::StartServerConnectionThread() {
    std::lock_guard<std::mutex> lock(m_connectionThreadLock);
    auto thread = std::make_unique<ServerConnectionThread>(this);
    if (thread->Create() != wxTHREAD_NO_ERROR || thread->Run() != wxTHREAD_NO_ERROR) return false;
    m_connectionThread = std::move(thread);
    return true;
}

void DropwellImpl::StopDropwell() {
    if (!m_started || m_stopped.exchange(true)) return;
    {
        std::unique_lock<std::mutex> lock(m_watcherCallsLock);
        m_watcherCallsDone.wait(lock, [this] { return m_watcherCalls == 0; });
    }
    if (const size_t dropped = m_deletionHold.Stop()) {
        VEQLOG(Debug) << "Dropped " << dropped << " deletions seen just before the stop";
    }
    std::unique_ptr<ServerConnectionThread> connectionThread;
    {
        std::lock_guard<std::mutex> lock(m_connectionThreadLock);
        connectionThread = std::move(m_connectionThread);
    }
    if (connectionThread) connectionThread->RequestStop();
    {
        // Calls under way (a controller that does not answer, a slow transfer)
        // end now instead of at the SDK's time-out; their work is abandoned.
        std::vector<ServerConnectionPtr> live;
        {
            std::lock_guard<std::recursive_mutex> lock(m_connectionsLock);
            for (const auto& entry : m_connections) live.push_back(entry.second);
        }
        ServerConnection::AbortAll(live);
    }
    if (connectionThread) connectionThread->Wait();
    StopProcessJobThread();
    m_placed->Flush();
    std::vector<ServerConnectionPtr> closing;
    {
        std::lock_guard<std::recursive_mutex> lock(m_connectionsLock);
        for (auto& entry : m_connections) closing.push_back(std::move(entry.second));
        m_connections.clear();
    }
    Release(closing);
    VelloraWrapper::VelloraUnload();
    VEQLOG(Debug) << " Dropwell stopped";
}

bool DropwellImpl::EnterWatcherCall() {
    std::lock_guard<std::mutex> lock(m_watcherCallsLock);
    if (!m_started || m_stopped) return false;
    ++m_watcherCalls;
    return true;
}

void DropwellImpl::LeaveWatcherCall() {
    std::lock_guard<std::mutex> lock(m_watcherCallsLock);
    if (--m_watcherCalls == 0) m_watcherCallsDone.notify_all();
}

void DropwellImpl::ResumeDropwell() {
    if (!m_paused.exchange(false) || m_stopped) return;
    {
        std::lock_guard<std::recursive_mutex> lock(m_serversLock);
        for (auto& server : m_servers) {
            for (auto& [id, mapping] : server.MappedFolders) {
                if (mapping.Status == DROPWELL::kMappingReconciled) mapping.Status = DROPWELL::kMappingToReconcile;
            }
        }
    }
    WakeConnectionThread();
}

void DropwellImpl::WakeConnectionThread() {
    std::lock_guard<std::mutex> lock(m_connectionThreadLock);
    if (m_connectionThread) m_connectionThread->ServerOrFolderDisconnected();
}

void DropwellImpl::DropwellModified() {
    if (!EnterWatcherCall()) return;
    ResetBackOff(wxString());
    {
        std::lock_guard<std::mutex> lock(m_connectionThreadLock);
        if (m_connectionThread) m_connectionThread->DropwellModified();
    }
    LeaveWatcherCall();
}

void DropwellImpl::WatchedFolderGone(const wxString& folder) {
    if (!EnterWatcherCall()) return;
    // Its mappings wait for the folder as for one that cannot be written; the
    // round that finds it again watches it afresh and reconciles it.
    bool mapped = false;
    {
        std::lock_guard<std::recursive_mutex> lock(m_serversLock);
        for (auto& server : m_servers) {
            for (auto& [id, mapping] : server.MappedFolders) {
                if (JobPaths::WithoutTrailingSeparator(mapping.Folder) != folder) continue;
                if (!mapped) VEQLOG(Debug) << "Folder " << folder << " got disconnected";
                mapping.Status = DROPWELL::kMappingNotWritable;
                mapped = true;
            }
        }
    }
    if (mapped) WakeConnectionThread();
    // The deletions of its files seen a moment ago were the folder's going.
    if (const size_t dropped = m_deletionHold.DropIn(folder)) {
        VEQLOG(Debug) << "Kept the jobs of " << dropped << " files as folder " << folder << " itself went";
    }
    ResetBackOff(folder);
    LeaveWatcherCall();
}

void DropwellImpl::AddMailBoxJob(int jobId, const wxString& nameIP, bool fromServerEvent) {
    Add(DROPWELL::stScanEvent{jobId, 0, nameIP, fromServerEvent});
}

void DropwellImpl::DeleteMailBoxJob(int jobId, const wxString& nameIP, bool fromServerEvent) {
    Add(DROPWELL::stScanEvent{jobId, 1, nameIP, fromServerEvent});
}

void* DropwellImpl::ProcessQueue(void* core) {
    auto* self = static_cast<DropwellImpl*>(core);
    while (!self->WorkerStopRequested()) {
        self->WaitForQEvent();
        while (!self->IsEmtpy() && !self->WorkerStopRequested()) {
            self->ProcessEvent(self->Front());
            self->Pop();
        }
    }
    return nullptr;
}

void DropwellImpl::ProcessEvent(const DROPWELL::stScanEvent& event) {
    wxString mailboxId;
    DROPWELL::stJobDetails details;
    if (event.eventType == 0) {
        const bool resolved = UpdateJobsDB(event, mailboxId, details);
        if (resolved && PlacementBackedOff(event.serverName, mailboxId, event.jobId)) {
            // Asked for again once the back-off is over (or the folder changes).
            DownloadFailed(event.serverName, mailboxId);
        } else if (!DownloadJobToFolder(event.jobId, details, resolved ? mailboxId : wxString(), event.serverName)) {
            FolderDisConnected(event.serverName, mailboxId);
            if (resolved) DownloadFailed(event.serverName, mailboxId);
        } else {
            PlacementSucceeded(event.serverName, mailboxId, event.jobId);
        }
    } else if (event.eventType == 1) {
        if (event.jobId == -1) {
            RemoveAllScannedJobs(event.serverName);
        } else if (UpdateJobsDB(event, mailboxId, details) &&
                   !DeleteJobFromFolder(details, mailboxId, event.serverName) &&
                   FolderDisConnected(event.serverName, mailboxId)) {
            // The folder cannot be written now: the job stays known, so that the
            // reconciliation that finds the folder writable again removes its file.
            std::lock_guard<std::recursive_mutex> servers(m_serversLock);
            std::lock_guard<std::recursive_mutex> jobs(m_jobsLock);
            wxString password, folder;
            if (GetFolderMapDetails(event.serverName, mailboxId, password, folder)) {
                m_jobsDB[event.serverName][mailboxId][event.jobId] = details;
            }
        }
    }
}

ServerConnectionPtr DropwellImpl::FindConnection(const wxString& nameIP) {
    std::lock_guard<std::recursive_mutex> lock(m_connectionsLock);
    const auto found = m_connections.find(nameIP);
    return found == m_connections.end() ? ServerConnectionPtr() : found->second;
}

bool DropwellImpl::UpdateJobsDB(const DROPWELL::stScanEvent& event, wxString& mailboxId,
                                DROPWELL::stJobDetails& details) {
    if (!(event.fromServerEvent && event.eventType == 0)) {
        return GetJobDetailsFromDB(event.serverName, event.jobId, mailboxId, details, event.fromServerEvent);
    }
    const ServerConnectionPtr connection = FindConnection(event.serverName);
    if (!connection) return false;
    // The mappings are copied so that no core lock is held during the SDK calls.
    std::map<wxString, DROPWELL::stFolderMapDetails> mappings;
    {
        std::lock_guard<std::recursive_mutex> lock(m_serversLock);
        for (auto& server : m_servers) {
            if (server.NameIP != event.serverName) continue;
            for (auto& [id, mapping] : server.MappedFolders) {
                if (mapping.Status == DROPWELL::kMappingNotWritable) continue;
                if (!VEQHelper::IsDirWritable(mapping.Folder)) {
                    mapping.Status = DROPWELL::kMappingNotWritable;
                    WakeConnectionThread();
                    continue;
                }
                mappings[id] = mapping;
            }
            break;
        }
    }
    for (const auto& [id, mapping] : mappings) {
        unsigned char inBox = 0;
        const std::string box(id.utf8_str()), password(mapping.Password.utf8_str());
        const int rc = connection->Use([&](VelloraWrapper& w) {
            return w.SCAN_isJobInMailbox(box, password, event.jobId, &inBox);
        });
        if (rc != 0 || !inBox) continue;
        if (!GetJobDetailsFromServer(connection, id, mapping.Password, event.jobId, details)) continue;
        mailboxId = id;
        std::lock_guard<std::recursive_mutex> servers(m_serversLock);
        std::lock_guard<std::recursive_mutex> jobs(m_jobsLock);
        // Only a mailbox that is still mapped gets the job.
        for (const auto& server : m_servers) {
            if (server.NameIP == event.serverName && server.MappedFolders.count(id)) {
                m_jobsDB[event.serverName][id][event.jobId] = details;
                return true;
            }
        }
        return false;
    }
    return false;
}

int DropwellImpl::GetAllJobDetailsFromServer(const ServerConnectionPtr& connection, const wxString& mailboxId,
                                             const wxString& password, DROPWELL::JobMap& jobs) {
    const std::string box(mailboxId.utf8_str()), pw(password.utf8_str());
    ScanJobList* list = nullptr;
    const int rc = connection->Use([&](VelloraWrapper& w) {
        const int result = w.SCAN_getJobListInMailbox(box, pw, &list);
        if (result == 0 && list) {
            for (int i = 0; i < list->count; ++i) {
                DROPWELL::stJobDetails details;
                JobAttributes::Read(&list->entries[i].attributes, list->entries[i].jobId, details);
                jobs[list->entries[i].jobId] = details;
            }
        }
        if (list) w.SCAN_freeScanJobList(list);
        return result;
    });
    if (rc != 0) {
        VEQLOG(Error) << "Either JobList in the mailbox " << mailboxId
                      << " is empty or failed to get Joblist. Vellora error code - " << rc;
    }
    return rc;
}

bool DropwellImpl::GetJobDetailsFromServer(const ServerConnectionPtr& connection, const wxString& mailboxId,
                                           const wxString& password, int jobId,
                                           DROPWELL::stJobDetails& details) {
    DROPWELL::JobMap jobs;
    const std::string box(mailboxId.utf8_str()), pw(password.utf8_str());
    ScanJobList* list = nullptr;
    bool found = false;
    const int rc = connection->Use([&](VelloraWrapper& w) {
        const int result = w.SCAN_getJobListInMailbox(box, pw, &list);
        if (result == 0 && list) {
            for (int i = 0; i < list->count && !found; ++i) {
                if (list->entries[i].jobId != jobId) continue;
                JobAttributes::Read(&list->entries[i].attributes, jobId, details);
                found = true;
            }
        }
        if (list) w.SCAN_freeScanJobList(list);
        return result;
    });
    if (rc != 0) {
        VEQLOG(Error) << "Failed to get job list from mail box" << mailboxId << ", Vellora error code - " << rc;
    }
    return rc == 0 && found;
}

bool DropwellImpl::GetJobDetailsFromDB(const wxString& nameIP, int jobId, wxString& mailboxId,
                                       DROPWELL::stJobDetails& details, bool erase) {
    std::lock_guard<std::recursive_mutex> lock(m_jobsLock);
    const auto server = m_jobsDB.find(nameIP);
    if (server == m_jobsDB.end()) return false;
    for (auto& [id, jobs] : server->second) {
        const auto job = jobs.find(jobId);
        if (job == jobs.end()) continue;
        mailboxId = id;
        details = job->second;
        if (erase) jobs.erase(job);
        return true;
    }
    return false;
}

bool DropwellImpl::GetFolderMapDetails(const wxString& nameIP, const wxString& mailboxId, wxString& password,
                                       wxString& folder) {
    std::lock_guard<std::recursive_mutex> lock(m_serversLock);
    bool found = false;
    for (const auto& server : m_servers) {
        if (server.NameIP != nameIP) continue;
        const auto mapping = server.MappedFolders.find(mailboxId);
        if (mapping == server.MappedFolders.end()) continue;
        password = mapping->second.Password;
        folder = mapping->second.Folder;
        found = true;
    }
    return found;
}

void DropwellImpl::ScanEventExCallbackFunction(VelloraScanEventEx* event) {
    if (!event || event->type > 9) return;
    GetInstance()->ProcessJobEvent(*event);
}

void DropwellImpl::ProcessJobEvent(const VelloraScanEventEx& event) {
    if (m_paused || m_stopped) {
        VEQLOG(Error) << "Job Event received but folder mapping is either paused or in stop state";
        return;
    }
    wxString nameIP;
    {
        std::lock_guard<std::recursive_mutex> lock(m_connectionsLock);
        for (const auto& [name, connection] : m_connections) {
            if (connection->HasHandle(event.server)) {
                nameIP = name;
                break;
            }
        }
    }
    if (nameIP.empty()) {
        VEQLOG(Error) << "ServerName is Empty";
        return;
    }
    if (event.type == 1) {
        DeleteMailBoxJob(event.jobId, nameIP, true);
    } else if (event.type == 0) {
        AddMailBoxJob(event.jobId, nameIP, true);
    }
}

int DropwellImpl::MonitorServer(const wxString& nameIP, const ServerConnectionPtr& connection) {
    int rc = connection->Use([](VelloraWrapper& w) { return w.INIT_monitorServer(3, 15); });
    if (rc != 0) {
        VEQLOG(Error) << "MonitorServer() failed with Vellora error code - " << rc;
        return rc;
    }
    wxString* context = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_monitorNamesLock);
        for (const auto& name : m_monitorNames) {
            if (*name == nameIP) context = name.get();
        }
        if (!context) {
            m_monitorNames.push_back(std::make_unique<wxString>(nameIP));
            context = m_monitorNames.back().get();
        }
    }
    rc = connection->Use([context](VelloraWrapper& w) {
        return w.NB_registerCallback(&DropwellImpl::ServerMonitorCallbackFunction, context);
    });
    if (rc != 0) {
        VEQLOG(Error) << "NB_registerCallback() failed with Vellora error code - " << rc;
    }
    return rc;
}

void DropwellImpl::ServerMonitorCallbackFunction(void* context) {
    if (context) GetInstance()->ServerDisconnected(*static_cast<wxString*>(context));
}

void DropwellImpl::ServerDisconnected(const wxString& nameIP) {
    if (m_stopped) return;
    std::lock_guard<std::recursive_mutex> lock(m_serversLock);
    VEQLOG(Debug) << "Server disconnected " << nameIP;
    if (const ServerConnectionPtr connection = FindConnection(nameIP)) connection->MarkLost();
    for (auto& server : m_servers) {
        if (server.NameIP != nameIP) continue;
        server.Status = DROPWELL::kServerNeedsConnection;
        for (auto& [id, mapping] : server.MappedFolders) {
            mapping.Status = DROPWELL::kMappingToReconcile;
            VEQHelper::ChangeFolderIcon(mapping.Folder, true);
        }
    }
    WakeConnectionThread();
}

void DropwellImpl::DownloadFailed(const wxString& nameIP, const wxString& mailboxId) {
    if (m_stopped || WorkerStopRequested()) return;
    {
        std::lock_guard<std::recursive_mutex> lock(m_serversLock);
        m_retryMappings.emplace(nameIP, mailboxId);
    }
    std::lock_guard<std::mutex> lock(m_connectionThreadLock);
    if (m_connectionThread) m_connectionThread->RetryLater();
}

bool DropwellImpl::FolderDisConnected(const wxString& nameIP, const wxString& mailboxId) {
    std::lock_guard<std::recursive_mutex> lock(m_serversLock);
    for (auto& server : m_servers) {
        if (server.NameIP != nameIP) continue;
        const auto mapping = server.MappedFolders.find(mailboxId);
        if (mapping == server.MappedFolders.end()) continue;
        if (!VEQHelper::IsDirWritable(mapping->second.Folder)) {
            VEQLOG(Debug) << "Folder " << mapping->second.Folder << " got disconnected";
            mapping->second.Status = DROPWELL::kMappingNotWritable;
            WakeConnectionThread();
            return true;
        }
    }
    return false;
}

bool DropwellImpl::PlacementBackedOff(const wxString& nameIP, const wxString& mailboxId, int jobId) {
    std::lock_guard<std::mutex> lock(m_backOffLock);
    const auto found = m_backOff.find({nameIP, mailboxId, jobId});
    return found != m_backOff.end() && std::chrono::steady_clock::now() < found->second.until;
}

void DropwellImpl::PlacementFailed(const wxString& nameIP, const wxString& mailboxId, int jobId) {
    wxString password, folder;
    GetFolderMapDetails(nameIP, mailboxId, password, folder);
    std::lock_guard<std::mutex> lock(m_backOffLock);
    BackOff& entry = m_backOff[{nameIP, mailboxId, jobId}];
    // The pages of one try count as one failure.
    if (std::chrono::steady_clock::now() < entry.until) return;
    entry.folder = JobPaths::WithoutTrailingSeparator(folder);
    const auto wait = std::min<std::chrono::steady_clock::duration>(kFirstBackOff * (1 << std::min(entry.failures, 8)),
                                                                    kLongestBackOff);
    ++entry.failures;
    entry.until = std::chrono::steady_clock::now() + wait;
    VEQLOG(Debug) << "Job " << jobId << " could not be placed; tried again in "
                  << std::chrono::duration_cast<std::chrono::seconds>(wait).count() << " s unless folder " << folder
                  << " changes";
}

void DropwellImpl::PlacementSucceeded(const wxString& nameIP, const wxString& mailboxId, int jobId) {
    std::lock_guard<std::mutex> lock(m_backOffLock);
    m_backOff.erase({nameIP, mailboxId, jobId});
}

void DropwellImpl::ResetBackOff(const wxString& folder) {
    std::lock_guard<std::mutex> lock(m_backOffLock);
    for (auto entry = m_backOff.begin(); entry != m_backOff.end();) {
        const wxString& own = entry->second.folder;
        const bool concerned = folder.empty() || own == folder || folder.StartsWith(own + "/");
        entry = concerned ? m_backOff.erase(entry) : std::next(entry);
    }
}
