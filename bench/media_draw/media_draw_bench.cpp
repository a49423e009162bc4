// Speed of the drawing layer's CPU work that the game does in bulk:
// decoding the 300 piece PNGs of a large jigsaw, and images_overlap of a
// piece against the pointer's tiny probe image, alone and for a stack of
// 300 pieces under the pointer (the worst case of picking up a piece).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

#include "media/draw/draw.h"

namespace {

const int PIECES = 300;
const int PIECE_SIDE = 80;

// A piece-like image: an opaque rounded blob with a knob, transparent
// outside, with varied colours so the PNG does not compress to nothing.
TPixmap* piece_pixmap(int seed) {
    TPixmap* p = create_pixmap(PIECE_SIDE, PIECE_SIDE, PF_RGBA8888);
    for (int y = 0; y < PIECE_SIDE; y++)
        for (int x = 0; x < PIECE_SIDE; x++) {
            double dx = x - 40.0, dy = y - 40.0;
            bool body = std::fabs(dx) < 28 && std::fabs(dy) < 28;
            bool knob = (dx - 30) * (dx - 30) + dy * dy < 100;
            uint32_t a = body || knob ? 255 : 0;
            uint32_t r = static_cast<uint32_t>((x * 3 + seed * 7) & 255),
                     g = static_cast<uint32_t>((y * 5 + seed) & 255);
            uint32_t b = static_cast<uint32_t>(((x ^ y) + seed * 13) & 255);
            write_pixel(p, x, y, (a << 24) | (r << 16) | (g << 8) | b);
        }
    return p;
}

// The piece files, written once into a temporary folder.
struct PieceFolder {
    std::string path;
    std::vector<std::string> files;
    PieceFolder() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/media_draw_bench_XXXXXX";
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        if (!mkdtemp(buf.data())) return;
        path = buf.data();
        for (int i = 1; i <= PIECES; i++) {
            TPixmap* p = piece_pixmap(i);
            std::string file = path + "/" + std::to_string(i) + ".png";
            if (save_pixmap_png(p, file, 5)) files.push_back(file);
            free_pixmap(p);
        }
    }
    ~PieceFolder() {
        for (const std::string& f : files) std::remove(f.c_str());
        if (!path.empty()) rmdir(path.c_str());
    }
};

PieceFolder& piece_folder() {
    static PieceFolder folder;
    return folder;
}

TImage* probe_image(int side) {
    TPixmap* p = create_pixmap(side, side, PF_RGB888);
    for (size_t i = 0; i < p->pixels.size(); i++) p->pixels[i] = 255;
    TImage* image = image_from_pixmap(p, 0);
    free_pixmap(p);
    return image;
}

TImage* piece_image(int seed) {
    TPixmap* p = piece_pixmap(seed);
    TImage* image = image_from_pixmap(p, -1);
    free_pixmap(p);
    return image;
}

void BM_LoadPiecePngs(benchmark::State& state) {
    PieceFolder& folder = piece_folder();
    if (folder.files.size() != PIECES) {
        state.SkipWithError("could not write the piece files");
        return;
    }
    for (auto _ : state) {
        std::vector<TImage*> images;
        images.reserve(PIECES);
        for (const std::string& file : folder.files) images.push_back(load_image(file, -1));
        benchmark::DoNotOptimize(images.data());
        for (TImage* image : images) free_image(image);
    }
    state.SetItemsProcessed(state.iterations() * PIECES);
}
BENCHMARK(BM_LoadPiecePngs)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);

// One piece turned a quarter, the probe over a solid pixel (found at once)
// or over the transparent corner (every shared sample looked at).
void BM_OverlapQuarterTurn(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    const bool hit = state.range(1) != 0;
    TImage* piece = piece_image(1);
    centre_image_handle(piece);
    TImage* probe = probe_image(side);
    set_rotation(90);
    float px = hit ? 400 : 363, py = hit ? 300 : 263;
    bool result = false;
    for (auto _ : state) {
        result = images_overlap(piece, 400, 300, 0, probe, px, py, 0);
        benchmark::DoNotOptimize(result);
    }
    set_rotation(0);
    if (result != hit) state.SkipWithError("unexpected overlap result");
    free_image(piece);
    free_image(probe);
}
BENCHMARK(BM_OverlapQuarterTurn)
    ->ArgNames({"probe", "hit"})
    ->Args({1, 1})
    ->Args({1, 0})
    ->Args({3, 1})
    ->Args({3, 0})
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

// The pointer over a stack of 300 quarter-turned pieces at a transparent
// spot of every one: each test passes the bounding boxes and samples all
// shared pixels before it answers false.
void BM_Overlap300StackedPieces(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    std::vector<TImage*> pieces;
    for (int i = 0; i < PIECES; i++) {
        pieces.push_back(piece_image(i));
        centre_image_handle(pieces.back());
    }
    TImage* probe = probe_image(side);
    set_rotation(90);
    int hits = 0;
    for (auto _ : state) {
        hits = 0;
        for (int i = 0; i < PIECES; i++)
            hits += images_overlap(pieces[static_cast<size_t>(i)], 400, 300, 0, probe, 363, 263, 0);
        benchmark::DoNotOptimize(hits);
    }
    set_rotation(0);
    if (hits != 0) state.SkipWithError("unexpected overlap result");
    state.SetItemsProcessed(state.iterations() * PIECES);
    for (TImage* p : pieces) free_image(p);
    free_image(probe);
}
BENCHMARK(BM_Overlap300StackedPieces)
    ->Arg(1)
    ->Arg(3)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
