// The board screen ("jigsaw"): its per-frame work (drop, picture and
// swatch clicks, pick-up, the right-click turn), the drawing of the board
// that the other board-based screens share, and the held group drawn
// again above the swatch and the picture. The board (without a carried
// group) is drawn once, kept, and put back in every frame until something
// it was drawn from changes, so the pointer and the carried group are all
// that a frame draws while the player moves them; when only some pieces
// changed, the kept board is mended where they were and are.
#include <algorithm>
#include <cmath>
#include <vector>

#include "play/play.h"

// What one piece contributes to the board: where and how it is drawn, or
// only that it is carried (then the board does not show it).
struct kept_piece_type {
    intptr_t x = 0, y = 0, a = 0, visible = 0, img = 0, held = 0;
    bool operator==(const kept_piece_type& o) const {
        return x == o.x && y == o.y && a == o.a && visible == o.visible && img == o.img && held == o.held;
    }
    bool operator!=(const kept_piece_type& o) const { return !(*this == o); }
};

// --- kept for the run ---
int board_composing = 1;  // 0 draws the whole board in every frame

// --- the kept board under a carried group: what the kept copy was drawn from ---
static std::vector<intptr_t> kept_board;          // board_inputs(); empty = nothing kept
static std::vector<kept_piece_type> kept_pieces;  // the pieces by number
static std::vector<int> kept_order;               // the drawing order
static std::vector<int> kept_bounds;              // 4 per piece number: x0, y0, x1, y1 of what it covered

// True for the pieces that draw_held_group draws: the held piece, and its
// group when it has one.
static bool in_held_group(int p) {
    int h = held_piece;
    if (h < 1 || h > piece_count || p < 1 || p > piece_count) return false;
    if (pieces[h].gp <= 0) return p == h;
    return pieces[p].gp == pieces[h].gp;
}

// One piece at its place, turned by its quarter turns.
static void draw_piece(const piece_type& pc) {
    set_rotation(static_cast<float>(pc.a * 90));
    draw_image(pc.img, static_cast<float>(pc.x), static_cast<float>(pc.y), 0);
    set_rotation(0);
}

// The board's pieces; with `without_held` the held group is left out (it
// is drawn again on top of everything, which hides this drawing of it).
static void draw_board_pieces(bool without_held) {
    set_clear_color(bg_red, bg_green, bg_blue);
    clear_screen();
    for (int i = 1; i <= piece_count; i++) {
        int p = draw_order[i];
        if (p < 1 || p > piece_count) continue;
        const piece_type& pc = pieces[p];
        if (!pc.visible || !pc.img) continue;
        if (without_held && in_held_group(p)) continue;
        draw_piece(pc);
    }
    if (tidy_state.k > 0) draw_outlined_number(tidy_state.k, tidy_state.x, tidy_state.y);
    draw_help_prompt();
}

void draw_board() { draw_board_pieces(false); }

static void draw_piece_again(int i) {
    piece_type& pc = pieces[i];
    pc.visible = 1;
    if (pc.img) draw_piece(pc);
}

void draw_held_group() {
    int h = held_piece;
    if (h < 1 || h > piece_count) return;
    int g = pieces[h].gp;
    if (g <= 0) {
        draw_piece_again(h);
        return;
    }
    for (int i = 1; i <= piece_count; i++) {
        if (pieces[i].gp == g) draw_piece_again(i);
    }
}

void picture_click() {
    if (!picture_shown || !picture) return;
    if (!mouse_in_rect(picture_x, picture_y, picture_x + picture_w, picture_y + picture_h)) return;
    click_pending = 0;
    if (picture_dragging) {
        picture_dragging = 0;
    } else {
        picture_grab_dx = mouse_x - picture_x;
        picture_grab_dy = mouse_y - picture_y;
        picture_dragging = 1;
    }
}

void swatch_click() {
    if (!swatch_shown || !swatch_image) return;
    int w = image_width(swatch_image), h = image_height(swatch_image);
    if (!mouse_in_rect(swatch_x, swatch_y, swatch_x + w, swatch_y + h)) return;
    click_pending = 0;
    // The swatch is loaded without the mask, so its frame holds the
    // palette's own colours.
    const TPixmap* palette = lock_image(swatch_image, 0, true, false);
    if (!palette) return;
    // The hit rectangle includes its far column and row, one pixel past
    // the palette: those take the colour of the last column or row.
    int px = mouse_x - swatch_x, py = mouse_y - swatch_y;
    if (px >= palette->width) px = palette->width - 1;
    if (py >= palette->height) py = palette->height - 1;
    uint32_t argb = read_pixel(palette, px, py);
    bg_red = static_cast<int>((argb >> 16) & 0xFF);
    bg_green = static_cast<int>((argb >> 8) & 0xFF);
    bg_blue = static_cast<int>(argb & 0xFF);
}

