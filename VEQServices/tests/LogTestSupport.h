// Helpers for the logging tests: a root folder of the test's own, the files
// of its log folder, and log scenarios run in their own process.
#pragma once

#include <dirent.h>
#include <stdlib.h>

#include <algorithm>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace logtest {

// A root prefix (VEQ_ROOT) of the test's own with its configuration folder.
class LogRoot {
public:
    std::string ConfigDir() const { return m_root.Path() + "/Library/Application Support/Veqora/"; }
    std::string LogsDir() const { return ConfigDir() + "Logs/"; }
    std::string ConfigFile() const { return ConfigDir() + "logconfig.json"; }
    const std::string& Path() const { return m_root.Path(); }

    // Writes "logconfig.json" (making the configuration folder first).
    void WriteConfig(const std::string& text) const {
        MakeDirs(ConfigDir());
        veqtest::WriteFile(ConfigFile(), text);
    }

    // Runs body in a child process that uses this root; the logger is built
    // inside the child and its work at exit happens before this returns.
    veqtest::ChildResult Run(const std::function<int()>& body) const {
        const std::string root = m_root.Path();
        return veqtest::RunInChild([root, body] {
            setenv("VEQ_ROOT", root.c_str(), 1);
            return body();
        });
    }

    static void MakeDirs(const std::string& path) {
        const std::string command = "mkdir -p '" + path + "'";
        if (std::system(command.c_str()) != 0) throw std::runtime_error("mkdir failed: " + path);
    }

private:
    veqtest::TempDir m_root;
};

// The names of the regular files directly in folder, sorted.
inline std::vector<std::string> FileNames(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != ".." && entry->d_type == DT_REG) names.push_back(name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The lines of every file in folder, file after file in name order.
inline std::vector<std::string> AllLines(const std::string& folder) {
    std::vector<std::string> lines;
    for (const std::string& name : FileNames(folder)) {
        for (const std::string& line : Lines(veqtest::ReadFile(folder + name))) lines.push_back(line);
    }
    return lines;
}

}  // namespace logtest
