#include "Tickets.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <unordered_map>

namespace vellora {

namespace {

struct TicketRegistry {
    std::mutex mutex;
    std::unordered_map<unsigned long long, std::shared_ptr<TicketState>> tickets;
    unsigned long long nextId = 1;
    // Tells tickets of this process from random bytes in a caller's record.
    const unsigned long long generation =
        0x5e110000ull ^ static_cast<unsigned long long>(
                            std::chrono::steady_clock::now().time_since_epoch().count());
};

// Never destroyed: library threads may still look tickets up while the process ends.
TicketRegistry& Registry() {
    static auto* registry = new TicketRegistry;
    return *registry;
}

std::shared_ptr<TicketState> TakeTicket(VelloraNBTicket* ticket) {
    if (!ticket || ticket->id == 0) return nullptr;
    auto& r = Registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (ticket->generation != r.generation) return nullptr;
    auto it = r.tickets.find(ticket->id);
    if (it == r.tickets.end()) return nullptr;
    auto state = it->second;
    r.tickets.erase(it);
    return state;
}

}  // namespace

TicketState::TicketState(Executor executor, OnExecutorThread onExecutorThread)
    : m_executor(std::move(executor)), m_onExecutorThread(std::move(onExecutorThread)) {}

TicketState::~TicketState() {
    // Block joins the worker; a ticket dropped without it lets the thread end alone.
    if (m_worker.joinable()) m_worker.detach();
}

void TicketState::Post(std::function<void()> callback) {
    // m_queued counts this callback already; called without m_mutex, since an
    // executor may run the work at once on the calling thread.
    auto self = shared_from_this();
    bool posted = m_executor([self, callback = std::move(callback)] {
        std::unique_lock<std::mutex> lock(self->m_mutex);
        --self->m_queued;
        if (self->m_state == State::Cancelled) {
            self->m_changed.notify_all();
            return;
        }
        self->m_runners.push_back(std::this_thread::get_id());
        lock.unlock();
        callback();
        lock.lock();
        auto& runners = self->m_runners;
        runners.erase(std::find(runners.begin(), runners.end(), std::this_thread::get_id()));
        self->m_changed.notify_all();
    });
    if (!posted) {
        std::lock_guard<std::mutex> lock(m_mutex);
        --m_queued;
        m_changed.notify_all();
    }
}

void TicketState::Deliver(std::function<void()> callback) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_state != State::Running) return;
        ++m_delivered;
        ++m_queued;
        m_changed.notify_all();
    }
    Post(std::move(callback));
}

std::function<void()> TicketState::TakeCompletion() {
    if (!m_callback || m_completionFired || m_state != State::Completed) return nullptr;
    m_completionFired = true;
    ++m_queued;
    auto callback = m_callback;
    void* context = m_context;
    return [callback, context] { callback(context); };
}

void TicketState::Complete(int result) {
    std::function<void()> completion, hook;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_state != State::Running) return;
        m_state = State::Completed;
        m_result = result;
        m_changed.notify_all();
        completion = TakeCompletion();
        hook = m_stopHook;
    }
    if (hook) hook();
    if (completion) Post(std::move(completion));
}

bool TicketState::Running() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_state == State::Running;
}

int TicketState::RegisterCallback(void* context, VelloraMonitorCallback callback) {
    if (!callback) return VELLORA_PARAMETER_MAY_NOT_BE_NULL;
    std::function<void()> completion;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_state == State::Cancelled) return VELLORA_CANCELED;
        m_context = context;
        m_callback = callback;
        completion = TakeCompletion();
    }
    if (completion) Post(std::move(completion));
    return VELLORA_OK;
}

int TicketState::Cancel() {
    std::function<void()> hook, notice;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_state == State::Running) {
            m_state = State::Cancelled;
            m_result = VELLORA_CANCELED;
            notice = std::move(m_cancelNotice);
            m_cancelNotice = nullptr;
        } else if (m_state == State::Completed) {
            // Finished already: a completion callback still queued must not follow.
            m_state = State::Cancelled;
        }
        hook = m_stopHook;
        m_changed.notify_all();
    }
    if (hook) hook();
    if (notice) notice();
    return VELLORA_OK;
}

int TicketState::Block() {
    std::thread worker;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        auto self = std::this_thread::get_id();
        bool onExecutor = m_onExecutorThread && m_onExecutorThread();
        if (m_state == State::Running && onExecutor) return VELLORA_BUSY;  // it would wait for itself
        if (m_state == State::Completed && m_queued > 0 && onExecutor) m_state = State::Cancelled;
        m_changed.wait(lock, [&] {
            size_t others = static_cast<size_t>(std::count_if(
                m_runners.begin(), m_runners.end(), [&](std::thread::id id) { return id != self; }));
            if (others > 0 || m_state == State::Running) return false;
            return m_state == State::Cancelled || m_queued == 0;
        });
        if (m_worker.joinable() && m_worker.get_id() != self) worker = std::move(m_worker);
    }
    if (worker.joinable()) worker.join();
    return VELLORA_OK;
}

