// The watcher's implementation: one entry per watched path, shared by the
// watcher and its read loop under the watcher's lock.
#pragma once

#include "FSWatchEntryKq.h"

#include <wx/hashmap.h>

#include <memory>
#include <unordered_map>

namespace dwfs {

class wxFileSystemWatcherBase;

class wxFSWatcherImpl {
public:
    explicit wxFSWatcherImpl(wxFileSystemWatcherBase* watcher);
    virtual ~wxFSWatcherImpl();
    wxFSWatcherImpl(const wxFSWatcherImpl&) = delete;
    wxFSWatcherImpl& operator=(const wxFSWatcherImpl&) = delete;

    virtual bool Init() = 0;
    // Both run under the watcher's lock.
    virtual bool Add(const wxFSWatchInfo& info);
    virtual bool Remove(const wxFSWatchInfo& info);
    virtual bool RemoveAll();
    // A file about to be placed as name in the watched folder at path (see
    // wxFileSystemWatcherBase::NoteComing); false when path is not watched.
    bool AddComingName(const wxString& path, const std::string& name);
    // Its placement is over; true when no read found it and it is gone.
    bool EndComingName(const wxString& path, const std::string& name);
    // The blocking read loop; false when there is none.
    virtual bool ReadEvents();
    virtual void StopWatch();
    // One turn of the read loop: waits at most timeoutMs for one change and hands
    // over its records; returns how many were handed over, -1 without a loop.
    virtual int ReadEventsOnce(int timeoutMs);

protected:
    using EntryPtr = std::shared_ptr<wxFSWatchEntryKq>;
    virtual bool DoAdd(const EntryPtr& entry) = 0;
    virtual bool DoRemove(const EntryPtr& entry) = 0;

    std::unordered_map<wxString, EntryPtr, wxStringHash, wxStringEqual> m_watches;
    wxFileSystemWatcherBase* m_watcher;
};

}  // namespace dwfs
