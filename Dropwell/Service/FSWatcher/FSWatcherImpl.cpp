#include "FSWatcherImpl.h"

#include "Logger.h"

namespace dwfs {

wxFSWatcherImpl::wxFSWatcherImpl(wxFileSystemWatcherBase* watcher) : m_watcher(watcher) { m_watches.reserve(100); }

wxFSWatcherImpl::~wxFSWatcherImpl() = default;

bool wxFSWatcherImpl::Add(const wxFSWatchInfo& info) {
    if (m_watches.count(info.path)) VEQLOG(Error) << "Path is already in watch list : " << info.path;
    auto entry = std::make_shared<wxFSWatchEntryKq>(info);
    if (!DoAdd(entry)) {
        VEQLOG(Error) << "Failed to add the path to watch list : " << info.path;
        return false;
    }
    entry->RefreshState();
    // A second entry for a watched path is dropped here, which ends its registration.
    return m_watches.emplace(info.path, entry).second;
}

bool wxFSWatcherImpl::Remove(const wxFSWatchInfo& info) {
    auto it = m_watches.find(info.path);
    if (it == m_watches.end()) {
        VEQLOG(Error) << "Path '" << info.path << "' is not watched";
        return false;
    }
    EntryPtr entry = it->second;
    m_watches.erase(it);
    return DoRemove(entry);
}

bool wxFSWatcherImpl::RemoveAll() {
    m_watches.clear();
    return true;
}

bool wxFSWatcherImpl::AddComingName(const wxString& path, const std::string& name) {
    const auto it = m_watches.find(path);
    if (it == m_watches.end()) return false;
    it->second->AddComing(name);
    return true;
}

bool wxFSWatcherImpl::EndComingName(const wxString& path, const std::string& name) {
    const auto it = m_watches.find(path);
    return it != m_watches.end() && it->second->EndComing(name);
}

bool wxFSWatcherImpl::ReadEvents() { return false; }

void wxFSWatcherImpl::StopWatch() {}

int wxFSWatcherImpl::ReadEventsOnce(int) { return -1; }

}  // namespace dwfs
