#include "TraySystem.h"

#include <signal.h>

#include <wx/app.h>
#include <wx/filefn.h>
#include <wx/msgdlg.h>

#include "Launcher.h"

int LocalTraySystem::ListProcesses(std::vector<veqplatform::ProcessEntry>& processes) {
    return veqplatform::ListProcesses(processes);
}

bool LocalTraySystem::StartProgram(const std::string& executable) {
    return veqplatform::StartProgram(executable);
}

void LocalTraySystem::OpenFolder(const std::string& folder, OpenFailed failed) {
    if (!wxIsAbsolutePath(wxString::FromUTF8(folder)) || !wxDirExists(wxString::FromUTF8(folder))) {
        failed(OpenFailure::NO_FOLDER);
        return;
    }
    const bool started = veqplatform::OpenFolderInFileManager(folder, [failed](int exitCode) {
        if (exitCode != 0) {
            failed(OpenFailure::NO_FILE_MANAGER);
        }
    });
    if (!started) {
        failed(OpenFailure::NO_FILE_MANAGER);
    }
}

bool LocalTraySystem::KillProcess(pid_t pid) {
    return kill(pid, SIGKILL) == 0;
}

void LocalTraySystem::ShowError(const wxString& text) {
    // Shown once the menu that asked for it has closed.
    wxTheApp->CallAfter([text]() { wxMessageBox(text, "Veqora", wxOK | wxICON_ERROR, nullptr); });
}
