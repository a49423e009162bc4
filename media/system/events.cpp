// The event queue and the polled input state. Every event a backend or a
// timer produces passes through emit_event, which updates the polled state
// (key and button down flags and hit counts, the pointer, the quit flag)
// and appends the event to a ring of 256 waiting events. Main thread only;
// window events come from backend_pump_events, ticks from the timer file.
#include "media/media_internal.h"

enum { KEY_CODES = 256, MOUSE_BUTTONS = 3 };

// --- kept for the run: the queue ---
static TEvent event_ring[EVENT_QUEUE_SIZE];  // waiting events, oldest at ring_head
static int ring_head = 0;                    // index of the oldest waiting event
static int ring_count = 0;                   // events waiting, 0 .. EVENT_QUEUE_SIZE
static TEvent current;                       // the event last taken by wait_event

// --- kept for the run: the polled state ---
static bool key_is_down[KEY_CODES];               // by key code
static int key_hits[KEY_CODES];                   // presses that found the key up, since last read
static bool button_is_down[MOUSE_BUTTONS + 1];    // by button 1..3; 0 unused
static int button_hits[MOUSE_BUTTONS + 1];        // presses that found the button up
static int pointer_pos_x = 0, pointer_pos_y = 0;  // window pixels, from the latest 1027
static bool quit_flag = false;                    // a close request not yet read

// ---------------------------------------------------------------------------
// Production
// ---------------------------------------------------------------------------

static void update_polled_state(const TEvent& e) {
    switch (e.id) {
    case EVENT_KEY_DOWN:
        if (e.data >= 0 && e.data < KEY_CODES) {
            if (!key_is_down[e.data]) key_hits[e.data]++;
            key_is_down[e.data] = true;
        }
        break;
    case EVENT_KEY_UP:
        if (e.data >= 0 && e.data < KEY_CODES) key_is_down[e.data] = false;
        break;
    case EVENT_MOUSE_DOWN:
        if (e.data >= 1 && e.data <= MOUSE_BUTTONS) {
            if (!button_is_down[e.data]) button_hits[e.data]++;
            button_is_down[e.data] = true;
        }
        break;
    case EVENT_MOUSE_UP:
        if (e.data >= 1 && e.data <= MOUSE_BUTTONS) button_is_down[e.data] = false;
        break;
    case EVENT_MOUSE_MOVE:
        pointer_pos_x = e.x;
        pointer_pos_y = e.y;
        break;
    case EVENT_QUIT: quit_flag = true; break;
    default: break;
    }
}

// A tick of a timer whose earlier tick still waits replaces that tick's
// data instead of queueing, so a stalled loop finds one tick per timer.
static bool merge_waiting_tick(const TEvent& e) {
    for (int i = 0; i < ring_count; i++) {
        TEvent& waiting = event_ring[(ring_head + i) % EVENT_QUEUE_SIZE];
        if (waiting.id == EVENT_TIMER_TICK && waiting.source == e.source) {
            waiting = e;
            return true;
        }
    }
    return false;
}

void emit_event(const TEvent& event) {
    update_polled_state(event);
    if (event.id == EVENT_TIMER_TICK && merge_waiting_tick(event)) return;
    if (ring_count >= EVENT_QUEUE_SIZE) return;  // full: dropped
    event_ring[(ring_head + ring_count) % EVENT_QUEUE_SIZE] = event;
    ring_count++;
}

int events_waiting() { return ring_count; }

void press_mouse_button(int button, bool down) {
    if (button < 1 || button > MOUSE_BUTTONS) return;
    backend_pump_events(false);  // motion the window system has ready comes first
    TEvent e;
    e.id = down ? EVENT_MOUSE_DOWN : EVENT_MOUSE_UP;
    e.data = button;
    e.x = pointer_pos_x;
    e.y = pointer_pos_y;
    emit_event(e);
}

// ---------------------------------------------------------------------------
// The queue
// ---------------------------------------------------------------------------

int wait_event() {
    deliver_timer_ticks();
    backend_pump_events(false);
    while (ring_count == 0) {
        backend_pump_events(true);
        deliver_timer_ticks();
    }
    current = event_ring[ring_head];
    ring_head = (ring_head + 1) % EVENT_QUEUE_SIZE;
    ring_count--;
    return current.id;
}

int event_id() { return current.id; }
int event_data() { return current.data; }
const TEvent& current_event() { return current; }

// ---------------------------------------------------------------------------
// Polled input. Each read first takes in what the window system has ready.
// ---------------------------------------------------------------------------

int key_presses(int key) {
    backend_pump_events(false);
    if (key < 0 || key >= KEY_CODES) return 0;
    int n = key_hits[key];
    key_hits[key] = 0;
    return n;
}

int button_presses(int button) {
    backend_pump_events(false);
    if (button < 1 || button > MOUSE_BUTTONS) return 0;
    int n = button_hits[button];
    button_hits[button] = 0;
    return n;
}

bool key_down(int key) {
    backend_pump_events(false);
    if (key < 0 || key >= KEY_CODES) return false;
    return key_is_down[key];
}

// Typed characters (515) are not buffered anywhere but the queue, which
// stays as it is: the main loop still sees the key that ended the wait.
int wait_any_key() {
    for (int k = 0; k < KEY_CODES; k++) {
        key_hits[k] = 0;
        key_is_down[k] = false;
    }
    for (;;) {
        backend_pump_events(true);
        deliver_timer_ticks();
        for (int k = 1; k < KEY_CODES; k++) {
            if (key_hits[k] > 0) {
                key_hits[k] = 0;
                return k;
            }
        }
    }
}

int pointer_x() {
    backend_pump_events(false);
    return pointer_pos_x;
}

int pointer_y() {
    backend_pump_events(false);
    return pointer_pos_y;
}

bool quit_requested() {
    backend_pump_events(false);
    bool q = quit_flag;
    quit_flag = false;
    return q;
}
