// The five help pages, one per screen with commands. Each page prints one
// line per item of its letter string, in two columns at x 15 and 327 from
// the page's left edge, rows 29 pixels apart from the page's first-row
// offset; every line's ink stays within rows 4..23 of its 29-pixel item, so
// the highlight frame drawn around one item (5 pixels outside it) never
// takes in a neighbouring line.
#include <vector>

#include "tools/resources/resources.h"

namespace res {

struct HelpLine {
    const char* key;   // the key cap's label
    const char* text;  // what it does
};

struct HelpPage {
    const char* file;
    const char* title;
    int first_row;     // the first row's offset from the page's top
    int per_column;    // items in the first column
    std::vector<HelpLine> lines;  // one per letter of the page's string, in order
};

// Item geometry shared with the help screen.
static const int COLUMN_X[2] = {15, 327};
static const int ROW_PITCH = 29;
static const int ITEM_W = 302;
static const int PAGE_W = 644;

static const kit::Color PAGE_TOP = kit::rgb(253, 250, 240);
static const kit::Color PAGE_BOTTOM = kit::rgb(240, 232, 212);
static const kit::Color PAGE_RIM = kit::rgb(120, 92, 60);
static const kit::Color STRIPE = kit::rgb(232, 222, 198, 0.55f);
static const kit::Color LINE_TEXT = kit::rgb(44, 38, 34);

static std::vector<HelpPage> help_pages() {
    return {
        {"images/help0.png", "Board keys", 12, 14,
         {{"A", "Show all pieces"},
          {"B", "Box screen: sort pieces into boxes"},
          {"C", "Colour swatch for the board"},
          {"D", "Do new: the next unsaved jigsaw"},
          {"E", "Show or hide the edge pieces"},
          {"F", "Switch display size 800 / 1024"},
          {"G", "Show or hide joined groups"},
          {"H", "Close this help"},
          {"I", "Preferences"},
          {"K", "Kill jigsaws from the library"},
          {"L", "Load a saved game"},
          {"M", "Move the top-left corner home"},
          {"N", "New jigsaw from the library"},
          {"O", "Show or hide loose pieces"},
          {"P", "Show or hide the picture"},
          {"Q", "Quick pick a jigsaw"},
          {"R", "Restart this jigsaw"},
          {"S", "Save the game"},
          {"T", "Tidy loose pieces where you point"},
          {"U", "Unrotate: turn every piece upright"},
          {"W", "Window or full screen"},
          {"Z", "Hide all pieces"},
          {"1", "Show or hide box 1"},
          {"2", "Show or hide box 2"},
          {"3", "Show or hide box 3"},
          {"4", "Show or hide box 4"},
          {"5", "Show or hide box 5"},
          {"Esc", "Leave the game"}}},
        {"images/help1.png", "Box screen keys", 14, 9,
         {{"B", "Deal the tray out again"},
          {"D", "Do new: the next unsaved jigsaw"},
          {"F", "Switch display size 800 / 1024"},
          {"H", "Close this help"},
          {"I", "Preferences"},
          {"K", "Kill jigsaws from the library"},
          {"L", "Load a saved game"},
          {"N", "New jigsaw from the library"},
          {"P", "Show or hide the picture"},
          {"Q", "Quick pick a jigsaw"},
          {"S", "Save the game"},
          {"Z", "Hide all pieces, back to board"},
          {"1", "Open box 1"},
          {"2", "Open box 2"},
          {"3", "Open box 3"},
          {"4", "Open box 4"},
          {"5", "Open box 5"},
          {"Esc", "Back to the board"}}},
        {"images/help2.png", "Saved games", 16, 4,
         {{"D", "Do new: the next unsaved jigsaw"},
          {"F", "Switch display size 800 / 1024"},
          {"H", "Close this help"},
          {"K", "Kill jigsaws from the library"},
          {"N", "New jigsaw from the library"},
          {"Q", "Quick pick a jigsaw"},
          {"S", "Save the game"},
          {"Esc", "Back to the board"}}},
        {"images/help3.png", "New jigsaw", 16, 4,
         {{"D", "Do new: the next unsaved jigsaw"},
          {"F", "Switch display size 800 / 1024"},
          {"H", "Close this help"},
          {"K", "Kill jigsaws from the library"},
          {"L", "Load a saved game"},
          {"Q", "Quick pick a jigsaw"},
          {"S", "Save the game"},
          {"Esc", "Back to the board"}}},
        {"images/help4.png", "Kill jigsaws", 16, 6,
         {{"A", "Mark every jigsaw on this page"},
          {"D", "Do new: the next unsaved jigsaw"},
          {"F", "Switch display size 800 / 1024"},
          {"H", "Close this help"},
          {"K", "Kill the marked jigsaws"},
          {"L", "Load a saved game"},
          {"N", "New jigsaw from the library"},
          {"Q", "Quick pick a jigsaw"},
          {"S", "Save the game"},
          {"U", "Unmark every jigsaw on this page"},
          {"Esc", "Back to the board"}}},
    };
}

static bool make_page(Fonts& fonts, const HelpPage& page, const std::string& out) {
    int rows = page.per_column;
    int rows_end = page.first_row + rows * ROW_PITCH;
    int height = rows_end + 34;
    kit::Canvas c = kit::make_canvas(PAGE_W, height, kit::Color{0, 0, 0, 0});
    draw_panel(c, PAGE_TOP, PAGE_BOTTOM, PAGE_RIM, 10);

    // A faint divider between the columns, light enough not to count as ink.
    kit::fill_rect(c, 321, page.first_row + 4, 1, rows * ROW_PITCH - 8, kit::rgb(214, 200, 172));

    for (size_t i = 0; i < page.lines.size(); i++) {
        int col = static_cast<int>(i) < page.per_column ? 0 : 1;
        int row = col == 0 ? static_cast<int>(i) : static_cast<int>(i) - page.per_column;
        int x = COLUMN_X[col], y = page.first_row + row * ROW_PITCH;
        // Every other item is banded, which also shows the click area.
        if (row % 2 == 0) {
            kit::Path band;
            kit::add_rounded_rect(band, x, y + 1, ITEM_W, ROW_PITCH - 2, 5);
            kit::fill(c, kit::rasterize_bounds(band, 1), STRIPE);
        }
        int cap_w = draw_key_cap(c, fonts, x + 8, y + 4, 20, page.lines[i].key);
        kit::draw_text(c, fonts.regular, 15, x + 8 + std::max(cap_w, 34) + 10, y + 19, LINE_TEXT, page.lines[i].text);
    }

    // Footer: the page's name and how to use it.
    int fy = rows_end + 21;
    kit::draw_text(c, fonts.bold, 14, 20, fy, kit::rgb(120, 70, 30), page.title);
    std::string hint = "Click a line or press its key";
    kit::draw_text(c, fonts.regular, 13, PAGE_W - 20 - kit::text_width(fonts.regular, 13, hint), fy,
                   kit::rgb(130, 110, 90), hint);
    return save_image(c, out, page.file);
}

bool make_help_pages(Fonts& fonts, const std::string& out) {
    bool ok = true;
    for (const HelpPage& page : help_pages()) ok &= make_page(fonts, page, out);
    return ok;
}

}  // namespace res
