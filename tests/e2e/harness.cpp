// End-to-end harness: Xvfb on a display it picks itself (-displayfd), a
// copy of the built game folder in a temporary folder, the game started
// there, XTEST input and root-window grabs. The destructor kills what it
// started and removes the temporary folder. The game and Xvfb die with
// the test process even when it is killed, and a watchdog ends a session
// that outlives its time limit, so no X round trip can hang a test.
#include "tests/e2e/harness.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/prctl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <thread>

#include "media/draw/draw.h"
#include "tests/support/files.h"

namespace fs = std::filesystem;

namespace e2e {

int now_ms() {
    using namespace std::chrono;
    return static_cast<int>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool poll_until(const std::function<bool()>& met, int timeout_ms, int interval_ms,
                const std::function<bool()>& give_up) {
    int deadline = now_ms() + timeout_ms;
    while (true) {
        if (met()) return true;
        if (now_ms() > deadline || (give_up && give_up())) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(interval_ms));
    }
}

// In a child just forked: it gets SIGKILL when the test process ends, by
// any death, so a killed test leaves no game or X server behind. A parent
// that died before the request took effect is seen through getppid().
void die_with_parent(int parent) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(125);
}

// Windows come and go while a test looks at them (a toggle destroys the
// old one): an X error on a vanished window is the query's failure, not
// the end of the test process, which Xlib's default handler would make it.
static int ignore_x_error(Display*, XErrorEvent*) { return 0; }

// The connection to Xvfb is gone (the watchdog killed it, or it crashed):
// no X call can go on, so the test process ends here, saying why. The
// children die with it.
static int lost_x_server(Display*) {
    static const char text[] = "e2e harness: the connection to Xvfb was lost\n";
    ssize_t written = write(2, text, sizeof text - 1);
    (void)written;
    _exit(1);
}

uint32_t Shot::at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0;
    return pixels[static_cast<size_t>(y) * width + x];
}

bool Shot::drawn() const {
    for (size_t k = 0; k < pixels.size(); k += 31)
        if (pixels[k] != 0) return true;
    return false;
}

bool Shot::save_png(const std::string& path) const {
    TPixmap* pixmap = create_pixmap(width, height, PF_RGBA8888);
    if (!pixmap) return false;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) write_pixel(pixmap, x, y, 0xff000000u | at(x, y));
    bool ok = save_pixmap_png(pixmap, path, 5);
    free_pixmap(pixmap);
    return ok;
}

std::string read_file_text(const std::string& path) { return support::read_text(path); }

std::vector<int> read_numbers(const std::string& path) {
    std::vector<int> values;
    std::string text = read_file_text(path);
    size_t start = 0;
    while (start < text.size()) {
        size_t lf = text.find('\n', start);
        if (lf == std::string::npos) break;
        values.push_back(std::atoi(text.substr(start, lf - start).c_str()));
        start = lf + 1;
    }
    return values;
}

int file_mode(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return -1;
    return st.st_mode & 07777;
}

