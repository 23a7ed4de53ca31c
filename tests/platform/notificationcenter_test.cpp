#include "notificationcenter.h"

#include <gtest/gtest.h>
#include <thread>

TEST(NotificationCenter, DeliversOnThePostingThreadToObserversOfThatNameWhileObserved) {
    std::unique_ptr<NotificationCenter::Observation> observation;
    {
        NotificationCenter center;
        std::thread::id deliveredOn;
        int calls = 0;
        observation = center.addObserver("ping", [&] {
            ++calls;
            deliveredOn = std::this_thread::get_id();
            observation.reset(); // a handler may end its own observation
        });
        auto other = center.addObserver("pong", [] { FAIL() << "wrong name delivered"; });

        std::thread poster([&] { center.post("ping"); });
        const std::thread::id posterId = poster.get_id();
        poster.join();
        EXPECT_EQ(deliveredOn, posterId);
        center.post("ping");
        EXPECT_EQ(calls, 1);
        observation = center.addObserver("ping", [] {});
    }
    observation.reset(); // the center is gone already: must not touch it
}
