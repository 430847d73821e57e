#include "UiDispatcher.h"

#include <wx/event.h>

UiDispatcher::UiDispatcher(wxEvtHandler* target) : m_state(std::make_shared<State>()) {
    m_state->target = target;
}

void UiDispatcher::Post(std::function<void()> work) const {
    std::shared_ptr<State> state = m_state;
    std::lock_guard<std::mutex> lock(state->mutex);
    if (!state->attached || state->target == nullptr) {
        return;
    }
    state->target->CallAfter([state, work]() {
        // Runs on the user-interface thread, the same thread that detaches.
        if (state->attached) {
            work();
        }
    });
}

void UiDispatcher::Detach() {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->attached = false;
    m_state->target = nullptr;
}
