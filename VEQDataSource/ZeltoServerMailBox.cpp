#include "ZeltoServerMailBox.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include <wx/datetime.h>

#include "DataFormatter.h"
#include "JobFileNames.h"
#include "Logger.h"
#include "SdkText.h"
#include "ZeltoScanJobDataRetriever.h"
#include "ZeltoServer.h"

using sdktext::ToUTF8;

namespace {

// A text of the server; bytes that are not UTF-8 are kept as Latin-1 rather than lost.
wxString FromServerText(const char* text) {
    if (!text || !*text) {
        return wxString();
    }
    const wxString utf8 = wxString::FromUTF8(text);
    return utf8.empty() ? wxString(text, wxConvISO8859_1) : utf8;
}

wxString Lookup(const std::map<wxString, wxString>& attributes, const wxString& key) {
    const auto entry = attributes.find(key);
    return entry == attributes.end() ? wxString() : entry->second;
}

// "FINISH_TIME" as seconds since 1970: a decimal number, or the locale's date
// and time with the missing parts taken from today at midnight.
bool ParseFinishTime(const wxString& text, long& seconds) {
    if (text.ToLong(&seconds, 10)) {
        return true;
    }
    if (text.empty()) {
        return false;
    }
    wxDateTime parsed;
    wxString::const_iterator end;
    if (!parsed.ParseFormat(text, "%c", wxDateTime::Today(), &end) || end != text.end() ||
        !parsed.IsValid()) {
        return false;
    }
    seconds = static_cast<long>(parsed.GetTicks());
    return true;
}

}  // namespace

ZeltoServerMailBox::ZeltoServerMailBox(Server* server, const wxString& mailboxId,
                                       const wxString& password)
    : m_server(server),
      m_mailboxName(mailboxId),
      m_displayName(mailboxId),
      m_password(password),
      m_mailboxNameUtf8(ToUTF8(mailboxId)),
      m_passwordUtf8(ToUTF8(password)),
      m_refreshing(false),
      m_cancel(false) {
    FetchJobsFromServer();
}

ZeltoServerMailBox::~ZeltoServerMailBox() = default;

const wxString& ZeltoServerMailBox::GetMailBoxName() const {
    return m_mailboxName;
}

const wxString& ZeltoServerMailBox::GetMailBoxDisplayName() const {
    return m_displayName;
}

const wxString& ZeltoServerMailBox::GetPassword() const {
    return m_password;
}

void ZeltoServerMailBox::SetMailBoxDisplayName(const wxString& name) {
    m_displayName = name;
}

VelloraScanSession* ZeltoServerMailBox::GetSession() const {
    ZeltoServer* zelto = dynamic_cast<ZeltoServer*>(m_server);
    return zelto ? zelto->GetSessionHandle() : nullptr;
}

bool ZeltoServerMailBox::RefreshAvailableScannedJobs() {
    return FetchJobsFromServer();
}

bool ZeltoServerMailBox::FetchJobsFromServer() {
    {
        std::lock_guard<std::mutex> lock(m_refreshMutex);
        if (m_refreshing) {
            return false;
        }
        m_refreshing = true;
    }
    const wxString address = m_server ? m_server->GetIP() : wxString();
    VEQLOG(Debug) << address << " Refreshing Mailbox started, MailBoxName::" << m_mailboxNameUtf8;
    const std::shared_ptr<JobList> jobs = std::make_shared<JobList>();
    const bool listed = FetchJobsFromServer(jobs);
    std::size_t count = 0;
    if (listed) {
        std::lock_guard<std::mutex> lock(m_dataMutex);
        m_jobs.swap(*jobs);
        count = m_jobs.size();
    }
    if (listed) {
        m_jobsRefreshedSignal();
    }
    {
        std::lock_guard<std::mutex> lock(m_refreshMutex);
        m_refreshing = false;
    }
    if (listed) {
        VEQLOG(Debug) << address << " Refreshing Mailbox Completed, MailBoxName::" << m_mailboxNameUtf8
                      << " Number of Jobs::" << static_cast<unsigned long>(count);
    }
    return listed;
}

bool ZeltoServerMailBox::FetchJobsFromServer(std::shared_ptr<JobList> jobs) {
    ScanJobList* list = nullptr;
    const int result = SCAN_getJobListInMailbox(GetSession(), m_mailboxNameUtf8.c_str(),
                                                m_passwordUtf8.c_str(), &list, 0);
    return TakeJobList(result, list, *jobs);
}

