// Small scenes: a red stand mixer in a tiled kitchen, glass and metal
// spheres on a chequered floor (ray traced), a city at night by a river,
// and a sunflower.
#include <algorithm>
#include <cmath>

#include "tools/starter_library/painter.h"

namespace paint {

static const double PI = 3.14159265358979323846;

// Fills a path with a vertical gradient.
static void shape(kit::Canvas& c, const kit::Path& p, kit::Color top, double y0, kit::Color bottom, double y1) {
    kit::fill_vertical(c, kit::rasterize_bounds(p, 1), top, y0, bottom, y1);
}

// Fills a path with a horizontal shine: dark edges, a bright band at `hot`
// (0..1 across the shape's x range).
static void shiny(kit::Canvas& c, const kit::Path& p, kit::Color base, double hot) {
    kit::Coverage cov = kit::rasterize_bounds(p, 1);
    for (int y = 0; y < cov.height; y++)
        for (int x = 0; x < cov.width; x++) {
            float a = cov.a[static_cast<size_t>(y) * cov.width + x];
            if (a <= 0) continue;
            double u = (x + 0.5) / cov.width;
            double light = 0.55 + 0.5 * std::exp(-std::pow((u - hot) / 0.12, 2)) + 0.25 * std::sin(u * PI);
            kit::Color col = light > 1 ? kit::mix(base, kit::Color{1, 1, 1, 1}, static_cast<float>(light - 1))
                                       : kit::scale(base, static_cast<float>(light));
            kit::blend_pixel(c, cov.x0 + x, cov.y0 + y, col, a);
        }
}

kit::Canvas paint_red_mixer() {
    kit::Canvas c = kit::make_canvas(WIDTH, HEIGHT, kit::rgb(236, 240, 236));
    Noise n = make_noise(101);
    // Wall of white tiles with grey grout, a window at the top right.
    for (int y = 0; y < 420; y++)
        for (int x = 0; x < WIDTH; x++) {
            int row = y / 30;
            int xs = x + (row % 2) * 30;
            bool grout = y % 30 < 2 || xs % 60 < 2;
            double m = 0.03 * fbm(n, x * 0.05, y * 0.05, 2);
            kit::Color col = grout
                                 ? kit::rgb(170, 176, 180)
                                 : kit::scale(kit::rgb(240, 244, 246), static_cast<float>(0.97 + m - (y % 30) * 0.001));
            kit::blend_pixel(c, x, y, col, 1.0f);
        }
    kit::Path frame;
    kit::add_rounded_rect(frame, 520, 40, 230, 190, 6);
    shape(c, frame, kit::rgb(250, 250, 250), 40, kit::rgb(210, 210, 210), 230);
    kit::Path glass;
    kit::add_rounded_rect(glass, 532, 52, 206, 166, 3);
    shape(c, glass, kit::rgb(120, 180, 240), 52, kit::rgb(200, 230, 250), 218);
    kit::Path hill;
    kit::move_to(hill, 532, 180);
    kit::cubic_to(hill, 600, 150, 660, 170, 738, 160);
    kit::line_to(hill, 738, 218);
    kit::line_to(hill, 532, 218);
    shape(c, hill, kit::rgb(120, 190, 90), 150, kit::rgb(70, 140, 60), 218);
    kit::fill_rect(c, 632, 52, 6, 166, kit::rgb(245, 245, 245));
    kit::fill_rect(c, 532, 132, 206, 6, kit::rgb(245, 245, 245));
    // Shelf with jars.
    kit::fill_rect(c, 40, 120, 300, 10, kit::rgb(150, 100, 60));
    const kit::Color jar_cols[4] = {kit::rgb(230, 160, 40), kit::rgb(120, 60, 40), kit::rgb(230, 220, 180),
                                    kit::rgb(90, 140, 60)};
    for (int j = 0; j < 4; j++) {
        kit::Path jar;
        kit::add_rounded_rect(jar, 60 + j * 70, 60, 50, 60, 8);
        shape(c, jar, kit::rgb(230, 240, 245, 0.9f), 60, kit::rgb(200, 215, 225, 0.9f), 120);
        kit::Path fill_p;
        kit::add_rounded_rect(fill_p, 64 + j * 70, 78 + j * 4, 42, 38 - j * 4, 6);
        shape(c, fill_p, jar_cols[j], 78, kit::scale(jar_cols[j], 0.8f), 116);
        kit::Path lid;
        kit::add_rounded_rect(lid, 58 + j * 70, 54, 54, 10, 3);
        shape(c, lid, kit::rgb(200, 60, 50), 54, kit::rgb(150, 40, 40), 64);
    }
    // Wooden counter.
    for (int y = 420; y < HEIGHT; y++)
        for (int x = 0; x < WIDTH; x++) {
            double grain = std::sin((x * 0.04 + 6 * fbm(n, x * 0.004, y * 0.05, 3)) * 6.0);
            kit::Color col =
                kit::scale(kit::rgb(190, 130, 80), static_cast<float>(0.86 + 0.08 * grain - (y - 420) * 0.0006));
            if (y < 428) col = kit::rgb(226, 176, 120);
            kit::blend_pixel(c, x, y, col, 1.0f);
        }
    // Shadow of the mixer on the counter.
    kit::Path sh;
    kit::add_rounded_rect(sh, 150, 470, 330, 30, 15);
    kit::fill(c, kit::blur(kit::rasterize_bounds(sh, 1), 6), kit::Color{0.2f, 0.1f, 0.05f, 0.45f});
    const kit::Color red = kit::rgb(208, 28, 36);
    // Base, column and head of the mixer.
    kit::Path base;
    kit::add_rounded_rect(base, 170, 440, 300, 44, 20);
    shiny(c, base, red, 0.3);
    kit::Path column;
    column.contours.push_back({{390, 450}, {460, 450}, {452, 230}, {398, 230}});
    shiny(c, column, red, 0.35);
    kit::Path head;
    kit::move_to(head, 190, 240);
    kit::cubic_to(head, 190, 180, 250, 160, 330, 160);
    kit::line_to(head, 430, 160);
    kit::cubic_to(head, 480, 160, 490, 200, 490, 230);
    kit::cubic_to(head, 490, 262, 470, 275, 430, 275);
    kit::line_to(head, 250, 275);
    kit::cubic_to(head, 215, 275, 190, 265, 190, 240);
    kit::Coverage head_cov = kit::rasterize_bounds(head, 1);
    for (int y = 0; y < head_cov.height; y++)
        for (int x = 0; x < head_cov.width; x++) {
            float a = head_cov.a[static_cast<size_t>(y) * head_cov.width + x];
            if (a <= 0) continue;
            double v = (y + 0.5) / head_cov.height;
            double light = 0.6 + 0.55 * std::exp(-std::pow((v - 0.25) / 0.12, 2)) + 0.2 * std::sin(v * PI);
            kit::Color col = light > 1 ? kit::mix(red, kit::Color{1, 1, 1, 1}, static_cast<float>(light - 1))
                                       : kit::scale(red, static_cast<float>(light));
            kit::blend_pixel(c, head_cov.x0 + x, head_cov.y0 + y, col, a);
        }
    // Chrome band, speed knob and the hub.
    kit::Path band;
    kit::add_rounded_rect(band, 196, 250, 292, 9, 4);
    shiny(c, band, kit::rgb(200, 205, 215), 0.4);
    kit::Path knob;
    kit::add_rounded_rect(knob, 440, 196, 40, 12, 5);
    shiny(c, knob, kit::rgb(210, 210, 220), 0.5);
    kit::Path hub;
    kit::add_circle(hub, 200, 220, 16);
    kit::fill_radial(c, kit::rasterize_bounds(hub, 1), kit::rgb(250, 250, 255), kit::rgb(140, 145, 160), 195, 214, 20);
    // Beater and steel bowl.
    kit::Path beater;
    beater.contours.push_back({{266, 275}, {278, 275}, {276, 330}, {268, 330}});
    kit::add_rounded_rect(beater, 246, 318, 52, 60, 22);
    kit::fill(c, kit::rasterize_bounds(beater, 1), kit::rgb(180, 185, 195));
    kit::Path bowl;
    kit::move_to(bowl, 180, 320);
    kit::line_to(bowl, 380, 320);
    kit::cubic_to(bowl, 380, 400, 340, 440, 280, 440);
    kit::cubic_to(bowl, 220, 440, 180, 400, 180, 320);
    shiny(c, bowl, kit::rgb(196, 202, 212), 0.3);
    kit::Path rim;
    kit::add_rounded_rect(rim, 172, 314, 216, 12, 6);
    shiny(c, rim, kit::rgb(220, 224, 232), 0.3);
    // A bowl of lemons on the right.
    kit::Path fruit_bowl;
    kit::move_to(fruit_bowl, 540, 400);
    kit::line_to(fruit_bowl, 740, 400);
    kit::cubic_to(fruit_bowl, 730, 460, 690, 480, 640, 480);
    kit::cubic_to(fruit_bowl, 590, 480, 550, 460, 540, 400);
    const double lemons[5][2] = {{580, 392}, {622, 380}, {664, 386}, {704, 394}, {642, 356}};
    for (const auto& l : lemons) {
        kit::Path lemon;
        kit::add_circle(lemon, l[0], l[1], 24);
        kit::fill_radial(c, kit::rasterize_bounds(lemon, 1), kit::rgb(255, 245, 120), kit::rgb(220, 170, 20), l[0] - 8,
                         l[1] - 9, 34);
    }
    shape(c, fruit_bowl, kit::rgb(60, 120, 190), 400, kit::rgb(30, 70, 130), 480);
    return c;
}

// ---------------------------------------------------------------------------
// Ray traced spheres
// ---------------------------------------------------------------------------

struct Vec {
    double x, y, z;
};
static Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
static Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
static Vec operator*(Vec a, double k) { return {a.x * k, a.y * k, a.z * k}; }
static double dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
static Vec unit(Vec a) { return a * (1.0 / std::sqrt(dot(a, a))); }

struct Sphere {
    Vec centre;
    double radius;
    Vec colour;
    double mirror;  // share of reflected light
};

static const Sphere SPHERES[6] = {
    {{0, 1, 6}, 1.0, {0.9, 0.15, 0.15}, 0.25},         {{-2.3, 0.8, 7.5}, 0.8, {0.15, 0.45, 0.95}, 0.3},
    {{2.2, 0.7, 5.4}, 0.7, {0.95, 0.75, 0.1}, 0.2},    {{-1.1, 0.45, 4.3}, 0.45, {0.2, 0.8, 0.35}, 0.2},
    {{1.1, 0.35, 3.9}, 0.35, {0.85, 0.85, 0.9}, 0.75}, {{3.8, 1.4, 9.5}, 1.4, {0.7, 0.3, 0.8}, 0.3},
};
static const Vec LIGHT = {-0.5, 0.8, -0.35};  // towards the light (normalised below)

static bool hit_sphere(Vec o, Vec d, const Sphere& s, double* t) {
    Vec oc = o - s.centre;
    double b = dot(oc, d), cc = dot(oc, oc) - s.radius * s.radius;
    double disc = b * b - cc;
    if (disc < 0) return false;
    double root = -b - std::sqrt(disc);
    if (root < 1e-4) return false;
    *t = root;
    return true;
}

static Vec trace(Vec o, Vec d, int depth) {
    Vec light = unit(LIGHT);
    double best = 1e30;
    int which = -1;
    for (int i = 0; i < 6; i++) {
        double t;
        if (hit_sphere(o, d, SPHERES[i], &t) && t < best) {
            best = t;
            which = i;
        }
    }
    double floor_t = d.y < 0 ? -o.y / d.y : 1e30;
    if (which < 0 && floor_t >= 1e30) {
        // Sky: a warm horizon under a deep blue.
        double k = std::clamp(d.y * 2.5, 0.0, 1.0);
        return Vec{1.0, 0.82, 0.62} * (1 - k) + Vec{0.22, 0.4, 0.78} * k;
    }
    auto shadowed = [&](Vec p) {
        for (int i = 0; i < 6; i++) {
            double t;
            if (hit_sphere(p, light, SPHERES[i], &t)) return true;
        }
        return false;
    };
    if (which < 0 || floor_t < best) {
        Vec p = o + d * floor_t;
        bool dark = (static_cast<int>(std::floor(p.x)) + static_cast<int>(std::floor(p.z))) % 2 != 0;
        Vec base = dark ? Vec{0.12, 0.12, 0.16} : Vec{0.92, 0.9, 0.85};
        double lit = shadowed(p) ? 0.35 : 1.0;
        double fog = std::clamp((floor_t - 6) / 40.0, 0.0, 1.0);
        Vec col = base * (0.25 + 0.75 * lit);
        if (depth < 2) col = col * 0.82 + trace(p, Vec{d.x, -d.y, d.z}, depth + 1) * 0.18;
        return col * (1 - fog) + Vec{1.0, 0.82, 0.62} * fog;
    }
    const Sphere& s = SPHERES[which];
    Vec p = o + d * best;
    Vec nrm = unit(p - s.centre);
    double diff = std::max(0.0, dot(nrm, light)) * (shadowed(p) ? 0.3 : 1.0);
    Vec refl = unit(d - nrm * (2 * dot(d, nrm)));
    double highlight = std::pow(std::max(0.0, dot(refl, light)), 40);
    Vec col = s.colour * (0.18 + 0.82 * diff) + Vec{1, 1, 1} * highlight;
    if (depth < 2) col = col * (1 - s.mirror) + trace(p, refl, depth + 1) * s.mirror;
    return col;
}

kit::Canvas paint_spheres() {
    kit::Canvas c = kit::make_canvas(WIDTH, HEIGHT, kit::Color{0, 0, 0, 1});
    const Vec eye = {0, 1.6, -1.5};
    for (int y = 0; y < HEIGHT; y++)
        for (int x = 0; x < WIDTH; x++) {
            Vec sum = {0, 0, 0};
            for (int s = 0; s < 4; s++) {
                double px = (x + 0.25 + 0.5 * (s % 2) - WIDTH / 2.0) / HEIGHT;
                double py = -(y + 0.25 + 0.5 * (s / 2) - HEIGHT / 2.0) / HEIGHT;
                Vec d = unit(Vec{px, py - 0.18, 1.0});
                sum = sum + trace(eye, d, 0);
            }
            sum = sum * 0.25;
            kit::blend_pixel(
                c, x, y,
                kit::Color{static_cast<float>(std::min(1.0, sum.x)), static_cast<float>(std::min(1.0, sum.y)),
                           static_cast<float>(std::min(1.0, sum.z)), 1},
                1.0f);
        }
    return c;
}

// ---------------------------------------------------------------------------

kit::Canvas paint_night_city() {
    kit::Canvas c = kit::make_canvas(WIDTH, HEIGHT, kit::Color{0, 0, 0, 1});
    const int river = 420;
    const Stop sky[] = {{0.0, kit::rgb(8, 10, 40)}, {0.7, kit::rgb(40, 40, 100)}, {1.0, kit::rgb(150, 80, 110)}};
    fill_sky(c, sky, 3, 0, river);
    Random r{0xC17E};
    stars(c, r, 150, 0, 250);
    kit::Path moon;
    kit::add_circle(moon, 640, 90, 38);
    kit::fill(c, kit::blur(kit::rasterize_bounds(moon, 1), 8), kit::rgb(255, 250, 220, 0.6f));
    kit::fill(c, kit::rasterize_bounds(moon, 1), kit::rgb(255, 250, 225));
    // Two rows of towers, the far one paler, with lit windows.
    for (int layer = 0; layer < 2; layer++) {
        double x = -20;
        while (x < WIDTH + 20) {
            double w = uniform(r, 40, 90) * (layer ? 1.0 : 0.8);
            double h = uniform(r, 80, 260) * (layer ? 1.0 : 1.2) + (layer ? 0 : 40);
            double top = river - h;
            kit::Color body = layer ? kit::rgb(22, 24, 44) : kit::rgb(48, 50, 86);
            kit::Path b;
            kit::add_rounded_rect(b, x, top, w - 3, h + 1, 1);
            if (uniform(r, 0, 1) < 0.3)
                b.contours.push_back({{x + w * 0.3, top}, {x + w * 0.5, top - h * 0.18}, {x + w * 0.7, top}});
            kit::fill(c, kit::rasterize_bounds(b, 1), body);
            if (layer == 1) {
                kit::Color lamp = uniform(r, 0, 1) < 0.5 ? kit::rgb(255, 220, 120) : kit::rgb(180, 220, 255);
                for (double wy = top + 8; wy < river - 10; wy += 14)
                    for (double wx = x + 6; wx < x + w - 12; wx += 11)
                        if (uniform(r, 0, 1) < 0.45)
                            kit::fill_rect(c, static_cast<int>(wx), static_cast<int>(wy), 6, 8,
                                           kit::scale(lamp, static_cast<float>(uniform(r, 0.6, 1.0))));
            }
            x += w;
        }
    }
    // A bridge with lamps, then the river reflecting it all.
    kit::fill_rect(c, 0, river - 40, WIDTH, 8, kit::rgb(14, 14, 26));
    for (int i = 0; i < 9; i++) {
        kit::Path arch;
        arch.contours.push_back({{i * 100.0 - 10, river - 32.0},
                                 {i * 100.0 + 10, river - 32.0},
                                 {i * 100.0 + 6, river + 0.0},
                                 {i * 100.0 - 6, river + 0.0}});
        kit::fill(c, kit::rasterize_bounds(arch, 1), kit::rgb(14, 14, 26));
        kit::Path lampp;
        kit::add_circle(lampp, i * 100.0 + 50, river - 46, 3);
        kit::fill(c, kit::blur(kit::rasterize_bounds(lampp, 1), 4), kit::rgb(255, 200, 120, 0.9f));
        kit::fill(c, kit::rasterize_bounds(lampp, 1), kit::rgb(255, 240, 200));
    }
    Noise n = make_noise(113);
    reflect(c, river, n, kit::rgb(10, 20, 50), 0.25f);
    return c;
}

// ---------------------------------------------------------------------------

kit::Canvas paint_sunflower() {
    kit::Canvas c = kit::make_canvas(WIDTH, HEIGHT, kit::Color{0, 0, 0, 1});
    const Stop sky[] = {{0.0, kit::rgb(60, 140, 220)}, {1.0, kit::rgb(170, 215, 245)}};
    fill_sky(c, sky, 2, 0, HEIGHT);
    // Out-of-focus leaves behind: soft green discs.
    Random r{0x5F10};
    for (int i = 0; i < 40; i++) {
        kit::Path p;
        double x = uniform(r, 0, WIDTH), y = uniform(r, 300, HEIGHT + 60);
        kit::add_circle(p, x, y, uniform(r, 40, 110));
        kit::fill(c, kit::blur(kit::rasterize_bounds(p, 1), 8),
                  kit::scale(kit::rgb(70, 150, 60), static_cast<float>(uniform(r, 0.6, 1.1))));
    }
    const double cx = 400, cy = 290;
    // Stem and a leaf.
    kit::Path stem;
    stem.contours.push_back({{392, 300}, {408, 300}, {414, 600}, {398, 600}});
    kit::fill(c, kit::rasterize_bounds(stem, 1), kit::rgb(60, 130, 40));
    kit::Path leaf;
    kit::move_to(leaf, 405, 470);
    kit::cubic_to(leaf, 470, 400, 560, 420, 600, 450);
    kit::cubic_to(leaf, 540, 500, 470, 500, 405, 470);
    kit::fill_vertical(c, kit::rasterize_bounds(leaf, 1), kit::rgb(110, 180, 60), 420, kit::rgb(50, 110, 30), 500);
    // Petals: two rings of long ellipses.
    for (int ring = 0; ring < 2; ring++)
        for (int k = 0; k < 26; k++) {
            double a = 2 * PI * (k + ring * 0.5) / 26;
            double len = ring ? 150 : 165, wid = 26;
            kit::Path petal;
            petal.contours.push_back({});
            for (int i = 0; i <= 40; i++) {
                double t = 2 * PI * i / 40;
                double u = 0.5 * len * (1 + std::cos(t)), v = 0.5 * wid * std::sin(t) * (1 - 0.3 * std::cos(t));
                double px = cx + (u + 60) * std::cos(a) - v * std::sin(a);
                double py = cy + (u + 60) * std::sin(a) + v * std::cos(a);
                kit::line_to(petal, px, py);
            }
            kit::Color base = ring ? kit::rgb(255, 200, 30) : kit::rgb(240, 160, 20);
            kit::fill_radial(c, kit::rasterize_bounds(petal, 1), kit::scale(base, 0.8f), base, cx, cy, 180);
        }
    // Seed head: florets on the golden angle, darker towards the middle.
    kit::Path disc;
    kit::add_circle(disc, cx, cy, 100);
    kit::fill(c, kit::rasterize_bounds(disc, 1), kit::rgb(70, 40, 20));
    const double golden = PI * (3 - std::sqrt(5.0));
    for (int i = 1; i < 900; i++) {
        double rr = 3.25 * std::sqrt(static_cast<double>(i)), a = i * golden;
        if (rr > 97) break;
        kit::Path seed;
        kit::add_circle(seed, cx + rr * std::cos(a), cy + rr * std::sin(a), 1.6 + rr * 0.012);
        kit::Color col = kit::mix(kit::rgb(60, 30, 10), kit::rgb(170, 110, 30), static_cast<float>(rr / 100));
        kit::fill(c, kit::rasterize_bounds(seed, 1), col);
    }
    // A bee for the youngest players to find.
    kit::Path bee;
    kit::add_rounded_rect(bee, 600, 140, 34, 22, 11);
    kit::fill(c, kit::rasterize_bounds(bee, 1), kit::rgb(250, 200, 40));
    for (int s = 0; s < 2; s++) kit::fill_rect(c, 608 + s * 10, 140, 5, 22, kit::rgb(40, 30, 20));
    kit::Path wings;
    kit::add_circle(wings, 612, 132, 10);
    kit::add_circle(wings, 626, 130, 9);
    kit::fill(c, kit::rasterize_bounds(wings, 1), kit::rgb(240, 250, 255, 0.8f));
    return c;
}

}  // namespace paint
