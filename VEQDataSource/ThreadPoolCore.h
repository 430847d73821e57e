// The shared state of a task pool: the queue, the worker counts and the two
// conditions, all under one recursive monitor. The pool handle and every
// worker hold it through a shared pointer, so it lives until the last worker
// has ended.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include <boost/core/noncopyable.hpp>
#include <boost/thread/condition_variable.hpp>
#include <boost/thread/locks.hpp>
#include <boost/thread/recursive_mutex.hpp>

#include "ThreadPoolWorker.h"

namespace boost {
namespace threadpool {

template <typename Task, template <typename> class SchedulingPolicy,
          template <typename> class SizePolicy, template <typename> class SizePolicyController,
          template <typename> class ShutdownPolicy>
class pool_core
    : public std::enable_shared_from_this<
          pool_core<Task, SchedulingPolicy, SizePolicy, SizePolicyController, ShutdownPolicy>>,
      private boost::noncopyable {
public:
    typedef Task task_type;
    typedef pool_core<Task, SchedulingPolicy, SizePolicy, SizePolicyController, ShutdownPolicy>
        pool_type;
    typedef SchedulingPolicy<task_type> scheduler_type;
    typedef SizePolicy<pool_type> size_policy_type;
    typedef SizePolicyController<size_policy_type> size_controller_type;
    typedef ShutdownPolicy<pool_type> shutdown_policy_type;
    typedef worker_thread<pool_type> worker_type;

    pool_core()
        : m_worker_count(0),
          m_target_worker_count(0),
          m_active_worker_count(0),
          m_size_policy(*this),
          m_terminate_all_workers(false) {}

    size_controller_type size_controller() { return size_controller_type(m_size_policy); }

    // Queues a copy of the task; may be called from any thread, workers included.
    bool schedule(const task_type& task) {
        lock_type lock(m_monitor);
        if (!m_scheduler.push(task)) {
            return false;
        }
        m_task_or_terminate_workers_event.notify_one();
        return true;
    }

    // Blocks until busy workers plus queued tasks are at most taskThreshold.
    // Never call it with 0 from one of the pool's own tasks: it would wait for itself.
    void wait(std::size_t taskThreshold = 0) {
        lock_type lock(m_monitor);
        while (m_active_worker_count + m_scheduler.size() > taskThreshold) {
            m_worker_idle_or_terminated_event.wait(lock);
        }
    }

    bool resize(std::size_t workerCount) {
        lock_type lock(m_monitor);
        if (m_terminate_all_workers) {
            return false;
        }
        m_target_worker_count = workerCount;
        if (m_worker_count > m_target_worker_count) {
            m_task_or_terminate_workers_event.notify_all();
            return true;
        }
        while (m_worker_count < m_target_worker_count) {
            if (!worker_type::create_and_attach(this->shared_from_this())) {
                return false;
            }
            ++m_worker_count;
            ++m_active_worker_count;
        }
        return true;
    }

    // Ends every worker; with waitForWorkers, returns only when each one,
    // idle or busy, has ended and been joined.
    void terminate_all_workers(bool waitForWorkers) {
        std::vector<std::shared_ptr<worker_type>> ended;
        {
            lock_type lock(m_monitor);
            m_terminate_all_workers = true;
            m_target_worker_count = 0;
            m_task_or_terminate_workers_event.notify_all();
            if (!waitForWorkers) {
                return;
            }
            while (m_worker_count > 0) {
                m_worker_idle_or_terminated_event.wait(lock);
            }
            ended.swap(m_terminated_workers);
        }
        for (const std::shared_ptr<worker_type>& worker : ended) {
            worker->join();
        }
    }

    void shutdown() { shutdown_policy_type::shutdown(*this); }

private:
    friend class worker_thread<pool_type>;
    typedef boost::unique_lock<boost::recursive_mutex> lock_type;

    // Runs the next task; false when this worker must end.
    bool execute_task() {
        task_type task;
        {
            lock_type lock(m_monitor);
            if (m_worker_count > m_target_worker_count) {
                return false;
            }
            while (m_scheduler.empty()) {
                if (m_worker_count > m_target_worker_count) {
                    return false;
                }
                --m_active_worker_count;
                m_worker_idle_or_terminated_event.notify_all();
                m_task_or_terminate_workers_event.wait(lock);
                ++m_active_worker_count;
            }
            task = m_scheduler.top();
            m_scheduler.pop();
            // One task fewer is waiting: wait() with a threshold may be satisfied now.
            m_worker_idle_or_terminated_event.notify_all();
        }
        if (task) {
            task();
        }
        return true;
    }

    void worker_destructed(const std::shared_ptr<worker_type>& worker) {
        worker_gone(worker, false);
    }

    // A worker left by an exception is replaced, unless the pool is ending.
    void worker_died_unexpectedly(const std::shared_ptr<worker_type>& worker) {
        worker_gone(worker, true);
    }

    void worker_gone(const std::shared_ptr<worker_type>& worker, bool replace) {
        lock_type lock(m_monitor);
        --m_worker_count;
        --m_active_worker_count;
        m_worker_idle_or_terminated_event.notify_all();
        if (m_terminate_all_workers) {
            m_terminated_workers.push_back(worker);
        } else if (replace) {
            resize(m_worker_count + 1);
        }
    }

    std::size_t m_worker_count;
    std::size_t m_target_worker_count;
    std::size_t m_active_worker_count;  // starting, running a task, or about to wait
    scheduler_type m_scheduler;
    size_policy_type m_size_policy;
    bool m_terminate_all_workers;
    std::vector<std::shared_ptr<worker_type>> m_terminated_workers;

    boost::recursive_mutex m_monitor;
    boost::condition_variable_any m_worker_idle_or_terminated_event;
    boost::condition_variable_any m_task_or_terminate_workers_event;
};

}  // namespace threadpool
}  // namespace boost
