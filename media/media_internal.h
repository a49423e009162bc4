// What the shared media code and its two backends (x11/ and null/) say to
// each other. Game code never includes this file.
#pragma once

#include "media/draw/draw.h"
#include "media/system/system.h"

// ---------------------------------------------------------------------------
// Supplied by each backend
// ---------------------------------------------------------------------------

// Processes pending window events, handing each to emit_event. With block
// set and nothing pending, waits until the window system or the timer wake
// descriptor (timer_wake_fd) has something.
void backend_pump_events(bool block);
// Starts the sound output; false when no device could be started (the
// mixer then runs silently).
bool backend_start_audio();
// Restores the original video mode; safe to call repeatedly and from a
// signal handler.
void backend_restore_video_mode();

// ---------------------------------------------------------------------------
// Supplied by the shared code
// ---------------------------------------------------------------------------

// A descriptor that becomes readable when a timer has ticked; the backend
// polls it beside its window-system connection.
int timer_wake_fd();
// Turns timer ticks that arrived since the last call into tick events
// (coalesced per timer). Called by wait_event before it looks at the queue.
void deliver_timer_ticks();
// True once the sound layer could start a device.
extern bool audio_device_running;
