#include "InstanceChannel.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <wx/app.h>
#include <wx/filename.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>

#include "Logger.h"

namespace {

const char kShowRequest[] = "show\n";

bool MakeAddress(const wxString& path, sockaddr_un& address) {
    const wxScopedCharBuffer bytes = path.utf8_str();
    if (bytes.length() >= sizeof(address.sun_path)) {
        return false;
    }
    std::memset(&address, 0, sizeof(address));
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, bytes.data(), bytes.length());
    return true;
}

}  // namespace

InstanceChannel::InstanceChannel() = default;

InstanceChannel::~InstanceChannel() {
    if (m_thread.joinable()) {
        const char stop = 's';
        (void)!write(m_wakePipe[1], &stop, 1);
        m_thread.join();
    }
    for (int fd : {m_listener, m_wakePipe[0], m_wakePipe[1]}) {
        if (fd >= 0) {
            close(fd);
        }
    }
    if (!m_path.empty()) {
        wxRemoveFile(m_path);
    }
}

wxString InstanceChannel::SocketPath() {
    wxString folder;
    if (!wxGetEnv("XDG_RUNTIME_DIR", &folder) || !wxDirExists(folder)) {
        folder = wxStandardPaths::Get().GetUserConfigDir();
    }
    const wxString name = "veqora-" + wxGetUserId() + ".sock";
    wxString path = folder + wxFileName::GetPathSeparator() + name;
    sockaddr_un address;
    if (!MakeAddress(path, address)) {
        path = "/tmp/" + name;  // the folder's path is too long for a socket name
    }
    return path;
}

bool InstanceChannel::Listen(std::function<void()> onShowRequest) {
    const wxString path = SocketPath();
    sockaddr_un address;
    if (!MakeAddress(path, address) || pipe2(m_wakePipe, O_CLOEXEC) != 0) {
        return false;
    }
    m_listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listener < 0) {
        return false;
    }
    // Only the instance that holds the single-instance lock gets here, so a
    // socket file left by an instance that crashed can go.
    unlink(address.sun_path);
    if (bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        listen(m_listener, 4) != 0) {
        VEQLOG(Error) << "Cannot listen on " << path << ": " << std::strerror(errno);
        return false;
    }
    m_path = path;
    m_onShowRequest = std::move(onShowRequest);
    m_thread = std::thread([this]() { Serve(); });
    return true;
}

void InstanceChannel::Serve() {
    for (;;) {
        pollfd fds[2] = {{m_listener, POLLIN, 0}, {m_wakePipe[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (fds[1].revents != 0) {
            return;
        }
        if ((fds[0].revents & POLLIN) == 0) {
            continue;
        }
        const int connection = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) {
            continue;
        }
        char request[16] = {};
        pollfd readable = {connection, POLLIN, 0};
        ssize_t received = 0;
        if (poll(&readable, 1, 2000) > 0) {
            received = read(connection, request, sizeof(request) - 1);
        }
        if (received > 0 && std::strncmp(request, kShowRequest, sizeof(kShowRequest) - 1) == 0) {
            (void)!write(connection, "ok\n", 3);
            if (wxTheApp) {
                wxTheApp->CallAfter(m_onShowRequest);
            }
        }
        close(connection);
    }
}

bool InstanceChannel::AskRunningInstanceToShow() {
    sockaddr_un address;
    if (!MakeAddress(SocketPath(), address)) {
        return false;
    }
    const int connection = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (connection < 0) {
        return false;
    }
    bool answered = false;
    if (connect(connection, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
        write(connection, kShowRequest, sizeof(kShowRequest) - 1) == sizeof(kShowRequest) - 1) {
        char reply[4] = {};
        pollfd readable = {connection, POLLIN, 0};
        answered = poll(&readable, 1, 2000) > 0 && read(connection, reply, sizeof(reply)) > 0;
    }
    close(connection);
    return answered;
}
