#include "PlacedFiles.h"

#include "Logger.h"
#include "WholeFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace {

const char kHeader[] = "VEQPlacedFiles 1";

// A path is the last field of its line: "%", CR and LF are escaped in it.
std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '%' || c == '\n' || c == '\r') {
            static const char hex[] = "0123456789ABCDEF";
            out += '%';
            out += hex[(static_cast<unsigned char>(c) >> 4) & 0xF];
            out += hex[static_cast<unsigned char>(c) & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool Unescape(const std::string& text, std::string& out) {
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return false;
        const int high = HexDigit(text[i + 1]), low = HexDigit(text[i + 2]);
        if (high < 0 || low < 0) return false;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

// One unsigned decimal field ending at a blank; false when there is none.
bool ReadNumber(const std::string& line, size_t& at, std::uint64_t& value) {
    const size_t end = line.find(' ', at);
    if (end == std::string::npos || end == at || end - at > 20) return false;
    value = 0;
    for (size_t i = at; i < end; ++i) {
        if (line[i] < '0' || line[i] > '9') return false;
        const std::uint64_t digit = static_cast<std::uint64_t>(line[i] - '0');
        if (value > (UINT64_MAX - digit) / 10) return false;
        value = value * 10 + digit;
    }
    at = end + 1;
    return true;
}

bool ParseLine(const std::string& line, wxString& path, FileIdentity& id) {
    if (line.size() < 2 || (line[0] != 'f' && line[0] != 'd') || line[1] != ' ') return false;
    id.folder = line[0] == 'd';
    size_t at = 2;
    std::uint64_t mtime = 0;
    if (!ReadNumber(line, at, id.device) || !ReadNumber(line, at, id.inode) || !ReadNumber(line, at, id.size) ||
        !ReadNumber(line, at, mtime) || mtime > static_cast<std::uint64_t>(INT64_MAX)) {
        return false;
    }
    id.mtimeNs = static_cast<std::int64_t>(mtime);
    std::string raw;
    if (!Unescape(line.substr(at), raw) || raw.empty() || raw[0] != '/' || raw.find('\0') != std::string::npos) {
        return false;
    }
    path = wxString::FromUTF8(raw.data(), raw.size());
    return !path.empty();
}

// The record lies in a folder every user may write: only a plain file of this
// user's is read, so that nobody else can name files as placed by the service.
bool ReadRecord(const wxString& recordPath, std::string& text) {
    const int fd = ::open(recordPath.fn_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
              static_cast<std::uint64_t>(st.st_size) <= PlacedFiles::kMaxRecordBytes;
    if (!ok) errno = EPERM;
    char buffer[1 << 16];
    while (ok) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        text.append(buffer, static_cast<size_t>(n));
        ok = text.size() <= PlacedFiles::kMaxRecordBytes;
    }
    ::close(fd);
    return ok;
}

// Whether path lies directly in folder or in a folder directly inside it.
bool IsWithin(const wxString& path, const wxString& folder) {
    if (!path.StartsWith(folder + "/")) return false;
    const wxString rest = path.Mid(folder.length() + 1);
    return !rest.empty() && rest.Freq('/') <= 1;
}

}  // namespace

PlacedFiles::PlacedFiles(const wxString& recordPath) : m_recordPath(recordPath) {}

PlacedFiles::~PlacedFiles() {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_writer.joinable()) m_writer.join();
    Flush();
}

void PlacedFiles::Flush() {
    std::unique_lock<std::mutex> lock(m_lock);
    WriteIfChanged(lock);
    // A write the record's thread has under way ends first.
    m_changed.wait(lock, [this] { return m_doneVersion >= m_version; });
}

std::string PlacedFiles::Format(const std::map<wxString, FileIdentity>& entries) {
    std::string text = std::string(kHeader) + "\n";
    for (const auto& [path, id] : entries) {
        text += id.folder ? "d " : "f ";
        text += std::to_string(id.device) + " " + std::to_string(id.inode) + " " + std::to_string(id.size) + " " +
                std::to_string(id.mtimeNs) + " ";
        const wxScopedCharBuffer utf8 = path.utf8_str();
        text += Escape(std::string(utf8.data(), utf8.length())) + "\n";
    }
    return text;
}

std::map<wxString, FileIdentity> PlacedFiles::Parse(const std::string& text) {
    std::map<wxString, FileIdentity> entries;
    size_t at = text.find('\n');
    if (at == std::string::npos || text.compare(0, at, kHeader) != 0) return entries;
    ++at;
    while (at < text.size() && entries.size() < kMaxEntries) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) break;  // a cut last line is no entry
        if (end - at <= kMaxLineBytes) {
            wxString path;
            FileIdentity id;
            if (ParseLine(text.substr(at, end - at), path, id)) entries[path] = id;
        }
        at = end + 1;
    }
    return entries;
}