// Starts Xvfb and returns its display number, or -1.
static int start_xvfb(int width, int height, int* pid) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    std::string fd_text = std::to_string(fds[1]);
    pid_t parent = getpid();
    pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) {
        die_with_parent(parent);
        close(fds[0]);
        int null_fd = open("/dev/null", O_WRONLY);
        if (null_fd >= 0) {
            dup2(null_fd, 1);
            dup2(null_fd, 2);
        }
        execlp("Xvfb", "Xvfb", "-displayfd", fd_text.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
               "-noreset", "+extension", "GLX", "+extension", "RANDR", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    *pid = child;
    std::string number;
    struct pollfd p = {fds[0], POLLIN, 0};
    int deadline = now_ms() + 20000;
    while (now_ms() < deadline) {
        if (poll(&p, 1, 200) <= 0) continue;
        char c;
        ssize_t n = read(fds[0], &c, 1);
        if (n <= 0) break;
        if (c == '\n') break;
        number += c;
    }
    close(fds[0]);
    if (number.empty()) return -1;
    return std::atoi(number.c_str());
}

Session::Session(const GameOptions& options) : temp("tessellon-e2e") {
    if (temp.path.empty()) {
        error = "cannot make a temporary folder";
        return;
    }
    temp_root = temp.path;
    game_dir = temp_root + "/game";
    home_dir = temp_root + "/home";
    std::error_code ec;
    if (options.program.empty()) fs::copy(TEST_GAME_DIR, game_dir, fs::copy_options::recursive, ec);
    if (ec) {
        error = "cannot copy the game folder: " + ec.message();
        return;
    }
    fs::create_directories(home_dir, ec);
    if (!options.prefer.empty() || !options.refresh.empty()) {
        fs::create_directories(game_dir + "/players/default", ec);
        if (!options.prefer.empty()) support::write_text(game_dir + "/players/default/prefer.txt", options.prefer);
        if (!options.refresh.empty()) support::write_text(game_dir + "/players/default/refresh.txt", options.refresh);
    }
    if (options.prepare) options.prepare(game_dir);

    XSetErrorHandler(ignore_x_error);
    XSetIOErrorHandler(lost_x_server);
    int number = start_xvfb(options.screen_width, options.screen_height, &xvfb_pid);
    if (number < 0) {
        error = "Xvfb did not start";
        return;
    }
    std::string display_name = ":" + std::to_string(number);
    poll_until([&] { return (display = XOpenDisplay(display_name.c_str())) != nullptr; }, 5000, 100);
    if (!display) {
        error = "cannot connect to Xvfb";
        return;
    }

    // Another user must reach his HOME inside the temporary folder and own
    // it, also what before_game writes there.
    auto give_home = [&]() {
        if (options.uid == 0) return true;
        ec.clear();
        fs::permissions(temp_root, fs::perms(0755), ec);
        if (chown(home_dir.c_str(), options.uid, options.gid) != 0) ec.assign(errno, std::generic_category());
        for (auto it = fs::recursive_directory_iterator(home_dir, ec); !ec && it != fs::recursive_directory_iterator();
             it.increment(ec))
            if (lchown(it->path().c_str(), options.uid, options.gid) != 0) ec.assign(errno, std::generic_category());
        if (ec) error = "cannot give the home folder to the user: " + ec.message();
        return !ec;
    };
    if (!give_home()) return;
    if (options.before_game) options.before_game(display_name, home_dir);
    if (!give_home()) return;

    pid_t parent = getpid();
    pid_t child = fork();
    if (child < 0) {
        error = "cannot fork the game";
        return;
    }
    if (child == 0) {
        setpgid(0, 0);
        if (options.uid != 0 && (setgroups(0, nullptr) != 0 || setgid(options.gid) != 0 || setuid(options.uid) != 0))
            _exit(125);
        // After the change of user, which clears the death signal.
        die_with_parent(parent);
        setenv("DISPLAY", display_name.c_str(), 1);
        setenv("HOME", home_dir.c_str(), 1);
        unsetenv("XDG_DATA_HOME");
        setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
        if (chdir(home_dir.c_str()) != 0) _exit(126);
        std::string binary = options.program.empty() ? game_dir + "/tessellon" : options.program;
        execl(binary.c_str(), binary.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    game_pid = child;
    start_watchdog(options.time_limit_ms);
}

// The watchdog sleeps until the session ends or its time limit passes; then
// it kills the game and Xvfb, which turns any X call the test is blocked in
// into a lost connection (see lost_x_server) instead of a hang.
void Session::start_watchdog(int limit_ms) {
    int game = game_pid, xvfb = xvfb_pid;
    watchdog = std::thread([this, limit_ms, game, xvfb] {
        std::unique_lock<std::mutex> lock(watchdog_mutex);
        if (watchdog_cv.wait_for(lock, std::chrono::milliseconds(limit_ms), [this] { return ending; })) return;
        std::fprintf(stderr, "e2e harness: the session outlived its %d ms, ending it\n", limit_ms);
        if (game > 0) {
            kill(-game, SIGKILL);
            kill(game, SIGKILL);
        }
        if (xvfb > 0) kill(xvfb, SIGKILL);
    });
}

Session::~Session() {
    if (watchdog.joinable()) {
        {
            std::lock_guard<std::mutex> lock(watchdog_mutex);
            ending = true;
        }
        watchdog_cv.notify_all();
        watchdog.join();
    }
    if (game_pid > 0 && !reaped) {
        kill(-game_pid, SIGKILL);
        kill(game_pid, SIGKILL);
        waitpid(game_pid, nullptr, 0);
    }
    if (display) XCloseDisplay(display);
    if (xvfb_pid > 0) {
        kill(xvfb_pid, SIGTERM);
        if (!poll_until([this] { return waitpid(xvfb_pid, nullptr, WNOHANG) != 0; }, 3000, 20)) {
            kill(xvfb_pid, SIGKILL);
            waitpid(xvfb_pid, nullptr, 0);
        }
    }
}

static bool window_title(Display* display, Window window, std::string* title) {
    char* name = nullptr;
    if (XFetchName(display, window, &name) && name) {
        *title = name;
        XFree(name);
        return true;
    }
    return false;
}

static Window find_titled(Display* display, Window parent, const std::string& title, int depth) {
    Window root_return, parent_return, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, parent, &root_return, &parent_return, &children, &count)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; i++) {
        std::string name;
        XWindowAttributes attributes;
        if (window_title(display, children[i], &name) && name == title &&
            XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable)
            found = children[i];
        else if (depth < 3)
            found = find_titled(display, children[i], title, depth + 1);
    }
    if (children) XFree(children);
    return found;
}

unsigned long Session::wait_for_window(const std::string& title, int timeout_ms, int* w, int* h) {
    if (!display) return 0;
    Window window = 0;
    if (!poll_until([&] { return (window = find_titled(display, DefaultRootWindow(display), title, 0)) != 0; },
                    timeout_ms, 50, [this] { return !running(); }))
        return 0;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes)) return 0;
    if (w) *w = attributes.width;
    if (h) *h = attributes.height;
    return window;
}

