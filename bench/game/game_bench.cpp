// The real game on an Xvfb this program starts, driven through XTEST:
// exec -> window mapped and -> first painted board frame, idle CPU on every
// screen, RSS with the 48-piece opening jigsaw and with the 300-piece
// patchwork_quilt, the 300-piece board's frame time (pointer motion ->
// changed pixels, nothing held; C, which draws the whole board; a pick-up
// or drop), carrying a piece over it (the same latency, and CPU while
// the pointer circles), and a motion's latency during a background save. CPU is the game process
// (the software renderer's threads included) and, apart, the X server.
//   bench_game [--rounds N] [--start-only] [--shots FOLDER] [--smaps FOLDER] [--wrap "CMD ARGS"]
//              [--screens WxH,WxH...] [label=]GAME_DIR ...
// --screens runs every game full screen on an Xvfb of each size in turn
// (800x600 switches nothing; a larger screen shows the board scaled), one
// column per game and screen; the pointer and the screen grabs go through
// the scaling, so each figure measures the same board pixels.
// Several game folders (say before=... after=...) are run in turn, round
// by round, so a noisy machine weighs on all of them alike; each figure is
// printed as the median with min-max over the rounds. --shots writes a PNG
// of every screen it measures (first round), for a look; --smaps the
// process's memory map with 300 pieces (first round); --start-only stops
// each run at its first board frame, for quick rounds of the start-up; --wrap runs the game
// under a command (heaptrack -o FILE, say) and ends it with SIGTERM once
// the 300 pieces are measured, so the command sees what was live then.
// Needs Xvfb and Mesa.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include "media/draw/draw.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

enum { W = 800, H = 600, BG_R = 40, BG_G = 80, BG_B = 120 };
static const double IDLE_SECONDS = 3.0, CARRY_SECONDS = 3.0;
static const int LATENCY_SAMPLES = 15;

static double now_ms() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

static void sleep_ms(double ms) {
    if (ms <= 0) return;
    timespec t = {(time_t)(ms / 1000), (long)((ms - (time_t)(ms / 1000) * 1000) * 1e6)};
    nanosleep(&t, nullptr);
}

// ---------------------------------------------------------------------------
// Processes: CPU time (all threads) and resident memory
// ---------------------------------------------------------------------------

// Nanoseconds on the CPU of every thread of the process, from schedstat.
static double cpu_ns(int pid) {
    double total = 0;
    std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = opendir(tasks.c_str());
    if (!dir) return 0;
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        std::ifstream in(tasks + "/" + entry->d_name + "/schedstat");
        double ns = 0;
        if (in >> ns) total += ns;
    }
    closedir(dir);
    return total;
}

// Resident MiB of the process by kind of mapping, from smaps: the
// libraries' code and data ("file"), the main malloc arena ("heap"), other
// anonymous memory (thread arenas, large allocations, the renderer's
// buffers: "anon") and shared memory ("shm"). With a folder given the whole
// smaps is written there too, for a closer look.
static std::map<std::string, double> rss_by_kind(int pid, const std::string& save_as) {
    std::map<std::string, double> kib;
    std::ifstream in("/proc/" + std::to_string(pid) + "/smaps");
    std::ofstream out;
    if (!save_as.empty()) out.open(save_as);
    std::string line, kind = "anon";
    while (std::getline(in, line)) {
        if (out.is_open()) out << line << '\n';
        if (!line.empty() && std::isxdigit((unsigned char)line[0]) && line.find('-') < 16) {
            // A mapping's first line: range, permissions, offset, device, inode, name.
            std::string name;
            size_t slash = line.find('/'), bracket = line.find('[');
            if (slash != std::string::npos)
                name = line.substr(slash);
            else if (bracket != std::string::npos)
                name = line.substr(bracket);
            if (name == "[heap]")
                kind = "heap";
            else if (name.rfind("/dev/shm", 0) == 0 || name.rfind("/memfd:", 0) == 0 || name.rfind("/SYSV", 0) == 0)
                kind = "shm";
            else if (!name.empty() && name[0] == '/')
                kind = "file";
            else
                kind = "anon";
        } else if (line.rfind("Rss:", 0) == 0) {
            kib[kind] += std::atof(line.c_str() + 4);
        }
    }
    for (auto& k : kib) k.second /= 1024.0;
    return kib;
}