static void draw_swatch_and_picture() {
    if (swatch_shown && swatch_image)
        draw_image(swatch_image, static_cast<float>(swatch_x), static_cast<float>(swatch_y), 0);
    if (picture_shown && picture) draw_image(picture, static_cast<float>(picture_x), static_cast<float>(picture_y), 0);
}

// Everything the board under the carried group is drawn from, but the
// pieces: the display, the drawing state the frame starts with (the tidy
// count and the prompt choose their own font), the colour, the tidy count,
// the help prompt, the swatch and the picture.
static std::vector<intptr_t> board_inputs() {
    const TDrawState& s = draw_state;
    return {
        display_generation,
        s.g_width,
        s.g_height,
        s.color_red,
        s.color_green,
        s.color_blue,
        static_cast<intptr_t>(s.color_alpha * 65536),
        s.blend_mode,
        static_cast<intptr_t>(s.tform_rot * 65536),
        static_cast<intptr_t>(s.tform_scale_x * 65536),
        static_cast<intptr_t>(s.tform_scale_y * 65536),
        static_cast<intptr_t>(s.origin_x * 65536),
        static_cast<intptr_t>(s.origin_y * 65536),
        s.viewport_x,
        s.viewport_y,
        s.viewport_w,
        s.viewport_h,
        bg_red,
        bg_green,
        bg_blue,
        piece_count,
        tidy_state.k,
        tidy_state.x,
        tidy_state.y,
        pref_help_prompt,
        help_prompt_active,
        swatch_shown,
        reinterpret_cast<intptr_t>(swatch_image),
        swatch_x,
        swatch_y,
        picture_shown,
        reinterpret_cast<intptr_t>(picture),
        picture_x,
        picture_y,
    };
}

// The pieces by number (slot 0 unused) and the drawing order, as the
// board is drawn from them now.
static void board_pieces(std::vector<kept_piece_type>* by_number, std::vector<int>* order) {
    by_number->assign(static_cast<size_t>(piece_count) + 1, kept_piece_type());
    order->assign(draw_order + 1, draw_order + 1 + piece_count);
    for (int p = 1; p <= piece_count; p++) {
        kept_piece_type& k = (*by_number)[static_cast<size_t>(p)];
        if (in_held_group(p)) {
            k.held = 1;
            continue;
        }
        const piece_type& pc = pieces[p];
        k = {pc.x, pc.y, pc.a, pc.visible, reinterpret_cast<intptr_t>(pc.img), 0};
    }
}

// Widens [x0, x1) x [y0, y1) by the pixels a piece drawn as `k` covers
// (a pixel more on each side for rounding); nothing for a piece not drawn.
// Only for pieces as they are now: a kept piece's image may be gone.
static void add_piece_bounds(const kept_piece_type& k, int* x0, int* y0, int* x1, int* y1) {
    const TImage* img = reinterpret_cast<const TImage*>(k.img);
    if (k.held || !k.visible || !img) return;
    const float cu[2] = {-img->handle_x, img->width - img->handle_x};
    const float cv[2] = {-img->handle_y, img->height - img->handle_y};
    set_rotation(static_cast<float>(k.a * 90));
    for (float u : cu)
        for (float v : cv) {
            float sx = 0, sy = 0;
            transform_point(static_cast<float>(k.x), static_cast<float>(k.y), u, v, &sx, &sy);
            *x0 = std::min(*x0, static_cast<int>(std::floor(sx)) - 1);
            *y0 = std::min(*y0, static_cast<int>(std::floor(sy)) - 1);
            *x1 = std::max(*x1, static_cast<int>(std::ceil(sx)) + 1);
            *y1 = std::max(*y1, static_cast<int>(std::ceil(sy)) + 1);
        }
    set_rotation(0);
}

// The kept copy was drawn from exactly these pieces in this order.
static bool kept_copy_shows(const std::vector<kept_piece_type>& now, const std::vector<int>& order) {
    return now == kept_pieces && order == kept_order;
}

