// The game under a real window manager (openbox, as a desktop without its
// panels would run it): the window has the requested size and title, asks
// not to be resized and stays its size when asked to be, the manager's
// close request (as wmctrl -c sends it) ends the game with status 0, and
// full screen still covers the whole screen with the input grabbed.
#include <gtest/gtest.h>
// After gtest, whose names Xlib's macros (None) would otherwise replace.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "tests/e2e/harness.h"
#include "tests/support/e2e_setup.h"

namespace {

const char* const title = support::GAME_TITLE;
const char* small_window = "0\r\n0\r\n0\r\n1\r\n0\r\n1\r\n0\r\n";  // windowed, silent

// The window manager of one test: started on the test's display before
// the game, ended and reaped when the test is over (the Session, made
// after it, has closed the display first).
struct WindowManager {
    pid_t pid = 0;
    bool ready = false;

    void start(const std::string& display_name) {
        pid_t parent = getpid();
        pid = fork();
        if (pid == 0) {
            e2e::die_with_parent(parent);
            int null_fd = open("/dev/null", O_WRONLY);
            if (null_fd >= 0) {
                dup2(null_fd, 1);
                dup2(null_fd, 2);
            }
            setenv("DISPLAY", display_name.c_str(), 1);
            execlp("openbox", "openbox", "--sm-disable", static_cast<char*>(nullptr));
            _exit(127);
        }
        if (pid < 0) return;
        // Ready once it names itself on the root window (EWMH's check window).
        Display* d = XOpenDisplay(display_name.c_str());
        if (!d) return;
        Atom check = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False);
        ready = e2e::poll_until(
            [&] {
                Atom type;
                int format;
                unsigned long count, after;
                unsigned char* data = nullptr;
                bool named = XGetWindowProperty(d, DefaultRootWindow(d), check, 0, 1, False, XA_WINDOW, &type, &format,
                                                &count, &after, &data) == Success &&
                             data && count == 1;
                if (data) XFree(data);
                return named;
            },
            15000, 50,
            [&] {
                if (waitpid(pid, nullptr, WNOHANG) != pid) return false;
                pid = 0;
                return true;
            });
        XCloseDisplay(d);
    }
    ~WindowManager() {
        if (pid <= 0) return;
        kill(pid, SIGTERM);
        if (!e2e::poll_until([this] { return waitpid(pid, nullptr, WNOHANG) != 0; }, 3000, 20)) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
};

e2e::GameOptions with_manager(WindowManager& wm, int width, int height, const char* prefer) {
    e2e::GameOptions options;
    options.screen_width = width;
    options.screen_height = height;
    options.prefer = prefer ? prefer : "";
    options.before_game = [&wm](const std::string& display, const std::string&) { wm.start(display); };
    return options;
}

// The window's top-left corner on the root window and its size.
void geometry(Display* d, Window w, int* x, int* y, int* width, int* height) {
    XWindowAttributes a;
    XGetWindowAttributes(d, w, &a);
    Window child;
    XTranslateCoordinates(d, w, DefaultRootWindow(d), 0, 0, x, y, &child);
    *width = a.width;
    *height = a.height;
}

Window parent_of(Display* d, Window w) {
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, w, &root, &parent, &children, &count)) return 0;
    if (children) XFree(children);
    return parent;
}

