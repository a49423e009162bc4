// The command table: every key of the game and every line of the help
// pages runs a row of it. A key runs the global rows of its code on any
// screen, then the rows of at most one screen: the screen it was pressed
// on, or the one under the help page, as the global rows left it. A help
// line runs one row: the first of its letter's key for the page's screen,
// else the global one. Adding a key, or a line to a page, is adding a row.
#include "library/library.h"
#include "play/play.h"
#include "shell/shell.h"

// How a row is run: by its key, by its help line, or both. Where a line
// does something other than the key, the two are rows of their own.
enum { BY_KEY = 1, BY_LINE = 2, BY_BOTH = BY_KEY | BY_LINE };

// A row that every key runs on its screen, after that screen's own rows.
constexpr int KEY_ANY = -1;

struct command_type {
    int key;               // KEY_* code, or KEY_ANY; a help line runs the row of its letter's key
    const char* screen;    // nullptr: a global row, on every screen; else that screen, also under help
    int by;                // BY_KEY, BY_LINE or BY_BOTH
    void (*run)(int key);  // the action, given the key's code
};

// ===========================================================================
// Actions of more than one call
// ===========================================================================

// H: back from help, or help over the screens that list their commands,
// remembering the mouse (the tidy line works there) and letting go of the
// held piece.
static void help_key(int) {
    if (screen_state == SCREEN_HELP) {
        screen_state = previous_screen;
        return;
    }
    const screen_type* screen = find_screen(screen_state);
    if (!screen || !screen->help_key) return;
    previous_screen = screen_state;
    screen_state = SCREEN_HELP;
    held_piece = 0;
    click_x = mouse_x;
    click_y = mouse_y;
}

// F1: help over any screen, or back from it.
static void f1_key(int) {
    if (screen_state == SCREEN_HELP) {
        screen_state = previous_screen;
    } else {
        previous_screen = screen_state;
        screen_state = SCREEN_HELP;
    }
}

// Escape ends the opening flight, answers the exit question, or asks it;
// then the screen's row says whether it goes back to the board instead.
static void escape_key(int) {
    if (screen_state == SCREEN_ANIM && intro_pending) end_program();
    if (pending_confirm == ASK_EXIT) leave_program();  // saves first when the player asked for that
    pending_confirm = ASK_EXIT;
    const screen_type* screen = find_screen(screen_state);
    if (screen && screen->escape) screen->escape();
}

static void kill_key(int) {
    if (screen_state == SCREEN_DELETE)
        kill_marked_jigsaws();
    else
        screen_state = SCREEN_DELETE;
}

// N answers no to an open question; without one it opens the browser.
static void new_key(int) {
    if (!pending_confirm.empty())
        pending_confirm = "";
    else
        screen_state = SCREEN_NEW;
}

static void switch_display_size(int) {
    toggle_display_size();
    fill_tray();
}

static void toggle_picture(int) {
    if (picture) picture_shown = !picture_shown;
}

// The box of a digit key, 1..5.
static int box_of(int key) { return key - KEY_1 + 1; }

static void open_box(int key) {
    current_box = box_of(key);
    purge_grouped_from_box();
}

static void show_or_hide_box(int key) {
    box_shown[box_of(key)] = !box_shown[box_of(key)];
    apply_box_visibility();
}

// Unlike the key, the line leaves the pieces as they are until box
// visibility is next applied.
static void flip_box_flag(int key) { box_shown[box_of(key)] = !box_shown[box_of(key)]; }

static void seven_key(int) {
    key7_count++;
    if (key7_count == 3) {
        key7_count = 0;
        completion_seen = 1;
        start_completion_animation();
    }
}

static void open_box_screen(int) {
    screen_state = SCREEN_BOX;
    fill_tray();
    purge_grouped_from_box();
}

static void leave_box_screen(int) {
    show_current_box();
    screen_state = SCREEN_JIGSAW;
}

static void hide_all_and_leave(int) {
    hide_all_pieces();
    screen_state = SCREEN_JIGSAW;
}

static void unrotate(int) {
    unrotate_phase = 1;
    screen_state = SCREEN_UNROTATE;
}

// Any key on the board but T hides the count of the last tidy.
static void hide_tidy_count(int key) {
    if (key != KEY_T) tidy_state.k = 0;
}

// V: the pieces that fit flash on the board. Over the help page (its
// line, or the key) the help closes so that they can be seen, and the
// group looked at is the one where the help was opened, when known.
static void find_fits_key(int) {
    int x = mouse_x, y = mouse_y;
    if (screen_state == SCREEN_HELP) {
        if (click_x >= 0) x = click_x, y = click_y;
        screen_state = previous_screen;
    }
    find_fitting_pieces(x, y);
}

// Lines that carry the command out on the screen under the help and go
// back to it.
static void save_and_close_help(int) {
    save_command();
    screen_state = previous_screen;
}

static void refill_tray_and_close_help(int) {
    fill_tray();
    screen_state = SCREEN_BOX;
}

