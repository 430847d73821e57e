#include "StoreFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "FileDescriptor.h"
#include "Logger.h"
#include "WholeFile.h"

namespace DROPWELL {

namespace {

std::string ErrorText() { return std::strerror(errno); }

// The folder of path with its trailing "/" ("./" for a bare name).
std::string FolderOf(const std::string& path) {
    const std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

}  // namespace

StoreReadResult ReadStoreFile(const std::string& path, std::string& data, size_t maxSize) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
    if (fd.Get() < 0) {
        if (errno == ENOENT) return StoreReadResult::Missing;
        VEQLOG(Error) << "Cannot open " << path << ": " << ErrorText();
        return StoreReadResult::Failed;
    }
    struct stat info;
    if (::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        VEQLOG(Error) << "Not a regular file: " << path;
        return StoreReadResult::Failed;
    }
    std::string content;
    char buffer[65536];
    for (;;) {
        ssize_t got = ::read(fd.Get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            VEQLOG(Error) << "Cannot read " << path << ": " << ErrorText();
            return StoreReadResult::Failed;
        }
        if (got == 0) break;
        content.append(buffer, static_cast<size_t>(got));
        if (content.size() > maxSize) {
            VEQLOG(Error) << "Too large to be read: " << path;
            return StoreReadResult::Failed;
        }
    }
    data.swap(content);
    return StoreReadResult::Read;
}

bool WriteStoreFile(const std::string& path, const std::string& data) {
    // Leftovers of writers killed in the middle of a rewrite go first.
    RemoveStaleTemporaries(path);
    WholeFileWriter writer(path, 0666, true);
    if (!writer.File()) {
        VEQLOG(Error) << "Cannot create " << writer.TemporaryPath() << ": " << std::strerror(writer.OpenError());
        return false;
    }
    int error = writer.Write(data.data(), data.size());
    if (error == 0) error = writer.Commit();
    if (error != 0) {
        VEQLOG(Error) << "Cannot write " << path << ": " << std::strerror(error);
        return false;
    }
    // The rename itself reaches the disk with the folder.
    FileDescriptor folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Get() >= 0) ::fsync(folder.Get());
    return true;
}

bool RecreateEmptyStoreFile(const std::string& path) {
    // Another user may plant a name again between the removal and the creation.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (::unlink(path.c_str()) != 0 && errno != ENOENT) break;
        FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (fd.Get() >= 0) return true;
        if (errno != EEXIST) break;
    }
    VEQLOG(Error) << "Cannot create " << path << ": " << ErrorText();
    return false;
}

}  // namespace DROPWELL
