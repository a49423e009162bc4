// The help and preferences screens: the help pages whose command lines can
// be clicked, the zoom-in of the first help page, and the preferences
// page with its staged yes/no rows. The main loop calls their per-frame
// operations while their screen state is current.
#pragma once

#include <string>

#include "media/draw/draw.h"
#include "media/system/system.h"

// ===========================================================================
// help_screen.cpp: the help pages
// ===========================================================================

// Per-frame operation of "help": the page over its screen, the item under
// the mouse, and the item hit by a pending click.
void help_screen_frame();
// The zoom-in of the first help page after the opening animation.
void help_zoom_intro();

// ===========================================================================
// prefer_screen.cpp: the preferences screen
// ===========================================================================

// --- staged edits of the preferences screen ---
extern int prefer_state;          // row 1's staged value; -1 = not being edited
extern int staged_large_display;  // row 2
extern int staged_sound;          // row 3
extern int staged_windowed;       // row 4
extern int staged_help_prompt;    // row 5
extern int staged_save_on_leave;  // row 8
extern int staged_keep_resolution;  // row 9

// The preferences screen as staged, drawn without acting on a click.
void draw_prefer_screen();
// Per-frame operation of "prefer".
void prefer_screen_frame();
// One row's pair at (x, y) and (x + gap, y): the bright button marks the
// value (yes for non-zero), the other one is grey.
void draw_yes_no(int x, int y, int gap, int value);
