// Seeded randomness, gradient noise and the small shared painting helpers
// (sky gradients, palettes, stars, water reflections).
#include <algorithm>
#include <cmath>

#include "tools/starter_library/painter.h"

namespace paint {

static uint64_t next_u64(Random& r) {
    uint64_t z = (r.state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double uniform(Random& r, double lo, double hi) {
    return lo + (hi - lo) * (next_u64(r) >> 11) * (1.0 / 9007199254740992.0);
}

int uniform_int(Random& r, int lo, int hi) {
    return lo + static_cast<int>(next_u64(r) % static_cast<uint64_t>(hi - lo + 1));
}

Noise make_noise(uint64_t seed) {
    Noise n;
    Random r{seed};
    for (int i = 0; i < 256; i++) n.perm[i] = static_cast<uint8_t>(i);
    for (int i = 255; i > 0; i--) std::swap(n.perm[i], n.perm[uniform_int(r, 0, i)]);
    for (int i = 0; i < 256; i++) n.perm[256 + i] = n.perm[i];
    return n;
}

static double grad(int hash, double x, double y) {
    // Eight gradient directions.
    switch (hash & 7) {
    case 0: return x + y;
    case 1: return x - y;
    case 2: return -x + y;
    case 3: return -x - y;
    case 4: return x;
    case 5: return -x;
    case 6: return y;
    default: return -y;
    }
}

double noise2(const Noise& n, double x, double y) {
    double fx = std::floor(x), fy = std::floor(y);
    int xi = static_cast<int>(fx) & 255, yi = static_cast<int>(fy) & 255;
    double dx = x - fx, dy = y - fy;
    double u = dx * dx * dx * (dx * (dx * 6 - 15) + 10);
    double v = dy * dy * dy * (dy * (dy * 6 - 15) + 10);
    int aa = n.perm[n.perm[xi] + yi], ab = n.perm[n.perm[xi] + yi + 1];
    int ba = n.perm[n.perm[xi + 1] + yi], bb = n.perm[n.perm[xi + 1] + yi + 1];
    double x1 = grad(aa, dx, dy) + u * (grad(ba, dx - 1, dy) - grad(aa, dx, dy));
    double x2 = grad(ab, dx, dy - 1) + u * (grad(bb, dx - 1, dy - 1) - grad(ab, dx, dy - 1));
    return (x1 + v * (x2 - x1)) * 0.7;
}

double fbm(const Noise& n, double x, double y, int octaves) {
    double sum = 0, amp = 0.5, f = 1;
    for (int i = 0; i < octaves; i++) {
        sum += amp * noise2(n, x * f + i * 17.3, y * f - i * 9.1);
        f *= 2.03;
        amp *= 0.5;
    }
    return sum;
}

double ridged(const Noise& n, double x, double y, int octaves) {
    double sum = 0, amp = 0.5, f = 1, weight = 1;
    for (int i = 0; i < octaves; i++) {
        double v = 1.0 - std::fabs(noise2(n, x * f + i * 31.7, y * f + i * 5.3));
        v *= v * weight;
        weight = std::clamp(v * 1.8, 0.0, 1.0);
        sum += amp * v;
        f *= 2.1;
        amp *= 0.5;
    }
    return sum;
}

kit::Color gradient(const Stop* stops, int count, double t) {
    if (t <= stops[0].at) return stops[0].c;
    for (int i = 1; i < count; i++)
        if (t <= stops[i].at)
            return kit::mix(stops[i - 1].c, stops[i].c,
                            static_cast<float>((t - stops[i - 1].at) / (stops[i].at - stops[i - 1].at)));
    return stops[count - 1].c;
}

void fill_sky(kit::Canvas& c, const Stop* stops, int count, int y0, int y1) {
    for (int y = y0; y < y1; y++) {
        kit::Color col = gradient(stops, count, static_cast<double>(y - y0) / std::max(1, y1 - y0 - 1));
        for (int x = 0; x < c.width; x++) kit::blend_pixel(c, x, y, col, 1.0f);
    }
}

kit::Color cosine_palette(double t, const double a[3], const double b[3], const double c[3], const double d[3]) {
    const double tau = 6.283185307179586;
    float ch[3];
    for (int k = 0; k < 3; k++)
        ch[k] = static_cast<float>(std::clamp(a[k] + b[k] * std::cos(tau * (c[k] * t + d[k])), 0.0, 1.0));
    return kit::Color{ch[0], ch[1], ch[2], 1};
}

void stars(kit::Canvas& c, Random& r, int count, int y0, int y1) {
    for (int i = 0; i < count; i++) {
        double x = uniform(r, 0, c.width), y = uniform(r, y0, y1);
        double fade = 1.0 - (y - y0) / std::max(1, y1 - y0);
        double size = uniform(r, 0.5, 1.0) * (uniform(r, 0, 1) < 0.08 ? 2.0 : 1.0);
        kit::Path p;
        kit::add_circle(p, x, y, size);
        float bright = static_cast<float>(uniform(r, 0.4, 1.0) * fade);
        kit::fill(c, kit::blur(kit::rasterize_bounds(p, 1), size > 1.5 ? 1 : 0), kit::Color{1, 1, 0.95f, bright});
    }
}

void reflect(kit::Canvas& c, int y_line, const Noise& n, kit::Color tint, float tint_amount) {
    for (int y = y_line; y < c.height; y++) {
        double depth = static_cast<double>(y - y_line);
        for (int x = 0; x < c.width; x++) {
            double wobble = noise2(n, x * 0.02, y * 0.35) * (1.5 + depth * 0.04);
            int sy = y_line - 1 - static_cast<int>(depth * 1.0 + wobble);
            int sx = x + static_cast<int>(noise2(n, y * 0.3, x * 0.01) * 2);
            if (sy < 0) sy = 0;
            kit::Color col = kit::get_pixel(c, sx, sy);
            float darken = static_cast<float>(0.82 - 0.15 * depth / std::max(1, c.height - y_line));
            col = kit::mix(kit::scale(col, darken), tint, tint_amount);
            // Thin light streaks on the water.
            double streak = noise2(n, x * 0.004, y * 0.9);
            if (streak > 0.35) col = kit::mix(col, kit::Color{1, 1, 1, 1}, static_cast<float>((streak - 0.35) * 0.5));
            col.a = 1;
            kit::blend_pixel(c, x, y, col, 1.0f);
        }
    }
}

}  // namespace paint
