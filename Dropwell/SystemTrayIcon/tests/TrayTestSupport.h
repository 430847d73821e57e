// Shared by the tray agent's tests: a system whose processes and launches
// the test decides and records, mapping files written as the store writes
// them, and the log files of the sandbox.
#pragma once

#include <dirent.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "TraySystem.h"

namespace traytest {

class FakeTraySystem : public TraySystem {
public:
    int ListProcesses(std::vector<veqplatform::ProcessEntry>& processes) override {
        ++listings;
        processes = listError == 0 ? this->processes : std::vector<veqplatform::ProcessEntry>();
        return listError;
    }
    bool StartProgram(const std::string& executable) override {
        started.push_back(executable);
        return true;
    }
    void OpenFolder(const std::string& folder, OpenFailed failed) override {
        opened.push_back(folder);
        openings.push_back(std::move(failed));  // the test may report a failure, now or later
    }
    bool KillProcess(pid_t pid) override {
        killed.push_back(pid);
        return true;
    }
    void ShowError(const wxString& text) override { errors.push_back(text); }

    void AddProcess(pid_t pid, const std::string& name, uid_t user = getuid()) {
        processes.push_back({pid, 1, user, name});
    }

    std::vector<veqplatform::ProcessEntry> processes;
    int listError = 0;
    int listings = 0;
    std::vector<std::string> started;
    std::vector<std::string> opened;
    std::vector<OpenFailed> openings;  // the failure report of each of them
    std::vector<pid_t> killed;
    std::vector<wxString> errors;
};

struct Mapping {
    std::string mailbox;
    std::string folder;
};

struct Server {
    std::string displayName;
    std::vector<Mapping> mappings;
};

// A mapping file laid out as the store writes it, with XML escaping of the values.
inline std::string MappingXml(const std::vector<Server>& servers) {
    auto escape = [](const std::string& text) {
        std::string out;
        for (char c : text) {
            switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
            }
        }
        return out;
    };
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Dropwell>\n";
    int server = 0;
    for (const Server& s : servers) {
        ++server;
        xml += "  <Zelto NameIP=\"127.0.0." + std::to_string(server) + "\" DisplayName=\"" + escape(s.displayName) +
               "\" Status=\"1\">\n";
        int mailbox = 0;
        for (const Mapping& m : s.mappings) {
            ++mailbox;
            xml += "    <MappedFolder Mailbox=\"" + std::to_string(mailbox) + "\" MailboxName=\"" + escape(m.mailbox) +
                   "\" PwdFileName=\"/nowhere/VEQ_" + std::to_string(mailbox) + ".dwp\" Folder=\"" + escape(m.folder) +
                   "\" Status=\"1\"/>\n";
        }
        xml += "  </Zelto>\n";
    }
    return xml + "</Dropwell>\n";
}

// The configuration folder under the test's VEQ_ROOT, ending with "/".
inline std::string ConfigFolder() {
    return std::string(std::getenv("VEQ_ROOT")) + "/Library/Application Support/Veqora/";
}

// The text of the files in a log folder.
inline std::string LogsIn(const std::string& folder) {
    std::string text;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            if (entry->d_type == DT_REG) {
                text += veqtest::ReadFile(folder + "/" + entry->d_name);
            }
        }
        closedir(dir);
    }
    return text;
}

}  // namespace traytest
