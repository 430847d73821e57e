// Small helpers shared by the tests: sandbox folders, environment, child
// processes for scenarios that depend on singletons or work done at exit,
// free loopback ports and polling with a deadline.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace veqtest {

// The sandbox folder the test runs in (TMPDIR set by scripts/test-sandbox).
std::string SandboxDir();

// A fresh folder below the sandbox, removed with its contents at destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// A fresh folder on a file system of its own that holds only about sizeBytes
// (a tmpfs), so that writes which fill it fail with ENOSPC. Mounting needs
// root: where it is refused, Mounted() is false and the test should skip.
class SmallDisk {
public:
    explicit SmallDisk(std::size_t sizeBytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool Mounted() const { return m_mounted; }
    const std::string& Path() const { return m_folder.Path(); }
    std::string operator/(const std::string& name) const { return m_folder / name; }

private:
    TempDir m_folder;
    bool m_mounted = false;
};

// The names in a folder, sorted, without "." and "..".
std::vector<std::string> FolderEntries(const std::string& folder);

// Sets (or with a null value unsets) an environment variable for the scope.
class ScopedEnv {
public:
    ScopedEnv(const std::string& name, const char* value);
    ~ScopedEnv();

private:
    std::string m_name;
    bool m_had;
    std::string m_old;
};

struct ChildResult {
    bool exited = false;   // ended through exit, not a signal
    int status = -1;       // exit status when exited, else the signal number
    std::string output;    // what the child wrote to stdout and stderr
};

// Runs body in a forked child process and waits for it; the child's exit
// status is body's return value. Used for scenarios whose state is process-wide.
ChildResult RunInChild(const std::function<int()>& body, int timeoutSeconds = 60);

// The ordinary user ("nobody", 65534) that permission cases run as when the
// test runs as root, since permission bits do not bind the super-user.
constexpr unsigned kUnprivilegedId = 65534;

// Lets the unprivileged user reach path: hands path (and, with recursive, all
// below it) to that user and makes every folder above it searchable. Only
// meant for folders inside the test's own sandbox.
void GiveToUnprivilegedUser(const std::string& path, bool recursive = true);

// Runs body in a forked child that, when the test runs as root, has dropped
// to the unprivileged user first (groups, group and user); otherwise as
// RunInChild. Permission cases use it so that they run in CI, which is root.
ChildResult RunAsUnprivileged(const std::function<int()>& body, int timeoutSeconds = 60);

// Calls body in this process with every thread under the unprivileged user's
// identity when the test runs as root, which comes back afterwards; returns
// body's value. For a process that already runs threads (a simulator, a
// pool), whose forked child could stop on a lock another thread held at the
// fork. Only for calls that end at once: the other threads share the identity.
int CallAsUnprivileged(const std::function<int()>& body);

// Runs a program (argv[0] a path) with extra environment, captures its output.
ChildResult RunProgram(const std::vector<std::string>& argv,
                       const std::vector<std::pair<std::string, std::string>>& env = {},
                       int timeoutSeconds = 60);

// A TCP port on the loopback interface that was free a moment ago.
int FreeLoopbackPort(const std::string& address = "127.0.0.1");

// Polls predicate until it holds or the time is up; returns its last answer.
bool WaitFor(const std::function<bool()>& predicate,
             std::chrono::milliseconds timeout = std::chrono::seconds(10),
             std::chrono::milliseconds step = std::chrono::milliseconds(10));

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);
bool FileExists(const std::string& path);

// The build folder (bin/, lib/, root/), from VEQ_BUILD_DIR.
std::string BuildDir();

}  // namespace veqtest
