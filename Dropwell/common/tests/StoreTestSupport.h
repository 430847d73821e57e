// Helpers for the store's tests: the sandbox's store folder, the lines the
// process logged, file bytes as hexadecimal and building records briefly.
#pragma once

#include <dirent.h>
#include <semaphore.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "DropwellTypes.h"
#include "TestSupport.h"
#include "VeqRoot.h"
#include "named_mutex.h"

namespace storetest {

inline std::string ConfigDir() { return veqplatform::UnderRoot("/Library/Application Support/Veqora/"); }
inline std::string DropwellDir() { return ConfigDir() + "Dropwell"; }
inline std::string MappingFile() { return DropwellDir() + "/VEQ_Dropwell.xml"; }

// Every line of the log files of this root, file after file.
inline std::vector<std::string> LogLines() {
    std::vector<std::string> lines;
    const std::string logs = ConfigDir() + "Logs/";
    for (const std::string& name : veqtest::FolderEntries(logs)) {
        std::istringstream in(veqtest::ReadFile(logs + name));
        for (std::string line; std::getline(in, line);) lines.push_back(line);
    }
    return lines;
}

// How many logged lines contain text.
inline int LoggedCount(const std::string& text) {
    int count = 0;
    for (const std::string& line : LogLines())
        if (line.find(text) != std::string::npos) ++count;
    return count;
}

inline bool Logged(const std::string& text) { return LoggedCount(text) > 0; }

// text times times over, for files nested or repeated far beyond real ones.
inline std::string Repeated(const std::string& text, size_t times) {
    std::string all;
    all.reserve(text.size() * times);
    for (size_t i = 0; i < times; ++i) all += text;
    return all;
}

inline std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char c : bytes) {
        text += digits[c >> 4];
        text += digits[c & 15];
    }
    return text;
}

inline DROPWELL::stFolderMapDetails Mapping(const char* name, const char* password, const char* folder,
                                            long status) {
    DROPWELL::stFolderMapDetails mapping;
    mapping.MailboxName = wxString::FromUTF8(name);
    mapping.Password = wxString::FromUTF8(password);
    mapping.Folder = wxString::FromUTF8(folder);
    mapping.Status = status;
    return mapping;
}

inline DROPWELL::stServerFolderMapDetails Server(const char* nameIP, const char* displayName, long status) {
    DROPWELL::stServerFolderMapDetails server;
    server.NameIP = wxString::FromUTF8(nameIP);
    server.DisplayName = wxString::FromUTF8(displayName);
    server.Status = status;
    return server;
}

// Removes this root's semaphore at the end of a test, so that test runs leave
// nothing behind in the system (the product never removes it).
class SemaphoreCleanup {
public:
    ~SemaphoreCleanup() { sem_unlink(named_mutex::SystemName("VEQ_XML_MUTEX").c_str()); }
};

}  // namespace storetest
