#include "KqueueFileSystemWatcher.h"

#include "FSWatcherImplKqueue.h"

namespace dwfs {

wxKqueueFileSystemWatcher::wxKqueueFileSystemWatcher() { Init(); }

wxKqueueFileSystemWatcher::wxKqueueFileSystemWatcher(const wxFileName& path, int events) {
    if (Init())
        Add(path, events);
    else
        m_service.reset();
}

bool wxKqueueFileSystemWatcher::Init() {
    m_service = std::make_unique<wxFSWatcherImplKqueue>(this);
    return m_service->Init();
}

}  // namespace dwfs