// The process of that name among pid and its descendants (the game under
// a wrapper); 0 when none.
static int find_process(int pid, const std::string& name) {
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string own;
    if (std::getline(comm, own) && own == name) return pid;
    std::ifstream children("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children");
    int child = 0;
    while (children >> child)
        if (int found = find_process(child, name)) return found;
    return 0;
}

// Ends the game under the wrapper with SIGTERM and waits (at most a minute)
// for the wrapper to finish its report.
static void end_wrapped_game(int pid) {
    if (int game = find_process(pid, "tessellon")) kill(game, SIGTERM);
    for (double t0 = now_ms(); now_ms() - t0 < 60000;) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) return;
        sleep_ms(50);
    }
}

static double rss_mib(int pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
    }
    return 0;
}

// ---------------------------------------------------------------------------
// The X server and the screen
// ---------------------------------------------------------------------------

static int start_xvfb(int* pid, int width, int height) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    std::string fd_text = std::to_string(fds[1]);
    std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        int null_fd = open("/dev/null", O_WRONLY);
        dup2(null_fd, 1);
        dup2(null_fd, 2);
        execlp("Xvfb", "Xvfb", "-displayfd", fd_text.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
               "-noreset", "+extension", "GLX", (char*)nullptr);
        _exit(127);
    }
    close(fds[1]);
    *pid = child;
    std::string number;
    pollfd p = {fds[0], POLLIN, 0};
    char c;
    while (poll(&p, 1, 20000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    return number.empty() ? -1 : std::atoi(number.c_str());
}

static Display* dpy = nullptr;  // the connection to the Xvfb of the current run

// Where the board of W x H shows on the current run's screen: the largest
// aspect-keeping size, centred (the whole screen at 800x600).
struct BoardView {
    int screen_w = W, screen_h = H;
    int x = 0, y = 0, w = W, h = H;
};
static BoardView view;

static BoardView board_view(int screen_w, int screen_h) {
    BoardView v;
    v.screen_w = screen_w;
    v.screen_h = screen_h;
    if ((long)screen_w * H <= (long)screen_h * W) {
        v.w = screen_w;
        v.h = (int)((long)H * screen_w / W);
    } else {
        v.h = screen_h;
        v.w = (int)((long)W * screen_h / H);
    }
    v.x = (screen_w - v.w) / 2;
    v.y = (screen_h - v.h) / 2;
    return v;
}

// The screen pixel showing the board pixel, and the first screen column or
// row of a board one (for rectangles).
static int screen_x(int bx) { return view.x + (int)((bx + 0.5) * view.w / W); }
static int screen_y(int by) { return view.y + (int)((by + 0.5) * view.h / H); }
static int edge_x(int bx) { return view.x + (int)((long)bx * view.w / W); }
static int edge_y(int by) { return view.y + (int)((long)by * view.h / H); }

// The board rectangle as the screen shows it, 0xRRGGBB, clipped to the board.
static std::vector<uint32_t> grab(int x, int y, int w, int h) {
    x = std::max(0, std::min(x, W - 1));
    y = std::max(0, std::min(y, H - 1));
    w = std::min(w, W - x);
    h = std::min(h, H - y);
    int x1 = edge_x(x + w), y1 = edge_y(y + h);
    x = edge_x(x);
    y = edge_y(y);
    w = x1 - x;
    h = y1 - y;
    std::vector<uint32_t> pixels;
    XImage* image = XGetImage(dpy, DefaultRootWindow(dpy), x, y, w, h, AllPlanes, ZPixmap);
    if (!image) return pixels;
    pixels.reserve((size_t)w * h);
    for (int j = 0; j < h; j++)
        for (int i = 0; i < w; i++) pixels.push_back(XGetPixel(image, i, j) & 0xFFFFFF);
    XDestroyImage(image);
    return pixels;
}

// The 2r x 2r screen pixels around the one showing board pixel (x, y):
// the same number of pixels on every screen, so that looking costs alike.
static std::vector<uint32_t> probe(int x, int y, int r) {
    int sx = std::max(0, std::min(screen_x(x) - r, view.screen_w - 2 * r));
    int sy = std::max(0, std::min(screen_y(y) - r, view.screen_h - 2 * r));
    std::vector<uint32_t> pixels;
    XImage* image = XGetImage(dpy, DefaultRootWindow(dpy), sx, sy, 2 * r, 2 * r, AllPlanes, ZPixmap);
    if (!image) return pixels;
    pixels.reserve((size_t)4 * r * r);
    for (int j = 0; j < 2 * r; j++)
        for (int i = 0; i < 2 * r; i++) pixels.push_back(XGetPixel(image, i, j) & 0xFFFFFF);
    XDestroyImage(image);
    return pixels;
}

static std::string shots_folder;          // --shots; empty = none
static std::string smaps_folder;          // --smaps; empty = none
static std::vector<std::string> wrapper;  // --wrap: a command the game runs under (a heap profiler, say)
static std::string shot_prefix;           // the game's label, first round only
static bool start_only = false;           // --start-only: the two start-up figures and nothing else
static bool full_screen = false;          // --screens: every run full screen

static void shot(const std::string& name) {
    if (shots_folder.empty() || shot_prefix.empty()) return;
    std::vector<uint32_t> p = grab(0, 0, W, H);
    int w = edge_x(W) - edge_x(0), h = edge_y(H) - edge_y(0);
    if (p.size() != (size_t)w * h) return;
    TPixmap* pixmap = create_pixmap(w, h, PF_RGBA8888);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) write_pixel(pixmap, x, y, 0xFF000000u | p[(size_t)y * w + x]);
    std::string size = view.screen_w == W ? "" : "-" + std::to_string(view.screen_w);
    save_pixmap_png(pixmap, shots_folder + "/" + shot_prefix + size + "-" + name + ".png", 5);
    free_pixmap(pixmap);
}

