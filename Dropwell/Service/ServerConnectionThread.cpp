#include "ServerConnectionThread.h"

#include "DropwellImpl.h"
#include "FolderWatcher.h"
#include "JobPaths.h"
#include "Logger.h"
#include "SynchronizedReadWrite.h"
#include "VEQHelper.h"

#include <set>

namespace {

constexpr int kRoundPauseMs = 100;
constexpr auto kDownloadRetryDelay = std::chrono::seconds(2);

using DROPWELL::kMappingNotWritable;
using DROPWELL::kMappingReconciled;
using DROPWELL::kMappingToReconcile;
using DROPWELL::kServerConnected;
using DROPWELL::kServerNeedsConnection;
using DROPWELL::kServerUnsupported;

}  // namespace

ServerConnectionThread::ServerConnectionThread(DropwellImpl* core) : wxThread(wxTHREAD_JOINABLE), m_core(core) {}

void ServerConnectionThread::DropwellModified() {
    {
        std::lock_guard<std::mutex> lock(m_eventMutex);
        m_bFolderMapDBInitilized = false;
        m_eventCond.notify_all();
    }
    VEQLOG(Debug) << "m_bFolderMapDBInitilized = false";
}

void ServerConnectionThread::ServerOrFolderDisconnected() {
    {
        std::lock_guard<std::mutex> lock(m_eventMutex);
        m_bUpdateJobs = true;
        m_eventCond.notify_all();
    }
    VEQLOG(Debug) << "m_bUpdateJobs = true";
}

void ServerConnectionThread::RetryLater() {
    std::lock_guard<std::mutex> lock(m_eventMutex);
    if (m_retryPending) return;
    m_retryPending = true;
    m_retryAt = std::chrono::steady_clock::now() + kDownloadRetryDelay;
    m_eventCond.notify_all();
}

void ServerConnectionThread::RequestStop() {
    std::lock_guard<std::mutex> lock(m_eventMutex);
    m_stop = true;
    m_eventCond.notify_all();
}

bool ServerConnectionThread::StopRequested() {
    std::lock_guard<std::mutex> lock(m_eventMutex);
    return m_stop;
}

ServerConnectionThread::Wake ServerConnectionThread::WaitForEvent() {
    std::unique_lock<std::mutex> lock(m_eventMutex);
    const auto notice = [this] { return m_stop || !m_bFolderMapDBInitilized || m_bUpdateJobs; };
    while (!notice()) {
        if (!m_retryPending) {
            m_eventCond.wait(lock);
        } else if (m_eventCond.wait_until(lock, m_retryAt) == std::cv_status::timeout ||
                   std::chrono::steady_clock::now() >= m_retryAt) {
            m_retryPending = false;
            m_bUpdateJobs = true;
        }
    }
    return m_stop ? Wake::Stop : Wake::Notice;
}

bool ServerConnectionThread::Pause(int milliseconds) {
    std::unique_lock<std::mutex> lock(m_eventMutex);
    return !m_eventCond.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return m_stop; });
}

long ServerConnectionThread::ServerVersion(const ServerConnectionPtr& connection) {
    return connection->Use([](VelloraWrapper& w) { return w.GetServerVersion(); });
}

bool ServerConnectionThread::IsSupportedServer(const ServerConnectionPtr& connection) {
    const long version = ServerVersion(connection);
    if (version > 9) return true;
    const std::string name = connection->Use([](VelloraWrapper& w) { return w.GetServerName(); });
    VEQLOG(Error) << "Server " << name << " with server version " << wxString::Format("%u", unsigned(version))
                  << " not supported";
    return false;
}

wxThread::ExitCode ServerConnectionThread::Entry() {
    VEQLOG(Debug) << "Start ServerConnectionThread";
    while (!StopRequested()) {
        bool reload = false, update = false;
        {
            std::lock_guard<std::mutex> lock(m_eventMutex);
            reload = !m_bFolderMapDBInitilized;
            update = m_bUpdateJobs;
            if (reload) m_bFolderMapDBInitilized = m_bUpdateJobs = true;
            // The notice is taken now; one that arrives during the round sets it again.
            if (reload || update) m_bUpdateJobs = false;
        }
        if (reload) UpdateFolderMapDB();
        if (!reload && !update) {
            if (WaitForEvent() == Wake::Stop) break;
            continue;
        }
        if (!UpdateJobs()) {
            std::lock_guard<std::mutex> lock(m_eventMutex);
            m_bUpdateJobs = true;
        }
        if (!Pause(kRoundPauseMs)) break;
    }
    VEQLOG(Debug) << "End ServerConnectionThread";
    return 0;
}