// What wmctrl -c does: asks the window manager to close the window; the
// manager then sends the game WM_DELETE_WINDOW.
void ask_manager_to_close(Display* d, Window w) {
    XEvent e;
    std::memset(&e, 0, sizeof e);
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(d, "_NET_CLOSE_WINDOW", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = CurrentTime;
    e.xclient.data.l[1] = 2;  // from a pager or tool, as wmctrl says
    XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    XFlush(d);
}

TEST(WindowManagerE2e, AWindowOfFixedSizeThatTheManagersCloseRequestEnds) {
    WindowManager wm;
    e2e::Session game(with_manager(wm, 1024, 768, small_window));
    ASSERT_TRUE(game.ok()) << game.error;
    ASSERT_TRUE(wm.ready) << "openbox did not start";
    Display* d = game.display;
    int w = 0, h = 0;
    Window window = game.wait_for_window(title, 20000, &w, &h);
    ASSERT_NE(window, 0u);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    // Managed: the manager has put its frame around the window.
    e2e::poll_until([&] { return parent_of(d, window) != DefaultRootWindow(d); }, 10000, 50);
    EXPECT_NE(parent_of(d, window), DefaultRootWindow(d));

    // Not resizable: the size hints pin it, and a request for another size
    // (with a move, so that the manager's answer can be seen) keeps it.
    XSizeHints hints;
    long supplied = 0;
    ASSERT_TRUE(XGetWMNormalHints(d, window, &hints, &supplied));
    EXPECT_TRUE((hints.flags & PMinSize) && (hints.flags & PMaxSize));
    EXPECT_EQ(hints.min_width, 800);
    EXPECT_EQ(hints.max_width, 800);
    EXPECT_EQ(hints.min_height, 600);
    EXPECT_EQ(hints.max_height, 600);
    int x0, y0, wd, ht;
    geometry(d, window, &x0, &y0, &wd, &ht);
    XMoveResizeWindow(d, window, x0 + 37, y0 + 23, 900, 700);
    XFlush(d);
    int x1 = x0, y1 = y0;
    e2e::poll_until(
        [&] {
            geometry(d, window, &x1, &y1, &wd, &ht);
            return x1 != x0 || y1 != y0;
        },
        10000, 50);
    EXPECT_NE(x1, x0) << "the manager did not answer the request";
    EXPECT_EQ(wd, 800);
    EXPECT_EQ(ht, 600);
    if (const char* dir = std::getenv("TESSELLON_E2E_SHOTS_DIR"))
        game.grab().save_png(std::string(dir) + "/wm_window.png");

    // The game takes part in the close protocol, and the close ends it.
    Atom* protocols = nullptr;
    int count = 0;
    bool deletes = false;
    if (XGetWMProtocols(d, window, &protocols, &count)) {
        for (int i = 0; i < count; i++) deletes |= protocols[i] == XInternAtom(d, "WM_DELETE_WINDOW", False);
        XFree(protocols);
    }
    EXPECT_TRUE(deletes);
    ask_manager_to_close(d, window);
    EXPECT_EQ(game.wait_exit(10000), 0);
}

TEST(WindowManagerE2e, FullScreenCoversTheScreenWithTheInputGrabbed) {
    WindowManager wm;
    e2e::Session game(with_manager(wm, 800, 600, nullptr));  // no prefer.txt: full screen
    ASSERT_TRUE(game.ok()) << game.error;
    ASSERT_TRUE(wm.ready) << "openbox did not start";
    Display* d = game.display;
    Window window = game.wait_for_window(title, 20000);
    ASSERT_NE(window, 0u);
    int x, y, w, h;
    geometry(d, window, &x, &y, &w, &h);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    // The keyboard and the pointer are the game's: nobody else can grab them.
    int keyboard = AlreadyGrabbed, pointer = AlreadyGrabbed;
    e2e::poll_until(
        [&] {
            keyboard = XGrabKeyboard(d, DefaultRootWindow(d), False, GrabModeAsync, GrabModeAsync, CurrentTime);
            pointer = XGrabPointer(d, DefaultRootWindow(d), False, ButtonPressMask, GrabModeAsync, GrabModeAsync, None,
                                   None, CurrentTime);
            if (keyboard == GrabSuccess) XUngrabKeyboard(d, CurrentTime);
            if (pointer == GrabSuccess) XUngrabPointer(d, CurrentTime);
            XSync(d, False);
            return keyboard == AlreadyGrabbed && pointer == AlreadyGrabbed;
        },
        10000, 100);
    EXPECT_EQ(keyboard, AlreadyGrabbed);
    EXPECT_EQ(pointer, AlreadyGrabbed);
    // The game's drawing reaches every edge: no frame or title bar.
    e2e::Shot shot;
    EXPECT_TRUE(game.wait_for_screen(
        [](const e2e::Shot& s) {
            uint32_t corner = s.at(0, 0);
            return corner != 0 && s.at(799, 0) == corner && s.at(0, 599) == corner && s.at(799, 599) == corner;
        },
        15000, &shot))
        << std::hex << shot.at(0, 0) << " " << shot.at(799, 0) << " " << shot.at(0, 599) << " " << shot.at(799, 599);
    if (const char* dir = std::getenv("TESSELLON_E2E_SHOTS_DIR")) shot.save_png(std::string(dir) + "/wm_full.png");
    EXPECT_TRUE(game.running());
}

}  // namespace
