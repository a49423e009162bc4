// The shapes of the pieces: a grid whose inner corners are nudged a little,
// and between neighbours a classic knob (a tab on one side, the matching
// blank on the other) whose place, size and lean come from the seed. Each
// shared edge is flattened once and used forwards by one piece and
// backwards by the other, so neighbours meet exactly.
#include <algorithm>
#include <cmath>

#include "tools/jigsaw_maker/jigsaw_cut.h"

namespace cut {

// A small reproducible generator (splitmix64): the same seed gives the same
// shapes on every machine, which library distributions would not promise.
struct Random {
    uint64_t state;
};

static uint64_t next_u64(Random& r) {
    uint64_t z = (r.state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// Uniform in [lo, hi).
static double uniform(Random& r, double lo, double hi) {
    return lo + (hi - lo) * (next_u64(r) >> 11) * (1.0 / 9007199254740992.0);
}

using kit::Point;

// Appends the cubic from p0 (already in `out`) to p3, flattened.
static void flatten_cubic(std::vector<Point>& out, Point p0, Point p1, Point p2, Point p3) {
    double len = std::hypot(p1.x - p0.x, p1.y - p0.y) + std::hypot(p2.x - p1.x, p2.y - p1.y) +
                 std::hypot(p3.x - p2.x, p3.y - p2.y);
    int n = std::clamp(static_cast<int>(std::ceil(len / 1.2)), 3, 64);
    for (int i = 1; i <= n; i++) {
        double t = static_cast<double>(i) / n, u = 1 - t;
        out.push_back(Point{u * u * u * p0.x + 3 * u * u * t * p1.x + 3 * u * t * t * p2.x + t * t * t * p3.x,
                            u * u * u * p0.y + 3 * u * u * t * p1.y + 3 * u * t * t * p2.y + t * t * t * p3.y});
    }
}

// One knobbed edge from a to b. unit is the cell's smaller side; side +1
// puts the tab to the right of the direction of travel (y down), -1 left.
// The knob is a chain of cubics through neck, shoulder and crown points,
// described in edge coordinates (along, across) and mapped onto the edge.
static std::vector<Point> knob_edge(Point a, Point b, double unit, int side, Random& rng) {
    double len = std::hypot(b.x - a.x, b.y - a.y);
    double ux = (b.x - a.x) / len, uy = (b.y - a.y) / len;
    double nx = -uy * side, ny = ux * side;  // across, towards the tab
    auto map = [&](double along, double across) {
        return Point{a.x + ux * along + nx * across, a.y + uy * along + ny * across};
    };
    double c = len * uniform(rng, 0.44, 0.56);         // knob centre along the edge
    double h = unit * uniform(rng, 0.25, 0.30);        // knob height
    double kw = unit * uniform(rng, 0.12, 0.145);      // knob half width
    double nk = unit * uniform(rng, 0.055, 0.075);     // neck half width
    double lean = unit * uniform(rng, -0.025, 0.025);  // crown shifted sideways
    double wob1 = unit * uniform(rng, -0.035, 0.035);  // gentle waves in the flats
    double wob2 = unit * uniform(rng, -0.035, 0.035);
    double sh = 0.66 * h;  // height of the shoulders (the knob's widest line)
    double neck_y = 0.27 * h;

    std::vector<Point> out;
    out.push_back(a);
    Point q0 = map(0, 0);
    Point q1 = map(c - nk, neck_y);
    Point q2 = map(c - kw + lean * 0.5, sh);
    Point q3 = map(c + lean, h);
    Point q4 = map(c + kw + lean * 0.5, sh);
    Point q5 = map(c + nk, neck_y);
    Point q6 = map(len, 0);
    // Flat part into the left of the neck: leaves along the edge, turns up.
    flatten_cubic(out, q0, map((c - nk) * 0.45, wob1), map(c - nk + 0.35 * h * 0.3, neck_y - 0.35 * h), q1);
    // Neck up to the left shoulder, narrowing first, then swelling outwards.
    flatten_cubic(out, q1, map(c - nk - 0.12 * h * 0.3, neck_y + 0.12 * h * 1.0),
                  map(c - kw + lean * 0.5, sh - 0.22 * h), q2);
    // Left shoulder over the crown.
    flatten_cubic(out, q2, map(c - kw + lean * 0.5, sh + 0.2 * h), map(c + lean - 0.55 * kw, h), q3);
    flatten_cubic(out, q3, map(c + lean + 0.55 * kw, h), map(c + kw + lean * 0.5, sh + 0.2 * h), q4);
    // Down the right side of the neck and out along the flat.
    flatten_cubic(out, q4, map(c + kw + lean * 0.5, sh - 0.22 * h),
                  map(c + nk + 0.12 * h * 0.3, neck_y + 0.12 * h * 1.0), q5);
    flatten_cubic(out, q5, map(c + nk - 0.35 * h * 0.3, neck_y - 0.35 * h), map(c + nk + (len - c - nk) * 0.55, wob2),
                  q6);
    out.back() = b;  // exact end point, so edges join corner to corner
    return out;
}

std::vector<PieceShape> cut_shapes(const Layout& layout, uint32_t seed) {
    const int R = layout.rows, C = layout.columns;
    const double cw = static_cast<double>(layout.picture_w) / C;
    const double ch = static_cast<double>(layout.picture_h) / R;
    const double unit = std::min(cw, ch);
    Random rng{0x5EED0000ull ^ (static_cast<uint64_t>(seed) * 0x100000001B3ull)};

    // Grid corners in board pixels; inner ones nudged, border ones kept on
    // the picture's rim (sliding along it only).
    std::vector<Point> corner(static_cast<size_t>(R + 1) * (C + 1));
    auto at = [&](int r, int c) -> Point& { return corner[static_cast<size_t>(r) * (C + 1) + c]; };
    for (int r = 0; r <= R; r++)
        for (int c = 0; c <= C; c++) {
            double x = layout.picture_x + c * cw, y = layout.picture_y + r * ch;
            double jx = uniform(rng, -0.06, 0.06) * unit, jy = uniform(rng, -0.06, 0.06) * unit;
            if (c == 0 || c == C) jx = 0;
            if (r == 0 || r == R) jy = 0;
            if (c == 0) x = layout.picture_x;
            if (c == C) x = layout.picture_x + layout.picture_w;
            if (r == 0) y = layout.picture_y;
            if (r == R) y = layout.picture_y + layout.picture_h;
            at(r, c) = Point{x + jx, y + jy};
        }

    // Horizontal edges: h[r][c] runs from corner (r, c) to (r, c + 1);
    // vertical edges: v[r][c] from corner (r, c) to (r + 1, c).
    std::vector<std::vector<Point>> hedge(static_cast<size_t>(R + 1) * C), vedge(static_cast<size_t>(R) * (C + 1));
    for (int r = 0; r <= R; r++)
        for (int c = 0; c < C; c++) {
            auto& e = hedge[static_cast<size_t>(r) * C + c];
            if (r == 0 || r == R) {
                e = {at(r, c), at(r, c + 1)};
            } else {
                int side = (next_u64(rng) & 1) ? 1 : -1;
                e = knob_edge(at(r, c), at(r, c + 1), unit, side, rng);
            }
        }
    for (int r = 0; r < R; r++)
        for (int c = 0; c <= C; c++) {
            auto& e = vedge[static_cast<size_t>(r) * (C + 1) + c];
            if (c == 0 || c == C) {
                e = {at(r, c), at(r + 1, c)};
            } else {
                int side = (next_u64(rng) & 1) ? 1 : -1;
                e = knob_edge(at(r, c), at(r + 1, c), unit, side, rng);
            }
        }

    // Each outline runs clockwise on screen: top edge left to right, right
    // edge downwards, bottom edge right to left, left edge upwards.
    std::vector<PieceShape> shapes;
    for (int r = 0; r < R; r++)
        for (int c = 0; c < C; c++) {
            PieceShape s;
            auto append = [&](const std::vector<Point>& e, bool reverse) {
                size_t n = e.size();
                for (size_t i = 0; i + 1 < n; i++) s.outline.push_back(reverse ? e[n - 1 - i] : e[i]);
            };
            append(hedge[static_cast<size_t>(r) * C + c], false);
            append(vedge[static_cast<size_t>(r) * (C + 1) + c + 1], false);
            append(hedge[static_cast<size_t>(r + 1) * C + c], true);
            append(vedge[static_cast<size_t>(r) * (C + 1) + c], true);
            double minx = 1e30, miny = 1e30, maxx = -1e30, maxy = -1e30;
            for (const Point& p : s.outline) {
                minx = std::min(minx, p.x);
                miny = std::min(miny, p.y);
                maxx = std::max(maxx, p.x);
                maxy = std::max(maxy, p.y);
            }
            // One spare pixel around the outline for the soft rim; even
            // sizes so that a centre-handled image sits on whole pixels.
            s.left = static_cast<int>(std::floor(minx)) - 1;
            s.top = static_cast<int>(std::floor(miny)) - 1;
            s.width = static_cast<int>(std::ceil(maxx)) + 1 - s.left;
            s.height = static_cast<int>(std::ceil(maxy)) + 1 - s.top;
            s.width += s.width & 1;
            s.height += s.height & 1;
            shapes.push_back(std::move(s));
        }
    return shapes;
}

}  // namespace cut