void PlacedFiles::Load() {
    std::string text;
    if (m_recordPath.empty()) return;
    if (!ReadRecord(m_recordPath, text)) {
        if (errno != ENOENT) VEQLOG(Error) << "Unable to read the record of placed files " << m_recordPath;
        return;
    }
    std::lock_guard<std::mutex> lock(m_lock);
    m_entries = Parse(text);
}

void PlacedFiles::Note(const wxString& path) {
    // No file has inode 0: an identity that nothing on disk matches.
    const FileIdentity id = EntryIdentity(path).value_or(FileIdentity{});
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_entries.size() >= kMaxEntries && !m_entries.count(path)) return;
    m_entries[path] = id;
    SaveLocked();
}

void PlacedFiles::Forget(const wxString& path) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_entries.erase(path)) SaveLocked();
}

PlacedFiles::Owner PlacedFiles::Check(const wxString& path) const {
    FileIdentity placed;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        const auto entry = m_entries.find(path);
        if (entry == m_entries.end()) return Owner::Unknown;
        placed = entry->second;
    }
    const std::optional<FileIdentity> now = EntryIdentity(path);
    if (!now) return Owner::Gone;
    return placed.Matches(*now) ? Owner::Placed : Owner::Changed;
}

void PlacedFiles::ForgetStaleIn(const wxString& folder) {
    std::vector<wxString> stale;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        for (const auto& [path, id] : m_entries) {
            if (IsWithin(path, folder)) stale.push_back(path);
        }
    }
    std::vector<wxString> gone;
    for (const wxString& path : stale) {
        if (Check(path) != Owner::Placed) gone.push_back(path);
    }
    if (gone.empty()) return;
    std::lock_guard<std::mutex> lock(m_lock);
    for (const wxString& path : gone) m_entries.erase(path);
    SaveLocked();
}

void PlacedFiles::SaveLocked() {
    if (m_recordPath.empty()) return;
    m_dirty = true;
    if (!m_writer.joinable() && !m_stopping) m_writer = std::thread(&PlacedFiles::RunWriter, this);
    m_changed.notify_all();
}

void PlacedFiles::RunWriter() {
    std::unique_lock<std::mutex> lock(m_lock);
    while (!m_stopping) {
        m_changed.wait(lock, [this] { return m_dirty || m_stopping; });
        if (m_stopping) break;
        WriteIfChanged(lock);
        // Changes meanwhile wait for the next turn (or the stop's flush).
        m_changed.wait_for(lock, kWriteInterval, [this] { return m_stopping; });
    }
}

void PlacedFiles::WriteIfChanged(std::unique_lock<std::mutex>& lock) {
    if (!m_dirty || m_recordPath.empty()) return;
    const std::string text = Format(m_entries);
    const std::uint64_t version = ++m_version;
    m_dirty = false;
    lock.unlock();
    {
        // The entries are let go during the write; a text older than the one
        // written already is not written over it.
        std::lock_guard<std::mutex> write(m_writeLock);
        if (version > m_writtenVersion) {
            m_writtenVersion = version;
            const int rc = WriteFileWhole(std::string(m_recordPath.fn_str()), text.data(), text.size(), 0600);
            if (rc != 0) {
                VEQLOG(Error) << "Unable to write the record of placed files " << m_recordPath << " (error " << rc
                              << ")";
            }
        }
    }
    lock.lock();
    m_doneVersion = std::max(m_doneVersion, version);
    m_changed.notify_all();
}
