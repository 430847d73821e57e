// The service core: its picture of the mapping (the server list), the jobs
// database, one connection per mapped server, the job-event queue with its
// worker, and the server connection thread. Job events come from the SDK (jobs
// added to or deleted from a mailbox) and from the reconciliation of the
// connection thread; one worker handles them in order.
//
// Locks: m_serversLock, m_jobsLock and m_connectionsLock guard the three
// collections; every sequence that nests them begins with m_serversLock. No
// connection is ever destroyed while one of them is held.
#pragma once

#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "DeletionHold.h"
#include "DropwellQueue.h"
#include "DropwellTypes.h"
#include "FolderWatcherSink.h"
#include "PlacedFiles.h"
#include "ServerConnection.h"
#include "ServiceRecords.h"

#include <vellora.h>

class ServerConnectionThread;

class DropwellImpl : public DropwellMailBoxJobQueue<DROPWELL::stScanEvent>, public FolderWatcherSink {
public:
    static DropwellImpl* GetInstance();

    // Starts the job-queue worker and the connection thread; clears what an
    // interrupted run left in the staging folder.
    void StartDropwell();
    // Stops both threads and waits for them, waits for watcher calls under
    // way, closes every connection and unloads the SDK. Later events are ignored.
    void StopDropwell();
    void PauseDropwell() { m_paused = true; }
    // Controller events dropped while paused are made up for: every reconciled
    // mailbox is listed again.
    void ResumeDropwell();

    bool StartServerConnectionThread();
    void AddMailBoxJob(int jobId, const wxString& nameIP, bool fromServerEvent);
    void DeleteMailBoxJob(int jobId, const wxString& nameIP, bool fromServerEvent);

    // FolderWatcherSink, on the watcher's read-loop thread.
    void DropwellModified() override;
    // A deletion is held a moment and mirrored only when its folder is still
    // the same folder then (see DeletionHold).
    void JobDeletedFromFolder(const wxString& directory, const wxString& fileName,
                              const FileIdentity& identity) override;
    void WatchedFolderGone(const wxString& folder) override;

    // The staging folder of downloads (created when missing), with a trailing separator.
    static wxString StagingFolder();

    // How long a deletion seen in a mapped folder is held before it is mirrored.
    static constexpr std::chrono::milliseconds kDeletionHold{1000};

private:
    friend class ServerConnectionThread;

    DropwellImpl() = default;
    ~DropwellImpl();

    static void* ProcessQueue(void* core);
    void ProcessEvent(const DROPWELL::stScanEvent& event);

    // Resolving events.
    bool UpdateJobsDB(const DROPWELL::stScanEvent& event, wxString& mailboxId, DROPWELL::stJobDetails& details);
    int GetAllJobDetailsFromServer(const ServerConnectionPtr& connection, const wxString& mailboxId,
                                   const wxString& password, DROPWELL::JobMap& jobs);
    bool GetJobDetailsFromServer(const ServerConnectionPtr& connection, const wxString& mailboxId,
                                 const wxString& password, int jobId, DROPWELL::stJobDetails& details);
    bool GetJobDetailsFromDB(const wxString& nameIP, int jobId, wxString& mailboxId,
                             DROPWELL::stJobDetails& details, bool erase);
    bool GetFolderMapDetails(const wxString& nameIP, const wxString& mailboxId, wxString& password,
                             wxString& folder);
    ServerConnectionPtr FindConnection(const wxString& nameIP);

    // SDK callbacks.
    static void ScanEventExCallbackFunction(VelloraScanEventEx* event);
    static void ServerMonitorCallbackFunction(void* context);
    void ProcessJobEvent(const VelloraScanEventEx& event);
    int MonitorServer(const wxString& nameIP, const ServerConnectionPtr& connection);
    void ServerDisconnected(const wxString& nameIP);
    // True when the mapping's folder was found not writable (status 2 then).
    bool FolderDisConnected(const wxString& nameIP, const wxString& mailboxId);
    // A download failed for another reason than the folder: the mailbox is
    // reconciled again a little later, so the job arrives once the fault is gone.
    void DownloadFailed(const wxString& nameIP, const wxString& mailboxId);
    void WakeConnectionThread();

    // Downloads (DropwellDownload.cpp).
    bool DownloadJobToFolder(int jobId, const DROPWELL::stJobDetails& details, const wxString& mailboxId,
                             const wxString& nameIP);
    bool DownloadJobToFolderJPEG(int jobId, const DROPWELL::stJobDetails& details, const wxString& mailboxId,
                                 const wxString& nameIP);
    bool DownloadJobToFolderOthers(int jobId, const DROPWELL::stJobDetails& details, const wxString& mailboxId,
                                   const wxString& nameIP);
    bool SaveOneSingleJpegPageToDisk(int jobId, const DROPWELL::stJobDetails& details, const wxString& mailboxId,
                                     const wxString& nameIP, int page, const wxString& pageFolderName);
    // Places a downloaded single-file job under its name, or its collision
    // name when another file holds that name; the jobs database keeps the
    // name it took.
    bool PlaceJobFile(const wxString& staged, const wxString& folder, int jobId, const DROPWELL::stJobDetails& details,
                      const wxString& mailboxId, const wxString& nameIP, wxString& error);
    void RecordJobFileName(const wxString& nameIP, const wxString& mailboxId, int jobId, const wxString& stem);
    // Whether another job in the same mapped folder has a page folder named stem.
    bool PageFolderOfAnotherJob(const wxString& nameIP, const wxString& mailboxId, int jobId, const wxString& stem);
    bool TransferToFolder(int jobId, const DROPWELL::stJobDetails& details, const wxString& mailboxId,
                          const wxString& nameIP, int page, const wxString& pageFolderName);

