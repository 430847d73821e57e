#include "Launcher.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include <wx/utils.h>

namespace veqplatform {

namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The first executable "name" along PATH, empty when there is none.
std::string FindInPath(const std::string& name) {
    const char* path = getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        const size_t end = folders.find(':', start);
        const std::string folder = folders.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!folder.empty() && folder[0] == '/' && IsExecutableFile(folder + "/" + name)) {
            return folder + "/" + name;
        }
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    return std::string();
}

bool Execute(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(&argument[0]);
    }
    argv.push_back(nullptr);
    return wxExecute(argv.data(), wxEXEC_ASYNC) > 0;
}

}  // namespace

bool StartProgram(const std::string& executable) {
    if (!IsExecutableFile(executable)) {
        return false;
    }
    return Execute({executable});
}

bool OpenFolderInFileManager(const std::string& folder) {
    struct stat info;
    if (folder.empty() || folder[0] != '/' || stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        return false;
    }
    const std::string opener = FindInPath("xdg-open");
    if (opener.empty()) {
        return false;
    }
    return Execute({opener, folder});
}

}  // namespace veqplatform
