// What the files of the X11 backend (x11_display, x11_modes, x11_render,
// x11_input, x11_audio) share: the X connection, the current window and its GLX
// context. Only backend files include this header; it pulls in Xlib and GLX.
#pragma once

#include <X11/Xlib.h>
#include <GL/glx.h>

#include "media/media_internal.h"

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
// cached state (bound texture, blend mode, scissor). While x11_scaled it
// first makes the off-screen buffer of the display's size that drawing goes
// to; false when the GL cannot make one.
bool x11_render_begin();
// Forgets the cached GL state after someone else changed it, and sets the
// drawing state's blend and viewport again.
void x11_render_forget_state();

// ---------------------------------------------------------------------------
// The off-screen buffer of a scaled display (x11_scaled.cpp); set by every open_screen
// ---------------------------------------------------------------------------
extern TScaleFit x11_fit;  // where the display shows on the window; identity when unscaled
extern bool x11_scaled;    // drawing goes to the off-screen buffer shown through x11_fit

// Makes the off-screen buffer of the display's size (a power-of-two
// texture unless any size will do) and directs drawing and reading to it.
bool x11_offscreen_begin(int width, int height, bool any_texture_size);
// Draws the off-screen buffer onto the window's back buffer through
// x11_fit: with `whole` the bars and all of the board, else only the window
// rectangle `region`. Drawing goes back to the off-screen buffer after.
void x11_render_show_scaled(bool whole, const TDamageRect& region);
// Lets go of the off-screen buffer; before the context goes.
void x11_render_end();
// The buffer drawing is read from: the off-screen one, else the back buffer.
unsigned x11_read_buffer();
// Hands every quad drawn so far to the GL; before a swap or a context goes.
void x11_render_flush();
// Gives the bound texture tw x th empty RGBA texels, clamped at its edges
// and sampled with filter (GL_NEAREST or GL_LINEAR), without mipmaps.
void x11_texture_storage(int filter, int tw, int th);

// ---------------------------------------------------------------------------
// Pointer mapping (x11_display.cpp)
// ---------------------------------------------------------------------------

// Turns a window position into the display pixel shown there; false on
// the bars around a scaled display (the position then the nearest pixel).
bool x11_window_to_display(int* x, int* y);
// Turns a display pixel into the window position at its centre.
void x11_display_to_window(int* x, int* y);

// ---------------------------------------------------------------------------
// Sound (x11_audio.cpp)
// ---------------------------------------------------------------------------

// --- kept for the run ---
extern const char* x11_oss_device;  // the OSS device tried first, "/dev/dsp"; tests point it at a stand-in

// Asks the mixing thread to end and waits for it a bounded while (run at
// exit): a thread held by a stalled device is left behind, never waited for.
void x11_stop_audio();
