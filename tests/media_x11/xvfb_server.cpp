// Starts one Xvfb for the test process on a display number it picks itself
// (-displayfd), and ends it when the tests are done; the server also dies
// with the test process if that crashes.
#include <gtest/gtest.h>  // before Xlib, whose macros clash with it

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <string>

#include "media/draw/x11_backend.h"
#include "media/media_internal.h"
#include "tests/media_x11/xvfb_server.h"

static pid_t xvfb_pid = 0;                   // the server, 0 = none
static Display* observer_display = nullptr;  // observer()'s connection

static bool start_server() {
    int fds[2];
    if (pipe(fds) != 0) return false;
    std::string fd_text = std::to_string(fds[1]);
    std::string screen = std::to_string(TEST_SCREEN_WIDTH) + "x" + std::to_string(TEST_SCREEN_HEIGHT) + "x24";
    pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        close(fds[0]);
        int null_fd = open("/dev/null", O_WRONLY);
        if (null_fd >= 0) {
            dup2(null_fd, 1);
            dup2(null_fd, 2);
        }
        execlp("Xvfb", "Xvfb", "-displayfd", fd_text.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
               "-noreset", (char*)nullptr);
        _exit(127);
    }
    close(fds[1]);
    xvfb_pid = child;
    std::string number;
    struct pollfd wait_for = {fds[0], POLLIN, 0};
    for (int waited = 0; waited < 20000; waited += 100) {
        if (poll(&wait_for, 1, 100) <= 0) continue;
        char c;
        if (read(fds[0], &c, 1) <= 0 || c == '\n') break;
        number += c;
    }
    close(fds[0]);
    if (number.empty()) return false;
    setenv("DISPLAY", (":" + number).c_str(), 1);
    return true;
}

struct XvfbEnvironment : testing::Environment {
    void SetUp() override { ASSERT_TRUE(start_server()) << "Xvfb did not start"; }
    void TearDown() override {
        close_screen();
        if (observer_display) XCloseDisplay(observer_display);
        observer_display = nullptr;
        if (xvfb_pid > 0) {
            kill(xvfb_pid, SIGTERM);
            waitpid(xvfb_pid, nullptr, 0);
        }
        xvfb_pid = 0;
    }
};

static testing::Environment* const xvfb_environment = testing::AddGlobalTestEnvironment(new XvfbEnvironment);

Display* observer() {
    if (!observer_display) observer_display = XOpenDisplay(nullptr);
    return observer_display;
}

unsigned long window_pixel(int x, int y) {
    XSync(x11_display, False);
    XImage* image = XGetImage(x11_display, x11_window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return 0xdeadbeef;
    unsigned long pixel = XGetPixel(image, 0, 0) & 0xffffff;
    XDestroyImage(image);
    return pixel;
}

std::vector<uint32_t> window_pixels(int width, int height) {
    XSync(x11_display, False);
    std::vector<uint32_t> pixels;
    XImage* image = XGetImage(x11_display, x11_window, 0, 0, width, height, AllPlanes, ZPixmap);
    if (!image) return pixels;
    pixels.reserve((size_t)width * height);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) pixels.push_back((uint32_t)(XGetPixel(image, x, y) & 0xffffff));
    XDestroyImage(image);
    return pixels;
}

// Collects until `last` accepts an event or the time is up.
static std::vector<TEvent> collect(bool (*last)(const TEvent&), int ms) {
    static TTimer* wake = create_timer(50);  // keeps wait_event returning
    (void)wake;
    std::vector<TEvent> events;
    int end = clock_ms() + ms;
    while (clock_ms() < end) {
        if (wait_event() == EVENT_TIMER_TICK) continue;
        events.push_back(current_event());
        if (last && last(events.back())) break;
    }
    return events;
}

std::vector<TEvent> collect_events(int ms) { return collect(nullptr, ms); }

std::vector<TEvent> collect_events_until(bool (*last)(const TEvent&), int max_ms) { return collect(last, max_ms); }
