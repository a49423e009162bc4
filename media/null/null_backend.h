// Hooks into the null media backend, for unit tests only (game code never
// includes this). The null backend draws into CPU buffers, takes its
// "window" events from a list the test fills, and has no sound device
// unless a test asks for a fake one.
#pragma once

#include <string>
#include <vector>

#include "media/draw/draw.h"
#include "media/system/system.h"

// The arguments of the latest open_screen call and the number of calls.
struct NullOpenCall {
    int width = 0, height = 0, depth = 0, hertz = 0;
    int flags = 0;  // as passed, before the default flags are added
    int calls = 0;  // open_screen calls so far, failed ones included
};

// Replaces the list display_modes() reports and full screen accepts.
// The initial list is 640x480, 800x600 and 1024x768 at depth 32, 60 Hz.
void null_set_display_modes(const std::vector<TGraphicsMode>& modes);
const NullOpenCall& null_last_open();
// Sets the screen that screen_size reports and scaled displays fit (none,
// 0 x 0, at start: full screen then needs a listed mode, as it always did).
void null_set_screen_size(int width, int height);
// The RGBA buffers of the open display (Null when none is open). flip
// copies the back buffer to the front one.
TPixmap* null_back_buffer();
TPixmap* null_front_buffer();
// True once hide_mouse ran for the display opened last.
bool null_mouse_hidden();
// The sync argument of the latest flip, and the number of flips.
int null_last_flip_sync();
int null_flip_count();
// With false, flip presents the whole back buffer every time, as on a
// display that cannot copy part of it to the window (true at start).
void null_set_region_presents(bool allowed);
// How the latest flip presented (PRESENT_SWAP, _WHOLE or _REGION of
// media_internal.h) and the rectangle it copied, [x0, x1) x [y0, y1).
int null_last_present(int* x0, int* y0, int* x1, int* y1);
// The title set by set_app_title.
const std::string& null_app_title();
// How often backend_restore_video_mode was called.
int null_restore_calls();
// With true, backend_start_audio reports a device and audio_device_running
// is set now, so play_sound sounds and the test drives mix_audio itself.
void null_set_audio_device(bool present);
// Queues an event as if the window system had it pending; the next
// backend_pump_events (any flip, wait_event or polled read) emits it.
void null_push_window_event(const TEvent& event);
// Queues an event that only a blocking wait receives (one per wait), as a
// key pressed while the program waits for one: a flip does not take it, so
// wait_any_key, which first forgets earlier presses, still sees it.
void null_push_event_for_wait(const TEvent& event);
