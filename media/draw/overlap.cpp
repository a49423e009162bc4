// The pixel-exact overlap test between two images drawn under the current
// rotation, scale and origin. Both quads are placed as draw_image places
// them; the display pixels inside both bounding boxes are visited row by
// row, and each pixel centre is mapped back into both images' own pixel
// space (the inverse of the drawing matrix). Only the span of each row
// that can lie inside both quads is visited, so a small image against a
// large one costs a handful of samples. A frame whose pixels only its
// texture holds is tested against the bit mask kept of its opaque pixels.
// The one-pixel test samples a single display pixel the same way.
#include <algorithm>
#include <cmath>

#include "media/media_internal.h"

// One image as drawn: its inverse mapping from display coordinates to its
// own pixel coordinates, its quad's bounding box, and where its alpha is.
struct PlacedImage {
    double width, height;  // image size (quad size before the matrix)
    double u0, v0;         // image coordinates of display point (0, 0)
    double du_dx, du_dy, dv_dx, dv_dy;
    double min_x, min_y, max_x, max_y;
    const uint8_t* pixels;
    int pitch, bpp, alpha_at;  // alpha_at < 0: no alpha, solid everywhere
    const uint8_t* bits;       // a frame whose pixels only its texture holds: its opaque bits
    size_t bit_pitch;          // bytes per row of bits
    int pm_width, pm_height;
    double to_pm_x, to_pm_y;  // image pixel -> pixmap pixel scale
};

static bool place_image(const TImage* image, float x, float y, int frame, PlacedImage* out) {
    if (!image || frame < 0 || static_cast<size_t>(frame) >= image->pixmaps.size()) return false;
    const TPixmap* pm = image->pixmaps[static_cast<size_t>(frame)];
    if (!pm || image->width < 1 || image->height < 1 || pm->width < 1 || pm->height < 1) return false;
    int bpp = pixmap_bytes_per_pixel(pm->format);
    size_t f = static_cast<size_t>(frame);
    bool dropped = f < image->in_texture.size() && image->in_texture[f] && f < image->opaque.size();
    if (bpp == 0 || (!dropped && pm->pixels.size() < static_cast<size_t>(pm->pitch) * pm->height)) return false;

    const TDrawState& s = draw_state;
    double ix = s.tform_ix, iy = s.tform_iy, jx = s.tform_jx, jy = s.tform_jy;
    double det = ix * jy - iy * jx;
    if (det == 0 || !std::isfinite(det)) return false;  // a degenerate quad covers no pixel

    double px = static_cast<double>(x) + s.origin_x, py = static_cast<double>(y) + s.origin_y;
    double hx = image->handle_x, hy = image->handle_y;
    out->width = image->width;
    out->height = image->height;
    // Display p = pos + M (t - handle), so t = handle + M^-1 (p - pos).
    out->du_dx = jy / det;
    out->du_dy = -iy / det;
    out->dv_dx = -jx / det;
    out->dv_dy = ix / det;
    out->u0 = hx - (out->du_dx * px + out->du_dy * py);
    out->v0 = hy - (out->dv_dx * px + out->dv_dy * py);

    const double cx[4] = {-hx, -hx + out->width, -hx + out->width, -hx};
    const double cy[4] = {-hy, -hy, -hy + out->height, -hy + out->height};
    for (int i = 0; i < 4; i++) {
        double qx = px + cx[i] * ix + cy[i] * iy;
        double qy = py + cx[i] * jx + cy[i] * jy;
        if (i == 0 || qx < out->min_x) out->min_x = qx;
        if (i == 0 || qx > out->max_x) out->max_x = qx;
        if (i == 0 || qy < out->min_y) out->min_y = qy;
        if (i == 0 || qy > out->max_y) out->max_y = qy;
    }
    if (!std::isfinite(out->min_x + out->max_x + out->min_y + out->max_y)) return false;

    out->pixels = pm->pixels.data();
    out->pitch = pm->pitch;
    out->bpp = bpp;
    out->alpha_at = pm->format == PF_ALPHA8 ? 0 : (pm->format == PF_BGRA8888 || pm->format == PF_RGBA8888) ? 3 : -1;
    out->bits = nullptr;
    out->bit_pitch = static_cast<size_t>(pm->width + 7) / 8;
    if (dropped && out->alpha_at >= 0) {
        const std::vector<uint8_t>& bits = image->opaque[f];
        if (bits.size() < out->bit_pitch * pm->height) return false;
        out->bits = bits.data();
    }
    out->pm_width = pm->width;
    out->pm_height = pm->height;
    out->to_pm_x = static_cast<double>(pm->width) / image->width;
    out->to_pm_y = static_cast<double>(pm->height) / image->height;
    return true;
}