static bool board_colour_at(int x, int y) {
    std::vector<uint32_t> p;
    XImage* image = XGetImage(dpy, DefaultRootWindow(dpy), screen_x(x), screen_y(y), 1, 1, AllPlanes, ZPixmap);
    if (image) {
        p.push_back(XGetPixel(image, 0, 0) & 0xFFFFFF);
        XDestroyImage(image);
    }
    return !p.empty() && p[0] == (uint32_t)(BG_R << 16 | BG_G << 8 | BG_B);
}

// Waits until the whole screen has stayed the same for quiet_ms (at most
// timeout_ms); false on time-out.
static bool wait_still(double quiet_ms, double timeout_ms) {
    double start = now_ms(), since = now_ms();
    std::vector<uint32_t> last = grab(0, 0, W, H);
    while (now_ms() - start < timeout_ms) {
        sleep_ms(20);
        std::vector<uint32_t> p = grab(0, 0, W, H);
        if (p != last) {
            last = p;
            since = now_ms();
        } else if (now_ms() - since >= quiet_ms) {
            return true;
        }
    }
    return false;
}

// The pointer onto the screen pixel that shows board pixel (x, y).
static void move(int x, int y) {
    XTestFakeMotionEvent(dpy, 0, screen_x(x), screen_y(y), 0);
    XFlush(dpy);
}

static void click(int x, int y, int button = 1) {
    move(x, y);
    sleep_ms(30);
    XTestFakeButtonEvent(dpy, button, True, 0);
    XTestFakeButtonEvent(dpy, button, False, 0);
    XFlush(dpy);
}

static void key(const char* name) {
    KeyCode code = XKeysymToKeycode(dpy, XStringToKeysym(name));
    XTestFakeKeyEvent(dpy, code, True, 0);
    XTestFakeKeyEvent(dpy, code, False, 0);
    XFlush(dpy);
}

// Milliseconds from a pointer motion to (x, y) until the pixels around it
// change; -1 when they did not within a second.
static double motion_latency(int x, int y) {
    const int r = 40;
    std::vector<uint32_t> before = probe(x, y, r);
    double t0 = now_ms();
    move(x, y);
    while (now_ms() - t0 < 1000) {
        if (probe(x, y, r) != before) return now_ms() - t0;
    }
    return -1;
}

