// The screen's video modes: the list the game chooses from, switching to
// a full-screen mode and putting the original mode back on every way out
// (closing the display, ending the program and the fatal signals through
// backend_restore_video_mode, a lost X connection). Uses the XFree86 video-mode extension when the server has
// it, else RandR, else the root window's size as the only mode.
// Depends on Xlib, Xxf86vm and Xrandr.
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/xf86vmode.h>
#include <csignal>
#include <cstring>
#include <unistd.h>

#include "media/draw/x11_backend.h"
#include "media/media_internal.h"

// ---------------------------------------------------------------------------
// Kept for the run
// ---------------------------------------------------------------------------
static std::vector<TGraphicsMode> mode_list;            // display_modes(), read once
static bool modes_read = false;                         // mode_list is filled
static int mode_source = 0;                             // 0 root size only, 1 XF86VidMode, 2 RandR
static std::vector<XF86VidModeModeInfo> vidmode_lines;  // XF86VidMode modes, parallel to mode_list
static std::vector<int> randr_size_index;               // RandR size of each listed mode
static XF86VidModeModeInfo vidmode_original;            // the mode the screen had at start
static int randr_original_size = 0;                     // RandR size index at start
static short randr_original_rate = 0;                   // RandR rate at start (0 = unknown)
static Rotation randr_original_rotation = RR_Rotate_0;
static int current_mode = -1;                    // index of the mode switched to, -1 = original
static volatile sig_atomic_t mode_switched = 0;  // the screen is not in its original mode
static char display_name[256];                   // the server's name, for a fresh connection

// Refresh rate of an XF86VidMode line in whole hertz (dot clock in kHz).
static int vidmode_hertz(const XF86VidModeModeInfo& line) {
    long dots = (long)line.htotal * line.vtotal;
    if (dots <= 0) return 0;
    return (int)((line.dotclock * 1000L + dots / 2) / dots);
}

// A 24-bit X screen stores its pixels in 32 bits; the game asks for 32.
static int reported_depth(Display* display) {
    int depth = DefaultDepth(display, DefaultScreen(display));
    return depth == 24 ? 32 : depth;
}

static bool read_vidmode_list(Display* display) {
    int event_base = 0, error_base = 0;
    if (!XF86VidModeQueryExtension(display, &event_base, &error_base)) return false;
    int count = 0;
    XF86VidModeModeInfo** lines = nullptr;
    if (!XF86VidModeGetAllModeLines(display, DefaultScreen(display), &count, &lines) || count <= 0) {
        if (lines) XFree(lines);
        return false;
    }
    int depth = reported_depth(display);
    for (int i = 0; i < count; i++) {
        XF86VidModeModeInfo line = *lines[i];
        line.privsize = 0;
        line.c_private = nullptr;
        vidmode_lines.push_back(line);
        mode_list.push_back({line.hdisplay, line.vdisplay, depth, vidmode_hertz(line)});
    }
    vidmode_original = vidmode_lines[0];  // the server lists the current mode first
    XFree(lines);
    mode_source = 1;
    return true;
}

static bool read_randr_list(Display* display) {
    int event_base = 0, error_base = 0;
    if (!XRRQueryExtension(display, &event_base, &error_base)) return false;
    Window root = RootWindow(display, DefaultScreen(display));
    XRRScreenConfiguration* config = XRRGetScreenInfo(display, root);
    if (!config) return false;
    int size_count = 0;
    XRRScreenSize* sizes = XRRConfigSizes(config, &size_count);
    int depth = reported_depth(display);
    for (int s = 0; s < size_count; s++) {
        int rate_count = 0;
        short* rates = XRRConfigRates(config, s, &rate_count);
        if (rate_count <= 0) {
            mode_list.push_back({sizes[s].width, sizes[s].height, depth, 0});
            randr_size_index.push_back(s);
        }
        for (int r = 0; r < rate_count; r++) {
            mode_list.push_back({sizes[s].width, sizes[s].height, depth, rates[r]});
            randr_size_index.push_back(s);
        }
    }
    randr_original_size = XRRConfigCurrentConfiguration(config, &randr_original_rotation);
    randr_original_rate = XRRConfigCurrentRate(config);
    XRRFreeScreenConfigInfo(config);
    if (mode_list.empty()) return false;
    mode_source = 2;
    return true;
}

