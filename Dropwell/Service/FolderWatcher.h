// The service's one file-system watcher. It watches the service folder (the
// mapping file and the signal file), every mapped folder and the page folders
// of multi-page downloads, and turns two changes into service actions: the
// signal file created in the service folder (the mapping changed) and a file
// deleted from any other watched folder (delete its job on the server). The
// service's Start gives its thread to ReadEvents.
#pragma once

#include "FolderWatcherSink.h"
#include "KqueueFileSystemWatcher.h"

#include <wx/arrstr.h>

#include <atomic>
#include <mutex>

class FolderWatcher : public dwfs::wxKqueueFileSystemWatcher {
public:
    // The file the mapping dialog creates after every change of the mapping.
    static const wxString SignalFileName;

    static FolderWatcher* GetInstance();

    // Where changes go; null drops them.
    void SetSink(FolderWatcherSink* sink) { m_sink = sink; }

    // Watches folder unless it is watched already (one trailing separator and,
    // for the same folder, letter case do not matter); a missing folder is
    // skipped. Adding the service folder first removes a signal file left over
    // from a mapping made while the service was not running.
    void AddEntry(const wxString& folder);
    // Stops watching folder, whether or not it still exists.
    void RemoveEntry(const wxString& folder);
    // The same for the page folders of multi-page downloads, kept in a list of their own.
    void AddSubFolderEntry(const wxString& folder);
    void RemoveSubFolderEntry(const wxString& folder);

    // A job file the service has just placed in a watched folder: deleting it
    // is a deletion of its job even before the read loop has seen it arrive.
    void FilePlaced(const wxString& folder, const wxString& fileName);

    void OnFileSystemEvent(const dwfs::wxFileSystemWatcherEvent& event) override;

private:
    FolderWatcher() = default;

    // The service folder, canonical and without a trailing separator.
    const wxString& ServiceFolder();
    // The watched path that names folder, empty when there is none.
    wxString FindWatched(const wxString& folder) const;
    wxString SignalPath();
    void RemoveSignalFile();
    // The mapping changed: tell the core, then remove the signal file.
    void SignalSeen();

    wxArrayString m_subFolders;
    std::recursive_mutex m_subFolderLock;
    std::atomic<FolderWatcherSink*> m_sink{nullptr};
    std::once_flag m_serviceFolderOnce;
    wxString m_serviceFolder;
};
