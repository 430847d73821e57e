// The process-wide routing of SDK callbacks, which carry only a server handle,
// to their server. Read by SDK threads while scan components add and remove
// entries on others, so every access takes the map's lock.
#pragma once

#include <cstddef>
#include <map>
#include <mutex>
#include <utility>

#include "VEQDataSourceExport.h"
#include "vellora.h"

class Server;

class VEQDATASOURCE_API ServerHandleToServerMap {
public:
    ServerHandleToServerMap() = delete;

    // Counts the registrations of a handle, so that one component letting go
    // cannot remove the entry another still relies on. An entry already there
    // keeps its server.
    static void Add(VelloraServerHandle* handle, Server* server);
    static void Remove(VelloraServerHandle* handle);
    // Null when the handle is unknown.
    static Server* Find(VelloraServerHandle* handle);
    static std::size_t Size();

private:
    static std::mutex& Mutex();
    static std::map<VelloraServerHandle*, std::pair<Server*, int>>& Entries();
};
