// The service's job-event queue: a thread-safe deque and the single worker
// thread that drains it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

#include <wx/thread.h>

// A first-in-first-out queue; each operation locks for its own duration only.
template <typename T>
class DropwellQueueMT {
public:
    void Push(const T& item) {
        std::lock_guard<std::mutex> lock(m_queueLock);
        m_queue.push_back(item);
    }
    T Front() const {
        std::lock_guard<std::mutex> lock(m_queueLock);
        return m_queue.front();
    }
    void Pop() {
        std::lock_guard<std::mutex> lock(m_queueLock);
        if (!m_queue.empty()) m_queue.pop_front();
    }
    bool IsEmtpy() const {
        std::lock_guard<std::mutex> lock(m_queueLock);
        return m_queue.empty();
    }
    size_t Size() const {
        std::lock_guard<std::mutex> lock(m_queueLock);
        return m_queue.size();
    }

private:
    std::deque<T> m_queue;
    mutable std::mutex m_queueLock;
};

// The worker thread of the queue: runs entry(arg) once. Joinable, so that the
// service's stop can wait for it before the library is torn down.
class JobQueueThread : public wxThread {
public:
    using EntryFunction = void* (*)(void*);
    JobQueueThread(EntryFunction entry, void* arg) : wxThread(wxTHREAD_JOINABLE), m_entry(entry), m_arg(arg) {}

protected:
    ExitCode Entry() override { return m_entry(m_arg); }

private:
    EntryFunction m_entry;
    void* m_arg;
};

// The queue with its worker and its wake-up. The stop request is part of the
// wait's predicate, so neither a queued event nor the stop is ever missed.
template <typename T>
class DropwellMailBoxJobQueue : public DropwellQueueMT<T> {
public:
    ~DropwellMailBoxJobQueue() { StopProcessJobThread(); }

    void Add(const T& item) {
        this->Push(item);
        std::lock_guard<std::mutex> lock(m_waitMutex);
        m_waitCond.notify_all();
    }

    // Sleeps until the queue holds an event or the worker is asked to end.
    void WaitForQEvent() {
        std::unique_lock<std::mutex> lock(m_waitMutex);
        m_waitCond.wait(lock, [this] { return m_stopWorker.load() || !this->IsEmtpy(); });
    }

    // Whether the worker has been asked to end.
    bool WorkerStopRequested() const { return m_stopWorker.load(); }

    bool StartProcessJobThread(JobQueueThread::EntryFunction entry, void* arg) {
        m_stopWorker = false;
        auto thread = std::make_unique<JobQueueThread>(entry, arg);
        if (thread->Create() != wxTHREAD_NO_ERROR || thread->Run() != wxTHREAD_NO_ERROR) return false;
        m_jobThread = std::move(thread);
        return true;
    }

    // Asks the worker to end, wakes it and waits until it has ended.
    bool StopProcessJobThread() {
        {
            std::lock_guard<std::mutex> lock(m_waitMutex);
            m_stopWorker = true;
            m_waitCond.notify_all();
        }
        if (m_jobThread) {
            m_jobThread->Wait();
            m_jobThread.reset();
        }
        return true;
    }

private:
    std::unique_ptr<JobQueueThread> m_jobThread;
    std::mutex m_waitMutex;
    std::condition_variable m_waitCond;
    std::atomic<bool> m_stopWorker{false};
};
