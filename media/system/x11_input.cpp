// X11 input for the real backend: turns the window's X events into the
// game's events (keys, typed characters, auto-repeat, buttons, wheel,
// motion, the close request), waits on the X connection and the timer,
// and moves or hides the system pointer.
// Depends on Xlib and the display opened by x11_display.cpp.
#include <X11/Xutil.h>
#include <poll.h>

#include "media/draw/x11_backend.h"
#include "media/media_internal.h"

static void emit(int id, int data, int x, int y) {
    TEvent event;
    event.id = id;
    event.data = data;
    event.x = x;
    event.y = y;
    emit_event(event);
}

// True (and the press taken off the queue) when the release is the first
// half of an auto-repeat: a press of the same key at the same time follows.
static bool release_is_repeat(const XKeyEvent& release) {
    if (XEventsQueued(x11_display, QueuedAfterReading) == 0) {
        // The server sends a repeat's release and press together, but a
        // busy machine may let the two reach us in separate reads: give
        // the press a moment to arrive before calling this a real release.
        struct pollfd connection = {ConnectionNumber(x11_display), POLLIN, 0};
        if (poll(&connection, 1, 3) <= 0 || XEventsQueued(x11_display, QueuedAfterReading) == 0) return false;
    }
    XEvent next;
    XPeekEvent(x11_display, &next);
    if (next.type != KeyPress || next.xkey.window != release.window || next.xkey.keycode != release.keycode ||
        next.xkey.time != release.time)
        return false;
    XNextEvent(x11_display, &next);
    return true;
}

static void key_pressed(XKeyEvent& key) {
    int code = key_code_from_keysym(XLookupKeysym(&key, 0));
    emit(EVENT_KEY_DOWN, code, key.x, key.y);
    char typed[16];
    KeySym symbol = 0;
    int count = XLookupString(&key, typed, sizeof typed, &symbol, nullptr);
    for (int i = 0; i < count && i < (int)sizeof typed; i++)
        emit(EVENT_KEY_CHAR, (unsigned char)typed[i], key.x, key.y);
}

// Positions are the display's pixels; on a scaled display a press on the
// bars around it does nothing (a release there still ends a drag, at the
// nearest edge pixel).
static void button_event(const XButtonEvent& button, bool pressed) {
    int x = button.x, y = button.y;
    if (!x11_window_to_display(&x, &y) && pressed) return;
    switch (button.button) {
    case Button1: emit(pressed ? EVENT_MOUSE_DOWN : EVENT_MOUSE_UP, 1, x, y); break;
    case Button3: emit(pressed ? EVENT_MOUSE_DOWN : EVENT_MOUSE_UP, 2, x, y); break;
    case Button2: emit(pressed ? EVENT_MOUSE_DOWN : EVENT_MOUSE_UP, 3, x, y); break;
    case Button4:
        if (pressed) emit(EVENT_MOUSE_WHEEL, 1, x, y);
        break;
    case Button5:
        if (pressed) emit(EVENT_MOUSE_WHEEL, -1, x, y);
        break;
    default:  // side and tilt buttons mean nothing to the game
        break;
    }
}

// Handles one X event; true when it produced a game event.
static bool translate(XEvent& event) {
    if (event.xany.window != x11_window) return false;  // left over from a window closed since
    switch (event.type) {
    case KeyPress: key_pressed(event.xkey); return true;
    case KeyRelease: {
        int code = key_code_from_keysym(XLookupKeysym(&event.xkey, 0));
        bool repeat = release_is_repeat(event.xkey);
        emit(repeat ? EVENT_KEY_REPEAT : EVENT_KEY_UP, code, event.xkey.x, event.xkey.y);
        return true;
    }
    case ButtonPress:
    case ButtonRelease: button_event(event.xbutton, event.type == ButtonPress); return true;
    case MotionNotify: {
        int x = event.xmotion.x, y = event.xmotion.y;
        x11_window_to_display(&x, &y);  // over the bars: the nearest edge pixel
        emit(EVENT_MOUSE_MOVE, 0, x, y);
        return true;
    }
    case ClientMessage:
        if ((Atom)event.xclient.data.l[0] != x11_wm_delete) return false;
        emit(EVENT_QUIT, 0, 0, 0);
        return true;
    case Expose:
        // The window lost part of the shown frame: whoever skips identical
        // frames must draw the next one.
        display_shown_serial++;
        return false;
    case MapNotify:
        // Without a window manager nobody else gives the window the keyboard.
        XSetInputFocus(x11_display, x11_window, RevertToParent, CurrentTime);
        return false;
    default: return false;
    }
}

static bool pump_pending() {
    bool emitted = false;
    while (XPending(x11_display) > 0) {
        XEvent event;
        XNextEvent(x11_display, &event);
        emitted |= translate(event);
    }
    return emitted;
}

void backend_pump_events(bool block) {
    bool open = x11_display && x11_window;
    if (open && pump_pending()) return;
    if (!block) return;
    struct pollfd fds[2];
    int count = 0;
    int timer = timer_wake_fd();
    if (timer >= 0) fds[count++] = {timer, POLLIN, 0};
    if (open) fds[count++] = {ConnectionNumber(x11_display), POLLIN, 0};
    // With nothing to wait on, sleep briefly so the caller's loop cannot spin.
    poll(fds, count, count > 0 ? -1 : 10);
    if (open) pump_pending();
}

void move_mouse(int x, int y) {
    if (!x11_display || !x11_window) return;
    x11_display_to_window(&x, &y);
    XWarpPointer(x11_display, None, x11_window, 0, 0, 0, 0, x, y);
    // The server has queued the warp's motion event once the round trip
    // ends, so the next polled read sees the new position (a key that
    // steps the pointer again starts from there).
    XSync(x11_display, False);
}

void hide_mouse() {
    if (!x11_display || !x11_window) return;
    static const char empty[1] = {0};
    Pixmap bitmap = XCreateBitmapFromData(x11_display, x11_window, empty, 1, 1);
    if (!bitmap) return;
    XColor black = {};
    Cursor invisible = XCreatePixmapCursor(x11_display, bitmap, bitmap, &black, &black, 0, 0);
    XFreePixmap(x11_display, bitmap);
    XDefineCursor(x11_display, x11_window, invisible);
    XFreeCursor(x11_display, invisible);  // the window keeps its own reference
    XFlush(x11_display);
}