static void read_mode_list() {
    modes_read = true;
    if (!x11_connect()) return;
    const char* name = DisplayString(x11_display);
    strncpy(display_name, name ? name : "", sizeof display_name - 1);
    if (read_vidmode_list(x11_display) || read_randr_list(x11_display)) return;
    mode_list.clear();
    randr_size_index.clear();
    int screen = DefaultScreen(x11_display);
    mode_list.push_back(
        {DisplayWidth(x11_display, screen), DisplayHeight(x11_display, screen), reported_depth(x11_display), 0});
    mode_source = 0;
}

const std::vector<TGraphicsMode>& display_modes() {
    if (!modes_read) read_mode_list();
    return mode_list;
}

// Puts the screen of `display` into listed mode `index`, or back into the
// original mode when index is -1.
static void set_mode_on(Display* display, int index) {
    int screen = DefaultScreen(display);
    if (mode_source == 1) {
        XF86VidModeModeInfo line = index < 0 ? vidmode_original : vidmode_lines[index];
        XF86VidModeSwitchToMode(display, screen, &line);
        XF86VidModeSetViewPort(display, screen, 0, 0);
    } else if (mode_source == 2) {
        Window root = RootWindow(display, screen);
        XRRScreenConfiguration* config = XRRGetScreenInfo(display, root);
        if (!config) return;
        int size = index < 0 ? randr_original_size : randr_size_index[index];
        short rate = index < 0 ? randr_original_rate : (short)mode_list[index].hertz;
        if (rate > 0)
            XRRSetScreenConfigAndRate(display, config, root, size, randr_original_rotation, rate, CurrentTime);
        else
            XRRSetScreenConfig(display, config, root, size, randr_original_rotation, CurrentTime);
        XRRFreeScreenConfigInfo(config);
    }
    XSync(display, False);
}

// The original mode through a connection of its own: the main one may be
// lost or in the middle of a request when this runs.
static void restore_on_fresh_connection() {
    if (!mode_switched) return;
    mode_switched = 0;
    Display* display = XOpenDisplay(display_name[0] ? display_name : nullptr);
    if (!display) return;
    set_mode_on(display, -1);
    XCloseDisplay(display);
}

int x11_io_error(Display*) {
    // The server went away or dropped us; nothing can be drawn any more,
    // and Xlib ends the process if this returns. The game is saved first
    // (when the player asked for that) with the display marked lost; an
    // Xlib call made while saving comes back here and ends at once.
    static bool handling = false;
    if (handling) _exit(1);
    handling = true;
    std::fputs("tessellon: the connection to the X server was lost\n", stderr);
    restore_on_fresh_connection();
    mark_display_lost();
    if (leaving_hook) leaving_hook();
    _exit(1);
}

bool x11_switch_mode(int width, int height, int hertz) {
    const std::vector<TGraphicsMode>& modes = display_modes();
    int chosen = -1;
    for (size_t i = 0; i < modes.size() && chosen < 0; i++)
        if (modes[i].width == width && modes[i].height == height && modes[i].hertz == hertz) chosen = (int)i;
    for (size_t i = 0; i < modes.size() && chosen < 0; i++)
        if (modes[i].width == width && modes[i].height == height) chosen = (int)i;
    if (chosen < 0 || !x11_display) return false;
    if (chosen == current_mode) return true;
    // Already showing that mode (the original, or the root size without any
    // mode extension): nothing to switch.
    bool is_original = mode_source == 0 ||
                       (mode_source == 1 && vidmode_lines[chosen].hdisplay == vidmode_original.hdisplay &&
                        vidmode_lines[chosen].vdisplay == vidmode_original.vdisplay &&
                        vidmode_hertz(vidmode_lines[chosen]) == vidmode_hertz(vidmode_original)) ||
                       (mode_source == 2 && randr_size_index[chosen] == randr_original_size &&
                        (modes[chosen].hertz == randr_original_rate || modes[chosen].hertz == 0));
    if (is_original) {
        backend_restore_video_mode();
        return true;
    }
    mode_switched = 1;
    current_mode = chosen;
    set_mode_on(x11_display, chosen);
    return true;
}

// Also runs from signal handlers, when the main connection may be in the
// middle of a request: hence the connection of its own.
void backend_restore_video_mode() {
    current_mode = -1;
    restore_on_fresh_connection();
}
