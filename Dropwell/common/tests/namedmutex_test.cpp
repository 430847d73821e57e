// The machine-wide lock: its system name per root, exclusion between
// processes, a holder killed while holding it, and a semaphore that cannot be
// opened.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <semaphore.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "StoreTestSupport.h"
#include "named_mutex.h"

using namespace storetest;

namespace {

// The name a fresh process gives the lock under the root value.
std::string NameUnderRoot(const char* root) {
    const std::string out = veqtest::SandboxDir() + "/name.txt";
    const veqtest::ChildResult child = veqtest::RunInChild([root, out] {
        if (root) setenv("VEQ_ROOT", root, 1); else unsetenv("VEQ_ROOT");
        veqtest::WriteFile(out, named_mutex::SystemName("VEQ_XML_MUTEX"));
        return 0;
    });
    return child.exited && child.status == 0 ? veqtest::ReadFile(out) : "child failed";
}

TEST(NamedMutexName, EachRootIsItsOwnMachine) {
    veqtest::TempDir a;
    veqtest::TempDir b;
    ASSERT_EQ(symlink(a.Path().c_str(), (b / "link").c_str()), 0);
    EXPECT_EQ(NameUnderRoot(nullptr), "/VEQ_XML_MUTEX");
    EXPECT_EQ(NameUnderRoot("/"), "/VEQ_XML_MUTEX");
    EXPECT_EQ(NameUnderRoot(""), "/VEQ_XML_MUTEX");
    const std::string nameA = NameUnderRoot(a.Path().c_str());
    EXPECT_EQ(nameA.compare(0, 15, "/VEQ_XML_MUTEX_"), 0) << nameA;
    EXPECT_LE(nameA.size(), 40u);
    EXPECT_NE(nameA, NameUnderRoot(b.Path().c_str()));
    // The same root however it is written.
    EXPECT_EQ(nameA, NameUnderRoot((a.Path() + "/").c_str()));
    EXPECT_EQ(nameA, NameUnderRoot((b / "link").c_str()));
}

class NamedMutexTest : public ::testing::Test {
protected:
    void SetUp() override { named_mutex::SetWaitTimeout(std::chrono::milliseconds(300)); }
    SemaphoreCleanup m_cleanup;
};

// A child that takes the lock, marks the file, waits, and checks nobody else
// came in meanwhile.
int Critical(named_mutex& mutex, const std::string& marker) {
    if (!mutex.lock()) return 2;
    int fd = open(marker.c_str(), O_CREAT | O_EXCL | O_WRONLY, 0600);
    if (fd < 0) return 3;
    close(fd);
    usleep(2000);
    unlink(marker.c_str());
    return mutex.unlock() ? 0 : 4;
}

TEST_F(NamedMutexTest, ExcludesOtherProcesses) {
    const std::string marker = veqtest::SandboxDir() + "/inside";
    pid_t children[3];
    for (pid_t& child : children) {
        child = fork();
        if (child == 0) {
            named_mutex mutex("VEQ_XML_MUTEX", 1);
            for (int i = 0; i < 100; ++i)
                if (int failed = Critical(mutex, marker)) _exit(failed);
            _exit(0);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "two processes were inside at once (3) or the lock failed";
    }
}

TEST_F(NamedMutexTest, HolderKilledWhileHoldingDoesNotHangTheNext) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t holder = fork();
    if (holder == 0) {
        named_mutex mutex("VEQ_XML_MUTEX", 1);
        mutex.lock();
        (void)!write(ready[1], "x", 1);
        pause();
        _exit(0);
    }
    char byte;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);

    const veqtest::ChildResult next = veqtest::RunInChild([] {
        named_mutex::SetWaitTimeout(std::chrono::milliseconds(300));
        named_mutex mutex("VEQ_XML_MUTEX", 1);
        if (!mutex.lock() || !mutex.unlock()) return 1;
        // Given back: the one after does not wait at all.
        named_mutex::SetWaitTimeout(std::chrono::milliseconds(0));
        return mutex.lock() && mutex.unlock() ? 0 : 2;
    }, 20);
    ASSERT_TRUE(next.exited) << "the next process hung";
    EXPECT_EQ(next.status, 0);
    EXPECT_EQ(LoggedCount("by a process that has ended; taking it over"), 1) << "taken over once, then given back";
}

TEST_F(NamedMutexTest, SemaphoreThatCannotBeOpenedFallsBackToTheFileLock) {
    const std::string marker = veqtest::SandboxDir() + "/inside";
    const std::string lockFile = veqtest::SandboxDir() + "/fallback.lock";
    pid_t children[2];
    for (pid_t& child : children) {
        child = fork();
        if (child == 0) {
            // A second "/" makes the name invalid for sem_open.
            named_mutex mutex("bad/name", 1, wxString::FromUTF8(lockFile));
            for (int i = 0; i < 100; ++i) {
                mutex.lock();
                int fd = open(marker.c_str(), O_CREAT | O_EXCL | O_WRONLY, 0600);
                if (fd < 0) _exit(3);
                close(fd);
                usleep(1000);
                unlink(marker.c_str());
                mutex.unlock();
            }
            _exit(0);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_TRUE(Logged("sem_open failed for "));
}

// The lock file is open to every user: one that keeps it locked (here a bare
// flock, as any local program may take) delays the others by the time-out,
// never for good, and the lock works again once it lets go.
TEST_F(NamedMutexTest, AFileLockKeptByAnotherProgramIsWaitedForNoLongerThanTheTimeOut) {
    const std::string lockFile = veqtest::SandboxDir() + "/kept.lock";
    int ready[2], release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    const pid_t holder = fork();
    if (holder == 0) {
        const int fd = open(lockFile.c_str(), O_RDONLY | O_CREAT, 0666);
        if (fd < 0 || flock(fd, LOCK_EX) != 0) _exit(1);
        (void)!write(ready[1], "x", 1);
        char byte;
        (void)!read(release[0], &byte, 1);
        _exit(0);
    }
    char byte;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);

    const veqtest::ChildResult waiting = veqtest::RunInChild([lockFile] {
        named_mutex::SetWaitTimeout(std::chrono::milliseconds(300));
        named_mutex mutex("VEQ_XML_MUTEX", 1, wxString::FromUTF8(lockFile));
        const bool taken = mutex.lock();
        mutex.unlock();
        return taken ? 1 : 0;
    }, 20);
    ASSERT_TRUE(waiting.exited) << "the lock waited for good";
    EXPECT_EQ(waiting.status, 0) << "a kept file lock was reported as taken";
    EXPECT_TRUE(Logged("kept.lock stayed locked for 300 ms; going on without it"));

    ASSERT_EQ(write(release[1], "x", 1), 1);
    waitpid(holder, nullptr, 0);
    const veqtest::ChildResult after = veqtest::RunInChild([lockFile] {
        named_mutex mutex("VEQ_XML_MUTEX", 1, wxString::FromUTF8(lockFile));
        return mutex.lock() && mutex.unlock() ? 0 : 1;
    }, 20);
    ASSERT_TRUE(after.exited);
    EXPECT_EQ(after.status, 0);
}

}  // namespace
