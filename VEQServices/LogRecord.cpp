#include <locale>
#include <utility>

#include <boost/log/sources/record_ostream.hpp>
#include <wx/filename.h>

#include "LogState.h"
#include "Logger.h"

namespace {

wxString AfterLast(const char* text, wxUniChar separator) {
    const wxString whole(text ? text : "", wxConvLibc);
    const size_t pos = whole.find_last_of(separator);
    return pos == wxString::npos ? whole : whole.substr(pos + 1);
}

void AppendUtf8(std::ostream& stream, const wxString& text) {
    const wxScopedCharBuffer utf8 = text.utf8_str();
    if (utf8.length() > 0) stream.write(utf8.data(), static_cast<std::streamsize>(utf8.length()));
}

template <typename T>
const LogRecord& AppendValue(const LogRecord& record, const T& value) {
    if (record.IsEnabled()) record.Stream() << value;
    return record;
}

}  // namespace

LogRecord::LogRecord(SeverityLevel level, const char* file, const char* function, long line, bool enabled)
    : m_level(level), m_line(line), m_enabled(enabled) {
    if (!m_enabled) return;
    // Numbers are written the same whatever the program's global locale.
    m_stream.imbue(std::locale::classic());
    m_fileName = AfterLast(file, wxFileName::GetPathSeparator());
    m_functionName = AfterLast(function, ':');
}

LogRecord::LogRecord(LogRecord&& other) noexcept
    : m_level(other.m_level),
      m_stream(std::move(other.m_stream)),
      m_fileName(other.m_fileName),
      m_functionName(other.m_functionName),
      m_line(other.m_line),
      m_enabled(other.m_enabled) {
    other.m_stream.str(std::string());
}

LogRecord::~LogRecord() {
    try {
        const std::string text = m_stream.str();
        if (text.empty()) return;
        boost::log::record record = s_log.open_record(boost::log::keywords::severity = m_level);
        if (!record) return;
        // Literals, not shared wxStrings: converting a wxString writes its
        // conversion cache, a race when threads log at once.
        {
            boost::log::record_ostream message(record);
            message << m_fileName.mb_str().data() << "::" << m_functionName.mb_str().data() << "::"
                    << std::to_string(m_line) << " " << text;
            message.flush();
        }
        s_log.push_record(std::move(record));
    } catch (...) {
        // A log file that cannot be written loses the line; the statement never throws.
    }
}

LogRecord SetLevelAndGetLogger(SeverityLevel level, const char* file, const char* function, long line) {
    Logger::Get();  // the configured level is known before the first test
    return LogRecord(level, file, function, line, level >= s_currentLogSeverityLevel);
}

LogRecord SetLevelAndGetConditionLogger(bool condition, SeverityLevel level, const char* file,
                                        const char* function, long line) {
    Logger::Get();
    return LogRecord(level, file, function, line, condition && level >= s_currentLogSeverityLevel);
}

const LogRecord& operator<<(const LogRecord& record, const char* text) {
    return AppendValue(record, text ? text : "");
}

const LogRecord& operator<<(const LogRecord& record, const std::string& text) {
    return AppendValue(record, text);
}

const LogRecord& operator<<(const LogRecord& record, const wxString& text) {
    if (record.IsEnabled()) AppendUtf8(record.Stream(), text);
    return record;
}

const LogRecord& operator<<(const LogRecord& record, const wchar_t* text) {
    return LogData(record, std::wstring(text ? text : L""));
}

const LogRecord& operator<<(const LogRecord& record, const std::wstring& text) {
    return LogData(record, text);
}

template <typename T>
const LogRecord& LogData(const LogRecord& record, const T& value) {
    if (!record.IsEnabled()) return record;
    const wxCharBuffer text = wxString(value).mb_str(wxConvLibc);
    if (text.length() > 0) record.Stream().write(text.data(), static_cast<std::streamsize>(text.length()));
    return record;
}
template VEQSERVICES_API const LogRecord& LogData<std::wstring>(const LogRecord&, const std::wstring&);

const LogRecord& operator<<(const LogRecord& record, const bool& value) {
    return AppendValue(record, value ? 1 : 0);
}

const LogRecord& operator<<(const LogRecord& record, const short& value) { return AppendValue(record, value); }
const LogRecord& operator<<(const LogRecord& record, const unsigned short& value) { return AppendValue(record, value); }
const LogRecord& operator<<(const LogRecord& record, const int& value) { return AppendValue(record, value); }
const LogRecord& operator<<(const LogRecord& record, const unsigned int& value) { return AppendValue(record, value); }
const LogRecord& operator<<(const LogRecord& record, const long& value) { return AppendValue(record, value); }
const LogRecord& operator<<(const LogRecord& record, const unsigned long& value) { return AppendValue(record, value); }
const LogRecord& operator<<(const LogRecord& record, const long long& value) { return AppendValue(record, value); }
const LogRecord& operator<<(const LogRecord& record, const unsigned long long& value) {
    return AppendValue(record, value);
}

const LogRecord& operator<<(const LogRecord& record, const float& value) {
    return record << static_cast<double>(value);
}

// Six significant digits in general notation, as printf's %g gives them.
const LogRecord& operator<<(const LogRecord& record, const double& value) { return AppendValue(record, value); }

const LogRecord& operator<<(const LogRecord& record, const std::map<wxString, wxString>& entries) {
    if (!record.IsEnabled()) return record;
    std::ostringstream block;
    block << '\n';
    for (const auto& entry : entries) {
        block << "....";
        AppendUtf8(block, entry.first);
        block << "::";
        AppendUtf8(block, entry.second);
        block << '\n';
    }
    record.Stream() << block.str();
    return record;
}