Shot Session::grab() {
    Shot shot;
    if (!display) return shot;
    Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, root, &attributes);
    XImage* image = XGetImage(display, root, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (!image) return shot;
    shot.width = attributes.width;
    shot.height = attributes.height;
    shot.pixels.resize(static_cast<size_t>(shot.width) * shot.height);
    for (int y = 0; y < shot.height; y++)
        for (int x = 0; x < shot.width; x++)
            shot.pixels[static_cast<size_t>(y) * shot.width + x] =
                static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xffffffu;
    XDestroyImage(image);
    return shot;
}

bool Session::wait_for_screen(const std::function<bool(const Shot&)>& pred, int timeout_ms, Shot* last) {
    Shot shot;
    bool met = poll_until([&] { return pred(shot = grab()); }, timeout_ms, 100);
    if (last) *last = shot;
    return met;
}

bool Session::wait_until_still(int timeout_ms, Shot* last, const std::function<bool(const Shot&)>& pred) {
    Shot before = grab(), now;
    // The first check compares two grabs a quarter second apart.
    pause(250);  // pacing between the two grabs compared, not a wait for a state
    bool met = poll_until(
        [&] {
            now = grab();
            bool still =
                now.drawn() && now.width == before.width && now.pixels == before.pixels && (!pred || pred(now));
            before = now;
            return still;
        },
        timeout_ms, 250);
    if (last) *last = now;
    return met;
}

bool Session::wait_for_change(const Shot& before, int timeout_ms, Shot* last) {
    int deadline = now_ms() + timeout_ms;
    auto changed = [&before](const Shot& s) { return s.width != before.width || s.pixels != before.pixels; };
    if (!wait_for_screen(changed, timeout_ms, last)) return false;
    return wait_until_still(std::max(0, deadline - now_ms()), last, changed);
}

bool Session::wait_for_file(const std::string& path, const std::function<bool(const std::string&)>& pred,
                            int timeout_ms) {
    return poll_until(
        [&] {
            std::error_code ec;
            return fs::exists(path, ec) && pred(read_file_text(path));
        },
        timeout_ms, 50, [this] { return !running(); });
}

