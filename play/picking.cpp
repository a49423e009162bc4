// Picking and carrying: which piece lies under the pointer (pixel-exact,
// so a transparent corner falls through to the piece beneath), taking a
// piece and its group into the hand, raising it to the top of the drawing
// order, and laying a group out rigidly around one of its members.
#include "play/play.h"

// Whether the pixel under the pointer at (px, py) is one that draw_board
// fills with an opaque pixel of the image drawn centred at (x, y) turned a
// quarter turns. Only the image turns: a probe image turned with it about
// its own corner would test pixels beside the pointer (one column left of
// it after a quarter turn), and a probe larger than a pixel would pick
// beside the drawn edge.
static bool image_under_point(TImage* image, int x, int y, int a, int px, int py) {
    if (!image) return false;
    set_rotation(static_cast<float>(a * 90));
    bool hit = image_solid_at(image, static_cast<float>(x), static_cast<float>(y), 0, px, py);
    set_rotation(0);
    return hit;
}

bool mouse_over_image(TImage* image, int x, int y, int a) {
    return image_under_point(image, x, y, a, mouse_x, mouse_y);
}

bool mouse_over_piece(int p) {
    if (p < 1 || p > piece_count) return false;
    return mouse_over_image(pieces[p].img, pieces[p].x, pieces[p].y, pieces[p].a);
}

int piece_at(int x, int y) {
    for (int i = piece_count; i >= 1; i--) {
        int p = draw_order[i];
        if (p < 1 || p > piece_count) continue;
        const piece_type& pc = pieces[p];
        if (pc.visible && image_under_point(pc.img, pc.x, pc.y, pc.a, x, y)) return p;
    }
    return 0;
}

int piece_under_mouse() { return piece_at(mouse_x, mouse_y); }

void pick_up_piece() {
    int p = piece_under_mouse();
    if (p < 1 || puzzle_complete()) return;
    click_pending = 0;
    held_piece = p;
    raise_group(p);
    grab_dx = mouse_x - pieces[p].x;
    grab_dy = mouse_y - pieces[p].y;
    tidy_state.k = 0;
}

void raise_piece(int k) {
    int i = 1;
    while (i <= piece_count && draw_order[i] != k) i++;
    if (i > piece_count) return;
    for (; i < piece_count; i++) draw_order[i] = draw_order[i + 1];
    draw_order[piece_count] = k;
}

void raise_group(int p) {
    if (p < 1 || p > piece_count) return;
    int g = pieces[p].gp;
    if (g == 0) {
        raise_piece(p);
        return;
    }
    for (int i = 1; i <= piece_count; i++) {
        if (pieces[i].gp == g) raise_piece(i);
    }
}

void place_group(int p) {
    if (p < 1 || p > piece_count) return;
    const piece_type& h = pieces[p];
    if (h.gp <= 0) return;
    // Copies: p itself is rewritten inside the loop.
    int g = h.gp, a = h.a, hx0 = h.x0, hy0 = h.y0;
    int ox = h.x - h.x0, oy = h.y - h.y0;
    for (int i = 1; i <= piece_count; i++) {
        piece_type& q = pieces[i];
        if (q.gp != g) continue;
        int dx, dy;
        turn_offset(a, q.x0 - hx0, q.y0 - hy0, &dx, &dy);
        q.a = a;
        q.x = hx0 + dx + ox;
        q.y = hy0 + dy + oy;
    }
}

void turn_piece(int p) {
    if (p < 1 || p > piece_count) return;
    pieces[p].a = (pieces[p].a + 1) % 4;
    place_group(p);
}

void home_first_piece() {
    if (piece_count < 1) return;
    pieces[1].x = pieces[1].x0;
    pieces[1].y = pieces[1].y0;
    pieces[1].a = 0;
    place_group(1);
}
