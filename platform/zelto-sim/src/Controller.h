// The state of one simulated controller, shared by all its connections and its
// control interface: logins, information, locale strings, mailboxes and jobs,
// job data, scans, and the events that changes raise.
#pragma once

#include "Config.h"
#include "JobData.h"

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace zeltosim {

// Where the controller's events go: every connection subscribed to the kind.
class EventSink {
public:
    virtual ~EventSink() = default;
    virtual void Publish(uint16_t eventKind, const std::string& frame) = 0;
};

// One entry of a job (or box) list.
struct JobEntry {
    int id = 0;
    uint64_t size = 0;
    int pages = 0;
    TextPairs attributes;
};

using Texts = std::vector<std::optional<std::string>>;

class Controller {
public:
    // Throws FixtureError for jobs that cannot be made.
    Controller(const ControllerFixture& fixture, EventSink& events);
    ~Controller();
    Controller(const Controller&) = delete;
    Controller& operator=(const Controller&) = delete;

    const ControllerConfig& Config() const { return m_config; }
    // Cancels a running scan and waits for it to end.
    void Shutdown();

    // Every function returns an SDK result code.
    int Login(const std::string& user, const std::string& password) const;
    Texts ServerInfo() const;
    int DeviceInfo(int device, Texts& out) const;
    int DictRead(const std::string& dictionary, const std::string& key, std::string& value) const;
    int AuthId(const std::string& user, const std::string& domain, std::string& id, int& number) const;
    // The language the controller answers a session of language in.
    std::string LocaleLanguage(const std::string& language) const;
    int LocaleString(const std::string& language, const std::string* context, const std::string& key,
                     std::string& text) const;

    int JobList(const std::string& mailbox, const std::string& password, std::vector<JobEntry>& out) const;
    int EngineJobList(const std::string& user, const std::string& password, const std::string& box,
                      const std::string& boxPassword, std::vector<JobEntry>& out) const;
    int EngineBoxList(const std::string& user, const std::string& password,
                      const std::optional<std::string>& filter, std::vector<JobEntry>& out) const;
    int NumPages(int jobId, int& pages) const;
    int IsJobInMailbox(const std::string& mailbox, const std::string& password, int jobId, bool& present) const;
    int DeleteJobInMailbox(const std::string& mailbox, const std::string& password, int jobId);
    // The rendition a data request asks for (DEST_FORMAT:1, DEST_PAGE:1 looked up by key).
    int OpenData(const std::string& mailbox, const std::string& password, int jobId, const TextPairs& destination,
                 std::shared_ptr<const JobDocument>& out) const;

    int InitiateScan(const TextPairs& request, int& jobId);
    int FinishScan(int jobId) const;
    int CancelScan(int jobId);

    // Control interface. AddJob throws std::invalid_argument.
    int AddJob(JobOptions options);
    bool DeleteJob(int jobId);
    std::vector<JobInfo> Jobs(const std::string* mailbox) const;
    bool HasJob(int jobId) const;
    bool AddMailbox(const MailboxInfo& mailbox);
    bool DeleteMailbox(const std::string& name);
    std::vector<MailboxInfo> Mailboxes() const;

    void RaiseScanEvent(int type, int jobId, const TextPairs& attributes = {});
    void RaiseAlert(int kind, const std::string& text, int id);
    void RaiseServerEvent(int type, int id);

private:
    struct Scan {
        int jobId = 0;
        JobOptions job;
        bool cancelled = false;
        bool running = false;
    };

    // With m_mutex held.
    const MailboxInfo* FindMailbox(const std::string& name) const;
    int CheckMailbox(const std::string& name, const std::string& password) const;
    int CheckEngineUser(const std::string& user, const std::string& password) const;
    std::vector<JobEntry> EntriesOf(const std::string& mailbox) const;
    int ReserveId(int requested);

    void RunScan();

    ControllerConfig m_config;
    EventSink& m_events;

    mutable std::mutex m_mutex;
    std::vector<MailboxInfo> m_mailboxes;
    std::map<int, std::shared_ptr<const Job>> m_jobs;
    std::map<int, bool> m_reserved;   // ids handed out to jobs still being made or scanned
    int m_nextJobId = 1;

    mutable std::mutex m_scanMutex;
    std::condition_variable m_scanWake;
    Scan m_scan;
    std::thread m_scanThread;
};

}  // namespace zeltosim
