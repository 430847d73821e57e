#include "LogConfiguration.h"

#include <json/json.h>

#include "JsonText.h"

bool ParseLogConfiguration(const std::string& text, LogConfiguration& config) {
    Json::Value root;
    std::string errors;
    if (!ParseJsonText(text, root, errors) || !root.isObject()) return false;
    const LogConfiguration defaults;
    LogConfiguration read;
    try {
        read.isConsoleLoggingOn = root.get("isConsoleLoggingOn", defaults.isConsoleLoggingOn).asBool();
        read.isFileLoggingOn = root.get("isFileLoggingOn", defaults.isFileLoggingOn).asBool();
        read.maxLogFileSize =
            root.get("maxLogFileSize", Json::Value::LargestUInt(defaults.maxLogFileSize)).asLargestUInt();
        read.logFileName = root.get("logFileName", defaults.logFileName).asString();
        read.logSeverityLevel = root.get("logSeverityLevel", defaults.logSeverityLevel).asString();
        read.maxTotalLogFilesSize =
            root.get("maxTotalLogFilesSize", Json::Value::LargestUInt(defaults.maxTotalLogFilesSize)).asLargestUInt();
        read.maxTotalLogFilesRetained =
            root.get("maxTotalLogFilesRetained", Json::Value::UInt(defaults.maxTotalLogFilesRetained)).asUInt();
    } catch (const Json::Exception&) {
        return false;
    }
    config = read;
    return true;
}
