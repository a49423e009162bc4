// The small images of the board, box and browser screens: the strip frames
// of the box screen (drawn at (70, 5) around a strip of 712 or 936 by 58),
// the button back to the board, the four page arrows (84 x 40), the kill
// cross over a 95 x 71 thumbnail, the pointer (masked: black is
// transparent, tip at the top-left), the small opaque pick probe and the
// background colour swatch (drawn at (10, 463)).
#include <cmath>

#include "tools/resources/resources.h"

namespace res {

// ---------------------------------------------------------------------------
// Box screen
// ---------------------------------------------------------------------------

// A frame of 6-pixel wooden rails around a transparent strip of
// strip_w x 58.
static kit::Canvas strip_frame(int strip_w) {
    const int w = strip_w + 12, h = 70;
    kit::Canvas c = kit::make_canvas(w, h, kit::Color{0, 0, 0, 0});
    kit::Path frame;
    kit::add_rounded_rect(frame, 0, 0, w, h, 7);
    std::vector<kit::Point> hole = {{6, 6}, {6.0 + strip_w, 6}, {6.0 + strip_w, 64}, {6, 64}};
    kit::add_reversed(frame, hole);
    kit::Coverage cov = kit::rasterize(frame, 0, 0, w, h);
    kit::fill_vertical(c, cov, kit::rgb(214, 160, 96), 0, kit::rgb(120, 72, 34), h);
    // Grain: thin lighter streaks along the rails.
    for (int y = 0; y < h; y++) {
        float streak = 0.06f * static_cast<float>(std::sin(y * 2.3) + std::sin(y * 0.7 + 1.0));
        for (int x = 0; x < w; x++) {
            float a = kit::coverage_at(cov, x, y);
            if (a <= 0) continue;
            float s = streak + 0.04f * static_cast<float>(std::sin(x * 0.05 + y * 1.7));
            kit::blend_pixel(c, x, y, s > 0 ? kit::Color{1, 0.95f, 0.85f, s} : kit::Color{0.2f, 0.1f, 0.0f, -s}, a);
        }
    }
    // Bevels: light on the outer top-left, dark on the inner top-left edge.
    kit::Path outer_hi;
    kit::add_rounded_rect(outer_hi, 0, 0, w, h, 7);
    kit::Path outer_in;
    kit::add_rounded_rect(outer_in, 1.5, 1.5, w - 3, h - 3, 6);
    kit::Path ring = outer_hi;
    kit::add_reversed(ring, outer_in.contours[0]);
    kit::fill_vertical(c, kit::rasterize(ring, 0, 0, w, h), kit::rgb(255, 226, 170), 0, kit::rgb(80, 44, 18), h);
    kit::Path inner_ring;
    inner_ring.contours.push_back({{4.5, 4.5}, {7.5 + strip_w, 4.5}, {7.5 + strip_w, 65.5}, {4.5, 65.5}});
    kit::add_reversed(inner_ring, hole);
    kit::fill_vertical(c, kit::rasterize(inner_ring, 0, 0, w, h), kit::rgb(70, 38, 14), 0, kit::rgb(240, 200, 140), h);
    return c;
}

// The button back to the board: a piece and the word "Board", 60 x 32.
static kit::Canvas board_button(Fonts& fonts) {
    kit::Canvas c = kit::make_canvas(60, 32, kit::Color{0, 0, 0, 0});
    draw_button(c, fonts, 0, 0, 60, 32, kit::rgb(60, 120, 200), "", 12, kit::rgb(255, 255, 255));
    kit::Path piece = piece_icon_path(5, 8, 16);
    kit::fill(c, kit::offset(kit::rasterize_bounds(piece, 1), 1, 1), kit::Color{0, 0, 0, 0.4f});
    kit::fill(c, kit::rasterize_bounds(piece, 1), kit::rgb(255, 214, 100));
    // The largest size at which the word fits beside the piece.
    int size = 13;
    while (size > 8 && kit::text_width(fonts.bold, size, "Board") > 35) size--;
    kit::draw_text(c, fonts.bold, size, 23, 21, kit::Color{0, 0, 0, 0.5f}, "Board");
    kit::draw_text(c, fonts.bold, size, 22, 20, kit::rgb(255, 255, 255), "Board");
    return c;
}

// ---------------------------------------------------------------------------
// Browser
// ---------------------------------------------------------------------------

// Page arrow i: 1 first page, 2 previous, 3 next, 4 last.
static kit::Canvas page_arrow(int i) {
    kit::Canvas c = kit::make_canvas(84, 40, kit::Color{0, 0, 0, 0});
    kit::Path edge;
    kit::add_rounded_rect(edge, 0, 0, 84, 40, 10);
    kit::fill(c, kit::rasterize(edge, 0, 0, 84, 40), kit::rgb(24, 70, 120));
    kit::Path body;
    kit::add_rounded_rect(body, 1.5, 1.5, 81, 37, 8.5);
    kit::fill_vertical(c, kit::rasterize(body, 0, 0, 84, 40), kit::rgb(90, 170, 235), 0, kit::rgb(30, 100, 180), 40);
    kit::Path gloss;
    kit::add_rounded_rect(gloss, 4, 3, 76, 16, 7);
    kit::fill_vertical(c, kit::rasterize(gloss, 0, 0, 84, 40), kit::Color{1, 1, 1, 0.45f}, 3,
                       kit::Color{1, 1, 1, 0.08f}, 19);
    // Glyph: triangles (and a bar for first / last), pointing left for 1, 2.
    bool left = i <= 2;
    int triangles = (i == 1 || i == 4) ? 2 : 1;
    kit::Path glyph;
    double tw = 14, th = 20, cy = 20;
    double total = triangles * tw + (triangles == 2 ? 4 : 0);
    double x0 = 42 - total / 2;
    for (int t = 0; t < triangles; t++) {
        double a = x0 + t * tw;
        if (left) {
            kit::move_to(glyph, a, cy);
            kit::line_to(glyph, a + tw, cy - th / 2);
            kit::line_to(glyph, a + tw, cy + th / 2);
        } else {
            kit::move_to(glyph, a, cy - th / 2);
            kit::line_to(glyph, a + tw, cy);
            kit::line_to(glyph, a, cy + th / 2);
        }
    }
    if (triangles == 2) {
        double bx = left ? x0 - 4 : x0 + 2 * tw;
        kit::add_rounded_rect(glyph, bx, cy - th / 2, 4, th, 1);
    }
    kit::fill(c, kit::offset(kit::rasterize_bounds(glyph, 1), 1, 1), kit::Color{0, 0.1f, 0.25f, 0.6f});
    kit::fill(c, kit::rasterize_bounds(glyph, 1), kit::rgb(255, 255, 255));
    return c;
}

// A bold red cross with a white rim over the whole 95 x 71 thumbnail.
static kit::Canvas kill_cross() {
    const int w = 95, h = 71;
    kit::Canvas c = kit::make_canvas(w, h, kit::Color{0, 0, 0, 0});
    auto bar = [](kit::Path& p, double x0, double y0, double x1, double y1, double half) {
        double dx = x1 - x0, dy = y1 - y0, len = std::hypot(dx, dy);
        double nx = -dy / len * half, ny = dx / len * half;
        p.contours.push_back({{x0 + nx, y0 + ny}, {x1 + nx, y1 + ny}, {x1 - nx, y1 - ny}, {x0 - nx, y0 - ny}});
    };
    kit::Path rim, core;
    bar(rim, 8, 7, w - 8, h - 7, 8.5);
    bar(rim, w - 8, 7, 8, h - 7, 8.5);
    bar(core, 10, 9, w - 10, h - 9, 6);
    bar(core, w - 10, 9, 10, h - 9, 6);
    kit::fill(c, kit::rasterize(rim, 0, 0, w, h), kit::rgb(255, 255, 255));
    kit::fill_vertical(c, kit::rasterize(core, 0, 0, w, h), kit::rgb(255, 70, 60), 0, kit::rgb(190, 0, 20), h);
    return c;
}

// ---------------------------------------------------------------------------
// Pointer, probe and swatch
// ---------------------------------------------------------------------------

// An arrow pointer, tip at (0, 0). Loaded masked: black (0, 0, 0) is
// transparent, so the outline is a near-black grey and the outer rim is cut
// hard rather than blended into black.
static kit::Canvas pointer_image() {
    const int size = 32;
    kit::Canvas c = kit::make_canvas(size, size, kit::Color{0, 0, 0, 1});
    kit::Path outline;
    kit::move_to(outline, 0, 0);
    kit::line_to(outline, 0, 21.5);
    kit::line_to(outline, 5.2, 16.8);
    kit::line_to(outline, 9.0, 25.5);
    kit::line_to(outline, 13.2, 23.6);
    kit::line_to(outline, 9.6, 15.2);
    kit::line_to(outline, 16.5, 15.2);
    kit::Path fill_path;
    kit::move_to(fill_path, 1.5, 3.6);
    kit::line_to(fill_path, 1.5, 18.0);
    kit::line_to(fill_path, 5.6, 14.4);
    kit::line_to(fill_path, 9.6, 23.4);
    kit::line_to(fill_path, 11.2, 22.7);
    kit::line_to(fill_path, 7.4, 13.8);
    kit::line_to(fill_path, 12.8, 13.8);
    kit::Coverage outer = kit::rasterize(outline, 0, 0, size, size);
    kit::Coverage inner = kit::rasterize(fill_path, 0, 0, size, size);
    const kit::Color edge = kit::rgb(24, 26, 40);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            if (kit::coverage_at(outer, x, y) < 0.5f && !(x == 0 && y == 0)) continue;
            kit::blend_pixel(c, x, y, edge, 1.0f);
            kit::Color body = kit::mix(kit::rgb(255, 255, 255), kit::rgb(200, 225, 255), y / 24.0f);
            kit::blend_pixel(c, x, y, body, kit::coverage_at(inner, x, y));
        }
    return c;
}

