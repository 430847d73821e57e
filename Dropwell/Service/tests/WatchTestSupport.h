// Helpers of the watcher tests: the process's log text and file changes.
#pragma once

#include "TestSupport.h"

#include <dirent.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdexcept>
#include <string>

namespace watchtest {

inline std::string ConfigDir() {
    const char* root = getenv("VEQ_ROOT");
    return std::string(root ? root : "") + "/Library/Application Support/Veqora/";
}

// Everything the process has logged so far.
inline std::string LogText() {
    const std::string logs = ConfigDir() + "Logs/";
    std::string text;
    if (DIR* dir = opendir(logs.c_str())) {
        while (dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".log") == 0)
                text += veqtest::ReadFile(logs + name);
        }
        closedir(dir);
    }
    return text;
}

inline int Occurrences(const std::string& text, const std::string& part) {
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

inline void MakeDir(const std::string& path) {
    if (mkdir(path.c_str(), 0700) != 0) throw std::runtime_error("mkdir " + path);
}

inline void Remove(const std::string& path) {
    if (::remove(path.c_str()) != 0) throw std::runtime_error("remove " + path);
}

}  // namespace watchtest
