// The X11 + GLX display: opening a fixed-size window or a full-screen
// window with keyboard and pointer grabbed, its OpenGL context, presenting
// frames (vertical sync where the driver offers it, software pacing in a
// window), and the window title. Where the window is larger than the
// display (full screen without a mode of its size, a window at 2x or 3x)
// the display is drawn off screen and shown scaled (x11_scaled.cpp), and
// pointer positions are mapped back into the display's pixels.
// Depends on Xlib and GLX; video modes are x11_modes.cpp's, drawing is
// x11_render.cpp's. Vertical sync is best effort: many drivers ignore it.
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <algorithm>
#include <cstring>
#include <unistd.h>

#include "media/draw/x11_backend.h"
#include "media/media_internal.h"

// ---------------------------------------------------------------------------
// Kept for the run
// ---------------------------------------------------------------------------
Display* x11_display = nullptr;  // X connection, opened on first need
Atom x11_wm_delete = 0;          // WM_DELETE_WINDOW
static std::string app_title;    // title of the current and later windows
static bool keep_resolution = false;  // full screen never switches the mode, it scales
static bool offscreen_refused = false;  // the GL made no off-screen buffer: windows stay at 1x
static int x_error_code = 0;     // last X error seen while errors are trapped

// ---------------------------------------------------------------------------
// The current display, reset by every open_screen
// ---------------------------------------------------------------------------
Window x11_window = 0;                                                       // drawing window, 0 = none
GLXContext x11_context = nullptr;                                            // its GL context
bool x11_fullscreen = false;                                                 // covers the screen, input grabbed
static Colormap window_colormap = 0;                                         // colormap made for the GL visual
static int open_width = 0, open_height = 0, open_depth = 0, open_hertz = 0;  // as opened
static int screen_token = 0;  // its address is the handle open_screen returns
static float open_scale = 0;  // window pixels per display pixel across; 0 = none open

// Swap-interval control found in the GLX extension string.
enum { SWAP_NONE, SWAP_EXT, SWAP_MESA, SWAP_SGI };
typedef void (*SwapIntervalExtFn)(Display*, GLXDrawable, int);
typedef int (*SwapIntervalIntFn)(int);
static int swap_kind = SWAP_NONE;  // which function sets the interval
static int swap_interval = -1;     // interval last set, -1 = not set yet

// Copying part of the back buffer to the window, leaving the back buffer as
// it is (GLX_MESA_copy_sub_buffer); Null when the GLX does not offer it.
typedef void (*CopySubBufferFn)(Display*, GLXDrawable, int, int, int, int);
static CopySubBufferFn copy_sub_buffer = nullptr;
static int presented_serial = -1;  // display_shown_serial right after the last present

// Software frame pacing of flip(-1) in a window opened with hertz > 0.
static int pace_period = 0;       // whole ms per frame
static int pace_remainder = 0;    // ms left over per second
static int pace_accumulator = 0;  // remainders gathered, in 1/hertz ms
static int pace_target = 0;       // clock_ms of the next frame

// ---------------------------------------------------------------------------
// X errors
// ---------------------------------------------------------------------------

// Keeps the program running on a protocol error (a failed focus change, a
// driver's refused request); the default handler would end the process.
static int note_x_error(Display*, XErrorEvent* error) {
    x_error_code = error->error_code;
    return 0;
}

bool x11_connect() {
    if (x11_display) return true;
    x11_display = XOpenDisplay(nullptr);
    if (!x11_display) return false;
    XSetErrorHandler(note_x_error);
    XSetIOErrorHandler(x11_io_error);
    x11_wm_delete = XInternAtom(x11_display, "WM_DELETE_WINDOW", False);
    return true;
}

// ---------------------------------------------------------------------------
// Vertical sync
// ---------------------------------------------------------------------------

static bool has_extension(const char* list, const char* name) {
    size_t length = strlen(name);
    for (const char* p = list ? strstr(list, name) : nullptr; p; p = strstr(p + 1, name)) {
        bool starts = p == list || p[-1] == ' ';
        bool ends = p[length] == ' ' || p[length] == '\0';
        if (starts && ends) return true;
    }
    return false;
}