// Milliseconds from a left click at (x, y), the pointer already there,
// until the pixels around it change; -1 when they did not within a second.
static double click_latency(int x, int y) {
    const int r = 40;
    move(x, y);
    sleep_ms(30);
    std::vector<uint32_t> before = probe(x, y, r);
    double t0 = now_ms();
    XTestFakeButtonEvent(dpy, 1, True, 0);
    XTestFakeButtonEvent(dpy, 1, False, 0);
    XFlush(dpy);
    while (now_ms() - t0 < 1000) {
        if (probe(x, y, r) != before) return now_ms() - t0;
    }
    return -1;
}

// Milliseconds from a key press until the pixels around (x, y) change; -1
// when they did not within a second.
static double key_latency(const char* name, int x, int y) {
    const int r = 40;
    std::vector<uint32_t> before = probe(x, y, r);
    double t0 = now_ms();
    key(name);
    while (now_ms() - t0 < 1000) {
        if (probe(x, y, r) != before) return now_ms() - t0;
    }
    return -1;
}

// ---------------------------------------------------------------------------
// One run of one game folder
// ---------------------------------------------------------------------------

typedef std::map<std::string, double> Figures;

static std::vector<std::string> figure_order;  // names in the order first measured

static void put(Figures* f, const std::string& name, double value) {
    if (std::find(figure_order.begin(), figure_order.end(), name) == figure_order.end()) figure_order.push_back(name);
    (*f)[name] = value;
}

