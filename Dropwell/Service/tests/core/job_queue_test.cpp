#include "DropwellQueue.h"

#include <gtest/gtest.h>

#include <wx/init.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

// A queue whose worker counts the events it drains until it is asked to end.
class CountingQueue : public DropwellMailBoxJobQueue<int> {
public:
    static void* Drain(void* self) {
        auto* queue = static_cast<CountingQueue*>(self);
        while (!queue->WorkerStopRequested()) {
            queue->WaitForQEvent();
            while (!queue->IsEmtpy()) {
                queue->sum += queue->Front();
                queue->Pop();
                ++queue->handled;
            }
        }
        return nullptr;
    }
    std::atomic<long> sum{0};
    std::atomic<int> handled{0};
};

class JobQueueTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(wxInitialize()); }
    void TearDown() override { wxUninitialize(); }
};

TEST_F(JobQueueTest, EveryEventIsHandledWhateverTheTimingOfItsArrival) {
    CountingQueue queue;
    ASSERT_TRUE(queue.StartProcessJobThread(&CountingQueue::Drain, &queue));
    std::thread producers[4];
    for (auto& producer : producers) {
        producer = std::thread([&] {
            for (int i = 1; i <= 2000; ++i) {
                queue.Add(i);
                if (i % 100 == 0) std::this_thread::sleep_for(std::chrono::microseconds(50));
            }
        });
    }
    for (auto& producer : producers) producer.join();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (queue.handled < 8000 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(queue.handled.load(), 8000);
    EXPECT_EQ(queue.sum.load(), 4L * 2000 * 2001 / 2);
    queue.StopProcessJobThread();
}

TEST_F(JobQueueTest, StopEndsAWorkerThatWaitsForEvents) {
    for (int round = 0; round < 50; ++round) {
        CountingQueue queue;
        ASSERT_TRUE(queue.StartProcessJobThread(&CountingQueue::Drain, &queue));
        if (round % 2) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const auto before = std::chrono::steady_clock::now();
        queue.StopProcessJobThread();
        EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(1)) << round;
    }
}

}  // namespace
