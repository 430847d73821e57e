#include "VEQApp.h"

#include <csignal>

#include <wx/filename.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/settings.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>

#include "AppLocale.h"
#include "DetachedProcess.h"
#include "Frame.h"
#include "InstanceChannel.h"
#include "Logger.h"
#include "OverridenRenderer.h"
#include "ResourceService.h"
#include "VEQNSUtils.h"
#include "VEQTraits.h"
#include "VeqRoot.h"

namespace {

const char kVersion[] = "6.7.1.3";
const char kInstanceName[] = "QMV_VEQ_49576BD4-BE9D-4a90-99BC-1EF2EB3D4DB9-%s";
const char kTrayAgentPath[] = "/Applications/Zelto/Veqora.app/Contents/DropwellTray.app/Contents/MacOS/DropwellTray";

// Called from the event loop, not in the signal's context.
void OnTerminateSignal(int) {
    wxGetApp().Quit();
}

}  // namespace

wxRendererNative* VEQTraits::CreateRenderer() {
    return new OverridenRenderer();
}

bool VEQApp::s_handedOver = false;

VEQApp::VEQApp() = default;

VEQApp::~VEQApp() = default;

wxAppTraits* VEQApp::CreateTraits() {
    return new VEQTraits();
}

bool VEQApp::OnInit() {
    wxInitAllImageHandlers();
    VEQNSUtils::SetMACOSThemeToAqua();
    SetAppName("Veqora");
    VEQLOG(Debug) << "VEQ version " << kVersion << " font face - "
                  << wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT).GetFaceName();
    if (IsAppInstanceRunning()) {
        VEQLOG(Debug) << "App Instance Already Running";
        delete m_checker;
        m_checker = nullptr;
        s_handedOver = true;
        if (!InstanceChannel::AskRunningInstanceToShow()) {
            VEQLOG(Error) << "The running instance did not answer";
        }
        return false;
    }
    InitializeLocale(wxString());
    LaunchTrayIconApp();
    // The desktop here has no application-wide menu bar to share.

    m_frame = new Frame();
    wxIcon icon;
    icon.CopyFromBitmap(ResourceService::Get().GetBitmapResource("zelto_scan_app.png"));
    if (icon.IsOk()) {
        m_frame->SetIcon(icon);
    }
    m_frame->Centre(wxBOTH);
    m_frame->Bind(wxEVT_CLOSE_WINDOW, &VEQApp::OnClose, this);
    m_frame->Bind(wxEVT_MENU, [this](wxCommandEvent&) { Quit(); }, wxID_EXIT);

    m_channel = std::make_unique<InstanceChannel>();
    if (!m_channel->Listen([this]() { ShowMainWindow(); })) {
        VEQLOG(Error) << "Another start cannot reach this instance";
    }
    SetSignalHandler(SIGTERM, &OnTerminateSignal);
    SetSignalHandler(SIGINT, &OnTerminateSignal);

    m_frame->Show(true);
    return true;
}

bool VEQApp::IsAppInstanceRunning() {
    wxLogNull quiet;
    m_checker = new wxSingleInstanceChecker(wxString::Format(kInstanceName, wxGetUserId()),
                                            wxStandardPaths::Get().GetUserConfigDir());
    return m_checker->IsAnotherRunning();
}

void VEQApp::InitializeLocale(const wxString& languageCode) {
    InitializeAppLocale(languageCode, m_locale, m_wxLocale);
}

void VEQApp::LaunchTrayIconApp() {
    const std::string path = veqplatform::UnderRoot(kTrayAgentPath);
    // Started without a shell, so that no path can be read as shell syntax.
    if (!wxFileName::IsFileExecutable(wxString::FromUTF8(path))) {
        VEQLOG(Debug) << "Tray agent not found: " << path;
        return;
    }
    if (!StartDetachedProcess({path, "--args", "VEQAPP"})) {
        VEQLOG(Error) << "Cannot start the tray agent " << path;
    }
}

void VEQApp::OnClose(wxCloseEvent& event) {
    if (!event.CanVeto()) {
        m_frame = nullptr;  // the session ends: the frame goes, and with it the main loop
        event.Skip();
        return;
    }
    m_frame->Show(false);
    event.Veto();
}

void VEQApp::ShowMainWindow() {
    if (!m_frame) {
        return;
    }
    VEQLOG(Debug) << "Showing the main window at another start's request";
    m_frame->Show(true);
    m_frame->Raise();
}

void VEQApp::Quit() {
    if (m_frame) {
        m_frame->Unbind(wxEVT_CLOSE_WINDOW, &VEQApp::OnClose, this);
        m_frame->Destroy();
        m_frame = nullptr;
    }
    ExitMainLoop();
}

int VEQApp::OnExit() {
    m_channel.reset();
    delete m_checker;
    m_checker = nullptr;
    return 0;
}
