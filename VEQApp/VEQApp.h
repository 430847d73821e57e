// Veqora, the main application: one instance per user, the user's language,
// the tray agent, and the main frame. Closing the frame only hides it; the
// application ends on Ctrl+Q, SIGTERM or SIGINT. A second start asks the
// running instance to show its window and ends.
#pragma once

#include <memory>

#include <wx/app.h>
#include <wx/intl.h>
#include <wx/snglinst.h>

#include "VEQLocale.h"

class Frame;
class InstanceChannel;

class VEQApp : public wxApp {
public:
    VEQApp();
    ~VEQApp() override;

    bool OnInit() override;
    int OnExit() override;
    wxAppTraits* CreateTraits() override;

    bool IsAppInstanceRunning();
    void InitializeLocale(const wxString& languageCode);
    static void LaunchTrayIconApp();
    void OnClose(wxCloseEvent& event);

    // Destroys the frame and ends the event loop.
    void Quit();

    // True once a start found another instance and handed over to it.
    static bool HandedOver() { return s_handedOver; }

private:
    void ShowMainWindow();

    static bool s_handedOver;

    Frame* m_frame = nullptr;
    wxSingleInstanceChecker* m_checker = nullptr;
    std::shared_ptr<VEQLocale> m_locale;
    std::unique_ptr<wxLocale> m_wxLocale;
    std::unique_ptr<InstanceChannel> m_channel;
};

wxDECLARE_APP(VEQApp);
