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
extern std::string version;            // "3.3" once the start-up has run
extern std::string app_title;          // "Tessellon v" + version; the window caption
extern int large_display;              // 1 = 1024x768, 0 = 800x600
extern int windowed;                   // 1 = a window, 0 = full screen
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

// Runs the start-up sequence up to the main loop (media_start must have run).
void start_up();
// Opens the display of that size by the mode rule. 1 when it opened.
int open_display(int width, int height);
// Opens the display again at the current size and kind.
void reopen_display();
// Key F: the other size; the browsers go back to their first pages.
void toggle_display_size();
// Key W: window or full screen.
void toggle_windowed();
// The mode rule's choice among the listed modes: the depth (32, else 16)
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