bool ServerConnectionThread::UpdateFolderMapDB() {
    std::vector<DROPWELL::stServerFolderMapDetails> fresh;
    if (SynchronizedReadWrite::GetInstance()->Read(fresh) != 0) return true;
    std::vector<ServerConnectionPtr> closing;
    {
        std::lock_guard<std::recursive_mutex> servers(m_core->m_serversLock);
        std::lock_guard<std::recursive_mutex> jobs(m_core->m_jobsLock);
        UpdateServerList(m_core->m_servers, fresh, closing);
        m_core->m_servers = fresh;
    }
    DropwellImpl::Release(closing);
    return true;
}

bool ServerConnectionThread::UpdateServerList(std::vector<DROPWELL::stServerFolderMapDetails>& current,
                                              std::vector<DROPWELL::stServerFolderMapDetails>& fresh,
                                              std::vector<ServerConnectionPtr>& closing) {
    DROPWELL::JobsDatabase& jobsDB = m_core->m_jobsDB;
    for (auto& server : fresh) {
        const DROPWELL::stServerFolderMapDetails* known = nullptr;
        for (const auto& c : current) {
            if (c.NameIP == server.NameIP) {
                known = &c;
                break;
            }
        }
        if (known) {
            VEQLOG(Debug) << "Dropwell modified for server - " << server.NameIP;
            // The live status stays; a server without a connection is tried again.
            server.Status = m_core->FindConnection(server.NameIP) ? known->Status : kServerNeedsConnection;
            UpdateMailboxes(&known->MappedFolders, server.MappedFolders, jobsDB[server.NameIP]);
        } else {
            VEQLOG(Debug) << "New server added to dropwell - " << server.NameIP;
            jobsDB[server.NameIP].clear();
            server.Status = kServerNeedsConnection;
            UpdateMailboxes(nullptr, server.MappedFolders, jobsDB[server.NameIP]);
        }
    }
    for (const auto& server : current) {
        bool kept = false;
        for (const auto& f : fresh) kept = kept || f.NameIP == server.NameIP;
        if (kept || !jobsDB.count(server.NameIP)) continue;
        for (const auto& [id, mapping] : server.MappedFolders) RemoveWatchEntry(mapping.Folder);
        jobsDB.erase(server.NameIP);
        std::lock_guard<std::recursive_mutex> lock(m_core->m_connectionsLock);
        const auto connection = m_core->m_connections.find(server.NameIP);
        if (connection != m_core->m_connections.end()) {
            VEQLOG(Debug) << " Removed server " << server.NameIP;
            closing.push_back(std::move(connection->second));
            m_core->m_connections.erase(connection);
        }
    }
    return true;
}

void ServerConnectionThread::UpdateMailboxes(const Mappings* current, Mappings& fresh, DROPWELL::MailboxJobs& jobs) {
    for (auto& [id, mapping] : fresh) {
        const auto known = current ? current->find(id) : Mappings::const_iterator();
        if (current && known != current->end()) {
            if (known->second.Folder != mapping.Folder) {
                RemoveWatchEntry(known->second.Folder);
                // The old folder's files are not the new folder's: forget them.
                jobs[id].clear();
                mapping.Status = kMappingToReconcile;
                VEQLOG(Debug) << " Folder mapping modified - " << id << " " << mapping.Folder;
            } else {
                mapping.Status = known->second.Status;
            }
        } else {
            VEQLOG(Debug) << " New folder mapping - " << id << " " << mapping.Folder;
            jobs[id].clear();
            mapping.Status = kMappingToReconcile;
            if (VEQHelper::IsDirWritable(mapping.Folder)) {
                VEQHelper::ChangeFolderIcon(mapping.Folder, false);
            } else {
                VEQLOG(Debug) << "Dir not writable - " << mapping.Folder;
            }
        }
    }
    if (!current) return;
    for (const auto& [id, mapping] : *current) {
        if (fresh.count(id)) continue;
        RemoveWatchEntry(mapping.Folder);
        jobs.erase(id);
    }
}

