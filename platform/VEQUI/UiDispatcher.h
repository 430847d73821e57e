// Moves work from any thread onto the user-interface thread.
//
// A copy of the dispatcher can be handed to pool threads and SDK callbacks;
// Post queues the function on the target's event handler (CallAfter), and
// once the owner has called Detach, nothing posted runs any more, whether it
// was posted before or after.
#pragma once

#include <functional>
#include <memory>
#include <mutex>

class wxEvtHandler;

class UiDispatcher {
public:
    explicit UiDispatcher(wxEvtHandler* target);

    // Thread-safe. Dropped silently once detached.
    void Post(std::function<void()> work) const;
    // User-interface thread only; call before the target or anything the
    // posted functions use goes away.
    void Detach();

private:
    struct State {
        std::mutex mutex;
        wxEvtHandler* target = nullptr;
        bool attached = true;
    };
    std::shared_ptr<State> m_state;
};
