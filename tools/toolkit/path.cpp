// Paths and their anti-aliased coverage. The rasteriser accumulates the
// exact signed area that each segment sweeps in every pixel and sums it
// along the rows (the accumulation method of font renderers): no
// supersampling, and coverage that is exact up to float rounding, so two
// pieces sharing an edge add up to a solid pixel.
#include <algorithm>
#include <cmath>

#include "tools/toolkit/toolkit.h"

namespace kit {

// ---------------------------------------------------------------------------
// Building paths
// ---------------------------------------------------------------------------

void move_to(Path& path, double x, double y) { path.contours.push_back({Point{x, y}}); }

void line_to(Path& path, double x, double y) {
    if (path.contours.empty()) path.contours.push_back({});
    path.contours.back().push_back(Point{x, y});
}

void cubic_to(Path& path, double x1, double y1, double x2, double y2, double x, double y) {
    if (path.contours.empty() || path.contours.back().empty()) {
        move_to(path, x, y);
        return;
    }
    Point p0 = path.contours.back().back();
    double len = std::hypot(x1 - p0.x, y1 - p0.y) + std::hypot(x2 - x1, y2 - y1) + std::hypot(x - x2, y - y2);
    int n = std::clamp(static_cast<int>(std::ceil(len / 1.5)), 4, 96);
    for (int i = 1; i <= n; i++) {
        double t = static_cast<double>(i) / n, u = 1 - t;
        double px = u * u * u * p0.x + 3 * u * u * t * x1 + 3 * u * t * t * x2 + t * t * t * x;
        double py = u * u * u * p0.y + 3 * u * u * t * y1 + 3 * u * t * t * y2 + t * t * t * y;
        line_to(path, px, py);
    }
}

static void arc(Path& path, double cx, double cy, double r, double a0, double a1) {
    int n = std::clamp(static_cast<int>(std::ceil(std::fabs(a1 - a0) * r / 1.5)), 2, 180);
    for (int i = 0; i <= n; i++) {
        double a = a0 + (a1 - a0) * i / n;
        line_to(path, cx + r * std::cos(a), cy + r * std::sin(a));
    }
}

void add_rounded_rect(Path& path, double x, double y, double w, double h, double r) {
    const double pi = 3.14159265358979323846;
    r = std::min({r, w / 2, h / 2});
    path.contours.push_back({});
    if (r <= 0) {
        line_to(path, x, y);
        line_to(path, x + w, y);
        line_to(path, x + w, y + h);
        line_to(path, x, y + h);
        return;
    }
    arc(path, x + w - r, y + r, r, -pi / 2, 0);
    arc(path, x + w - r, y + h - r, r, 0, pi / 2);
    arc(path, x + r, y + h - r, r, pi / 2, pi);
    arc(path, x + r, y + r, r, pi, 1.5 * pi);
}

void add_circle(Path& path, double cx, double cy, double r) {
    const double pi = 3.14159265358979323846;
    path.contours.push_back({});
    arc(path, cx, cy, r, 0, 2 * pi);
}

void add_reversed(Path& path, const std::vector<Point>& contour) {
    path.contours.push_back(std::vector<Point>(contour.rbegin(), contour.rend()));
}

void translate_path(Path& path, double dx, double dy) {
    for (auto& c : path.contours)
        for (auto& p : c) {
            p.x += dx;
            p.y += dy;
        }
}

// ---------------------------------------------------------------------------
// The accumulation rasteriser
// ---------------------------------------------------------------------------

// Adds the signed area of one segment to the accumulation buffer `acc`
// (stride w + 2 per row). Within each row the span is clamped into 0..w:
// area left of the buffer still reaches every pixel of the row, area right
// of it reaches none.
static void accumulate_line(std::vector<float>& acc, int w, int h, Point p0, Point p1) {
    if (p0.y == p1.y) return;
    double dir = 1.0;
    if (p0.y > p1.y) {
        std::swap(p0, p1);
        dir = -1.0;
    }
    if (p1.y <= 0 || p0.y >= h) return;
    double dxdy = (p1.x - p0.x) / (p1.y - p0.y);
    double x = p0.x;
    int ystart = 0;
    if (p0.y < 0) {
        x -= p0.y * dxdy;
    } else {
        ystart = static_cast<int>(p0.y);
    }
    int yend = std::min(h, static_cast<int>(std::ceil(p1.y)));
    const int stride = w + 2;
    for (int y = ystart; y < yend; y++) {
        float* row = &acc[static_cast<size_t>(y) * stride];
        double dy = std::min(y + 1.0, p1.y) - std::max(static_cast<double>(y), p0.y);
        double xnext = x + dxdy * dy;
        double d = dy * dir;
        double xa = std::min(x, xnext), xb = std::max(x, xnext);
        xa = std::clamp(xa, 0.0, static_cast<double>(w));
        xb = std::clamp(xb, 0.0, static_cast<double>(w));
        double xa_floor = std::floor(xa);
        int xai = static_cast<int>(xa_floor);
        int xbi = static_cast<int>(std::ceil(xb));
        if (xbi <= xai + 1) {
            double xmf = 0.5 * (xa + xb) - xa_floor;
            row[xai] += static_cast<float>(d - d * xmf);
            row[xai + 1] += static_cast<float>(d * xmf);
        } else {
            double s = 1.0 / (xb - xa);
            double xaf = xa - xa_floor;
            double a0 = 0.5 * s * (1.0 - xaf) * (1.0 - xaf);
            double xbf = xb - std::ceil(xb) + 1.0;
            double am = 0.5 * s * xbf * xbf;
            row[xai] += static_cast<float>(d * a0);
            if (xbi == xai + 2) {
                row[xai + 1] += static_cast<float>(d * (1.0 - a0 - am));
            } else {
                double a1 = s * (1.5 - xaf);
                row[xai + 1] += static_cast<float>(d * (a1 - a0));
                for (int xi = xai + 2; xi < xbi - 1; xi++) row[xi] += static_cast<float>(d * s);
                double a2 = a1 + (xbi - xai - 3) * s;
                row[xbi - 1] += static_cast<float>(d * (1.0 - a2 - am));
            }
            row[xbi] += static_cast<float>(d * am);
        }
        x = xnext;
    }
}

Coverage rasterize(const Path& path, int x0, int y0, int width, int height) {
    Coverage cov;
    cov.x0 = x0;
    cov.y0 = y0;
    cov.width = std::max(0, width);
    cov.height = std::max(0, height);
    cov.a.assign(static_cast<size_t>(cov.width) * cov.height, 0.0f);
    if (cov.width == 0 || cov.height == 0) return cov;
    const int stride = cov.width + 2;
    std::vector<float> acc(static_cast<size_t>(stride) * cov.height, 0.0f);
    for (const auto& contour : path.contours) {
        size_t n = contour.size();
        if (n < 2) continue;
        for (size_t i = 0; i < n; i++) {
            Point p = contour[i], q = contour[(i + 1) % n];
            accumulate_line(acc, cov.width, cov.height, Point{p.x - x0, p.y - y0}, Point{q.x - x0, q.y - y0});
        }
    }
    for (int y = 0; y < cov.height; y++) {
        double sum = 0;
        const float* row = &acc[static_cast<size_t>(y) * stride];
        float* out = &cov.a[static_cast<size_t>(y) * cov.width];
        for (int x = 0; x < cov.width; x++) {
            sum += row[x];
            out[x] = static_cast<float>(std::min(1.0, std::fabs(sum)));
        }
    }
    return cov;
}

Coverage rasterize_bounds(const Path& path, int margin) {
    double minx = 1e30, miny = 1e30, maxx = -1e30, maxy = -1e30;
    for (const auto& c : path.contours)
        for (const auto& p : c) {
            minx = std::min(minx, p.x);
            miny = std::min(miny, p.y);
            maxx = std::max(maxx, p.x);
            maxy = std::max(maxy, p.y);
        }
    if (minx > maxx) return Coverage{};
    int x0 = static_cast<int>(std::floor(minx)) - margin;
    int y0 = static_cast<int>(std::floor(miny)) - margin;
    int x1 = static_cast<int>(std::ceil(maxx)) + margin;
    int y1 = static_cast<int>(std::ceil(maxy)) + margin;
    return rasterize(path, x0, y0, x1 - x0, y1 - y0);
}

float coverage_at(const Coverage& cov, int x, int y) {
    x -= cov.x0;
    y -= cov.y0;
    if (x < 0 || y < 0 || x >= cov.width || y >= cov.height) return 0.0f;
    return cov.a[static_cast<size_t>(y) * cov.width + x];
}

// ---------------------------------------------------------------------------
// Mask operations and fills
// ---------------------------------------------------------------------------

static void box_pass(std::vector<float>& v, int w, int h, int r, bool horizontal) {
    std::vector<float> out(v.size());
    int len = horizontal ? w : h, lines = horizontal ? h : w;
    float norm = 1.0f / (2 * r + 1);
    for (int l = 0; l < lines; l++) {
        auto at = [&](int i) -> float& {
            return horizontal ? v[static_cast<size_t>(l) * w + i] : v[static_cast<size_t>(i) * w + l];
        };
        auto out_at = [&](int i) -> float& {
            return horizontal ? out[static_cast<size_t>(l) * w + i] : out[static_cast<size_t>(i) * w + l];
        };
        double sum = 0;
        for (int i = -r; i <= r; i++)
            if (i >= 0 && i < len) sum += at(i);
        for (int i = 0; i < len; i++) {
            out_at(i) = static_cast<float>(sum * norm);
            int add = i + r + 1, sub = i - r;
            if (add < len) sum += at(add);
            if (sub >= 0) sum -= at(sub);
        }
    }
    v.swap(out);
}

Coverage blur(const Coverage& cov, int r) {
    if (r <= 0) return cov;
    int g = 3 * r;
    Coverage out;
    out.x0 = cov.x0 - g;
    out.y0 = cov.y0 - g;
    out.width = cov.width + 2 * g;
    out.height = cov.height + 2 * g;
    out.a.assign(static_cast<size_t>(out.width) * out.height, 0.0f);
    for (int y = 0; y < cov.height; y++)
        for (int x = 0; x < cov.width; x++)
            out.a[static_cast<size_t>(y + g) * out.width + x + g] = cov.a[static_cast<size_t>(y) * cov.width + x];
    for (int pass = 0; pass < 3; pass++) {
        box_pass(out.a, out.width, out.height, r, true);
        box_pass(out.a, out.width, out.height, r, false);
    }
    return out;
}

Coverage offset(const Coverage& cov, int dx, int dy) {
    Coverage out = cov;
    out.x0 += dx;
    out.y0 += dy;
    return out;
}

void fill(Canvas& canvas, const Coverage& cov, Color c) {
    for (int y = 0; y < cov.height; y++)
        for (int x = 0; x < cov.width; x++) {
            float a = cov.a[static_cast<size_t>(y) * cov.width + x];
            if (a > 0) blend_pixel(canvas, cov.x0 + x, cov.y0 + y, c, a);
        }
}

void fill_vertical(Canvas& canvas, const Coverage& cov, Color c1, double y1, Color c2, double y2) {
    for (int y = 0; y < cov.height; y++) {
        double t = y2 == y1 ? 0.0 : (cov.y0 + y + 0.5 - y1) / (y2 - y1);
        Color c = mix(c1, c2, static_cast<float>(std::clamp(t, 0.0, 1.0)));
        for (int x = 0; x < cov.width; x++) {
            float a = cov.a[static_cast<size_t>(y) * cov.width + x];
            if (a > 0) blend_pixel(canvas, cov.x0 + x, cov.y0 + y, c, a);
        }
    }
}

void fill_radial(Canvas& canvas, const Coverage& cov, Color c1, Color c2, double cx, double cy, double r) {
    for (int y = 0; y < cov.height; y++)
        for (int x = 0; x < cov.width; x++) {
            float a = cov.a[static_cast<size_t>(y) * cov.width + x];
            if (a <= 0) continue;
            double d = std::hypot(cov.x0 + x + 0.5 - cx, cov.y0 + y + 0.5 - cy) / r;
            blend_pixel(canvas, cov.x0 + x, cov.y0 + y, mix(c1, c2, static_cast<float>(std::min(1.0, d))), a);
        }
}

}  // namespace kit