    // Reconciliation of one listed mailbox with its folder (DropwellReconcile.cpp):
    // the files of jobs gone from the mailbox are removed, jobs whose placed
    // file is not there are queued, the service's own leftovers are cleared.
    void ReconcileMailbox(const wxString& nameIP, const wxString& mailboxId, DROPWELL::stFolderMapDetails& mapping,
                          const DROPWELL::JobMap& fetched);
    // Whether the job is whole in folder as the service placed it.
    bool IsPlaced(const wxString& folder, const DROPWELL::stJobDetails& job) const;
    // Removes the hidden part files that an interrupted copy left in folder,
    // but not the one a placement is writing right now.
    void RemoveLeftoverPartFiles(const wxString& folder);
    // Whether the page folder at path may take the pages of job named stem:
    // missing, the service's own, or a real folder holding nothing but such
    // pages (as placed before the service kept its record).
    bool PageFolderUsable(const wxString& path, const wxString& stem, const DROPWELL::stJobDetails& job) const;
    // Places a staged file as folder/fileName without replacing another file,
    // or keeps a file there with the same bytes, or replaces the service's own
    // earlier copy; the record notes it. taken: the name is held by another file.
    bool PlaceFile(const wxString& staged, const wxString& folder, const wxString& fileName, bool& taken,
                   wxString& error);
    // The part file a placement is writing now (empty when none).
    void SetPlacingPartFile(const wxString& path);

    // Placements that failed: the job waits before it is fetched again.
    bool PlacementBackedOff(const wxString& nameIP, const wxString& mailboxId, int jobId);
    void PlacementFailed(const wxString& nameIP, const wxString& mailboxId, int jobId);
    void PlacementSucceeded(const wxString& nameIP, const wxString& mailboxId, int jobId);
    // A change in folder (or, with an empty folder, in the mapping) ends every back-off it concerns.
    void ResetBackOff(const wxString& folder);

    // Deletions (DropwellDeletion.cpp).
    // A held deletion whose time is up (on the hold's thread).
    void MirrorHeldDeletion(const HeldDeletion& held);
    // Removes a file the service placed; a file it did not place or that the
    // user changed since stays (logged). False when the file was missing or
    // could not be removed.
    bool RemovePlacedFile(const wxString& path);
    bool DeleteJobFromFolder(const DROPWELL::stJobDetails& details, const wxString& mailboxId,
                             const wxString& nameIP);
    void RemoveAllScannedJobs(const wxString& nameIP);
    bool DeleteMultiPageJPEGFile(const wxString& pageFolder, const DROPWELL::stJobDetails& details);
    // Removes the job's own file, or its page files and then its page folder
    // when nothing else is left in it; false when the job's file was not there.
    bool RemoveJobFiles(const wxString& folder, const DROPWELL::stJobDetails& details);

    // Connections whose last reference is dropped here, outside every core lock.
    static void Release(std::vector<ServerConnectionPtr>& connections) { connections.clear(); }

    // Watcher calls run only while the core is running; the stop waits for them.
    bool EnterWatcherCall();
    void LeaveWatcherCall();

    std::vector<DROPWELL::stServerFolderMapDetails> m_servers;
    DROPWELL::JobsDatabase m_jobsDB;
    std::map<wxString, ServerConnectionPtr> m_connections;
    std::recursive_mutex m_serversLock;
    std::recursive_mutex m_jobsLock;
    std::recursive_mutex m_connectionsLock;
    std::unique_ptr<ServerConnectionThread> m_connectionThread;
    std::mutex m_connectionThreadLock;  // guards m_connectionThread against the stop
    std::atomic<bool> m_paused{false};
    std::atomic<bool> m_stopped{false};
    std::atomic<bool> m_started{false};
    std::set<std::pair<wxString, wxString>> m_retryMappings;  // NameIP, mailbox id; under m_serversLock
    std::vector<char> m_pieceBuffer;  // the worker's data buffer, reused by every download
    std::unique_ptr<PlacedFiles> m_placed;  // made before the threads start
    DeletionHold m_deletionHold{kDeletionHold};
    std::mutex m_placingLock;
    wxString m_placingPart;  // under m_placingLock
    struct BackOff {
        wxString folder;
        int failures = 0;
        std::chrono::steady_clock::time_point until;
    };
    std::mutex m_backOffLock;
    std::map<std::tuple<wxString, wxString, int>, BackOff> m_backOff;  // NameIP, mailbox id, job id
    std::vector<std::unique_ptr<wxString>> m_monitorNames;
    std::mutex m_monitorNamesLock;

    std::mutex m_watcherCallsLock;
    std::condition_variable m_watcherCallsDone;
    int m_watcherCalls = 0;
};
