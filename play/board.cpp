// The board screen ("jigsaw"): its per-frame work (drop, picture and
// swatch clicks, pick-up, the right-click turn), the drawing of the board
// that the other board-based screens share, and the held group drawn
// again above the swatch and the picture. The board (without a carried
// group) is drawn once, kept, and put back in every frame until something
// it was drawn from changes, so the pointer and the carried group are all
// that a frame draws while the player moves them.
#include <vector>

#include "play/play.h"

// --- the kept board under a carried group ---
int board_composing = 1;                  // 0 draws the whole board in every frame
static std::vector<intptr_t> kept_board;  // what the kept copy was drawn from; empty = none

// True for the pieces that draw_held_group draws: the held piece, and its
// group when it has one.
static bool in_held_group(int p) {
    int h = held_piece;
    if (h < 1 || h > piece_count || p < 1 || p > piece_count) return false;
    if (pieces[h].gp <= 0) return p == h;
    return pieces[p].gp == pieces[h].gp;
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
        set_rotation(static_cast<float>(pc.a * 90));
        draw_image(pc.img, static_cast<float>(pc.x), static_cast<float>(pc.y), 0);
        set_rotation(0);
    }
    if (tidy_state.k > 0) draw_outlined_number(tidy_state.k, tidy_state.x, tidy_state.y);
    draw_help_prompt();
}

void draw_board() { draw_board_pieces(false); }

static void draw_piece_again(int i) {
    piece_type& pc = pieces[i];
    pc.visible = 1;
    if (!pc.img) return;
    set_rotation(static_cast<float>(pc.a * 90));
    draw_image(pc.img, static_cast<float>(pc.x), static_cast<float>(pc.y), 0);
    set_rotation(0);
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
    if (swatch_shown && swatch_image) draw_image(swatch_image, static_cast<float>(swatch_x), static_cast<float>(swatch_y), 0);
    if (picture_shown && picture) draw_image(picture, static_cast<float>(picture_x), static_cast<float>(picture_y), 0);
}

// Everything the board under the carried group is drawn from: the display,
// the drawing state the frame starts with (the tidy count and the prompt
// choose their own font), the colour, every piece in
// drawing order (the held group only by its place in that order), the
// tidy count, the help prompt, the swatch and the picture.
static std::vector<intptr_t> board_inputs() {
    const TDrawState& s = draw_state;
    std::vector<intptr_t> v = {
        display_generation, s.g_width, s.g_height, s.color_red, s.color_green, s.color_blue,
        static_cast<intptr_t>(s.color_alpha * 65536), s.blend_mode,
        static_cast<intptr_t>(s.tform_rot * 65536), static_cast<intptr_t>(s.tform_scale_x * 65536),
        static_cast<intptr_t>(s.tform_scale_y * 65536), static_cast<intptr_t>(s.origin_x * 65536),
        static_cast<intptr_t>(s.origin_y * 65536), s.viewport_x, s.viewport_y, s.viewport_w, s.viewport_h,
        bg_red, bg_green, bg_blue, piece_count, tidy_state.k, tidy_state.x, tidy_state.y,
        pref_help_prompt, help_prompt_active,
        swatch_shown, reinterpret_cast<intptr_t>(swatch_image), swatch_x, swatch_y,
        picture_shown, reinterpret_cast<intptr_t>(picture), picture_x, picture_y, held_piece,
    };
    v.reserve(v.size() + 6 * static_cast<size_t>(piece_count));
    for (int i = 1; i <= piece_count; i++) {
        int p = draw_order[i];
        v.push_back(p);
        if (p < 1 || p > piece_count || in_held_group(p)) continue;
        const piece_type& pc = pieces[p];
        v.insert(v.end(), {pc.x, pc.y, pc.a, pc.visible, reinterpret_cast<intptr_t>(pc.img)});
    }
    return v;
}

// The board under the held group (all of it when nothing is held): the
// kept copy when nothing it shows changed, else drawn and kept. A held
// group drawn last covers exactly what its drawing in the board would
// have, so leaving it out gives the same pixels.
static void draw_kept_board() {
    std::vector<intptr_t> inputs = board_inputs();
    if (inputs == kept_board && restore_back_buffer()) return;
    draw_board_pieces(true);
    draw_swatch_and_picture();
    if (save_back_buffer())
        kept_board.swap(inputs);
    else
        kept_board.clear();
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
    if (board_composing) {
        draw_kept_board();
    } else {
        draw_board();
        draw_swatch_and_picture();
    }
    if (held_piece) draw_held_group();
}
