// The application shell, the top of the folders: start-up and display
// setup, the main loop with its key dispatch, the questions, the title and
// the celebration. It calls into every folder below it; they reach it only
// through the hooks it installs (ui/ui.h). The state, helpers, sound cues
// and preference values that the lower folders share are in ui/.
#pragma once

#include <string>

#include "library/library.h"
#include "play/play.h"
#include "screens/screens.h"
#include "ui/ui.h"

// ===========================================================================
// startup.cpp: start-up and display setup
// ===========================================================================

// --- kept for the run ---
extern std::string version;    // the project's version once the start-up has run
extern std::string app_title;  // "Tessellon v" + version; the window caption
extern int windowed;           // 1 = the player chose a window, 0 = full screen
extern int window_stands_in;   // 1 = full screen was refused, a window shows instead

// --- the shell's own images, loaded at start-up and kept ---
// (The images and fonts that lower folders draw with are in ui/ui.h.)
extern TImage* pointer_image;     // the game's own mouse pointer
extern TImage* exit_image;        // "leave the game?" box
extern TImage* reload_image;      // "restart this jigsaw?" box
extern TImage* quick_pick_image;  // "quick pick a jigsaw?" box
extern TImage* do_new_image;      // "start the next new jigsaw?" box
extern TTimer* frame_timer;       // 50 Hz; its ticks wake the main loop

// Runs the start-up sequence up to the main loop (media_start must have
// run). False when no display at all could be opened.
bool start_up();
// Opens the display of that size: full screen in the mode that
// choose_display_mode picks, or a window. 1 when it opened.
int open_display(int width, int height);
// Opens the display again at the current size and kind.
void reopen_display();
// Key F: the other size; the browsers go back to their first pages.
void toggle_display_size();
// Key W: window or full screen.
void toggle_windowed();
// The full-screen mode chosen among the listed modes: the depth (32, else 16)
// and the highest refresh rate of exactly width x height; depth 32 at
// 60 Hz when none lists a rate.
void choose_display_mode(const std::vector<TGraphicsMode>& modes, int width, int height, int* depth, int* hertz);

// ===========================================================================
// main_loop.cpp: the main loop, the screen states and the key dispatch
// ===========================================================================

// Shown by key X after the application title and " from ".
constexpr const char* PUBLISHER_ADDRESS = "https://tessellon.example.org";

// --- the shell's moments of interaction, kept for the run ---
// (screen_state, the question, the mouse and the pending clicks: ui/ui.h)
extern int pointer_visible;  // the game's own pointer is drawn
extern int ctrl_down;        // a Control key is held
extern int intro_pending;    // the running "anim" is the opening animation
extern int key7_count;       // consecutive presses of 7

// --- the frame on the screen, kept for the run ---
extern int frame_skipping;  // 1: still screens skip frames identical to the shown one; 0: every frame drawn

// Runs iterations until the program ends, by the player or by SIGTERM or
// SIGHUP seen between two of them; never returns.
[[noreturn]] void main_loop();
// One iteration: the frame, the flip, one event and its dispatch. On a
// still screen the frame and its flip are skipped when nothing it is drawn
// from changed since the frame on the screen.
void main_loop_iteration();
// Says that what a still screen shows has changed without input (a timer
// of its own, a file that appeared), so the next iteration draws.
void mark_frame_stale();
// Lets go of everything a game in progress holds in the loop: the held
// piece and its group, the dragged picture, pending clicks, the open
// question, the box screen's tray, an opening flight left unfinished.
void forget_interaction();
// Ends an opening flight that was left unfinished: the pointer shows and a
// later flight is a completion's. Nothing when no opening is running.
void end_opening();

// ===========================================================================
// autosave.cpp: saving while playing
// ===========================================================================

enum {
    AUTOSAVE_IDLE_TICKS = 5 * 50,  // frame-timer ticks without input before a background save
    AUTOSAVE_GAP_TICKS = 60 * 50,  // frame-timer ticks from one background save to the next
};

// --- the background save's clock, kept for the run (reset_autosave) ---
extern int autosave_now;         // ticks: the data of the latest frame-timer tick
extern int autosave_input_tick;  // ticks: autosave_now when the latest input came
extern int autosave_last_tick;   // ticks: autosave_now at the latest background save
extern int autosave_done;        // 1 once a background save ran this run
extern int autosave_input_seen;  // input came since the latest check found nothing to save

