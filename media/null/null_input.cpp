// The null backend's window events: there is no window, so events come
// from a list a test fills (null_push_window_event) and are emitted on the
// next pump, as pending X events would be. A blocking pump that finds the
// queue empty emits a timer tick at once, so a test loop never hangs and
// never sleeps.
#include <deque>

#include "media/media_internal.h"
#include "media/null/null_backend.h"

// --- kept for the run ---
static std::deque<TEvent> pending_window_events;  // pushed by tests, not yet emitted
static std::deque<TEvent> events_for_waits;       // handed out one per blocking pump
static int fake_ticks = 0;                        // ticks made up by blocking pumps

void null_push_window_event(const TEvent& event) { pending_window_events.push_back(event); }
void null_push_event_for_wait(const TEvent& event) { events_for_waits.push_back(event); }

void backend_pump_events(bool block) {
    while (!pending_window_events.empty()) {
        TEvent e = pending_window_events.front();
        pending_window_events.pop_front();
        emit_event(e);
    }
    // A program that blocks (wait_any_key, wait_event) is where a person
    // would press the key a test has set aside for that moment.
    if (block && !events_for_waits.empty()) {
        TEvent e = events_for_waits.front();
        events_for_waits.pop_front();
        emit_event(e);
        return;
    }
    if (block && events_waiting() == 0) {
        TEvent tick;
        tick.id = EVENT_TIMER_TICK;
        tick.data = ++fake_ticks;
        emit_event(tick);
    }
}

// The pointer "moves" as a warped X pointer does: a motion event follows.
void move_mouse(int x, int y) {
    TEvent e;
    e.id = EVENT_MOUSE_MOVE;
    e.x = x;
    e.y = y;
    emit_event(e);
}