bool ZeltoServerMailBox::TakeJobList(int result, ScanJobList* list, JobList& jobs) {
    ZeltoServer::NoteCallResult(m_server, result);
    if (result != 0 || !list) {
        VEQLOG(Debug) << (m_server ? m_server->GetIP() : wxString())
                      << " Refreshing Mailbox Failed, MailBoxName::" << m_mailboxNameUtf8
                      << ", Error Code::" << result;
        if (list) {
            SCAN_freeScanJobList(list, 0);
        }
        return false;
    }
    AppendJobs(list, jobs);
    return true;
}

void ZeltoServerMailBox::AppendJobs(ScanJobList* list, JobList& jobs) {
    jobs.reserve(jobs.size() + static_cast<std::size_t>(std::max(list->count, 0)));
    for (int i = 0; i < list->count && list->entries; ++i) {
        VEQTypes::VEQScannedJob job;
        VelloraScanJobToVEQScanJob(&list->entries[i], job);
        jobs.push_back(job);
    }
    SCAN_freeScanJobList(list, 0);
}

void ZeltoServerMailBox::VelloraScanJobToVEQScanJob(ScanJob* record,
                                                    VEQTypes::VEQScannedJob& job) {
    JobAttributes attributes;
    const ScanAttributes& list = record->attributes;
    for (long i = 0; i < list.count && list.names && list.values; ++i) {
        if (list.names[i]) {
            attributes[FromServerText(list.names[i])] = FromServerText(list.values[i]);
        }
    }
    {
        std::lock_guard<std::mutex> lock(m_dataMutex);
        m_jobAttributes[record->jobId] = attributes;
    }

    job.m_id = record->jobId;
    // The controller's name as it is, for display; whoever makes a path of it
    // makes it safe there (JobFileNames::SafeFileName).
    job.m_name = Lookup(attributes, "FILENAME");

    std::uint64_t size = record->size > 0 ? static_cast<std::uint64_t>(record->size) : 0;
    const wxString fileSizeText = Lookup(attributes, "FILESIZE");
    unsigned long long fileSize = 0;
    if (!fileSizeText.StartsWith("-") && fileSizeText.ToULongLong(&fileSize, 10)) {
        size = fileSize;
    }
    job.m_size = size;
    job.m_sizeText = DataFormatter::FormatSizeInMB(static_cast<double>(size));

    long pages = 0;
    if (!Lookup(attributes, "N_PAGES").ToLong(&pages, 10) || pages == 0) {
        int counted = 1;
        pages = SCAN_getNumPagesInJob(GetSession(), record->jobId, &counted, 0) == 0 ? counted : 0;
    }
    // The listed count is a claim of the controller's: it never exceeds the
    // pages the job entry itself holds, so that a save makes no page files
    // for pages that do not exist.
    if (record->pages > 0 && pages > record->pages) {
        pages = record->pages;
    }
    job.m_pageCount = static_cast<int>(std::min(std::max(pages, 1L), static_cast<long>(INT_MAX)));

    const wxString finishText = Lookup(attributes, "FINISH_TIME");
    long finishTime = 0;
    if (ParseFinishTime(finishText, finishTime)) {
        const std::int32_t offset =
            static_cast<std::int32_t>(m_server ? m_server->GetTimeAdjustment() : 0);
        job.m_finishTime = finishTime;
        job.m_dateText = DataFormatter::FormatKTRDate(finishTime, offset, TodayYesterday);
    } else {
        job.m_finishTime = 0;
        job.m_dateText = finishText;
    }
}

bool ZeltoServerMailBox::FindJob(int jobId, VEQTypes::VEQScannedJob& job) const {
    std::lock_guard<std::mutex> lock(m_dataMutex);
    const auto found = std::find_if(m_jobs.begin(), m_jobs.end(),
                                    [jobId](const VEQTypes::VEQScannedJob& j) { return j.m_id == jobId; });
    if (found == m_jobs.end()) {
        return false;
    }
    job = *found;
    return true;
}

