// The service's worker that keeps the core's picture of the mapping in step with
// the mapping file and with the servers: it reloads the mapping when told that
// it changed, connects every server that needs a connection, and reconciles
// each mapped mailbox that is not yet in step (stale files removed, missing
// jobs queued, the folder marked ok). Between rounds it sleeps until a notice
// or the stop request comes; both are part of the wait's predicate.
#pragma once

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <vector>

#include <wx/thread.h>

#include "DropwellTypes.h"
#include "ServerConnection.h"
#include "ServiceRecords.h"

class DropwellImpl;

class ServerConnectionThread : public wxThread {
public:
    explicit ServerConnectionThread(DropwellImpl* core);

    // The mapping file changed: reload it on the next round.
    void DropwellModified();
    // A server was lost or a folder became inaccessible: run a round.
    void ServerOrFolderDisconnected();
    // Runs a round a little later (after a failed download), unless one comes sooner.
    void RetryLater();
    // Ends the thread after its current round, which a connection being set
    // up no longer holds up; the caller then waits for it.
    void RequestStop();

    // Reads the server's version: 0 when the server answered (version 0 when
    // its text is no number), else the SDK's failure.
    static int ReadServerVersion(const ServerConnectionPtr& connection, long& version);
    // Whether the version is above 9 (logged when not).
    static bool IsSupportedServer(const ServerConnectionPtr& connection, long version);

protected:
    ExitCode Entry() override;

private:
    using Mappings = std::map<wxString, DROPWELL::stFolderMapDetails>;

    enum class Wake { Notice, Stop };
    // Waits until a notice (or, with pauseOnly, the pause's end) or the stop.
    Wake WaitForEvent();
    // Runs a round at the time given, unless one comes sooner.
    void ScheduleRound(std::chrono::steady_clock::time_point at);
    bool Pause(int milliseconds);
    bool StopRequested();

    bool UpdateFolderMapDB();
    bool UpdateServerList(std::vector<DROPWELL::stServerFolderMapDetails>& current,
                          std::vector<DROPWELL::stServerFolderMapDetails>& fresh,
                          std::vector<ServerConnectionPtr>& closing);
    void UpdateMailboxes(const Mappings* current, Mappings& fresh, DROPWELL::MailboxJobs& jobs);
    void RemoveWatchEntry(const wxString& folder);
    bool UpdateJobs();
    int ConnectServer(DROPWELL::stServerFolderMapDetails& server, std::vector<ServerConnectionPtr>& closing);
    // Version, scan session, map entry and subscriptions of a connected server.
    int SetUpConnection(DROPWELL::stServerFolderMapDetails& server, const ServerConnectionPtr& connection,
                        std::vector<ServerConnectionPtr>& closing);
    // A connection that is set up but not yet in the core's map; the stop ends it.
    bool SetConnecting(const ServerConnectionPtr& connection);
    int ReconcileServer(DROPWELL::stServerFolderMapDetails& server, bool& folderTrouble);
    // Probes folder, which every round does while it cannot be written; only
    // a change of the answer is logged.
    bool FolderWritable(const wxString& folder);
    void ReconcileMailbox(const wxString& nameIP, const wxString& mailboxId,
                          DROPWELL::stFolderMapDetails& mapping, const DROPWELL::JobMap& fetched);

    DropwellImpl* m_core;
    std::mutex m_eventMutex;
    std::condition_variable m_eventCond;
    bool m_bFolderMapDBInitilized = false;
    bool m_bUpdateJobs = false;
    bool m_stop = false;
    bool m_retryPending = false;
    std::chrono::steady_clock::time_point m_retryAt;
    ServerConnectionPtr m_connecting;  // under m_eventMutex

    // Servers whose version could not be read: when each is tried again and
    // how long it waits after the next failure. Used by this thread only.
    struct VersionRetry {
        std::chrono::steady_clock::time_point due;
        std::chrono::seconds delay;
    };
    std::map<wxString, VersionRetry> m_versionRetry;
    // Mapped folders last found not writable. Used by this thread only.
    std::set<wxString> m_unwritableFolders;
};
