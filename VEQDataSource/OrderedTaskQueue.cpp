#include "OrderedTaskQueue.h"

OrderedTaskQueue::OrderedTaskQueue() : m_draining(false) {}

bool OrderedTaskQueue::Post(boost::threadpool::pool& pool, std::shared_ptr<void> keepAlive,
                            std::function<void()> task) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_tasks.push_back(std::move(task));
        if (m_draining) {
            return true;
        }
        m_draining = true;
    }
    if (pool.schedule([this, keepAlive]() { Drain(); })) {
        return true;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_tasks.clear();
    m_draining = false;
    return false;
}

void OrderedTaskQueue::Drain() {
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_tasks.empty()) {
                m_draining = false;
                return;
            }
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        task();
    }
}
