#include "LogRetention.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <wx/datetime.h>
#include <wx/filename.h>

#include "FileDescriptor.h"

namespace {

const wxString s_dateTimeFormat = "%Y_%m_%d_%H_%M_%S";
const size_t s_dateTimeLength = 19;  // "YYYY_mm_dd_HH_MM_SS"
const int s_maxFolderDepth = 16;

struct LogFile {
    // The open folder of the file: it is deleted through it, so that a folder
    // swapped for a link after the listing cannot redirect the deletion.
    std::shared_ptr<FileDescriptor> folder;
    std::string name;      // inside folder
    wxString path;
    wxString runPrefix;    // the path up to its last '_', shared by the files of one run
    bool hasStartTime = false;
    wxLongLong startTime;  // milliseconds since the epoch
    unsigned long counter = 0;
    std::uint64_t size = 0;
};

// The leading decimal digits of text (blanks skipped), 0 when there are none.
unsigned long LeadingNumber(const wxString& text) {
    unsigned long number = 0;
    size_t pos = 0;
    while (pos < text.length() && wxIsspace(text[pos])) ++pos;
    for (; pos < text.length() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        const unsigned long digit = static_cast<unsigned long>(text[pos] - '0');
        if (number > (static_cast<unsigned long>(-1) - digit) / 10) return static_cast<unsigned long>(-1);
        number = number * 10 + digit;
    }
    return number;
}

// Reads start time and counter from the end of the name
// "<base>_YYYY_mm_dd_HH_MM_SS_<counter>", so that a base name may hold '_'.
LogFile Describe(const wxString& path, std::uint64_t size) {
    LogFile file;
    file.path = path;
    file.runPrefix = path.BeforeLast('_');
    file.size = size;

    const wxString name = wxFileName(path).GetName();
    const size_t counterSeparator = name.rfind('_');
    if (counterSeparator == wxString::npos) return file;
    file.counter = LeadingNumber(name.substr(counterSeparator + 1));
    if (counterSeparator < s_dateTimeLength + 1 || name[counterSeparator - s_dateTimeLength - 1] != '_') return file;
    const wxString timeText = name.substr(counterSeparator - s_dateTimeLength, s_dateTimeLength);
    wxDateTime time;
    wxString::const_iterator end;
    if (time.ParseFormat(timeText, s_dateTimeFormat, &end) && end == timeText.end()) {
        file.hasStartTime = true;
        file.startTime = time.GetValue();
    }
    return file;
}

// Adds the log files of the folder open as fd, and of its subfolders, to
// files: regular files named "<base>_YYYY_mm_dd_HH_MM_SS_<counter>.log" only.
// Links are never followed, neither to files nor to folders.
void Collect(int fd, const std::string& path, int depth, std::vector<LogFile>& files) {
    const std::shared_ptr<FileDescriptor> folder = std::make_shared<FileDescriptor>(fd);
    const int listingFd = ::dup(fd);
    DIR* listing = listingFd >= 0 ? ::fdopendir(listingFd) : nullptr;
    if (!listing) {
        if (listingFd >= 0) ::close(listingFd);
        return;
    }
    while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        struct stat info;
        if (::fstatat(fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISDIR(info.st_mode) && depth < s_maxFolderDepth) {
            const int child = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child >= 0) Collect(child, path + name + "/", depth + 1, files);
            continue;
        }
        if (!S_ISREG(info.st_mode) || name.size() < 4 || name.compare(name.size() - 4, 4, ".log") != 0) continue;
        LogFile file = Describe(wxString::FromUTF8(path + name), static_cast<std::uint64_t>(info.st_size));
        if (!file.hasStartTime) continue;
        file.folder = folder;
        file.name = name;
        files.push_back(std::move(file));
    }
    ::closedir(listing);
}

// Deletes a log file unless a live process holds it as its current file.
void Delete(const LogFile& file) {
    const int fd = ::openat(file.folder->Get(), file.name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    struct stat info;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        ::unlinkat(file.folder->Get(), file.name.c_str(), 0);
    }
    ::close(fd);
}

// Newest first: later start time, then larger counter; files without a start time last.
bool IsNewer(const LogFile& a, const LogFile& b) {
    if (a.hasStartTime != b.hasStartTime) return a.hasStartTime;
    if (a.hasStartTime && a.startTime != b.startTime) return a.startTime > b.startTime;
    return a.counter > b.counter;
}

}  // namespace

void CheckAndDeletePreviousLogFiles(const wxString& folder, const LogRetentionPolicy& policy) {
    std::string root(folder.utf8_str());
    if (root.empty()) return;
    if (root.back() != '/') root += '/';
    const int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;  // a missing or unreadable folder simply has no files
    std::vector<LogFile> files;
    Collect(fd, root, 0, files);
    if (files.empty()) return;
    std::sort(files.begin(), files.end(), IsNewer);

    std::uint64_t total = 0;
    size_t stop = files.size();
    for (size_t i = 0; i < files.size(); ++i) {
        total += files[i].size;
        if (total >= policy.maxTotalSize || i >= policy.maxFilesRetained) {
            stop = i;
            break;
        }
    }
    if (stop == files.size()) return;
    while (stop + 1 < files.size() && files[stop + 1].runPrefix == files[stop].runPrefix) ++stop;

    for (size_t i = stop + 1; i < files.size(); ++i) {
        // The files of this run stay even when the clock has gone back (daylight
        // saving, a corrected clock) and an earlier run looks newer.
        if (!policy.currentRunPrefix.empty() && files[i].runPrefix == policy.currentRunPrefix) continue;
        Delete(files[i]);
    }
}
