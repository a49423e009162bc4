// Stand-ins: empty bodies for the operations and the globals of screens
// and flows that are not built yet, so that the main loop and its tests
// link. Later work replaces each one by moving it into its own file;
// delete the stand-in here in the same change. Each stand-in counts its
// calls, so tests can see that the loop reached it.
#include <vector>

#include "library/library.h"
#include "play/play.h"
#include "screens/screens.h"
#include "shell/shell.h"

// ===========================================================================
// Call counting
// ===========================================================================

struct stand_in_count {
    std::string name;
    int calls;
};
static std::vector<stand_in_count> stand_in_counts;  // one entry per stand-in called so far

static void note_call(const char* name) {
    for (stand_in_count& entry : stand_in_counts) {
        if (entry.name == name) {
            entry.calls++;
            return;
        }
    }
    stand_in_counts.push_back({name, 1});
}

int stand_in_calls(const std::string& name) {
    for (const stand_in_count& entry : stand_in_counts)
        if (entry.name == name) return entry.calls;
    return 0;
}

void reset_stand_in_calls() { stand_in_counts.clear(); }

// ===========================================================================
// Puzzle model (play/puzzle_model.cpp)
// ===========================================================================

// --- the tables, kept for the run ---
piece_type pieces[PIECE_TABLE_SIZE];                          // pieces by number
int draw_order[PIECE_TABLE_SIZE];                             // bottom to top
pce_type box_contents[BOX_TABLE_SIZE][PIECE_TABLE_SIZE];      // box lists
int box_count[BOX_TABLE_SIZE];                                // box list lengths
int box_shown[BOX_TABLE_SIZE];                                // box b shown on the board
pce_type tray[PIECE_TABLE_SIZE];                              // tray slots
piece_anim_type piece_anims[PIECE_TABLE_SIZE];                // flights

// --- reset for every jigsaw and every deal ---
int rows = 0, columns = 0, piece_count = 0;  // grid of the loaded jigsaw
int current_box = 1;                         // box on the box screen
int tray_count = 0;                          // tray slots in use
int tray_overflow = 0;                       // stacked in the tray's corner
int group_counter = 0;                       // last group number issued
int held_piece = 0;                          // piece in the hand; 0 = none
int grab_dx = 0, grab_dy = 0;                // grab offset, pixels
int snap_tolerance = 10;                     // pixels, exclusive
int show_grouped = 1, show_loose = 1;        // G and O toggles
tidy_type tidy_state;                        // last tidy's stack
int completion_seen = 1;                     // the opening jigsaw is no completion

// --- the reference picture and the colour swatch ---
TImage* picture = nullptr;                   // the jigsaw's thumbnail
int picture_x = 10, picture_y = 10;          // top-left corner
int picture_w = 0, picture_h = 0;            // size, pixels
int picture_shown = 0;                       // drawn over the board
int picture_dragging = 0;                    // follows the mouse
int picture_grab_dx = 0, picture_grab_dy = 0;  // grab offset, pixels
TImage* swatch_image = nullptr;              // background palette
TPixmap* swatch_pixmap = nullptr;            // the palette's pixels
int swatch_x = 10, swatch_y = 463;           // top-left corner
int swatch_shown = 0;                        // drawn over the board

void create_puzzle_tables() {
    note_call("create_puzzle_tables");
    pending_confirm = "";
}
void scatter_pieces() { note_call("scatter_pieces"); }
void reset_play_state() { note_call("reset_play_state"); }
bool puzzle_complete() {
    note_call("puzzle_complete");
    return false;
}

// ===========================================================================
// Board screen (play/board.cpp)
// ===========================================================================

void jigsaw_screen_frame() { note_call("jigsaw_screen_frame"); }
void draw_board() { note_call("draw_board"); }
void show_all_pieces() { note_call("show_all_pieces"); }
void hide_all_pieces() { note_call("hide_all_pieces"); }
void toggle_edge_pieces() { note_call("toggle_edge_pieces"); }
void apply_grouped_visibility() { note_call("apply_grouped_visibility"); }
void apply_loose_visibility() { note_call("apply_loose_visibility"); }
void apply_box_visibility() { note_call("apply_box_visibility"); }
void picture_click() { note_call("picture_click"); }
void swatch_click() { note_call("swatch_click"); }

