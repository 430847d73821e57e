#include "ZeltoEngineServerMailbox.h"

#include "Logger.h"
#include "SdkText.h"
#include "Server.h"

using sdktext::ToUTF8;

ZeltoEngineServerMailbox::ZeltoEngineServerMailbox(Server* server, const wxString& user,
                                                   const wxString& userPassword,
                                                   const wxString& box,
                                                   const wxString& boxPassword)
    : ZeltoServerMailBox(server, box, boxPassword),
      m_userNameUtf8(ToUTF8(user)),
      m_userPasswordUtf8(ToUTF8(userPassword)) {}

ZeltoEngineServerMailbox::~ZeltoEngineServerMailbox() = default;

bool ZeltoEngineServerMailbox::FetchJobsFromServer(std::shared_ptr<JobList> jobs) {
    ScanJobList* list = nullptr;
    const int result = SCAN_getJobListInEngineBox(
        GetSession(), m_userNameUtf8.c_str(), m_userPasswordUtf8.c_str(), 0,
        m_mailboxNameUtf8.c_str(), m_passwordUtf8.c_str(), &list, 0);
    return TakeJobList(result, list, *jobs);
}
