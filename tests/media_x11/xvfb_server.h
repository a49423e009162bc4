// Test support for the X11 backend: a private Xvfb server started before
// the first test of the process (DISPLAY points at it) and stopped after
// the last, plus small helpers that look at the screen from outside.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <vector>

#include "media/system/system.h"

enum { TEST_SCREEN_WIDTH = 1024, TEST_SCREEN_HEIGHT = 768 };

// A second connection to the test server, as another client would have.
Display* observer();
// The window's pixel (0xRRGGBB) as the server shows it, after a flip.
unsigned long window_pixel(int x, int y);
// Every pixel of the window (0xRRGGBB, row by row) as the server shows it.
std::vector<uint32_t> window_pixels(int width, int height);
// Game events (ticks left out) that arrive within ms milliseconds.
std::vector<TEvent> collect_events(int ms);
// Game events (ticks left out) up to and including the first that `last`
// accepts, or all that arrive within max_ms when none does: a loaded
// machine may hand them over late, never early.
std::vector<TEvent> collect_events_until(bool (*last)(const TEvent&), int max_ms);
