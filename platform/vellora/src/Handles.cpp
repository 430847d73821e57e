#include "Handles.h"

#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace vellora {

namespace {

struct HandleRegistry {
    std::mutex mutex;
    std::unordered_map<const VelloraServerHandle*, std::shared_ptr<Connection>> live;
    uintptr_t nextSerial = 1;
};

// Never destroyed: library threads may still look handles up while the process ends.
HandleRegistry& Registry() {
    static auto* registry = new HandleRegistry;
    return *registry;
}

}  // namespace

VelloraServerHandle* AddHandle(std::shared_ptr<Connection> connection) {
    auto& r = Registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    // An opaque token, aligned like a pointer, unique for the life of the process.
    auto* handle = reinterpret_cast<VelloraServerHandle*>(uintptr_t(0x7e110000) + 16 * r.nextSerial++);
    r.live[handle] = std::move(connection);
    return handle;
}

std::shared_ptr<Connection> FindHandle(const VelloraServerHandle* handle) {
    if (!handle) return nullptr;
    auto& r = Registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.live.find(handle);
    return it == r.live.end() ? nullptr : it->second;
}

std::shared_ptr<Connection> RemoveHandle(const VelloraServerHandle* handle) {
    if (!handle) return nullptr;
    auto& r = Registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.live.find(handle);
    if (it == r.live.end()) return nullptr;
    auto connection = std::move(it->second);
    r.live.erase(it);
    return connection;
}

std::vector<std::shared_ptr<Connection>> RemoveAllHandles() {
    auto& r = Registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    std::vector<std::shared_ptr<Connection>> all;
    for (auto& entry : r.live) all.push_back(std::move(entry.second));
    r.live.clear();
    return all;
}

std::shared_ptr<Connection> FromScanSession(const VelloraScanSession* session) {
    if (!session || session->id <= 0) return nullptr;
    auto connection = FindHandle(session->server);
    if (!connection || !connection->HasScanSession(session->id)) return nullptr;
    return connection;
}

std::shared_ptr<Connection> FromLocaleSession(const VelloraLocaleSession* session, LocaleSettings& settings) {
    if (!session || session->id <= 0) return nullptr;
    auto connection = FindHandle(session->server);
    if (!connection || !connection->LocaleSession(session->id, settings)) return nullptr;
    return connection;
}

}  // namespace vellora