void ServerConnectionThread::RemoveWatchEntry(const wxString& folder) {
    int users = 0;
    for (const auto& server : m_core->m_servers) {
        for (const auto& [id, mapping] : server.MappedFolders) {
            if (mapping.Folder.IsSameAs(folder, false)) ++users;
        }
    }
    if (users < 2) FolderWatcher::GetInstance()->RemoveEntry(folder);
}

bool ServerConnectionThread::UpdateJobs() {
    // The round works on a copy, so that no core lock is held while a server is
    // called; statuses go back only where nobody else changed them meanwhile.
    std::vector<DROPWELL::stServerFolderMapDetails> before;
    std::set<std::pair<wxString, wxString>> retry;
    {
        std::lock_guard<std::recursive_mutex> lock(m_core->m_serversLock);
        before = m_core->m_servers;
        retry.swap(m_core->m_retryMappings);
    }
    std::vector<DROPWELL::stServerFolderMapDetails> after = before;
    for (auto& server : after) {
        for (auto& [id, mapping] : server.MappedFolders) {
            if (retry.count({server.NameIP, id}) && mapping.Status == kMappingReconciled) {
                mapping.Status = kMappingToReconcile;
            }
        }
    }
    std::vector<ServerConnectionPtr> closing;
    bool result = true;
    for (auto& server : after) {
        if (StopRequested()) return result;
        const ServerConnectionPtr known = m_core->FindConnection(server.NameIP);
        if (known && known->IsLost()) {
            // Events may have been missed while the server was away.
            for (auto& [id, mapping] : server.MappedFolders) {
                if (mapping.Status == kMappingReconciled) mapping.Status = kMappingToReconcile;
            }
        }
        if (server.Status != kServerUnsupported && (!known || known->IsLost())) {
            server.Status = kServerNeedsConnection;
        }
        int rc = 0;
        if (server.Status == kServerNeedsConnection) rc = ConnectServer(server, closing);
        DropwellImpl::Release(closing);
        bool folderTrouble = false;
        if (rc == 0 && server.Status != kServerUnsupported) rc = ReconcileServer(server, folderTrouble);
        if (result) result = !folderTrouble && rc == 0;
        if (server.Status != kServerUnsupported) server.Status = rc == 0 ? kServerConnected : kServerNeedsConnection;
    }
    std::lock_guard<std::recursive_mutex> lock(m_core->m_serversLock);
    for (size_t i = 0; i < after.size(); ++i) {
        for (auto& live : m_core->m_servers) {
            if (live.NameIP != before[i].NameIP) continue;
            if (live.Status == before[i].Status) live.Status = after[i].Status;
            for (auto& [id, mapping] : live.MappedFolders) {
                const auto was = before[i].MappedFolders.find(id);
                const auto now = after[i].MappedFolders.find(id);
                if (was == before[i].MappedFolders.end() || now == after[i].MappedFolders.end()) continue;
                if (mapping.Status == was->second.Status) mapping.Status = now->second.Status;
            }
        }
    }
    return result;
}

