#include "fairworkpool.h"

#include <condition_variable>
#include <future>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <vector>

using backend::FairWorkPool;

namespace {

// One thread, held by a gate while work is queued: a queue of 5, and 4 a key.
TEST(FairWorkPool, TakesKeysInTurnAndHoldsEachToItsShare) {
    std::mutex mutex;
    std::condition_variable ranOne;
    std::vector<std::string> ran;
    std::size_t accepted = 0;
    FairWorkPool pool(1, 5, 4);
    const auto post = [&](const std::string& key, const std::string& name) {
        const bool queued = pool.tryPost(key, [&, name] {
            const std::lock_guard lock(mutex);
            ran.push_back(name);
            ranOne.notify_one();
        });
        accepted += queued ? 1 : 0;
        return queued;
    };
    std::promise<void> started, open;
    ASSERT_TRUE(pool.tryPost("gate", [&] {
        started.set_value();
        open.get_future().wait();
    }));
    started.get_future().wait();
    for (const char* name : {"a1", "a2", "a3", "a4"}) {
        EXPECT_TRUE(post("a", name)) << name;
    }
    EXPECT_FALSE(post("a", "a5"));
    EXPECT_TRUE(post("b", "b1"));
    EXPECT_FALSE(post("c", "c1"));

    open.set_value();
    {
        std::unique_lock lock(mutex);
        ranOne.wait(lock, [&] { return ran.size() == accepted; });
    }
    // A key's share comes back once its jobs have run; what is queued still runs on join.
    EXPECT_TRUE(post("a", "a6"));
    pool.join();
    EXPECT_FALSE(post("b", "b2"));
    EXPECT_EQ(ran, (std::vector<std::string>{"a1", "b1", "a2", "a3", "a4", "a6"}));
}

} // namespace
