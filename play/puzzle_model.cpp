// The puzzle model: the piece, box, tray and flight tables, the per-game
// flags the play screens share, their two resets (the tables at start-up,
// the flags at every deal), the new deal and the completion test. Every
// play operation works on these globals directly; the loader (library/)
// fills the fixed properties of the pieces. The music and the open
// question are not the model's: the flows that deal look after them.
#include "play/play.h"

// --- the tables, created at start-up and kept for the run ---
piece_type pieces[PIECE_TABLE_SIZE];                      // 1..piece_count meaningful
int draw_order[PIECE_TABLE_SIZE];                         // bottom (1) to top (piece_count)
pce_type box_contents[BOX_TABLE_SIZE][PIECE_TABLE_SIZE];  // box lists, 1-based
int box_count[BOX_TABLE_SIZE];                            // length of each box list
int box_shown[BOX_TABLE_SIZE];                            // box b's loose pieces shown
pce_type tray[PIECE_TABLE_SIZE];                          // box-screen tray slots
piece_anim_type piece_anims[PIECE_TABLE_SIZE];            // flight records

// --- reset for every jigsaw and every deal ---
int rows = 0, columns = 0, piece_count = 0;  // grid of the loaded jigsaw
int current_box = 1;                         // box on the box screen
int tray_count = 0;                          // tray slots in use
int tray_overflow = 0;                       // tray pieces stacked in the corner
int group_counter = 0;                       // last group number issued
int held_piece = 0;                          // piece in the hand; 0 = none
int grab_dx = 0, grab_dy = 0;                // mouse minus held centre, pixels
int snap_tolerance = 10;                     // pixels, exclusive, per axis
int show_grouped = 1, show_loose = 1;        // G and O toggles
tidy_type tidy_state;                        // last tidy's stacked count
int completion_seen = 1;                     // this deal was celebrated

// --- the reference picture and the colour swatch ---
TImage* picture = nullptr;                     // Null when the jigsaw has none
int picture_x = 10, picture_y = 10;            // top-left corner
int picture_w = 0, picture_h = 0;              // pixels
int picture_shown = 0;                         // drawn over the board
int picture_dragging = 0;                      // follows the mouse
int picture_grab_dx = 0, picture_grab_dy = 0;  // mouse minus corner at pick-up
TImage* swatch_image = nullptr;                // palette image
int swatch_x = 10, swatch_y = 463;             // top-left corner
int swatch_shown = 0;                          // drawn over the board

void turn_offset(int a, int dx, int dy, int* tx, int* ty) {
    switch (a & 3) {
    case 0:
        *tx = dx;
        *ty = dy;
        break;
    case 1:
        *tx = -dy;
        *ty = dx;
        break;
    case 2:
        *tx = -dx;
        *ty = -dy;
        break;
    default:
        *tx = dy;
        *ty = -dx;
        break;
    }
}

void create_puzzle_tables() {
    for (int i = 0; i < PIECE_TABLE_SIZE; i++) {
        if (pieces[i].img) free_image(pieces[i].img);
        pieces[i] = piece_type();
        tray[i] = pce_type();
        draw_order[i] = 0;
        for (int b = 0; b < BOX_TABLE_SIZE; b++) box_contents[b][i] = pce_type();
    }
    for (int b = 0; b < BOX_TABLE_SIZE; b++) {
        box_count[b] = 0;
        box_shown[b] = 0;
    }
    piece_count = rows = columns = 0;
    if (!swatch_image) swatch_image = load_image(base_dir + "images/swatch.bmp", 0);
    swatch_x = 10;
    swatch_y = 463;
    swatch_shown = 0;
}

void scatter_pieces() {
    for (int i = 1; i <= piece_count; i++) {
        piece_type& p = pieces[i];
        p.x = rand(p.wd / 2, 800 - p.wd / 2);
        p.y = rand(p.ht / 2, 600 - p.ht / 2);
        p.a = rand(0, 3);
        p.gp = 0;
        p.visible = 1;
        p.box = 0;
    }
    group_counter = 0;
}

void set_grid_edges() {
    int i = 1;
    for (int r = 1; r <= rows; r++) {
        for (int c = 1; c <= columns; c++, i++) {
            if (i > MAX_PIECES) return;
            pieces[i].edge = (r == 1 || r == rows || c == 1 || c == columns) ? 1 : 0;
        }
    }
}

void reset_play_state() {
    picture_shown = 0;
    swatch_shown = 0;
    held_piece = 0;
    completion_seen = 0;
    current_box = 1;
    set_grid_edges();
    show_grouped = 1;
    show_loose = 1;
}

void empty_boxes() {
    for (int b = 1; b <= BOX_COUNT; b++) box_count[b] = 0;
}

void deal_jigsaw() {
    reset_play_state();
    scatter_pieces();
    empty_boxes();
}

bool puzzle_complete() {
    if (piece_count < 1) return false;
    int g = pieces[1].gp;
    if (g == 0 || pieces[1].a != 0) return false;
    for (int i = 2; i <= piece_count; i++) {
        if (pieces[i].gp != g) return false;
    }
    return true;
}
