// Lets a second start of Veqora reach the running one: the running instance
// listens on a per-user local socket, and a second start asks it to show its
// (possibly hidden) main window before it ends itself.
#pragma once

#include <functional>
#include <thread>

#include <wx/string.h>

class InstanceChannel {
public:
    InstanceChannel();
    // Stops listening and removes the socket.
    ~InstanceChannel();
    InstanceChannel(const InstanceChannel&) = delete;
    InstanceChannel& operator=(const InstanceChannel&) = delete;

    // The running instance: onShowRequest is queued on the application's
    // event loop for each request. False when the socket cannot be made.
    bool Listen(std::function<void()> onShowRequest);
    // A second start: true when the running instance took the request.
    static bool AskRunningInstanceToShow();
    static wxString SocketPath();

private:
    void Serve();

    int m_listener = -1;
    int m_wakePipe[2] = {-1, -1};
    std::function<void()> m_onShowRequest;
    std::thread m_thread;
    wxString m_path;
};
