// The state every screen shares, defined once: the moments of interaction
// of the loop, the display size with the images and fonts that the
// shell's start-up loads, the preference values that library/preferences.cpp
// reads and writes, and the hooks the shell installs. Nothing here acts;
// the operations live with the folders that own the work.
#include "ui/ui.h"

// --- moments of interaction, kept for the run ---
std::string screen_state = SCREEN_TITLE;  // the current screen
std::string previous_screen;              // where help returns to
std::string pending_confirm;              // the open question; "" = none
std::string status_message;               // the status line; "" = none
int help_prompt_active = 0;               // the title's help prompt shows
int mouse_x = 0, mouse_y = 0;             // pixels, sampled after the flip
int click_x = -1, click_y = 0;            // mouse where help was opened
int click_pending = 0;                    // an unconsumed left click
int right_click_pending = 0;              // an unconsumed right click

// --- the display and the shared images and fonts, kept for the run ---
int large_display = 0;             // 1 = 1024x768, 0 = 800x600
std::string base_dir;              // prefix of the resource folders; stays empty
TImage* white_image = nullptr;     // loaded at start-up; picking tests the pointer's pixel itself
TImage* box_image = nullptr;       // box strip frame, small display
TImage* boxf_image = nullptr;      // box strip frame, large display
TImage* jigsaw_image = nullptr;    // box screen's way back to the board
TImage* arrow_images[5] = {};      // page arrows 1..4
TImage* help_images[5] = {};       // help pages, loaded on first use
TImageFont* font_large = nullptr;  // Tahoma 22
TImageFont* font_small = nullptr;  // Tahoma 14

// --- read from prefer.txt and refresh.txt ---
int pref_click_help = 0;                                      // an unused click opens help
int pref_large_display = 0;                                   // start in 1024x768
int pref_sound = 1;                                           // sound effects and music
int pref_windowed = 0;                                        // start in a window
int pref_help_prompt = 1;                                     // show the help prompt after the title
int pref_save_message = 1;                                    // show "jigsaw saved" after S
int pref_custom_colour = 0;                                   // lines 8..10 hold the player's own colour
int pref_save_on_leave = 0;                                   // the line after the colour (or line 8 without it)
int pref_keep_resolution = 0;                                 // the line after save on leave
int bg_red = 0, bg_green = 0, bg_blue = 0;                    // board background, 0..255
int saved_bg_red = 0, saved_bg_green = 0, saved_bg_blue = 0;  // as last read or written
int forced_refresh_rate = 0;                                  // 0 = choose from the mode list

// --- hooks the shell installs at start-up; Null before ---
void (*display_size_hook)() = nullptr;                      // key F's switch
bool (*backdrop_hook)(const std::string& state) = nullptr;  // a screen drawn without acting
int (*help_page_hook)(const std::string& state) = nullptr;  // a screen's help page
void (*help_line_hook)(char letter) = nullptr;              // a help line's command
void (*game_replaced_hook)() = nullptr;                     // the shell forgets the old game
