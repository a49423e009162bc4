// Puzzle play: the piece model and its tables, the board screen, picking,
// dragging, snapping and grouping, rotation and the unrotate screen, the
// boxes and the box screen, tidying, completion and the flight animation.
// The shell's main loop calls these operations and reads these globals.
// Play builds on ui/ (the shared state, helpers and sound cues) and never
// on the folders above it.
#pragma once

#include <string>
#include <vector>

#include "ui/ui.h"

// ===========================================================================
// puzzle_model.cpp: the piece, box and tray tables and the deal
// ===========================================================================

enum {
    MAX_PIECES = 300,                   // largest jigsaw the tables hold
    PIECE_TABLE_SIZE = MAX_PIECES + 1,  // tables are 1-based; entry 0 unused
    BOX_COUNT = 5,                      // sorting boxes 1..5
    BOX_TABLE_SIZE = BOX_COUNT + 1,
};

// A colour in 0..255 sRGB channels.
struct rgb_colour {
    int r = 0, g = 0, b = 0;
};

// One piece of the jigsaw being played.
struct piece_type {
    TImage* img = nullptr;           // the piece's picture, centre-handled; Null until loaded
    int x0 = 0, y0 = 0;              // home position of the centre in the finished picture
    int x = 0, y = 0;                // current position of the centre on the board
    int a = 0;                       // rotation in quarter turns clockwise, 0..3
    int n = 0, e = 0, w = 0, s = 0;  // grid neighbours; 0 on that border
    int gp = 0;                      // group number; 0 = loose
    int edge = 0;                    // border piece, or grouped with one
    int visible = 0;                 // shown on the board (drawn and pickable)
    int box = 0;                     // sorting box 1..5; 0 = none
    int wd = 0, ht = 0;              // size of img in pixels
    rgb_colour colour;               // average of img's opaque pixels, set by the loader
};

// An entry of a box list or a tray slot.
struct pce_type {
    int n = 0;         // piece number; 0 = free tray slot
    int x = 0, y = 0;  // centre at which it is drawn on the box screen
};

// What the last tidy left stacked in one place.
struct tidy_type {
    int k = 0;         // pieces stacked; 0 = nothing to show
    int x = 0, y = 0;  // where the count is drawn
};

// One piece's flight in the completion animation.
struct piece_anim_type {
    float x1 = 0, y1 = 0;  // current point
    float x2 = 0, y2 = 0;  // target point
    float dx = 0, dy = 0;  // step per frame
    int anim = 0;          // 1 while still flying
};

// --- the tables, created at start-up and kept for the run ---
extern piece_type pieces[PIECE_TABLE_SIZE];                      // pieces by number, 1..piece_count
extern int draw_order[PIECE_TABLE_SIZE];                         // piece numbers, bottom to top
extern pce_type box_contents[BOX_TABLE_SIZE][PIECE_TABLE_SIZE];  // [box][1..box_count]
extern int box_count[BOX_TABLE_SIZE];                            // length of each box list
extern int box_shown[BOX_TABLE_SIZE];                            // loose pieces of box b shown on the board
extern pce_type tray[PIECE_TABLE_SIZE];                          // box-screen tray slots 1..tray_count
extern piece_anim_type piece_anims[PIECE_TABLE_SIZE];            // one flight per piece

// --- reset for every jigsaw and every deal ---
extern int rows, columns, piece_count;  // grid of the loaded jigsaw
extern int current_box;                 // box shown on the box screen, 1..5
extern int tray_count;                  // slots in use in the tray
extern int tray_overflow;               // tray pieces stacked in the corner
extern int group_counter;               // last group number issued
extern int held_piece;                  // piece being dragged; 0 = none
extern int grab_dx, grab_dy;            // mouse minus the held piece's centre at pick-up
extern int snap_tolerance;              // pixels, exclusive, per axis (10)
extern int show_grouped, show_loose;    // the G and O visibility toggles
extern tidy_type tidy_state;            // result of the last tidy
extern int completion_seen;             // this deal's completion was celebrated

