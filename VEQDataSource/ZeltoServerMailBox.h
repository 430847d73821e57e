// A scan mailbox of a Zelto controller: its job list and each job's attributes
// as the server last listed them, the per-job queries, deletion, and the save
// of a job into files (ZeltoServerMailBoxSave.cpp).
//
// The job list and the attribute cache are refreshed and read from several
// threads; both are guarded and callers always get copies.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <wx/string.h>

#include "MailBox.h"
#include "VEQDataSourceExport.h"
#include "VEQTypes.h"
#include "vellora.h"

class Server;

class VEQDATASOURCE_API ZeltoServerMailBox : public MailBox,
                                             public std::enable_shared_from_this<ZeltoServerMailBox> {
public:
    using JobList = std::vector<VEQTypes::VEQScannedJob>;
    using JobAttributes = std::map<wxString, wxString>;

    // Lists the mailbox once before it returns. Asynchronous saves need the
    // mailbox to be held by a std::shared_ptr (the queued save shares it).
    ZeltoServerMailBox(Server* server, const wxString& mailboxId, const wxString& password);
    ~ZeltoServerMailBox() override;

    const wxString& GetMailBoxName() const override;
    const wxString& GetMailBoxDisplayName() const override;
    const wxString& GetPassword() const override;

    // Checks the request (folder readable and writable, page index not negative,
    // format offered for the job, job listed) and returns false without any event
    // when one fails. Then saves on this thread (true on success) or queues the
    // save on the server's pool (true when queued; the outcome comes as events).
    bool SaveScanedJobToPathFromMailBox(const wxString& path,
                                        VEQTypes::ScanRetriveAttribute& attributes,
                                        bool asynchronous, MailBox::JobSavePolicy policy) override;
    // Stops the running save of this mailbox after its current chunk or page.
    void CancelCurrentSaveJobOperation() override;

    // Asks the server.
    bool IsJobInMailbox(int jobId) override;
    // The list keeps the job until the next refresh.
    bool DeleteJob(int jobId) override;
    // From the attributes of the last listing; never asks the server.
    std::vector<VEQTypes::FileFormat> GetSupportedFileFormatForJob(int jobId) override;
    VEQTypes::FileFormat GetDefaultFileFormatForJob(int jobId) override;
    bool RefreshAvailableScannedJobs() override;
    // A copy of the listed job; a record with id 0 when none has the id.
    std::shared_ptr<VEQTypes::VEQScannedJob> GetScannedJobForID(int jobId) override;
    // A copy of the job list as the last successful refresh left it; later
    // refreshes do not change it (ask again after the jobs-refreshed signal).
    // Keep the pointer while iterating: `for (j : *GetAvailableScannedJobs())`
    // would iterate a copy already freed.
    std::shared_ptr<JobList> GetAvailableScannedJobs() override;
    std::shared_ptr<ScanJobDataRetriever> GetJobDataRetriever(
        const VEQTypes::ScanRetriveAttribute& attributes) override;

    // Fills jobs (empty on entry) from the server; false leaves it unused.
    virtual bool FetchJobsFromServer(std::shared_ptr<JobList> jobs);
    // The guarded refresh: false at once while another refresh of this mailbox
    // runs; on success the new list replaces the old and the jobs-refreshed
    // signal fires on this thread.
    bool FetchJobsFromServer();

    void SetMailBoxDisplayName(const wxString& name);
    bool IsFileFormatSupported(const VEQTypes::FileFormat& format, const int& jobId);
    bool IsJobInCachedMailbox(int jobId);
    // Converts one SDK job record and caches its attributes.
    void VelloraScanJobToVEQScanJob(ScanJob* record, VEQTypes::VEQScannedJob& job);

    // The save proper, inline or as the pool task.
    bool DoSaveScanedJobToPathFromMailBox(const wxString& path,
                                          VEQTypes::ScanRetriveAttribute& attributes,
                                          MailBox::JobSavePolicy policy);
    // Writes one file; events only when emitEvents is set.
    bool SaveScanedJobToPathFromMailBox_internal(const wxString& path,
                                                 VEQTypes::ScanRetriveAttribute& attributes,
                                                 bool emitEvents);

protected:
    VelloraScanSession* GetSession() const;
    // Takes the answer of a job-list call: on success appends its jobs and
    // frees the list; on failure logs, frees what came back and returns false.
    bool TakeJobList(int result, ScanJobList* list, JobList& jobs);
    // Converts every record of an SDK listing into jobs and frees the listing.
    void AppendJobs(ScanJobList* list, JobList& jobs);

    Server* m_server;  // not owned: the server outlives its mailboxes
    wxString m_mailboxName;
    wxString m_displayName;
    wxString m_password;
    // Both in UTF-8, made once: a wxString caches its conversions, so threads
    // must not convert the same one at once.
    const std::string m_mailboxNameUtf8;
    const std::string m_passwordUtf8;

private:
    bool FindJob(int jobId, VEQTypes::VEQScannedJob& job) const;
    bool FindJobAttributes(int jobId, JobAttributes& attributes) const;
    void EmitSaveEvent(int kind, int jobId, int percent, const wxString& message);

    std::mutex m_refreshMutex;  // guards the refreshing flag
    bool m_refreshing;
    mutable std::mutex m_dataMutex;  // guards the job list and the attribute cache
    JobList m_jobs;
    std::map<int, JobAttributes> m_jobAttributes;
    std::atomic<bool> m_cancel;
};
