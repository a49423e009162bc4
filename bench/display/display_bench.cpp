// Frame cost of a full jigsaw board on the real X11 + OpenGL backend: clear,
// 300 quarter-turned, alpha-tested (mask blend) pieces of 60 to 90 pixels,
// each with its own texture, then flip(0), on an 800x600 window. The program
// starts no X server: it uses $DISPLAY. Without a GPU, run it on Mesa's
// software renderer under Xvfb:
//   xvfb-run -s "-screen 0 1024x768x24" ./bench_display
// Prints the first frame (textures built), the median and spread of the
// rest, and the CPU time per frame of all threads (the renderer's included),
// which varies less than wall time on a busy machine.
// Words on the command line change one thing each, to see where a frame's
// time goes: nearest (unfiltered sampling), alpha or solid (blend modes
// instead of the mask's alpha test), upright (no quarter turns), save (the
// kept copy of the back buffer taken before each flip), empty (clear and
// flip only), rects (untextured rectangles of the pieces' sizes).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "media/draw/draw.h"

enum { PIECES = 300, FRAMES = 120, WARMUP = 5 };

// A piece-like shape: a square body with a round knob on each side, solid
// inside and transparent outside, so the alpha test cuts real edges.
static TPixmap* make_piece(int size, int seed) {
    TPixmap* pixmap = create_pixmap(size, size, PF_RGBA8888);
    if (!pixmap) return nullptr;
    float body = size * 0.3f, knob = size * 0.14f, c = size * 0.5f;
    uint32_t colour = 0xff000000u | ((seed * 97 % 256) << 16) | ((seed * 53 % 256) << 8) | (seed * 29 % 256);
    for (int y = 0; y < size; y++) {
        for (int x = 0; x < size; x++) {
            float dx = x + 0.5f - c, dy = y + 0.5f - c;
            bool solid = std::fabs(dx) < body && std::fabs(dy) < body;
            for (int k = 0; k < 4 && !solid; k++) {
                float kx = k == 0 ? body : k == 1 ? -body : 0, ky = k == 2 ? body : k == 3 ? -body : 0;
                solid = (dx - kx) * (dx - kx) + (dy - ky) * (dy - ky) < knob * knob;
            }
            write_pixel(pixmap, x, y, solid ? colour : 0);
        }
    }
    return pixmap;
}

// What the command line changed.
static int variant_flags = IMG_FILTERED;
static int variant_blend = BLEND_MASK;
static bool variant_turn = true, variant_save = false, variant_empty = false, variant_rects = false;

int main(int argc, char** argv) {
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        if (a == "nearest") variant_flags = 0;
        if (a == "alpha") variant_blend = BLEND_ALPHA;
        if (a == "solid") variant_blend = BLEND_SOLID;
        if (a == "upright") variant_turn = false;
        if (a == "save") variant_save = true;
        if (a == "empty") variant_empty = true;
        if (a == "rects") variant_rects = true;
    }
    if (!open_screen(800, 600, 0, 0, 0)) {
        fprintf(stderr, "bench_display: no display (set DISPLAY, e.g. run under xvfb-run)\n");
        return 1;
    }
    std::vector<TImage*> pieces;
    std::vector<float> xs, ys, turns;
    unsigned state = 12345;
    for (int i = 0; i < PIECES; i++) {
        TPixmap* pixmap = make_piece(60 + (i * 7) % 31, i + 1);
        TImage* image = pixmap ? image_from_pixmap(pixmap, variant_flags) : nullptr;
        free_pixmap(pixmap);
        if (!image) {
            fprintf(stderr, "bench_display: could not make piece %d\n", i);
            return 1;
        }
        centre_image_handle(image);
        pieces.push_back(image);
        state = state * 1103515245u + 12345u;
        xs.push_back(45.0f + (state >> 8) % 710);
        state = state * 1103515245u + 12345u;
        ys.push_back(45.0f + (state >> 8) % 510);
        turns.push_back(variant_turn ? 90.0f * (i % 4) : 0.0f);
    }

    using clock = std::chrono::steady_clock;
    timespec cpu_start = {0, 0}, cpu_end = {0, 0};
    std::vector<double> times;
    double first = 0;
    set_clear_color(40, 60, 90);
    for (int f = 0; f < WARMUP + FRAMES; f++) {
        clock::time_point start = clock::now();
        clear_screen();
        set_blend(variant_blend);
        for (int i = 0; i < PIECES && !variant_empty; i++) {
            set_rotation(turns[i]);
            if (variant_rects) {
                set_handle(image_width(pieces[i]) * 0.5f, image_height(pieces[i]) * 0.5f);
                draw_rect(xs[i], ys[i], (float)image_width(pieces[i]), (float)image_height(pieces[i]));
            } else {
                draw_image(pieces[i], xs[i], ys[i], 0);
            }
        }
        set_rotation(0);
        if (variant_save) save_back_buffer();
        flip(0);
        double ms = std::chrono::duration<double, std::milli>(clock::now() - start).count();
        if (f == 0) first = ms;
        if (f == WARMUP - 1) clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu_start);
        if (f >= WARMUP) times.push_back(ms);
    }
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu_end);
    double cpu_ms = (cpu_end.tv_sec - cpu_start.tv_sec) * 1000.0 + (cpu_end.tv_nsec - cpu_start.tv_nsec) / 1e6;
    std::sort(times.begin(), times.end());
    printf("display frame, 800x600, %d textured pieces: first frame %.1f ms (textures made)\n", PIECES, first);
    printf("  median %.2f ms, p10 %.2f ms, p90 %.2f ms over %d frames\n", times[times.size() / 2],
           times[times.size() / 10], times[times.size() * 9 / 10], FRAMES);
    printf("  cpu %.2f ms per frame, all threads\n", cpu_ms / FRAMES);
    for (TImage* image : pieces) free_image(image);
    close_screen();
    return 0;
}
