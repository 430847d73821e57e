#include "Logger.h"

#include <sys/stat.h>

#include <cstdint>

#include <boost/log/core.hpp>
#include <boost/log/expressions.hpp>
#include <boost/log/utility/setup/common_attributes.hpp>
#include <json/json.h>
#include <wx/datetime.h>
#include <wx/file.h>
#include <wx/filename.h>
#include <wx/log.h>

#include "LogConfiguration.h"
#include "LogRetention.h"
#include "LogSinks.h"
#include "LogState.h"
#include "VEQServicesUtil.h"

SeverityLevel s_currentLogSeverityLevel = Debug;
boost::log::sources::severity_logger_mt<SeverityLevel> s_log;

namespace {

const std::string s_levelStrings[] = {"Trace", "Info", "Debug", "Warning", "Error", "Critical", "Fatal"};

const std::string s_defaultLogFileName = LogConfiguration().logFileName;
const std::string s_defaultLogSeverityLevel = LogConfiguration().logSeverityLevel;
const unsigned long long s_defaultMaxLogFileSize = LogConfiguration().maxLogFileSize;
const wxString s_dateTimeFormat = "%Y_%m_%d_%H_%M_%S";

wxString s_loggingDirectory;
std::uint64_t s_maxTotalLogFilesSize = 104857600;
std::uint32_t s_maxTotalLogFilesRetained = 10;

// The text written when "logconfig.json" is missing: the defaults, one member a line.
std::string DefaultConfigurationText() {
    const LogConfiguration defaults;
    Json::Value root(Json::objectValue);
    root["isConsoleLoggingOn"] = defaults.isConsoleLoggingOn;
    root["isFileLoggingOn"] = defaults.isFileLoggingOn;
    root["logFileName"] = defaults.logFileName;
    root["logSeverityLevel"] = defaults.logSeverityLevel;
    root["maxLogFileSize"] = Json::Value::LargestUInt(defaults.maxLogFileSize);
    root["maxTotalLogFilesRetained"] = Json::Value::UInt(defaults.maxTotalLogFilesRetained);
    root["maxTotalLogFilesSize"] = Json::Value::LargestUInt(defaults.maxTotalLogFilesSize);
    Json::StyledWriter writer;
    return writer.write(root);
}

// Writes the default configuration unless a file is already there (another
// process may have just written it, or a person edited it); failures are silent.
void WriteDefaultConfiguration(const wxString& path) {
    wxLogNull quiet;
    wxFile file;
    if (!file.Create(path, false)) return;
    const std::string text = DefaultConfigurationText();
    file.Write(text.data(), text.size());
    file.Close();
}

// The folder "Logs" inside parent, made with its parents when missing. A new
// "Logs" folder gets mode 01777 whatever the umask: every user's processes can
// log into it, and the sticky bit keeps each user's files from the others. An
// existing folder of this user that anyone may write gets the sticky bit too.
// Returns its path with a trailing separator.
wxString MakeLogsFolder(const wxString& parent) {
    wxFileName logs = wxFileName::DirName(parent);
    logs.AppendDir("Logs");
    const std::string folder(logs.GetPath().fn_str());
    const char* path = folder.c_str();
    if (!logs.DirExists()) {
        wxLogNull quiet;
        if (logs.Mkdir(0777, wxPATH_MKDIR_FULL)) ::chmod(path, 01777);
    } else {
        struct stat info;
        if (::lstat(path, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
            (info.st_mode & S_IWOTH) && !(info.st_mode & S_ISVTX)) {
            ::chmod(path, (info.st_mode & 07777) | S_ISVTX);
        }
    }
    return logs.GetFullPath();
}

// A base name that would put log files outside the log folder (a path
// separator, "..", a NUL) is not used; the default stands in for it.
std::string UsableBaseName(const std::string& name) {
    if (name.find('/') != std::string::npos || name.find("..") != std::string::npos ||
        name.find('\0') != std::string::npos) {
        return s_defaultLogFileName;
    }
    return name;
}

// text with every "%" doubled, so that the file sink takes it literally.
wxString EscapedForPattern(const wxString& text) {
    wxString escaped = text;
    escaped.Replace("%", "%%");
    return escaped;
}

// Passes records at or above level.
template <typename Sink>
void SetLevelFilter(Sink& sink, SeverityLevel level) {
    sink.set_filter(boost::log::expressions::attr<SeverityLevel>("Severity") >= level);
}

}  // namespace

const std::string& GetSeverityLevelString(SeverityLevel level) {
    static const std::string s_unknown;
    if (level < Trace || level > Fatal) return s_unknown;
    return s_levelStrings[level];
}

SeverityLevel GetSeverityLevelFromString(const std::string& name) {
    for (int level = Trace; level <= Fatal; ++level) {
        if (s_levelStrings[level] == name) return static_cast<SeverityLevel>(level);
    }
    return Fatal;
}

std::ostream& operator<<(std::ostream& stream, SeverityLevel level) {
    return stream << GetSeverityLevelString(level);
}

Logger& Logger::Get() {
    static Logger s_logger;
    return s_logger;
}

Logger::Logger() : m_startTime(wxDateTime::Now().Format(s_dateTimeFormat)) {
    const wxString configDirectory = VEQServicesUtil::GetConfigDirectory();
    m_logFolderPath = MakeLogsFolder(configDirectory);
    if (!s_loggingDirectory.empty()) m_logFolderPath = MakeLogsFolder(s_loggingDirectory);

    const wxString configFile = configDirectory + "logconfig.json";
    try {
        if (wxFileName::FileExists(configFile)) {
            if (!LoadConfigurationFile(configFile)) SetToDefault();
        } else {
            SetToDefault();
            WriteDefaultConfiguration(configFile);
        }
    } catch (const std::exception&) {
        // A sink that cannot be set up leaves the process without that output;
        // logging must never stop the program.
    }
}

Logger::~Logger() {
    try {
        boost::log::core::get()->remove_all_sinks();
        CheckAndDeletePreviousLogFiles(
            m_logFolderPath, LogRetentionPolicy{s_maxTotalLogFilesRetained, s_maxTotalLogFilesSize, m_currentRunPrefix});
    } catch (...) {
        // Nothing can be reported at process exit.
    }
}

std::wstring Logger::GetLoggingFileName(const std::string& baseName) const {
    return (EscapedForPattern(CurrentRunPrefix(baseName)) + "_%5N.log").ToStdWstring();
}

wxString Logger::CurrentRunPrefix(const std::string& baseName) const {
    return m_logFolderPath + wxString::FromUTF8(UsableBaseName(baseName)) + "_" + m_startTime;
}

void Logger::AddFileSink(const std::string& baseName, unsigned long long rotationSize, SeverityLevel level) {
    m_currentRunPrefix = CurrentRunPrefix(baseName);
    SetLevelFilter(*CreateFileSink(GetLoggingFileName(baseName), static_cast<unsigned long>(rotationSize)), level);
}

void Logger::SetToDefault() {
    s_currentLogSeverityLevel = GetSeverityLevelFromString(s_defaultLogSeverityLevel);
    AddFileSink(s_defaultLogFileName, s_defaultMaxLogFileSize, s_currentLogSeverityLevel);
    boost::log::add_common_attributes();
}

bool Logger::LoadConfigurationFile(const wxString& path) {
    wxString text;
    {
        wxLogNull quiet;
        wxFile file;
        if (!file.Open(path, wxFile::read) || !file.ReadAll(&text, wxConvAuto())) return false;
    }
    // The file is UTF-8 like every file the system writes, whatever the locale.
    const wxScopedCharBuffer utf8 = text.utf8_str();
    LogConfiguration config;
    if (!ParseLogConfiguration(std::string(utf8.data(), utf8.length()), config)) return false;

    s_maxTotalLogFilesSize = config.maxTotalLogFilesSize;
    s_maxTotalLogFilesRetained = config.maxTotalLogFilesRetained;
    s_currentLogSeverityLevel = GetSeverityLevelFromString(config.logSeverityLevel);
    if (config.isConsoleLoggingOn) {
        SetLevelFilter(*CreateConsoleSink(), s_currentLogSeverityLevel);
    }
    if (config.isFileLoggingOn) {
        AddFileSink(config.logFileName, config.maxLogFileSize, s_currentLogSeverityLevel);
    } else if (!config.isConsoleLoggingOn) {
        boost::log::core::get()->set_logging_enabled(false);
    }
    boost::log::add_common_attributes();
    return true;
}

void VEQLogger::SetLogDirectory(const wxString& folder) {
    const wxFileName directory(folder, wxEmptyString);
    if (directory.IsOk()) s_loggingDirectory = directory.GetPath();
}
