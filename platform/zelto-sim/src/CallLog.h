// The calls a simulator received, newest last, bounded.
#pragma once

#include "ZeltoSim.h"

#include <deque>
#include <mutex>

namespace zeltosim {

class CallLog {
public:
    static constexpr size_t kCapacity = 10000;

    void Add(CallRecord record);
    std::vector<CallRecord> All() const;
    std::vector<CallRecord> Of(const std::string& function) const;
    size_t Count(const std::string& function) const;
    void Clear();

private:
    mutable std::mutex m_mutex;
    std::deque<CallRecord> m_records;
    uint64_t m_nextSequence = 1;
};

}  // namespace zeltosim
