#include "WholeFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>

namespace {

const char kTemporaryMark[] = ".tmp-";

// The error number of the last failed call, never 0.
int LastError() {
    return errno != 0 ? errno : EIO;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The process id in "<pid>-..." at the start of text; 0 when there is none.
pid_t LeadingProcessId(const std::string& text) {
    const std::size_t dash = text.find('-');
    if (dash == 0 || dash == std::string::npos || dash > 9) return 0;
    pid_t pid = 0;
    for (std::size_t i = 0; i < dash; ++i) {
        if (text[i] < '0' || text[i] > '9') return 0;
        pid = pid * 10 + (text[i] - '0');
    }
    return pid;
}

bool IsRunning(pid_t pid) {
    return ::kill(pid, 0) == 0 || errno != ESRCH;
}

}  // namespace

std::string UniqueTemporaryPath(const std::string& path) {
    static std::atomic<unsigned> s_sequence{0};
    return path + kTemporaryMark + std::to_string(::getpid()) + "-" + std::to_string(s_sequence++);
}

void RemoveStaleTemporaries(const std::string& path) {
    const std::string folder = FolderOf(path);
    const std::string prefix = BaseNameOf(path) + kTemporaryMark;
    DIR* directory = ::opendir(folder.c_str());
    if (!directory) return;
    const int folderFd = ::dirfd(directory);
    while (const dirent* entry = ::readdir(directory)) {
        const std::string name = entry->d_name;
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        const pid_t pid = LeadingProcessId(name.substr(prefix.size()));
        if (pid <= 0 || pid == ::getpid() || IsRunning(pid)) continue;
        struct stat info;
        if (::fstatat(folderFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode)) {
            ::unlinkat(folderFd, name.c_str(), 0);
        }
    }
    ::closedir(directory);
}

WholeFileWriter::WholeFileWriter(const std::string& finalPath, mode_t mode, bool syncToDisk)
    : m_finalPath(finalPath), m_syncToDisk(syncToDisk) {
    struct stat existing;
    if (::lstat(finalPath.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode)) {
        m_openError = EISDIR;
        return;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        m_temporaryPath = UniqueTemporaryPath(finalPath);
        const int fd = ::open(m_temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0) {
            m_file = ::fdopen(fd, "wb");
            if (!m_file) {
                m_openError = LastError();
                ::close(fd);
                ::unlink(m_temporaryPath.c_str());
                return;
            }
            std::setvbuf(m_file, nullptr, _IONBF, 0);
            return;
        }
        if (errno != EEXIST) break;
    }
    m_openError = LastError();
    m_temporaryPath.clear();
}

WholeFileWriter::~WholeFileWriter() {
    Discard();
}

int WholeFileWriter::Write(const void* data, std::size_t length) {
    if (!m_file) return EBADF;
    if (length == 0) return 0;
    errno = 0;
    return std::fwrite(data, 1, length, m_file) == length ? 0 : LastError();
}

int WholeFileWriter::Commit() {
    if (!m_file) return m_openError != 0 ? m_openError : EBADF;
    int error = 0;
    errno = 0;
    if (std::fflush(m_file) != 0 || (m_syncToDisk && ::fsync(::fileno(m_file)) != 0)) error = LastError();
    errno = 0;
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    if (!closed && error == 0) error = LastError();
    if (error == 0 && ::rename(m_temporaryPath.c_str(), m_finalPath.c_str()) != 0) error = LastError();
    if (error != 0) {
        ::unlink(m_temporaryPath.c_str());
    }
    m_temporaryPath.clear();
    return error;
}

void WholeFileWriter::Discard() {
    if (!m_file) return;
    std::fclose(m_file);
    m_file = nullptr;
    ::unlink(m_temporaryPath.c_str());
    m_temporaryPath.clear();
}

int WriteFileWhole(const std::string& path, const void* data, std::size_t length, mode_t mode) {
    WholeFileWriter writer(path, mode);
    if (!writer.File()) return writer.OpenError();
    const int error = writer.Write(data, length);
    return error != 0 ? error : writer.Commit();
}
