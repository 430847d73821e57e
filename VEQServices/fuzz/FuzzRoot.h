// A configuration folder of the fuzz run's own (VEQ_ROOT in a fresh temporary
// folder), with file logging switched off so that runs leave no log files.
#pragma once

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "VEQServicesUtil.h"

namespace fuzzroot {

// Sets VEQ_ROOT; returns the configuration folder with a trailing separator.
inline std::string MakeRoot() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/veqfuzz-XXXXXX";
    if (!::mkdtemp(&pattern[0])) std::abort();
    ::setenv("VEQ_ROOT", pattern.c_str(), 1);
    const std::string config(VEQServicesUtil::GetConfigDirectory().utf8_str());
    if (std::FILE* file = std::fopen((config + "logconfig.json").c_str(), "w")) {
        std::fputs("{\"isFileLoggingOn\": false}", file);
        std::fclose(file);
    }
    return config;
}

inline void WriteFile(const std::string& path, const void* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
}

}  // namespace fuzzroot