static void cycle_loupe_and_close_help(int) {
    cycle_loupe();
    screen_state = previous_screen;
}

static void open_box_and_close_help(int key) {
    open_box(key);
    screen_state = SCREEN_BOX;
}

// ===========================================================================
// The table
// ===========================================================================

static const command_type commands[] = {
    // --- global: every screen, before the screen's own rows ---
    {KEY_F2, nullptr, BY_KEY, [](int) { show_display_info(); }},
    {KEY_LEFT, nullptr, BY_KEY, [](int) { previous_page(); }},  // browsers only
    {KEY_RIGHT, nullptr, BY_KEY, [](int) { next_page(); }},     // browsers only
    {KEY_LEFT_CONTROL, nullptr, BY_KEY, [](int) { ctrl_down = 1; }},
    {KEY_RIGHT_CONTROL, nullptr, BY_KEY, [](int) { ctrl_down = 1; }},
    {KEY_F, nullptr, BY_BOTH, switch_display_size},
    {KEY_X, nullptr, BY_KEY, [](int) { status_message = app_title + " from " + PUBLISHER_ADDRESS; }},
    {KEY_ESCAPE, nullptr, BY_BOTH, escape_key},
    {KEY_D, nullptr, BY_BOTH, [](int) { toggle_question(ASK_DO_NEW); }},
    {KEY_H, nullptr, BY_BOTH, help_key},
    {KEY_F1, nullptr, BY_KEY, f1_key},
    {KEY_K, nullptr, BY_BOTH, kill_key},
    {KEY_L, nullptr, BY_BOTH, [](int) { screen_state = SCREEN_LOAD; }},
    {KEY_N, nullptr, BY_BOTH, new_key},
    {KEY_Q, nullptr, BY_BOTH, [](int) { toggle_question(ASK_QUICK_PICK); }},
    {KEY_S, nullptr, BY_BOTH, [](int) { save_command(); }},
    {KEY_W, nullptr, BY_BOTH, [](int) { toggle_windowed(); }},
    {KEY_Y, nullptr, BY_KEY, [](int) { answer_yes(); }},

    // --- the box screen ---
    {KEY_LEFT, SCREEN_BOX, BY_KEY, [](int) { previous_box(); }},
    {KEY_DOWN, SCREEN_BOX, BY_KEY, [](int) { previous_box(); }},
    {KEY_RIGHT, SCREEN_BOX, BY_KEY, [](int) { next_box(); }},
    {KEY_UP, SCREEN_BOX, BY_KEY, [](int) { next_box(); }},
    {KEY_1, SCREEN_BOX, BY_KEY, open_box},
    {KEY_2, SCREEN_BOX, BY_KEY, open_box},
    {KEY_3, SCREEN_BOX, BY_KEY, open_box},
    {KEY_4, SCREEN_BOX, BY_KEY, open_box},
    {KEY_5, SCREEN_BOX, BY_KEY, open_box},
    {KEY_B, SCREEN_BOX, BY_KEY, [](int) { fill_tray(); }},
    {KEY_I, SCREEN_BOX, BY_BOTH, [](int) { screen_state = SCREEN_PREFER; }},
    {KEY_J, SCREEN_BOX, BY_KEY, leave_box_screen},
    {KEY_P, SCREEN_BOX, BY_BOTH, toggle_picture},
    {KEY_V, SCREEN_BOX, BY_BOTH, [](int) { sort_tray_by_colour(); }},
    {KEY_Z, SCREEN_BOX, BY_BOTH, hide_all_and_leave},
    // Lines of its help page that also go back to the box screen.
    {KEY_B, SCREEN_BOX, BY_LINE, refill_tray_and_close_help},
    {KEY_S, SCREEN_BOX, BY_LINE, save_and_close_help},
    {KEY_1, SCREEN_BOX, BY_LINE, open_box_and_close_help},
    {KEY_2, SCREEN_BOX, BY_LINE, open_box_and_close_help},
    {KEY_3, SCREEN_BOX, BY_LINE, open_box_and_close_help},
    {KEY_4, SCREEN_BOX, BY_LINE, open_box_and_close_help},
    {KEY_5, SCREEN_BOX, BY_LINE, open_box_and_close_help},
    {KEY_ESCAPE, SCREEN_BOX, BY_LINE, leave_box_screen},  // as J: no exit question

    // --- the board ---
    {KEY_1, SCREEN_JIGSAW, BY_KEY, show_or_hide_box},
    {KEY_2, SCREEN_JIGSAW, BY_KEY, show_or_hide_box},
    {KEY_3, SCREEN_JIGSAW, BY_KEY, show_or_hide_box},
    {KEY_4, SCREEN_JIGSAW, BY_KEY, show_or_hide_box},
    {KEY_5, SCREEN_JIGSAW, BY_KEY, show_or_hide_box},
    {KEY_7, SCREEN_JIGSAW, BY_KEY, seven_key},
    {KEY_0, SCREEN_JIGSAW, BY_KEY, [](int) { cycle_loupe(); }},
    {KEY_PAD_MULTIPLY, SCREEN_JIGSAW, BY_KEY, [](int) { cycle_loupe(); }},
    {KEY_A, SCREEN_JIGSAW, BY_BOTH, [](int) { show_all_pieces(); }},
    {KEY_B, SCREEN_JIGSAW, BY_BOTH, open_box_screen},
    {KEY_C, SCREEN_JIGSAW, BY_BOTH, [](int) { swatch_shown = !swatch_shown; }},
    {KEY_E, SCREEN_JIGSAW, BY_BOTH, [](int) { toggle_edge_pieces(); }},
    {KEY_G, SCREEN_JIGSAW, BY_BOTH,
     [](int) {
         show_grouped = !show_grouped;
         apply_grouped_visibility();
     }},
    {KEY_I, SCREEN_JIGSAW, BY_BOTH, [](int) { screen_state = SCREEN_PREFER; }},
    {KEY_M, SCREEN_JIGSAW, BY_BOTH, [](int) { home_first_piece(); }},
    {KEY_O, SCREEN_JIGSAW, BY_BOTH,
     [](int) {
         show_loose = !show_loose;
         apply_loose_visibility();
     }},
    {KEY_P, SCREEN_JIGSAW, BY_BOTH, toggle_picture},
    {KEY_R, SCREEN_JIGSAW, BY_BOTH, [](int) { toggle_question(ASK_RESTART); }},
    // The key tidies around the live mouse; the line around where the
    // help was opened, which click_x, click_y still hold.
    {KEY_T, SCREEN_JIGSAW, BY_KEY,
     [](int) {
         click_x = -1;
         tidy_pieces();
     }},
    {KEY_T, SCREEN_JIGSAW, BY_LINE, [](int) { tidy_pieces(); }},
    {KEY_U, SCREEN_JIGSAW, BY_BOTH, unrotate},
    {KEY_V, SCREEN_JIGSAW, BY_BOTH, find_fits_key},
    {KEY_Z, SCREEN_JIGSAW, BY_BOTH, [](int) { hide_all_pieces(); }},
    {KEY_ANY, SCREEN_JIGSAW, BY_KEY, hide_tidy_count},
    // Lines of its help page.
    {KEY_S, SCREEN_JIGSAW, BY_LINE, save_and_close_help},
    {KEY_0, SCREEN_JIGSAW, BY_LINE, cycle_loupe_and_close_help},
    {KEY_1, SCREEN_JIGSAW, BY_LINE, flip_box_flag},
    {KEY_2, SCREEN_JIGSAW, BY_LINE, flip_box_flag},
    {KEY_3, SCREEN_JIGSAW, BY_LINE, flip_box_flag},
    {KEY_4, SCREEN_JIGSAW, BY_LINE, flip_box_flag},
    {KEY_5, SCREEN_JIGSAW, BY_LINE, flip_box_flag},

    // --- the browser marking jigsaws to kill ---
    {KEY_A, SCREEN_DELETE, BY_BOTH, [](int) { mark_page(1); }},
    {KEY_U, SCREEN_DELETE, BY_BOTH, [](int) { mark_page(0); }},
    // The kill line kills, as K on the browser itself.
    {KEY_K, SCREEN_DELETE, BY_LINE, [](int) { kill_marked_jigsaws(); }},
};