static void write_text(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A folder that runs the game's binary over the given folder's resources:
// a copy of the binary (the game finds its folder through its own file),
// links to the read-only folders, and a player folder of its own with the
// preferences (a window, the board's colour) and a saved 300-piece game.
static bool prepare(const std::string& game, const std::string& root) {
    std::error_code ec;
    fs::create_directories(root + "/players/default", ec);
    fs::copy_file(game + "/tessellon", root + "/tessellon", ec);
    if (ec) return false;
    for (const char* sub : {"images", "fonts", "sounds", "jigsaws"})
        fs::create_directory_symlink(fs::absolute(game + "/" + sub), root + "/" + sub, ec);
    std::string p = root + "/players/default/";
    // click help 0, small, sound on, windowed (or full screen), no prompt, save message, own colour,
    // save when leaving (and so while playing)
    write_text(p + "prefer.txt", std::string("0\r\n0\r\n1\r\n") + (full_screen ? "0" : "1") +
                                     "\r\n0\r\n1\r\n1\r\n" + std::to_string(BG_R) + "\r\n" + std::to_string(BG_G) +
                                     "\r\n" + std::to_string(BG_B) + "\r\n1\r\n");
    // patchwork_quilt dealt over the whole board in rows, every piece
    // turned by its number, the last (on top) upright in the middle.
    std::string saved;
    for (int i = 1; i <= 300; i++) {
        int x = 30 + ((i - 1) % 20) * 39, y = 30 + ((i - 1) / 20) * 38, a = i % 4;
        if (i == 300) x = 400, y = 300, a = 0;
        for (int v : {x, y, a, 1, 0, i, 0}) saved += std::to_string(v) + "\r\n";
    }
    for (int v : {(int)BG_R, (int)BG_G, (int)BG_B, 0, 0}) saved += std::to_string(v) + "\r\n";
    write_text(p + "patchwork_quilt.txt", saved);
    fs::copy_file(game + "/jigsaws/patchwork_quilt/tn.png", p + "patchwork_quilt.png", ec);
    return !ec;
}

// CPU of the game and of the X server over `seconds` of doing nothing, in
// percent of one core.
static void idle_cpu(Figures* f, const std::string& screen, int game, int xvfb) {
    wait_still(400, 5000);
    shot(screen);
    double g0 = cpu_ns(game), x0 = cpu_ns(xvfb), t0 = now_ms();
    sleep_ms(IDLE_SECONDS * 1000);
    double ms = now_ms() - t0;
    put(f, "idle CPU %, " + screen, (cpu_ns(game) - g0) / 1e4 / ms);
    put(f, "idle CPU % of Xvfb, " + screen, (cpu_ns(xvfb) - x0) / 1e4 / ms);
}

static double median(std::vector<double> v);

// Picks up the piece at (x, y) and carries it: a motion's latency, then
// CPU while the pointer circles. The figures' names start with `prefix`.
static void carrying_figures(Figures* f, const std::string& prefix, const std::string& shot_name, int x, int y,
                             int pid, int xvfb) {
    click(x, y);
    wait_still(200, 3000);
    std::vector<double> carry;
    for (int i = 0; i < LATENCY_SAMPLES; i++) {
        carry.push_back(motion_latency(400 + (i % 2) * 60, 300 + (i % 3) * 30));
        wait_still(100, 2000);
    }
    put(f, prefix + "carrying: motion -> pixels, ms", median(carry));
    shot(shot_name);
    double g0 = cpu_ns(pid), x0 = cpu_ns(xvfb), c0 = now_ms();
    for (int i = 0; now_ms() - c0 < CARRY_SECONDS * 1000; i++) {
        double angle = i * 0.05;
        move(400 + (int)(150 * cos(angle)), 300 + (int)(120 * sin(angle)));
        sleep_ms(10);  // a hand on a mouse: about 100 motions a second
    }
    double ms = now_ms() - c0;
    put(f, prefix + "carrying CPU %", (cpu_ns(pid) - g0) / 1e4 / ms);
    put(f, prefix + "carrying CPU % of Xvfb", (cpu_ns(xvfb) - x0) / 1e4 / ms);
}

// The same board with the loupe (key 0) following the pointer, side by
// side with the figures above: idle, a motion with nothing held, and
// carrying the piece last put down at (450, 320). The loupe is put away
// again (two more presses) at the end.
static void loupe_figures(Figures* f, int pid, int xvfb) {
    move(600, 460);
    key("0");
    idle_cpu(f, "300 board, loupe", pid, xvfb);
    std::vector<double> frame;
    for (int i = 0; i < LATENCY_SAMPLES; i++) {
        frame.push_back(motion_latency(600 + (i % 2) * 90, 460 - (i % 3) * 40));
        wait_still(100, 2000);
    }
    put(f, "loupe, 300 board: motion -> pixels, ms", median(frame));
    carrying_figures(f, "loupe, ", "carrying-loupe", 450, 320, pid, xvfb);
    key("0");
    key("0");
}

static double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

static void background_save_frames(Figures* f, const std::string& root, int pid);

static bool run_game(const std::string& game, const std::string& display_name, int xvfb, Figures* f) {
    char pattern[] = "/tmp/tessellon-bench-XXXXXX";
    if (!mkdtemp(pattern)) return false;
    std::string root = pattern;
    if (!prepare(game, root)) {
        fprintf(stderr, "bench_game: cannot prepare a copy of %s\n", game.c_str());
        return false;
    }
    Window rootw = DefaultRootWindow(dpy);
    XSelectInput(dpy, rootw, SubstructureNotifyMask);
    XSync(dpy, True);  // forget earlier notifications

    double t0 = now_ms();
    pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        setenv("DISPLAY", display_name.c_str(), 1);
        setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
        int null_fd = open("/dev/null", O_WRONLY);
        dup2(null_fd, 1);
        dup2(null_fd, 2);
        std::string binary = root + "/tessellon";
        std::vector<char*> args;
        for (std::string& w : wrapper) args.push_back(&w[0]);
        args.push_back(&binary[0]);
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    bool ok = false;
    double mapped = -1, first = -1;
    while (now_ms() - t0 < 10000 && mapped < 0) {
        while (XPending(dpy)) {
            XEvent e;
            XNextEvent(dpy, &e);
            if (e.type == MapNotify && mapped < 0) mapped = now_ms() - t0;
        }
        if (mapped < 0) sleep_ms(0.2);
    }
    XSelectInput(dpy, rootw, NoEventMask);
    // The first board frame: the board's colour where the title box is not.
    while (mapped >= 0 && now_ms() - t0 < 20000) {
        if (board_colour_at(3, 3)) {
            first = now_ms() - t0;
            break;
        }
        sleep_ms(0.5);
    }
    if (first >= 0) {
        ok = true;
        put(f, "exec -> window mapped, ms", mapped);
        put(f, "exec -> first board frame, ms", first);
        if (start_only) {
            if (!wrapper.empty()) end_wrapped_game(pid);  // the wrapper writes what it saw
            goto done;
        }
        click(790, 590);  // cuts the opening flight short
        wait_still(400, 8000);
        idle_cpu(f, "board (48)", pid, xvfb);
        put(f, "RSS MiB, 48 pieces", rss_mib(pid));
        const struct {
            const char* open;
            const char* close;
            const char* name;
        } screens[] = {
            {"b", "Escape", "box"},  {"h", "h", "help"},       {"i", "Escape", "prefs"},
            {"n", "Escape", "new1"}, {"l", "Escape", "load1"}, {"k", "Escape", "delete1"},
        };
        for (const auto& s : screens) {
            key(s.open);
            idle_cpu(f, s.name, pid, xvfb);
            key(s.close);
            wait_still(300, 5000);
        }
        // The saved 300-piece game, first in the load browser.
        key("l");
        wait_still(300, 5000);
        click(106, 140);
        double load_start = now_ms();
        while (now_ms() - load_start < 20000 && !board_colour_at(3, 3)) sleep_ms(5);
        move(700, 560);
        idle_cpu(f, "board (300)", pid, xvfb);
        // Under a wrapper the figures are the game's own, not the wrapper's.
        int game_pid = wrapper.empty() ? pid : find_process(pid, "tessellon");
        put(f, "RSS MiB, 300 pieces", rss_mib(game_pid));
        std::string smaps_file = smaps_folder.empty() || shot_prefix.empty()
                                     ? std::string()
                                     : smaps_folder + "/" + shot_prefix + "-300.smaps";
        std::map<std::string, double> kinds = rss_by_kind(game_pid, smaps_file);
        for (const char* kind : {"file", "heap", "anon", "shm"})
            put(f, std::string("  of it ") + kind + ", MiB", kinds[kind]);
        if (!wrapper.empty()) {
            // A wrapped game ends here, so that the wrapper reports what
            // was live with 300 pieces on the board, and writes it out.
            end_wrapped_game(pid);
            ok = true;
            goto done;
        }

        // A board frame: the pointer moved, nothing held.
        std::vector<double> frame;
        for (int i = 0; i < LATENCY_SAMPLES; i++) {
            frame.push_back(motion_latency(600 + (i % 2) * 90, 500 - (i % 3) * 40));
            wait_still(100, 2000);
        }
        put(f, "300 board: motion -> pixels, ms", median(frame));

        // Whole frames: C hides or shows the colour swatch, and the whole
        // board is drawn again.
        std::vector<double> whole;
        for (int i = 0; i < 2 * (LATENCY_SAMPLES / 2); i++) {
            whole.push_back(key_latency("c", 40, 490));
            wait_still(100, 2000);
        }
        put(f, "300 board: whole frame (C) -> pixels, ms", median(whole));

        // Picking up the top piece and putting it down where it lay: the
        // board under it changes (the pointer hides and shows).
        std::vector<double> pick;
        for (int i = 0; i < 2 * (LATENCY_SAMPLES / 2); i++) {
            pick.push_back(click_latency(400, 300));
            wait_still(100, 2000);
        }
        put(f, "300 board: pick-up/drop -> pixels, ms", median(pick));

        // Carrying the top piece.
        carrying_figures(f, "", "carrying", 400, 300, pid, xvfb);

        background_save_frames(f, root, pid);
        loupe_figures(f, pid, xvfb);
    }
done:
    kill(-pid, SIGKILL);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    std::error_code ec;
    fs::remove_all(root, ec);
    return ok;
}

// ---------------------------------------------------------------------------
// A background save: the longest frame while it runs
// ---------------------------------------------------------------------------

// True when the game's main thread waits for its next event: blocked in
// the poll of its event wait, which watches two descriptors (the X
// connection and the frame timer's pipe), unlike Xlib's own waits for a
// reply inside a frame. From /proc/PID/task/PID/syscall: "7 fds nfds ..."
// (poll) or "271 fds nfds ..." (ppoll) while blocked, "running" otherwise.
static bool main_thread_waiting(int fd) {
    char text[256];
    ssize_t n = pread(fd, text, sizeof text - 1, 0);
    if (n <= 0) return false;
    text[n] = 0;
    long number = -1;
    unsigned long fds = 0, nfds = 0;
    if (sscanf(text, "%ld %lx %lx", &number, &fds, &nfds) != 3) return false;
    return (number == 7 || number == 271) && nfds == 2;
}

// A save in the background of play: the carried piece dropped (a change),
// then nothing but one motion, sent at the first sight of the save's
// temporary file, until the thumbnail has replaced the old one and the game
// has had a moment more. Meanwhile the main thread is sampled about every
// 0.2 ms: the longest stretch between two of its waits for an event is the
// longest frame, the time a motion coming at its start waits for pixels.
// The drop's own frame is left out: sampling starts a second after it.
static void background_save_frames(Figures* f, const std::string& root, int pid) {
    std::string folder = root + "/players/default";
    std::string syscall_file = "/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/syscall";
    int state = open(syscall_file.c_str(), O_RDONLY);
    int watch = inotify_init1(IN_NONBLOCK);
    if (state < 0 || watch < 0 || inotify_add_watch(watch, folder.c_str(), IN_CREATE | IN_MOVED_TO) < 0) {
        if (state >= 0) close(state);
        if (watch >= 0) close(watch);
        return;
    }
    click(450, 320);  // not where it was picked up: a change
    const int r = 40, mx = 690, my = 460;
    double s0 = now_ms(), created = -1, replaced = -1, moved = -1, latency = -1, busy_since = -1, longest = -1;
    std::vector<uint32_t> before;
    while (now_ms() - s0 < 15000 && (replaced < 0 || now_ms() - replaced < 300)) {
        alignas(inotify_event) char events[4096];
        ssize_t n = read(watch, events, sizeof events);
        for (ssize_t at = 0; n > 0 && at < n;) {
            const inotify_event* e = reinterpret_cast<const inotify_event*>(events + at);
            std::string name = e->len ? e->name : "";
            if ((e->mask & IN_CREATE) && created < 0) created = now_ms();
            if ((e->mask & IN_MOVED_TO) && name == "patchwork_quilt.png") replaced = now_ms();
            at += sizeof(inotify_event) + e->len;
        }
        if (created >= 0 && moved < 0) {
            before = probe(mx, my, r);
            moved = now_ms();
            move(mx, my);
        } else if (moved >= 0 && latency < 0 && now_ms() - moved < 1000 && probe(mx, my, r) != before) {
            latency = now_ms() - moved;
        }
        double t = now_ms();
        if (t - s0 >= 1000) {
            if (main_thread_waiting(state)) {
                if (busy_since >= 0) longest = std::max(longest, t - busy_since);
                busy_since = -1;
            } else if (busy_since < 0) {
                busy_since = t;
            }
        }
        sleep_ms(0.2);
    }
    close(watch);
    close(state);
    if (created < 0 || replaced < 0) return;
    put(f, "300 board: drop -> background save, s", (created - s0) / 1000);
    put(f, "300 board: motion during a background save -> pixels, ms", latency);
    put(f, "300 board: longest frame during a background save, ms", longest);
}

// One X server of the screens asked for, and the connection to it.
struct BenchScreen {
    int width = W, height = H;
    int xvfb = 0;  // its process
    std::string display_name;
    Display* display = nullptr;
};

static bool start_screen(BenchScreen* screen) {
    int number = start_xvfb(&screen->xvfb, screen->width, screen->height);
    screen->display_name = ":" + std::to_string(number);
    for (int tries = 0; number >= 0 && tries < 50 && !screen->display; tries++) {
        screen->display = XOpenDisplay(screen->display_name.c_str());
        if (!screen->display) sleep_ms(100);
    }
    return screen->display != nullptr;
}

static void stop_screen(BenchScreen* screen) {
    if (screen->display) XCloseDisplay(screen->display);
    if (screen->xvfb > 0) {
        kill(screen->xvfb, SIGTERM);
        waitpid(screen->xvfb, nullptr, 0);
    }
    *screen = BenchScreen();
}

int main(int argc, char** argv) {
    int rounds = 5;
    std::vector<std::pair<std::string, std::string>> games;  // label, folder
    std::vector<BenchScreen> screens(1);                     // 800x600 unless --screens
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        if (a == "--rounds" && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--screens" && i + 1 < argc) {
            screens.clear();
            full_screen = true;
            for (const char* at = argv[++i]; *at;) {
                BenchScreen screen;
                char* end = nullptr;
                screen.width = (int)std::strtol(at, &end, 10);
                if (*end == 'x') screen.height = (int)std::strtol(end + 1, &end, 10);
                if (screen.width >= W && screen.height >= H) screens.push_back(screen);
                at = *end == ',' ? end + 1 : end + std::strlen(end);
            }
            if (screens.empty()) {
                fprintf(stderr, "bench_game: --screens wants sizes like 800x600,1920x1080\n");
                return 1;
            }
        } else if (a == "--shots" && i + 1 < argc) {
            shots_folder = argv[++i];
        } else if (a == "--wrap" && i + 1 < argc) {
            std::string words = argv[++i];
            for (size_t at = 0; at < words.size();) {
                size_t end = words.find(' ', at);
                if (end == std::string::npos) end = words.size();
                if (end > at) wrapper.push_back(words.substr(at, end - at));
                at = end + 1;
            }
        } else if (a == "--start-only") {
            start_only = true;
        } else if (a == "--smaps" && i + 1 < argc) {
            smaps_folder = argv[++i];
        } else {
            size_t eq = a.find('=');
            if (eq == std::string::npos)
                games.push_back({a, a});
            else
                games.push_back({a.substr(0, eq), a.substr(eq + 1)});
        }
    }
    if (games.empty()) games.push_back({"game", BENCH_GAME_DIR});

    for (BenchScreen& screen : screens) {
        if (!start_screen(&screen)) {
            fprintf(stderr, "bench_game: Xvfb of %dx%d did not start\n", screen.width, screen.height);
            for (BenchScreen& started : screens) stop_screen(&started);
            return 1;
        }
    }
    // One column per game and screen, run game by game and screen by
    // screen within every round.
    std::vector<std::string> labels;
    for (const auto& g : games)
        for (const BenchScreen& screen : screens)
            labels.push_back(screens.size() == 1
                                 ? g.first
                                 : g.first + " " + std::to_string(screen.width) + "x" + std::to_string(screen.height));
    std::vector<std::vector<Figures>> results(labels.size());
    for (int r = 0; r < rounds; r++) {
        for (size_t g = 0; g < games.size(); g++) {
            for (size_t k = 0; k < screens.size(); k++) {
                size_t column = g * screens.size() + k;
                dpy = screens[k].display;
                view = board_view(screens[k].width, screens[k].height);
                Figures f;
                shot_prefix = r == 0 ? games[g].first : "";
                if (!run_game(games[g].second, screens[k].display_name, screens[k].xvfb, &f))
                    fprintf(stderr, "bench_game: round %d of %s did not reach the board\n", r + 1,
                            labels[column].c_str());
                else
                    results[column].push_back(f);
                fprintf(stderr, "round %d/%d %s done\n", r + 1, rounds, labels[column].c_str());
            }
        }
    }
    for (BenchScreen& screen : screens) stop_screen(&screen);

    printf("%-38s", "median (min-max)");
    for (const std::string& label : labels) printf(" | %-22s", label.c_str());
    printf("\n");
    for (const std::string& name : figure_order) {
        printf("%-38s", name.c_str());
        for (size_t g = 0; g < labels.size(); g++) {
            std::vector<double> v;
            for (const Figures& f : results[g])
                if (f.count(name)) v.push_back(f.at(name));
            char cell[64] = "-";
            if (!v.empty()) {
                std::sort(v.begin(), v.end());
                snprintf(cell, sizeof cell, "%.2f (%.2f-%.2f)", median(v), v.front(), v.back());
            }
            printf(" | %-22s", cell);
        }
        printf("\n");
    }
    return 0;
}
