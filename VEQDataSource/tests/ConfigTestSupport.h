// Helpers of the settings tests: the settings file's place, an RC4 of the
// tests' own to read and write it independently of the library, and the log.
#pragma once

#include <dirent.h>

#include <string>
#include <vector>

#include <json/json.h>

#include "TestSupport.h"
#include "VEQServicesUtil.h"

namespace configtest {

inline std::string ConfigDir() {
    return VEQServicesUtil::GetConfigDirectory().utf8_string();
}

inline std::string SettingsPath() {
    return ConfigDir() + "veq_config";
}

// RC4 under the settings file's fixed key, written here from the algorithm.
inline std::string Rc4(const std::string& data) {
    static const std::string key = "{7A41C0D2-3B9E-4F65-8C17-2E90D5B6A384}";
    unsigned char s[256];
    for (int i = 0; i < 256; ++i) s[i] = static_cast<unsigned char>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + static_cast<unsigned char>(key[i % key.size()])) & 0xFF;
        std::swap(s[i], s[j]);
    }
    std::string out(data.size(), '\0');
    for (std::size_t n = 0, i = 0, j = 0; n < data.size(); ++n) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        out[n] = static_cast<char>(data[n] ^ s[(s[i] + s[j]) & 0xFF]);
    }
    return out;
}

inline std::string DecipheredSettings() {
    return Rc4(veqtest::ReadFile(SettingsPath()));
}

// The settings file as JSON; a null value when it does not parse.
inline Json::Value SettingsDocument() {
    Json::Value root;
    Json::Reader reader;
    if (!reader.parse(DecipheredSettings(), root, false)) return Json::Value();
    return root;
}

inline void WriteSettingsText(const std::string& json) {
    veqtest::WriteFile(SettingsPath(), Rc4(json));
}

inline std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(dir);
    }
    return names;
}

// Everything the process has logged so far.
inline std::string LogText() {
    const std::string logs = ConfigDir() + "Logs/";
    std::string text;
    for (const std::string& name : FilesIn(logs)) {
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".log") == 0) {
            text += veqtest::ReadFile(logs + name);
        }
    }
    return text;
}

}  // namespace configtest
