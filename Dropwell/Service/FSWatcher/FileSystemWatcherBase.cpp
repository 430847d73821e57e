#include "FileSystemWatcherBase.h"

#include "Logger.h"

#include <wx/dir.h>
#include <wx/filefn.h>

const int cnEVENT_WM_FSWATCH = 0;

namespace dwfs {

namespace {

// Every folder below folder, links not followed.
void SubFolders(const wxString& folder, wxArrayString& out) {
    wxDir dir(folder);
    if (!dir.IsOpened()) return;
    wxString name;
    for (bool more = dir.GetFirst(&name, wxEmptyString, wxDIR_DIRS | wxDIR_HIDDEN | wxDIR_NO_FOLLOW); more;
         more = dir.GetNext(&name)) {
        const wxString sub = wxFileName::DirName(folder + wxFILE_SEP_PATH + name).GetPath();
        out.Add(sub);
        SubFolders(sub, out);
    }
}

}  // namespace

wxFileSystemWatcherBase::wxFileSystemWatcherBase() : m_owner(this) { m_watches.reserve(100); }

wxFileSystemWatcherBase::~wxFileSystemWatcherBase() = default;

bool wxFileSystemWatcherBase::Add(const wxFileName& path, int events) {
    const wxString full = path.GetFullPath();
    const bool isFile = wxFileExists(full), isDir = wxDirExists(full);
    if (!isFile && !isDir) {
        VEQLOG(Error) << "Can't monitor the folder as the path is not accessible : " << full;
        return false;
    }
    return DoAdd(path, events, isFile ? wxFSWPath_File : wxFSWPath_Dir);
}

bool wxFileSystemWatcherBase::DoAdd(const wxFileName& path, int events, int pathType) {
    const wxString canonical = GetCanonicalPath(path);
    if (canonical.empty() || !m_service) return false;
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    if (m_watches.count(canonical)) VEQLOG(Error) << "Path is already in watch list : " << canonical;
    wxFSWatchInfo info;
    info.path = canonical;
    info.events = events;
    info.pathType = pathType;
    if (!m_service->Add(info)) return false;
    return m_watches.emplace(canonical, info).second;
}

bool wxFileSystemWatcherBase::AddTree(const wxFileName& path, int events, const wxString&) {
    if (!Add(path, events)) return false;
    wxArrayString subs;
    SubFolders(path.GetFullPath(), subs);
    for (const wxString& sub : subs) Add(wxFileName::DirName(sub), events);
    return true;
}

bool wxFileSystemWatcherBase::Remove(const wxFileName& path) {
    const wxString canonical = GetCanonicalPath(path);
    if (canonical.empty() || !m_service) return false;
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    auto it = m_watches.find(canonical);
    if (it == m_watches.end()) {
        VEQLOG(Error) << "Path '" << canonical << "' is not watched";
        return false;
    }
    const wxFSWatchInfo info = it->second;
    m_watches.erase(it);
    return m_service->Remove(info);
}

bool wxFileSystemWatcherBase::RemoveTree(const wxFileName& path) {
    wxArrayString subs;
    SubFolders(path.GetFullPath(), subs);
    for (const wxString& sub : subs) Remove(wxFileName::DirName(sub));
    return Remove(path);
}

bool wxFileSystemWatcherBase::RemoveAll() {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    if (m_service) m_service->RemoveAll();
    m_watches.clear();
    return true;
}

bool wxFileSystemWatcherBase::NoteComing(const wxFileName& folder, const wxString& name) {
    const wxString canonical = GetCanonicalPath(folder);
    if (canonical.empty() || name.empty() || !m_service) return false;
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    return m_watches.count(canonical) && m_service->AddComingName(canonical, std::string(name.fn_str()));
}

bool wxFileSystemWatcherBase::NoteComingEnded(const wxFileName& folder, const wxString& name) {
    const wxString canonical = GetCanonicalPath(folder);
    if (canonical.empty() || name.empty() || !m_service) return false;
    // Under the lock no read of the folder runs: the check of the file and
    // the names it is compared with belong together.
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    return m_watches.count(canonical) && m_service->EndComingName(canonical, std::string(name.fn_str()));
}

bool wxFileSystemWatcherBase::ReadEvents() { return m_service && m_service->ReadEvents(); }

void wxFileSystemWatcherBase::StopWatch() {
    RemoveAll();  // the watched paths go with the implementation's entries
    if (m_service) m_service->StopWatch();
}

int wxFileSystemWatcherBase::ReadEventsOnce(int timeoutMs) {
    return m_service ? m_service->ReadEventsOnce(timeoutMs) : -1;
}

void wxFileSystemWatcherBase::OnFileSystemEvent(const wxFileSystemWatcherEvent&) {}

int wxFileSystemWatcherBase::GetWatchedPaths(wxArrayString* paths) const {
    if (!paths) return -1;
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    for (const auto& [path, info] : m_watches) paths->Add(path);
    return int(m_watches.size());
}

int wxFileSystemWatcherBase::GetWatchedPathsCount() const {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    return int(m_watches.size());
}

wxString wxFileSystemWatcherBase::GetCanonicalPath(const wxFileName& path) {
    wxFileName copy(path);
    if (!copy.Normalize(wxPATH_NORM_DOTS | wxPATH_NORM_TILDE | wxPATH_NORM_ABSOLUTE | wxPATH_NORM_LONG |
                        wxPATH_NORM_SHORTCUT)) {
        VEQLOG(Error) << "Unable to normalize path :" << path.GetFullPath();
        return wxString();
    }
    return copy.GetFullPath();
}

void wxFileSystemWatcherBase::ForgetWatch(const wxString& canonical) { m_watches.erase(canonical); }

}  // namespace dwfs
