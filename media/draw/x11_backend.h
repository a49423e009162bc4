// What the files of the X11 backend (x11_display, x11_modes, x11_render,
// x11_input, x11_audio) share: the X connection, the current window and its GLX
// context. Only backend files include this header; it pulls in Xlib and GLX.
#pragma once

#include <X11/Xlib.h>
#include <GL/glx.h>

// ---------------------------------------------------------------------------
// Kept for the run (x11_display.cpp)
// ---------------------------------------------------------------------------
extern Display* x11_display;  // X connection, opened on first need; Null until then
extern Atom x11_wm_delete;    // WM_DELETE_WINDOW, the close request of the window

// ---------------------------------------------------------------------------
// The current display (x11_display.cpp); reset by every open_screen
// ---------------------------------------------------------------------------
extern Window x11_window;       // the drawing window; 0 while no display is open
extern GLXContext x11_context;  // its rendering context; Null while closed
extern bool x11_fullscreen;     // the window covers the screen with input grabbed

// Opens the X connection if it is not open yet. False when there is no X server.
bool x11_connect();

// ---------------------------------------------------------------------------
// Video modes (x11_modes.cpp)
// ---------------------------------------------------------------------------

// Switches the screen to the first listed mode of exactly width x height
// at that rate, else of any rate. False when no mode has that size.
bool x11_switch_mode(int width, int height, int hertz);
// The handler for a lost X connection: restores the mode and ends the process.
int x11_io_error(Display* display);

// ---------------------------------------------------------------------------
// Rendering (x11_render.cpp)
// ---------------------------------------------------------------------------

// Sets up the fixed GL state of a freshly made context and forgets every
// cached state (bound texture, blend mode, scissor).
void x11_render_begin();
// Hands every quad drawn so far to the GL; before a swap or a context goes.
void x11_render_flush();

// ---------------------------------------------------------------------------
// Sound (x11_audio.cpp)
// ---------------------------------------------------------------------------

// --- kept for the run ---
extern const char* x11_oss_device;  // the OSS device tried first, "/dev/dsp"; tests point it at a stand-in

// Asks the mixing thread to end and waits for it a bounded while (run at
// exit): a thread held by a stalled device is left behind, never waited for.
void x11_stop_audio();
