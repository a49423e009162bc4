// One measurement of the music's start-up cost, as the game pays it before
// its first frame: load_sound of the file, play_sound, and the first ten
// device writes' worth of mix_audio (1024 frames each, as the real device
// thread asks), on the null backend with or without its fake device.
// Prints the milliseconds of each step and the growth of the resident set.
// Usage: sound_bench music.ogg device|none   (one process per round, so
// that the resident set starts clean; compare_sound.sh takes medians).
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "media/null/null_backend.h"
#include "media/system/system.h"

namespace {

// The resident set from /proc/self/status, in KiB; 0 when unreadable.
long rss_kib() {
    FILE* f = fopen("/proc/self/status", "r");
    if (!f) return 0;
    char line[256];
    long kib = 0;
    while (fgets(line, sizeof line, f))
        if (strncmp(line, "VmRSS:", 6) == 0) kib = atol(line + 6);
    fclose(f);
    return kib;
}

double ms_since(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || (strcmp(argv[2], "device") != 0 && strcmp(argv[2], "none") != 0)) {
        fprintf(stderr, "usage: %s music.ogg device|none\n", argv[0]);
        return 2;
    }
    bool device = strcmp(argv[2], "device") == 0;
    null_set_audio_device(device);
    std::vector<int16_t> out(1024 * 2);
    mix_audio(out.data(), 1024);  // the mixer's own first touch is not the music's
    long rss_before = rss_kib();

    auto t0 = std::chrono::steady_clock::now();
    TSound* music = load_sound(argv[1], 0);
    double load_ms = ms_since(t0);
    if (!music) {
        fprintf(stderr, "cannot load %s\n", argv[1]);
        return 1;
    }
    auto t1 = std::chrono::steady_clock::now();
    TChannel* channel = play_sound(music);
    double play_ms = ms_since(t1);
    auto t2 = std::chrono::steady_clock::now();
    long peak = 0;
    for (int i = 0; i < 10; i++) {
        mix_audio(out.data(), 1024);
        for (int16_t v : out) peak = v > peak ? v : peak;
    }
    double mix_ms = ms_since(t2);
    long rss_after = rss_kib();

    printf("%s load_ms %.3f play_ms %.3f mix10_ms %.3f total_ms %.3f rss_growth_kib %ld busy %d peak %ld\n",
           device ? "device" : "none", load_ms, play_ms, mix_ms, load_ms + play_ms + mix_ms, rss_after - rss_before,
           channel_busy(channel) ? 1 : 0, peak);
    free_sound(music);
    return 0;
}
