// dropwell-host: the process that runs the folder-mapping service. It loads
// libDropwell.so from ../lib relative to itself, asks CanStartService, gives its
// main thread to Start, and turns signals, taken on a thread of their own, into
// the service's entry points: SIGUSR1 Pause, SIGUSR2 Resume, SIGTERM and SIGINT
// Stop. It exits 0 after a clean stop, 1 when the service may not start or
// cannot be loaded. The process ends on the thread that ran Start, the one the
// service's widget library counts as its main thread.
#include <dlfcn.h>
#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

namespace {

using CanStartFunction = bool (*)();
using EntryFunction = void (*)();

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

}  // namespace

int main() {
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
    std::atomic<bool> stopRequested{false}, startReturned{false};
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
                // A stop that comes while Start is still setting up is made again.
                for (service.stop(); !startReturned; service.stop()) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
                }
                return;
            }
        }
    });
    std::fprintf(stderr, "dropwell-host: service started (pid %d)\n", static_cast<int>(::getpid()));
    service.start();
    startReturned = true;
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