// --- the reference picture and the colour swatch ---
extern TImage* picture;                       // the jigsaw's thumbnail; Null when it has none
extern int picture_x, picture_y;              // top-left corner on the board
extern int picture_w, picture_h;              // its size in pixels
extern int picture_shown;                     // drawn over the board
extern int picture_dragging;                  // follows the mouse
extern int picture_grab_dx, picture_grab_dy;  // mouse minus the corner at pick-up
extern TImage* swatch_image;                  // palette for the background colour
extern int swatch_x, swatch_y;                // top-left corner (10, 463)
extern int swatch_shown;                      // drawn over the board

// The turn of a home offset (dx, dy) by a quarter turns clockwise:
// 0: (dx, dy); 1: (-dy, dx); 2: (-dx, -dy); 3: (dy, -dx).
void turn_offset(int a, int dx, int dy, int* tx, int* ty);
// Start-up: fresh records in every table, no jigsaw, the swatch loaded.
// The reset of the tables' lifetime group; test fixtures call it too.
void create_puzzle_tables();
// The new deal: random places and rotations, no groups, all shown.
void scatter_pieces();
// The reset of the per-deal group: nothing shown over the board, nothing
// held, box 1, both visibility toggles on, completion not yet seen, edge
// flags from the grid. Resuming a saved game calls it before the reader.
void reset_play_state();
// The five box lists emptied (a deal sets every piece's box to 0).
void empty_boxes();
// A new deal of the loaded jigsaw: reset_play_state, scatter_pieces,
// empty_boxes. Every flow that starts or restarts a jigsaw deals with it.
void deal_jigsaw();
// All pieces share piece 1's group and piece 1 is upright.
bool puzzle_complete();
// Whether a grid cell is on the border: 1 in the first or last row or column.
void set_grid_edges();

// ===========================================================================
// board.cpp: the board screen, the picture, the swatch and the filters
// ===========================================================================

// --- kept for the run ---
extern int board_composing;  // 1: the board (less a carried group) is drawn once and kept; 0: drawn every frame

// Per-frame operation of "jigsaw": clicks, right clicks, then the drawing.
void jigsaw_screen_frame();
// Clears to the background colour and draws the visible pieces in draw order.
void draw_board();
// The held piece, or its whole group, drawn again on top (and shown).
void draw_held_group();
// Puts back the kept board when it is what draw_board and the picture over
// it would draw now (nothing carried, no swatch, nothing changed since it
// was kept): the same pixels without drawing every piece again. False, and
// nothing drawn, otherwise.
bool restore_shown_board();
// Takes up or puts down the picture when the click lies on it.
void picture_click();
// Sets the background colour from the swatch when the click lies on it.
void swatch_click();

// ===========================================================================
// visibility.cpp: the board's visibility filters
// ===========================================================================

// Not grouped, not in a box and not an edge piece.
bool is_loose_piece(int p);
void show_all_pieces();           // key A
void hide_all_pieces();           // key Z
void toggle_edge_pieces();        // key E
void apply_grouped_visibility();  // after key G
void apply_loose_visibility();    // after key O
void apply_box_visibility();      // after keys 1..5

// ===========================================================================
// picking.cpp: picking and carrying
// ===========================================================================

// Whether the pixel under the mouse is an opaque pixel of an image drawn
// centred at (x, y) turned a quarter turns, exactly as it is drawn.
bool mouse_over_image(TImage* image, int x, int y, int a);
bool mouse_over_piece(int p);
// The topmost visible piece whose opaque pixels lie under the mouse; 0 = none.
int piece_under_mouse();
// The same for the pixel (x, y) instead of the one under the mouse.
int piece_at(int x, int y);
// Takes the topmost visible piece under the mouse into the hand.
void pick_up_piece();
// Moves piece k to the top of the drawing order.
void raise_piece(int k);
// Raises p, or its whole group in piece-number order.
void raise_group(int p);
// Lays p's group rigidly around p at p's rotation.
void place_group(int p);
// A quarter turn clockwise of p, its group turning with it about p.
void turn_piece(int p);
// Key M: piece 1 home and upright, its group with it.
void home_first_piece();

