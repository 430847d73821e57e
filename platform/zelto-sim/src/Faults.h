// Faults a test or a person sets on a running simulator: a hang (no answers),
// result codes injected for the next calls of a function, and faults of job
// data transfers (fail after N chunks, a rate limit, a connection dropped in the
// middle of an answer).
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>

namespace zeltosim {

// What to do with one data call of a job.
struct TransferPlan {
    bool fail = false;
    int result = 0;
    bool drop = false;          // send part of the answer, then close the connection
    uint64_t bytesPerSecond = 0;  // 0 = full speed
};

class Faults {
public:
    void Hang();
    void Resume();
    bool Hung() const;
    // Waits while hung; false when abandoned() became true first. Woken by
    // Resume and by WakeAll.
    bool Gate(const std::function<bool()>& abandoned);
    // Wakes every waiter of Gate, so that it asks abandoned() again.
    void WakeAll();

    void Inject(const std::string& function, int result, int count);
    // The injected result for this call of function, if any is left.
    bool TakeInjection(const std::string& function, int& result);

    void FailTransfer(int jobId, int afterChunks, int result, int times);
    void SlowTransfer(int jobId, uint64_t bytesPerSecond);
    void DropDuringTransfer(int jobId, int afterChunks);
    TransferPlan PlanTransfer(int jobId);
    bool AnySlowTransfer() const;
    // Any transfer fault, or a result injected for SCAN_getDataInMailbox.
    bool DataFaultsSet() const;
    // A data call of the job was answered in full.
    void ChunkServed(int jobId);
    void Clear();

private:
    struct Transfer {
        int failAfter = -1, failResult = 0, failTimes = 0;
        int dropAfter = -1;
        uint64_t bytesPerSecond = 0;
        int served = 0;
    };
    Transfer* Find(int jobId);

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_hung = false;
    uint64_t m_wakeGeneration = 0;
    std::map<std::string, std::pair<int, int>> m_injections;  // function -> (result, count)
    std::map<int, Transfer> m_transfers;                      // job id (0 = any) -> faults
};

}  // namespace zeltosim
