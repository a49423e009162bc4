// The process itself: the start-up folder rule, the end of the program
// (also when a signal or a lost display ends it from outside), the
// millisecond clock, sleeping and the random generator.
// Depends on the C library, POSIX (chdir, sigaction), program_folder and the
// backend's audio start and video-mode restore. The generator is a
// Park-Miller "minimal standard" one: 31-bit state, never 0 or 2^31-1.
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <cerrno>
#include <unistd.h>

#include <atomic>

#include "media/media_internal.h"

// --- kept for the run ---
static std::string launch_dir;         // current folder before media_start moved
static timespec clock_start = {0, 0};  // CLOCK_MONOTONIC at media_start (or first use)
static bool clock_started = false;     // clock_start holds a time
static uint32_t random_state = 4660;   // 1 .. 2^31-2

// --- the end from outside, kept for the run ---
void (*leaving_hook)() = nullptr;                // the shell's save on the way out; Null = none
static volatile sig_atomic_t leave_request = 0;  // SIGTERM or SIGHUP once received, 0 = none
static std::atomic<bool> lost_display{false};    // the X server went away

static const uint32_t RANDOM_MODULUS = 2147483647u;  // 2^31 - 1, a prime
static const uint32_t RANDOM_MULTIPLIER = 48271u;
static const uint64_t RANDOM_SPAN = RANDOM_MODULUS - 1;  // outputs 1 .. 2^31-2

// Signals after which the screen must not stay in a switched video mode.
static const int fatal_signals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGABRT, SIGSEGV, SIGBUS, SIGFPE};
static struct sigaction previous_actions[sizeof fatal_signals / sizeof fatal_signals[0]];

// ---------------------------------------------------------------------------
// Start-up and the end
// ---------------------------------------------------------------------------

static void start_clock() {
    clock_gettime(CLOCK_MONOTONIC, &clock_start);
    clock_started = true;
}

// Puts the video mode back, then lets whatever handled the signal before
// (a sanitizer, the default action) deal with it.
static void on_fatal_signal(int sig, siginfo_t* info, void* context) {
    backend_restore_video_mode();
    for (size_t i = 0; i < sizeof fatal_signals / sizeof fatal_signals[0]; i++) {
        if (fatal_signals[i] != sig) continue;
        const struct sigaction& old = previous_actions[i];
        if (old.sa_flags & SA_SIGINFO) {
            if (old.sa_sigaction) {
                old.sa_sigaction(sig, info, context);
                return;
            }
        } else if (old.sa_handler == SIG_IGN) {
            return;
        } else if (old.sa_handler != SIG_DFL) {
            old.sa_handler(sig);
            return;
        }
        break;
    }
    signal(sig, SIG_DFL);
    raise(sig);
}

// SIGTERM and SIGHUP once the shell can save: only a flag is set here (an
// async-signal-safe store); the main loop sees it within a timer tick and
// leaves as the player would. A second one, when the loop is held
// elsewhere (a message waiting for a key), ends the program at once.
static void on_leave_signal(int sig, siginfo_t* info, void* context) {
    if (leave_request == 0) {
        leave_request = sig;
        return;
    }
    on_fatal_signal(sig, info, context);
}

static void install_signal_handlers() {
    for (size_t i = 0; i < sizeof fatal_signals / sizeof fatal_signals[0]; i++) {
        struct sigaction action;
        memset(&action, 0, sizeof action);
        action.sa_sigaction = on_fatal_signal;
        action.sa_flags = SA_SIGINFO;
        sigemptyset(&action.sa_mask);
        sigaction(fatal_signals[i], &action, &previous_actions[i]);
    }
}

void media_start(const char* argv0) {
    (void)argv0;  // the executable link is more reliable than argv[0]
    char buffer[4096];
    if (getcwd(buffer, sizeof buffer)) launch_dir = buffer;

    std::string folder = program_folder();
    if (!folder.empty() && chdir(folder.c_str()) != 0) {
        // The folder stays as it was; relative paths then fail visibly.
    }

    start_clock();
    install_signal_handlers();
    if (backend_start_audio()) audio_device_running.store(true);
}

