#include "ZeltoServerAuthenticator.h"

#include "ScannerCapability.h"
#include "SdkText.h"
#include "ZeltoServer.h"

using sdktext::FromUTF8;
using sdktext::ToUTF8;

namespace {

const int kAuthIdKind = 5;

// Only whether the listing succeeded matters; the list itself is freed at once.
// A listing that went unanswered tells the server that its connection is lost.
int ListingResult(Server* server, int sdkResult, ScanJobList* list) {
    ZeltoServer::NoteCallResult(server, sdkResult);
    if (list) {
        SCAN_freeScanJobList(list, 0);
    }
    return sdkResult == 0 ? ServerAuthenticator::ACCEPTED : ServerAuthenticator::REFUSED;
}

}  // namespace

ZeltoServerAuthenticator::ZeltoServerAuthenticator(Server* server,
                                                   std::shared_ptr<ScannerCapability> capability)
    : m_server(server), m_capability(std::move(capability)) {}

ZeltoServerAuthenticator::~ZeltoServerAuthenticator() = default;

int ZeltoServerAuthenticator::AuthenticateEngineUserNamePassword(const wxString& userName,
                                                                 const wxString& userPassword) {
    ZeltoServer* server = dynamic_cast<ZeltoServer*>(m_server);
    if (!server || !m_capability || !m_capability->CanServerSupportEngineBox()) {
        return REFUSED;
    }
    const std::string user = ToUTF8(userName);
    const std::string password = ToUTF8(userPassword);
    ScanJobList* list = nullptr;
    int result;
    if (m_capability->CanServerSupportEngineAuthentication()) {
        if (userName.empty()) {
            return REFUSED;
        }
        result = SCAN_getBoxListInEngineBox(server->GetSessionHandle(), user.c_str(),
                                            password.c_str(), nullptr, &list, 0);
    } else if (m_capability->CanServerSupportsAccountTrackLogin()) {
        if (userName.empty()) {
            return REFUSED;
        }
        result = SCAN_getBoxListInEngineBox(server->GetSessionHandle(), user.c_str(),
                                            password.c_str(), "", &list, 0);
    } else {
        // Without a user login the server lists its boxes for anyone.
        result = SCAN_getBoxListInEngineBox(server->GetSessionHandle(), "", "", "", &list, 0);
    }
    return ListingResult(server, result, list);
}

int ZeltoServerAuthenticator::AuthenticateMailboxNamePasswordForUser(
    const wxString& userName, const wxString& userPassword, const wxString& mailboxName,
    const wxString& mailboxPassword) {
    ZeltoServer* server = dynamic_cast<ZeltoServer*>(m_server);
    if (!server) {
        return REFUSED;
    }
    ScanJobList* list = nullptr;
    const int result = SCAN_getJobListInEngineBox(
        server->GetSessionHandle(), ToUTF8(userName).c_str(), ToUTF8(userPassword).c_str(), 0,
        ToUTF8(mailboxName).c_str(), ToUTF8(mailboxPassword).c_str(), &list, 0);
    return ListingResult(server, result, list);
}

int ZeltoServerAuthenticator::AuthenticateMilboxNamePassword(const wxString& mailboxName,
                                                             const wxString& mailboxPassword) {
    ZeltoServer* server = dynamic_cast<ZeltoServer*>(m_server);
    if (!server) {
        return REFUSED;
    }
    const wxString mailboxId = GetMailboxID(mailboxName);
    ScanJobList* list = nullptr;
    const int result =
        SCAN_getJobListInMailbox(server->GetSessionHandle(), ToUTF8(mailboxId).c_str(),
                                 ToUTF8(mailboxPassword).c_str(), &list, 0);
    return ListingResult(server, result, list);
}

wxString ZeltoServerAuthenticator::GetMailboxID(const wxString& mailboxName) {
    const int separator = mailboxName.Find('\\');
    if (separator == wxNOT_FOUND) {
        return mailboxName;
    }
    const wxString domain = mailboxName.Left(separator);
    const wxString user = mailboxName.Mid(separator + 1);
    ZeltoServer* server = dynamic_cast<ZeltoServer*>(m_server);
    if (user.empty() || !server) {
        return mailboxName;
    }
    char* idText = nullptr;
    int idNumber = 0;
    wxString mailboxId = mailboxName;
    if (AUTH_getAuthIDEx(server->GetServerhandle(), ToUTF8(user).c_str(), ToUTF8(domain).c_str(),
                         kAuthIdKind, 0, &idText, &idNumber, 0) == 0 &&
        idText && *idText) {
        mailboxId = FromUTF8(idText);
    }
    if (idText) {
        vellora_free(idText);
    }
    return mailboxId;
}
