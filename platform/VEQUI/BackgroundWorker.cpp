#include "BackgroundWorker.h"

#include <exception>

#include "Logger.h"

BackgroundWorker::BackgroundWorker() : m_thread([this]() { Run(); }) {}

BackgroundWorker::~BackgroundWorker() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
        m_tasks.clear();
    }
    m_wake.notify_all();
    m_thread.join();
}

void BackgroundWorker::Post(std::function<void()> task) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stopping) {
            return;
        }
        m_tasks.push_back(std::move(task));
    }
    m_wake.notify_one();
}

void BackgroundWorker::Run() {
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this]() { return m_stopping || !m_tasks.empty(); });
            if (m_stopping) {
                return;
            }
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        try {
            task();
        } catch (const std::exception& error) {
            VEQLOG(Error) << "Background task failed: " << error.what();
        }
    }
}
