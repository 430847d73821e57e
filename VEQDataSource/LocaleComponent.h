// The server's locale session in the application's language: translates the
// server's message keys into display texts and lends its session to the
// decoding of server texts.
#pragma once

#include <wx/string.h>

#include "VEQDataSourceExport.h"
#include "vellora.h"

class Server;

class VEQDATASOURCE_API LocaleComponent {
public:
    // Opens the session on the server's handle.
    explicit LocaleComponent(Server* server);
    ~LocaleComponent();
    LocaleComponent(const LocaleComponent&) = delete;
    LocaleComponent& operator=(const LocaleComponent&) = delete;

    void Initialize();
    // The session record while it is open, else null.
    VelloraLocaleSession* GetLocaleSessionHandle();
    // The server's text for the key; the key itself when there is none.
    wxString GetLocalizedString(const wxString& key);
    wxString GetCurrentLanguageCanonicalName();

private:
    Server* m_server;
    VelloraLocaleSession m_session;
    bool m_sessionOpen;
    wxString m_languageCanonicalName;
};
