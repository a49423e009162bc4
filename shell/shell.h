// The application shell: start-up and display setup, the main loop with
// its screen states and key dispatch, questions, text and message helpers,
// sound cues, the preferences file, the title and the celebration.
// Other subsystems call the helpers declared here and share its globals.
#pragma once

#include <string>

#include "media/draw/draw.h"
#include "media/system/system.h"

// ===========================================================================
// startup.cpp: start-up and display setup
// ===========================================================================

// --- kept for the run ---
extern std::string version;            // the project's version once the start-up has run
extern std::string app_title;          // "Tessellon v" + version; the window caption
extern int large_display;              // 1 = 1024x768, 0 = 800x600
extern int windowed;                   // 1 = the player chose a window, 0 = full screen
extern int window_stands_in;           // 1 = full screen was refused, a window shows instead
extern std::string base_dir;           // prefix of images/, fonts/, sounds/; stays empty

// --- shared images and fonts, loaded at start-up and kept ---
extern TImage* pointer_image;          // the game's own mouse pointer
extern TImage* help_images[5];         // the help pages, loaded on first use
extern TImage* white_image;            // probe of the pixel test under the mouse
extern TImage* exit_image;             // "leave the game?" box
extern TImage* box_image;              // box-screen strip frame, 800x600
extern TImage* boxf_image;             // box-screen strip frame, 1024x768
extern TImage* reload_image;           // "restart this jigsaw?" box
extern TImage* jigsaw_image;           // box screen's button back to the board
extern TImage* quick_pick_image;       // "quick pick a jigsaw?" box
extern TImage* do_new_image;           // "start the next new jigsaw?" box
extern TImage* arrow_images[5];        // page arrows 1..4; 0 unused
extern TImageFont* font_large;         // Tahoma 22, message boxes and numbers
extern TImageFont* font_small;         // Tahoma 14, the "press any key" message
extern TTimer* frame_timer;            // 50 Hz; its ticks wake the main loop

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
void choose_display_mode(const std::vector<TGraphicsMode>& modes, int width, int height,
                         int* depth, int* hertz);

// ===========================================================================
// preferences.cpp: the preferences file
// ===========================================================================

// --- read from prefer.txt and refresh.txt ---
extern int pref_click_help;            // an unused click opens help
extern int pref_large_display;         // start in 1024x768
extern int pref_sound;                 // sound effects and music
extern int pref_windowed;              // start in a window
extern int pref_help_prompt;           // "press H at any time for Help" after the title
extern int pref_save_message;          // "jigsaw saved" after S
extern int pref_custom_colour;         // the player's own background colour
extern int bg_red, bg_green, bg_blue;  // background colour of the board, 0..255
extern int saved_bg_red, saved_bg_green, saved_bg_blue;  // as last read or written
extern int forced_refresh_rate;        // from refresh.txt; 0 = choose from the mode list

// Reads refresh.txt and prefer.txt from the player's folder.
void read_preferences();
// Writes prefer.txt; tells the player when it cannot.
void write_preferences();

// ===========================================================================
// main_loop.cpp: the main loop and its globals
// ===========================================================================

// The screen states, each spelled once.
constexpr const char* SCREEN_TITLE = "title";
constexpr const char* SCREEN_ANIM = "anim";
constexpr const char* SCREEN_JIGSAW = "jigsaw";
constexpr const char* SCREEN_BOX = "box";
constexpr const char* SCREEN_NEW = "new1";
constexpr const char* SCREEN_LOAD = "load1";
constexpr const char* SCREEN_DELETE = "delete1";
constexpr const char* SCREEN_HELP = "help";
constexpr const char* SCREEN_UNROTATE = "unrotate";
constexpr const char* SCREEN_PREFER = "prefer";

// The yes/no questions, by their letter in pending_confirm.
constexpr const char* ASK_EXIT = "X";
constexpr const char* ASK_DO_NEW = "D";
constexpr const char* ASK_QUICK_PICK = "Q";
constexpr const char* ASK_RESTART = "R";

// Shown by key X after the application title and " from ".
constexpr const char* PUBLISHER_ADDRESS = "https://tessellon.example.org";

// --- moments of interaction, kept for the run ---
extern std::string screen_state;     // the current screen, one of SCREEN_*
extern std::string previous_screen;  // the screen that help returns to
extern std::string pending_confirm;  // the open question, one of ASK_*; "" = none
extern std::string status_message;   // the status line; "" = none
extern int help_prompt_active;       // the title's "press H" prompt is showing
extern int pointer_visible;          // the game's own pointer is drawn
extern int mouse_x, mouse_y;         // pixels, sampled once per iteration after the flip
extern int click_x, click_y;         // mouse where help was opened; click_x -1 before a tidy
extern int click_pending;            // a left click not yet consumed
extern int right_click_pending;      // a right click on the board or the box screen
extern int ctrl_down;                // a Control key is held
extern int intro_pending;            // the running "anim" is the opening animation
extern int key7_count;               // consecutive presses of 7

