#include "OldSettingsText.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>

#include "FileDescriptor.h"

namespace vequpgrade {

namespace {

// A real line is a key and a value such as a path; longer ones are not read.
constexpr std::size_t kMaxLineLength = 8u << 10;
// Far above any real settings file; the rest of a larger one is not read.
constexpr std::size_t kMaxFileRead = 1u << 30;

const char* const kPlainKeys[] = {"numservers", "selectedserver", "autoLogin", "SaveToDiskPath",
                                  "ScanSource", "ScanColorMode", "ScanOrientation", "ScanPaperSize",
                                  "ScanResolution", "ScanSide"};
const char* const kServerKeyPrefixes[] = {"ipaddress_", "servername_", "devicename_"};

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool IsMigratedKey(const std::string& key) {
    for (const char* plain : kPlainKeys) {
        if (key == plain) return true;
    }
    long index = 0;
    return OldServerKeyIndex(key, index) && index < kMaxOldServers;
}

// Follows the groups and keeps the last line of each migrated key of group "6".
class EntryFilter {
public:
    void Line(std::string line) {
        if (m_first && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
        m_first = false;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        line = Trimmed(line);
        if (line.empty() || line[0] == ';' || line[0] == '#') return;
        if (line[0] == '[') {
            const std::string name = line.substr(1, line.find(']') - 1);
            m_inGroup = name == "6" || name == "/6";
            return;
        }
        const std::size_t equals = line.find('=');
        if (!m_inGroup || equals == std::string::npos) return;
        const std::string key = Trimmed(line.substr(0, equals));
        if (IsMigratedKey(key)) m_entries[key] = line;
    }

    void Overlong() { m_first = false; }

    std::string Text() const {
        std::string text;
        for (const auto& entry : m_entries) {
            // The older version wrote UTF-8; a line that is not is read as Latin-1.
            wxString line = wxString::FromUTF8(entry.second);
            if (line.empty()) line = wxString(entry.second.data(), wxConvISO8859_1, entry.second.size());
            text += line.utf8_string() + "\n";
        }
        return text;
    }

private:
    bool m_first = true;
    bool m_inGroup = false;
    std::map<std::string, std::string> m_entries;
};

}  // namespace

bool OldServerKeyIndex(const std::string& key, long& index) {
    for (const char* prefix : kServerKeyPrefixes) {
        const std::string start = prefix;
        if (key.compare(0, start.size(), start) != 0) continue;
        const std::string digits = key.substr(start.size());
        if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos ||
            (digits.size() > 1 && digits[0] == '0')) {
            return false;
        }
        index = std::stol(digits);
        return true;
    }
    return false;
}

std::string MigratedSettingsEntries(const wxString& path) {
    FileDescriptor fd(::open(path.fn_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat info;
    if (fd.Get() < 0 || ::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::string();
    EntryFilter filter;
    std::string line;
    bool overlong = false;
    char buffer[65536];
    std::size_t total = 0;
    while (total < kMaxFileRead) {
        const ssize_t got = ::read(fd.Get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        total += static_cast<std::size_t>(got);
        for (const char* at = buffer; at < buffer + got;) {
            const char* end = static_cast<const char*>(std::memchr(at, '\n', buffer + got - at));
            const char* stop = end ? end : buffer + got;
            if (!overlong) {
                line.append(at, stop);
                overlong = line.size() > kMaxLineLength;
            }
            if (end) {
                if (overlong) filter.Overlong(); else filter.Line(line);
                line.clear();
                overlong = false;
            }
            at = end ? end + 1 : stop;
        }
    }
    if (!overlong && !line.empty()) filter.Line(line);
    return filter.Text();
}

}  // namespace vequpgrade