const std::string& launch_folder() { return launch_dir; }

void set_leaving_hook(void (*hook)()) {
    leaving_hook = hook;
    for (int sig : {SIGTERM, SIGHUP}) {
        struct sigaction action;
        memset(&action, 0, sizeof action);
        action.sa_sigaction = on_leave_signal;
        action.sa_flags = SA_SIGINFO;
        sigemptyset(&action.sa_mask);
        sigaction(sig, &action, nullptr);  // previous_actions keeps what came before
    }
}

int leave_signal() { return leave_request; }

void end_program_on_signal() {
    int sig = leave_request ? leave_request : SIGTERM;
    if (leaving_hook) leaving_hook();
    backend_restore_video_mode();
    fflush(nullptr);
    signal(sig, SIG_DFL);
    raise(sig);
    _exit(128 + sig);  // the default action of a blocked signal did not end it
}

bool display_lost() { return lost_display.load(); }

void mark_display_lost() { lost_display.store(true); }

void end_program() {
    backend_restore_video_mode();
    fflush(nullptr);
    exit(0);
}

// ---------------------------------------------------------------------------
// Time
// ---------------------------------------------------------------------------

int clock_ms() {
    if (!clock_started) start_clock();
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    int64_t ms = (int64_t)(now.tv_sec - clock_start.tv_sec) * 1000 + (now.tv_nsec - clock_start.tv_nsec) / 1000000;
    return (int)ms;  // wraps after 24 days, like any int clock
}

void delay(int ms) {
    if (ms <= 0) return;
    timespec start, now;
    clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        clock_gettime(CLOCK_MONOTONIC, &now);
        int64_t elapsed_ns = (int64_t)(now.tv_sec - start.tv_sec) * 1000000000 + (now.tv_nsec - start.tv_nsec);
        int64_t left_ns = (int64_t)ms * 1000000 - elapsed_ns;
        if (left_ns <= 0) return;
        timespec pause = {(time_t)(left_ns / 1000000000), (long)(left_ns % 1000000000)};
        nanosleep(&pause, nullptr);  // an interruption just loops again
    }
}

// ---------------------------------------------------------------------------
// Random numbers
// ---------------------------------------------------------------------------

void seed_random(int seed) {
    uint32_t state = (uint32_t)seed & 0x7fffffffu;
    if (state == 0 || state == RANDOM_MODULUS) state = 4660;
    random_state = state;
}

// The next output, 1 .. 2^31-2.
static uint32_t next_random() {
    random_state = (uint32_t)(((uint64_t)random_state * RANDOM_MULTIPLIER) % RANDOM_MODULUS);
    return random_state;
}

// A value uniform over 0 .. n-1 for 1 <= n <= 2^32, by rejection: one draw
// when n fits in one output's span, otherwise two combined into one of
// span^2 (about 2^62) values.
static uint64_t random_below(uint64_t n) {
    if (n <= RANDOM_SPAN) {
        uint64_t limit = RANDOM_SPAN - RANDOM_SPAN % n;
        for (;;) {
            uint64_t r = next_random() - 1;
            if (r < limit) return r % n;
        }
    }
    const uint64_t span2 = RANDOM_SPAN * RANDOM_SPAN;
    uint64_t limit = span2 - span2 % n;
    for (;;) {
        uint64_t r = (uint64_t)(next_random() - 1) * RANDOM_SPAN + (next_random() - 1);
        if (r < limit) return r % n;
    }
}

int rand(int lo, int hi) {
    int64_t a = lo, b = hi;
    if (a > b) {
        int64_t t = a;
        a = b;
        b = t;
    }
    uint64_t n = (uint64_t)(b - a) + 1;  // 1 .. 2^32
    return (int)(a + (int64_t)random_below(n));
}
