// The box screen ("box"): a strip across the top shows the current box's
// pieces in a wooden frame, the tray below shows the loose interior
// pieces that are in no box. A click moves a piece between the two, a
// right click turns one, the "Box" label steps to the next box and the
// board button goes back to the board with the box's pieces shown.
// Pieces larger than a cell are drawn and picked scaled down to it; the
// board, tidy and saved games always see them at their own size.
#include "play/play.h"

// Colour of each box's label, 1..5.
static const int box_colours[BOX_TABLE_SIZE][3] = {
    {0, 0, 0}, {0, 0, 128}, {0, 128, 0}, {128, 0, 0}, {0, 128, 128}, {128, 128, 0},
};

// The board button, drawn with its top-left corner here.
enum { BOARD_BUTTON_X = 7, BOARD_BUTTON_Y = 41 };
// The strip's pieces are centred on this line; the first at STRIP_FIRST_X.
enum { STRIP_Y = 40, STRIP_FIRST_X = 105 };

static int strip_width() { return large_display ? 936 : 712; }

static int box_on_screen() {
    if (current_box < 1 || current_box > BOX_COUNT) current_box = 1;
    return current_box;
}

static int strip_length() {
    int n = box_count[box_on_screen()];
    return n < MAX_PIECES ? n : MAX_PIECES;
}

static bool is_piece(int p) { return p >= 1 && p <= piece_count && p <= MAX_PIECES; }

// Piece p centred on (x, y), turned, at its box-screen scale.
static void draw_boxed(int p, int x, int y) {
    if (!is_piece(p) || !pieces[p].img) return;
    float s = box_piece_scale(p);
    set_scale(s, s);
    set_rotation(static_cast<float>(pieces[p].a * 90));
    draw_image(pieces[p].img, static_cast<float>(x), static_cast<float>(y), 0);
    set_rotation(0);
    set_scale(1, 1);
}

// The pixel test of piece p drawn as draw_boxed draws it at (x, y): the
// pixel under the pointer is tested against the piece under the same
// scale and turn, so exactly the pixels drawn opaque take the click.
static bool mouse_over_boxed(int p, int x, int y) {
    if (!is_piece(p) || !pieces[p].img) return false;
    float s = box_piece_scale(p);
    set_scale(s, s);
    set_rotation(static_cast<float>(pieces[p].a * 90));
    bool hit = image_solid_at(pieces[p].img, static_cast<float>(x), static_cast<float>(y), 0, mouse_x, mouse_y);
    set_rotation(0);
    set_scale(1, 1);
    return hit;
}

// ===========================================================================
// Drawing
// ===========================================================================

// The strip: the pieces' cells side by side while they fit, else spread
// evenly over the width, overlapping. Each entry keeps where it was drawn
// for the next frame's hit tests.
static void draw_strip() {
    int b = box_on_screen();
    int n = strip_length();
    if (n <= 0) return;
    int w = display_width();
    int s = strip_width();
    set_viewport(76, 11, s, 58);
    int total = 0;
    for (int i = 1; i <= n; i++) total += box_piece_side(box_contents[b][i].n) + 2;
    int step = (w - 111) / n;
    int x = STRIP_FIRST_X;
    for (int i = 1; i <= n; i++) {
        pce_type& entry = box_contents[b][i];
        // Centres half of each side plus 2 apart, as in the tray.
        if (i > 1) {
            int last = box_piece_side(box_contents[b][i - 1].n);
            x += total > s ? step : (last + box_piece_side(entry.n)) / 2 + 2;
        }
        draw_boxed(entry.n, x, STRIP_Y);
        entry.x = x;
        entry.y = STRIP_Y;
    }
}

void draw_box_screen() {
    int w = display_width(), h = display_height();
    set_clear_color(bg_red, bg_green, bg_blue);
    clear_screen();
    TImage* frame = large_display ? boxf_image : box_image;
    if (frame) draw_image(frame, 70, 5, 0);
    if (jigsaw_image) draw_image(jigsaw_image, BOARD_BUTTON_X, BOARD_BUTTON_Y, 0);

    // The label: a black edge, the box's colour, "Box n" in white.
    int b = box_on_screen();
    set_color(0, 0, 0);
    draw_rect(3, 5, 65, 31);
    set_color(box_colours[b][0], box_colours[b][1], box_colours[b][2]);
    draw_rect(4, 6, 63, 29);
    set_color(255, 255, 255);
    select_font(font_large);
    draw_text_shadowed("Box " + int_to_text(b), 8, 5, 0, 0, 1);

    draw_strip();

    set_color(255, 255, 255);
    set_viewport(0, 77, w, h - 77);
    int slots = tray_count < MAX_PIECES ? tray_count : MAX_PIECES;
    for (int j = 1; j <= slots; j++) {
        if (tray[j].n > 0) draw_boxed(tray[j].n, tray[j].x, tray[j].y);
    }
    if (tray_overflow > 0) draw_outlined_number(tray_overflow, w - 29, h - 29);
    set_viewport(0, 0, w, h);
}

// ===========================================================================
// Clicks
// ===========================================================================

// Strip entries first, left to right, so the leftmost of overlapping
// pieces is hit even though later ones are drawn above it.
static int strip_entry_under_mouse() {
    int b = box_on_screen();
    int n = strip_length();
    for (int i = 1; i <= n; i++) {
        const pce_type& entry = box_contents[b][i];
        if (mouse_over_boxed(entry.n, entry.x, entry.y)) return i;
    }
    return 0;
}

// Tray slots from the last down, so the piece drawn on top wins.
static int tray_slot_under_mouse() {
    int slots = tray_count < MAX_PIECES ? tray_count : MAX_PIECES;
    for (int j = slots; j >= 1; j--) {
        int p = tray[j].n;
        if (mouse_over_boxed(p, tray[j].x, tray[j].y)) return j;
    }
    return 0;
}

bool box_screen_click() {
    int i = strip_entry_under_mouse();
    if (i) return take_out_of_box(i);
    int j = tray_slot_under_mouse();
    if (j) return put_into_box(j);
    return false;
}

// A right click turns the piece under the mouse a quarter; on empty space
// it is dropped, not kept for a later frame.
static void box_screen_right_click() {
    right_click_pending = 0;
    int p = 0;
    int i = strip_entry_under_mouse();
    if (i) {
        p = box_contents[box_on_screen()][i].n;
    } else {
        int j = tray_slot_under_mouse();
        if (j) p = tray[j].n;
    }
    if (is_piece(p)) pieces[p].a = (pieces[p].a + 1) % 4;
}

void box_screen_frame() {
    draw_box_screen();
    if (picture_shown && picture) {
        draw_image(picture, static_cast<float>(picture_x), static_cast<float>(picture_y), 0);
    }
    if (click_pending && picture_shown && picture &&
        mouse_in_rect(picture_x, picture_y, picture_x + picture_w, picture_y + picture_h)) {
        picture_click();
    }
    if (click_pending && jigsaw_image &&
        mouse_in_rect(BOARD_BUTTON_X, BOARD_BUTTON_Y, BOARD_BUTTON_X + image_width(jigsaw_image),
                      BOARD_BUTTON_Y + image_height(jigsaw_image))) {
        show_current_box();
        click_pending = 0;
        screen_state = SCREEN_JIGSAW;
    }
    if (click_pending && mouse_in_rect(3, 5, 68, 36)) {
        click_pending = 0;
        next_box();
    }
    if (click_pending && box_screen_click()) {
        click_pending = 0;
        tray_overflow = 0;
    }
    if (right_click_pending) box_screen_right_click();
}
