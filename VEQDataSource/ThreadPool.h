// The task pool every server owns: a fixed set of worker threads that take
// nullary tasks from a first-in-first-out queue. Releasing the last handle
// runs every queued task, then ends and joins the workers; never release it,
// or wait(0) on it, from one of its own tasks.
//
//   boost::threadpool::pool pool(2);
//   pool.schedule(boost::bind(&Server::Work, server));
//   pool.wait(0);
#pragma once

#include <cstddef>
#include <memory>

#include <boost/bind/bind.hpp>

#include "ThreadPoolCore.h"
#include "ThreadPoolPolicies.h"

namespace boost {
namespace threadpool {

template <typename Task = task_func, template <typename> class SchedulingPolicy = fifo_scheduler,
          template <typename> class SizePolicy = static_size,
          template <typename> class SizePolicyController = resize_controller,
          template <typename> class ShutdownPolicy = wait_for_all_tasks>
class thread_pool {
public:
    typedef Task task_type;
    typedef pool_core<Task, SchedulingPolicy, SizePolicy, SizePolicyController, ShutdownPolicy>
        pool_core_type;

    explicit thread_pool(std::size_t workerCount)
        : m_core(std::make_shared<pool_core_type>()),
          m_shutdown_controller(static_cast<void*>(nullptr),
                                boost::bind(&pool_core_type::shutdown, m_core)) {
        m_core->size_controller().resize(workerCount);
    }

    bool schedule(const task_type& task) { return m_core->schedule(task); }
    void wait(std::size_t taskThreshold = 0) const { m_core->wait(taskThreshold); }

private:
    std::shared_ptr<pool_core_type> m_core;
    // Its release, with the last handle, runs the core's shutdown.
    std::shared_ptr<void> m_shutdown_controller;
};

typedef thread_pool<task_func, fifo_scheduler, static_size, resize_controller, wait_for_all_tasks>
    fifo_pool;
typedef fifo_pool pool;

}  // namespace threadpool
}  // namespace boost
