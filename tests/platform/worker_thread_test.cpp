// A worker thread that its window waits for with a time-out, and may leave behind.

#include "platform/worker_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>

TEST(WorkerThread, WaitEndsWhenTheWorkEndsOrTheTimeRunsOut) {
    WorkerThread worker;
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_TRUE(worker.WaitFor(0));  // nothing started

    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    const int before = RunningWorkerThreads();
    ASSERT_TRUE(worker.Start([released] { released.wait(); }));
    EXPECT_TRUE(worker.IsRunning());
    EXPECT_EQ(RunningWorkerThreads(), before + 1);
    // One worker per handle at a time.
    EXPECT_FALSE(worker.Start([] {}));

    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(worker.WaitFor(50));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));

    release.set_value();
    EXPECT_TRUE(worker.WaitFor(10000));
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_EQ(RunningWorkerThreads(), before);
}

TEST(WorkerThread, WhatTheWorkHoldsIsReleasedBeforeTheEndIsSignalled) {
    auto shared = std::make_shared<int>(7);
    const std::weak_ptr<int> watch = shared;
    WorkerThread worker;
    ASSERT_TRUE(worker.Start([held = std::move(shared)] { EXPECT_EQ(*held, 7); }));
    ASSERT_TRUE(worker.WaitFor(10000));
    EXPECT_TRUE(watch.expired());
}

TEST(WorkerThread, ADroppedHandleLeavesTheWorkRunning) {
    std::atomic<bool> done{false};
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    {
        WorkerThread worker;
        ASSERT_TRUE(worker.Start([released, &done] {
            released.wait();
            done = true;
        }));
    }
    release.set_value();
    for (int i = 0; i < 1000 && !done; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(done);
    // A handle reused after its worker ended starts a new one.
    WorkerThread again;
    ASSERT_TRUE(again.Start([] {}));
    EXPECT_TRUE(again.WaitFor(10000));
    EXPECT_TRUE(again.Start([] {}));
    EXPECT_TRUE(again.WaitFor(10000));
}