void TicketState::Check(int& status, int& result) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    bool busy = m_state == State::Running || m_workerActive || !m_runners.empty();
    status = busy ? VELLORA_PENDING : m_result;
    result = m_result;
}

int TicketState::WaitForProgress(int timeoutMs, int& progress) {
    std::unique_lock<std::mutex> lock(m_mutex);
    int seen = m_delivered;
    m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs),
                       [&] { return m_delivered != seen || m_state != State::Running; });
    progress = m_delivered;
    if (m_state != State::Running) return m_result;
    return m_delivered != seen ? VELLORA_OK : VELLORA_TIMEOUT;
}

void TicketState::SetCancelNotice(std::function<void()> notice) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_cancelNotice = std::move(notice);
}

void TicketState::SetStopHook(std::function<void()> hook) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stopHook = std::move(hook);
}

void TicketState::StartWorker(std::function<void()> body) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_workerActive = true;
    std::weak_ptr<TicketState> weak = shared_from_this();
    m_worker = std::thread([weak, body = std::move(body)] {
        body();
        if (auto self = weak.lock()) {
            std::lock_guard<std::mutex> lock(self->m_mutex);
            self->m_workerActive = false;
            self->m_changed.notify_all();
        }
    });
}

void PublishTicket(VelloraNBTicket* ticket, std::shared_ptr<TicketState> state) {
    auto& r = Registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    unsigned long long id = r.nextId++;
    r.tickets[id] = std::move(state);
    ticket->id = id;
    ticket->generation = r.generation;
}

std::shared_ptr<TicketState> FindTicket(const VelloraNBTicket* ticket) {
    if (!ticket || ticket->id == 0) return nullptr;
    auto& r = Registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (ticket->generation != r.generation) return nullptr;
    auto it = r.tickets.find(ticket->id);
    return it == r.tickets.end() ? nullptr : it->second;
}

void CancelAllTickets() {
    std::vector<std::shared_ptr<TicketState>> all;
    {
        auto& r = Registry();
        std::lock_guard<std::mutex> lock(r.mutex);
        for (auto& entry : r.tickets) all.push_back(entry.second);
        r.tickets.clear();
    }
    for (auto& t : all) t->Cancel();
    for (auto& t : all) t->Block();
}

}  // namespace vellora

extern "C" {

using vellora::FindTicket;

VELLORA_API int NB_registerCallback(VelloraNBTicket* ticket, void* context, VelloraMonitorCallback callback) {
    auto state = FindTicket(ticket);
    if (!state) return VELLORA_INVALID_HANDLE;
    return state->RegisterCallback(context, callback);
}

VELLORA_API int NB_cancel(VelloraNBTicket* ticket) {
    auto state = FindTicket(ticket);
    if (!state) return VELLORA_INVALID_HANDLE;
    return state->Cancel();
}

VELLORA_API int NB_checkTicket(VelloraNBTicket* ticket, int* result, int, int* status) {
    int s = VELLORA_OK, r = VELLORA_OK;
    int rc = VELLORA_OK;
    if (ticket && ticket->id == 0 && ticket->generation == 0) {
        // A zeroed record that was never started: nothing runs.
    } else if (auto state = FindTicket(ticket)) {
        state->Check(s, r);
    } else {
        rc = s = r = VELLORA_INVALID_HANDLE;
    }
    if (result) *result = r;
    if (status) *status = s;
    return rc;
}

VELLORA_API int NB_block(VelloraNBTicket* ticket) {
    auto state = FindTicket(ticket);
    if (!state) return VELLORA_INVALID_HANDLE;
    return state->Block();
}

VELLORA_API int NB_destroy(VelloraNBTicket* ticket) {
    auto state = vellora::TakeTicket(ticket);
    if (!state) return VELLORA_INVALID_HANDLE;
    // A ticket still running is stopped first, so that no callback outlives it.
    if (state->Running()) state->Cancel();
    state->Block();
    std::memset(ticket, 0, sizeof *ticket);
    return VELLORA_OK;
}

VELLORA_API int NB_cancel_block_destroy(VelloraNBTicket* ticket) {
    auto state = FindTicket(ticket);
    if (!state) return VELLORA_INVALID_HANDLE;
    state->Cancel();
    state->Block();
    return NB_destroy(ticket);
}

VELLORA_API int NB_waitForProgress(VelloraNBTicket* ticket, int timeoutMilliseconds, int* progress) {
    auto state = FindTicket(ticket);
    if (!state) return VELLORA_INVALID_HANDLE;
    int p = 0;
    int rc = state->WaitForProgress(timeoutMilliseconds, p);
    if (progress) *progress = p;
    return rc;
}

}  // extern "C"

