#include "PageCache.h"

namespace zeltosim::detail {

PageCache::Bytes PageCache::Get(const Key& key, const std::function<Bytes()>& encode) {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if ((*it)->key != key) continue;
        std::shared_ptr<Entry> entry = *it;
        m_entries.splice(m_entries.begin(), m_entries, it);
        m_ready.wait(lock, [&] { return entry->ready; });
        if (entry->bytes) return entry->bytes;
        break;  // its encoding failed and it is gone: try again
    }
    auto entry = std::make_shared<Entry>();
    entry->key = key;
    m_entries.push_front(entry);
    lock.unlock();
    Bytes bytes = encode();
    lock.lock();
    entry->bytes = bytes;
    entry->ready = true;
    m_ready.notify_all();
    if (!bytes) {
        m_entries.remove(entry);
        return nullptr;
    }
    m_bytes += bytes->size();
    // The oldest finished entries go first; the newest always stays.
    for (auto it = std::prev(m_entries.end()); m_bytes > m_budget && it != m_entries.begin();) {
        auto older = std::prev(it);
        if ((*it)->ready && *it != entry) {
            m_bytes -= (*it)->bytes->size();
            m_entries.erase(it);
        }
        it = older;
    }
    return bytes;
}

}  // namespace zeltosim::detail
