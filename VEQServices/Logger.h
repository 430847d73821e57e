// The process's single log: levels, the log statement and its record.
//
//   VEQLOG(Debug) << "connected to " << address;
//
// writes one line when the statement ends, at or above the configured level.
#pragma once

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
VEQSERVICES_API const LogRecord& operator<<(const LogRecord& record, const int& value);
VEQSERVICES_API const LogRecord& operator<<(const LogRecord& record, const unsigned int& value);
VEQSERVICES_API const LogRecord& operator<<(const LogRecord& record, const long& value);
VEQSERVICES_API const LogRecord& operator<<(const LogRecord& record, const unsigned long& value);
VEQSERVICES_API const LogRecord& operator<<(const LogRecord& record, const long long& value);
VEQSERVICES_API const LogRecord& operator<<(const LogRecord& record, const unsigned long long& value);
VEQSERVICES_API const LogRecord& operator<<(const LogRecord& record, const double& value);

// The statement form every caller uses: file, function and line as the compiler gives them.
#define VEQLOG(level) SetLevelAndGetLogger((level), __FILE__, __func__, __LINE__)

namespace VEQLogger {
// Makes folder the base of the process's log files ("<folder>/Logs"); only a
// logger set up after the call (before the first log statement) uses it.
VEQSERVICES_API void SetLogDirectory(const wxString& folder);
}  // namespace VEQLogger
