// The service's file-system watcher: the watched paths by canonical path, over an
// implementation that reads the changes. Changes reach OnFileSystemEvent on the
// thread that runs ReadEvents, after the watcher's lock has been let go, so the
// receiver may add or remove watches.
#pragma once

#include "FSWatchTypes.h"
#include "FSWatcherImpl.h"

#include <wx/arrstr.h>
#include <wx/event.h>
#include <wx/hashmap.h>

#include <memory>
#include <mutex>
#include <unordered_map>

namespace dwfs {

class wxFileSystemWatcherBase : public wxEvtHandler {
public:
    wxFileSystemWatcherBase();
    ~wxFileSystemWatcherBase() override;

    virtual bool Add(const wxFileName& path, int events = wxFSW_EVENT_ALL);
    // The folder and, by walking it (links not followed), each folder below it.
    virtual bool AddTree(const wxFileName& path, int events = wxFSW_EVENT_ALL,
                         const wxString& filter = wxEmptyString);
    virtual bool Remove(const wxFileName& path);
    virtual bool RemoveTree(const wxFileName& path);
    virtual bool RemoveAll();
    // A file the caller is about to place in the watched folder as name: it
    // counts as one of the folder's names from now on, so that its deletion is
    // reported even when it goes before the read loop next reads the folder
    // (and its creation is not reported then). False when the folder is not watched.
    bool NoteComing(const wxFileName& folder, const wxString& name);
    // The placement noted by NoteComing is over. True when no read of the
    // folder found the file and it is gone already: nothing reports its
    // deletion then but the caller (when it did place it).
    bool NoteComingEnded(const wxFileName& folder, const wxString& name);
    // Blocks reading changes until StopWatch (within a second of it).
    virtual bool ReadEvents();
    virtual void StopWatch();
    // The receiver of every change; does nothing here.
    virtual void OnFileSystemEvent(const wxFileSystemWatcherEvent& event);

    // One turn of the read loop (for callers that drive it step by step).
    int ReadEventsOnce(int timeoutMs);

    // Appends every watched canonical path; -1 for a null array.
    int GetWatchedPaths(wxArrayString* paths) const;
    int GetWatchedPathsCount() const;

    // The full path normalised without letter case or environment variables
    // (a folder may be named like "$USER-scans"); empty when that fails.
    static wxString GetCanonicalPath(const wxFileName& path);

    // Guards the watched paths and the implementation's entries.
    std::recursive_mutex& Lock() const { return m_lock; }
    // Forgets a watch that ended by itself (its path was deleted); under Lock().
    void ForgetWatch(const wxString& canonical);

protected:
    bool DoAdd(const wxFileName& path, int events, int pathType);

    std::unordered_map<wxString, wxFSWatchInfo, wxStringHash, wxStringEqual> m_watches;
    std::unique_ptr<wxFSWatcherImpl> m_service;
    wxFileSystemWatcherBase* m_owner;

private:
    mutable std::recursive_mutex m_lock;
};

}  // namespace dwfs