bool ZeltoServerMailBox::FindJobAttributes(int jobId, JobAttributes& attributes) const {
    std::lock_guard<std::mutex> lock(m_dataMutex);
    const auto found = m_jobAttributes.find(jobId);
    if (found == m_jobAttributes.end()) {
        return false;
    }
    attributes = found->second;
    return true;
}

std::shared_ptr<VEQTypes::VEQScannedJob> ZeltoServerMailBox::GetScannedJobForID(int jobId) {
    std::shared_ptr<VEQTypes::VEQScannedJob> job = std::make_shared<VEQTypes::VEQScannedJob>();
    if (!FindJob(jobId, *job)) {
        VEQLOG(Debug) << " Mailbox::" << m_mailboxNameUtf8 << ", no job exist with id " << jobId;
        *job = VEQTypes::VEQScannedJob();
    }
    return job;
}

std::shared_ptr<ZeltoServerMailBox::JobList> ZeltoServerMailBox::GetAvailableScannedJobs() {
    std::lock_guard<std::mutex> lock(m_dataMutex);
    return std::make_shared<JobList>(m_jobs);
}

bool ZeltoServerMailBox::IsJobInCachedMailbox(int jobId) {
    VEQTypes::VEQScannedJob job;
    return FindJob(jobId, job);
}

bool ZeltoServerMailBox::IsJobInMailbox(int jobId) {
    unsigned char present = 0;
    return SCAN_isJobInMailbox(GetSession(), m_mailboxNameUtf8.c_str(), m_passwordUtf8.c_str(), jobId, &present, 0) == 0 &&
           present == 1;
}

bool ZeltoServerMailBox::DeleteJob(int jobId) {
    const int result = SCAN_deleteJobInMailbox(GetSession(), m_mailboxNameUtf8.c_str(),
                                               m_passwordUtf8.c_str(), jobId, 0);
    ZeltoServer::NoteCallResult(m_server, result);
    if (result != 0) {
        VEQLOG(Debug) << (m_server ? m_server->GetIP() : wxString())
                      << " Job Deletion failed in mailbox, MailBoxName::" << m_mailboxNameUtf8
                      << ", Error Code::" << result;
        return false;
    }
    return true;
}

std::vector<VEQTypes::FileFormat> ZeltoServerMailBox::GetSupportedFileFormatForJob(int jobId) {
    std::vector<VEQTypes::FileFormat> formats;
    JobAttributes attributes;
    long count = 0;
    if (!FindJobAttributes(jobId, attributes) ||
        !Lookup(attributes, "N_FILE_FORMAT").ToLong(&count, 10) || count == 0) {
        return formats;
    }
    for (long i = 0; i <= count; ++i) {
        const wxString key = i == 0 ? wxString("FILE_FORMAT") : wxString::Format("FILE_FORMAT:%ld", i);
        const auto entry = attributes.find(key);
        if (entry == attributes.end()) {
            continue;
        }
        const auto format = VEQTypes::g_fileFormats.find(entry->second);
        if (format != VEQTypes::g_fileFormats.end()) {
            formats.push_back(format->second);
        }
    }
    return formats;
}

VEQTypes::FileFormat ZeltoServerMailBox::GetDefaultFileFormatForJob(int jobId) {
    JobAttributes attributes;
    if (!FindJobAttributes(jobId, attributes)) {
        return VEQTypes::PDF;
    }
    const auto format = VEQTypes::g_fileFormats.find(Lookup(attributes, "DEFAULT_FORMAT"));
    return format == VEQTypes::g_fileFormats.end() ? VEQTypes::PDF : format->second;
}

bool ZeltoServerMailBox::IsFileFormatSupported(const VEQTypes::FileFormat& format,
                                               const int& jobId) {
    const std::vector<VEQTypes::FileFormat> formats = GetSupportedFileFormatForJob(jobId);
    return std::find(formats.begin(), formats.end(), format) != formats.end();
}

std::shared_ptr<ScanJobDataRetriever> ZeltoServerMailBox::GetJobDataRetriever(
    const VEQTypes::ScanRetriveAttribute& attributes) {
    VEQTypes::VEQScannedJob job;
    if (!FindJob(attributes.m_jobId, job)) {
        job = VEQTypes::VEQScannedJob();
    }
    return std::make_shared<ZeltoScanJobDataRetriever>(m_server, m_mailboxName, m_password, job,
                                                       attributes);
}
