// Scaling of the game's display onto a larger window or screen: the
// aspect-keeping fit with bars, the integer factor of a window that fits a
// work area, and the mappings of pixels and rectangles between board and
// window. Shared by both backends; needs no display.
// Limits: the board is shown whole (never cropped), so a window smaller
// than the board shrinks it; factors of a window stop at 3.
#include <algorithm>
#include <cstdint>

#include "media/media_internal.h"

enum { MAX_WINDOW_FACTOR = 3 };

TScaleFit scale_fit(int board_w, int board_h, int window_w, int window_h) {
    TScaleFit fit;
    fit.board_w = std::max(1, board_w);
    fit.board_h = std::max(1, board_h);
    fit.window_w = std::max(1, window_w);
    fit.window_h = std::max(1, window_h);
    // Compare window_w / board_w with window_h / board_h without rounding.
    if ((int64_t)fit.window_w * fit.board_h <= (int64_t)fit.window_h * fit.board_w) {
        fit.w = fit.window_w;
        fit.h = (int)((int64_t)fit.board_h * fit.window_w / fit.board_w);
    } else {
        fit.h = fit.window_h;
        fit.w = (int)((int64_t)fit.board_w * fit.window_h / fit.board_h);
    }
    fit.w = std::max(1, fit.w);
    fit.h = std::max(1, fit.h);
    fit.x = (fit.window_w - fit.w) / 2;
    fit.y = (fit.window_h - fit.h) / 2;
    fit.integer = fit.w % fit.board_w == 0 && fit.h % fit.board_h == 0 && fit.w / fit.board_w == fit.h / fit.board_h;
    return fit;
}

bool scale_is_identity(const TScaleFit& fit) {
    return fit.x == 0 && fit.y == 0 && fit.w == fit.board_w && fit.h == fit.board_h;
}

int scale_window_factor(int board_w, int board_h, int area_w, int area_h) {
    int factor = 1;
    while (factor < MAX_WINDOW_FACTOR && (int64_t)board_w * (factor + 1) <= area_w &&
           (int64_t)board_h * (factor + 1) <= area_h)
        factor++;
    return factor;
}

// The board pixel whose centre lies nearest the window pixel's centre: the
// one nearest sampling shows there, and the one linear sampling weighs most.
static int window_to_board_axis(int w, int offset, int shown, int board, bool* inside) {
    int64_t from_edge = (int64_t)w - offset;
    if (from_edge < 0 || from_edge >= shown) *inside = false;
    int64_t b = ((2 * from_edge + 1) * board) / (2 * (int64_t)shown);
    if (from_edge < 0) b = 0;
    return (int)std::clamp<int64_t>(b, 0, board - 1);
}

bool scale_window_to_board(const TScaleFit& fit, int wx, int wy, int* bx, int* by) {
    bool inside = true;
    *bx = window_to_board_axis(wx, fit.x, fit.w, fit.board_w, &inside);
    *by = window_to_board_axis(wy, fit.y, fit.h, fit.board_h, &inside);
    return inside;
}

// The first window pixel (from the shown board's edge) whose centre lies
// at or past board coordinate b: ceil(b * shown / board - 1/2).
static int64_t first_window_pixel(int64_t b, int shown, int board) {
    int64_t numerator = 2 * b * shown - board;  // (b * shown / board - 1/2) * 2 * board
    int64_t denominator = 2 * (int64_t)board;
    return numerator <= 0 ? -((-numerator) / denominator) : (numerator + denominator - 1) / denominator;
}

void scale_board_to_window(const TScaleFit& fit, int bx, int by, int* wx, int* wy) {
    // Centre of the run of window pixels that map to the board pixel.
    int64_t x0 = first_window_pixel(bx, fit.w, fit.board_w), x1 = first_window_pixel(bx + 1, fit.w, fit.board_w);
    int64_t y0 = first_window_pixel(by, fit.h, fit.board_h), y1 = first_window_pixel(by + 1, fit.h, fit.board_h);
    *wx = fit.x + (int)((x0 + std::max(x0, x1 - 1)) / 2);
    *wy = fit.y + (int)((y0 + std::max(y0, y1 - 1)) / 2);
}

static void scale_axis(int b0, int b1, int offset, int shown, int board, bool linear, int* w0, int* w1) {
    if (linear) {
        b0 -= 1;
        b1 += 1;
    }
    int64_t from = (int64_t)std::max(b0, 0) * shown / board;                   // floor
    int64_t to = ((int64_t)std::min(b1, board) * shown + board - 1) / board;  // ceil
    *w0 = offset + (int)std::clamp<int64_t>(from, 0, shown);
    *w1 = offset + (int)std::clamp<int64_t>(to, 0, shown);
}

TDamageRect scale_rect_to_window(const TScaleFit& fit, const TDamageRect& board) {
    TDamageRect r;
    if (damage_rect_empty(board)) return r;
    scale_axis(board.x0, board.x1, fit.x, fit.w, fit.board_w, !fit.integer, &r.x0, &r.x1);
    scale_axis(board.y0, board.y1, fit.y, fit.h, fit.board_h, !fit.integer, &r.y0, &r.y1);
    return r;
}

// The square holds the kept pixels within size / (2 zoom) of the centre on
// each side, so the centre pixel's top-left quarter of zoom x zoom lands on
// the centre: display pixel (x, y) of the square shows kept pixel
// (cx + floor((x - cx) / zoom), cy + floor((y - cy) / zoom)).
bool kept_enlarged_rects(int cx, int cy, int size, int zoom, int width, int height, TDamageRect* from,
                         TDamageRect* to) {
    if (zoom < 1 || zoom > KEPT_ZOOM_MAX || size < 2 * zoom || size > PIXMAP_MAX_SIDE) return false;
    if (cx < -PIXMAP_MAX_SIDE || cx > PIXMAP_MAX_SIDE || cy < -PIXMAP_MAX_SIDE || cy > PIXMAP_MAX_SIDE) return false;
    int half = size / (2 * zoom);
    from->x0 = std::max(cx - half, 0);
    from->y0 = std::max(cy - half, 0);
    from->x1 = std::min(cx + half, width);
    from->y1 = std::min(cy + half, height);
    if (damage_rect_empty(*from)) return false;
    to->x0 = cx + (from->x0 - cx) * zoom;
    to->y0 = cy + (from->y0 - cy) * zoom;
    to->x1 = cx + (from->x1 - cx) * zoom;
    to->y1 = cy + (from->y1 - cy) * zoom;
    return true;
}
