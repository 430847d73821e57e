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
    // Ends the thread after its current round; the caller then waits for it.
    void RequestStop();

    // Whether the server's version is above 9 (logged when not).
    static bool IsSupportedServer(const ServerConnectionPtr& connection);
    // The server's version, 0 when it could not be read.
    static long ServerVersion(const ServerConnectionPtr& connection);

protected:
    ExitCode Entry() override;

private:
    using Mappings = std::map<wxString, DROPWELL::stFolderMapDetails>;

    enum class Wake { Notice, Stop };
    // Waits until a notice (or, with pauseOnly, the pause's end) or the stop.
    Wake WaitForEvent();
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
    int ReconcileServer(DROPWELL::stServerFolderMapDetails& server, bool& folderTrouble);
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
};
