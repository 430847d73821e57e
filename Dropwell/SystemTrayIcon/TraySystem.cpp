#include "TraySystem.h"

#include <signal.h>

#include "Launcher.h"

int LocalTraySystem::ListProcesses(std::vector<veqplatform::ProcessEntry>& processes) {
    return veqplatform::ListProcesses(processes);
}

bool LocalTraySystem::StartProgram(const std::string& executable) {
    return veqplatform::StartProgram(executable);
}

bool LocalTraySystem::OpenFolder(const std::string& folder) {
    return veqplatform::OpenFolderInFileManager(folder);
}

bool LocalTraySystem::KillProcess(pid_t pid) {
    return kill(pid, SIGKILL) == 0;
}
