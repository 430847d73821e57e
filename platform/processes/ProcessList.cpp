#include "ProcessList.h"

#include <dirent.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>

namespace veqplatform {

namespace {

// The kernel's limit for a process name, without the terminating zero.
const size_t kProcessNameLength = 15;

// A folder named by a process id: decimal digits only, within the range of ids.
bool ParseProcessId(const char* name, pid_t& pid) {
    if (!std::isdigit(static_cast<unsigned char>(*name))) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(name, &end, 10);
    if (errno != 0 || *end != '\0' || value <= 0 || value > std::numeric_limits<pid_t>::max()) {
        return false;
    }
    pid = static_cast<pid_t>(value);
    return true;
}

// The name from "comm": raw bytes (blanks and brackets included) and a line feed.
bool ReadName(const std::string& folder, std::string& name) {
    std::ifstream file(folder + "/comm", std::ios::binary);
    if (!file || !std::getline(file, name)) {
        return false;
    }
    return true;
}

// The parent and the real user id from the "PPid:" and "Uid:" lines of "status".
bool ReadStatus(const std::string& folder, ProcessEntry& entry) {
    std::ifstream file(folder + "/status");
    bool parentFound = false;
    bool userFound = false;
    std::string line;
    while (std::getline(file, line) && !(parentFound && userFound)) {
        std::istringstream fields(line);
        std::string key;
        fields >> key;
        if (key == "PPid:") {
            long parent = 0;
            parentFound = static_cast<bool>(fields >> parent);
            entry.parent = static_cast<pid_t>(parent);
        } else if (key == "Uid:") {
            unsigned long user = 0;
            userFound = static_cast<bool>(fields >> user);
            entry.user = static_cast<uid_t>(user);
        }
    }
    return parentFound && userFound;
}

}  // namespace

int ListProcesses(std::vector<ProcessEntry>& processes, const std::string& procRoot) {
    processes.clear();
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(procRoot.c_str()), &closedir);
    if (!dir) {
        return errno;
    }
    while (const dirent* item = readdir(dir.get())) {
        ProcessEntry entry;
        if (!ParseProcessId(item->d_name, entry.pid)) {
            continue;
        }
        const std::string folder = procRoot + "/" + item->d_name;
        if (ReadName(folder, entry.name) && ReadStatus(folder, entry)) {
            processes.push_back(entry);
        }
    }
    return 0;
}

std::string ProcessNameOf(const std::string& executable) {
    const size_t slash = executable.rfind('/');
    const std::string name = slash == std::string::npos ? executable : executable.substr(slash + 1);
    return name.substr(0, kProcessNameLength);
}

}  // namespace veqplatform