// ===========================================================================
// Picking (play/picking.cpp)
// ===========================================================================

void pick_up_piece() { note_call("pick_up_piece"); }
void place_group(int p) {
    (void)p;
    note_call("place_group");
}
void home_first_piece() { note_call("home_first_piece"); }

// ===========================================================================
// Unrotate screen (play/unrotate.cpp)
// ===========================================================================

int unrotate_phase = 1;   // 1 start .. 4 done
int unrotate_cursor = 1;  // next piece to look at

void unrotate_screen_frame() { note_call("unrotate_screen_frame"); }

// ===========================================================================
// Box screen (play/box_screen.cpp)
// ===========================================================================

void box_screen_frame() { note_call("box_screen_frame"); }
bool box_screen_click() {
    note_call("box_screen_click");
    return false;
}
void next_box() { note_call("next_box"); }
void previous_box() { note_call("previous_box"); }
void fill_tray() { note_call("fill_tray"); }
void purge_grouped_from_box() { note_call("purge_grouped_from_box"); }
void show_current_box() { note_call("show_current_box"); }

// ===========================================================================
// Tidy (play/tidy.cpp)
// ===========================================================================

void tidy_pieces() { note_call("tidy_pieces"); }

// ===========================================================================
// Completion animation (play/completion.cpp)
// ===========================================================================

int anim_phase = 1;    // 1 start .. 4 done
int anim_skipped = 0;  // cut short by a click

void start_completion_animation() { note_call("start_completion_animation"); }
void completion_animation_frame() { note_call("completion_animation_frame"); }

// ===========================================================================
// Title and celebration (shell/title.cpp)
// ===========================================================================

void title_step() { note_call("title_step"); }
void load_default_jigsaw() { note_call("load_default_jigsaw"); }
void celebrate(const std::string& text) {
    (void)text;
    note_call("celebrate");
}
int flash_letter(int letter, int x, int y) {
    (void)letter;
    (void)x;
    (void)y;
    note_call("flash_letter");
    return 0;
}

// ===========================================================================
// Loading and saving (library/jigsaw_storage.cpp)
// ===========================================================================

std::string jigsaw_name;  // current jigsaw; "" = none yet
std::string jigsaw_dir;   // its folder

void load_jigsaw(const std::string& name) {
    (void)name;
    note_call("load_jigsaw");
}
void load_saved_game() { note_call("load_saved_game"); }
bool save_game() {
    note_call("save_game");
    return false;
}
void save_command() { note_call("save_command"); }
void start_jigsaw(const std::string& name) {
    (void)name;
    note_call("start_jigsaw");
}

// ===========================================================================
// Thumbnail browsers (library/browser.cpp)
// ===========================================================================

TList<tn3_type>* jigsaw_list = new_list<tn3_type>();  // the library
int jigsaw_page = 0;                                   // 0 = read again
int jigsaw_count = 0;                                  // entries
TList<tn3_type>* saved_list = new_list<tn3_type>();   // the saved games
int saved_page = 0;                                    // 0 = read again
int saved_count = 0;                                   // entries

void previous_page() { note_call("previous_page"); }
void next_page() { note_call("next_page"); }

// ===========================================================================
// Flows (library/flows.cpp)
// ===========================================================================

void new_screen_frame() { note_call("new_screen_frame"); }
void load_screen_frame() { note_call("load_screen_frame"); }
void delete_screen_frame() { note_call("delete_screen_frame"); }
void mark_page(int flag) {
    (void)flag;
    note_call("mark_page");
}
void kill_marked_jigsaws() { note_call("kill_marked_jigsaws"); }
void restart_jigsaw() { note_call("restart_jigsaw"); }
void quick_pick() { note_call("quick_pick"); }
void do_new() { note_call("do_new"); }

// ===========================================================================
// Help and preferences screens (screens/help_screen.cpp, prefer_screen.cpp)
// ===========================================================================

int prefer_state = -1;          // -1 = not being edited
int staged_large_display = 0;   // row 2
int staged_sound = 0;           // row 3
int staged_windowed = 0;        // row 4
int staged_help_prompt = 0;     // row 5

void help_screen_frame() { note_call("help_screen_frame"); }
void help_zoom_intro() { note_call("help_zoom_intro"); }
void prefer_screen_frame() { note_call("prefer_screen_frame"); }
