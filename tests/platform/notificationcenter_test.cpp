#include "notificationcenter.h"

#include <gtest/gtest.h>
#include <thread>

TEST(NotificationCenter, DeliversOnThePostingThreadToObserversOfThatNameWhileObserved) {
    NotificationCenter center;
    std::thread::id deliveredOn;
    int calls = 0;
    auto observation = center.addObserver("ping", [&] {
        ++calls;
        deliveredOn = std::this_thread::get_id();
    });
    auto other = center.addObserver("pong", [] { FAIL() << "wrong name delivered"; });

    std::thread poster([&] { center.post("ping"); });
    const std::thread::id posterId = poster.get_id();
    poster.join();
    EXPECT_EQ(deliveredOn, posterId);

    observation.reset();
    center.post("ping");
    EXPECT_EQ(calls, 1);
}

TEST(NotificationCenter, HandlerMayRemoveItselfAndObservationMayOutliveTheCenter) {
    std::unique_ptr<NotificationCenter::Observation> observation;
    {
        NotificationCenter center;
        int calls = 0;
        observation = center.addObserver("ping", [&] {
            ++calls;
            observation.reset();
        });
        center.post("ping");
        center.post("ping");
        EXPECT_EQ(calls, 1);
        observation = center.addObserver("ping", [] {});
    }
    observation.reset(); // the center is gone already: must not touch it
}
