#include "ClassicScrollBars.h"

#include <dlfcn.h>

#include <wx/window.h>

namespace {

// The few GTK calls needed, looked up in the toolkit the process already has
// loaded (its headers are not part of the build); absent ones leave GTK's default.
using GetTypeCall = unsigned long (*)();
using IsInstanceOfCall = int (*)(void* instance, unsigned long type);
using SetOverlayScrollingCall = void (*)(void* scrolledWindow, int overlay);

template <typename Call>
Call Lookup(const char* name) {
    return reinterpret_cast<Call>(dlsym(RTLD_DEFAULT, name));
}

}  // namespace

void UseClassicScrollBars(wxWindow* window) {
    static const auto scrolledWindowType = Lookup<GetTypeCall>("gtk_scrolled_window_get_type");
    static const auto isInstanceOf = Lookup<IsInstanceOfCall>("g_type_check_instance_is_a");
    static const auto setOverlayScrolling =
        Lookup<SetOverlayScrollingCall>("gtk_scrolled_window_set_overlay_scrolling");
    void* widget = window ? window->GetHandle() : nullptr;
    if (!widget || !scrolledWindowType || !isInstanceOf || !setOverlayScrolling ||
        !isInstanceOf(widget, scrolledWindowType())) {
        return;
    }
    setOverlayScrolling(widget, 0);
}
