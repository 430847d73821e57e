// The watcher over kqueue: creating it creates the queue and nothing else (no
// event loop, no thread); the caller runs ReadEvents on a thread of its own.
#pragma once

#include "FileSystemWatcherBase.h"

namespace dwfs {

class wxKqueueFileSystemWatcher : public wxFileSystemWatcherBase {
public:
    wxKqueueFileSystemWatcher();
    wxKqueueFileSystemWatcher(const wxFileName& path, int events = wxFSW_EVENT_ALL);

    bool startReading() { return ReadEvents(); }

private:
    bool Init();
};

}  // namespace dwfs
