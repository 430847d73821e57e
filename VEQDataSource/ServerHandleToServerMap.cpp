#include "ServerHandleToServerMap.h"

std::mutex& ServerHandleToServerMap::Mutex() {
    static std::mutex mutex;
    return mutex;
}

std::map<VelloraServerHandle*, std::pair<Server*, int>>& ServerHandleToServerMap::Entries() {
    static std::map<VelloraServerHandle*, std::pair<Server*, int>> entries;
    return entries;
}

void ServerHandleToServerMap::Add(VelloraServerHandle* handle, Server* server) {
    std::lock_guard<std::mutex> lock(Mutex());
    auto& entry = Entries()[handle];
    if (entry.second == 0) {
        entry.first = server;
    }
    ++entry.second;
}

void ServerHandleToServerMap::Remove(VelloraServerHandle* handle) {
    std::lock_guard<std::mutex> lock(Mutex());
    const auto found = Entries().find(handle);
    if (found != Entries().end() && --found->second.second <= 0) {
        Entries().erase(found);
    }
}

Server* ServerHandleToServerMap::Find(VelloraServerHandle* handle) {
    std::lock_guard<std::mutex> lock(Mutex());
    const auto found = Entries().find(handle);
    return found == Entries().end() ? nullptr : found->second.first;
}

std::size_t ServerHandleToServerMap::Size() {
    std::lock_guard<std::mutex> lock(Mutex());
    return Entries().size();
}
