// The process's single log: levels, the log statement and its record.
//
//   VEQLOG(Debug) << "connected to " << address;
//
// writes one line when the statement ends, at or above the configured level.
#pragma once

#include <map>
#include <ostream>
#include <sstream>
#include <string>

#include <wx/string.h>

#include "VEQServicesExport.h"

enum SeverityLevel : int {
    Trace = 0,
    Info = 1,
    Debug = 2,
    Warning = 3,
    Error = 4,
    Critical = 5,
    Fatal = 6
};

// The level's name ("Trace" ... "Fatal"); the names are the only level texts
// that "logconfig.json" accepts.
VEQSERVICES_API const std::string& GetSeverityLevelString(SeverityLevel level);
// Exact, case-sensitive match of a level name; any other text gives Fatal.
VEQSERVICES_API SeverityLevel GetSeverityLevelFromString(const std::string& name);
// Writes the level's name.
VEQSERVICES_API std::ostream& operator<<(std::ostream& stream, SeverityLevel level);

// One log statement; written by its destructor when enabled and not empty.
class VEQSERVICES_API LogRecord {
public:
    LogRecord(SeverityLevel level, const char* file, const char* function, long line, bool enabled);
    LogRecord(LogRecord&& other) noexcept;
    LogRecord(const LogRecord&) = delete;
    LogRecord& operator=(const LogRecord&) = delete;
    ~LogRecord();

    bool IsEnabled() const { return m_enabled; }
    std::ostringstream& Stream() const { return m_stream; }

private:
    SeverityLevel m_level;
    mutable std::ostringstream m_stream;
    wxString m_fileName;
    wxString m_functionName;
    long m_line;
    bool m_enabled;
};

VEQSERVICES_API LogRecord SetLevelAndGetLogger(SeverityLevel level, const char* file,
                                               const char* function, long line);
VEQSERVICES_API LogRecord SetLevelAndGetConditionLogger(bool condition, SeverityLevel level,
                                                        const char* file, const char* function,
                                                        long line);

VEQSERVICES_API const LogRecord& operator<<(const LogRecord& record, const char* text);
VEQSERVICES_API const LogRecord& operator<<(const LogRecord& record, const std::string& text);
VEQSERVICES_API const LogRecord& operator<<(const LogRecord& record, const wxString& text);
VEQSERVICES_API const LogRecord& operator<<(const LogRecord& record, const wchar_t* text);
VEQSERVICES_API const LogRecord& operator<<(const LogRecord& record, const std::wstring& text);
VEQSERVICES_API const LogRecord& operator<<(const LogRecord& record, const bool& value);
VEQSERVICES_API const LogRecord& operator<<(const LogRecord& record, const short& value);
VEQSERVICES_API const LogRecord& operator<<(const LogRecord& record, const unsigned short& value);
VEQSERVICES_API const LogRecord& operator<<(const LogRecord& record, const int& value);
VEQSERVICES_API const LogRecord& operator<<(const LogRecord& record, const unsigned int& value);
VEQSERVICES_API const LogRecord& operator<<(const LogRecord& record, const long& value);
VEQSERVICES_API const LogRecord& operator<<(const LogRecord& record, const unsigned long& value);
VEQSERVICES_API const LogRecord& operator<<(const LogRecord& record, const long long& value);
VEQSERVICES_API const LogRecord& operator<<(const LogRecord& record, const unsigned long long& value);
VEQSERVICES_API const LogRecord& operator<<(const LogRecord& record, const float& value);
VEQSERVICES_API const LogRecord& operator<<(const LogRecord& record, const double& value);
// A block: a line feed, then "....key::value" and a line feed for each entry.
VEQSERVICES_API const LogRecord& operator<<(const LogRecord& record,
                                            const std::map<wxString, wxString>& entries);

// Appends a value that goes through a wxString in the locale's encoding
// (instantiated for std::wstring).
template <typename T>
VEQSERVICES_API const LogRecord& LogData(const LogRecord& record, const T& value);

// The statement form every caller uses: file, function and line as the compiler gives them.
#define VEQLOG(level) SetLevelAndGetLogger((level), __FILE__, __func__, __LINE__)

// The process's logging set-up, made by its first log statement: log folder,
// "logconfig.json" (written with the defaults when missing), sinks and level.
// At process exit it closes the sinks and prunes old log files.
class VEQSERVICES_API Logger {
public:
    static Logger& Get();

    Logger(const Logger&) = delete;
    Logger& operator=(const Logger&) = delete;

    // The log folder, ending with "/".
    const wxString& GetLogFolderPath() const { return m_logFolderPath; }
    // The file-name pattern for base name: folder, base name, "_", the start
    // time as "%Y_%m_%d_%H_%M_%S" and "_%5N.log" (the rotation counter); a "%"
    // of folder or base name is doubled. A base name with "/", ".." or a NUL
    // is replaced by the default "VEQLog".
    std::wstring GetLoggingFileName(const std::string& baseName) const;

private:
    Logger();
    ~Logger();

    void SetToDefault();
    bool LoadConfigurationFile(const wxString& path);
    void AddFileSink(const std::string& baseName, unsigned long long rotationSize, SeverityLevel level);
    // The run's file paths up to the "_" before their counter.
    wxString CurrentRunPrefix(const std::string& baseName) const;

    wxString m_logFolderPath;
    wxString m_startTime;         // local time of the first log statement, as in file names
    wxString m_currentRunPrefix;  // this run's file paths up to their counter; kept at pruning
};

namespace VEQLogger {
// Makes folder the base of the process's log files ("<folder>/Logs"); only a
// logger set up after the call (before the first log statement) uses it.
VEQSERVICES_API void SetLogDirectory(const wxString& folder);
}  // namespace VEQLogger
