#include "TestSupport.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <grp.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace veqtest {

std::string SandboxDir() {
    const char* t = std::getenv("TMPDIR");
    return (t && *t) ? t : "/tmp";
}

TempDir::TempDir() {
    std::string pattern = SandboxDir() + "/veqtest-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
    m_path = buf.data();
}

TempDir::~TempDir() {
    std::string cmd = "rm -rf '" + m_path + "'";
    if (std::system(cmd.c_str()) != 0) {
        // Nothing to do: the sandbox itself is removed after the test.
    }
}

SmallDisk::SmallDisk(std::size_t sizeBytes) {
    const std::string options = "size=" + std::to_string(sizeBytes) + ",mode=0755";
    m_mounted = ::mount("tmpfs", m_folder.Path().c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0;
}

SmallDisk::~SmallDisk() {
    if (m_mounted) ::umount2(m_folder.Path().c_str(), MNT_DETACH);
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* directory = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(directory)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        ::closedir(directory);
    }
    std::sort(names.begin(), names.end());
    return names;
}

ScopedEnv::ScopedEnv(const std::string& name, const char* value) : m_name(name) {
    const char* old = std::getenv(name.c_str());
    m_had = old != nullptr;
    if (old) m_old = old;
    if (value) setenv(name.c_str(), value, 1);
    else unsetenv(name.c_str());
}

ScopedEnv::~ScopedEnv() {
    if (m_had) setenv(m_name.c_str(), m_old.c_str(), 1);
    else unsetenv(m_name.c_str());
}

namespace {

ChildResult WaitChild(pid_t pid, int readFd, int timeoutSeconds) {
    ChildResult result;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    char buf[4096];
    bool open = true;
    while (open) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) {
            kill(pid, SIGKILL);
            result.output += "\n[killed: time-out]\n";
            break;
        }
        pollfd p{readFd, POLLIN, 0};
        int r = poll(&p, 1, static_cast<int>(left > 200 ? 200 : left));
        if (r > 0) {
            ssize_t n = read(readFd, buf, sizeof buf);
            if (n > 0) result.output.append(buf, static_cast<size_t>(n));
            else open = false;
        }
    }
    close(readFd);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) {
        result.exited = true;
        result.status = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.status = WTERMSIG(status);
    }
    return result;
}

}  // namespace

ChildResult RunInChild(const std::function<int()>& body, int timeoutSeconds) {
    int fds[2];
    if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
    fflush(stdout);
    fflush(stderr);
    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        close(fds[0]);
        dup2(fds[1], 1);
        dup2(fds[1], 2);
        close(fds[1]);
        int rc = 1;
        try {
            rc = body();
        } catch (const std::exception& e) {
            fprintf(stderr, "child threw: %s\n", e.what());
            rc = 99;
        }
        fflush(stdout);
        fflush(stderr);
        exit(rc);  // runs atexit work and static destructors, as a real process end does
    }
    close(fds[1]);
    return WaitChild(pid, fds[0], timeoutSeconds);
}

void GiveToUnprivilegedUser(const std::string& path, bool recursive) {
    if (::geteuid() != 0) return;
    // Links are handed over themselves, never what they point to.
    const auto give = [](const char* name, const struct stat*, int, FTW*) {
        return ::lchown(name, kUnprivilegedId, kUnprivilegedId);
    };
    const int failed = recursive ? ::nftw(path.c_str(), give, 16, FTW_PHYS)
                                 : ::lchown(path.c_str(), kUnprivilegedId, kUnprivilegedId);
    if (failed != 0) throw std::runtime_error("could not hand over " + path);
    // Every folder above must be searchable for the user to reach path.
    std::string folder = path;
    for (auto slash = folder.rfind('/'); slash != std::string::npos && slash > 0; slash = folder.rfind('/')) {
        folder.erase(slash);
        struct stat st {};
        if (::stat(folder.c_str(), &st) == 0 && (st.st_mode & S_IXOTH) == 0)
            ::chmod(folder.c_str(), (st.st_mode & 07777) | S_IXOTH);
    }
}

ChildResult RunAsUnprivileged(const std::function<int()>& body, int timeoutSeconds) {
    return RunInChild(
        [&body]() {
            if (::geteuid() == 0) {
                if (::setgroups(0, nullptr) != 0 || ::setgid(kUnprivilegedId) != 0 ||
                    ::setuid(kUnprivilegedId) != 0) {
                    fprintf(stderr, "could not drop to the unprivileged user\n");
                    return 98;
                }
            }
            return body();
        },
        timeoutSeconds);
}

int CallAsUnprivileged(const std::function<int()>& body) {
    if (::geteuid() != 0) return body();
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(::getgroups(0, nullptr), 0)));
    if (::getgroups(static_cast<int>(groups.size()), groups.data()) < 0) groups.clear();
    const gid_t group = ::getgid();
    const auto restore = [&] {
        if (::setresuid(0, 0, 0) != 0 || ::setresgid(group, group, group) != 0 ||
            ::setgroups(groups.size(), groups.data()) != 0)
            std::abort();  // the rest of the test must not run as another user
    };
    // The super-user stays the saved identity, so that it can come back.
    if (::setgroups(0, nullptr) != 0 || ::setresgid(kUnprivilegedId, kUnprivilegedId, group) != 0 ||
        ::setresuid(kUnprivilegedId, kUnprivilegedId, 0) != 0) {
        restore();
        throw std::runtime_error("could not take the unprivileged user's identity");
    }
    int result = 0;
    try {
        result = body();
    } catch (...) {
        restore();
        throw;
    }
    restore();
    return result;
}

ChildResult RunProgram(const std::vector<std::string>& argv,
                       const std::vector<std::pair<std::string, std::string>>& env,
                       int timeoutSeconds) {
    int fds[2];
    if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        close(fds[0]);
        dup2(fds[1], 1);
        dup2(fds[1], 2);
        close(fds[1]);
        int devnull = open("/dev/null", O_RDONLY);
        if (devnull >= 0) dup2(devnull, 0);
        for (const auto& kv : env) setenv(kv.first.c_str(), kv.second.c_str(), 1);
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        fprintf(stderr, "exec %s failed: %s\n", args[0], strerror(errno));
        _exit(127);
    }
    close(fds[1]);
    return WaitChild(pid, fds[0], timeoutSeconds);
}

int FreeLoopbackPort(const std::string& address) {
    int s = socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0) return -1;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = 0;
    inet_pton(AF_INET, address.c_str(), &a.sin_addr);
    int port = -1;
    if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
        socklen_t len = sizeof a;
        if (getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) == 0) port = ntohs(a.sin_port);
    }
    close(s);
    return port;
}

bool WaitFor(const std::function<bool()>& predicate, std::chrono::milliseconds timeout,
             std::chrono::milliseconds step) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        if (predicate()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return predicate();
        std::this_thread::sleep_for(step);
    }
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

bool FileExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

std::string BuildDir() {
    const char* b = std::getenv("VEQ_BUILD_DIR");
    return b ? b : "";
}

}  // namespace veqtest
