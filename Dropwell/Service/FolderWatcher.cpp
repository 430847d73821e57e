#include "FolderWatcher.h"

#include "FileIdentity.h"
#include "VEQHelper.h"

#include <sys/stat.h>
#include <unistd.h>

#include <wx/filefn.h>
#include <wx/log.h>

const wxString FolderWatcher::SignalFileName = "VEQFMWATCH_100804659.txt";

namespace {

wxString WithoutTrailingSeparator(const wxString& path) {
    if (path.length() > 1 && (path.EndsWith("/") || path.EndsWith("\\"))) return path.Left(path.length() - 1);
    return path;
}

wxString Canonical(const wxString& folder) {
    return WithoutTrailingSeparator(dwfs::wxFileSystemWatcherBase::GetCanonicalPath(wxFileName::DirName(folder)));
}

bool SameFolderOnDisk(const wxString& a, const wxString& b) {
    struct stat sa, sb;
    return stat(a.fn_str(), &sa) == 0 && stat(b.fn_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// Whether two folder paths name the same folder: equal, or equal but for letter
// case where the file system itself ignores case.
bool SameFolder(const wxString& a, const wxString& b) {
    const wxString x = WithoutTrailingSeparator(a), y = WithoutTrailingSeparator(b);
    if (x == y) return true;
    return x.IsSameAs(y, false) && SameFolderOnDisk(x, y);
}

}  // namespace

FolderWatcher* FolderWatcher::GetInstance() {
    static FolderWatcher instance;
    return &instance;
}

const wxString& FolderWatcher::ServiceFolder() {
    std::call_once(m_serviceFolderOnce, [this] {
        wxString folder;
        VEQHelper::GetPasswordFilePath(folder, true);
        m_serviceFolder = Canonical(folder);
    });
    return m_serviceFolder;
}

wxString FolderWatcher::FindWatched(const wxString& folder) const {
    if (folder.empty()) return wxString();
    const wxString canonical = Canonical(folder);
    wxArrayString watched;
    GetWatchedPaths(&watched);
    for (const wxString& path : watched)
        if (SameFolder(path, folder) || SameFolder(path, canonical)) return path;
    return wxString();
}

void FolderWatcher::AddEntry(const wxString& folder) {
    if (folder.empty()) return;
    if (Canonical(folder) == ServiceFolder()) RemoveSignalFile();
    if (!FindWatched(folder).empty() || !wxDirExists(folder)) return;
    NoteIdentity(Canonical(folder));
    if (!Add(wxFileName::DirName(folder), dwfs::wxFSW_EVENT_ALL)) return;
    // A signal written while the watch was being set up is one the watch may
    // never report; take it as seen.
    if (Canonical(folder) == ServiceFolder() && wxFileExists(SignalPath())) SignalSeen();
}

void FolderWatcher::RemoveEntry(const wxString& folder) {
    wxLogNull quiet;
    const wxString watched = FindWatched(folder);
    if (watched.empty()) return;
    Remove(wxFileName::DirName(watched));
    ForgetIdentity(watched);
}

void FolderWatcher::AddSubFolderEntry(const wxString& folder) {
    std::lock_guard<std::recursive_mutex> lock(m_subFolderLock);
    for (const wxString& known : m_subFolders)
        if (SameFolder(known, folder)) return;
    m_subFolders.Add(folder);
    if (!folder.empty() && wxDirExists(folder) && FindWatched(folder).empty()) {
        NoteIdentity(Canonical(folder));
        Add(wxFileName::DirName(folder), dwfs::wxFSW_EVENT_ALL);
    }
}

void FolderWatcher::RemoveSubFolderEntry(const wxString& folder) {
    std::lock_guard<std::recursive_mutex> lock(m_subFolderLock);
    wxLogNull quiet;
    for (size_t i = 0; i < m_subFolders.size(); ++i) {
        if (!SameFolder(m_subFolders[i], folder)) continue;
        m_subFolders.RemoveAt(i);
        const wxString watched = FindWatched(folder);
        if (!watched.empty()) {
            Remove(wxFileName::DirName(watched));
            ForgetIdentity(watched);
        }
        return;
    }
}

void FolderWatcher::NoteIdentity(const wxString& canonical) {
    const std::optional<FileIdentity> identity = FolderIdentity(canonical);
    std::lock_guard<std::mutex> lock(m_identitiesLock);
    if (identity) {
        m_identities[canonical] = *identity;
    } else {
        m_identities.erase(canonical);
    }
}

void FolderWatcher::ForgetIdentity(const wxString& canonical) {
    std::lock_guard<std::mutex> lock(m_identitiesLock);
    m_identities.erase(canonical);
}

std::optional<FileIdentity> FolderWatcher::WatchedIdentity(const wxString& canonical) {
    std::lock_guard<std::mutex> lock(m_identitiesLock);
    const auto found = m_identities.find(canonical);
    if (found == m_identities.end()) return std::nullopt;
    return found->second;
}

void FolderWatcher::FileComing(const wxString& folder, const wxString& fileName) {
    const wxString watched = FindWatched(folder);
    if (!watched.empty()) NoteComing(wxFileName::DirName(watched), fileName);
}

void FolderWatcher::FileSettled(const wxString& folder, const wxString& fileName, bool placed) {
    const wxString watched = FindWatched(folder);
    if (watched.empty() || !NoteComingEnded(wxFileName::DirName(watched), fileName) || !placed) return;
    const wxString directory = WithoutTrailingSeparator(watched);
    FolderWatcherSink* sink = m_sink;
    const std::optional<FileIdentity> identity = WatchedIdentity(directory);
    if (sink && identity) sink->JobDeletedFromFolder(directory, fileName, *identity);
}

wxString FolderWatcher::SignalPath() { return ServiceFolder() + wxFILE_SEP_PATH + SignalFileName; }

void FolderWatcher::RemoveSignalFile() {
    const wxString signal = SignalPath();
    if (wxFileExists(signal)) ::unlink(signal.fn_str());
}

void FolderWatcher::SignalSeen() {
    if (FolderWatcherSink* sink = m_sink) sink->DropwellModified();
    RemoveSignalFile();  // its deletion comes back as a DELETE in the service folder
}

void FolderWatcher::OnFileSystemEvent(const dwfs::wxFileSystemWatcherEvent& event) {
    FolderWatcherSink* sink = m_sink;
    if (!sink) return;
    const wxString directory = event.path.GetPath();
    switch (event.changeType) {
        case dwfs::wxFSW_EVENT_CREATE:
            if (directory == ServiceFolder() && event.path.GetFullName() == SignalFileName) SignalSeen();
            return;
        case dwfs::wxFSW_EVENT_DELETE:
            if (event.path.IsDir() && directory == ServiceFolder()) {
                // The service folder itself went: make it again, so that signals keep coming.
                wxString folder;
                VEQHelper::GetPasswordFilePath(folder, true);
                AddEntry(folder);
                return;
            }
            if (directory == ServiceFolder()) return;  // mapping, password or signal files
            if (event.path.IsDir()) {
                // A watched folder itself went: no file of a job, but its watch ended.
                // Forget it here too, so that a folder made again at its path is
                // not taken for one still watched.
                RemoveEntry(directory);
                sink->WatchedFolderGone(WithoutTrailingSeparator(directory));
                return;
            }
            // A folder not known as watched (its watch ended meanwhile) gives
            // no deletion: whatever happened, it was no single file deleted.
            if (const std::optional<FileIdentity> identity = WatchedIdentity(directory)) {
                sink->JobDeletedFromFolder(directory, event.path.GetFullName(), *identity);
            }
            return;
        case dwfs::wxFSW_EVENT_RENAME:
            // A watched folder moved away: its watch would follow it elsewhere,
            // and a folder made again at its path would stay unwatched.
            if (directory == ServiceFolder() || FindWatched(directory).empty()) return;
            RemoveEntry(directory);
            sink->WatchedFolderGone(WithoutTrailingSeparator(directory));
            return;
        default:
            return;
    }
}
