// Where the clickable parts of the game's drawn images lie: the yes
// rectangles of the question boxes, the rows and the OK and Cancel buttons
// of the preferences page, and the command lines of the help pages. The
// game tests the mouse against these numbers and the resource maker draws
// the images so that their buttons and lines stand exactly there; both
// read them from here. Plain numbers: this header includes nothing.
#pragma once

// A rectangle of an image, from its top-left corner, both ends included.
struct ui_rect {
    int x1, y1, x2, y2;
};

constexpr int ui_rect_width(const ui_rect& r) { return r.x2 - r.x1 + 1; }
constexpr int ui_rect_height(const ui_rect& r) { return r.y2 - r.y1 + 1; }

// ===========================================================================
// The question boxes, drawn centred on the screen
// ===========================================================================

constexpr ui_rect EXIT_BOX_YES = {149, 29, 226, 79};      // "leave the game?"
constexpr ui_rect QUESTION_BOX_YES = {154, 68, 239, 99};  // restart, quick pick, do-new

// ===========================================================================
// The preferences page, drawn centred on the screen
// ===========================================================================

constexpr int PREFER_ROWS = 9;
constexpr int PREFER_ROW_TOP = 44;    // the first row's buttons, from the page's top
constexpr int PREFER_ROW_PITCH = 50;  // from one row's buttons to the next
constexpr int PREFER_YES_X = 400;     // a row's yes button, from the page's left
constexpr int PREFER_NO_GAP = 62;     // its no button stands this far right of yes
// OK and Cancel stand 63 pixels below the top of the last row's buttons.
constexpr ui_rect PREFER_OK = {202, 499, 256, 532};
constexpr ui_rect PREFER_CANCEL = {273, 499, 348, 532};

// ===========================================================================
// The help pages, drawn centred on the screen
// ===========================================================================

// A page's lines stand in two columns; each line is one command, named by
// its key's letter ('-' is Escape), in reading order: the first column top
// to bottom, then the second. A new line goes at the end of its page's
// letters, so that every earlier line keeps its place.
struct help_layout_type {
    const char* letters;  // one letter per line
    int first_column;     // lines in the first column
    int first_row;        // the first line's offset from the page's top
};

// The pages, by their number in images/help<number>.png.
enum {
    HELP_PAGE_BOARD,  // the jigsaw screen
    HELP_PAGE_BOX,    // the box screen
    HELP_PAGE_SAVED,  // the saved-game browser
    HELP_PAGE_NEW,    // the library browser choosing a new jigsaw
    HELP_PAGE_KILL,   // the library browser marking jigsaws to kill
    HELP_PAGE_COUNT,
    NO_HELP_PAGE = -1  // a screen without a page
};

constexpr help_layout_type HELP_LAYOUTS[HELP_PAGE_COUNT] = {
    {"ABCDEFGHIKLMNOPQRSTUVWZ12345-0", 15, 12},  // 0: the loupe, in the second column's free place
    {"BDFHIKLNPQSVZ12345-", 10, 14},
    {"DFHKNQS-", 4, 16},
    {"DFHKLQS-", 4, 16},
    {"ADFHKLNQSU-", 6, 16},
};

constexpr int HELP_COLUMN_X[2] = {15, 327};  // the columns, from the page's left
constexpr int HELP_LINE_W = 302;             // a line's click box runs from its corner to
constexpr int HELP_LINE_H = 29;              // W, H further, ends included; H is also the
                                             // distance between lines
constexpr int HELP_FRAME_MARGIN = 5;         // the frame around the line under the mouse
constexpr int HELP_FRAME_THICKNESS = 3;      // stands this far outside it, this thick

// The corner of line i (0-based) of a page, from the page's top-left.
inline void help_line_corner(const help_layout_type& page, int i, int* x, int* y) {
    bool first = i < page.first_column;
    *x = HELP_COLUMN_X[first ? 0 : 1];
    *y = page.first_row + HELP_LINE_H * (first ? i : i - page.first_column);
}
