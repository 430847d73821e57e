// What the folder watcher tells the service core: the mapping changed (the
// signal file appeared in the service folder), a file was deleted from a
// watched folder, or a watched folder itself went. Calls come on the watcher's
// read-loop thread (a deletion of a file just placed may come on the placing
// thread), never while the watcher holds a lock of its own, so the receiver
// may call back into the watcher.
#pragma once

#include <wx/string.h>

#include "FileIdentity.h"

class FolderWatcherSink {
public:
    virtual ~FolderWatcherSink() = default;

    // The signal file was created in the service folder: reload the mapping.
    virtual void DropwellModified() = 0;
    // fileName (name and extension) disappeared from folder (no trailing
    // separator); identity is that folder as it was when its watch began.
    virtual void JobDeletedFromFolder(const wxString& folder, const wxString& fileName,
                                      const FileIdentity& identity) = 0;
    // A watched folder itself was deleted or moved away (no trailing separator);
    // its watch has ended.
    virtual void WatchedFolderGone(const wxString& folder) = 0;
};
