#include "callgate.h"

#include <gtest/gtest.h>
#include <vector>

using namespace backend;

TEST(CallGate, RunsUpToItsConcurrencyQueuesUpToItsLimitAndRefusesTheRest) {
    CallGate gate(2, 1);
    std::vector<CallGate::Slot> running;
    int started = 0;
    const auto call = [&](CallGate::Slot slot) {
        ++started;
        running.push_back(std::move(slot));
    };
    // Ending a call may start the next one, which adds to `running`.
    const auto finishOne = [&] {
        CallGate::Slot slot = std::move(running.front());
        running.erase(running.begin());
        slot.reset();
    };
    EXPECT_TRUE(gate.enter(call));
    EXPECT_TRUE(gate.enter(call));
    EXPECT_TRUE(gate.enter(call));
    EXPECT_FALSE(gate.enter(call));
    EXPECT_EQ(started, 2);
    finishOne();
    EXPECT_EQ(started, 3);
    EXPECT_TRUE(gate.enter(call));
    EXPECT_FALSE(gate.enter(call));
    finishOne();
    finishOne();
    finishOne();
    EXPECT_EQ(started, 4);
    EXPECT_TRUE(running.empty());
    EXPECT_TRUE(gate.enter(call));
    EXPECT_TRUE(gate.enter(call));
    EXPECT_EQ(started, 6);
    finishOne();
    finishOne();
}
