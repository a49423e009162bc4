// The board screen ("jigsaw"): its per-frame work (drop, picture and
// swatch clicks, pick-up, the right-click turn), the drawing of the board
// that the other board-based screens share, and the held group drawn
// again above the swatch and the picture.
#include "play/play.h"

#include "shell/shell.h"

void draw_board() {
    set_clear_color(bg_red, bg_green, bg_blue);
    clear_screen();
    for (int i = 1; i <= piece_count; i++) {
        int p = draw_order[i];
        if (p < 1 || p > piece_count) continue;
        const piece_type& pc = pieces[p];
        if (!pc.visible || !pc.img) continue;
        set_rotation(static_cast<float>(pc.a * 90));
        draw_image(pc.img, static_cast<float>(pc.x), static_cast<float>(pc.y), 0);
        set_rotation(0);
    }
    if (tidy_state.k > 0) draw_outlined_number(tidy_state.k, tidy_state.x, tidy_state.y);
    draw_help_prompt();
}

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
    draw_board();
    if (swatch_shown && swatch_image) draw_image(swatch_image, static_cast<float>(swatch_x), static_cast<float>(swatch_y), 0);
    if (picture_shown && picture) draw_image(picture, static_cast<float>(picture_x), static_cast<float>(picture_y), 0);
    if (held_piece) draw_held_group();
}
