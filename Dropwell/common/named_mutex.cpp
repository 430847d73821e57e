#include "named_mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Logger.h"
#include "VEQHelper.h"
#include "VeqRoot.h"

namespace {

std::atomic<long long> s_waitTimeoutMs{5000};

std::string ErrorText(int error) { return std::strerror(error); }

// 64-bit FNV-1a: short, stable across runs and builds.
unsigned long long Digest(const std::string& text) {
    unsigned long long hash = 1469598103934665603ULL;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ULL;
    }
    return hash;
}

std::string ToBytes(const wxString& text) {
    const wxScopedCharBuffer bytes = text.mb_str(*wxConvCurrent);
    if (bytes.length() == 0 && !text.empty()) return std::string(text.utf8_str());
    return std::string(bytes.data(), bytes.length());
}

}  // namespace

std::string named_mutex::SystemName(const wxString& name) {
    std::string systemName = "/" + ToBytes(name);
    const std::string& root = veqplatform::RootPrefix();
    if (root.empty()) return systemName;
    char canonical[PATH_MAX];
    const std::string rootPath = ::realpath(root.c_str(), canonical) ? std::string(canonical) : root;
    if (rootPath == "/") return systemName;
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, "_%016llx", Digest(rootPath));
    return systemName + suffix;
}

void named_mutex::SetWaitTimeout(std::chrono::milliseconds timeout) { s_waitTimeoutMs = timeout.count(); }

std::chrono::milliseconds named_mutex::GetWaitTimeout() { return std::chrono::milliseconds(s_waitTimeoutMs.load()); }

named_mutex::named_mutex(wxString name, int initialCount, const wxString& lockFilePath)
    : m_semaphore(SEM_FAILED), m_systemName(SystemName(name)) {
    wxString lockFile = lockFilePath;
    if (lockFile.empty()) {
        VEQHelper::GetPasswordFilePath(lockFile, true);
        lockFile += "/" + name + ".lock";
    }
    m_lockFilePath = std::string(lockFile.fn_str());
    m_semaphore = ::sem_open(m_systemName.c_str(), O_CREAT, 0600, static_cast<unsigned>(initialCount));
    if (m_semaphore == SEM_FAILED) {
        VEQLOG(Error) << "sem_open failed for " << m_systemName << ": " << ErrorText(errno)
                      << "; using the file lock " << m_lockFilePath << " alone";
    }
}

named_mutex::~named_mutex() {
    if (m_lockFd >= 0) ::close(m_lockFd);
    if (m_semaphore != SEM_FAILED) ::sem_close(m_semaphore);
}

bool named_mutex::LockFile() {
    int fd = ::open(m_lockFilePath.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        VEQLOG(Error) << "Cannot open the lock file " << m_lockFilePath << ": " << ErrorText(errno);
        return false;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        VEQLOG(Error) << "The lock file " << m_lockFilePath << " is not a regular file";
        ::close(fd);
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 || WaitForFileLock(fd)) {
        m_lockFd = fd;
        return true;
    }
    return false;
}

// The kernel drops the lock of a holder that dies, and our holders keep it for
// one read or write of the files. But the file is open to every user, so a
// holder that keeps it longer than the wait time-out is waited for no more. A
// blocking flock keeps the waiters in turn; it runs on a thread of its own so
// that the wait can end, and that thread lets the lock go at once when it gets
// it after the wait was given up. Closes fd when it returns false.
bool named_mutex::WaitForFileLock(int fd) {
    struct Wait {
        std::mutex mutex;
        std::condition_variable changed;
        bool done = false, locked = false, abandoned = false;
        int error = 0;
    };
    const auto wait = std::make_shared<Wait>();
    try {
        std::thread([wait, fd] {
            int result;
            do {
                result = ::flock(fd, LOCK_EX);
            } while (result != 0 && errno == EINTR);
            const int error = result == 0 ? 0 : errno;
            std::lock_guard<std::mutex> guard(wait->mutex);
            if (wait->abandoned) {
                ::close(fd);  // releases the lock, if it was got
                return;
            }
            wait->done = true;
            wait->locked = result == 0;
            wait->error = error;
            wait->changed.notify_all();
        }).detach();
    } catch (const std::system_error& e) {
        VEQLOG(Error) << "Cannot wait for the lock file " << m_lockFilePath << ": " << e.what();
        ::close(fd);
        return false;
    }
    std::unique_lock<std::mutex> guard(wait->mutex);
    if (wait->changed.wait_for(guard, GetWaitTimeout(), [&] { return wait->done; })) {
        if (wait->locked) return true;
        VEQLOG(Error) << "flock failed on " << m_lockFilePath << ": " << ErrorText(wait->error);
        ::close(fd);
        return false;
    }
    wait->abandoned = true;  // the thread closes fd
    VEQLOG(Error) << "The lock file " << m_lockFilePath << " stayed locked for "
                  << static_cast<long long>(GetWaitTimeout().count()) << " ms; going on without it";
    return false;
}

bool named_mutex::WaitSemaphore(bool fileLocked) {
    if (m_semaphore == SEM_FAILED) return false;
    timespec deadline;
    // On the monotonic clock, so that a change of the system time does not
    // shorten or stretch the wait.
    ::clock_gettime(CLOCK_MONOTONIC, &deadline);
    const long long timeoutMs = GetWaitTimeout().count();
    deadline.tv_sec += static_cast<time_t>(timeoutMs / 1000);
    deadline.tv_nsec += static_cast<long>(timeoutMs % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    int result;
    do {
        result = ::sem_clockwait(m_semaphore, CLOCK_MONOTONIC, &deadline);
    } while (result != 0 && errno == EINTR);
    if (result == 0) {
        m_semaphoreHeld = true;
        return true;
    }
    const int error = errno;
    if (error == ETIMEDOUT && fileLocked) {
        // Every holder of the semaphore also holds the file lock, which is ours:
        // the holder ended without giving the semaphore back. Take its place.
        VEQLOG(Error) << "The semaphore " << m_systemName << " stayed taken for " << timeoutMs
                      << " ms by a process that has ended; taking it over";
        m_semaphoreHeld = true;
        return true;
    }
    VEQLOG(Error) << "Waiting for the semaphore " << m_systemName << " failed: " << ErrorText(error)
                  << (fileLocked ? "; going on under the file lock" : "; going on without the lock");
    return false;
}

bool named_mutex::lock() {
    const bool fileLocked = LockFile();
    const bool semaphoreTaken = WaitSemaphore(fileLocked);
    return fileLocked && semaphoreTaken;
}

bool named_mutex::unlock() {
    bool ok = true;
    if (m_semaphoreHeld.exchange(false)) {
        if (::sem_post(m_semaphore) != 0) {
            VEQLOG(Error) << "sem_post failed for " << m_systemName << ": " << ErrorText(errno);
            ok = false;
        }
    }
    const int fd = m_lockFd.exchange(-1);
    if (fd >= 0) ok = ::close(fd) == 0 && ok;
    return ok;
}
