// Puzzle play: the piece model and its tables, the board screen, picking,
// dragging, snapping and grouping, rotation and the unrotate screen, the
// boxes and the box screen, tidying, completion and the flight animation.
// The shell's main loop calls these operations and reads these globals.
#pragma once

#include <string>

#include "media/draw/draw.h"
#include "media/system/system.h"

// ===========================================================================
// puzzle_model.cpp: the piece, box and tray tables and the deal
// ===========================================================================

enum {
    MAX_PIECES = 300,                     // largest jigsaw the tables hold
    PIECE_TABLE_SIZE = MAX_PIECES + 1,    // tables are 1-based; entry 0 unused
    BOX_COUNT = 5,                        // sorting boxes 1..5
    BOX_TABLE_SIZE = BOX_COUNT + 1,
};

// One piece of the jigsaw being played.
struct piece_type {
    TImage* img = nullptr;  // the piece's picture, centre-handled; Null until loaded
    int x0 = 0, y0 = 0;     // home position of the centre in the finished picture
    int x = 0, y = 0;       // current position of the centre on the board
    int a = 0;              // rotation in quarter turns clockwise, 0..3
    int n = 0, e = 0, w = 0, s = 0;  // grid neighbours; 0 on that border
    int gp = 0;             // group number; 0 = loose
    int edge = 0;           // border piece, or grouped with one
    int visible = 0;        // shown on the board (drawn and pickable)
    int box = 0;            // sorting box 1..5; 0 = none
    int wd = 0, ht = 0;     // size of img in pixels
};

// An entry of a box list or a tray slot.
struct pce_type {
    int n = 0;              // piece number; 0 = free tray slot
    int x = 0, y = 0;       // centre at which it is drawn on the box screen
};

// What the last tidy left stacked in one place.
struct tidy_type {
    int k = 0;              // pieces stacked; 0 = nothing to show
    int x = 0, y = 0;       // where the count is drawn
};

// One piece's flight in the completion animation.
struct piece_anim_type {
    float x1 = 0, y1 = 0;   // current point
    float x2 = 0, y2 = 0;   // target point
    float dx = 0, dy = 0;   // step per frame
    int anim = 0;           // 1 while still flying
};

// --- the tables, created at start-up and kept for the run ---
extern piece_type pieces[PIECE_TABLE_SIZE];          // pieces by number, 1..piece_count
extern int draw_order[PIECE_TABLE_SIZE];             // piece numbers, bottom to top
extern pce_type box_contents[BOX_TABLE_SIZE][PIECE_TABLE_SIZE];  // [box][1..box_count]
extern int box_count[BOX_TABLE_SIZE];                // length of each box list
extern int box_shown[BOX_TABLE_SIZE];                // loose pieces of box b shown on the board
extern pce_type tray[PIECE_TABLE_SIZE];              // box-screen tray slots 1..tray_count
extern piece_anim_type piece_anims[PIECE_TABLE_SIZE];  // one flight per piece

// --- reset for every jigsaw and every deal ---
extern int rows, columns, piece_count;   // grid of the loaded jigsaw
extern int current_box;                  // box shown on the box screen, 1..5
extern int tray_count;                   // slots in use in the tray
extern int tray_overflow;                // tray pieces stacked in the corner
extern int group_counter;                // last group number issued
extern int held_piece;                   // piece being dragged; 0 = none
extern int grab_dx, grab_dy;             // mouse minus the held piece's centre at pick-up
extern int snap_tolerance;               // pixels, exclusive, per axis (10)
extern int show_grouped, show_loose;     // the G and O visibility toggles
extern tidy_type tidy_state;             // result of the last tidy
extern int completion_seen;              // this deal's completion was celebrated

// --- the reference picture and the colour swatch ---
extern TImage* picture;                  // the jigsaw's thumbnail; Null when it has none
extern int picture_x, picture_y;         // top-left corner on the board
extern int picture_w, picture_h;         // its size in pixels
extern int picture_shown;                // drawn over the board
extern int picture_dragging;             // follows the mouse
extern int picture_grab_dx, picture_grab_dy;  // mouse minus the corner at pick-up
extern TImage* swatch_image;             // palette for the background colour
extern TPixmap* swatch_pixmap;           // the same palette, for reading colours
extern int swatch_x, swatch_y;           // top-left corner (10, 463)
extern int swatch_shown;                 // drawn over the board

// Start-up: fresh records in every table, the swatch loaded, no question open.
void create_puzzle_tables();
// The new deal: random places and rotations, no groups, all shown.
void scatter_pieces();
// Clears the per-game state before a flow loads or deals.
void reset_play_state();
// All pieces share piece 1's group and piece 1 is upright.
bool puzzle_complete();

// ===========================================================================
// board.cpp: the board screen, the picture, the swatch and the filters
// ===========================================================================

// Per-frame operation of "jigsaw": clicks, right clicks, then the drawing.
void jigsaw_screen_frame();
// Clears to the background colour and draws the visible pieces in draw order.
void draw_board();
void show_all_pieces();        // key A
void hide_all_pieces();        // key Z
void toggle_edge_pieces();     // key E
void apply_grouped_visibility();  // after key G
void apply_loose_visibility();    // after key O
void apply_box_visibility();      // after keys 1..5
// Takes up or puts down the picture when the click lies on it.
void picture_click();
// Sets the background colour from the swatch when the click lies on it.
void swatch_click();

// ===========================================================================
// picking.cpp: picking, dragging, snapping and grouping
// ===========================================================================

// Takes the topmost visible piece under the mouse into the hand.
void pick_up_piece();
// Lays p's group rigidly around p at p's rotation.
void place_group(int p);
// Key M: piece 1 home and upright, its group with it.
void home_first_piece();

// ===========================================================================
// unrotate.cpp: the unrotate screen
// ===========================================================================

// --- a moment of the unrotate screen ---
extern int unrotate_phase;     // 1 start, 2 turning, 3 finish, 4 done
extern int unrotate_cursor;    // next piece to look at

// Per-frame operation of "unrotate".
void unrotate_screen_frame();

// ===========================================================================
// box_screen.cpp: the boxes and the box screen
// ===========================================================================

// Per-frame operation of "box".
void box_screen_frame();
// Puts a strip piece into the tray or a tray piece into the box; true on a hit.
bool box_screen_click();
void next_box();               // 5 wraps to 1
void previous_box();           // 1 wraps to 5
// Lays every loose interior piece out in the tray, in random order.
void fill_tray();
// Drops grouped pieces from the current box's list.
void purge_grouped_from_box();
// Shows the loose pieces of the current box on the board.
void show_current_box();

// ===========================================================================
// tidy.cpp: tidying loose pieces
// ===========================================================================

// Key T: lays the visible loose pieces side by side in the region pointed at.
void tidy_pieces();

// ===========================================================================
// completion.cpp: completion and the flight animation
// ===========================================================================

// --- a moment of the "anim" screen ---
extern int anim_phase;         // 1 start, 2 flying, 3 finish, 4 done
extern int anim_skipped;       // the flight was cut short by a left click

// Every piece shown, screen "anim", flight from phase 1.
void start_completion_animation();
// Per-frame operation of "anim" (the loop draws the board after it).
void completion_animation_frame();