int ServerConnectionThread::ConnectServer(DROPWELL::stServerFolderMapDetails& server,
                                          std::vector<ServerConnectionPtr>& closing) {
    const wxString& name = server.NameIP;
    auto connection = std::make_shared<ServerConnection>(std::unique_ptr<VelloraWrapper>(VelloraWrapper::New()));
    const std::string address(name.mb_str());
    int rc = connection->Use([&](VelloraWrapper& w) { return w.INIT_connectUTF8(address.c_str(), "guest", ""); });
    if (rc != 0) {
        VEQLOG(Trace) << "Failed to connect to server " << name;
        closing.push_back(std::move(connection));
        return rc;
    }
    // A version that cannot be read (0) is a failed connect, tried again; only
    // a version that was read and is too old makes the server unsupported.
    if (ServerVersion(connection) == 0) {
        VEQLOG(Error) << "Unable to read the server version of " << name;
        closing.push_back(std::move(connection));
        return -1;
    }
    if (!IsSupportedServer(connection)) {
        VEQLOG(Error) << "unsupported server" << name;
        server.Status = kServerUnsupported;
        closing.push_back(std::move(connection));
        return 0;
    }
    rc = connection->Use([](VelloraWrapper& w) { return w.SCAN_openSession(); });
    if (rc != 0) {
        VEQLOG(Error) << "Failed to open scan session for  " << name;
        closing.push_back(std::move(connection));
        return rc;
    }
    {
        // In the map before the subscription, so that its first events find it.
        std::lock_guard<std::recursive_mutex> lock(m_core->m_connectionsLock);
        ServerConnectionPtr& slot = m_core->m_connections[name];
        if (slot) closing.push_back(std::move(slot));
        slot = connection;
    }
    if (connection->Use([](VelloraWrapper& w) { return w.SCAN_getEventsEx(&DropwellImpl::ScanEventExCallbackFunction); }) != 0) {
        VEQLOG(Error) << "Failed to subscribe for scan events for server " << name;
    }
    rc = m_core->MonitorServer(name, connection);
    if (rc != 0) VEQLOG(Error) << "Failed to initialize monitor server for server " << name;
    return rc;
}

int ServerConnectionThread::ReconcileServer(DROPWELL::stServerFolderMapDetails& server, bool& folderTrouble) {
    const ServerConnectionPtr connection = m_core->FindConnection(server.NameIP);
    if (!connection) return 0;
    // The first failed listing is the round's result: a later mailbox that
    // succeeds must not hide it, or the failed one would wait for no round.
    int result = 0;
    for (auto& [id, mapping] : server.MappedFolders) {
        if (mapping.Status == kMappingReconciled) continue;
        if (!VEQHelper::IsDirWritable(mapping.Folder)) {
            if (mapping.Status != kMappingNotWritable) {
                VEQLOG(Debug) << "Folder " << mapping.Folder << " is not accessible";
            }
            mapping.Status = kMappingNotWritable;
            folderTrouble = true;
            continue;
        }
        FolderWatcher::GetInstance()->AddEntry(mapping.Folder);
        DROPWELL::JobMap fetched;
        // A server whose version cannot be read gives no list: the mailbox waits
        // for a later round instead of taking an empty list for the truth.
        const int rc = IsSupportedServer(connection)
                           ? m_core->GetAllJobDetailsFromServer(connection, id, mapping.Password, fetched)
                           : -1;
        if (rc != 0) {
            // The listing's own line names the mailbox only; two servers may both have it.
            VEQLOG(Error) << "Unable to list the jobs of mailbox " << id << " into folder " << mapping.Folder
                          << " from server " << server.NameIP;
            if (result == 0) result = rc;
            continue;
        }
        ReconcileMailbox(server.NameIP, id, mapping, fetched);
    }
    return result;
}

void ServerConnectionThread::ReconcileMailbox(const wxString& nameIP, const wxString& mailboxId,
                                              DROPWELL::stFolderMapDetails& mapping, const DROPWELL::JobMap& fetched) {
    std::lock_guard<std::recursive_mutex> servers(m_core->m_serversLock);
    std::lock_guard<std::recursive_mutex> jobs(m_core->m_jobsLock);
    DROPWELL::JobMap& known = m_core->m_jobsDB[nameIP][mailboxId];
    for (const auto& [jobId, job] : known) {
        if (!fetched.count(jobId)) m_core->RemoveJobFiles(mapping.Folder, job);
    }
    known = fetched;
    for (auto& [jobId, job] : known) {
        // A job placed under its collision name earlier is found there again.
        DROPWELL::stJobDetails collided = job;
        collided.fileName = JobPaths::CollisionStem(job.fileName, jobId);
        if (JobPaths::IsPresent(mapping.Folder, collided)) job = collided;
    }
    for (const auto& [jobId, job] : known) {
        if (!JobPaths::IsPresent(mapping.Folder, job)) {
            m_core->AddMailBoxJob(jobId, nameIP, false);
        } else if (JobPaths::IsPaged(job)) {
            FolderWatcher::GetInstance()->AddSubFolderEntry(JobPaths::JobPath(mapping.Folder, job));
        }
    }
    mapping.Status = kMappingReconciled;
    VEQHelper::ChangeFolderIcon(mapping.Folder, false);
}
