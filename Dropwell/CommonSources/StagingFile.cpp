#include "StagingFile.h"

#include "DropwellFileNames.h"
#include "FileDescriptor.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace {

std::string Native(const wxString& path) {
    return std::string(path.fn_str());
}

// The close is checked: a file system may report a failed write only then.
bool CheckedClose(int fd) {
    return ::close(fd) == 0;
}

int CreateFresh(const std::string& path) {
    ::unlink(path.c_str());
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
}

wxString Reason(const char* step) {
    return wxString(step) + ": " + wxString(std::strerror(errno));
}

// Renames from to to, failing with EEXIST when to exists. File systems without
// the no-replace rename take a hard link instead; those without links get a
// check before the rename.
int MoveWithoutReplacing(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return errno;
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return 0;
    }
    if (errno != EPERM && errno != ENOTSUP) return errno;
    struct stat st;
    if (::lstat(to.c_str(), &st) == 0) return errno = EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

// Moves from to to, replacing or not; 0 or the errno of the failure.
int Move(const std::string& from, const std::string& to, bool replace) {
    if (!replace) return MoveWithoutReplacing(from, to);
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

bool ReadAll(int fd, char* data, std::size_t length, std::size_t& got) {
    got = 0;
    while (got < length) {
        const ssize_t n = ::read(fd, data + got, length - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return true;
}

// Copies source into a fresh part file inside folder and renames it to fileName.
bool CopyIntoFolder(const std::string& source, const wxString& folder, const wxString& fileName, bool replace,
                    bool& taken, wxString& error) {
    const std::string part = Native(folder + "/" + DropwellFileNames::PartFileName(fileName));
    const std::string target = Native(folder + "/" + fileName);
    const int in = ::open(source.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (in < 0) {
        error = Reason("open staged file");
        return false;
    }
    const int out = CreateFresh(part);
    if (out < 0) {
        error = Reason("create part file");
        ::close(in);
        return false;
    }
    std::vector<char> buffer(1 << 20);
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = Reason("read staged file");
            ok = false;
            break;
        }
        if (n == 0) break;
        if (!WriteFully(out, buffer.data(), static_cast<std::size_t>(n))) {
            error = Reason("write part file");
            ok = false;
            break;
        }
    }
    ::close(in);
    if (!CheckedClose(out) && ok) {
        error = Reason("close part file");
        ok = false;
    }
    if (ok && (errno = Move(part, target, replace)) != 0) {
        taken = errno == EEXIST;
        error = Reason("rename part file");
        ok = false;
    }
    if (!ok) ::unlink(part.c_str());
    return ok;
}

}  // namespace

StagingFile::~StagingFile() {
    Discard();
}

bool StagingFile::Create(const wxString& path) {
    Discard();
    m_path = path;
    m_failed = false;
    m_fd = CreateFresh(Native(path));
    return m_fd >= 0;
}

bool StagingFile::Write(const char* data, std::size_t length) {
    if (m_fd < 0 || m_failed) return false;
    if (!WriteFully(m_fd, data, length)) m_failed = true;
    return !m_failed;
}

bool StagingFile::Close() {
    if (m_fd < 0) return false;
    const bool closed = CheckedClose(m_fd);
    m_fd = -1;
    return closed && !m_failed;
}

void StagingFile::Discard() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_path.empty()) {
        ::unlink(Native(m_path).c_str());
        m_path.clear();
    }
}

wxString StagingFile::Detach() {
    const wxString path = m_path;
    m_path.clear();
    return path;
}

namespace {

bool Place(const wxString& stagedPath, const wxString& folder, const wxString& fileName, bool replace,
           bool& taken, wxString& error) {
    taken = false;
    const std::string staged = Native(stagedPath);
    const std::string target = Native(folder + "/" + fileName);
    const int moved = Move(staged, target, replace);
    if (moved == 0) return true;
    errno = moved;
    if (moved == EXDEV) return CopyIntoFolder(staged, folder, fileName, replace, taken, error);
    taken = moved == EEXIST;
    error = Reason("rename staged file");
    return false;
}

}  // namespace

bool PlaceStagedFile(const wxString& stagedPath, const wxString& folder, const wxString& fileName,
                     wxString& error) {
    bool taken = false;
    const bool ok = Place(stagedPath, folder, fileName, true, taken, error);
    ::unlink(Native(stagedPath).c_str());
    return ok;
}

bool PlaceStagedFileAsNew(const wxString& stagedPath, const wxString& folder, const wxString& fileName,
                          bool& taken, wxString& error) {
    const bool ok = Place(stagedPath, folder, fileName, false, taken, error);
    if (ok) ::unlink(Native(stagedPath).c_str());
    return ok;
}

bool SameFileContents(const wxString& first, const wxString& second) {
    const int a = ::open(Native(first).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    const int b = ::open(Native(second).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    struct stat sa, sb;
    bool same = a >= 0 && b >= 0 && ::fstat(a, &sa) == 0 && ::fstat(b, &sb) == 0 && S_ISREG(sa.st_mode) &&
                S_ISREG(sb.st_mode) && sa.st_size == sb.st_size;
    std::vector<char> bufferA(same ? 1 << 16 : 0), bufferB(bufferA.size());
    while (same) {
        std::size_t gotA = 0, gotB = 0;
        same = ReadAll(a, bufferA.data(), bufferA.size(), gotA) && ReadAll(b, bufferB.data(), bufferB.size(), gotB) &&
               gotA == gotB && std::memcmp(bufferA.data(), bufferB.data(), gotA) == 0;
        if (gotA == 0) break;
    }
    if (a >= 0) ::close(a);
    if (b >= 0) ::close(b);
    return same;
}

void ClearStagingFolder(const wxString& folder) {
    const std::string dir = Native(folder);
    DIR* d = ::opendir(dir.c_str());
    if (!d) return;
    std::vector<std::string> names;
    while (dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        names.push_back(name);
    }
    ::closedir(d);
    for (const std::string& name : names) {
        const std::string path = dir + "/" + name;
        struct stat st;
        if (::lstat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) ::unlink(path.c_str());
    }
}
