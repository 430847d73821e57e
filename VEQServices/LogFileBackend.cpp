#include "LogFileBackend.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

#include "FileDescriptor.h"

namespace {

// Names tried past one that cannot be used, before the file is given up.
const unsigned kNamesTried = 100;

}  // namespace

std::string LogFileName(const std::string& pattern, unsigned counter) {
    std::string name;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && pattern.compare(i, 3, "%5N") == 0) {
            char digits[16];
            std::snprintf(digits, sizeof digits, "%05u", counter);
            name += digits;
            i += 2;
        } else if (pattern[i] == '%' && pattern.compare(i, 2, "%%") == 0) {
            name += '%';
            ++i;
        } else {
            name += pattern[i];
        }
    }
    return name;
}

LogFileBackend::LogFileBackend(std::string pattern, std::uint64_t rotationSize)
    : m_pattern(std::move(pattern)), m_rotationSize(rotationSize) {}

LogFileBackend::~LogFileBackend() {
    Close();
}

void LogFileBackend::consume(const boost::log::record_view&, const string_type& line) {
    std::string text = line;
    if (text.empty() || text.back() != '\n') text += '\n';
    if (m_fd >= 0 && m_size > 0 && m_size + text.size() >= m_rotationSize) {
        Close();
        ++m_counter;
    }
    if (m_fd < 0 && !OpenCurrent()) return;
    if (WriteFully(m_fd, text.data(), text.size())) m_size += text.size();
}

bool LogFileBackend::OpenCurrent() {
    for (unsigned tried = 0; tried < kNamesTried; ++tried, ++m_counter) {
        const std::string path = LogFileName(m_pattern, m_counter);
        // Non-blocking, so that a FIFO planted at the name cannot stall the process.
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == ENOENT || errno == ENOSPC || errno == EROFS) return false;  // no name would do
            continue;
        }
        struct stat info;
        if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
            ::close(fd);
            continue;
        }
        ::flock(fd, LOCK_SH | LOCK_NB);
        m_fd = fd;
        m_size = static_cast<std::uint64_t>(info.st_size);
        return true;
    }
    return false;
}

void LogFileBackend::Close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_size = 0;
}
