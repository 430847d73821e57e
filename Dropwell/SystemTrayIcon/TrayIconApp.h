// DropwellTray, the tray agent: one per user, started at login (it then obeys
// its start-at-login setting) or by Veqora with "--args VEQAPP". It shows its
// icon until "Exit", SIGTERM or SIGINT.
#pragma once

#include <memory>

#include <wx/app.h>
#include <wx/intl.h>

#include "TrayIcon.h"
#include "TrayStartup.h"
#include "TraySystem.h"

class TrayIconApp : public wxApp {
public:
    bool OnInit() override;
    int OnExit() override;

    void InitLanguage();
    // The user's language as the system's own id, English (US) for one
    // without translations.
    static int GetSystemLangID();
    static wxString GetPathForLocaleFiles();

    // True when the start ended at once on purpose (another agent runs, or
    // start at login is off): the program then ends with status 0.
    static bool EndedAtStart() { return s_endedAtStart; }

private:
    static bool s_endedAtStart;

    TrayStartup m_startup;
    LocalTraySystem m_system;
    std::unique_ptr<wxLocale> m_locale;
    std::unique_ptr<TrayIcon> m_trayIcon;
};

wxDECLARE_APP(TrayIconApp);
