// Runs tasks on a shared pool one at a time, in the order they were posted:
// a single drain task takes them from the queue until it is empty.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "ThreadPool.h"

class OrderedTaskQueue {
public:
    OrderedTaskQueue();

    // Queues task; keepAlive is held by the drain task while it runs (the
    // owner of this queue, so that it outlives its own tasks). False when the
    // pool refused the drain task; the queued tasks are dropped then.
    bool Post(boost::threadpool::pool& pool, std::shared_ptr<void> keepAlive,
              std::function<void()> task);

private:
    void Drain();

    std::mutex m_mutex;
    std::deque<std::function<void()>> m_tasks;
    bool m_draining;
};
