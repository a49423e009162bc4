// Benchmark of the jigsaw maker: cutting a 1600 x 1200 picture into 300
// pieces (scaling it onto the board, rasterising and bevelling every
// piece, writing 300 PNGs, pieces.txt and tn.png), and the stages apart.
// Prints the median of several repetitions; never fails on a slow machine.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>

#include "tools/jigsaw_maker/jigsaw_cut.h"

static kit::Picture make_picture(int w, int h) {
    kit::Picture p;
    p.width = w;
    p.height = h;
    p.rgba.resize(static_cast<size_t>(w) * h * 4);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            uint8_t* o = &p.rgba[(static_cast<size_t>(y) * w + x) * 4];
            o[0] = static_cast<uint8_t>(255 * x / w);
            o[1] = static_cast<uint8_t>(255 * y / h);
            o[2] = static_cast<uint8_t>(127 + 120 * std::sin(x * 0.03) * std::cos(y * 0.02));
            o[3] = 255;
        }
    return p;
}

static std::string bench_folder() { return (std::filesystem::temp_directory_path() / "tessellon-cut-bench").string(); }

// The whole cut, files included.
static void BM_Cut300From1600x1200(benchmark::State& state) {
    kit::Picture picture = make_picture(1600, 1200);
    cut::CutOptions options;
    options.pieces = 300;
    std::string folder = bench_folder();
    for (auto _ : state) {
        int made = 0;
        std::string problem = cut::cut_jigsaw(picture, options, folder, &made);
        if (!problem.empty() || made != 300) state.SkipWithError(problem.c_str());
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_Cut300From1600x1200)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The shapes alone: corners, knobbed edges and 300 outlines.
static void BM_Shapes300(benchmark::State& state) {
    cut::CutOptions options;
    options.pieces = 300;
    cut::Layout layout;
    cut::plan_layout(1600, 1200, options, &layout);
    for (auto _ : state) benchmark::DoNotOptimize(cut::cut_shapes(layout, 1));
}
BENCHMARK(BM_Shapes300)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Scaling the picture onto the board.
static void BM_Scale1600x1200To800x600(benchmark::State& state) {
    kit::Canvas source = kit::canvas_from_picture(make_picture(1600, 1200));
    for (auto _ : state) benchmark::DoNotOptimize(kit::resize_canvas(source, 800, 600));
}
BENCHMARK(BM_Scale1600x1200To800x600)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
