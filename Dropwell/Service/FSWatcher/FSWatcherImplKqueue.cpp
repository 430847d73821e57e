#include "FSWatcherImplKqueue.h"

#include "DirectoryChanges.h"
#include "FileSystemWatcherBase.h"
#include "Logger.h"

#include "veq_kqueue/event.h"

#include <unistd.h>

#include <wx/filefn.h>

#include <chrono>
#include <mutex>
#include <thread>

namespace dwfs {

namespace {

constexpr unsigned kAllNotes =
    NOTE_DELETE | NOTE_WRITE | NOTE_EXTEND | NOTE_ATTRIB | NOTE_LINK | NOTE_RENAME | NOTE_REVOKE;

wxFileSystemWatcherEvent Record(int changeType, const wxFileName& path, const wxFileName& newPath) {
    wxFileSystemWatcherEvent record;
    record.changeType = changeType;
    record.path = path;
    record.newPath = newPath;
    return record;
}

}  // namespace

wxFSWatcherImplKqueue::wxFSWatcherImplKqueue(wxFileSystemWatcherBase* watcher) : wxFSWatcherImpl(watcher) {}

wxFSWatcherImplKqueue::~wxFSWatcherImplKqueue() {
    m_watches.clear();  // ends every registration before the queue goes
    if (m_kfd != -1 && close(m_kfd) != 0) VEQLOG(Error) << "Error closing kqueue instance";
}

bool wxFSWatcherImplKqueue::Init() {
    m_kfd = kqueue();
    if (m_kfd == -1) {
        VEQLOG(Error) << "Unable to create kqueue instance";
        return false;
    }
    return true;
}

bool wxFSWatcherImplKqueue::DoAdd(const EntryPtr& entry) {
    struct kevent change;
    EV_SET(&change, uintptr_t(entry->GetFileDescriptor()), EVFILT_VNODE, EV_ADD | EV_ENABLE | EV_CLEAR | EV_ERROR,
           kAllNotes, 0, entry.get());
    return kevent(m_kfd, &change, 1, nullptr, 0, nullptr) != -1;
}

bool wxFSWatcherImplKqueue::DoRemove(const EntryPtr& entry) {
    entry->Close();  // ends its registration
    return true;
}

bool wxFSWatcherImplKqueue::RemoveAll() {
    for (auto& [path, entry] : m_watches) DoRemove(entry);
    m_watches.clear();
    return true;
}

void wxFSWatcherImplKqueue::StopWatch() {
    {
        std::lock_guard<std::recursive_mutex> lock(m_watcher->Lock());
        RemoveAll();
    }
    m_stop = true;
}

bool wxFSWatcherImplKqueue::ReadEvents() {
    while (!m_stop) {
        // Without a queue every wait fails at once; wait out the turn instead.
        if (ReadEventsOnce(1000) < 0) std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    return true;
}

int wxFSWatcherImplKqueue::ReadEventsOnce(int timeoutMs) {
    struct kevent event;
    const timespec timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1000000L};
    const int n = kevent(m_kfd, nullptr, 0, &event, 1, &timeout);
    if (n < 0 && m_kfd == -1) return -1;
    if (n <= 0 || event.flags == EV_ERROR) return 0;
    std::vector<PendingRecord> records;
    {
        std::lock_guard<std::recursive_mutex> lock(m_watcher->Lock());
        EntryPtr entry = FindEntry(event);
        if (!entry) return 0;  // removed after kqueue reported it
        ProcessNativeEvent(entry, event.fflags, records);
    }
    return HandOver(records);
}

wxFSWatcherImplKqueue::EntryPtr wxFSWatcherImplKqueue::FindEntry(const struct kevent& event) const {
    for (const auto& [path, entry] : m_watches)
        if (entry.get() == event.udata && uintptr_t(entry->GetFileDescriptor()) == event.ident) return entry;
    return nullptr;
}

void wxFSWatcherImplKqueue::ProcessNativeEvent(const EntryPtr& entry, unsigned flags,
                                               std::vector<PendingRecord>& records) {
    flags &= kAllNotes & ~NOTE_REVOKE;
    const wxString basePath = entry->GetPath();
    const wxFileName base(basePath);
    while (flags != 0) {
        if ((flags & NOTE_WRITE) && wxDirExists(basePath)) {
            flags &= ~(NOTE_WRITE | NOTE_ATTRIB | NOTE_LINK);
            FindChanges(entry, records);
        } else if (flags & NOTE_RENAME) {
            flags &= ~NOTE_RENAME;
            records.push_back({Record(wxFSW_EVENT_RENAME, base, wxFileName()), entry});
        } else if (flags & (NOTE_WRITE | NOTE_EXTEND)) {
            flags &= ~(NOTE_WRITE | NOTE_EXTEND);
            records.push_back({Record(wxFSW_EVENT_MODIFY, base, base), entry});
        } else if (flags & NOTE_DELETE) {
            flags &= ~NOTE_DELETE;
            // The watched path itself is gone: its watch ends with it, so that a
            // folder made again at that path is watched afresh when added.
            records.push_back({Record(wxFSW_EVENT_DELETE, base, base), {}, true});
            m_watches.erase(basePath);
            DoRemove(entry);
            m_watcher->ForgetWatch(basePath);
        } else if (flags & NOTE_ATTRIB) {
            flags &= ~NOTE_ATTRIB;
            records.push_back({Record(wxFSW_EVENT_ACCESS, base, base), entry});
        }
        flags &= ~NOTE_LINK;
    }
}

void wxFSWatcherImplKqueue::FindChanges(const EntryPtr& entry, std::vector<PendingRecord>& records) {
    const std::vector<std::string> before = entry->GetSortedNames();
    entry->RefreshState();
    const wxFileName folder = wxFileName::DirName(entry->GetPath());
    for (const NameChange& change : CompareSortedNames(before, entry->GetSortedNames())) {
        const wxString name(change.name.c_str(), *wxConvFileName);
        wxFileName path = folder;
        if (wxDirExists(folder.GetPath(wxPATH_GET_SEPARATOR) + name))
            path.AppendDir(name);
        else
            path.SetFullName(name);
        records.push_back({Record(change.changeType, path, path), entry});
    }
}

int wxFSWatcherImplKqueue::HandOver(const std::vector<PendingRecord>& records) {
    int handed = 0;
    for (const PendingRecord& record : records) {
        if (!record.fromEndedWatch && record.from.expired()) continue;  // removed meanwhile
        m_watcher->OnFileSystemEvent(record.event);
        ++handed;
    }
    return handed;
}

}  // namespace dwfs
