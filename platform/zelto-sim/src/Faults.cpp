#include "Faults.h"

namespace zeltosim {

void Faults::Hang() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_hung = true;
}

void Faults::Resume() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_hung = false;
    m_wake.notify_all();
}

bool Faults::Hung() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_hung;
}

bool Faults::Gate(const std::function<bool()>& abandoned) {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (m_hung) {
        if (abandoned()) return false;
        uint64_t generation = m_wakeGeneration;
        m_wake.wait(lock, [&] { return !m_hung || m_wakeGeneration != generation; });
    }
    return !abandoned();
}

void Faults::WakeAll() {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_wakeGeneration;
    m_wake.notify_all();
}

void Faults::Inject(const std::string& function, int result, int count) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (count <= 0) m_injections.erase(function);
    else m_injections[function] = {result, count};
}

bool Faults::TakeInjection(const std::string& function, int& result) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_injections.find(function);
    if (it == m_injections.end()) return false;
    result = it->second.first;
    if (--it->second.second <= 0) m_injections.erase(it);
    return true;
}

void Faults::FailTransfer(int jobId, int afterChunks, int result, int times) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto& t = m_transfers[jobId];
    t.failAfter = afterChunks < 0 ? 0 : afterChunks;
    t.failResult = result;
    t.failTimes = times;
    t.served = 0;
}

void Faults::SlowTransfer(int jobId, uint64_t bytesPerSecond) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_transfers[jobId].bytesPerSecond = bytesPerSecond;
}

void Faults::DropDuringTransfer(int jobId, int afterChunks) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto& t = m_transfers[jobId];
    t.dropAfter = afterChunks < 0 ? 0 : afterChunks;
    t.served = 0;
}

Faults::Transfer* Faults::Find(int jobId) {
    auto it = m_transfers.find(jobId);
    if (it == m_transfers.end()) it = m_transfers.find(0);
    return it == m_transfers.end() ? nullptr : &it->second;
}

TransferPlan Faults::PlanTransfer(int jobId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    TransferPlan plan;
    Transfer* t = Find(jobId);
    if (!t) return plan;
    plan.bytesPerSecond = t->bytesPerSecond;
    if (t->failAfter >= 0 && t->failTimes != 0 && t->served >= t->failAfter) {
        plan.fail = true;
        plan.result = t->failResult;
        if (t->failTimes > 0) --t->failTimes;
    } else if (t->dropAfter >= 0 && t->served >= t->dropAfter) {
        plan.drop = true;
        t->dropAfter = -1;  // one connection is dropped; the next transfer goes through
    }
    return plan;
}

bool Faults::AnySlowTransfer() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& t : m_transfers)
        if (t.second.bytesPerSecond > 0) return true;
    return false;
}

bool Faults::DataFaultsSet() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_injections.count("SCAN_getDataInMailbox")) return true;
    for (const auto& t : m_transfers) {
        const Transfer& f = t.second;
        if (f.bytesPerSecond > 0 || f.dropAfter >= 0 || (f.failAfter >= 0 && f.failTimes != 0)) return true;
    }
    return false;
}

void Faults::ChunkServed(int jobId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (Transfer* t = Find(jobId)) ++t->served;
}

void Faults::Clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_injections.clear();
    m_transfers.clear();
}

}  // namespace zeltosim
