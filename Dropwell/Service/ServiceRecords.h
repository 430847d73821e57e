// The service's own records: a queued job event and what it keeps of a job.
#pragma once

#include <map>

#include <wx/string.h>

namespace DROPWELL {

// One event of the job queue.
struct stScanEvent {
    int jobId = 0;             // -1 with eventType 1: every job of the server
    int eventType = 0;         // 0 job added, 1 job deleted
    wxString serverName;       // NameIP of the server
    bool fromServerEvent = false;  // reported by the controller (else by reconciliation)
};

// What the service keeps of a job it has put into a mapped folder.
struct stJobDetails {
    wxString fileName;   // stem of the job's file, already safe for a path
    wxString format;     // the controller's format text; its safe form is the extension
    int pages = 0;
};

// Statuses the service gives servers and mappings in memory (never stored).
constexpr long kServerConnected = 5;
constexpr long kServerNeedsConnection = 6;
constexpr long kServerUnsupported = 7;
constexpr long kMappingNotWritable = 2;
constexpr long kMappingToReconcile = 8;
constexpr long kMappingReconciled = 9;

// Job id -> details, for one mailbox.
using JobMap = std::map<int, stJobDetails>;

}  // namespace DROPWELL

namespace DROPWELL {

// Mailbox id -> its jobs, for one server; and NameIP -> that, the jobs database.
using MailboxJobs = std::map<wxString, JobMap>;
using JobsDatabase = std::map<wxString, MailboxJobs>;

}  // namespace DROPWELL
