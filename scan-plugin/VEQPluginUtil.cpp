#include "VEQPluginUtil.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <mutex>
#include <string>
#include <vector>

#include <boost/uuid/random_generator.hpp>
#include <boost/uuid/uuid_io.hpp>
#include <wx/filename.h>

#include "Logger.h"
#include "VEQServicesUtil.h"

namespace veq {

const wxString g_scanFileName = "image";
const wxString g_scanFileExt = "cache";

wxString VEQPluginUtil::GetCacheDirectory() {
    return VEQServicesUtil::GetConfigDirectory() + "VEQPluginCache" + wxFileName::GetPathSeparator();
}

namespace {

// Session folders are named by a UUID's 36-character text.
bool IsSessionFolderName(const std::string& name) {
    if (name.size() != 36) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? name[i] != '-' : !std::isxdigit(static_cast<unsigned char>(name[i]))) return false;
    }
    return true;
}

// The session folders of this process, each held open with a shared lock for
// the life of the process: the mark that a live process owns them.
std::mutex s_ownedMutex;
std::vector<int> s_ownedFolders;

bool Own(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    ::flock(fd, LOCK_SH);
    std::lock_guard<std::mutex> lock(s_ownedMutex);
    s_ownedFolders.push_back(fd);
    return true;
}

// Makes a session folder that is locked before it appears under its name, so
// that another process's cleaning never takes it for abandoned.
bool MakeOwnedSessionFolder(const std::string& folder) {
    const std::string unnamed = folder + ".new";
    if (::mkdir(unnamed.c_str(), 0777) != 0) return false;
    if (Own(unnamed) && ::rename(unnamed.c_str(), folder.c_str()) == 0) return true;
    ::rmdir(unnamed.c_str());
    return false;
}

// Empties and removes a session folder (open as fd inside cache) unless a
// live process holds its lock. Nothing inside is followed: entries are
// unlinked, never opened.
void RemoveIfAbandoned(int cache, const std::string& name) {
    const int fd = ::openat(cache, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        if (DIR* listing = ::fdopendir(::dup(fd))) {
            while (const dirent* entry = ::readdir(listing)) {
                const std::string file = entry->d_name;
                if (file != "." && file != "..") ::unlinkat(fd, file.c_str(), 0);
            }
            ::closedir(listing);
        }
        ::unlinkat(cache, name.c_str(), AT_REMOVEDIR);
    }
    ::close(fd);
}

// The session folders left by processes that ended in the middle of a
// download (killed, crashed), with everything they hold.
void RemoveAbandonedSessions(const std::string& cacheFolder) {
    const int cache = ::open(cacheFolder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (cache < 0) return;
    std::vector<std::string> sessions;
    if (DIR* listing = ::fdopendir(::dup(cache))) {
        while (const dirent* entry = ::readdir(listing)) {
            if (IsSessionFolderName(entry->d_name)) sessions.push_back(entry->d_name);
        }
        ::closedir(listing);
    }
    for (const std::string& name : sessions) RemoveIfAbandoned(cache, name);
    ::close(cache);
}

}  // namespace

std::pair<wxString, wxString> VEQPluginUtil::GetNewScanSessionFilePath() {
    static std::once_flag s_cleaned;
    std::call_once(s_cleaned, [] { RemoveAbandonedSessions(std::string(GetCacheDirectory().utf8_str())); });
    // The generator draws from the system's random source.
    const wxString uuid = boost::uuids::to_string(boost::uuids::random_generator()());
    const wxString folder = GetCacheDirectory() + uuid;
    if (!wxFileName::Mkdir(GetCacheDirectory(), 0777, wxPATH_MKDIR_FULL) ||
        !MakeOwnedSessionFolder(std::string(folder.utf8_str()))) {
        VEQLOG(Error) << "Cannot make the scan session folder " << folder;
    }
    return {folder + wxFileName::GetPathSeparator() + g_scanFileName + "." + g_scanFileExt, uuid};
}

}  // namespace veq
