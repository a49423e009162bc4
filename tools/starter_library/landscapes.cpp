// Landscapes from noise: the title picture of the opening jigsaw (sunset
// over mountains and a lake, with the game's name), an alpine lake, desert
// dunes at dusk, northern lights over a forest, and a balloon festival.
#include <algorithm>
#include <cmath>

#include "tools/starter_library/painter.h"

namespace paint {

// Fills everything below the ridge line y = top(x), with colour going from
// `crest` at the ridge to `foot` at y_foot; noise adds light and shade.
template <typename Ridge>
static void mountain_layer(kit::Canvas& c, Ridge top, kit::Color crest, kit::Color foot, int y_foot, const Noise& n,
                           double texture) {
    for (int x = 0; x < c.width; x++) {
        double t0 = top(x + 0.5);
        int ys = std::max(0, static_cast<int>(std::floor(t0)));
        for (int y = ys; y < c.height; y++) {
            double cov = std::clamp(y + 1.0 - t0, 0.0, 1.0);
            double k = std::clamp((y - t0) / std::max(1.0, y_foot - t0), 0.0, 1.0);
            kit::Color col = kit::mix(crest, foot, static_cast<float>(k));
            if (texture > 0) {
                double v = fbm(n, x * 0.03, y * 0.05, 3) * texture;
                col = v > 0 ? kit::mix(col, kit::Color{1, 1, 1, 1}, static_cast<float>(v))
                            : kit::scale(col, static_cast<float>(1 + v));
            }
            kit::blend_pixel(c, x, y, col, static_cast<float>(cov));
        }
    }
}

static void glow(kit::Canvas& c, double cx, double cy, double r, kit::Color col) {
    kit::Path p;
    kit::add_circle(p, cx, cy, r);
    kit::fill_radial(c, kit::rasterize_bounds(p, 1), col, kit::Color{col.r, col.g, col.b, 0}, cx, cy, r);
}

// ---------------------------------------------------------------------------

kit::Canvas paint_title(kit::Font& font) {
    kit::Canvas c = kit::make_canvas(WIDTH, HEIGHT, kit::Color{0, 0, 0, 1});
    const int horizon = 392;
    const Stop sky[] = {{0.0, kit::rgb(20, 18, 66)},
                        {0.35, kit::rgb(88, 44, 120)},
                        {0.62, kit::rgb(214, 92, 110)},
                        {0.84, kit::rgb(255, 160, 96)},
                        {1.0, kit::rgb(255, 214, 140)}};
    fill_sky(c, sky, 5, 0, horizon);
    Random r{0x7117E};
    stars(c, r, 160, 0, 170);
    glow(c, 560, 262, 200, kit::rgb(255, 200, 120, 0.55f));
    kit::Path sun;
    kit::add_circle(sun, 560, 262, 56);
    kit::fill_vertical(c, kit::rasterize_bounds(sun, 1), kit::rgb(255, 246, 200), 206, kit::rgb(255, 170, 80), 318);
    Noise n = make_noise(11);
    // Three ranges, far to near: paler and higher far away.
    mountain_layer(
        c, [&](double x) { return 300 - 70 * ridged(n, x * 0.004, 1.3, 5); }, kit::rgb(176, 96, 140),
        kit::rgb(150, 84, 130), horizon, n, 0.05);
    mountain_layer(
        c, [&](double x) { return 345 - 70 * ridged(n, x * 0.006 + 7, 4.1, 5); }, kit::rgb(110, 56, 110),
        kit::rgb(86, 44, 96), horizon, n, 0.06);
    mountain_layer(
        c, [&](double x) { return 372 - 40 * (fbm(n, x * 0.008 + 3, 9.2, 4) + 0.4); }, kit::rgb(54, 30, 70),
        kit::rgb(40, 22, 56), horizon, n, 0.04);
    reflect(c, horizon, n, kit::rgb(40, 30, 90), 0.25f);
    // Foreground shore with reeds.
    mountain_layer(
        c, [&](double x) { return 540 - 28 * (fbm(n, x * 0.01, 20.0, 3) + 0.5); }, kit::rgb(30, 18, 40),
        kit::rgb(16, 10, 24), HEIGHT, n, 0.0);
    for (int i = 0; i < 70; i++) {
        double x = uniform(r, 0, WIDTH), h = uniform(r, 25, 70), lean = uniform(r, -8, 8);
        double base = 548 - 28 * (fbm(n, x * 0.01, 20.0, 3) + 0.5);
        kit::Path reed;
        kit::move_to(reed, x - 1.2, base + 4);
        kit::cubic_to(reed, x - 1, base - h * 0.5, x + lean * 0.5, base - h * 0.8, x + lean, base - h);
        kit::cubic_to(reed, x + lean * 0.5 + 1, base - h * 0.8, x + 1, base - h * 0.5, x + 1.2, base + 4);
        kit::fill(c, kit::rasterize_bounds(reed, 1), kit::rgb(24, 14, 32));
    }
    // The name: gold letters with a dark rim and a soft glow.
    const int size = 104;
    std::string name = "Tessellon";
    int tw = kit::text_width(font, size, name);
    double tx = (WIDTH - tw) / 2.0, base = 150;
    kit::Coverage letters = kit::text_coverage(font, size, tx, base, name);
    kit::fill(c, kit::blur(letters, 6), kit::rgb(255, 200, 120, 0.55f));
    kit::fill(c, kit::offset(kit::blur(letters, 1), 3, 4), kit::rgb(30, 10, 40, 0.8f));
    kit::fill_vertical(c, letters, kit::rgb(255, 248, 196), base - size * 0.72, kit::rgb(240, 150, 50), base);
    std::string tag = "a jigsaw puzzle game";
    kit::draw_text(c, font, 26, (WIDTH - kit::text_width(font, 26, tag)) / 2.0 + 1, base + 49,
                   kit::rgb(30, 10, 40, 0.7f), tag);
    kit::draw_text(c, font, 26, (WIDTH - kit::text_width(font, 26, tag)) / 2.0, base + 48, kit::rgb(255, 228, 200),
                   tag);
    return c;
}

// ---------------------------------------------------------------------------

kit::Canvas paint_alpine_lake() {
    kit::Canvas c = kit::make_canvas(WIDTH, HEIGHT, kit::Color{0, 0, 0, 1});
    const int horizon = 360;
    const Stop sky[] = {{0.0, kit::rgb(40, 110, 200)}, {0.7, kit::rgb(130, 190, 240)}, {1.0, kit::rgb(210, 232, 250)}};
    fill_sky(c, sky, 3, 0, horizon);
    Noise n = make_noise(23);
    // Clouds: thresholded noise, soft edged.
    for (int y = 0; y < 230; y++)
        for (int x = 0; x < WIDTH; x++) {
            double v = fbm(n, x * 0.006, y * 0.014, 5) + 0.12 - y * 0.0009;
            if (v > 0) kit::blend_pixel(c, x, y, kit::rgb(255, 255, 255), static_cast<float>(std::min(0.9, v * 3.5)));
        }
    // Snowy peaks: a few summits with noisy flanks; the side facing the
    // light (left) is bright, the other in blue shade; snow on the tops.
    struct Summit {
        double x, h, slope;
    };
    const Summit summits[6] = {{90, 150, 1.0},  {260, 235, 1.25}, {420, 170, 1.1},
                               {560, 255, 1.3}, {700, 180, 1.0},  {810, 140, 0.9}};
    auto height_at = [&](double x, int* which) {
        double best = -1e9;
        for (int i = 0; i < 6; i++) {
            double h = summits[i].h - std::fabs(x - summits[i].x) * summits[i].slope;
            if (h > best) {
                best = h;
                *which = i;
            }
        }
        return best + 14 * fbm(n, x * 0.02, 3.3, 4);
    };
    for (int x = 0; x < WIDTH; x++) {
        int which = 0;
        double t0 = horizon - 40 - height_at(x + 0.5, &which);
        for (int y = std::max(0, static_cast<int>(t0)); y < horizon; y++) {
            double cov = std::clamp(y + 1.0 - t0, 0.0, 1.0);
            // Faces: each pixel belongs to the nearest summit (bigger ones
            // reach further), lit left of its apex and shaded right of it,
            // the edge wandering a little.
            int owner = 0;
            double nearest = 1e30;
            for (int i = 0; i < 6; i++) {
                double apex = horizon - 40 - summits[i].h;
                double d = std::hypot((x - summits[i].x) * summits[i].slope, (y - apex) * 0.7) - summits[i].h * 0.6;
                if (d < nearest) {
                    nearest = d;
                    owner = i;
                }
            }
            which = owner;
            double edge = summits[which].x + 10 * fbm(n, y * 0.03, which * 1.7, 3) + (y - t0) * 0.15;
            bool lit = x < edge;
            double strata = ridged(n, x * 0.02, y * 0.04, 3);
            kit::Color rock = lit ? kit::rgb(150, 140, 146) : kit::rgb(84, 86, 110);
            rock = kit::scale(rock, static_cast<float>(0.8 + 0.35 * strata));
            double depth = y - t0;
            double snow_depth = 22 + 42 * (summits[which].h / 255.0) + 34 * fbm(n, x * 0.045, y * 0.03, 4);
            bool snowy = depth < snow_depth;
            kit::Color col = snowy ? (lit ? kit::rgb(252, 252, 255) : kit::rgb(196, 210, 236)) : rock;
            col = kit::mix(col, kit::rgb(170, 196, 230), static_cast<float>(std::clamp((y - 240) / 240.0, 0.0, 0.35)));
            kit::blend_pixel(c, x, y, col, static_cast<float>(cov));
        }
    }
    // Forest belt: rows of small pines along the shore.
    Random r{0xA1};
    for (int row = 0; row < 3; row++)
        for (int i = 0; i < 140; i++) {
            double x = uniform(r, -10, WIDTH + 10);
            double base = horizon + 2 - row * 6 - 10 * fbm(n, x * 0.01, row, 2);
            double h = uniform(r, 18, 34) * (1.0 - row * 0.2), w = h * 0.32;
            kit::Path tree;
            kit::move_to(tree, x, base - h);
            kit::line_to(tree, x + w, base);
            kit::line_to(tree, x - w, base);
            float shade = static_cast<float>(uniform(r, 0.8, 1.1));
            kit::fill(c, kit::rasterize_bounds(tree, 1),
                      kit::scale(kit::rgb(30 + row * 14, 80 + row * 16, 50 + row * 10), shade));
        }
    reflect(c, horizon, n, kit::rgb(30, 90, 120), 0.2f);
    // Meadow at the front with flowers.
    auto meadow = [&](double x) { return 520 - 30 * (fbm(n, x * 0.006, 40.0, 3) + 0.4); };
    mountain_layer(c, meadow, kit::rgb(120, 170, 60), kit::rgb(60, 120, 40), HEIGHT, n, 0.12);
    for (int i = 0; i < 260; i++) {
        double x = uniform(r, 0, WIDTH), y = meadow(x) + uniform(r, 6, HEIGHT - meadow(x));
        kit::Path f;
        kit::add_circle(f, x, y, uniform(r, 1.2, 2.6) * (0.6 + (y - 480) / 200.0));
        const kit::Color cols[4] = {kit::rgb(255, 240, 80), kit::rgb(255, 255, 255), kit::rgb(230, 80, 120),
                                    kit::rgb(150, 110, 230)};
        kit::fill(c, kit::rasterize_bounds(f, 1), cols[uniform_int(r, 0, 3)]);
    }
    return c;
}

// ---------------------------------------------------------------------------

kit::Canvas paint_desert_dunes() {
    kit::Canvas c = kit::make_canvas(WIDTH, HEIGHT, kit::Color{0, 0, 0, 1});
    const Stop sky[] = {{0.0, kit::rgb(40, 40, 110)}, {0.5, kit::rgb(200, 100, 120)}, {1.0, kit::rgb(255, 190, 120)}};
    fill_sky(c, sky, 3, 0, 330);
    Random r{0xD00E};
    stars(c, r, 60, 0, 120);
    glow(c, 250, 300, 160, kit::rgb(255, 220, 150, 0.5f));
    kit::Path sun;
    kit::add_circle(sun, 250, 300, 46);
    kit::fill(c, kit::rasterize_bounds(sun, 1), kit::rgb(255, 236, 190));
    Noise n = make_noise(31);
    // Dunes, far to near. Each is a row of lopsided humps: a long lit slope
    // up to a sharp crest, a short steep lee slope in shadow. The shadow's
    // edge leans as it runs down so the lee faces read as wedges.
    const kit::Color lit[4] = {kit::rgb(230, 150, 110), kit::rgb(236, 150, 90), kit::rgb(240, 160, 80),
                               kit::rgb(246, 176, 90)};
    const kit::Color lee[4] = {kit::rgb(170, 90, 110), kit::rgb(160, 80, 90), kit::rgb(150, 70, 70),
                               kit::rgb(130, 60, 56)};
    for (int d = 0; d < 4; d++) {
        double base = 330 + d * 70, period = 260 + d * 60, phase = d * 0.37, amp = 45 + d * 8;
        auto hump = [&](double x) {
            double p = x / period + phase;
            p -= std::floor(p);
            return p < 0.72 ? std::pow(std::sin(p / 0.72 * 1.5707963), 1.4)
                            : std::pow(std::cos((p - 0.72) / 0.28 * 1.5707963), 1.2);
        };
        auto crest = [&](double x) { return base - 20 - amp * hump(x) - 8 * fbm(n, x * 0.01, d + 0.5, 2); };
        for (int x = 0; x < WIDTH; x++) {
            double t0 = crest(x + 0.5);
            for (int y = std::max(0, static_cast<int>(t0)); y < HEIGHT; y++) {
                double cov = std::clamp(y + 1.0 - t0, 0.0, 1.0);
                double p = (x + 0.5 - (y - t0) * 0.9) / period + phase;
                p -= std::floor(p);
                double shadow = std::clamp((p - 0.72) * 40, 0.0, 1.0) * std::clamp((0.99 - p) * 40, 0.0, 1.0);
                kit::Color col = kit::mix(lit[d], lee[d], static_cast<float>(shadow));
                double k = std::clamp((y - t0) / 140.0, 0.0, 1.0);
                col = kit::mix(col, kit::scale(col, 0.82f), static_cast<float>(k));
                double ripple = std::sin((y + 6 * noise2(n, x * 0.02, y * 0.05)) * 0.9 + x * 0.05);
                col = kit::scale(col, static_cast<float>(1 + 0.04 * ripple * (0.3 + d * 0.2)));
                kit::blend_pixel(c, x, y, col, static_cast<float>(cov));
            }
        }
    }
    // A caravan on the second crest line, in silhouette.
    for (int i = 0; i < 4; i++) {
        double x = 470 + i * 42, y = 372 + i * 3;
        kit::Path camel;
        kit::add_rounded_rect(camel, x, y, 26, 9, 4);            // body
        kit::add_circle(camel, x + 9, y, 6);                     // hump
        kit::add_rounded_rect(camel, x + 22, y - 14, 5, 17, 2);  // neck
        kit::add_rounded_rect(camel, x + 23, y - 16, 10, 5, 2);  // head
        for (int l = 0; l < 4; l++) kit::add_rounded_rect(camel, x + 2 + l * 6.5, y + 7, 2.2, 15, 1);
        kit::fill(c, kit::rasterize_bounds(camel, 1), kit::rgb(60, 30, 50));
    }
    return c;
}

// ---------------------------------------------------------------------------

kit::Canvas paint_northern_lights() {
    kit::Canvas c = kit::make_canvas(WIDTH, HEIGHT, kit::Color{0, 0, 0, 1});
    const int horizon = 430;
    const Stop sky[] = {{0.0, kit::rgb(4, 6, 24)}, {0.6, kit::rgb(10, 24, 56)}, {1.0, kit::rgb(20, 60, 90)}};
    fill_sky(c, sky, 3, 0, horizon);
    Random r{0xA0A0};
    stars(c, r, 320, 0, horizon);
    Noise n = make_noise(47);
    // Curtains: bands along a wavy line, bright at the bottom edge and
    // streaked vertically, green turning violet at the top.
    for (int band = 0; band < 2; band++)
        for (int x = 0; x < WIDTH; x++) {
            double base = 230 + band * 70 + 80 * noise2(n, x * 0.0035 + band * 5, band + 0.5) +
                          18 * noise2(n, x * 0.014, band * 2 + 0.5);
            double streak = std::pow(0.5 + 0.5 * noise2(n, x * 0.07 + band * 13, band * 7.0 + 0.5), 1.5) * 1.6;
            double height = 150 + 70 * noise2(n, x * 0.006, band + 3.5);
            for (int y = static_cast<int>(base - height); y < static_cast<int>(base + 8); y++) {
                if (y < 0 || y >= horizon) continue;
                double up = (base - y) / height;  // 0 at the lower edge, 1 at the top
                double a = up < 0 ? std::max(0.0, 1 + up / 0.05) : std::pow(std::max(0.0, 1 - up), 2.0);
                a *= streak * (0.8 - band * 0.25);
                kit::Color col = kit::mix(kit::rgb(90, 255, 150), kit::rgb(200, 90, 220),
                                          static_cast<float>(std::clamp(up * 1.4 - 0.2, 0.0, 1.0)));
                kit::blend_pixel(c, x, y, col, static_cast<float>(std::clamp(a, 0.0, 1.0)));
            }
        }
    // Snowy hills and a pine forest in silhouette.
    mountain_layer(
        c, [&](double x) { return 395 - 60 * ridged(n, x * 0.004, 8.8, 4); }, kit::rgb(70, 90, 120),
        kit::rgb(40, 56, 86), horizon, n, 0.03);
    for (int i = 0; i < 120; i++) {
        double x = uniform(r, -10, WIDTH + 10), h = uniform(r, 30, 90), w = h * 0.28;
        double base = horizon + 2;
        kit::Path tree;
        for (int tier = 0; tier < 4; tier++) {
            double top = base - h + tier * h * 0.2, bottom = top + h * 0.38;
            double half = w * (0.45 + tier * 0.2);
            tree.contours.push_back({{x, top}, {x + half, bottom}, {x - half, bottom}});
        }
        kit::add_rounded_rect(tree, x - 1.5, base - h * 0.2, 3, h * 0.2, 1);
        kit::fill(c, kit::rasterize_bounds(tree, 1), kit::rgb(6, 14, 20));
    }
    reflect(c, horizon, n, kit::rgb(10, 30, 50), 0.2f);
    return c;
}

// ---------------------------------------------------------------------------

kit::Canvas paint_balloons() {
    kit::Canvas c = kit::make_canvas(WIDTH, HEIGHT, kit::Color{0, 0, 0, 1});
    const Stop sky[] = {{0.0, kit::rgb(70, 140, 230)}, {1.0, kit::rgb(190, 226, 250)}};
    fill_sky(c, sky, 2, 0, HEIGHT);
    Noise n = make_noise(59);
    for (int y = 0; y < 420; y++)
        for (int x = 0; x < WIDTH; x++) {
            double v = fbm(n, x * 0.005, y * 0.012, 5) + 0.05;
            if (v > 0) kit::blend_pixel(c, x, y, kit::rgb(255, 255, 255), static_cast<float>(std::min(0.85, v * 3.0)));
        }
    // Rolling green hills.
    const kit::Color hills[3] = {kit::rgb(120, 180, 110), kit::rgb(80, 160, 70), kit::rgb(50, 130, 50)};
    for (int h = 0; h < 3; h++)
        mountain_layer(
            c, [&](double x) { return 450 + h * 45 - 40 * (fbm(n, x * 0.004 + h * 7, h * 2.0, 3) + 0.5); }, hills[h],
            kit::scale(hills[h], 0.8f), HEIGHT, n, 0.1);
    // Balloons: striped envelopes, a basket on ropes; far ones smaller.
    struct Balloon {
        double x, y, r;
        kit::Color a, b;
    };
    const Balloon balloons[5] = {{150, 180, 70, kit::rgb(230, 50, 60), kit::rgb(255, 210, 60)},
                                 {420, 120, 95, kit::rgb(40, 120, 220), kit::rgb(255, 255, 255)},
                                 {640, 240, 60, kit::rgb(120, 200, 80), kit::rgb(250, 130, 40)},
                                 {300, 330, 40, kit::rgb(170, 70, 200), kit::rgb(250, 220, 240)},
                                 {720, 90, 34, kit::rgb(255, 150, 40), kit::rgb(220, 40, 80)}};
    for (const Balloon& b : balloons) {
        kit::Path env;
        // Round top narrowing to a neck: a circle plus a cone.
        kit::add_circle(env, b.x, b.y, b.r);
        env.contours.push_back({{b.x - b.r * 0.87, b.y + b.r * 0.5},
                                {b.x + b.r * 0.87, b.y + b.r * 0.5},
                                {b.x + b.r * 0.22, b.y + b.r * 1.35},
                                {b.x - b.r * 0.22, b.y + b.r * 1.35}});
        kit::Coverage cov = kit::rasterize_bounds(env, 1);
        // Gores: vertical stripes curving with the envelope.
        for (int y = 0; y < cov.height; y++)
            for (int x = 0; x < cov.width; x++) {
                float a = cov.a[static_cast<size_t>(y) * cov.width + x];
                if (a <= 0) continue;
                double px = cov.x0 + x + 0.5 - b.x, py = cov.y0 + y + 0.5 - b.y;
                double half = py < b.r * 0.5 ? std::sqrt(std::max(1.0, b.r * b.r - py * py))
                                             : b.r * (0.87 - 0.65 * (py - b.r * 0.5) / (b.r * 0.85));
                double u = std::asin(std::clamp(px / std::max(1.0, half), -1.0, 1.0));  // -pi/2..pi/2
                bool stripe = static_cast<int>(std::floor((u + 1.6) * 2.6)) % 2 == 0;
                kit::Color col = stripe ? b.a : b.b;
                float shade = static_cast<float>(0.75 + 0.3 * std::cos(u + 0.5) - 0.1 * py / b.r);
                kit::blend_pixel(c, cov.x0 + x, cov.y0 + y, kit::scale(col, shade), a);
            }
        kit::Path basket, ropes;
        double by = b.y + b.r * 1.6, bw = b.r * 0.3;
        kit::add_rounded_rect(basket, b.x - bw / 2, by, bw, bw * 0.7, 2);
        ropes.contours.push_back({{b.x - b.r * 0.2, b.y + b.r * 1.34},
                                  {b.x - b.r * 0.18, b.y + b.r * 1.34},
                                  {b.x - bw / 2 + 1, by},
                                  {b.x - bw / 2, by}});
        ropes.contours.push_back({{b.x + b.r * 0.18, b.y + b.r * 1.34},
                                  {b.x + b.r * 0.2, b.y + b.r * 1.34},
                                  {b.x + bw / 2, by},
                                  {b.x + bw / 2 - 1, by}});
        kit::fill(c, kit::rasterize_bounds(ropes, 1), kit::rgb(90, 60, 40));
        kit::fill(c, kit::rasterize_bounds(basket, 1), kit::rgb(150, 100, 50));
    }
    return c;
}

}  // namespace paint
