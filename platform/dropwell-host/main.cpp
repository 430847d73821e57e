// dropwell-host: the process that runs the folder-mapping service. It loads
// libDropwell.so from ../lib relative to itself, asks CanStartService, makes
// sure it is the only host of its user on this root, gives its main thread to
// Start, and turns signals, taken on a thread of their own, into the service's
// entry points: SIGUSR1 Pause, SIGUSR2 Resume, SIGTERM and SIGINT Stop. It
// exits 0 after a stop, 1 when the service may not start, cannot be loaded or
// another host runs, 2 on a wrong argument. A normal stop ends on the thread
// that ran Start, the one the service's widget library counts as its main
// thread; a stop that does not end within a few seconds (work that cannot be
// interrupted, such as a connect to a controller that does not answer or the
// parse of a huge mapping file) ends the process without waiting for it:
// files only ever appear in a mapped folder complete, and what such work leaves
// in the staging folder is cleared at the next start.
#include "VeqRoot.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

namespace {

using CanStartFunction = bool (*)();
using EntryFunction = void (*)();

constexpr auto kStopDeadline = std::chrono::seconds(4);

const char kUsage[] =
    "Usage: dropwell-host [--help]\n"
    "Runs the folder-mapping service (libDropwell.so in ../lib beside this program)\n"
    "until SIGTERM or SIGINT; SIGUSR1 pauses it, SIGUSR2 resumes it.\n"
    "One host runs per user and root (VEQ_ROOT): a second one says so and exits.\n"
    "Exit status: 0 after a stop, 1 when the service may not or cannot start or\n"
    "another host runs, 2 on a wrong argument.\n";

std::string ExecutableFolder() {
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (n <= 0) return ".";
    std::string text(path, static_cast<size_t>(n));
    const size_t slash = text.rfind('/');
    return slash == std::string::npos ? "." : text.substr(0, slash);
}

struct Service {
    CanStartFunction canStart = nullptr;
    EntryFunction start = nullptr, stop = nullptr, pause = nullptr, resume = nullptr;
};

bool Load(const std::string& path, Service& service) {
    void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        std::fprintf(stderr, "dropwell-host: cannot load %s: %s\n", path.c_str(), ::dlerror());
        return false;
    }
    // CanStartService is exported with C++ linkage, the others without.
    service.canStart = reinterpret_cast<CanStartFunction>(::dlsym(library, "_Z15CanStartServicev"));
    service.start = reinterpret_cast<EntryFunction>(::dlsym(library, "Start"));
    service.stop = reinterpret_cast<EntryFunction>(::dlsym(library, "Stop"));
    service.pause = reinterpret_cast<EntryFunction>(::dlsym(library, "Pause"));
    service.resume = reinterpret_cast<EntryFunction>(::dlsym(library, "Resume"));
    if (!service.canStart || !service.start || !service.stop || !service.pause || !service.resume) {
        std::fprintf(stderr, "dropwell-host: %s lacks an entry point of the service\n", path.c_str());
        return false;
    }
    return true;
}

// Holds this user's host lock of the root for the life of the process: a file
// in the service folder (which CanStartService has made), locked with flock.
// The folder is shared by every user, so the file is opened without following
// a link and must be a plain file of this user. Prints why when it fails.
bool LockHost() {
    const std::string folder = veqplatform::UnderRoot("/Library/Application Support/Veqora/Dropwell");
    const std::string path = folder + "/dropwell-host-" + std::to_string(::geteuid()) + ".lock";
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid() ||
        info.st_nlink != 1) {
        std::fprintf(stderr, "dropwell-host: %s is not a lock file of this user (%s); the service does not start\n",
                     path.c_str(), fd < 0 ? std::strerror(errno) : "another kind of file or owner");
        if (fd >= 0) ::close(fd);
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        char holder[32] = {};
        const ssize_t n = ::pread(fd, holder, sizeof holder - 1, 0);
        std::fprintf(stderr, "dropwell-host: another dropwell-host (pid %s) already runs for this user on this root\n",
                     n > 0 ? holder : "unknown");
        ::close(fd);
        return false;
    }
    // The holder's pid, for the message of a second host.
    const std::string pid = std::to_string(::getpid());
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, pid.data(), pid.size(), 0) < 0) {
        // The lock holds without the pid; only the message of a second host lacks it.
    }
    return true;  // the descriptor stays open, and locked, until the process ends
}

// Whether Start has returned, for the thread that stops the service.
class StartState {
public:
    void Returned() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_returned = true;
        m_changed.notify_all();
    }
    bool WaitReturned(std::chrono::milliseconds timeout) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [this] { return m_returned; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_returned = false;
};

// Stops the service; returns once Start has returned. A stop that does not end
// in time ends the process (see the top of this file).
void StopService(const Service& service, StartState& start) {
    // A stop that comes while Start is still setting up is made again.
    std::thread stopper([&] {
        do {
            service.stop();
        } while (!start.WaitReturned(std::chrono::milliseconds(50)));
    });
    if (!start.WaitReturned(kStopDeadline)) {
        std::fprintf(stderr, "dropwell-host: the service did not stop within %lld s; ending without waiting for it\n",
                     static_cast<long long>(kStopDeadline.count()));
        std::fflush(nullptr);
        ::_exit(0);
    }
    stopper.join();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        const bool help = argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0);
        std::fputs(kUsage, help ? stdout : stderr);
        return help ? 0 : 2;
    }
    // The signals are taken by sigwait on this thread only; every thread made
    // from here on inherits the mask.
    sigset_t signals;
    sigemptyset(&signals);
    for (int s : {SIGUSR1, SIGUSR2, SIGTERM, SIGINT}) sigaddset(&signals, s);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    const std::string library = ExecutableFolder() + "/../lib/libDropwell.so";
    Service service;
    if (!Load(library, service)) return 1;
    if (!service.canStart()) {
        std::fprintf(stderr, "dropwell-host: ServiceStatus.xml does not let the service start\n");
        return 1;
    }
    if (!LockHost()) return 1;
    std::atomic<bool> stopRequested{false};
    StartState startState;
    std::thread signalThread([&] {
        for (;;) {
            int received = 0;
            if (sigwait(&signals, &received) != 0) continue;
            if (received == SIGUSR1) {
                service.pause();
            } else if (received == SIGUSR2) {
                service.resume();
            } else {
                stopRequested = true;
                StopService(service, startState);
                return;
            }
        }
    });
    std::fprintf(stderr, "dropwell-host: service started (pid %d)\n", static_cast<int>(::getpid()));
    service.start();
    startState.Returned();
    if (!stopRequested) {
        std::fprintf(stderr, "dropwell-host: the service did not start\n");
        pthread_kill(signalThread.native_handle(), SIGTERM);
        signalThread.join();
        return 1;
    }
    signalThread.join();
    std::fprintf(stderr, "dropwell-host: service stopped\n");
    // The library stays loaded: its objects are torn down with the process.
    return 0;
}
