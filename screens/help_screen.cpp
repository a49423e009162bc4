// The help screen ("help"): over the screen the player came from, the page
// that lists that screen's commands, one clickable line per command. A
// click on a line runs the same row of the command table as its key (or
// the page's own row where the line does more); a click beside every line
// is left for the main loop, which closes the help.
#include "screens/screens.h"
#include "screens/ui_geometry.h"
#include "ui/ui.h"

// The pages themselves are help_images, loaded here on first use and kept
// for the run. Which page a screen has, what it shows underneath and what
// a line runs are the shell's screen and command tables, asked through its
// hooks; where each line stands is in screens/ui_geometry.h.

// The status line over a screen that has no help page.
static const char* const NO_HELP_MESSAGE = "no help here - press F1 again";

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
    help_line_corner(HELP_LAYOUTS[k], i, x, y);
    *x += (display_width() - image_width(help_images[k])) / 2;
    *y += (display_height() - image_height(help_images[k])) / 2;
}

// The first line of page k under the mouse, 0-based; -1 for none.
static int help_item_under_mouse(int k) {
    const std::string letters = HELP_LAYOUTS[k].letters;
    for (int i = 0; i < static_cast<int>(letters.size()); i++) {
        int x, y;
        help_item_corner(k, i, &x, &y);
        if (mouse_in_rect(x, y, x + HELP_LINE_W, y + HELP_LINE_H)) return i;
    }
    return -1;
}

void help_screen_frame() {
    int k = help_page_hook ? help_page_hook(previous_screen) : NO_HELP_PAGE;
    if (k < 0 || k >= HELP_PAGE_COUNT) {
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
    // The screen underneath by its own drawing only: no click reaches it from here.
    if (backdrop_hook) backdrop_hook(previous_screen);
    if (!loaded) return;
    draw_centred_image(help_images[k], 1);

    // While a question is open the confirmation box owns the mouse.
    if (!pending_confirm.empty()) return;
    int item = help_item_under_mouse(k);
    if (item >= 0) {
        int x, y;
        help_item_corner(k, item, &x, &y);
        set_color(0, 255, 0);
        draw_thick_frame(x - HELP_FRAME_MARGIN, y - HELP_FRAME_MARGIN, HELP_LINE_W + HELP_FRAME_MARGIN,
                         HELP_LINE_H + HELP_FRAME_MARGIN, HELP_FRAME_THICKNESS);
        set_color(255, 255, 255);
    }
    if (click_pending && item >= 0) {
        click_pending = 0;
        if (help_line_hook) help_line_hook(HELP_LAYOUTS[k].letters[item]);
    }
}
