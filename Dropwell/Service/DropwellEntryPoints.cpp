#include "DropwellEntryPoints.h"

#include "DropwellApp.h"
#include "DropwellImpl.h"
#include "FolderWatcher.h"
#include "Logger.h"
#include "ServiceStatusFile.h"
#include "VEQHelper.h"

#include <wx/init.h>

#include <condition_variable>
#include <mutex>

std::atomic<bool> bWxInit{false};
std::atomic<bool> bConThreadInitialized{false};
static_assert(sizeof(std::atomic<bool>) == sizeof(bool) && std::atomic<bool>::is_always_lock_free,
              "the exported flags keep the layout of a bool");
const char kApplicationName[] = "Veqora";
const char kApplicationKey[] = "VEQ-DROPWELL-SERVICE";

// The application object's factory and accessor are exported with the entry points.
#pragma GCC visibility push(default)
wxIMPLEMENT_APP_NO_MAIN(DropwellApp);
#pragma GCC visibility pop

namespace {

// Where the service is in its life. The lock is never held while the widget
// library starts or ends: that library holds a lock of its own on the thread
// that initialised it, and taking the two in both orders could deadlock.
enum class Phase { Idle, Starting, Running, Stopping };
std::mutex g_lifecycleLock;
std::condition_variable g_phaseChanged;
Phase g_phase = Phase::Idle;

void EnterPhase(Phase phase) {
    std::lock_guard<std::mutex> lock(g_lifecycleLock);
    g_phase = phase;
    g_phaseChanged.notify_all();
}

// The service folder; the logs go below it, never into the main application's
// log folder, so this runs before anything of the service logs.
wxString ServiceFolderWithLogs() {
    static const wxString folder = [] {
        wxString dir;
        VEQHelper::GetPasswordFilePath(dir, true);
        VEQLogger::SetLogDirectory(dir);
        return dir;
    }();
    return folder;
}

}  // namespace

bool DropwellApp::OnInit() {
    startDropwell();
    return true;
}

int DropwellApp::OnExit() {
    DropwellImpl::GetInstance()->StopDropwell();
    return wxAppConsole::OnExit();
}

bool CanStartService() {
    return ServiceStatusFile::AllowsStart(ServiceFolderWithLogs() + "/ServiceStatus.xml");
}

void startDropwell() {
    const wxString dir = ServiceFolderWithLogs();
    if (bConThreadInitialized) return;
    FolderWatcher::GetInstance()->SetSink(DropwellImpl::GetInstance());
    FolderWatcher::GetInstance()->AddEntry(dir);
    bConThreadInitialized = true;
    VEQLOG(Debug) << "Folder mapping started for path " << dir;
    DropwellImpl::GetInstance()->StartDropwell();
}

extern "C" void Start() {
    ServiceFolderWithLogs();
    {
        std::lock_guard<std::mutex> lock(g_lifecycleLock);
        if (g_phase != Phase::Idle || bWxInit || wxTheApp) return;
        g_phase = Phase::Starting;
        bWxInit = true;
    }
    if (!wxInitialize()) {
        bWxInit = false;
        VEQLOG(Error) << "Unable to initialise the widget library; the service does not start";
        EnterPhase(Phase::Idle);
        return;
    }
    startDropwell();
    EnterPhase(Phase::Running);
    FolderWatcher::GetInstance()->ReadEvents();
    // The widget library is torn down on the thread that initialised it.
    if (bConThreadInitialized && wxTheApp) wxTheApp->OnExit();
    wxUninitialize();
    bWxInit = false;
    EnterPhase(Phase::Idle);
}

extern "C" void Stop() {
    ServiceFolderWithLogs();
    std::unique_lock<std::mutex> lock(g_lifecycleLock);
    // A Stop while the service starts stops it once it runs.
    g_phaseChanged.wait(lock, [] { return g_phase != Phase::Starting; });
    if (g_phase == Phase::Idle) return;
    if (g_phase == Phase::Running) {
        g_phase = Phase::Stopping;
        // Ending the read loop makes Start stop the service on its own thread.
        FolderWatcher::GetInstance()->StopWatch();
    }
    g_phaseChanged.wait(lock, [] { return g_phase == Phase::Idle; });
}

extern "C" void Pause() {
    ServiceFolderWithLogs();
    DropwellImpl::GetInstance()->PauseDropwell();
}

extern "C" void Resume() {
    ServiceFolderWithLogs();
    DropwellImpl::GetInstance()->ResumeDropwell();
}