// Any event but a tick: the player is not idle.
void autosave_input();
// A frame-timer tick, `ticks` its count so far: with the preference on,
// the game changed since its saved game was written or read, the player
// idle AUTOSAVE_IDLE_TICKS and the board at rest, it is saved as S saves
// it but silently (no message, cue or status line, a failure unshown), at
// most once every AUTOSAVE_GAP_TICKS. True when it saved.
bool autosave_tick(int ticks);
// The clock back to the start of a run: no save yet, input just seen.
void reset_autosave();

// ===========================================================================
// screen_table.cpp: what each screen is
// ===========================================================================

// One screen state and everything the game asks about it.
struct screen_type {
    const char* state;   // the screen_state value, one of SCREEN_*
    void (*frame)();     // per-frame operation: draws, then acts on pending clicks
    int still;           // 1: its frame changes with input alone, so identical frames
                         // are skipped; 0: drawn every iteration
    void (*backdrop)();  // draws what it shows without acting, under help; nullptr: nothing
    int help_page;       // its page of HELP_LAYOUTS (screens/ui_geometry.h), or NO_HELP_PAGE
    int help_key;        // 1: H opens help over it
    void (*escape)();    // what Escape does here once it has asked to leave; nullptr:
                         // the question stays
    int right_clicks;    // 1: the right button (or Control + click) turns pieces here
    void (*click)();     // takes the click that closed help over it; nullptr: none
    int thumbnails;      // 1: a browser; its thumbnails stay loaded while it shows
};

// The row of a screen state; nullptr for a state without one, which runs nothing.
const screen_type* find_screen(const std::string& state);
// Draws what that screen shows without acting on anything; false when its
// row has no such drawing or there is no row.
bool draw_screen_backdrop(const std::string& state);
// That screen's help page, or NO_HELP_PAGE.
int screen_help_page(const std::string& state);
// The screen whose keys and thumbnails count now: the one under help while
// help shows, else the current one.
const std::string& key_screen();

// ===========================================================================
// commands.cpp: the command table, run by keys and help lines
// ===========================================================================

// A key pressed: the status line and the help prompt go, the key's global
// rows run, then its rows of key_screen() as they left it; then the 7
// count, the open question and an opening flight left behind are settled.
void dispatch_key(int key);
// A click on the line of that letter of the help page over previous_screen:
// the page's own row for the letter's key, else the global one.
void run_help_line(char letter);

// ===========================================================================
// pointer_keys.cpp: the keypad as the mouse
// ===========================================================================

// Takes a key event (513, 514, 516) of the keypad's pointer keys: 1-4 and
// 6-9 step the pointer that way (2 pixels a press, 8 a repeat, four times
// that with the keypad's + held; clamped to the display), 5 and 0 press
// and release the left button, the decimal point the right one. True when
// the event was one of those keys; it then runs nothing else.
bool pointer_key_event(int id, int key);

// ===========================================================================
// questions.cpp: the yes/no questions
// ===========================================================================

// Draws the box of the open question centred, with its shadow.
void draw_confirm_box();
// A pending click answers the open question: yes inside its yes rectangle.
void confirm_click();
// After a key: drops every question whose own key it is not.
void cancel_confirmation(int key);
// Asks the question of that letter, or withdraws it when it is the open
// one; asking lets go of a held piece.
void toggle_question(const char* letter);
// Key Y: yes to the open question, unless it is the exit question.
void answer_yes();

// ===========================================================================
// title.cpp: the title
// ===========================================================================

// Per-frame operation of "title": the opening jigsaw and its animation.
void title_step();

// ===========================================================================
// celebration.cpp: the completion celebration
// ===========================================================================

// The blocking letter-by-letter celebration over the tinted board.
void celebrate(const std::string& text);
// Reveals one character centred at x, y with a flash; returns its width.
int flash_letter(int letter, int x, int y);

// ===========================================================================
// shell_hooks.cpp: the hooks lower folders call
// ===========================================================================

// Installs the shell's operations into the hooks of ui/ui.h. The start-up
// calls it first; a test that drives lower folders into the shell's work
// (a saved game of the other size, a kill, help over a screen) calls it too.
void install_shell_hooks();
