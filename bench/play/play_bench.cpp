// Speed of the play operations that touch every piece of a 300-piece
// jigsaw: loading its folder (pieces.txt and 300 PNGs), the average
// colours the load takes from the pieces' pixels, one board frame
// (drawn into the null backend's CPU buffer, so this is the logic and
// software-raster cost, not the GL cost), piece_under_mouse through a
// stack of 300 pieces, a drop that merges two groups of 150, key V (the
// pieces that fit a held piece or a held half flash) and a board frame
// with the flash drawn over it.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "library/library.h"
#include "play/play.h"
#include "shell/shell.h"

namespace {

const int ROWS = 15, COLUMNS = 20, SIDE = 56;

// A piece-like image: an opaque square body with a round knob, transparent
// elsewhere, colours varied so the PNG does not compress to nothing.
TPixmap* piece_pixmap(int seed) {
    TPixmap* p = create_pixmap(SIDE, SIDE, PF_RGBA8888);
    for (int y = 0; y < SIDE; y++)
        for (int x = 0; x < SIDE; x++) {
            double dx = x - SIDE / 2.0, dy = y - SIDE / 2.0;
            bool body = std::fabs(dx) < 20 && std::fabs(dy) < 20;
            bool knob = (dx - 22) * (dx - 22) + dy * dy < 50;
            uint32_t a = body || knob ? 255u : 0u;
            uint32_t r = static_cast<uint32_t>((x * 3 + seed * 7) & 255);
            uint32_t g = static_cast<uint32_t>((y * 5 + seed) & 255);
            uint32_t b = static_cast<uint32_t>(((x ^ y) + seed * 13) & 255);
            write_pixel(p, x, y, (a << 24) | (r << 16) | (g << 8) | b);
        }
    return p;
}

// A working folder with jigsaws/big (300 pieces), entered for the run.
struct BenchFolder {
    std::string root, old_cwd;
    BenchFolder() {
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd)) old_cwd = cwd;
        std::string pattern = (std::filesystem::temp_directory_path() / "play_bench_XXXXXX").string();
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        if (!mkdtemp(buf.data())) return;
        root = buf.data();
        std::filesystem::create_directories(root + "/jigsaws/big");
        std::ofstream pieces_file(root + "/jigsaws/big/pieces.txt", std::ios::binary);
        pieces_file << ROWS << "\r\n" << COLUMNS << "\r\n0\r\n0\r\n";
        for (int i = 1; i <= ROWS * COLUMNS; i++) {
            pieces_file << 40 + ((i - 1) % COLUMNS) * 36 << "\r\n" << 40 + ((i - 1) / COLUMNS) * 36 << "\r\n";
            TPixmap* p = piece_pixmap(i);
            save_pixmap_png(p, root + "/jigsaws/big/" + std::to_string(i) + ".png", 5);
            free_pixmap(p);
        }
        TPixmap* tn = create_pixmap(264, 198, PF_RGBA8888);
        save_pixmap_png(tn, root + "/jigsaws/big/tn.png", 5);
        free_pixmap(tn);
        if (chdir(root.c_str()) != 0) root.clear();
    }
    ~BenchFolder() {
        if (!old_cwd.empty() && chdir(old_cwd.c_str()) != 0) return;
        std::error_code ec;
        if (!root.empty()) std::filesystem::remove_all(root, ec);
    }
};

BenchFolder& folder() {
    static BenchFolder f;
    return f;
}

void ensure_loaded() {
    folder();
    static bool ready = false;
    if (ready) return;
    ready = true;
    open_screen(800, 600, 0, 60, 0);
    white_image = create_image(2, 2, 1, 0);
    TPixmap* px = lock_image(white_image, 0, true, true);
    for (int y = 0; y < 2; y++)
        for (int x = 0; x < 2; x++) write_pixel(px, x, y, 0xFFFFFFFF);
    if (piece_count != ROWS * COLUMNS) load_jigsaw("big");
}

void BM_LoadJigsaw300(benchmark::State& state) {
    folder();
    for (auto _ : state) {
        bool ok = load_jigsaw("big");
        benchmark::DoNotOptimize(ok);
    }
    state.counters["pieces"] = piece_count;
}