// The next usable swap-interval kind after `after`, by the extension string.
static int next_swap_kind(int after) {
    const char* list = glXQueryExtensionsString(x11_display, DefaultScreen(x11_display));
    if (after < SWAP_EXT && has_extension(list, "GLX_EXT_swap_control")) return SWAP_EXT;
    if (after < SWAP_MESA && has_extension(list, "GLX_MESA_swap_control")) return SWAP_MESA;
    if (after < SWAP_SGI && has_extension(list, "GLX_SGI_swap_control")) return SWAP_SGI;
    return SWAP_NONE;
}

// Tries one kind; false when the call fails or raises an X error.
static bool call_swap_interval(int kind, int interval) {
    XSync(x11_display, False);
    x_error_code = 0;
    XErrorHandler previous = XSetErrorHandler(note_x_error);
    bool ok = false;
    if (kind == SWAP_EXT) {
        auto fn = (SwapIntervalExtFn)glXGetProcAddressARB((const GLubyte*)"glXSwapIntervalEXT");
        if (fn) {
            fn(x11_display, x11_window, interval);
            ok = true;
        }
    } else if (kind == SWAP_MESA) {
        auto fn = (SwapIntervalIntFn)glXGetProcAddressARB((const GLubyte*)"glXSwapIntervalMESA");
        ok = fn && fn(interval) == 0;
    } else if (kind == SWAP_SGI) {
        // SGI's interval cannot be 0: leave it as it is.
        auto fn = (SwapIntervalIntFn)glXGetProcAddressARB((const GLubyte*)"glXSwapIntervalSGI");
        ok = fn && (interval == 0 || fn(interval) == 0);
    }
    XSync(x11_display, False);
    XSetErrorHandler(previous);
    return ok && x_error_code == 0;
}

// Asks for the interval; a kind that fails is dropped for the next one.
static void set_swap_interval(int interval) {
    if (interval == swap_interval) return;
    swap_interval = interval;
    while (swap_kind != SWAP_NONE && !call_swap_interval(swap_kind, interval)) swap_kind = next_swap_kind(swap_kind);
}

// ---------------------------------------------------------------------------
// Window
// ---------------------------------------------------------------------------

static void store_title(Window window) {
    XStoreName(x11_display, window, app_title.c_str());
    Atom net_name = XInternAtom(x11_display, "_NET_WM_NAME", False);
    Atom utf8 = XInternAtom(x11_display, "UTF8_STRING", False);
    XChangeProperty(x11_display, window, net_name, utf8, 8, PropModeReplace, (const unsigned char*)app_title.data(),
                    (int)app_title.size());
}

enum {
    VIEWABLE_WAIT_MS = 10000,  // a loaded server may take seconds to map a window
    GRAB_WAIT_MS = 10000,      // how long another client may hold the keyboard or pointer
    RETRY_STEP_MS = 10,        // pause between two tries
};

// Waits (bounded) until the window is viewable: MapNotify has come and the
// server reports it mapped. A grab or focus change tried before then fails
// with GrabNotViewable or BadMatch, which on a busy machine is the usual case
// rather than the exception.
static bool wait_until_viewable(Window window) {
    XEvent event;
    bool notified = false;
    int deadline = clock_ms() + VIEWABLE_WAIT_MS;
    while (true) {
        if (!notified && XCheckTypedWindowEvent(x11_display, window, MapNotify, &event)) notified = true;
        XWindowAttributes attributes;
        if (XGetWindowAttributes(x11_display, window, &attributes) && attributes.map_state == IsViewable) return true;
        if (clock_ms() > deadline) return false;
        usleep(RETRY_STEP_MS * 1000);
    }
}

// One grab, retried while it fails for a passing reason (another client
// holds the device, the window is not viewable yet, the server is frozen by
// someone else's grab); true once both are held, false on a refusal that
// lasts the whole bounded wait.
static bool grab_input(Window window) {
    unsigned mask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
    bool keyboard = false, pointer = false;
    int deadline = clock_ms() + GRAB_WAIT_MS;
    while (true) {
        if (!keyboard)
            keyboard =
                XGrabKeyboard(x11_display, window, True, GrabModeAsync, GrabModeAsync, CurrentTime) == GrabSuccess;
        if (!pointer)
            pointer = XGrabPointer(x11_display, window, True, mask, GrabModeAsync, GrabModeAsync, window, None,
                                   CurrentTime) == GrabSuccess;
        if (keyboard && pointer) return true;
        if (clock_ms() > deadline) break;
        usleep(RETRY_STEP_MS * 1000);
    }
    if (keyboard) XUngrabKeyboard(x11_display, CurrentTime);
    if (pointer) XUngrabPointer(x11_display, CurrentTime);
    return false;
}

