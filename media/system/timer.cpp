// Frame timers. Each timer is a thread that ticks hertz times a second on
// a drift-free schedule (tick k falls due at start + k / hertz), counts its
// ticks atomically and writes a byte into a self-pipe so that a backend
// blocked in poll wakes up. The main thread turns the counts into tick
// events in deliver_timer_ticks; nothing else crosses between threads.
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

#include "media/media_internal.h"

struct TTimer {
    int hertz = 0;
    std::atomic<int> ticks{0};  // ticks so far; written by the timer thread
    int delivered = 0;          // the count last turned into an event (main thread)
};

enum { MAX_TIMERS = 16 };

// --- kept for the run ---
static TTimer* timers[MAX_TIMERS];   // every timer made; never freed (threads use them)
static int timer_count = 0;          // entries of timers in use
static int wake_pipe[2] = {-1, -1};  // [0] read by the backend's poll, [1] written by ticks

static bool make_wake_pipe() {
    if (wake_pipe[0] >= 0) return true;
    int fds[2];
    if (pipe(fds) != 0) return false;
    for (int fd : fds) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    wake_pipe[0] = fds[0];
    wake_pipe[1] = fds[1];
    return true;
}

int timer_wake_fd() {
    make_wake_pipe();
    return wake_pipe[0];
}

static void run_timer(TTimer* timer, int wake_fd) {
    using clock = std::chrono::steady_clock;
    const clock::time_point start = clock::now();
    const int64_t period_ns = 1000000000LL / timer->hertz;
    const int64_t extra_ns = 1000000000LL % timer->hertz;  // spread so hertz ticks take exactly 1 s
    for (int64_t k = 1;; k++) {
        int64_t due_ns = k * period_ns + k * extra_ns / timer->hertz;
        std::this_thread::sleep_until(start + std::chrono::nanoseconds(due_ns));
        timer->ticks.fetch_add(1, std::memory_order_release);
        char byte = 1;
        if (write(wake_fd, &byte, 1) < 0) {
            // Full pipe: a wake-up is already pending, which is all it says.
        }
    }
}

TTimer* create_timer(int hertz) {
    if (hertz <= 0 || timer_count >= MAX_TIMERS || !make_wake_pipe()) return nullptr;
    TTimer* timer = new TTimer;
    timer->hertz = hertz;
    timers[timer_count++] = timer;
    std::thread(run_timer, timer, wake_pipe[1]).detach();
    return timer;
}

void deliver_timer_ticks() {
    if (wake_pipe[0] >= 0) {
        char drain[64];
        while (read(wake_pipe[0], drain, sizeof drain) > 0) {}
    }
    for (int i = 0; i < timer_count; i++) {
        TTimer* timer = timers[i];
        int ticks = timer->ticks.load(std::memory_order_acquire);
        if (ticks == timer->delivered) continue;
        timer->delivered = ticks;
        TEvent tick;
        tick.id = EVENT_TIMER_TICK;
        tick.source = timer;
        tick.data = ticks;
        emit_event(tick);
    }
}
