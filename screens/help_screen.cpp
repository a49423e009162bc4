// The help screen ("help"): over the screen the player came from, the page
// that lists that screen's commands, one clickable line per command. A
// click on a line carries the command out through the same operations as
// its key; a click beside every line is left for the main loop, which
// closes the help.
#include "library/library.h"
#include "play/play.h"
#include "screens/screens.h"

// The pages themselves are the shell's help_images, loaded here on first
// use and kept for the run.

// One help page: the screen it belongs to and the commands it lists.
struct help_page_type {
    const char* screen;   // previous_screen that shows this page
    const char* letters;  // one command letter per line, in reading order
    int first_column;     // lines in the first column
    int first_row;        // the first line's offset from the page's top
};

static const help_page_type help_pages[5] = {
    {SCREEN_JIGSAW, "ABCDEFGHIKLMNOPQRSTUWZ12345-", 14, 12},
    {SCREEN_BOX, "BDFHIKLNPQSZ12345-", 9, 14},
    {SCREEN_LOAD, "DFHKNQS-", 4, 16},
    {SCREEN_NEW, "DFHKLQS-", 4, 16},
    {SCREEN_DELETE, "ADFHKLNQSU-", 6, 16},
};

// The status line over a screen that has no help page.
static const char* const NO_HELP_MESSAGE = "no help here - press F1 again";

enum {
    ITEM_W = 302,        // a line's hit rectangle, ends included
    ITEM_H = 29,         // also the distance between lines
    COLUMN_1_X = 15,     // from the page's left
    COLUMN_2_X = 327,
    FRAME_MARGIN = 5,    // the highlight frame stands this far outside
    FRAME_THICKNESS = 3,
};

// The page of a screen, 0..4; -1 for a screen without one.
static int help_page_of(const std::string& screen) {
    for (int k = 0; k < 5; k++)
        if (screen == help_pages[k].screen) return k;
    return -1;
}

// Loads page k when it is not loaded yet; false while it cannot be.
static bool ensure_help_page(int k) {
    if (help_images[k]) return true;
    std::string name = "images/help" + int_to_text(k) + ".png";
    help_images[k] = load_image(base_dir + name, 0);
    if (help_images[k]) return true;
    // Without its page the screen underneath is shown and has no lines;
    // any click closes the help again.
    status_message = "can't find " + name;
    return false;
}

// Top-left corner of line i (0-based) of page k as drawn centred.
static void help_item_corner(int k, int i, int* x, int* y) {
    const help_page_type& page = help_pages[k];
    int left = (display_width() - image_width(help_images[k])) / 2;
    int top = (display_height() - image_height(help_images[k])) / 2;
    bool first = i < page.first_column;
    int row = first ? i : i - page.first_column;
    *x = left + (first ? COLUMN_1_X : COLUMN_2_X);
    *y = top + page.first_row + ITEM_H * row;
}

// The first line of page k under the mouse, 0-based; -1 for none.
static int help_item_under_mouse(int k) {
    const std::string letters = help_pages[k].letters;
    for (int i = 0; i < static_cast<int>(letters.size()); i++) {
        int x, y;
        help_item_corner(k, i, &x, &y);
        if (mouse_in_rect(x, y, x + ITEM_W, y + ITEM_H)) return i;
    }
    return -1;
}

// ===========================================================================
// What each line does
// ===========================================================================

// A question asked from a line; asking lets go of a held piece.
static void ask(const char* letter) {
    pending_confirm = letter;
    held_piece = 0;
}

static void toggle_picture() {
    if (picture) picture_shown = !picture_shown;
}

static void switch_display_size() {
    if (display_size_hook) display_size_hook();
    fill_tray();
}

static void board_command(char letter) {
    switch (letter) {
    case 'A': show_all_pieces(); break;
    case 'B':
        screen_state = SCREEN_BOX;
        fill_tray();
        purge_grouped_from_box();
        break;
    case 'C': swatch_shown = !swatch_shown; break;
    case 'D': ask(ASK_DO_NEW); break;
    case 'E': toggle_edge_pieces(); break;
    case 'F': switch_display_size(); break;
    case 'G':
        show_grouped = !show_grouped;
        apply_grouped_visibility();
        break;
    case 'H': screen_state = previous_screen; break;
    case 'I': screen_state = SCREEN_PREFER; break;
    case 'K': screen_state = SCREEN_DELETE; break;
    case 'L': screen_state = SCREEN_LOAD; break;
    case 'M': home_first_piece(); break;
    case 'N': screen_state = SCREEN_NEW; break;
    case 'O':
        show_loose = !show_loose;
        apply_loose_visibility();
        break;
    case 'P': toggle_picture(); break;
    case 'Q': ask(ASK_QUICK_PICK); break;
    case 'R': ask(ASK_RESTART); break;
    case 'S':
        save_command();
        screen_state = SCREEN_JIGSAW;
        break;
    // The tidy region is where the mouse was when the help was opened:
    // click_x, click_y still hold it.
    case 'T': tidy_pieces(); break;
    case 'U':
        unrotate_phase = 1;
        screen_state = SCREEN_UNROTATE;
        break;
    case 'W': if (windowed_hook) windowed_hook(); break;
    case 'Z': hide_all_pieces(); break;
    // Unlike the key, the line leaves the pieces as they are until box
    // visibility is next applied.
    case '1': case '2': case '3': case '4': case '5': {
        int box = letter - '0';
        box_shown[box] = !box_shown[box];
        break;
    }
    case '-': pending_confirm = ASK_EXIT; break;  // the held piece stays held
    default: break;
    }
}