static Window create_window(XVisualInfo* visual, int width, int height, bool full) {
    int screen = DefaultScreen(x11_display);
    Window root = RootWindow(x11_display, screen);
    window_colormap = XCreateColormap(x11_display, root, visual->visual, AllocNone);
    XSetWindowAttributes attributes;
    memset(&attributes, 0, sizeof attributes);
    attributes.colormap = window_colormap;
    attributes.background_pixel = BlackPixel(x11_display, screen);
    attributes.border_pixel = 0;
    attributes.override_redirect = full ? True : False;
    attributes.event_mask = KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                            StructureNotifyMask | ExposureMask | FocusChangeMask;
    unsigned long fields = CWColormap | CWBackPixel | CWBorderPixel | CWOverrideRedirect | CWEventMask;
    Window window = XCreateWindow(x11_display, root, 0, 0, width, height, 0, visual->depth, InputOutput, visual->visual,
                                  fields, &attributes);
    if (!window) return 0;

    // Fixed size: a window manager offers no resizing when min equals max.
    XSizeHints* hints = XAllocSizeHints();
    if (hints) {
        hints->flags = PMinSize | PMaxSize | PBaseSize;
        hints->min_width = hints->max_width = hints->base_width = width;
        hints->min_height = hints->max_height = hints->base_height = height;
        XSetWMNormalHints(x11_display, window, hints);
        XFree(hints);
    }
    store_title(window);
    XSetWMProtocols(x11_display, window, &x11_wm_delete, 1);
    if (full) {
        // Without a window manager the override-redirect window alone covers
        // the screen; with one, the state asks it to keep the window on top.
        Atom state = XInternAtom(x11_display, "_NET_WM_STATE", False);
        Atom fullscreen = XInternAtom(x11_display, "_NET_WM_STATE_FULLSCREEN", False);
        XChangeProperty(x11_display, window, state, XA_ATOM, 32, PropModeReplace, (const unsigned char*)&fullscreen, 1);
    }
    return window;
}

// Undoes what open_screen made, newest first; leaves the video mode alone.
static void destroy_display() {
    x11_scaled = false;
    open_scale = 0;
    if (!x11_display) return;
    if (x11_fullscreen) {
        XUngrabKeyboard(x11_display, CurrentTime);
        XUngrabPointer(x11_display, CurrentTime);
    }
    if (x11_context) {
        // Frames whose pixels only the textures hold take them back first.
        restore_all_image_pixels();
        x11_render_end();
        glXMakeCurrent(x11_display, None, nullptr);
        glXDestroyContext(x11_display, x11_context);
    }
    if (x11_window) XDestroyWindow(x11_display, x11_window);
    if (window_colormap) XFreeColormap(x11_display, window_colormap);
    XSync(x11_display, False);
    x11_context = nullptr;
    x11_window = 0;
    window_colormap = 0;
    x11_fullscreen = false;
}

// ---------------------------------------------------------------------------
// Screen size and scaling
// ---------------------------------------------------------------------------

// The root window's size asked of the server: Xlib's own copy of it goes
// stale when a mode switch is undone.
static void root_size(int* width, int* height) {
    Window root = RootWindow(x11_display, DefaultScreen(x11_display)), parent;
    int x = 0, y = 0;
    unsigned w = 0, h = 0, border = 0, depth = 0;
    if (!XGetGeometry(x11_display, root, &parent, &x, &y, &w, &h, &border, &depth)) w = h = 0;
    *width = (int)w;
    *height = (int)h;
}

