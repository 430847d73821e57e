#include "BackgroundWorker.h"

#include <algorithm>
#include <exception>

#include "Logger.h"

BackgroundWorker::BackgroundWorker() : m_thread([this]() { Run(); }) {}

BackgroundWorker::~BackgroundWorker() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
        m_tasks.erase(std::remove_if(m_tasks.begin(), m_tasks.end(), [](const Task& task) { return !task.kept; }),
                      m_tasks.end());
    }
    m_wake.notify_all();
    m_thread.join();
}

void BackgroundWorker::Post(std::function<void()> task) {
    Queue(std::move(task), false);
}

void BackgroundWorker::PostKept(std::function<void()> task) {
    Queue(std::move(task), true);
}

void BackgroundWorker::Queue(std::function<void()> task, bool kept) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stopping) {
            return;
        }
        m_tasks.push_back({std::move(task), kept});
    }
    m_wake.notify_one();
}

void BackgroundWorker::Run() {
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this]() { return m_stopping || !m_tasks.empty(); });
            if (m_tasks.empty()) {
                return;
            }
            task = std::move(m_tasks.front().run);
            m_tasks.pop_front();
        }
        try {
            task();
        } catch (const std::exception& error) {
            VEQLOG(Error) << "Background task failed: " << error.what();
        }
    }
}