// Pleasant board colours: columns of hues from dark to light, then greys;
// the first cell is the game's own default colour.
static kit::Canvas swatch_image() {
    const int cols = 15, rows = 5, cell = 22, border = 2;
    const int w = cols * cell + 2 * border, h = rows * cell + 2 * border;
    kit::Canvas c = kit::make_canvas(w, h, kit::rgb(40, 40, 46));
    const float hues[12] = {0.0f, 0.04f, 0.08f, 0.12f, 0.2f, 0.3f, 0.38f, 0.47f, 0.55f, 0.62f, 0.7f, 0.83f};
    const float values[rows] = {0.22f, 0.34f, 0.46f, 0.6f, 0.74f};
    const float sats[rows] = {0.75f, 0.62f, 0.52f, 0.42f, 0.32f};
    for (int r = 0; r < rows; r++)
        for (int k = 0; k < cols; k++) {
            kit::Color col;
            if (k < 12) {
                col = kit::hsv(hues[k], sats[r], values[r]);
            } else if (k == 12) {
                col = kit::hsv(0.08f, 0.25f, values[r] * 0.9f);  // warm stone
            } else if (k == 13) {
                col = kit::hsv(0.6f, 0.12f, values[r] * 0.95f);  // cool slate
            } else {
                float g = 0.08f + 0.2f * r;  // greys, near black to light
                col = kit::Color{g, g, g, 1};
            }
            if (r == 0 && k == 0) col = kit::rgb(115, 8, 33);
            kit::fill_rect(c, border + k * cell, border + r * cell, cell, cell, col);
        }
    return c;
}

bool make_board_images(Fonts& fonts, const std::string& out) {
    bool ok = true;
    ok &= save_image(strip_frame(712), out, "images/box.png");
    ok &= save_image(strip_frame(936), out, "images/boxf.png");
    ok &= save_image(board_button(fonts), out, "images/jigsaw.png");
    for (int i = 1; i <= 4; i++) ok &= save_image(page_arrow(i), out, "images/arrow" + std::to_string(i) + ".png");
    ok &= save_image(kill_cross(), out, "images/cross.png");
    ok &= save_image(pointer_image(), out, "images/pointer.bmp");
    ok &= save_image(kit::make_canvas(2, 2, kit::rgb(255, 255, 255)), out, "images/white.bmp");
    ok &= save_image(swatch_image(), out, "images/swatch.bmp");
    return ok;
}

}  // namespace res
