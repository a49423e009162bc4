// The screen table: one row per screen state saying everything the rest of
// the game asks about a screen (its per-frame operation, whether it may skip
// frames, how help draws it, its help page, whether H opens help there,
// what Escape does there, whether it takes right clicks, what a click
// passed on to it does, whether it keeps browser thumbnails). Adding a
// screen is adding a row here; nothing else lists the screens.
#include "library/library.h"
#include "play/play.h"
#include "screens/screens.h"
#include "screens/ui_geometry.h"
#include "shell/shell.h"

// The jigsaw whose completion is celebrated, and the words shown then.
static const char* const celebrated_jigsaw = "4975red_mixer";
static const char* const celebration_text = "You have just completed Tessellon number 1000!";

// ===========================================================================
// Per-frame operations the shell adds to the screens' own
// ===========================================================================

// After the flight: the opening ends on the board (or on help), a
// completed jigsaw on the board, after the celebration when it is the one.
static void end_animation() {
    if (intro_pending) {
        if (anim_skipped) {
            screen_state = SCREEN_JIGSAW;
        } else if (pref_click_help) {
            if (!large_display) help_zoom_intro();
            previous_screen = SCREEN_JIGSAW;
            screen_state = SCREEN_HELP;
        } else {
            screen_state = SCREEN_JIGSAW;
        }
        intro_pending = 0;
        pointer_visible = 1;
    } else {
        if (jigsaw_name == celebrated_jigsaw) celebrate(celebration_text);
        screen_state = SCREEN_JIGSAW;
    }
}

static void anim_frame() {
    completion_animation_frame();
    draw_board();
    if (anim_phase == 4) end_animation();
}

static void unrotate_frame() {
    unrotate_screen_frame();
    draw_board();
    if (unrotate_phase == 4) screen_state = SCREEN_JIGSAW;
}

// The board is still but while pieces flash: their blinks need frames.
static void board_frame() {
    jigsaw_screen_frame();
    if (fit_flash_running()) mark_frame_stale();
}

// ===========================================================================
// Backdrops: a screen drawn under the help, without acting on anything
// ===========================================================================

static void board_backdrop() {
    draw_board();
    if (swatch_shown) draw_image(swatch_image, swatch_x, swatch_y, 0);
    if (picture_shown) draw_image(picture, picture_x, picture_y, 0);
}

static void box_backdrop() {
    draw_box_screen();
    if (picture_shown) draw_image(picture, picture_x, picture_y, 0);
}

static void new_backdrop() { draw_jigsaw_page(SCREEN_NEW); }
static void kill_backdrop() { draw_jigsaw_page(SCREEN_DELETE); }

// ===========================================================================
// Escape, once it has asked to leave the game
// ===========================================================================

// Back to the board without the question.
static void escape_to_board() {
    screen_state = SCREEN_JIGSAW;
    pending_confirm = "";
}

static void escape_from_box() {
    escape_to_board();
    show_current_box();
}

// Help over the board keeps the question over the page; over any other
// screen Escape goes to the board.
static void escape_from_help() {
    if (previous_screen != SCREEN_JIGSAW) escape_to_board();
}

static void escape_from_prefer() {
    prefer_state = -1;  // drops the unsaved edits
    escape_to_board();
}

// ===========================================================================
// Clicks passed on when help closes over a screen
// ===========================================================================

static void board_click() {
    swatch_click();
    if (click_pending) picture_click();
    if (click_pending) pick_up_piece();
}

static void box_click() { box_screen_click(); }

// ===========================================================================
// The table
// ===========================================================================

// still: a screen whose row leaves it at 0 is drawn every iteration, ticks
// included: that is right for anything that moves with time. A still
// screen (1) promises that its frame depends only on the game's state,
// which changes with input (keys, buttons, pointer motion) and with what
// that input sets off; frames after a plain tick that would repeat the one
// shown are skipped.
static const screen_type screens[] = {
    // state, frame, still, backdrop, help page, H opens help, Escape, right clicks, click, thumbnails
    {SCREEN_TITLE, title_step, 0, draw_board, NO_HELP_PAGE, 0, nullptr, 0, nullptr, 0},
    {SCREEN_ANIM, anim_frame, 0, draw_board, NO_HELP_PAGE, 0, nullptr, 0, nullptr, 0},
    {SCREEN_JIGSAW, board_frame, 1, board_backdrop, HELP_PAGE_BOARD, 1, nullptr, 1, board_click, 0},
    {SCREEN_BOX, box_screen_frame, 1, box_backdrop, HELP_PAGE_BOX, 1, escape_from_box, 1, box_click, 0},
    {SCREEN_NEW, new_screen_frame, 1, new_backdrop, HELP_PAGE_NEW, 1, escape_to_board, 0, nullptr, 1},
    {SCREEN_DELETE, delete_screen_frame, 1, kill_backdrop, HELP_PAGE_KILL, 1, escape_to_board, 0, nullptr, 1},
    {SCREEN_LOAD, load_screen_frame, 1, draw_saved_page, HELP_PAGE_SAVED, 1, escape_to_board, 0, nullptr, 1},
    {SCREEN_HELP, help_screen_frame, 1, nullptr, NO_HELP_PAGE, 0, escape_from_help, 0, nullptr, 0},
    {SCREEN_UNROTATE, unrotate_frame, 0, draw_board, NO_HELP_PAGE, 0, nullptr, 0, nullptr, 0},
    {SCREEN_PREFER, prefer_screen_frame, 1, draw_prefer_screen, NO_HELP_PAGE, 0, escape_from_prefer, 0, nullptr, 0},
};

const screen_type* find_screen(const std::string& state) {
    for (const screen_type& screen : screens) {
        if (state == screen.state) return &screen;
    }
    return nullptr;
}

const std::string& key_screen() { return screen_state == SCREEN_HELP ? previous_screen : screen_state; }

bool draw_screen_backdrop(const std::string& state) {
    const screen_type* screen = find_screen(state);
    if (!screen || !screen->backdrop) return false;
    screen->backdrop();
    return true;
}

int screen_help_page(const std::string& state) {
    const screen_type* screen = find_screen(state);
    return screen ? screen->help_page : NO_HELP_PAGE;
}