// ===========================================================================
// fit_search.cpp: the pieces that would fit a group
// ===========================================================================

// What the search found around one group: the neighbours not joined to it,
// those lying shown on the board and a count of those out of sight.
struct fit_search_type {
    std::vector<int> shown;           // visible unjoined neighbours, by piece number
    int in_box[BOX_TABLE_SIZE] = {};  // hidden ones put in box b (1..5) and still loose
    int filtered = 0;                 // other hidden ones: a visibility filter hides them
};

// The grid neighbours of p's group (p alone when it is loose) that are not
// members of it, each counted once. Reads the tables only.
fit_search_type find_fits(int p);
// The status line after a search; "" when every fitting piece is shown.
std::string fit_status_text(const fit_search_type& found);

// ===========================================================================
// fit_flash.cpp: key V on the board, flashing the pieces that fit
// ===========================================================================

// --- a moment of the board: the flash, drawn over it for a second ---
extern int fit_flash_start;        // clock_ms when the flash began
extern const int fit_flash_ms;     // how long it lasts, three blinks
extern const int fit_blink_ms;     // one blink: outline shown, then not
extern const int fit_blink_on_ms;  // the part of a blink the outline shows

// Key V: the pieces that fit the held group, or else the group at (x, y)
// (the pointer, picked pixel-exactly as a click would), flash; those
// hidden under other pieces are raised; the status line counts those out
// of sight, or says that nothing was found.
void find_fitting_pieces(int x, int y);
// Draws the outlines while the flash is in an on part of a blink; ends the
// flash once its time is up. The board screen calls it over the board.
void draw_fit_flash();
// Whether the outlines show `elapsed` milliseconds into the flash.
bool fit_flash_shows(int elapsed);
// The flash has not ended yet: the board must keep drawing frames.
bool fit_flash_running();
// Ends the flash and lets its outline images go.
void end_fit_flash();
// The pieces the running flash outlines, by piece number.
std::vector<int> fit_flash_pieces();

// ===========================================================================
// loupe.cpp: the magnifier over the board
// ===========================================================================

// --- kept for the run: off until the player asks for it ---
extern int loupe_zoom;  // 0: no loupe; else how many times it enlarges (2 or 3)

// The loupe's key: off, then 2x, then 3x, then off again.
void cycle_loupe();
// The side of the loupe's square on the current display, in pixels: a
// fixed share of its height, a whole number of pixels of the board at
// either enlargement.
int loupe_size();
// Draws the loupe about the pointer from the kept board: what lies under
// it, enlarged, in a frame. The board screen calls it over its kept board
// (only when that was kept this frame) and under the carried group.
void draw_loupe();

// ===========================================================================
// snapping.cpp: snapping and grouping
// ===========================================================================

// Same rotation, and p stands within snap_tolerance of its true offset from q.
bool pieces_fit(int p, int q);
// Joins every fitting, shown neighbour of the held piece (or of its group)
// into one fresh group, with a click per fit; the caller clears held_piece.
void drop_held_piece();
// Every member of a group that holds an edge piece becomes an edge piece.
void spread_edge_flags();

// ===========================================================================
// unrotate.cpp: the unrotate screen
// ===========================================================================

// --- a moment of the unrotate screen ---
extern int unrotate_phase;   // 1 start, 2 turning, 3 finish, 4 done
extern int unrotate_cursor;  // next piece to look at

// Key U: the unrotate screen from its first phase.
void start_unrotate();
// Per-frame operation of "unrotate".
void unrotate_screen_frame();
// Turns group g upright about the middle cell of its bounding box.
void unrotate_group(int g);
// unrotate_group for every group, in the order first met.
void unrotate_all_groups();

// ===========================================================================
// boxes.cpp: the box lists and the tray
// ===========================================================================

// The strip and the tray show each piece in a square cell of this side:
// a piece whose longer side is larger is drawn and picked scaled down to
// it (never up), so a row of 58 pixels holds it with a 2-pixel gap.
enum { BOX_CELL = 56 };
// The scale at which piece p is drawn and picked on the box screen, <= 1.
float box_piece_scale(int p);
// The side of the square p covers on the box screen, turned any way.
int box_piece_side(int p);

