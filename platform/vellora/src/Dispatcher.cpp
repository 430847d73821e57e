#include "Dispatcher.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace vellora {

struct Dispatcher::State {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::function<void()>> tasks;
    bool stopping = false;
    std::thread thread;
    std::thread::id threadId;
};

namespace {

void Run(std::shared_ptr<Dispatcher::State> state) {
    std::unique_lock<std::mutex> lock(state->mutex);
    while (true) {
        state->wake.wait(lock, [&] { return state->stopping || !state->tasks.empty(); });
        if (state->tasks.empty()) return;
        auto task = std::move(state->tasks.front());
        state->tasks.pop_front();
        lock.unlock();
        task();
        task = nullptr;
        lock.lock();
    }
}

}  // namespace

Dispatcher::Dispatcher() : m_state(std::make_shared<State>()) {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->thread = std::thread(Run, m_state);
    m_state->threadId = m_state->thread.get_id();
}

Dispatcher::~Dispatcher() { Stop(); }

bool Dispatcher::Post(std::function<void()> task) {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    if (m_state->stopping) return false;
    m_state->tasks.push_back(std::move(task));
    m_state->wake.notify_one();
    return true;
}

void Dispatcher::Stop() {
    std::thread thread;
    {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        m_state->stopping = true;
        m_state->wake.notify_one();
        thread = std::move(m_state->thread);
    }
    if (!thread.joinable()) return;
    if (thread.get_id() == std::this_thread::get_id()) thread.detach();
    else thread.join();
}

bool Dispatcher::OnThread() const {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->threadId == std::this_thread::get_id();
}

}  // namespace vellora
