// Credential checks against a Zelto controller through its scan session.
#pragma once

#include <memory>

#include <wx/string.h>

#include "ServerAuthenticator.h"
#include "VEQDataSourceExport.h"

class Server;
class ScannerCapability;

class VEQDATASOURCE_API ZeltoServerAuthenticator : public ServerAuthenticator {
public:
    ZeltoServerAuthenticator(Server* server, std::shared_ptr<ScannerCapability> capability);
    ~ZeltoServerAuthenticator() override;

    int AuthenticateEngineUserNamePassword(const wxString& userName,
                                           const wxString& userPassword) override;
    int AuthenticateMailboxNamePasswordForUser(const wxString& userName,
                                               const wxString& userPassword,
                                               const wxString& mailboxName,
                                               const wxString& mailboxPassword) override;
    int AuthenticateMilboxNamePassword(const wxString& mailboxName,
                                       const wxString& mailboxPassword) override;

    // The server's id of a mailbox; "domain\user" names are looked up, others kept.
    wxString GetMailboxID(const wxString& mailboxName);

private:
    Server* m_server;
    std::shared_ptr<ScannerCapability> m_capability;
};
