// The preferences screen ("prefer"): one page of nine yes/no rows and the
// OK and Cancel buttons printed on it. Rows 1..5, 8 and 9 are edited on
// staged copies that only OK commits (and writes to prefer.txt); rows 6
// and 7 act on the preferences at once. Every click on this screen is
// consumed.
#include "library/library.h"
#include "screens/screens.h"
#include "screens/ui_geometry.h"

// --- staged edits; -1 in prefer_state means "copy afresh on entry" ---
int prefer_state = -1;         // row 1 (click for help); -1 = not being edited
int staged_large_display = 0;  // row 2
int staged_sound = 0;          // row 3
int staged_windowed = 0;       // row 4
int staged_help_prompt = 0;    // row 5
int staged_save_on_leave = 0;  // row 8 (save the game when I leave)
int staged_keep_resolution = 0;  // row 9 (keep my screen's resolution)

// --- loaded together on first use, kept for the run ---
static TImage* prefer_image = nullptr;    // the page, its labels and OK / Cancel
static TImage* yes_image = nullptr;       // the chosen yes
static TImage* no_image = nullptr;        // the chosen no
static TImage* yes_grey_image = nullptr;  // yes, not chosen
static TImage* no_grey_image = nullptr;   // no, not chosen

// The page's top-left corner when drawn centred; zero size without a page.
static void page_corner(int* left, int* top) {
    *left = (display_width() - image_width(prefer_image)) / 2;
    *top = (display_height() - image_height(prefer_image)) / 2;
}

static TImage* load_prefer_part(const char* name) {
    TImage* image = load_image(base_dir + name, 0);
    if (!image) status_message = std::string("can't find ") + name;
    return image;
}

// All five at once; a part already loaded is kept, a missing one is tried
// again on the next frame.
static void load_prefer_images() {
    if (!prefer_image) prefer_image = load_prefer_part("images/prefer.png");
    if (!yes_image) yes_image = load_prefer_part("images/yes.png");
    if (!no_image) no_image = load_prefer_part("images/no.png");
    if (!yes_grey_image) yes_grey_image = load_prefer_part("images/yes_grey.png");
    if (!no_grey_image) no_grey_image = load_prefer_part("images/no_grey.png");
}

static void draw_part(TImage* image, int x, int y) {
    if (image) draw_image(image, static_cast<float>(x), static_cast<float>(y), 0);
}

void draw_yes_no(int x, int y, int gap, int value) {
    if (value) {
        draw_part(yes_image, x, y);
        draw_part(no_grey_image, x + gap, y);
    } else {
        draw_part(yes_grey_image, x, y);
        draw_part(no_image, x + gap, y);
    }
}

// The value each row edits, top to bottom.
static int* row_value(int row) {
    int* values[PREFER_ROWS] = {&prefer_state,       &staged_large_display, &staged_sound,       &staged_windowed,
                                &staged_help_prompt, &pref_save_message,    &pref_custom_colour, &staged_save_on_leave,
                                &staged_keep_resolution};
    if (row < 1 || row > PREFER_ROWS) return nullptr;
    return values[row - 1];
}

static void commit_preferences() {
    pref_click_help = prefer_state;
    pref_large_display = staged_large_display;
    pref_sound = staged_sound;
    pref_windowed = staged_windowed;
    pref_help_prompt = staged_help_prompt;
    // Staged like rows 1..5: what happens on the way out changes only
    // when the player confirms it.
    pref_save_on_leave = staged_save_on_leave;
    pref_keep_resolution = staged_keep_resolution;  // takes effect at the next start
    write_preferences();
    // prefer_state keeps the committed value: the next visit starts from
    // the committed preferences without copying them again.
    screen_state = SCREEN_JIGSAW;
}

// 1 when the mouse lies in that rectangle of the page drawn at left, top.
static int mouse_in_page_rect(int left, int top, const ui_rect& r) {
    return mouse_in_rect(left + r.x1, top + r.y1, left + r.x2, top + r.y2);
}

// The top of row r's buttons (1..PREFER_ROWS) on the page drawn at top.
static int row_y(int top, int row) { return top + PREFER_ROW_TOP + PREFER_ROW_PITCH * (row - 1); }

// OK and Cancel first, then each row's yes and no; the first hit acts.
static void prefer_click(int left, int top) {
    if (mouse_in_page_rect(left, top, PREFER_OK)) {
        commit_preferences();
        return;
    }
    if (mouse_in_page_rect(left, top, PREFER_CANCEL)) {
        prefer_state = -1;  // rows 1..5, 8 and 9 are dropped; rows 6 and 7 stay as clicked
        screen_state = SCREEN_JIGSAW;
        return;
    }
    int w = image_width(yes_image), h = image_height(no_image);
    for (int row = 1; row <= PREFER_ROWS; row++) {
        int y = row_y(top, row);
        int yes_x = left + PREFER_YES_X, no_x = yes_x + PREFER_NO_GAP;
        if (mouse_in_rect(yes_x, y, yes_x + w, y + h)) {
            *row_value(row) = 1;
            return;
        }
        if (mouse_in_rect(no_x, y, no_x + w, y + h)) {
            *row_value(row) = 0;
            return;
        }
    }
}

// A preference staged as 0 or 1: prefer.txt may hold any number for
// "on" (-1 among them), and -1 in prefer_state means "not editing".
static int staged(int preference) { return preference != 0 ? 1 : 0; }

void draw_prefer_screen() {
    if (prefer_state == -1) {
        prefer_state = staged(pref_click_help);
        staged_large_display = staged(pref_large_display);
        staged_sound = staged(pref_sound);
        staged_windowed = staged(pref_windowed);
        staged_help_prompt = staged(pref_help_prompt);
        staged_save_on_leave = staged(pref_save_on_leave);
        staged_keep_resolution = staged(pref_keep_resolution);
    }
    set_clear_color(bg_red, bg_green, bg_blue);
    clear_screen();
    if (!prefer_image || !yes_image || !no_image || !yes_grey_image || !no_grey_image) load_prefer_images();

    draw_centred_image(prefer_image, 1);
    int left, top;
    page_corner(&left, &top);
    for (int row = 1; row <= PREFER_ROWS; row++)
        draw_yes_no(left + PREFER_YES_X, row_y(top, row), PREFER_NO_GAP, *row_value(row));
}

void prefer_screen_frame() {
    draw_prefer_screen();
    int left, top;
    page_corner(&left, &top);
    if (click_pending) {
        click_pending = 0;
        prefer_click(left, top);
    }
}
