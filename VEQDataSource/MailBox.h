// One scan mailbox of a connected server (or a box of its print engine) with
// the scanned jobs it holds, their retrieval into files and their deletion.
#pragma once

#include <memory>
#include <vector>

#include <boost/signals2/signal.hpp>
#include <wx/string.h>

#include "VEQDataSourceExport.h"
#include "VEQTypes.h"

class ScanJobDataRetriever;

class VEQDATASOURCE_API MailBox {
public:
    // How a multi-page job is laid out in files.
    enum JobSavePolicy : int {
        SAVE_DOCUMENTS_WHOLE = 0,  // PDF, TIFF and XPS jobs whole in one file
        SAVE_PAGE_PER_FILE = 1     // every job one file per page
    };

    // Progress and result of a job retrieval.
    struct JobSaveEvent {
        enum Kind : int { STARTED = 0, PROGRESS = 1, COMPLETED = 2, FAILED = 3 };
        int m_eventKind = STARTED;
        int m_jobId = 0;
        wxString m_serverAddress;  // Server::GetIP() of the mailbox's server
        int m_percent = 0;         // 0 to 100
        wxString m_message;        // only in a failed event: the text for the user
    };

    MailBox();
    virtual ~MailBox();
    MailBox(const MailBox&) = delete;
    MailBox& operator=(const MailBox&) = delete;

    virtual const wxString& GetMailBoxName() const = 0;  // the id used with the server
    virtual const wxString& GetMailBoxDisplayName() const = 0;
    virtual const wxString& GetPassword() const = 0;
    virtual bool SaveScanedJobToPathFromMailBox(const wxString& path,
                                                VEQTypes::ScanRetriveAttribute& attributes,
                                                bool asynchronous,
                                                MailBox::JobSavePolicy policy) = 0;
    virtual void CancelCurrentSaveJobOperation() = 0;
    virtual bool IsJobInMailbox(int jobId) = 0;
    virtual bool DeleteJob(int jobId) = 0;
    virtual std::vector<VEQTypes::FileFormat> GetSupportedFileFormatForJob(int jobId) = 0;
    virtual VEQTypes::FileFormat GetDefaultFileFormatForJob(int jobId) = 0;
    virtual bool RefreshAvailableScannedJobs() = 0;
    virtual std::shared_ptr<VEQTypes::VEQScannedJob> GetScannedJobForID(int jobId) = 0;
    virtual std::shared_ptr<std::vector<VEQTypes::VEQScannedJob>> GetAvailableScannedJobs() = 0;
    virtual std::shared_ptr<ScanJobDataRetriever> GetJobDataRetriever(
        const VEQTypes::ScanRetriveAttribute& attributes) = 0;

    // Every progress and result event of a job retrieval.
    boost::signals2::signal<void(MailBox::JobSaveEvent)> m_jobSaveSignal;
    // After each successful refresh of the job list, on the refreshing thread.
    boost::signals2::signal<void()> m_jobsRefreshedSignal;
};
