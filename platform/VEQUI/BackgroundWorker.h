// One thread that runs queued tasks in order, so that calls which wait on the
// network never run on the user-interface thread.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class BackgroundWorker {
public:
    BackgroundWorker();
    // Drops the tasks still queued, except the kept ones, which still run;
    // waits for the task that runs and for those.
    ~BackgroundWorker();
    BackgroundWorker(const BackgroundWorker&) = delete;
    BackgroundWorker& operator=(const BackgroundWorker&) = delete;

    void Post(std::function<void()> task);
    // A task that must run even when the worker goes first (a cancel that the
    // controller has to hear).
    void PostKept(std::function<void()> task);

private:
    struct Task {
        std::function<void()> run;
        bool kept;
    };
    void Queue(std::function<void()> task, bool kept);
    void Run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Task> m_tasks;
    bool m_stopping = false;
    std::thread m_thread;
};
