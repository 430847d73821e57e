#include "Launcher.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <utility>
#include <vector>

#include <wx/process.h>
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

// Hands the exit code of the process it watches on, then goes.
class FinishedProcess : public wxProcess {
public:
    explicit FinishedProcess(std::function<void(int)> finished) : m_finished(std::move(finished)) {}
    void OnTerminate(int, int status) override {
        m_finished(status);
        delete this;
    }

private:
    std::function<void(int)> m_finished;
};

bool Execute(std::vector<std::string> arguments, std::function<void(int)> finished = nullptr) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(&argument[0]);
    }
    argv.push_back(nullptr);
    FinishedProcess* process = finished ? new FinishedProcess(std::move(finished)) : nullptr;
    if (wxExecute(argv.data(), wxEXEC_ASYNC, process) > 0) {
        return true;
    }
    delete process;  // never started: no end will be reported
    return false;
}

}  // namespace

bool StartProgram(const std::string& executable) {
    if (!IsExecutableFile(executable)) {
        return false;
    }
    return Execute({executable});
}

bool OpenFolderInFileManager(const std::string& folder, std::function<void(int exitCode)> finished) {
    struct stat info;
    if (folder.empty() || folder[0] != '/' || stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        return false;
    }
    const std::string opener = FindInPath("xdg-open");
    if (opener.empty()) {
        return false;
    }
    return Execute({opener, folder}, std::move(finished));
}

}  // namespace veqplatform
