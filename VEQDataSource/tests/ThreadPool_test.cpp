// The per-server task pool: queue order, waiting, shutdown with queued tasks
// and idle workers, and scheduling from inside a task.
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include <gtest/gtest.h>

#include "ThreadPool.h"

namespace {

// Opens once; every waiter passes from then on.
class Gate {
public:
    void Open() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }
    void Pass() {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return m_open; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
};

// Records the order in which tasks ran.
class Journal {
public:
    void Add(int entry) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_entries.push_back(entry);
    }
    std::vector<int> Entries() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_entries;
    }

private:
    std::mutex m_mutex;
    std::vector<int> m_entries;
};

TEST(ThreadPool, StartsTasksInQueueOrder) {
    Journal journal;
    Gate gate;
    {
        boost::threadpool::pool pool(1);
        pool.schedule([&gate] { gate.Pass(); });  // holds the worker until all are queued
        for (int i = 0; i < 10; ++i) {
            pool.schedule([&journal, i] { journal.Add(i); });
        }
        gate.Open();
        pool.wait(0);
    }
    EXPECT_EQ(journal.Entries(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST(ThreadPool, RunsTwoTasksAtOnce) {
    // Each task waits for the other to start: only two workers let both finish.
    Gate firstStarted;
    Gate secondStarted;
    std::atomic<int> finished(0);
    {
        boost::threadpool::pool pool(2);
        pool.schedule([&] {
            firstStarted.Open();
            secondStarted.Pass();
            ++finished;
        });
        pool.schedule([&] {
            secondStarted.Open();
            firstStarted.Pass();
            ++finished;
        });
        pool.wait(0);
    }
    EXPECT_EQ(finished.load(), 2);
}

TEST(ThreadPool, WaitOnAnIdlePoolReturns) {
    boost::threadpool::pool pool(2);
    pool.wait(0);
    pool.wait(0);
    SUCCEED();
}

TEST(ThreadPool, WaitWithThresholdLeavesThatManyTasks) {
    Gate gate;
    std::atomic<int> ran(0);
    boost::threadpool::pool pool(1);
    for (int i = 0; i < 3; ++i) {
        pool.schedule([&] {
            gate.Pass();
            ++ran;
        });
    }
    // One worker is blocked on the gate and two tasks wait: three in all.
    pool.wait(3);
    EXPECT_EQ(ran.load(), 0);
    gate.Open();
    pool.wait(0);
    EXPECT_EQ(ran.load(), 3);
}

TEST(ThreadPool, ReleasingTheHandleRunsEveryQueuedTask) {
    Gate gate;
    std::atomic<int> ran(0);
    {
        boost::threadpool::pool pool(2);
        pool.schedule([&gate] { gate.Pass(); });
        for (int i = 0; i < 20; ++i) {
            pool.schedule([&ran] { ++ran; });
        }
        gate.Open();
    }
    EXPECT_EQ(ran.load(), 20);
}

TEST(ThreadPool, CopiesOfTheHandleShareOnePool) {
    std::atomic<int> ran(0);
    std::unique_ptr<boost::threadpool::pool> copy;
    {
        boost::threadpool::pool pool(2);
        copy.reset(new boost::threadpool::pool(pool));
    }
    // The first handle is gone; the pool still runs work for the copy.
    copy->schedule([&ran] { ++ran; });
    copy->wait(0);
    EXPECT_EQ(ran.load(), 1);
}

TEST(ThreadPool, TaskScheduledFromATaskRunsBehindQueuedOnes) {
    Journal journal;
    Gate gate;
    {
        boost::threadpool::pool pool(1);
        pool.schedule([&] {
            gate.Pass();
            journal.Add(0);
            pool.schedule([&journal] { journal.Add(3); });
        });
        pool.schedule([&journal] { journal.Add(1); });
        pool.schedule([&journal] { journal.Add(2); });
        gate.Open();
        pool.wait(0);
    }
    EXPECT_EQ(journal.Entries(), (std::vector<int>{0, 1, 2, 3}));
}

// Counts worker threads that have run to their very end.
std::atomic<int> s_endedThreads(0);

struct ThreadEndProbe {
    ~ThreadEndProbe() { ++s_endedThreads; }
};

TEST(ThreadPool, ShutdownJoinsIdleWorkersBeforeItReturns) {
    s_endedThreads = 0;
    {
        boost::threadpool::pool pool(2);
        // Both tasks meet, so each worker runs one and leaves a probe behind,
        // then both go idle.
        Gate first;
        Gate second;
        pool.schedule([&] {
            thread_local ThreadEndProbe probe;
            (void)probe;
            first.Open();
            second.Pass();
        });
        pool.schedule([&] {
            thread_local ThreadEndProbe probe;
            (void)probe;
            second.Open();
            first.Pass();
        });
        pool.wait(0);
    }
    // Thread-local objects die when their thread ends, before a join returns.
    EXPECT_EQ(s_endedThreads.load(), 2);
}

}  // namespace
