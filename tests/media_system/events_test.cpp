// The event queue and the polled input state on the null backend: the
// 256-event limit, tick merging, hit counts of keys and buttons, the
// pointer, the quit flag and the blocking key wait.
#include <gtest/gtest.h>

#include "media/media_internal.h"
#include "media/null/null_backend.h"

namespace {

TEvent make(int id, int data, void* source = nullptr) {
    TEvent e;
    e.id = id;
    e.data = data;
    e.source = source;
    return e;
}

// Every test starts from an empty queue and no unread hits.
class EventsTest : public ::testing::Test {
protected:
    void SetUp() override {
        while (events_waiting() > 0) wait_event();
        for (int k = 0; k < 256; k++) {
            emit_event(make(EVENT_KEY_UP, k));
            key_presses(k);
        }
        for (int b = 1; b <= 3; b++) {
            emit_event(make(EVENT_MOUSE_UP, b));
            button_presses(b);
        }
        quit_requested();
        while (events_waiting() > 0) wait_event();
    }
};

TEST_F(EventsTest, QueueHoldsAtMost256AndDropsTheRest) {
    for (int i = 0; i < 300; i++) emit_event(make(EVENT_KEY_CHAR, i));
    EXPECT_EQ(events_waiting(), EVENT_QUEUE_SIZE);
    for (int i = 0; i < EVENT_QUEUE_SIZE; i++) {
        ASSERT_EQ(wait_event(), EVENT_KEY_CHAR);
        ASSERT_EQ(event_data(), i) << "oldest first, the late ones dropped";
    }
    EXPECT_EQ(events_waiting(), 0);
}

TEST_F(EventsTest, TickOfAWaitingTimerUpdatesItInsteadOfQueueing) {
    int timer_a = 0, timer_b = 0;
    emit_event(make(EVENT_TIMER_TICK, 1, &timer_a));
    emit_event(make(EVENT_KEY_DOWN, KEY_A));
    emit_event(make(EVENT_TIMER_TICK, 2, &timer_a));
    emit_event(make(EVENT_TIMER_TICK, 7, &timer_b));
    emit_event(make(EVENT_TIMER_TICK, 3, &timer_a));
    ASSERT_EQ(events_waiting(), 3);
    EXPECT_EQ(wait_event(), EVENT_TIMER_TICK);
    EXPECT_EQ(event_data(), 3);
    EXPECT_EQ(current_event().source, &timer_a);
    EXPECT_EQ(wait_event(), EVENT_KEY_DOWN);
    EXPECT_EQ(wait_event(), EVENT_TIMER_TICK);
    EXPECT_EQ(event_data(), 7);
    EXPECT_EQ(current_event().source, &timer_b);
    // Once taken, the next tick queues again.
    emit_event(make(EVENT_TIMER_TICK, 4, &timer_a));
    EXPECT_EQ(events_waiting(), 1);
}

TEST_F(EventsTest, TickStillMergesIntoAFullQueue) {
    int timer = 0;
    emit_event(make(EVENT_TIMER_TICK, 1, &timer));
    for (int i = 0; i < 300; i++) emit_event(make(EVENT_KEY_CHAR, i));
    emit_event(make(EVENT_TIMER_TICK, 9, &timer));
    ASSERT_EQ(events_waiting(), EVENT_QUEUE_SIZE);
    EXPECT_EQ(wait_event(), EVENT_TIMER_TICK);
    EXPECT_EQ(event_data(), 9);
}

TEST_F(EventsTest, HeldKeyCountsOncePerPress) {
    emit_event(make(EVENT_KEY_DOWN, KEY_K));
    for (int i = 0; i < 5; i++) emit_event(make(EVENT_KEY_REPEAT, KEY_K));
    EXPECT_TRUE(key_down(KEY_K));
    EXPECT_EQ(key_presses(KEY_K), 1);
    EXPECT_EQ(key_presses(KEY_K), 0);
    emit_event(make(EVENT_KEY_DOWN, KEY_K));  // a press that finds the key down
    EXPECT_EQ(key_presses(KEY_K), 0);
    emit_event(make(EVENT_KEY_UP, KEY_K));
    EXPECT_FALSE(key_down(KEY_K));
    EXPECT_EQ(key_presses(KEY_K), 0);
    emit_event(make(EVENT_KEY_DOWN, KEY_K));
    emit_event(make(EVENT_KEY_UP, KEY_K));
    emit_event(make(EVENT_KEY_DOWN, KEY_K));
    EXPECT_EQ(key_presses(KEY_K), 2);
}

TEST_F(EventsTest, TwoClicksBetweenWaitsGiveTwoPressEventsAndCountTwo) {
    emit_event(make(EVENT_MOUSE_DOWN, 1));
    emit_event(make(EVENT_MOUSE_UP, 1));
    emit_event(make(EVENT_MOUSE_DOWN, 1));
    int presses = 0;
    while (events_waiting() > 0)
        if (wait_event() == EVENT_MOUSE_DOWN && event_data() == 1) presses++;
    EXPECT_EQ(presses, 2);
    EXPECT_EQ(button_presses(1), 2);
    EXPECT_EQ(button_presses(1), 0);
    EXPECT_EQ(button_presses(2), 0);
}

TEST_F(EventsTest, OutOfRangeCodesAreIgnoredSafely) {
    emit_event(make(EVENT_KEY_DOWN, 300));
    emit_event(make(EVENT_KEY_DOWN, -1));
    emit_event(make(EVENT_MOUSE_DOWN, 4));
    emit_event(make(EVENT_MOUSE_DOWN, 0));
    EXPECT_EQ(key_presses(300), 0);
    EXPECT_EQ(key_presses(-1), 0);
    EXPECT_FALSE(key_down(1000));
    EXPECT_EQ(button_presses(4), 0);
    EXPECT_EQ(button_presses(0), 0);
    EXPECT_EQ(events_waiting(), 4);  // still queued for the loop to ignore
}

TEST_F(EventsTest, PointerFollowsTheLatestMotionEvent) {
    TEvent move = make(EVENT_MOUSE_MOVE, 0);
    move.x = 123;
    move.y = 45;
    emit_event(move);
    move.x = 7;
    move.y = 8;
    emit_event(move);
    EXPECT_EQ(pointer_x(), 7);
    EXPECT_EQ(pointer_y(), 8);
    move_mouse(400, 300);
    EXPECT_EQ(pointer_x(), 400);
    EXPECT_EQ(pointer_y(), 300);
}

TEST_F(EventsTest, QuitRequestIsReportedOnce) {
    EXPECT_FALSE(quit_requested());
    emit_event(make(EVENT_QUIT, 0));
    EXPECT_TRUE(quit_requested());
    EXPECT_FALSE(quit_requested());
    EXPECT_EQ(wait_event(), EVENT_QUIT);
}

TEST_F(EventsTest, WaitEventOnAnEmptyQueueNeverHangsOnTheNullBackend) {
    EXPECT_EQ(wait_event(), EVENT_TIMER_TICK);
    EXPECT_EQ(events_waiting(), 0);
}

TEST_F(EventsTest, WaitAnyKeyForgetsEarlierPressesAndReturnsTheLowestNewOne) {
    emit_event(make(EVENT_KEY_DOWN, KEY_A));  // before the wait: forgotten
    // These arrive "from the window" while waiting.
    null_push_window_event(make(EVENT_KEY_DOWN, KEY_Z));
    null_push_window_event(make(EVENT_KEY_DOWN, KEY_B));
    EXPECT_EQ(wait_any_key(), KEY_B);
    EXPECT_FALSE(key_down(KEY_A));
    EXPECT_EQ(key_presses(KEY_A), 0);
    EXPECT_EQ(key_presses(KEY_Z), 1);
    // The key events stay queued for the main loop.
    EXPECT_EQ(wait_event(), EVENT_KEY_DOWN);
    EXPECT_EQ(event_data(), KEY_A);
    EXPECT_EQ(wait_event(), EVENT_KEY_DOWN);
    EXPECT_EQ(event_data(), KEY_Z);
    EXPECT_EQ(wait_event(), EVENT_KEY_DOWN);
    EXPECT_EQ(event_data(), KEY_B);
}

TEST_F(EventsTest, WaitAnyKeyAcceptsAKeyThatWasHeldBeforeTheWait) {
    emit_event(make(EVENT_KEY_DOWN, KEY_ESCAPE));  // held, never released
    null_push_window_event(make(EVENT_KEY_DOWN, KEY_ESCAPE));
    EXPECT_EQ(wait_any_key(), KEY_ESCAPE);  // its down flag was cleared, so this press counts
}

}  // namespace