// --- the frame on the screen, kept for the run ---
extern int frame_skipping;           // 1: still screens skip frames identical to the shown one; 0: every frame drawn

// Runs iterations until the program ends; never returns.
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
// screen_table.cpp: what each screen is
// ===========================================================================

// One screen state and everything the game asks about it.
struct screen_type {
    const char* state;     // the screen_state value, one of SCREEN_*
    void (*frame)();       // per-frame operation: draws, then acts on pending clicks
    int still;             // 1: its frame changes with input alone, so identical frames
                           // are skipped; 0: drawn every iteration
    void (*backdrop)();    // draws what it shows without acting, under help; nullptr: nothing
    int help_page;         // its page of HELP_LAYOUTS (screens/ui_geometry.h), or NO_HELP_PAGE
    int help_key;          // 1: H opens help over it
    void (*escape)();      // what Escape does here once it has asked to leave; nullptr:
                           // the question stays
    int right_clicks;      // 1: the right button (or Control + click) turns pieces here
    void (*click)();       // takes the click that closed help over it; nullptr: none
    int thumbnails;        // 1: a browser; its thumbnails stay loaded while it shows
};

// The row of a screen state; nullptr for a state without one, which runs nothing.
const screen_type* find_screen(const std::string& state);
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
// messages.cpp: message boxes, the status line and the display info
// ===========================================================================

// A framed box centred across at height y (0 = the middle); text "" =
// status_message. Alpha 1.0 gives a navy inside, any other a cyan one.
void show_message(const std::string& text, int y, float alpha);
// The translucent box in both display buffers, for a long operation.
void show_message_held(const std::string& text);
// A full-screen text + " - press any key" on black; waits for a key.
void message_and_wait(const std::string& text);
// Key F2: the display's size, depth and refresh rate on the status line.
void show_display_info();
// The title's "press H at any time for Help" while it is active.
void draw_help_prompt();

// ===========================================================================
// draw_helpers.cpp: text, centred images, frames, hit tests, thumbnails
// ===========================================================================

// Text in the current font and colour; centre_x, centre_y flags centre it on x, y.
void draw_text_at(const std::string& text, int x, int y, int centre_x, int centre_y);
// The same with alpha blending and, when shadow is set, a dark shadow 2 pixels off.
void draw_text_shadowed(const std::string& text, int x, int y, int centre_x, int centre_y,
                        int shadow);
// The image centred on the display; with shadow a soft black copy 7 pixels off.
void draw_centred_image(TImage* image, int shadow);
// 1 when the live mouse lies in the rectangle, ends included.
int mouse_in_rect(int x1, int y1, int x2, int y2);
// mouse_in_rect of a rectangle given relative to the image drawn centred.
int mouse_in_centred_image(TImage* image, int x1, int y1, int x2, int y2);
// 1 when the remembered click (click_x, click_y) lies in the rectangle.
int click_in_rect(int x1, int y1, int x2, int y2);
// n in white with a black outline, centred on x, y, in font_large.
void draw_outlined_number(int n, int x, int y);
// A frame of thickness t inside the rectangle, in the current colour.
void draw_thick_frame(int x, int y, int w, int h, int t);
// The top-left 800x600 of the back buffer, scaled when scale < 1, as a PNG.
void grab_screen_thumbnail(const std::string& path, float scale, int w, int h);

// ===========================================================================
// sound_cues.cpp: the two effects and the music
// ===========================================================================

// --- loaded on first use and kept for the run ---
extern TSound* click_sound;          // "sounds/click.wav"
extern TSound* magic_sound;          // "sounds/magic.wav"
extern TSound* music_sound;          // "sounds/music.ogg"
extern TChannel* music_channel;      // the channel the music was last started on
extern float music_volume;           // 0..1, given at every start (1.0)

void play_click();   // a piece joined; effects overlap freely
void play_magic();   // the game was saved
void start_music();  // unless it is playing already
void stop_music();   // if it is playing

// ===========================================================================
// title.cpp: the title
// ===========================================================================

// Per-frame operation of "title": the opening jigsaw and its animation.
void title_step();
// Loads and deals the reserved opening jigsaw.
void load_default_jigsaw();

// ===========================================================================
// celebration.cpp: the completion celebration
// ===========================================================================

// The blocking letter-by-letter celebration over the tinted board.
void celebrate(const std::string& text);
// Reveals one character centred at x, y with a flash; returns its width.
int flash_letter(int letter, int x, int y);
