#include "ZeltoEngineServerMailbox.h"

#include "Logger.h"
#include "SdkText.h"
#include "Server.h"

using sdktext::ToUTF8;

ZeltoEngineServerMailbox::ZeltoEngineServerMailbox(Server* server, const wxString& user,
                                                   const wxString& userPassword,
                                                   const wxString& box,
                                                   const wxString& boxPassword)
    : ZeltoServerMailBox(server, box, boxPassword), m_userName(user), m_userPassword(userPassword) {}

ZeltoEngineServerMailbox::~ZeltoEngineServerMailbox() = default;

bool ZeltoEngineServerMailbox::FetchJobsFromServer(std::shared_ptr<JobList> jobs) {
    ScanJobList* list = nullptr;
    const int result = SCAN_getJobListInEngineBox(
        GetSession(), ToUTF8(m_userName).c_str(), ToUTF8(m_userPassword).c_str(), 0,
        ToUTF8(m_mailboxName).c_str(), ToUTF8(m_password).c_str(), &list, 0);
    if (result != 0 || !list) {
        VEQLOG(Debug) << (m_server ? m_server->GetIP() : wxString())
                      << " Refreshing Mailbox Failed, MailBoxName::" << m_mailboxName
                      << ", Error Code::" << result;
        if (list) {
            SCAN_freeScanJobList(list, 0);
        }
        return false;
    }
    AppendJobs(list, *jobs);
    return true;
}
