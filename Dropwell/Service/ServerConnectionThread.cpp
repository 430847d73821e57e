#include "ServerConnectionThread.h"

#include "DropwellImpl.h"
#include "FolderWatcher.h"
#include "Logger.h"
#include "SynchronizedReadWrite.h"
#include "VEQHelper.h"

#include <cerrno>
#include <cstring>
#include <set>

namespace {

constexpr int kRoundPauseMs = 100;
constexpr auto kDownloadRetryDelay = std::chrono::seconds(2);
// A server whose version could not be read is tried again after a second,
// then after twice as long each time, up to this.
constexpr auto kFirstVersionRetry = std::chrono::seconds(1);
constexpr auto kLastVersionRetry = std::chrono::seconds(128);

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
    ScheduleRound(std::chrono::steady_clock::now() + kDownloadRetryDelay);
}

void ServerConnectionThread::ScheduleRound(std::chrono::steady_clock::time_point at) {
    std::lock_guard<std::mutex> lock(m_eventMutex);
    if (m_retryPending && m_retryAt <= at) return;
    m_retryPending = true;
    m_retryAt = at;
    m_eventCond.notify_all();
}

void ServerConnectionThread::RequestStop() {
    ServerConnectionPtr connecting;
    {
        std::lock_guard<std::mutex> lock(m_eventMutex);
        m_stop = true;
        m_eventCond.notify_all();
        connecting = m_connecting;
    }
    // Its calls (version, session, subscriptions) would wait for a controller
    // that does not answer up to the SDK's time-out.
    if (connecting) connecting->Abort();
}

bool ServerConnectionThread::SetConnecting(const ServerConnectionPtr& connection) {
    ServerConnectionPtr previous = connection;
    {
        std::lock_guard<std::mutex> lock(m_eventMutex);
        if (connection && m_stop) return false;
        std::swap(previous, m_connecting);
    }
    return true;
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

int ServerConnectionThread::ReadServerVersion(const ServerConnectionPtr& connection, long& version) {
    return connection->Use([&](VelloraWrapper& w) { return w.ReadServerVersion(version); });
}

bool ServerConnectionThread::IsSupportedServer(const ServerConnectionPtr& connection, long version) {
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
    // A folder no longer mapped is logged afresh when it is mapped again.
    for (auto folder = m_unwritableFolders.begin(); folder != m_unwritableFolders.end();) {
        bool mapped = false;
        for (const auto& server : fresh) {
            for (const auto& [id, mapping] : server.MappedFolders) mapped = mapped || mapping.Folder == *folder;
        }
        folder = mapped ? std::next(folder) : m_unwritableFolders.erase(folder);
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
            // The live status stays; a server without a connection is tried
            // again, but for one whose version is not supported: that one
            // waits until it leaves the mapping.
            if (known->Status == kServerUnsupported || m_core->FindConnection(server.NameIP)) {
                server.Status = known->Status;
            } else {
                server.Status = kServerNeedsConnection;
            }
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
        if (!kept) m_versionRetry.erase(server.NameIP);
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
        if (server.Status == kServerNeedsConnection) {
            const auto retry = m_versionRetry.find(server.NameIP);
            if (retry != m_versionRetry.end() && retry->second.due > std::chrono::steady_clock::now()) {
                ScheduleRound(retry->second.due);
                continue;
            }
            rc = ConnectServer(server, closing);
        }
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
    if (!SetConnecting(connection)) {
        closing.push_back(std::move(connection));
        return VELLORA_CANCELED;
    }
    rc = SetUpConnection(server, connection, closing);
    SetConnecting(nullptr);
    return rc;
}

int ServerConnectionThread::SetUpConnection(DROPWELL::stServerFolderMapDetails& server,
                                            const ServerConnectionPtr& connection,
                                            std::vector<ServerConnectionPtr>& closing) {
    const wxString& name = server.NameIP;
    // A version read that fails is no verdict: the server is tried again, each
    // time a while later. A version that was read but is no number, or too
    // old, makes the server unsupported until it leaves the mapping.
    long version = 0;
    int rc = ReadServerVersion(connection, version);
    if (rc != 0) {
        VersionRetry& retry = m_versionRetry[name];
        retry.delay = retry.delay.count() == 0 ? kFirstVersionRetry : std::min(2 * retry.delay, kLastVersionRetry);
        retry.due = std::chrono::steady_clock::now() + retry.delay;
        VEQLOG(Error) << "Unable to read the server version of " << name << ", Vellora error code - " << rc
                      << "; trying again in " << retry.delay.count() << " s";
        closing.push_back(connection);
        return rc;
    }
    m_versionRetry.erase(name);
    if (!IsSupportedServer(connection, version)) {
        VEQLOG(Error) << "unsupported server" << name;
        server.Status = kServerUnsupported;
        closing.push_back(connection);
        return 0;
    }
    rc = connection->Use([](VelloraWrapper& w) { return w.SCAN_openSession(); });
    if (rc != 0) {
        VEQLOG(Error) << "Failed to open scan session for  " << name;
        closing.push_back(connection);
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
        if (!FolderWritable(mapping.Folder)) {
            mapping.Status = kMappingNotWritable;
            folderTrouble = true;
            continue;
        }
        FolderWatcher::GetInstance()->AddEntry(mapping.Folder);
        DROPWELL::JobMap fetched;
        // A server whose version cannot be read gives no list: the mailbox waits
        // for a later round instead of taking an empty list for the truth.
        long version = 0;
        int rc = ReadServerVersion(connection, version);
        if (rc == 0 && !IsSupportedServer(connection, version)) rc = -1;
        if (rc == 0) rc = m_core->GetAllJobDetailsFromServer(connection, id, mapping.Password, fetched);
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

bool ServerConnectionThread::FolderWritable(const wxString& folder) {
    if (VEQHelper::IsDirWritable(folder, false)) {
        if (m_unwritableFolders.erase(folder)) VEQLOG(Debug) << "Folder " << folder << " is writable again";
        return true;
    }
    const int error = errno;
    if (m_unwritableFolders.insert(folder).second) {
        VEQLOG(Debug) << "Folder " << folder << " is not accessible: " << std::strerror(error);
    }
    return false;
}

void ServerConnectionThread::ReconcileMailbox(const wxString& nameIP, const wxString& mailboxId,
                                              DROPWELL::stFolderMapDetails& mapping, const DROPWELL::JobMap& fetched) {
    m_core->ReconcileMailbox(nameIP, mailboxId, mapping, fetched);
}
