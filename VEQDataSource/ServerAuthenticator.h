// Checks credentials against a server before a mailbox is opened or a user is
// let in. Every check answers 0 (accepted) or 2 (refused).
#pragma once

#include <wx/string.h>

#include "VEQDataSourceExport.h"

class VEQDATASOURCE_API ServerAuthenticator {
public:
    enum Result : int { ACCEPTED = 0, REFUSED = 2 };

    ServerAuthenticator();
    virtual ~ServerAuthenticator();
    ServerAuthenticator(const ServerAuthenticator&) = delete;
    ServerAuthenticator& operator=(const ServerAuthenticator&) = delete;

    virtual int AuthenticateEngineUserNamePassword(const wxString& userName,
                                                   const wxString& userPassword) = 0;
    virtual int AuthenticateMailboxNamePasswordForUser(const wxString& userName,
                                                       const wxString& userPassword,
                                                       const wxString& mailboxName,
                                                       const wxString& mailboxPassword) = 0;
    virtual int AuthenticateMilboxNamePassword(const wxString& mailboxName,
                                               const wxString& mailboxPassword) = 0;
};
