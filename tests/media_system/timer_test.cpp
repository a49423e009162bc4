// Frame timers: ticks arrive as events on the main thread, and a loop that
// stalls finds at most one waiting tick per timer, carrying the count.
#include <gtest/gtest.h>
#include <poll.h>

#include "media/media_internal.h"

namespace {

int ticks_waiting() {
    // The queue only holds ticks here; count them by taking them all.
    int n = 0;
    while (events_waiting() > 0) {
        if (wait_event() == EVENT_TIMER_TICK) n++;
    }
    return n;
}

TEST(Timer, StalledLoopFindsOneTickPerTimerCarryingTheCount) {
    TTimer* fast = create_timer(200);
    TTimer* slow = create_timer(50);
    ASSERT_NE(fast, nullptr);
    ASSERT_NE(slow, nullptr);
    // A stall during which the backend keeps delivering, as flips would.
    for (int i = 0; i < 10; i++) {
        delay(30);
        deliver_timer_ticks();
    }
    ASSERT_EQ(events_waiting(), 2);
    int fast_data = 0, slow_data = 0;
    for (int i = 0; i < 2; i++) {
        ASSERT_EQ(wait_event(), EVENT_TIMER_TICK);
        if (current_event().source == fast) fast_data = event_data();
        if (current_event().source == slow) slow_data = event_data();
    }
    // 300 ms at least have passed: about 60 and 15 ticks.
    EXPECT_GE(fast_data, 50);
    EXPECT_GE(slow_data, 12);
    EXPECT_GT(fast_data, slow_data * 3);
}

TEST(Timer, TickCountFollowsTheRateWithoutDrift) {
    TTimer* timer = create_timer(100);
    ASSERT_NE(timer, nullptr);
    ticks_waiting();
    int start = clock_ms();
    delay(500);
    int elapsed = clock_ms() - start;
    deliver_timer_ticks();
    int data = -1;
    while (events_waiting() > 0)
        if (wait_event() == EVENT_TIMER_TICK && current_event().source == timer) data = event_data();
    // Ticks fall due at fixed times from the start, so a late thread
    // catches up: the count tracks the elapsed time, never more.
    EXPECT_GE(data, 45);
    EXPECT_LE(data, elapsed / 10 + 2);
}

TEST(Timer, WakeDescriptorBecomesReadableWhenATimerTicks) {
    ASSERT_NE(create_timer(100), nullptr);
    deliver_timer_ticks();  // drains what earlier ticks left
    pollfd p = {timer_wake_fd(), POLLIN, 0};
    EXPECT_EQ(poll(&p, 1, 2000), 1);
    ticks_waiting();
}

}  // namespace
