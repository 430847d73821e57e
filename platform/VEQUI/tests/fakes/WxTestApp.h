// A toolkit application for tests that need one (event handlers, CallAfter,
// windows), and a pump that runs posted work until a condition holds.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include <wx/app.h>
#include <wx/apptrait.h>
#include <wx/evtloop.h>
#include <wx/image.h>
#include <wx/init.h>

#include <cstdio>

namespace veqfake {

inline void EnsureWxApp() {
    static const bool started = []() {
        wxApp::SetInstance(new wxApp());
        static int argc = 1;
        static char name[] = "veq-test";
        static char* argv[] = {name, nullptr};
        wxEntryStart(argc, argv);
        wxTheApp->CallOnInit();
        wxInitAllImageHandlers();
        // A failed toolkit check is printed; a dialog would stop a headless test.
        wxSetAssertHandler([](const wxString& file, int line, const wxString& function,
                              const wxString& condition, const wxString& message) {
            std::fprintf(stderr, "wx assertion %s:%d %s: %s %s\n", file.utf8_str().data(), line,
                         function.utf8_str().data(), condition.utf8_str().data(), message.utf8_str().data());
        });
        return true;
    }();
    (void)started;
}

// Runs posted work and toolkit events until done() holds or the time is up.
inline bool PumpUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    EnsureWxApp();
    wxEventLoopBase* active = wxEventLoopBase::GetActive();
    std::unique_ptr<wxEventLoopBase> own;
    std::unique_ptr<wxEventLoopActivator> activator;
    if (!active) {
        own.reset(wxTheApp->GetTraits()->CreateEventLoop());
        activator = std::make_unique<wxEventLoopActivator>(own.get());
        active = own.get();
    }
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        wxTheApp->ProcessPendingEvents();
        while (active->Pending()) {
            active->Dispatch();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// Runs whatever is posted for a moment: for checks that something does not happen.
inline void PumpBriefly() {
    PumpUntil([]() { return false; }, std::chrono::milliseconds(200));
}

}  // namespace veqfake
