// Encoded page images (JPEG, Deflate), kept up to a byte budget, most recent
// first. Each is encoded once: a caller asking for one that another is encoding
// waits for it instead of encoding it again.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>

namespace zeltosim::detail {

class PageCache {
public:
    using Key = std::tuple<uint32_t, int, int, int, bool, int>;  // seed, page, width, height, colour, dpi
    using Bytes = std::shared_ptr<const std::string>;

    explicit PageCache(size_t budgetBytes) : m_budget(budgetBytes) {}

    // The cached bytes, or encode() now; nullptr (not kept) when encoding fails.
    Bytes Get(const Key& key, const std::function<Bytes()>& encode);

private:
    struct Entry {
        Key key;
        Bytes bytes;
        bool ready = false;
    };

    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::list<std::shared_ptr<Entry>> m_entries;  // most recent first
    size_t m_bytes = 0;
    size_t m_budget;
};

}  // namespace zeltosim::detail
