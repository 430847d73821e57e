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
#include <map>
#include <mutex>
#include <optional>

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

    // A job file the service is about to place in a watched folder: deleting
    // it is a deletion of its job even before the read loop has seen it arrive.
    void FileComing(const wxString& folder, const wxString& fileName);
    // That placement is over. A file placed and deleted again before any read
    // of the folder found it is reported to the sink here, on the caller's thread.
    void FileSettled(const wxString& folder, const wxString& fileName, bool placed);

    void OnFileSystemEvent(const dwfs::wxFileSystemWatcherEvent& event) override;

private:
    FolderWatcher() = default;

    // Notes the folder watched at canonical as it is now, or forgets it.
    void NoteIdentity(const wxString& canonical);
    void ForgetIdentity(const wxString& canonical);
    // The watched folder as it was when its watch began.
    std::optional<FileIdentity> WatchedIdentity(const wxString& canonical);

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
    std::mutex m_identitiesLock;
    std::map<wxString, FileIdentity> m_identities;  // by canonical watched path
    std::once_flag m_serviceFolderOnce;
    wxString m_serviceFolder;
};
