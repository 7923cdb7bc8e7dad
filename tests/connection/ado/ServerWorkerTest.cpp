#include "ServerWorker.h"

#include <atomic>
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

using namespace velmora::ado;
using namespace std::chrono_literals;

TEST(ServerWorker, RunsEveryJobOnOneThreadOfItsOwn) {
    TServerWorker worker;
    std::thread::id first;
    std::thread::id second;
    worker.Start([&] { first = std::this_thread::get_id(); });
    worker.WaitIdle();
    worker.Start([&] { second = std::this_thread::get_id(); });
    worker.WaitIdle();
    EXPECT_NE(first, std::this_thread::get_id());
    EXPECT_EQ(first, second);
}

TEST(ServerWorker, WaitIdleReturnsOnlyOnceTheJobsCapturesAreGone) {
    TServerWorker worker;
    auto held = std::make_shared<int>(1);
    const std::weak_ptr<int> watch = held;
    worker.Start([held = std::move(held)] { std::this_thread::sleep_for(20ms); });
    worker.WaitIdle();
    EXPECT_TRUE(watch.expired());
}

TEST(ServerWorker, RefusesASecondJobWhileOneRuns) {
    TServerWorker worker;
    std::promise<void> release;
    worker.Start([ended = release.get_future().share()] { ended.wait(); });
    EXPECT_THROW(worker.Start([] {}), std::logic_error);
    release.set_value();
    worker.WaitIdle();
}

// A call that is given up must not hold up the caller: the worker goes at once, and its thread
// finishes the job by itself.
TEST(ServerWorker, LetsGoOfAJobThatStillRuns) {
    std::promise<void> release;
    auto finished = std::make_shared<std::atomic<bool>>(false);
    {
        TServerWorker worker;
        worker.Start([ended = release.get_future().share(), finished] {
            ended.wait();
            *finished = true;
        });
    }
    EXPECT_FALSE(*finished);
    release.set_value();
    for (int tries = 0; tries < 500 && !*finished; ++tries)
        std::this_thread::sleep_for(2ms);
    EXPECT_TRUE(*finished);
}