// ===========================================================================
// Running rows
// ===========================================================================

static bool runs_by_key(const command_type& row, int key) {
    return (row.by & BY_KEY) && (row.key == key || row.key == KEY_ANY);
}

void dispatch_key(int key) {
    status_message = "";
    help_prompt_active = 0;
    for (const command_type& row : commands)
        if (!row.screen && runs_by_key(row, key)) row.run(key);
    // One screen's rows at most, chosen once by where the global rows left
    // us: a row that changes the screen does not bring in the new one's.
    const std::string screen = key_screen();
    for (const command_type& row : commands)
        if (row.screen && screen == row.screen && runs_by_key(row, key)) row.run(key);
    if (key != KEY_7) key7_count = 0;
    cancel_confirmation(key);
    // A key that took the player away from the opening flight (N, L, I, ...;
    // help over the flight only pauses it) ends the opening as a kill does.
    if (screen_state != SCREEN_TITLE && key_screen() != SCREEN_ANIM) end_opening();
}

// The key of a help line's letter: letters and digits are their own codes.
static int line_key(char letter) {
    if (letter == '-') return KEY_ESCAPE;
    if ((letter >= 'A' && letter <= 'Z') || (letter >= '0' && letter <= '9')) return letter;
    return 0;
}

void run_help_line(char letter) {
    int key = line_key(letter);
    const command_type* chosen = nullptr;
    for (const command_type& row : commands) {
        if (!(row.by & BY_LINE) || row.key != key) continue;
        if (row.screen && previous_screen == row.screen) {
            chosen = &row;  // the page's own row wins over the global one
            break;
        }
        if (!row.screen && !chosen) chosen = &row;
    }
    if (chosen) chosen->run(key);
}
