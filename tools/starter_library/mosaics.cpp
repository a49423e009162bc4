// Mosaic pictures: a stained-glass rose window (Voronoi panes in rings,
// leaded, glowing from behind), a tiling of eight-pointed stars, and a
// patchwork quilt of varied blocks.
#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/starter_library/painter.h"

namespace paint {

static const double PI = 3.14159265358979323846;

kit::Canvas paint_rose_window() {
    kit::Canvas c = kit::make_canvas(WIDTH, HEIGHT, kit::Color{0, 0, 0, 1});
    const double cx = 400, cy = 300, R = 284;
    Noise n = make_noise(71);
    Random r{0x60A55};
    // Panes: seeds on rings with twelve-fold symmetry, a little jitter.
    struct Seed {
        double x, y;
        kit::Color c;
    };
    std::vector<Seed> seeds;
    const kit::Color jewels[6] = {kit::rgb(200, 30, 50), kit::rgb(30, 70, 190),  kit::rgb(240, 180, 30),
                                  kit::rgb(30, 150, 90), kit::rgb(130, 40, 170), kit::rgb(20, 150, 190)};
    seeds.push_back({cx, cy, kit::rgb(255, 220, 90)});
    const int rings = 7;
    for (int ring = 1; ring <= rings; ring++) {
        int count = ring == 1 ? 6 : 12 * ((ring + 1) / 2);
        double rad = R * ring / (rings + 0.6);
        for (int k = 0; k < count; k++) {
            double a = 2 * PI * (k + (ring % 2) * 0.5) / count;
            double jr = uniform(r, -5, 5), ja = uniform(r, -0.03, 0.03);
            // Colours repeat with the symmetry, so the window reads as a design.
            int pick = (ring * 2 + (k % (count / 6 > 0 ? count / 6 : 1))) % 6;
            kit::Color col = kit::mix(jewels[pick], kit::rgb(255, 255, 255), static_cast<float>(uniform(r, 0, 0.18)));
            seeds.push_back({cx + (rad + jr) * std::cos(a + ja), cy + (rad + jr) * std::sin(a + ja), col});
        }
    }
    for (int y = 0; y < HEIGHT; y++)
        for (int x = 0; x < WIDTH; x++) {
            double px = x + 0.5, py = y + 0.5;
            double d = std::hypot(px - cx, py - cy);
            kit::Color col;
            if (d > R + 10) {
                // Stone wall: courses of blocks with mottled grey.
                int course = static_cast<int>(py / 40);
                double bx = px + (course % 2) * 35;
                bool joint = std::fmod(py, 40.0) < 3 || std::fmod(bx, 70.0) < 3;
                double m = fbm(n, px * 0.03, py * 0.03, 4);
                col = joint ? kit::rgb(70, 64, 60)
                            : kit::scale(kit::rgb(150, 140, 126), static_cast<float>(0.85 + m * 0.4));
            } else if (d > R) {
                col = kit::rgb(90, 80, 70);  // the stone rim of the window
            } else {
                // Nearest two panes: their distance gap makes the lead lines.
                double best = 1e30, second = 1e30;
                int bi = 0;
                for (size_t i = 0; i < seeds.size(); i++) {
                    double dd = (px - seeds[i].x) * (px - seeds[i].x) + (py - seeds[i].y) * (py - seeds[i].y);
                    if (dd < best) {
                        second = best;
                        best = dd;
                        bi = static_cast<int>(i);
                    } else if (dd < second) {
                        second = dd;
                    }
                }
                double gap = std::sqrt(second) - std::sqrt(best);
                double lead = std::clamp(3.2 - gap, 0.0, 1.0);  // about 3 px of lead
                double rim = std::clamp(R - d - 3, 0.0, 1.0);
                kit::Color glass = seeds[bi].c;
                // Light from behind, strongest in the middle; texture in the glass.
                double light = 0.75 + 0.35 * (1 - d / R) + 0.12 * fbm(n, px * 0.05, py * 0.05, 3);
                glass = kit::scale(glass, static_cast<float>(light));
                glass =
                    kit::mix(glass, kit::rgb(255, 255, 255), static_cast<float>(std::max(0.0, (0.3 - gap / 40) * 0.3)));
                col = kit::mix(glass, kit::rgb(30, 28, 30), static_cast<float>(std::max(lead, 1 - rim)));
            }
            kit::blend_pixel(c, x, y, col, 1.0f);
        }
    return c;
}

// ---------------------------------------------------------------------------

kit::Canvas paint_star_tiles() {
    kit::Canvas c = kit::make_canvas(WIDTH, HEIGHT, kit::Color{0, 0, 0, 1});
    const double cell = 100;
    Noise n = make_noise(83);
    // Palettes drift across the picture so each region has its own colours.
    const kit::Color star_cols[4] = {kit::rgb(20, 90, 160), kit::rgb(200, 60, 40), kit::rgb(230, 170, 40),
                                     kit::rgb(30, 140, 110)};
    const kit::Color cross_cols[4] = {kit::rgb(240, 230, 200), kit::rgb(30, 40, 70), kit::rgb(120, 30, 60),
                                      kit::rgb(250, 250, 240)};
    for (int y = 0; y < HEIGHT; y++)
        for (int x = 0; x < WIDTH; x++) {
            double px = x + 0.5, py = y + 0.5;
            int cxi = static_cast<int>(std::floor(px / cell)), cyi = static_cast<int>(std::floor(py / cell));
            // Cell-local coordinates, -1..1.
            double u = (px - (cxi + 0.5) * cell) / (cell / 2), v = (py - (cyi + 0.5) * cell) / (cell / 2);
            // An eight-pointed star: two squares, one turned 45 degrees.
            double sq = std::max(std::fabs(u), std::fabs(v));
            double dia = (std::fabs(u) + std::fabs(v)) / std::sqrt(2.0);
            double star = std::max(0.0, std::min(sq, dia * 1.0));  // < 0.62 inside
            double inner = std::max(std::fabs(u), std::fabs(v)) * 0.6 + dia * 0.4;
            int pal = ((cxi + cyi) % 2 + 2 * ((cxi / 2 + cyi / 2) % 2)) % 4;
            kit::Color col;
            double edge = 0.6;
            double fw = 2.0 / cell * 2;  // anti-aliasing width in cell units
            float in_star = static_cast<float>(std::clamp((edge - star) / fw, 0.0, 1.0));
            float outline = static_cast<float>(std::clamp(1 - std::fabs(star - edge) / (fw * 2.2), 0.0, 1.0));
            float in_core = static_cast<float>(std::clamp((0.26 - inner) / fw, 0.0, 1.0));
            kit::Color ground = kit::mix(cross_cols[pal], cross_cols[(pal + 1) % 4], 0.15f);
            // Corners between stars form crosses in a second colour.
            double corner = std::min(std::hypot(std::fabs(u) - 1, std::fabs(v) - 1), 2.0);
            float in_corner = static_cast<float>(std::clamp((0.42 - corner) / fw, 0.0, 1.0));
            col = kit::mix(ground, star_cols[(pal + 2) % 4], in_corner * 0.85f);
            col = kit::mix(col, star_cols[pal], in_star);
            col = kit::mix(col, cross_cols[(pal + 3) % 4], in_core);
            col = kit::mix(col, kit::rgb(235, 200, 110), outline);
            double m = fbm(n, px * 0.04, py * 0.04, 3);
            col = kit::scale(col, static_cast<float>(0.92 + 0.12 * m));
            kit::blend_pixel(c, x, y, col, 1.0f);
        }
    return c;
}

// ---------------------------------------------------------------------------

kit::Canvas paint_quilt() {
    kit::Canvas c = kit::make_canvas(WIDTH, HEIGHT, kit::rgb(240, 232, 214));
    Random r{0x9017};
    Noise n = make_noise(97);
    const int block = 50;  // 16 x 12 blocks
    const kit::Color fabric[10] = {kit::rgb(200, 50, 60),   kit::rgb(240, 150, 50), kit::rgb(250, 210, 80),
                                   kit::rgb(90, 160, 80),   kit::rgb(40, 110, 170), kit::rgb(110, 70, 160),
                                   kit::rgb(230, 120, 160), kit::rgb(60, 170, 170), kit::rgb(250, 245, 230),
                                   kit::rgb(60, 50, 60)};
    for (int by = 0; by < HEIGHT / block; by++)
        for (int bx = 0; bx < WIDTH / block; bx++) {
            int kind = uniform_int(r, 0, 5);
            kit::Color a = fabric[uniform_int(r, 0, 9)], b = fabric[uniform_int(r, 0, 9)];
            if (a.r == b.r && a.g == b.g) b = fabric[(uniform_int(r, 0, 9) + 3) % 10];
            int flip = uniform_int(r, 0, 3);
            for (int y = 0; y < block; y++)
                for (int x = 0; x < block; x++) {
                    double u = (x + 0.5) / block, v = (y + 0.5) / block;
                    if (flip & 1) u = 1 - u;
                    if (flip & 2) v = 1 - v;
                    bool second = false;
                    switch (kind) {
                    case 0: second = u > v; break;                             // half squares
                    case 1: second = static_cast<int>(u * 5) % 2 == 0; break;  // stripes
                    case 2: second = (static_cast<int>(u * 4) + static_cast<int>(v * 4)) % 2 == 0; break;  // checks
                    case 3:
                        second = std::hypot(std::fmod(u * 3, 1.0) - 0.5, std::fmod(v * 3, 1.0) - 0.5) < 0.25;
                        break;                                                               // dots
                    case 4: second = std::fabs(u - 0.5) + std::fabs(v - 0.5) < 0.35; break;  // diamond
                    default:
                        second = std::max(std::fabs(u - 0.5), std::fabs(v - 0.5)) < 0.25 ||
                                 std::max(std::fabs(u - 0.5), std::fabs(v - 0.5)) > 0.42;
                        break;  // frame
                    }
                    kit::Color col = second ? b : a;
                    // Weave texture and a soft puff towards each block's middle.
                    double weave = 0.04 * std::sin((bx * block + x) * 2.1) * std::sin((by * block + y) * 2.1);
                    double puff = 0.1 * (1 - std::hypot(u - 0.5, v - 0.5) * 1.4);
                    col = kit::scale(
                        col, static_cast<float>(0.9 + puff + weave +
                                                0.05 * fbm(n, (bx * block + x) * 0.1, (by * block + y) * 0.1, 2)));
                    kit::blend_pixel(c, bx * block + x, by * block + y, col, 1.0f);
                }
        }
    // Seams with dashed stitching.
    for (int k = 0; k <= WIDTH / block; k++)
        for (int y = 0; y < HEIGHT; y++) {
            kit::blend_pixel(c, k * block, y, kit::rgb(40, 30, 30, 0.5f), 1.0f);
            if ((y / 4) % 2 == 0) kit::blend_pixel(c, k * block + 3, y, kit::rgb(255, 250, 235, 0.7f), 1.0f);
        }
    for (int k = 0; k <= HEIGHT / block; k++)
        for (int x = 0; x < WIDTH; x++) {
            kit::blend_pixel(c, x, k * block, kit::rgb(40, 30, 30, 0.5f), 1.0f);
            if ((x / 4) % 2 == 0) kit::blend_pixel(c, x, k * block + 3, kit::rgb(255, 250, 235, 0.7f), 1.0f);
        }
    return c;
}

}  // namespace paint
