// What every screen shares, below the play model: the current screen, the
// open question, the status line, the mouse and the pending clicks; the
// display size and the images and fonts loaded at start-up; the
// preference values; message boxes, text and hit-test helpers; the sound
// cues; and the hooks through which a lower folder asks the shell to act.
// play/, library/, screens/ and shell/ build on this; it builds on media/.
#pragma once

#include <string>

#include "media/draw/draw.h"
#include "media/system/system.h"

// ===========================================================================
// shared_state.cpp: the state every screen reads and sets
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

// --- moments of interaction, kept for the run ---
extern std::string screen_state;     // the current screen, one of SCREEN_*
extern std::string previous_screen;  // the screen that help returns to
extern std::string pending_confirm;  // the open question, one of ASK_*; "" = none
extern std::string status_message;   // the status line; "" = none
extern int help_prompt_active;       // the title's "press H" prompt is showing
extern int mouse_x, mouse_y;         // pixels, sampled once per iteration after the flip
extern int click_x, click_y;         // mouse where help was opened; click_x -1 before a tidy
extern int click_pending;            // a left click not yet consumed
extern int right_click_pending;      // a right click on the board or the box screen

// --- the display and the shared images and fonts, kept for the run ---
// The shell's start-up sets them; help_images are loaded on first use.
extern int large_display;        // 1 = 1024x768, 0 = 800x600
extern std::string base_dir;     // prefix of images/, fonts/, sounds/; stays empty
extern TImage* white_image;      // "images/white.bmp"; the pixel test under the mouse samples one pixel
extern TImage* box_image;        // box-screen strip frame, 800x600
extern TImage* boxf_image;       // box-screen strip frame, 1024x768
extern TImage* jigsaw_image;     // box screen's button back to the board
extern TImage* arrow_images[5];  // page arrows 1..4; 0 unused
extern TImage* help_images[5];   // the help pages
extern TImageFont* font_large;   // Tahoma 22, message boxes and numbers
extern TImageFont* font_small;   // Tahoma 14, the "press any key" message

// --- read from prefer.txt and refresh.txt (library/preferences.cpp) ---
extern int pref_click_help;                              // an unused click opens help
extern int pref_large_display;                           // start in 1024x768
extern int pref_sound;                                   // sound effects and music
extern int pref_windowed;                                // start in a window
extern int pref_help_prompt;                             // "press H at any time for Help" after the title
extern int pref_save_message;                            // "jigsaw saved" after S
extern int pref_custom_colour;                           // the player's own background colour
extern int pref_save_on_leave;                           // save the game before leaving it or replacing it
extern int pref_keep_resolution;                         // full screen scales the board instead of switching mode
extern int bg_red, bg_green, bg_blue;                    // background colour of the board, 0..255
extern int saved_bg_red, saved_bg_green, saved_bg_blue;  // as last read or written
extern int forced_refresh_rate;                          // from refresh.txt; 0 = choose from the mode list

// --- hooks the shell installs at start-up (install_shell_hooks); Null before ---
// A folder below the shell calls these when the shell must act: they keep
// the display, the screen table and the shell's own moments of interaction
// the shell's to change. A Null hook does nothing.
extern void (*display_size_hook)();  // the other display size, as key F
// Draws what a screen shows without acting on anything, as under help;
// false when it has no such drawing.
extern bool (*backdrop_hook)(const std::string& state);
// The help page of a screen (HELP_LAYOUTS, screens/ui_geometry.h); -1 for none.
extern int (*help_page_hook)(const std::string& state);
// Runs the command of the help line with that letter over previous_screen.
extern void (*help_line_hook)(char letter);
// The game on the board was replaced from below (a kill): the shell lets
// go of everything its moments of interaction held for the old game.
extern void (*game_replaced_hook)();

// ===========================================================================
// messages.cpp: message boxes, the status line and the display info
// ===========================================================================

// A framed box centred across at height y (0 = the middle); text "" =
// status_message, wrapped to the screen's width. Alpha 1.0 gives a navy inside, any other a cyan one.
void show_message(const std::string& text, int y, float alpha);
// The translucent box in both display buffers, for a long operation.
void show_message_held(const std::string& text);
// A full-screen text + " - press any key" on black, wrapped to the
// screen's width; waits for a key.
// Before any display is open it cannot be seen or answered: the text then
// goes to stderr at once and is held for show_held_messages.
void message_and_wait(const std::string& text);
// Shows the messages held before the display opened, one wait each, and
// forgets them. The start-up calls it once its display and fonts are there.
void show_held_messages();
// The text's lines no wider than width pixels in the current font: broken
// at spaces, a word wider than a line cut where the line is full. At least
// one line; every line holds at least one character of a longer word.
std::vector<std::string> wrap_text(const std::string& text, int width);
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
void draw_text_shadowed(const std::string& text, int x, int y, int centre_x, int centre_y, int shadow);
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
// The top-left 800x600 of the back buffer, scaled when scale < 1, as a PNG;
// true when the file was written (else an old file at path is untouched).
bool grab_screen_thumbnail(const std::string& path, float scale, int w, int h);
// Its two halves: the grab, a pixmap of the caller's (Null when none could
// be made), and the writing, which needs no display and touches no global,
// so that another thread may run it.
TPixmap* grab_screen_pixels();
bool save_thumbnail_pixels(const TPixmap* pixels, const std::string& path, float scale, int w, int h);

// ===========================================================================
// sound_cues.cpp: the two effects and the music
// ===========================================================================

// --- loaded on first use and kept for the run ---
extern TSound* click_sound;      // "sounds/click.wav"
extern TSound* magic_sound;      // "sounds/magic.wav"
extern TSound* music_sound;      // "sounds/music.ogg"
extern TChannel* music_channel;  // the channel the music was last started on
extern float music_volume;       // 0..1, given at every start (1.0)

void play_click();   // a piece joined; effects overlap freely
void play_magic();   // the game was saved
void start_music();  // unless it is playing already
void stop_music();   // if it is playing