// The part of the load that takes each piece's average colour, alone.
void BM_PieceColours300(benchmark::State& state) {
    ensure_loaded();
    int64_t sum = 0;
    for (auto _ : state) {
        for (int i = 1; i <= piece_count; i++) {
            rgb_colour c;
            average_opaque_colour(lock_image(pieces[i].img, 0, true, false), &c);
            sum += c.r + c.g + c.b;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.counters["pieces"] = piece_count;
}

void BM_BoardFrame300(benchmark::State& state) {
    ensure_loaded();
    seed_random(1);
    scatter_pieces();
    show_all_pieces();
    held_piece = 0;
    board_composing = 0;  // the whole board, every frame
    for (auto _ : state) {
        jigsaw_screen_frame();
        flip(1);
    }
    board_composing = 1;
}

// The same frame when the board drawn the frame before is kept and put
// back (what a pointer motion over a still board costs).
void BM_BoardFrame300Kept(benchmark::State& state) {
    ensure_loaded();
    seed_random(1);
    scatter_pieces();
    show_all_pieces();
    held_piece = 0;
    for (auto _ : state) {
        jigsaw_screen_frame();
        flip(1);
    }
}

void BM_PieceUnderMouseThroughStack300(benchmark::State& state) {
    ensure_loaded();
    for (int i = 1; i <= piece_count; i++) {
        pieces[i].x = pieces[i].y = 300;
        pieces[i].a = i % 4;
        pieces[i].visible = 1;
        draw_order[i] = i;
    }
    // A transparent corner of every piece: the search goes through all 300.
    mouse_x = 300 - SIDE / 2 + 1;
    mouse_y = 300 - SIDE / 2 + 1;
    int found = 0;
    for (auto _ : state) {
        found = piece_under_mouse();
        benchmark::DoNotOptimize(found);
    }
    state.counters["found"] = found;
}

void BM_DropJoiningTwoGroupsOf150(benchmark::State& state) {
    ensure_loaded();
    const int half = piece_count / 2;  // the top 7.5 rows and the rest
    auto lay_out = [&]() {
        for (int i = 1; i <= piece_count; i++) {
            pieces[i].x = pieces[i].x0 + 3;
            pieces[i].y = pieces[i].y0 - 2;
            pieces[i].a = 0;
            pieces[i].visible = 1;
            pieces[i].gp = i <= half ? 1 : 2;
        }
        group_counter = 2;
        held_piece = 1;
    };
    int joined = 0;
    for (auto _ : state) {
        state.PauseTiming();
        lay_out();
        state.ResumeTiming();
        drop_held_piece();
        joined = pieces[piece_count].gp;
    }
    state.counters["final_group"] = joined;
}

// Times key V with the held piece given, on the scattered 300: the
// search, the shape of each neighbour read through the overlap test,
// raising the covered ones and making their outline images.
void time_find_fits(benchmark::State& state, int held) {
    held_piece = held;
    int outlined = 0;
    for (auto _ : state) {
        find_fitting_pieces(0, 0);
        outlined = static_cast<int>(fit_flash_pieces().size());
        state.PauseTiming();
        end_fit_flash();
        state.ResumeTiming();
    }
    held_piece = 0;
    state.counters["outlined"] = outlined;
}

void scatter_all() {
    ensure_loaded();
    seed_random(1);
    scatter_pieces();
    show_all_pieces();
}

// An inner piece in hand: four neighbours.
void BM_FindFitsHeldPiece300(benchmark::State& state) {
    scatter_all();
    time_find_fits(state, 7 * COLUMNS + 10);
}

// The top half of the jigsaw (150 pieces) joined in hand: every piece of
// the row below it, and the one beside it, flashes.
void BM_FindFitsHeldHalf300(benchmark::State& state) {
    scatter_all();
    for (int i = 1; i <= piece_count; i++) pieces[i].gp = i <= piece_count / 2 ? 1 : 0;
    group_counter = 1;
    place_group(1);
    time_find_fits(state, 1);
    for (int i = 1; i <= piece_count; i++) pieces[i].gp = 0;
    group_counter = 0;
}

// A frame of the scattered 300 with the kept board put back and four
// outlines drawn over it (compare BM_BoardFrame300Kept).
void BM_BoardFrame300KeptWithFlash(benchmark::State& state) {
    scatter_all();
    held_piece = 7 * COLUMNS + 10;
    find_fitting_pieces(0, 0);
    held_piece = 0;
    for (auto _ : state) {
        fit_flash_start = clock_ms();  // always in a blink
        jigsaw_screen_frame();
        flip(1);
    }
    state.counters["outlined"] = static_cast<double>(fit_flash_pieces().size());
    end_fit_flash();
}

}  // namespace

BENCHMARK(BM_LoadJigsaw300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PieceColours300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BoardFrame300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BoardFrame300Kept)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PieceUnderMouseThroughStack300)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DropJoiningTwoGroupsOf150)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindFitsHeldPiece300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindFitsHeldHalf300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BoardFrame300KeptWithFlash)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