// Narrows [*lo, *hi] to the x where 0 <= a + b x <= limit (a loose bound:
// every sample is checked exactly afterwards). False when nothing is left.
static bool clip_span(double a, double b, double limit, double* lo, double* hi) {
    if (b == 0) return a >= 0 && a < limit;
    double e1 = -a / b, e2 = (limit - a) / b;
    if (e1 > e2) std::swap(e1, e2);
    if (e1 > *lo) *lo = e1;
    if (e2 < *hi) *hi = e2;
    return *lo <= *hi;
}

// True when the image is inside its quad and solid at display point (x, y).
static inline bool solid_at(const PlacedImage& p, double x, double y) {
    double u = p.u0 + p.du_dx * x + p.du_dy * y;
    double v = p.v0 + p.dv_dx * x + p.dv_dy * y;
    if (!(u >= 0 && u < p.width && v >= 0 && v < p.height)) return false;
    if (p.alpha_at < 0) return true;
    int tx = static_cast<int>(u * p.to_pm_x), ty = static_cast<int>(v * p.to_pm_y);
    if (tx >= p.pm_width) tx = p.pm_width - 1;
    if (ty >= p.pm_height) ty = p.pm_height - 1;
    if (p.bits) return (p.bits[static_cast<size_t>(ty) * p.bit_pitch + (tx >> 3)] >> (tx & 7)) & 1;
    return p.pixels[static_cast<size_t>(ty) * p.pitch + static_cast<size_t>(tx) * p.bpp + p.alpha_at] >= 128;
}

bool images_overlap(TImage* image1, float x1, float y1, int frame1, TImage* image2, float x2, float y2, int frame2) {
    PlacedImage a, b;
    if (!place_image(image1, x1, y1, frame1, &a) || !place_image(image2, x2, y2, frame2, &b)) return false;
    if (a.max_x <= b.min_x || b.max_x <= a.min_x || a.max_y <= b.min_y || b.max_y <= a.min_y) return false;

    // Display pixel (c, r) is sampled at its centre (c + 0.5, r + 0.5).
    // The box is kept within a range whose pixel indices fit an int.
    const double far = 1 << 24;
    double top = std::max({a.min_y, b.min_y, -far}), bottom = std::min({a.max_y, b.max_y, far});
    double left = std::max({a.min_x, b.min_x, -far}), right = std::min({a.max_x, b.max_x, far});
    int row_first = static_cast<int>(std::floor(top - 0.5)), row_last = static_cast<int>(std::ceil(bottom - 0.5));
    for (int r = row_first; r <= row_last; r++) {
        double y = r + 0.5;
        double lo = left, hi = right;
        if (!clip_span(a.u0 + a.du_dy * y, a.du_dx, a.width, &lo, &hi)) continue;
        if (!clip_span(a.v0 + a.dv_dy * y, a.dv_dx, a.height, &lo, &hi)) continue;
        if (!clip_span(b.u0 + b.du_dy * y, b.du_dx, b.width, &lo, &hi)) continue;
        if (!clip_span(b.v0 + b.dv_dy * y, b.dv_dx, b.height, &lo, &hi)) continue;
        int col_first = static_cast<int>(std::floor(lo - 0.5)), col_last = static_cast<int>(std::ceil(hi - 0.5));
        for (int c = col_first; c <= col_last; c++) {
            double x = c + 0.5;
            if (solid_at(a, x, y) && solid_at(b, x, y)) return true;
        }
    }
    return false;
}

bool image_solid_at(TImage* image, float x, float y, int frame, int px, int py) {
    PlacedImage a;
    if (!place_image(image, x, y, frame, &a)) return false;
    // Pixel (px, py) is sampled at its centre, as the GL fills it. A centre
    // lying exactly on an edge of the quad (an odd-sized image turned or
    // not) is the GL's when the edge is a left or a bottom one: the top-left
    // rule in the GL's window coordinates, whose y runs up. The centre is
    // nudged right and up by less than any other distance to an edge, which
    // also picks the texel the GL samples at such a centre.
    const double nudge = 1.0 / 4096;
    return solid_at(a, px + 0.5 + nudge, py + 0.5 - nudge);
}