static void box_command(char letter) {
    switch (letter) {
    case 'B':
        fill_tray();
        screen_state = SCREEN_BOX;
        break;
    case 'D': ask(ASK_DO_NEW); break;
    case 'F': switch_display_size(); break;
    case 'H': screen_state = previous_screen; break;
    case 'I': screen_state = SCREEN_PREFER; break;
    case 'K': screen_state = SCREEN_DELETE; break;
    case 'L': screen_state = SCREEN_LOAD; break;
    case 'N': screen_state = SCREEN_NEW; break;
    case 'P': toggle_picture(); break;
    case 'Q': ask(ASK_QUICK_PICK); break;
    case 'S':
        save_command();
        screen_state = SCREEN_BOX;
        break;
    case 'Z':
        hide_all_pieces();
        screen_state = SCREEN_JIGSAW;
        break;
    case '1': case '2': case '3': case '4': case '5':
        current_box = letter - '0';
        purge_grouped_from_box();
        screen_state = SCREEN_BOX;
        break;
    case '-':
        screen_state = SCREEN_JIGSAW;
        show_current_box();
        break;
    default: break;
    }
}

// The three browser pages; each page's letter string already holds only
// the lines it shows, so only K needs to know which page it is on.
static void browser_command(char letter) {
    bool killing = previous_screen == SCREEN_DELETE;
    switch (letter) {
    case 'A': mark_page(1); break;
    case 'D': ask(ASK_DO_NEW); break;
    case 'F': switch_display_size(); break;
    case 'H': screen_state = previous_screen; break;
    case 'K':
        if (killing)
            kill_marked_jigsaws();
        else
            screen_state = SCREEN_DELETE;
        break;
    case 'L': screen_state = SCREEN_LOAD; break;
    case 'N': screen_state = SCREEN_NEW; break;
    case 'Q': ask(ASK_QUICK_PICK); break;
    case 'S': save_command(); break;  // the help stays open
    case 'U': mark_page(0); break;
    case '-': screen_state = SCREEN_JIGSAW; break;
    default: break;
    }
}

static void help_command(int k, char letter) {
    if (k == 0)
        board_command(letter);
    else if (k == 1)
        box_command(letter);
    else
        browser_command(letter);
}

// ===========================================================================
// The frame
// ===========================================================================

// The screen underneath, by its own drawing operation only.
static void draw_under_page(int k) {
    switch (k) {
    case 0:
        draw_board();
        if (swatch_shown) draw_image(swatch_image, swatch_x, swatch_y, 0);
        if (picture_shown) draw_image(picture, picture_x, picture_y, 0);
        break;
    case 1:
        draw_box_screen();
        if (picture_shown) draw_image(picture, picture_x, picture_y, 0);
        break;
    case 2: draw_saved_page(); break;
    case 3: draw_jigsaw_page(SCREEN_NEW); break;
    case 4: draw_jigsaw_page(SCREEN_DELETE); break;
    default: break;
    }
}

void help_screen_frame() {
    int k = help_page_of(previous_screen);
    if (k < 0) {
        // No page: the screen underneath, held still, says so; every click
        // is left to the loop, which closes the help.
        if (!backdrop_hook || !backdrop_hook(previous_screen)) {
            set_clear_color(0, 0, 0);
            clear_screen();
        }
        status_message = NO_HELP_MESSAGE;
        return;
    }
    bool loaded = ensure_help_page(k);
    draw_under_page(k);
    if (!loaded) return;
    draw_centred_image(help_images[k], 1);

    // While a question is open the confirmation box owns the mouse.
    if (!pending_confirm.empty()) return;
    int item = help_item_under_mouse(k);
    if (item >= 0) {
        int x, y;
        help_item_corner(k, item, &x, &y);
        set_color(0, 255, 0);
        draw_thick_frame(x - FRAME_MARGIN, y - FRAME_MARGIN, ITEM_W + FRAME_MARGIN,
                         ITEM_H + FRAME_MARGIN, FRAME_THICKNESS);
        set_color(255, 255, 255);
    }
    if (click_pending && item >= 0) {
        click_pending = 0;
        help_command(k, help_pages[k].letters[item]);
    }
}
