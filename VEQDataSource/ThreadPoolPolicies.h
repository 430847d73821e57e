// Policies of the task pool: the order in which tasks are taken, how its size
// is set, and what its shutdown waits for.
#pragma once

#include <cstddef>
#include <deque>

#include <boost/function.hpp>

namespace boost {
namespace threadpool {

// The task type: a nullary callable holding its bound arguments.
typedef boost::function0<void> task_func;

// First in, first out: tasks are taken from the front and added at the back.
template <typename Task>
class fifo_scheduler {
public:
    typedef Task task_type;

    bool push(const task_type& task) {
        m_queue.push_back(task);
        return true;
    }
    const task_type& top() const { return m_queue.front(); }
    void pop() { m_queue.pop_front(); }
    bool empty() const { return m_queue.empty(); }
    std::size_t size() const { return m_queue.size(); }

private:
    std::deque<task_type> m_queue;
};

// The size is set once, when the pool is made; later requests are refused.
template <typename Pool>
class static_size {
public:
    explicit static_size(Pool& pool) : m_pool(pool), m_sized(false) {}

    bool resize(std::size_t workerCount) {
        if (m_sized) {
            return false;
        }
        m_sized = true;
        return m_pool.resize(workerCount);
    }

private:
    Pool& m_pool;
    bool m_sized;
};

// What a pool handle uses to ask its size policy for a size.
template <typename SizePolicy>
class resize_controller {
public:
    explicit resize_controller(SizePolicy& policy) : m_policy(policy) {}
    bool resize(std::size_t workerCount) { return m_policy.resize(workerCount); }

private:
    SizePolicy& m_policy;
};

// Shutdown runs every queued task, then ends and joins every worker.
template <typename Pool>
class wait_for_all_tasks {
public:
    static void shutdown(Pool& pool) {
        pool.wait(0);
        pool.terminate_all_workers(true);
    }
};

}  // namespace threadpool
}  // namespace boost