// The part of the screen a window may take (_NET_WORKAREA of the first
// desktop, without panels), else the whole screen.
static void work_area(int* width, int* height) {
    root_size(width, height);
    Window root = RootWindow(x11_display, DefaultScreen(x11_display));
    Atom property = XInternAtom(x11_display, "_NET_WORKAREA", True);
    if (property == None) return;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(x11_display, root, property, 0, 4, False, XA_CARDINAL, &type, &format, &count, &after,
                           &data) == Success &&
        data && format == 32 && count >= 4) {
        const long* area = (const long*)data;  // x, y, width, height; 32-bit items come as longs
        if (area[2] > 0 && area[3] > 0) {
            *width = (int)std::min<long>(area[2], *width);
            *height = (int)std::min<long>(area[3], *height);
        }
    }
    if (data) XFree(data);
}

void set_keep_screen_resolution(bool keep) { keep_resolution = keep; }

void screen_size(int* width, int* height) {
    *width = *height = 0;
    if (x11_connect()) root_size(width, height);
}

float display_scale() { return open_scale; }

bool x11_window_to_display(int* x, int* y) {
    if (!x11_scaled) return true;
    return scale_window_to_board(x11_fit, *x, *y, x, y);
}

void x11_display_to_window(int* x, int* y) {
    if (x11_scaled) scale_board_to_window(x11_fit, *x, *y, x, y);
}

// ---------------------------------------------------------------------------
// Operations
// ---------------------------------------------------------------------------

void* open_screen(int width, int height, int depth, int hertz, int flags) {
    (void)flags;  // always double-buffered
    close_screen();
    if (width <= 0 || height <= 0 || !x11_connect()) return nullptr;
    bool full = depth != 0;
    // The window: the display's size in the mode switched to, else the
    // whole screen (scaled full screen), or a window at the largest whole
    // factor that fits the work area.
    int window_w = width, window_h = height;
    if (full && (keep_resolution || !x11_switch_mode(width, height, hertz))) {
        root_size(&window_w, &window_h);
        if (window_w <= 0 || window_h <= 0) return nullptr;
    } else if (!full) {
        int area_w = 0, area_h = 0;
        work_area(&area_w, &area_h);
        int factor = offscreen_refused ? 1 : scale_window_factor(width, height, area_w, area_h);
        window_w = width * factor;
        window_h = height * factor;
    }
    x11_fit = scale_fit(width, height, window_w, window_h);
    x11_scaled = !scale_is_identity(x11_fit);

    int screen = DefaultScreen(x11_display);
    int visual_attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 1, GLX_GREEN_SIZE, 1, GLX_BLUE_SIZE, 1, None};
    XVisualInfo* visual = glXChooseVisual(x11_display, screen, visual_attributes);
    if (!visual) {
        backend_restore_video_mode();
        return nullptr;
    }
    x11_window = create_window(visual, window_w, window_h, full);
    x_error_code = 0;
    if (x11_window) x11_context = glXCreateContext(x11_display, visual, nullptr, True);
    XSync(x11_display, False);
    XFree(visual);
    if (!x11_window || !x11_context || x_error_code != 0) {
        destroy_display();
        backend_restore_video_mode();
        return nullptr;
    }
    XMapRaised(x11_display, x11_window);
    bool viewable = wait_until_viewable(x11_window);
    // Full screen without the input grabbed is not full screen: the caller
    // is told, and may open a window instead.
    if ((full && (!viewable || !grab_input(x11_window))) || !glXMakeCurrent(x11_display, x11_window, x11_context)) {
        destroy_display();
        backend_restore_video_mode();
        return nullptr;
    }
    x11_fullscreen = full;
    if (viewable) XSetInputFocus(x11_display, x11_window, RevertToParent, CurrentTime);
    if (full) XWarpPointer(x11_display, None, x11_window, 0, 0, 0, 0, window_w / 2, window_h / 2);
    XSync(x11_display, False);

    open_width = width;
    open_height = height;
    open_depth = depth;
    open_hertz = hertz;
    swap_kind = next_swap_kind(SWAP_NONE);
    swap_interval = -1;
    copy_sub_buffer = nullptr;
    if (has_extension(glXQueryExtensionsString(x11_display, screen), "GLX_MESA_copy_sub_buffer"))
        copy_sub_buffer = (CopySubBufferFn)glXGetProcAddressARB((const GLubyte*)"glXCopySubBufferMESA");
    presented_serial = -1;
    pace_period = hertz > 0 ? 1000 / hertz : 0;
    pace_remainder = hertz > 0 ? 1000 - pace_period * hertz : 0;
    pace_accumulator = 0;
    pace_target = clock_ms();

    reset_draw_state(width, height);
    draw_state._graphics = &screen_token;
    draw_state._driver = x11_context;
    display_generation++;
    if (!x11_render_begin()) {
        close_screen();
        if (full || offscreen_refused) return nullptr;
        offscreen_refused = true;  // a window of the display's own size needs none
        return open_screen(width, height, depth, hertz, flags);
    }
    open_scale = (float)x11_fit.w / (float)width;

    for (int i = 0; i < 2; i++) {
        clear_screen();
        flip(0);
    }
    draw_state._setup = 1;
    return &screen_token;
}