void next_box();      // 5 wraps to 1
void previous_box();  // 1 wraps to 5
// Lays every loose interior piece out in the tray, in random order.
void fill_tray();
// The five box lists and box_shown from the pieces' box fields.
void rebuild_boxes();
// Lays the tray out again for the current display size.
void relayout_tray();
// Drops grouped pieces from the current box's list.
void purge_grouped_from_box();
// Shows the loose pieces of the current box on the board.
void show_current_box();
// Entry i of the current box's list leaves it; the later entries move up.
void remove_box_entry(int i);
// Shuffles list[1..m] in place by m * 100 random swaps.
void shuffle_ints(int* list, int m);
// Strip entry i of the current box goes back into the tray (the first free
// slot with room for it, else appended); false when the tray has no room.
bool take_out_of_box(int i);
// Tray slot j's piece goes to the end of the current box's list; false
// when the slot is empty or the list is full.
bool put_into_box(int j);

// Key V on the box screen: the tray's pieces shared out among boxes 1..5
// by colour (share_out_by_colour), each put in as a click would put it;
// boxed pieces stay where they are and lend their box its colour. A piece
// whose box is full stays in the tray. Says what it did on the status
// line and returns how many pieces went into a box.
int sort_tray_by_colour();

// ===========================================================================
// colour_sort.cpp: grouping pieces by colour
// ===========================================================================

// The average colour of the pixmap's pixels with alpha of 128 or more;
// false (and black) when it has none.
bool average_opaque_colour(const TPixmap* pixmap, rgb_colour* out);
// Groups the colours into at most k (at most BOX_COUNT) groups by k-means
// in CIE Lab, seeded the same every time; labels[i] is colour i's group,
// 0 up, the groups numbered in hue order (reds, yellows, greens, blues,
// purples, then greys dark to light). Returns the number of groups.
int cluster_colours(const std::vector<rgb_colour>& colours, int k, std::vector<int>* labels);
// What sharing out by colour needs to know of a box.
struct box_sort_type {
    int room = 0;     // pieces it can still take
    int holds = 0;    // pieces it holds already
    rgb_colour mean;  // their average colour, when it holds any
};
// The box, 1..BOX_COUNT, of each colour; 0 when its box has no room left
// (colours taken in order). With every box empty, the groups of
// cluster_colours go to boxes 1 up. Boxes that hold pieces keep their
// colour: a colour near one joins it, and the colours far from all of
// them form new groups for the empty boxes, in hue order.
void share_out_by_colour(const std::vector<rgb_colour>& colours, const box_sort_type boxes[BOX_TABLE_SIZE],
                         std::vector<int>* out);

// ===========================================================================
// box_screen.cpp: the box screen
// ===========================================================================

// Per-frame operation of "box".
void box_screen_frame();
// The strip of the current box over the tray, the label and the counts.
void draw_box_screen();
// Puts a strip piece into the tray or a tray piece into the box; true on a hit.
bool box_screen_click();

// ===========================================================================
// tidy.cpp: tidying loose pieces
// ===========================================================================

// Key T: lays the visible loose pieces side by side in the region pointed at.
void tidy_pieces();

// ===========================================================================
// completion.cpp: completion and the flight animation
// ===========================================================================

// --- a moment of the "anim" screen ---
extern int anim_phase;          // 1 start, 2 flying, 3 finish, 4 done
extern int anim_next_tick;      // clock_ms at the start of the flight plus one tick
extern int anim_skipped;        // the flight was cut short by a left click
extern const int anim_tick_ms;  // 20 milliseconds
extern const int anim_steps;    // 200 steps in every flight

// Every piece shown, screen "anim", flight from phase 1.
void start_completion_animation();
// Per-frame operation of "anim" (the loop draws the board after it).
void completion_animation_frame();
// Every piece home, upright and in group 1.
void finish_completion_animation();