// Where the board drawn from these pieces can differ from the kept one:
// the old and new places of every piece that changed. False when more
// than pieces changed (the order of unchanged pieces among themselves
// included), so the whole board must be drawn.
static bool changed_area(const std::vector<kept_piece_type>& now, const std::vector<int>& order, int* x0, int* y0,
                         int* x1, int* y1) {
    if (now.size() != kept_pieces.size() || order.size() != kept_order.size() || kept_bounds.size() != 4 * now.size())
        return false;
    std::vector<char> changed(now.size(), 0);
    *x0 = *y0 = 1 << 30;
    *x1 = *y1 = -(1 << 30);
    for (size_t p = 1; p < now.size(); p++) {
        if (now[p] == kept_pieces[p]) continue;
        changed[p] = 1;
        const int* was = &kept_bounds[4 * p];
        if (was[0] < was[2] && was[1] < was[3]) {
            *x0 = std::min(*x0, was[0]), *y0 = std::min(*y0, was[1]);
            *x1 = std::max(*x1, was[2]), *y1 = std::max(*y1, was[3]);
        }
        add_piece_bounds(now[p], x0, y0, x1, y1);
    }
    // A changed piece may also have moved in the order (a pick-up raises
    // it); the others must keep their order among themselves.
    size_t i = 0, j = 0;
    for (;; i++, j++) {
        while (i < order.size() && order[i] >= 1 && static_cast<size_t>(order[i]) < changed.size() &&
               changed[static_cast<size_t>(order[i])])
            i++;
        while (j < kept_order.size() && kept_order[j] >= 1 && static_cast<size_t>(kept_order[j]) < changed.size() &&
               changed[static_cast<size_t>(kept_order[j])])
            j++;
        if (i >= order.size() || j >= kept_order.size()) return i >= order.size() && j >= kept_order.size();
        if (order[i] != kept_order[j]) return false;
    }
}

// The board under the held group (all of it when nothing is held): the
// kept copy when nothing it shows changed; the kept copy with the places
// of the pieces that changed drawn again (clipped to them) when only a few
// did; else drawn whole. Then kept. A held group drawn last covers exactly
// what its drawing in the board would have, so leaving it out gives the
// same pixels; and drawing every piece clipped to an area gives there the
// pixels a whole drawing gives. True when the kept copy is this board.
static bool draw_kept_board() {
    std::vector<intptr_t> inputs = board_inputs();
    std::vector<kept_piece_type> now;
    std::vector<int> order;
    board_pieces(&now, &order);
    bool same_board = inputs == kept_board;
    if (same_board && kept_copy_shows(now, order) && restore_back_buffer()) return true;
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    const TDrawState& s = draw_state;
    int vx = s.viewport_x, vy = s.viewport_y, vw = s.viewport_w, vh = s.viewport_h;
    bool whole_viewport = vx == 0 && vy == 0 && vw == s.g_width && vh == s.g_height;
    if (same_board && whole_viewport && changed_area(now, order, &x0, &y0, &x1, &y1) && restore_back_buffer()) {
        x0 = std::max(x0, 0), y0 = std::max(y0, 0);
        x1 = std::min(x1, s.g_width), y1 = std::min(y1, s.g_height);
        if (x1 > x0 && y1 > y0) {
            set_viewport(x0, y0, x1 - x0, y1 - y0);
            draw_board_pieces(true);
            draw_swatch_and_picture();
            set_viewport(vx, vy, vw, vh);
        }
    } else {
        draw_board_pieces(true);
        draw_swatch_and_picture();
    }
    if (save_back_buffer()) {
        kept_bounds.assign(4 * now.size(), 0);
        for (size_t p = 1; p < now.size(); p++) {
            int* b = &kept_bounds[4 * p];
            b[0] = b[1] = 1 << 30;
            b[2] = b[3] = -(1 << 30);
            add_piece_bounds(now[p], &b[0], &b[1], &b[2], &b[3]);
        }
        kept_board.swap(inputs);
        kept_pieces.swap(now);
        kept_order.swap(order);
        return true;
    }
    kept_board.clear();
    return false;
}

bool restore_shown_board() {
    // The kept copy also holds the swatch, and leaves a carried group out.
    if (!board_composing || held_piece || swatch_shown || kept_board.empty()) return false;
    std::vector<kept_piece_type> now;
    std::vector<int> order;
    board_pieces(&now, &order);
    return board_inputs() == kept_board && kept_copy_shows(now, order) && restore_back_buffer();
}

void jigsaw_screen_frame() {
    if (click_pending && held_piece) {
        click_pending = 0;
        drop_held_piece();
        held_piece = 0;
    }
    if (click_pending) picture_click();
    if (click_pending) swatch_click();
    if (click_pending) pick_up_piece();
    if (right_click_pending) {
        int p = held_piece ? held_piece : piece_under_mouse();
        if (p > 0) {
            right_click_pending = 0;
            turn_piece(p);
        }
    }
    bool kept = false;
    if (board_composing) {
        kept = draw_kept_board();
    } else {
        draw_board();
        draw_swatch_and_picture();
    }
    // Over the board and its kept copy, never into it, so the outlines
    // leave no trace once the flash ends; under the carried group.
    draw_fit_flash();
    // The loupe enlarges the kept copy, so it shows only over a board
    // that was kept this frame.
    if (kept) draw_loupe();
    if (held_piece) draw_held_group();
}
