// What the tray agent asks of the system: the process list, starting a
// program, opening a folder and ending a process. Tests give their own.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "ProcessList.h"

class TraySystem {
public:
    virtual ~TraySystem() = default;

    // 0 and the list, or an error and no list.
    virtual int ListProcesses(std::vector<veqplatform::ProcessEntry>& processes) = 0;
    // Starts an executable without arguments, not waiting for it.
    virtual bool StartProgram(const std::string& executable) = 0;
    // Opens a folder in the desktop's file manager.
    virtual bool OpenFolder(const std::string& folder) = 0;
    // Ends a process at once (SIGKILL).
    virtual bool KillProcess(pid_t pid) = 0;
};

// The running system: /proc, wxExecute, xdg-open and kill.
class LocalTraySystem : public TraySystem {
public:
    int ListProcesses(std::vector<veqplatform::ProcessEntry>& processes) override;
    bool StartProgram(const std::string& executable) override;
    bool OpenFolder(const std::string& folder) override;
    bool KillProcess(pid_t pid) override;
};
