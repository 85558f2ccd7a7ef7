#include "app/event.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using app::Event;
using namespace std::chrono_literals;

TEST(Event, AutoResetIsConsumedByAPollButNotByATest) {
    Event e;
    EXPECT_FALSE(e.is_set());
    EXPECT_FALSE(e.poll());
    e.set();
    e.set();  // a second set before anyone waits changes nothing
    EXPECT_TRUE(e.is_set());
    EXPECT_TRUE(e.is_set());  // looking does not consume
    EXPECT_TRUE(e.poll());
    EXPECT_FALSE(e.poll());  // two sets, one wake-up
    e.set();
    e.reset();
    EXPECT_FALSE(e.poll());
}

TEST(Event, WaitWakesOnSetFromAnotherThread) {
    Event e;
    std::atomic<int> woke{0};
    std::thread waiter([&] {
        e.wait();
        woke = 1;
    });
    std::this_thread::sleep_for(5ms);
    e.set();
    waiter.join();
    EXPECT_EQ(woke.load(), 1);
    EXPECT_FALSE(e.is_set());  // the waiter consumed it
    EXPECT_FALSE(e.wait(1ms));
}

TEST(Event, ManualResetStaysSignalledAndReleasesEveryWaiter) {
    Event e(Event::Reset::Manual);
    std::atomic<int> woke{0};
    std::thread a([&] { woke += e.wait(30s); });
    std::thread b([&] { woke += e.wait(30s); });
    e.set();
    a.join();
    b.join();
    EXPECT_EQ(woke.load(), 2);
    EXPECT_TRUE(e.poll());
    EXPECT_TRUE(e.wait(0ms));
    e.reset();
    EXPECT_FALSE(e.poll());
}
