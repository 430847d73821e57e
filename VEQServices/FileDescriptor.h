// A file descriptor closed at the end of its owner's scope, and a write that
// goes on until every byte is written.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <cstddef>

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

// Writes all length bytes to fd, again after an interruption. False with errno
// set when a write fails (ENOSPC when one writes nothing).
inline bool WriteFully(int fd, const void* data, std::size_t length) {
    const char* next = static_cast<const char*>(data);
    while (length > 0) {
        const ssize_t n = ::write(fd, next, length);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return false;
        }
        next += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}
