#include "CallLog.h"

#include <algorithm>

namespace zeltosim {

std::string CallRecord::Argument(const std::string& name) const {
    for (const auto& a : arguments)
        if (a.first == name) return a.second;
    return std::string();
}

void CallLog::Add(CallRecord record) {
    std::lock_guard<std::mutex> lock(m_mutex);
    record.sequence = m_nextSequence++;
    m_records.push_back(std::move(record));
    if (m_records.size() > kCapacity) m_records.pop_front();
}

std::vector<CallRecord> CallLog::All() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return std::vector<CallRecord>(m_records.begin(), m_records.end());
}

std::vector<CallRecord> CallLog::Of(const std::string& function) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<CallRecord> found;
    for (const auto& r : m_records)
        if (r.function == function) found.push_back(r);
    return found;
}

size_t CallLog::Count(const std::string& function) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<size_t>(std::count_if(m_records.begin(), m_records.end(),
                                             [&](const CallRecord& r) { return r.function == function; }));
}

void CallLog::Clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_records.clear();
}

}  // namespace zeltosim
