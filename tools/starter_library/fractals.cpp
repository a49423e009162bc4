// Fractal pictures: a view into the Mandelbrot set's seahorse valley and a
// lace-like Julia set, both with smooth (continuous) iteration colouring.
#include <cmath>

#include "tools/starter_library/painter.h"

namespace paint {

// The escape count with its fraction, or -1 for points that stay bounded.
static double smooth_escape(double zr, double zi, double cr, double ci, int limit) {
    for (int i = 0; i < limit; i++) {
        double r2 = zr * zr, i2 = zi * zi;
        if (r2 + i2 > 256.0) return i + 1 - std::log2(std::log2(r2 + i2) * 0.5);
        zi = 2 * zr * zi + ci;
        zr = r2 - i2 + cr;
    }
    return -1;
}

// Renders with 2 x 2 samples per pixel where neighbouring counts differ a
// lot (the filaments), one sample elsewhere.
template <typename Shade>
static kit::Canvas render(double cx, double cy, double width, Shade shade) {
    kit::Canvas c = kit::make_canvas(WIDTH, HEIGHT, kit::Color{0, 0, 0, 1});
    double step = width / WIDTH;
    std::vector<double> esc(static_cast<size_t>(WIDTH + 1) * (HEIGHT + 1));
    for (int y = 0; y <= HEIGHT; y++)
        for (int x = 0; x <= WIDTH; x++)
            esc[static_cast<size_t>(y) * (WIDTH + 1) + x] =
                shade.escape(cx + (x - WIDTH / 2.0) * step, cy + (y - HEIGHT / 2.0) * step);
    for (int y = 0; y < HEIGHT; y++)
        for (int x = 0; x < WIDTH; x++) {
            double e[4] = {esc[static_cast<size_t>(y) * (WIDTH + 1) + x],
                           esc[static_cast<size_t>(y) * (WIDTH + 1) + x + 1],
                           esc[static_cast<size_t>(y + 1) * (WIDTH + 1) + x],
                           esc[static_cast<size_t>(y + 1) * (WIDTH + 1) + x + 1]};
            double lo = e[0], hi = e[0];
            for (double v : e) {
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
            kit::Color sum{0, 0, 0, 0};
            int samples = (hi - lo > 3 || (lo < 0) != (hi < 0)) ? 2 : 1;
            for (int sy = 0; sy < samples; sy++)
                for (int sx = 0; sx < samples; sx++) {
                    double px = x + (sx + 0.5) / samples, py = y + (sy + 0.5) / samples;
                    kit::Color s =
                        shade.colour(shade.escape(cx + (px - WIDTH / 2.0) * step, cy + (py - HEIGHT / 2.0) * step));
                    sum.r += s.r;
                    sum.g += s.g;
                    sum.b += s.b;
                }
            float n = static_cast<float>(samples * samples);
            kit::blend_pixel(c, x, y, kit::Color{sum.r / n, sum.g / n, sum.b / n, 1}, 1.0f);
        }
    return c;
}

struct MandelbrotShade {
    double escape(double x, double y) const { return smooth_escape(0, 0, x, y, 450); }
    kit::Color colour(double e) const {
        if (e < 0) return kit::rgb(8, 6, 20);
        static const double a[3] = {0.5, 0.5, 0.5}, b[3] = {0.5, 0.5, 0.5}, c[3] = {1.0, 1.0, 1.0},
                            d[3] = {0.0, 0.10, 0.20};
        double t = std::sqrt(e) * 0.19;
        kit::Color col = cosine_palette(t, a, b, c, d);
        // Deepen the far-out bands so the filaments stand out.
        return kit::scale(col, static_cast<float>(std::min(1.0, 0.35 + e / 60.0)));
    }
};

struct JuliaShade {
    double escape(double x, double y) const { return smooth_escape(x, y, -0.7269, 0.1889, 300); }
    kit::Color colour(double e) const {
        if (e < 0) return kit::rgb(10, 12, 40);
        static const double a[3] = {0.55, 0.45, 0.55}, b[3] = {0.45, 0.4, 0.45}, c[3] = {1.0, 0.8, 0.6},
                            d[3] = {0.78, 0.05, 0.25};
        double t = std::log(e + 1) * 0.55;
        return cosine_palette(t, a, b, c, d);
    }
};

kit::Canvas paint_mandelbrot() { return render(-0.7449, 0.1127, 0.0088, MandelbrotShade{}); }

kit::Canvas paint_julia() { return render(0.0, 0.0, 3.1, JuliaShade{}); }

}  // namespace paint
