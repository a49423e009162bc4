// The keys that stand in for the mouse: the keypad moves the game's pointer
// and presses its buttons, so that everything the mouse does can be done
// from the keyboard. A step moves the system pointer (move_mouse) and a
// button key queues the button's own press and release, so the loop takes
// the motion and the clicks exactly as the mouse's. No screen uses these
// keys otherwise; they never run the command table, so an open question,
// the status line and the tidy count stay as a mouse motion leaves them.
#include "shell/shell.h"

// --- the steps, in display pixels ---
enum {
    STEP_PRESS = 2,   // a press: fine enough to reach any piece's pixel
    STEP_REPEAT = 8,  // each repeat of a held key
    STEP_FAST = 4,    // times either while the keypad's + is held
};

struct pointer_key_type {
    int key;     // KEY_PAD_* code
    int dx, dy;  // the direction of a step; 0, 0 for a button key
    int button;  // the mouse button it presses (1 left, 2 right); 0 for a step
};

static const pointer_key_type pointer_keys[] = {
    {KEY_PAD_1, -1, 1, 0},       // down and left
    {KEY_PAD_2, 0, 1, 0},        // down
    {KEY_PAD_3, 1, 1, 0},        // down and right
    {KEY_PAD_4, -1, 0, 0},       // left
    {KEY_PAD_6, 1, 0, 0},        // right
    {KEY_PAD_7, -1, -1, 0},      // up and left
    {KEY_PAD_8, 0, -1, 0},       // up
    {KEY_PAD_9, 1, -1, 0},       // up and right
    {KEY_PAD_5, 0, 0, 1},        // the left button
    {KEY_PAD_0, 0, 0, 1},        // the left button, for a thumb
    {KEY_PAD_DECIMAL, 0, 0, 2},  // the right button
};

static const pointer_key_type* find_pointer_key(int key) {
    for (const pointer_key_type& row : pointer_keys)
        if (row.key == key) return &row;
    return nullptr;
}

static int clamped(int v, int size) { return v < 0 ? 0 : (v >= size ? size - 1 : v); }

static void step_pointer(const pointer_key_type& row, bool repeat) {
    int step = repeat ? STEP_REPEAT : STEP_PRESS;
    if (key_down(KEY_PAD_PLUS)) step *= STEP_FAST;
    move_mouse(clamped(pointer_x() + row.dx * step, display_width()),
               clamped(pointer_y() + row.dy * step, display_height()));
}

bool pointer_key_event(int id, int key) {
    if (id != EVENT_KEY_DOWN && id != EVENT_KEY_UP && id != EVENT_KEY_REPEAT) return false;
    if (key == KEY_PAD_PLUS) return true;  // read while stepping, does nothing itself
    const pointer_key_type* row = find_pointer_key(key);
    if (!row) return false;
    if (row->button) {
        // A held key repeats; the button stays down until the key is let go.
        if (id != EVENT_KEY_REPEAT) press_mouse_button(row->button, id == EVENT_KEY_DOWN);
    } else if (id != EVENT_KEY_UP) {
        step_pointer(*row, id == EVENT_KEY_REPEAT);
    }
    return true;
}
