// Resident memory while the "new1" browser shows and after it closes, on
// the null backend (whose images keep their pixels in process memory, as
// the software renderer's textures do). Each round makes a temporary
// library of 55 jigsaws with 300x225 thumbnails (a full 800x600 page with
// the reserved entry), then drives the main loop as a player would: on
// the board, N, a few frames, Escape, a few frames. It prints VmRSS in KiB
// at each stage, per round and as median (min-max).
//   browser_rss_bench [rounds]
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "library/library.h"
#include "play/play.h"
#include "shell/shell.h"

namespace fs = std::filesystem;

static long rss_kib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

static void write_png(const std::string& path, int w, int h, uint32_t argb) {
    TPixmap* px = create_pixmap(w, h, PF_RGBA8888);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) write_pixel(px, x, y, argb ^ static_cast<uint32_t>(x * 7 + y * 13));
    save_pixmap_png(px, path, 1);
    free_pixmap(px);
}

static void key(int code) {
    TEvent e;
    e.id = EVENT_KEY_DOWN;
    e.data = code;
    emit_event(e);
    main_loop_iteration();
}

static void frames(int n) {
    for (int i = 0; i < n; i++) main_loop_iteration();
}

static long median(std::vector<long> v) {
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

int main(int argc, char** argv) {
    int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
    if (rounds < 1) rounds = 1;
    if (!open_screen(800, 600, 0, 60, 0)) return 1;
    std::string root = (fs::temp_directory_path() / "tessellon-browser-rss-XXXXXX").string();
    std::vector<char> buf(root.begin(), root.end());
    buf.push_back(0);
    if (!mkdtemp(buf.data())) return 1;
    root = buf.data();
    if (chdir(root.c_str()) != 0) return 1;
    fs::create_directories("players/default");
    player_dir = "players/default/";
    for (int i = 0; i < 55; i++) {
        std::string dir = "jigsaws/j" + std::to_string(100 + i);
        fs::create_directories(dir);
        write_png(dir + "/tn.png", 300, 225, 0xFF204060 + static_cast<uint32_t>(i));
    }
    fs::create_directories("jigsaws/0000bexil");
    write_png("jigsaws/0000bexil/tn.png", 300, 225, 0xFF808080);

    std::vector<long> board, shown, left;
    screen_state = SCREEN_JIGSAW;
    frames(3);
    for (int r = 1; r <= rounds; r++) {
        jigsaw_page = 0;  // read the library again, as after a kill
        frames(3);
        long b = rss_kib();
        key('N');
        frames(3);
        long s = rss_kib();
        key(27);  // Escape: back to the board
        frames(3);
        long l = rss_kib();
        std::printf("round %d: board %ld KiB, browser %ld KiB, after leaving %ld KiB\n", r, b, s, l);
        board.push_back(b);
        shown.push_back(s);
        left.push_back(l);
    }
    auto report = [](const char* what, const std::vector<long>& v) {
        std::printf("%-14s median %ld KiB (min %ld, max %ld)\n", what, median(v), *std::min_element(v.begin(), v.end()),
                    *std::max_element(v.begin(), v.end()));
    };
    report("board", board);
    report("browser", shown);
    report("after leaving", left);
    std::error_code ec;
    fs::remove_all(root, ec);
    return 0;
}
