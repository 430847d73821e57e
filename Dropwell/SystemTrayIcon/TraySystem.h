// What the tray agent asks of the system: the process list, starting a
// program, opening a folder, ending a process and telling the user of a
// failure. Tests give their own.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

#include <wx/string.h>

#include "ProcessList.h"

class TraySystem {
public:
    virtual ~TraySystem() = default;

    // 0 and the list, or an error and no list.
    virtual int ListProcesses(std::vector<veqplatform::ProcessEntry>& processes) = 0;
    // Starts an executable without arguments, not waiting for it.
    virtual bool StartProgram(const std::string& executable) = 0;
    // Why a folder was not opened: it is not an existing folder (given by an
    // absolute path), or no file manager could be started or opened it.
    enum class OpenFailure { NO_FOLDER, NO_FILE_MANAGER };
    using OpenFailed = std::function<void(OpenFailure)>;
    // Opens a folder in the desktop's file manager. failed is called, at once
    // or later from the event loop, when that did not happen.
    virtual void OpenFolder(const std::string& folder, OpenFailed failed) = 0;
    // Ends a process at once (SIGKILL).
    virtual bool KillProcess(pid_t pid) = 0;
    // Shows text in a message box of its own (the agent has no window).
    virtual void ShowError(const wxString& text) = 0;
};

// The running system: /proc, wxExecute, xdg-open, kill and a message box.
class LocalTraySystem : public TraySystem {
public:
    int ListProcesses(std::vector<veqplatform::ProcessEntry>& processes) override;
    bool StartProgram(const std::string& executable) override;
    void OpenFolder(const std::string& folder, OpenFailed failed) override;
    bool KillProcess(pid_t pid) override;
    void ShowError(const wxString& text) override;
};