void close_screen() {
    destroy_display();
    backend_restore_video_mode();
    open_width = open_height = open_depth = open_hertz = 0;
    draw_state._graphics = nullptr;
    draw_state._driver = nullptr;
}

int display_width() { return open_width; }
int display_height() { return open_height; }
int display_depth() { return open_depth; }
int display_hertz() { return open_hertz; }

// Waits until the next frame of the window's rate is due; h frames take
// exactly one second because the leftover milliseconds are spread out.
static void pace_frame() {
    pace_target += pace_period;
    pace_accumulator += pace_remainder;
    if (pace_accumulator >= open_hertz) {
        pace_accumulator -= open_hertz;
        pace_target += 1;
    }
    int now = clock_ms();
    if (pace_target > now)
        delay(pace_target - now);
    else
        pace_target = now;
}

void flip(int sync) {
    if (!x11_window) {
        backend_pump_events(false);
        return;
    }
    bool pace = false;
    int interval;
    if (sync < 0) {
        pace = !x11_fullscreen && open_hertz > 0;
        interval = !pace && x11_fullscreen && open_hertz != 0 ? 1 : 0;
    } else {
        interval = sync ? 1 : 0;
    }
    x11_render_flush();
    // An expose (or anything else that bumped the serial) may have taken
    // pixels off the window that a region would not put back.
    bool front_lost = display_shown_serial != presented_serial;
    if (front_lost) damage_note_front_lost();
    TDamageRect region;
    int how = damage_choose_present(copy_sub_buffer != nullptr, &region);
    int window_h = open_height;
    if (x11_scaled) {
        // The display's pixels live in the off-screen buffer and only the
        // present draws the window's back buffer, so where sub-buffer copies
        // exist nothing needs a swap: a region copies every window pixel it
        // colours, any other frame the board's part of the window, and the
        // bars as well once the window lost what it showed.
        if (copy_sub_buffer && how == PRESENT_SWAP) how = PRESENT_WHOLE;
        bool bars = front_lost || how == PRESENT_SWAP;
        TDamageRect board = {x11_fit.x, x11_fit.y, x11_fit.x + x11_fit.w, x11_fit.y + x11_fit.h};
        if (bars)
            region = TDamageRect{0, 0, x11_fit.window_w, x11_fit.window_h};
        else
            region = how == PRESENT_REGION ? scale_rect_to_window(x11_fit, region) : board;
        if (bars || !damage_rect_empty(region)) x11_render_show_scaled(bars, region);
        window_h = x11_fit.window_h;
    }
    if (how == PRESENT_SWAP) set_swap_interval(interval);
    if (pace) pace_frame();
    if (how == PRESENT_SWAP) {
        glXSwapBuffers(x11_display, x11_window);
    } else if (!damage_rect_empty(region)) {
        // GL counts rows from the bottom.
        copy_sub_buffer(x11_display, x11_window, region.x0, window_h - region.y1, region.x1 - region.x0,
                        region.y1 - region.y0);
    }
    damage_note_presented(how);
    display_shown_serial++;
    presented_serial = display_shown_serial;
    backend_pump_events(false);
}

void set_app_title(const std::string& title) {
    app_title = title;
    if (x11_window) {
        store_title(x11_window);
        // Synchronously, so that any client asking next sees the new title.
        XSync(x11_display, False);
    }
}
