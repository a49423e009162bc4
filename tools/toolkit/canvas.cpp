// Colours and float canvases for the build tools: compositing in
// premultiplied RGBA and conversion to 8-bit pixels for the file writers.
#include <algorithm>
#include <cmath>

#include "tools/toolkit/toolkit.h"

namespace kit {

Color rgb(int r, int g, int b, float a) { return Color{r / 255.0f, g / 255.0f, b / 255.0f, a}; }

Color mix(Color c1, Color c2, float t) {
    return Color{c1.r + (c2.r - c1.r) * t, c1.g + (c2.g - c1.g) * t, c1.b + (c2.b - c1.b) * t,
                 c1.a + (c2.a - c1.a) * t};
}

Color scale(Color c, float f) { return Color{c.r * f, c.g * f, c.b * f, c.a}; }

Color hsv(float h, float s, float v) {
    h = h - std::floor(h);
    float hh = h * 6.0f;
    int i = static_cast<int>(hh) % 6;
    float f = hh - std::floor(hh);
    float p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
    switch (i) {
    case 0: return Color{v, t, p, 1};
    case 1: return Color{q, v, p, 1};
    case 2: return Color{p, v, t, 1};
    case 3: return Color{p, q, v, 1};
    case 4: return Color{t, p, v, 1};
    default: return Color{v, p, q, 1};
    }
}

Canvas make_canvas(int width, int height, Color fill) {
    Canvas c;
    c.width = width;
    c.height = height;
    c.px.resize(static_cast<size_t>(width) * height * 4);
    for (size_t i = 0; i < c.px.size(); i += 4) {
        c.px[i] = fill.r * fill.a;
        c.px[i + 1] = fill.g * fill.a;
        c.px[i + 2] = fill.b * fill.a;
        c.px[i + 3] = fill.a;
    }
    return c;
}

void blend_pixel(Canvas& canvas, int x, int y, Color c, float coverage) {
    if (x < 0 || y < 0 || x >= canvas.width || y >= canvas.height) return;
    float a = std::clamp(c.a * coverage, 0.0f, 1.0f);
    if (a <= 0) return;
    float* p = &canvas.px[(static_cast<size_t>(y) * canvas.width + x) * 4];
    p[0] = c.r * a + p[0] * (1 - a);
    p[1] = c.g * a + p[1] * (1 - a);
    p[2] = c.b * a + p[2] * (1 - a);
    p[3] = a + p[3] * (1 - a);
}

Color get_pixel(const Canvas& canvas, int x, int y) {
    x = std::clamp(x, 0, canvas.width - 1);
    y = std::clamp(y, 0, canvas.height - 1);
    const float* p = &canvas.px[(static_cast<size_t>(y) * canvas.width + x) * 4];
    if (p[3] <= 0) return Color{0, 0, 0, 0};
    return Color{p[0] / p[3], p[1] / p[3], p[2] / p[3], p[3]};
}

void draw_canvas(Canvas& dst, const Canvas& src, int x, int y, float opacity) {
    for (int sy = 0; sy < src.height; sy++) {
        int dy = y + sy;
        if (dy < 0 || dy >= dst.height) continue;
        for (int sx = 0; sx < src.width; sx++) {
            int dx = x + sx;
            if (dx < 0 || dx >= dst.width) continue;
            const float* s = &src.px[(static_cast<size_t>(sy) * src.width + sx) * 4];
            float* d = &dst.px[(static_cast<size_t>(dy) * dst.width + dx) * 4];
            float a = s[3] * opacity;
            for (int k = 0; k < 3; k++) d[k] = s[k] * opacity + d[k] * (1 - a);
            d[3] = a + d[3] * (1 - a);
        }
    }
}

void fill_rect(Canvas& canvas, int x, int y, int w, int h, Color c) {
    for (int yy = y; yy < y + h; yy++)
        for (int xx = x; xx < x + w; xx++) blend_pixel(canvas, xx, yy, c, 1.0f);
}

// One axis of the resampling: for each output index, the source taps and
// their weights (normalised).
struct Taps {
    std::vector<int> first, count;
    std::vector<float> weights;  // count[i] weights per output i, packed
    std::vector<int> offset;
};

static Taps make_taps(int src, int dst) {
    Taps t;
    double ratio = static_cast<double>(src) / dst;
    double support = std::max(1.0, ratio);
    for (int i = 0; i < dst; i++) {
        double centre = (i + 0.5) * ratio - 0.5;
        int lo = static_cast<int>(std::floor(centre - support)) + 1;
        int hi = static_cast<int>(std::ceil(centre + support)) - 1;
        lo = std::max(lo, 0);
        hi = std::min(hi, src - 1);
        t.first.push_back(lo);
        t.offset.push_back(static_cast<int>(t.weights.size()));
        double sum = 0;
        std::vector<double> w;
        for (int k = lo; k <= hi; k++) {
            double v = 1.0 - std::fabs(k - centre) / support;
            if (v < 0) v = 0;
            w.push_back(v);
            sum += v;
        }
        if (sum <= 0) {
            w.assign(1, 1.0);
            sum = 1;
            t.first.back() = std::clamp(static_cast<int>(std::lround(centre)), 0, src - 1);
        }
        t.count.push_back(static_cast<int>(w.size()));
        for (double v : w) t.weights.push_back(static_cast<float>(v / sum));
    }
    return t;
}

Canvas resize_canvas(const Canvas& src, int width, int height) {
    Canvas out = make_canvas(width, height, Color{0, 0, 0, 0});
    if (src.width <= 0 || src.height <= 0 || width <= 0 || height <= 0) return out;
    Taps tx = make_taps(src.width, width), ty = make_taps(src.height, height);
    // Horizontal pass into a width x src.height buffer, then vertical.
    std::vector<float> mid(static_cast<size_t>(width) * src.height * 4, 0.0f);
    for (int y = 0; y < src.height; y++)
        for (int x = 0; x < width; x++) {
            float acc[4] = {0, 0, 0, 0};
            for (int k = 0; k < tx.count[x]; k++) {
                float w = tx.weights[tx.offset[x] + k];
                const float* p = &src.px[(static_cast<size_t>(y) * src.width + tx.first[x] + k) * 4];
                for (int c = 0; c < 4; c++) acc[c] += p[c] * w;
            }
            std::copy(acc, acc + 4, &mid[(static_cast<size_t>(y) * width + x) * 4]);
        }
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            float acc[4] = {0, 0, 0, 0};
            for (int k = 0; k < ty.count[y]; k++) {
                float w = ty.weights[ty.offset[y] + k];
                const float* p = &mid[(static_cast<size_t>(ty.first[y] + k) * width + x) * 4];
                for (int c = 0; c < 4; c++) acc[c] += p[c] * w;
            }
            std::copy(acc, acc + 4, &out.px[(static_cast<size_t>(y) * width + x) * 4]);
        }
    return out;
}

static uint8_t to_byte(float v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); }

std::vector<uint8_t> canvas_bytes(const Canvas& canvas, bool with_alpha) {
    int ch = with_alpha ? 4 : 3;
    std::vector<uint8_t> out(static_cast<size_t>(canvas.width) * canvas.height * ch);
    for (int i = 0; i < canvas.width * canvas.height; i++) {
        const float* p = &canvas.px[static_cast<size_t>(i) * 4];
        float a = p[3];
        uint8_t* o = &out[static_cast<size_t>(i) * ch];
        if (with_alpha) {
            uint8_t ab = to_byte(a);
            if (ab == 0) {
                o[0] = o[1] = o[2] = o[3] = 0;
                continue;
            }
            for (int k = 0; k < 3; k++) o[k] = to_byte(p[k] / a);
            o[3] = ab;
        } else {
            // Opaque output: premultiplied colour is the colour over black.
            for (int k = 0; k < 3; k++) o[k] = to_byte(p[k]);
        }
    }
    return out;
}

}  // namespace kit
