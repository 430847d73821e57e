// A thread of the library that runs callbacks one after another, in the order
// they were posted, so that callers never see a callback inside their own call.
#pragma once

#include <functional>
#include <memory>

namespace vellora {

class Dispatcher {
public:
    Dispatcher();
    ~Dispatcher();
    Dispatcher(const Dispatcher&) = delete;
    Dispatcher& operator=(const Dispatcher&) = delete;

    // false once stopped (the task is then not run).
    bool Post(std::function<void()> task);
    // Runs what is queued, then ends. Joins the thread, or lets it finish on its
    // own when called from one of its tasks.
    void Stop();
    bool OnThread() const;

    struct State;

private:
    std::shared_ptr<State> m_state;
};

}  // namespace vellora