bool Session::wait_for_focus(unsigned long window, int timeout_ms) {
    if (!display) return false;
    auto focused = [&] {
        Window focus = 0;
        int revert = 0;
        XGetInputFocus(display, &focus, &revert);
        // Walk up from the focus window: a focus inside the game's window counts.
        for (Window w = focus; w > PointerRoot;) {
            if (w == window) return true;
            Window root = 0, parent = 0, *children = nullptr;
            unsigned count = 0;
            if (!XQueryTree(display, w, &root, &parent, &children, &count)) break;
            if (children) XFree(children);
            w = parent;
        }
        return false;
    };
    return poll_until(focused, timeout_ms, 20, [this] { return !running(); });
}

bool Session::keyboard_grabbed_elsewhere() {
    if (!display) return false;
    int result = XGrabKeyboard(display, DefaultRootWindow(display), True, GrabModeAsync, GrabModeAsync, CurrentTime);
    if (result == GrabSuccess) XUngrabKeyboard(display, CurrentTime);
    XSync(display, False);
    return result == AlreadyGrabbed;
}

static unsigned keycode_of(Display* display, const char* name) {
    KeySym sym = XStringToKeysym(name);
    return sym == NoSymbol ? 0 : XKeysymToKeycode(display, sym);
}

void Session::key_down(const char* name) {
    if (!display) return;
    XTestFakeKeyEvent(display, keycode_of(display, name), True, 0);
    XFlush(display);
}

void Session::key_up(const char* name) {
    if (!display) return;
    XTestFakeKeyEvent(display, keycode_of(display, name), False, 0);
    XFlush(display);
}

// The pauses in key and click space the events as a player's hand would:
// input pacing, not waits for the game.
void Session::key(const char* name) {
    key_down(name);
    pause(30);
    key_up(name);
    pause(60);
}

void Session::move(int x, int y) {
    if (!display) return;
    XTestFakeMotionEvent(display, 0, x, y, 0);
    XFlush(display);
}

bool Session::pointer(int* x, int* y) {
    if (!display) return false;
    Window root = 0, child = 0;
    int wx = 0, wy = 0;
    unsigned mask = 0;
    return XQueryPointer(display, DefaultRootWindow(display), &root, &child, x, y, &wx, &wy, &mask);
}

void Session::click(int x, int y, int button) {
    if (!display) return;
    move(x, y);
    pause(60);
    XTestFakeButtonEvent(display, button, True, 0);
    XFlush(display);
    pause(30);
    XTestFakeButtonEvent(display, button, False, 0);
    XFlush(display);
    pause(60);
}

void Session::close_window(unsigned long window) {
    if (!display) return;
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

void Session::pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

bool Session::running() {
    if (game_pid <= 0 || reaped) return false;
    int status = 0;
    if (waitpid(game_pid, &status, WNOHANG) != game_pid) return true;
    reaped = true;
    exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return false;
}

int Session::wait_exit(int timeout_ms) {
    if (!poll_until([this] { return !running(); }, timeout_ms, 50)) return -1;
    return reaped ? exit_status : -1;
}

ScaledBoard::ScaledBoard(int bw, int bh, int screen_w, int screen_h) : board_w(bw), board_h(bh) {
    if ((long)screen_w * bh <= (long)screen_h * bw) {
        w = screen_w;
        h = (int)((long)bh * screen_w / bw);
    } else {
        h = screen_h;
        w = (int)((long)bw * screen_h / bh);
    }
    x = (screen_w - w) / 2;
    y = (screen_h - h) / 2;
}

int ScaledBoard::screen_x(int bx) const { return x + (int)((bx + 0.5) * w / board_w); }
int ScaledBoard::screen_y(int by) const { return y + (int)((by + 0.5) * h / board_h); }
void ScaledBoard::move(Session& game, int bx, int by) const { game.move(screen_x(bx), screen_y(by)); }
void ScaledBoard::click(Session& game, int bx, int by, int button) const {
    game.click(screen_x(bx), screen_y(by), button);
}
uint32_t ScaledBoard::at(const Shot& shot, int bx, int by) const { return shot.at(screen_x(bx), screen_y(by)); }

}  // namespace e2e

namespace e2e {

void end_x_server(Session& game) {
    if (game.display) XCloseDisplay(game.display);
    game.display = nullptr;
    if (game.xvfb() > 0) kill(game.xvfb(), SIGTERM);  // the destructor reaps it
}

}  // namespace e2e
