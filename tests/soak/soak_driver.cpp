// Random-input soak of the real game: starts it on its own Xvfb through
// the end-to-end harness (a temporary copy of the game folder, so the K
// command only ever deletes jigsaws of that copy), then sends random keys,
// clicks and pointer motion from a seeded generator for a given time.
// Reports exits, crashes, sanitizer logs, stalls (no new frame within 5 s
// of a pointer move) and the game's RSS every 30 s. Run by soak.sh.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/harness.h"
#include "tests/support/e2e_setup.h"

namespace {

namespace fs = std::filesystem;

const char* const title = support::GAME_TITLE;
// A quiet game in a window that shows the help prompt.
const std::string prefer = [] {
    support::Preferences preferences;
    preferences.help_prompt = 1;
    return preferences.text();
}();
const int STALL_MS = 5000;
const int RSS_EVERY_MS = 30000;
const int PROBE_EVERY_MS = 2000;

// Every key the game binds, and a few it does not.
const char* const keys[] = {
    "a",  "b",    "c",  "d",  "e",     "f",      "g",         "h",   "i",         "j",      "k",    "l",
    "m",  "n",    "o",  "p",  "q",     "r",      "s",         "t",   "u",         "v",      "w",    "x",
    "y",  "z",    "1",  "2",  "3",     "4",      "5",         "6",   "7",         "Escape", "Left", "Right",
    "Up", "Down", "F1", "F2", "space", "Return", "Control_L", "Tab", "BackSpace",
};

std::atomic<bool> stop_requested(false);
std::atomic<long> last_progress_ms(0);

long now_ms() {
    using namespace std::chrono;
    return static_cast<long>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void on_signal(int) { stop_requested = true; }

long rss_kb(int pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string word;
    while (in >> word)
        if (word == "VmRSS:") {
            long kb = 0;
            in >> kb;
            return kb;
        }
    return -1;
}

bool same(const e2e::Shot& a, const e2e::Shot& b) { return a.pixels == b.pixels; }

// Sanitizer logs the game wrote (log_path=<dir>/game gives game.<pid>).
std::vector<std::string> sanitizer_logs(const std::string& dir) {
    std::vector<std::string> found;
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(dir, ec))
        if (e.path().filename().string().rfind("game.", 0) == 0 && e.file_size(ec) > 0)
            found.push_back(e.path().string());
    return found;
}

struct Totals {
    long actions = 0;
    int starts = 0, exits = 0, crashes = 0, stalls = 0;
    long rss_min = -1, rss_max = -1;
};

// Moves the pointer and waits for a frame that differs; a blocking "press
// any key" message does not redraw, so after half the time a space (a key
// the game does not bind) answers it. False when nothing changed in 5 s.
bool probe(e2e::Session& game, std::mt19937& rng) {
    e2e::Shot before = game.grab();
    std::uniform_int_distribution<int> x(20, 780), y(20, 580);
    game.move(x(rng), y(rng));
    long start = now_ms();
    bool pressed = false;
    while (now_ms() - start < STALL_MS) {
        game.pause(50);  // the probe's own bounded poll, between grabs
        if (!same(game.grab(), before)) return true;
        if (!game.running()) return true;  // an exit, counted by the caller
        if (!pressed && now_ms() - start > STALL_MS / 2) {
            game.key("space");
            pressed = true;
        }
    }
    return false;
}

// One game from start to exit or to the end of the run.
void run_game(long end_ms, std::mt19937& rng, Totals& totals, long run_start) {
    e2e::GameOptions options;
    options.prefer = prefer;
    // The harness's own limit must not end a game the soak means to keep
    // playing: allow the rest of the run and a minute to wind down.
    options.time_limit_ms = static_cast<int>(std::max(end_ms - now_ms(), 0L) + 60000);
    e2e::Session game(options);
    if (!game.ok()) {
        std::printf("set-up failed: %s\n", game.error.c_str());
        stop_requested = true;
        return;
    }
    totals.starts++;
    if (!game.wait_for_window(title, 60000)) {
        std::printf("game %d: no window within 60 s\n", totals.starts);
        totals.stalls++;
        return;
    }
    std::printf("game %d started (pid %d)\n", totals.starts, game.game_pid);
    std::fflush(stdout);
    std::uniform_int_distribution<int> kind(0, 99), x(0, 799), y(0, 599), gap(5, 60);
    std::uniform_int_distribution<int> key(0, static_cast<int>(sizeof keys / sizeof keys[0]) - 1);
    long next_probe = now_ms() + PROBE_EVERY_MS;
    static long next_rss = 0;
    if (next_rss == 0) next_rss = now_ms() + RSS_EVERY_MS;
    while (!stop_requested && now_ms() < end_ms) {
        last_progress_ms = now_ms();
        if (!game.running()) break;
        int k = kind(rng);
        if (k < 40) {
            game.move(x(rng), y(rng));
        } else if (k < 60) {
            game.click(x(rng), y(rng), 1);
        } else if (k < 70) {
            game.click(x(rng), y(rng), 3);
        } else {
            game.key(keys[key(rng)]);
        }
        totals.actions++;
        game.pause(gap(rng));  // input pacing: a player's random think time
        if (now_ms() >= next_probe) {
            if (!probe(game, rng) && game.running()) {
                totals.stalls++;
                std::printf("t=%lds STALL: no new frame within %d ms of a pointer move\n",
                            (now_ms() - run_start) / 1000, STALL_MS);
            }
            next_probe = now_ms() + PROBE_EVERY_MS;
        }
        if (now_ms() >= next_rss) {
            long kb = rss_kb(game.game_pid);
            if (kb >= 0) {
                if (totals.rss_min < 0 || kb < totals.rss_min) totals.rss_min = kb;
                if (kb > totals.rss_max) totals.rss_max = kb;
            }
            std::printf("t=%lds rss=%ld kB actions=%ld\n", (now_ms() - run_start) / 1000, kb, totals.actions);
            std::fflush(stdout);
            next_rss += RSS_EVERY_MS;
        }
    }
    if (!game.running()) {
        int status = game.wait_exit(1000);
        if (status == 0) {
            totals.exits++;
            std::printf("t=%lds game %d exited normally\n", (now_ms() - run_start) / 1000, totals.starts);
        } else {
            totals.crashes++;
            std::printf("t=%lds CRASH: game %d ended with status %d (-1: a signal)\n", (now_ms() - run_start) / 1000,
                        totals.starts, status);
        }
    }
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s SEED MINUTES LOG_DIR\n", argv[0]);
        return 2;
    }
    unsigned seed = static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10));
    double minutes = std::atof(argv[2]);
    std::string log_dir = argv[3];
    signal(SIGINT, on_signal);
    signal(SIGTERM, on_signal);
    // The game inherits these; its reports land in LOG_DIR/game.<pid>.
    std::string options = "log_path=" + log_dir + "/game:detect_leaks=1";
    setenv("ASAN_OPTIONS", options.c_str(), 1);
    setenv("UBSAN_OPTIONS", ("print_stacktrace=1:" + options).c_str(), 1);

    std::printf("seed=%u minutes=%g game=%s\n", seed, minutes, TEST_GAME_DIR);
    std::fflush(stdout);
    std::mt19937 rng(seed);
    Totals totals;
    long start = now_ms();
    long end = start + static_cast<long>(minutes * 60000);
    last_progress_ms = start;
    // The driver itself blocking (an X call that never returns) is a stall too.
    std::thread watchdog([] {
        bool told = false;
        while (!stop_requested) {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));  // the watchdog's tick
            long idle = now_ms() - last_progress_ms;
            if (idle > 3 * STALL_MS && !told) {
                std::printf("STALL: the driver has been blocked for %ld ms\n", idle);
                std::fflush(stdout);
                told = true;
            } else if (idle < STALL_MS) {
                told = false;
            }
        }
    });
    while (!stop_requested && now_ms() < end) run_game(end, rng, totals, start);
    stop_requested = true;
    watchdog.join();

    std::vector<std::string> logs = sanitizer_logs(log_dir);
    std::printf(
        "\nsummary: seed=%u seconds=%ld actions=%ld games=%d normal_exits=%d crashes=%d "
        "stalls=%d sanitizer_reports=%zu rss_kB_min=%ld rss_kB_max=%ld\n",
        seed, (now_ms() - start) / 1000, totals.actions, totals.starts, totals.exits, totals.crashes, totals.stalls,
        logs.size(), totals.rss_min, totals.rss_max);
    for (const std::string& log : logs) std::printf("sanitizer report: %s\n", log.c_str());
    return (totals.crashes || totals.stalls || !logs.empty()) ? 1 : 0;
}
