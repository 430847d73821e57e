// One worker thread of the task pool: runs tasks until the pool lets it go.
#pragma once

#include <memory>

#include <boost/bind/bind.hpp>
#include <boost/core/noncopyable.hpp>
#include <boost/thread/exceptions.hpp>
#include <boost/thread/thread.hpp>

namespace boost {
namespace threadpool {

template <typename Pool>
class worker_thread : public std::enable_shared_from_this<worker_thread<Pool>>,
                      private boost::noncopyable {
public:
    // Starts a worker on a new thread; false when the thread cannot be made.
    static bool create_and_attach(const std::shared_ptr<Pool>& pool) {
        std::shared_ptr<worker_thread> worker(new worker_thread(pool));
        try {
            worker->m_thread.reset(
                new boost::thread(boost::bind(&worker_thread::run, worker)));
        } catch (const boost::thread_resource_error&) {
            return false;
        }
        return true;
    }

    void join() { m_thread->join(); }

private:
    explicit worker_thread(const std::shared_ptr<Pool>& pool) : m_pool(pool) {}

    // Reports an abnormal end when the loop is left by an exception.
    class died_guard {
    public:
        explicit died_guard(worker_thread& worker) : m_worker(worker), m_armed(true) {}
        ~died_guard() {
            if (m_armed) {
                m_worker.report_died();
            }
        }
        void disarm() { m_armed = false; }

    private:
        worker_thread& m_worker;
        bool m_armed;
    };

    void report_died() { m_pool->worker_died_unexpectedly(this->shared_from_this()); }

    void run() {
        died_guard guard(*this);
        while (m_pool->execute_task()) {
        }
        guard.disarm();
        m_pool->worker_destructed(this->shared_from_this());
    }

    std::shared_ptr<Pool> m_pool;
    std::unique_ptr<boost::thread> m_thread;
};

}  // namespace threadpool
}  // namespace boost
