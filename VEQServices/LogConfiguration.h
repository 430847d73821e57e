// The settings of "logconfig.json" and how its text is read; internal to the
// logging unit (exported for the readers' fuzz test).
#pragma once

#include <cstdint>
#include <string>

#include "VEQServicesExport.h"

// The configuration as "logconfig.json" gives it; the defaults stand for missing keys.
struct LogConfiguration {
    bool isConsoleLoggingOn = false;
    bool isFileLoggingOn = true;
    std::string logFileName = "VEQLog";
    std::string logSeverityLevel = "Debug";
    unsigned long long maxLogFileSize = 10485760;
    std::uint32_t maxTotalLogFilesRetained = 10;
    std::uint64_t maxTotalLogFilesSize = 104857600;
};

// Reads text (JSON, comments allowed) into config. False, config unchanged,
// for a text that is not JSON or nests too deeply, a root that is not an
// object, or a value that its key's type cannot hold (a text for a number, a
// negative size, an array for a flag): such a file counts as unreadable.
VEQSERVICES_API bool ParseLogConfiguration(const std::string& text, LogConfiguration& config);
