// Non-blocking tickets: the state behind a VelloraNBTicket (event subscriptions,
// connection monitors, discoveries), with the guarantees of NB_block: once it
// returns, no callback of the ticket runs or follows.
#pragma once

#include "vellora.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace vellora {

class TicketState : public std::enable_shared_from_this<TicketState> {
public:
    // Posts work on a library thread; false when it can no longer run work.
    using Executor = std::function<bool(std::function<void()>)>;
    // Whether the current thread is the one the executor runs work on.
    using OnExecutorThread = std::function<bool()>;

    TicketState(Executor executor, OnExecutorThread onExecutorThread);
    ~TicketState();

    // Runs callback on the executor, unless the ticket is cancelled by then.
    void Deliver(std::function<void()> callback);
    // The ticket finished by itself with result (connection lost, discovery
    // done): runs the callback of NB_registerCallback once, if there is one.
    void Complete(int result);
    bool Running() const;

    int RegisterCallback(void* context, VelloraMonitorCallback callback);
    int Cancel();
    int Block();
    void Check(int& status, int& result) const;
    int WaitForProgress(int timeoutMs, int& progress);

    // Called when the ticket stops running (cancelled or completed), to stop
    // the ticket's own work (a probe or discovery thread).
    void SetStopHook(std::function<void()> hook);
    // Run once, by the cancel that ends a running ticket (not by a completion).
    void SetCancelNotice(std::function<void()> notice);
    // Runs body on a thread of the ticket, joined by Block; until body returns
    // the ticket reads as pending.
    void StartWorker(std::function<void()> body);

private:
    enum class State { Running, Completed, Cancelled };
    void Post(std::function<void()> callback);
    // The completion callback to post, once, when the ticket has completed.
    std::function<void()> TakeCompletion();

    Executor m_executor;
    OnExecutorThread m_onExecutorThread;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    State m_state = State::Running;
    int m_result = VELLORA_OK;
    int m_queued = 0;
    std::vector<std::thread::id> m_runners;
    void* m_context = nullptr;
    VelloraMonitorCallback m_callback = nullptr;
    bool m_completionFired = false;
    int m_delivered = 0;
    std::function<void()> m_stopHook;
    std::function<void()> m_cancelNotice;
    std::thread m_worker;
    bool m_workerActive = false;
};

// Registers a new ticket and writes its id into the caller's record.
void PublishTicket(VelloraNBTicket* ticket, std::shared_ptr<TicketState> state);
// The state of a caller's record; nullptr for a zeroed, destroyed or unknown one.
std::shared_ptr<TicketState> FindTicket(const VelloraNBTicket* ticket);
// Cancels and waits for every registered ticket (library unload).
void CancelAllTickets();

}  // namespace vellora
