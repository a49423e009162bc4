// The five help pages, one per screen with commands. Each page prints one
// line per letter of its layout (screens/ui_geometry.h), where the help
// screen tests for clicks; every line's ink stays within rows 4..23 of its
// 29-pixel line, so the highlight frame drawn around one line (5 pixels
// outside it) never takes in a neighbouring line. Below the lines every
// page has the keypad's keys, which work on every screen and run no
// command, so they are told, not clicked.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/resources/resources.h"

namespace res {

struct HelpLine {
    char letter;       // the line's letter in the page's layout
    const char* text;  // what it does
};

struct HelpPage {
    int page;  // HELP_PAGE_*: its layout and its file's number
    const char* title;
    std::vector<HelpLine> lines;  // the words of each letter of the layout
};

static const int PAGE_W = 644;

static const kit::Color PAGE_TOP = kit::rgb(253, 250, 240);
static const kit::Color PAGE_BOTTOM = kit::rgb(240, 232, 212);
static const kit::Color PAGE_RIM = kit::rgb(120, 92, 60);
static const kit::Color STRIPE = kit::rgb(232, 222, 198, 0.55f);
static const kit::Color LINE_TEXT = kit::rgb(44, 38, 34);

static std::vector<HelpPage> help_pages() {
    return {
        {HELP_PAGE_BOARD,
         "Board keys",
         {{'A', "Show all pieces"},
          {'B', "Box screen: sort pieces into boxes"},
          {'C', "Colour swatch for the board"},
          {'D', "Do new: the next unsaved jigsaw"},
          {'E', "Show or hide the edge pieces"},
          {'F', "Switch display size 800 / 1024"},
          {'G', "Show or hide joined groups"},
          {'H', "Close this help"},
          {'I', "Preferences"},
          {'K', "Kill jigsaws from the library"},
          {'L', "Load a saved game"},
          {'M', "Move the top-left corner home"},
          {'N', "New jigsaw from the library"},
          {'O', "Show or hide loose pieces"},
          {'P', "Show or hide the picture"},
          {'Q', "Quick pick a jigsaw"},
          {'R', "Restart this jigsaw"},
          {'S', "Save the game"},
          {'T', "Tidy loose pieces where you point"},
          {'U', "Unrotate: turn every piece upright"},
          {'V', "Flash the pieces that fit this one"},
          {'W', "Window or full screen"},
          {'Z', "Hide all pieces"},
          {'1', "Show or hide box 1"},
          {'2', "Show or hide box 2"},
          {'3', "Show or hide box 3"},
          {'4', "Show or hide box 4"},
          {'5', "Show or hide box 5"},
          {'-', "Leave the game"},
          {'0', "Loupe: 2x, 3x, off (also keypad *)"}}},
        {HELP_PAGE_BOX,
         "Box screen keys",
         {{'B', "Deal the tray out again"},
          {'D', "Do new: the next unsaved jigsaw"},
          {'F', "Switch display size 800 / 1024"},
          {'H', "Close this help"},
          {'I', "Preferences"},
          {'K', "Kill jigsaws from the library"},
          {'L', "Load a saved game"},
          {'N', "New jigsaw from the library"},
          {'P', "Show or hide the picture"},
          {'Q', "Quick pick a jigsaw"},
          {'S', "Save the game"},
          {'V', "Sort the tray into boxes by colour"},
          {'Z', "Hide all pieces, back to board"},
          {'1', "Open box 1"},
          {'2', "Open box 2"},
          {'3', "Open box 3"},
          {'4', "Open box 4"},
          {'5', "Open box 5"},
          {'-', "Back to the board"}}},
        {HELP_PAGE_SAVED,
         "Saved games",
         {{'D', "Do new: the next unsaved jigsaw"},
          {'F', "Switch display size 800 / 1024"},
          {'H', "Close this help"},
          {'K', "Kill jigsaws from the library"},
          {'N', "New jigsaw from the library"},
          {'Q', "Quick pick a jigsaw"},
          {'S', "Save the game"},
          {'-', "Back to the board"}}},
        {HELP_PAGE_NEW,
         "New jigsaw",
         {{'D', "Do new: the next unsaved jigsaw"},
          {'F', "Switch display size 800 / 1024"},
          {'H', "Close this help"},
          {'K', "Kill jigsaws from the library"},
          {'L', "Load a saved game"},
          {'Q', "Quick pick a jigsaw"},
          {'S', "Save the game"},
          {'-', "Back to the board"}}},
        {HELP_PAGE_KILL,
         "Kill jigsaws",
         {{'A', "Mark every jigsaw on this page"},
          {'D', "Do new: the next unsaved jigsaw"},
          {'F', "Switch display size 800 / 1024"},
          {'H', "Close this help"},
          {'K', "Kill the marked jigsaws"},
          {'L', "Load a saved game"},
          {'N', "New jigsaw from the library"},
          {'Q', "Quick pick a jigsaw"},
          {'S', "Save the game"},
          {'U', "Unmark every jigsaw on this page"},
          {'-', "Back to the board"}}},
    };
}

// The keypad's keys, two to a row as the lines stand: the key caps, then
// what they do.
struct KeypadLine {
    std::vector<const char*> caps;
    const char* text;
};

static const KeypadLine KEYPAD_LINES[] = {
    {{"1-4", "6-9"}, "Move the pointer; held: faster"},
    {{"+"}, "Hold it while moving: 4x faster"},
    {{"5", "0"}, "Left button: pick up, put down"},
    {{"."}, "Right button: turn the piece"},
};
static const int KEYPAD_COUNT = sizeof KEYPAD_LINES / sizeof KEYPAD_LINES[0];

static const int CAP_GAP = 4;    // between two caps of one row
static const int CAP_AREA = 34;  // the least room for a line's caps before its words

static const int KEYPAD_HEADING = 20;  // from the lines' end to the heading's baseline
static const int KEYPAD_TOP = 26;      // from the lines' end to the first keypad row
static const int KEYPAD_ROW = 26;      // from one keypad row to the next
static const int KEYPAD_H = KEYPAD_TOP + (KEYPAD_COUNT + 1) / 2 * KEYPAD_ROW;  // the whole block

static int caps_width(Fonts& fonts, const KeypadLine& line) {
    int w = 0;
    for (const char* cap : line.caps) w += key_cap_width(fonts, cap) + CAP_GAP;
    return w - CAP_GAP;
}

// The keypad block, its top at y: a heading and the keys in the lines' two
// columns, each column's words starting where the lines' do, or past its
// widest caps.
static void draw_keypad_block(kit::Canvas& c, Fonts& fonts, int y) {
    kit::fill_rect(c, 20, y + 4, PAGE_W - 40, 1, kit::rgb(214, 200, 172));
    kit::draw_text(c, fonts.bold, 13, HELP_COLUMN_X[0] + 8, y + KEYPAD_HEADING, kit::rgb(120, 70, 30),
                   "Keypad, NumLock on or off: the pointer without a mouse");
    int caps_w[2] = {CAP_AREA, CAP_AREA};
    for (int i = 0; i < KEYPAD_COUNT; i++) caps_w[i % 2] = std::max(caps_w[i % 2], caps_width(fonts, KEYPAD_LINES[i]));
    for (int i = 0; i < KEYPAD_COUNT; i++) {
        int x = HELP_COLUMN_X[i % 2] + 8, top = y + KEYPAD_TOP + KEYPAD_ROW * (i / 2);
        int cap_x = x;
        for (const char* cap : KEYPAD_LINES[i].caps) cap_x += draw_key_cap(c, fonts, cap_x, top + 2, 20, cap) + CAP_GAP;
        kit::draw_text(c, fonts.regular, 15, x + caps_w[i % 2] + 10, top + 17, LINE_TEXT, KEYPAD_LINES[i].text);
    }
}

// The words of a letter on a page; nullptr when the page has none for it.
static const char* line_text(const HelpPage& page, char letter) {
    for (const HelpLine& line : page.lines)
        if (line.letter == letter) return line.text;
    return nullptr;
}

// The key cap of a letter: Escape's line is '-'.
static std::string key_label(char letter) { return letter == '-' ? "Esc" : std::string(1, letter); }

static bool make_page(Fonts& fonts, const HelpPage& page, const std::string& out) {
    const help_layout_type& layout = HELP_LAYOUTS[page.page];
    const std::string file = "images/help" + std::to_string(page.page) + ".png";
    const std::string letters = layout.letters;
    if (page.lines.size() != letters.size()) {
        std::fprintf(stderr, "tessellon-resources: %s has %zu lines for %zu letters\n", file.c_str(), page.lines.size(),
                     letters.size());
        return false;
    }
    int rows = layout.first_column;
    int rows_end = layout.first_row + rows * HELP_LINE_H;
    int height = rows_end + KEYPAD_H + 34;
    kit::Canvas c = kit::make_canvas(PAGE_W, height, kit::Color{0, 0, 0, 0});
    draw_panel(c, PAGE_TOP, PAGE_BOTTOM, PAGE_RIM, 10);

    // A faint divider between the columns, light enough not to count as ink.
    kit::fill_rect(c, 321, layout.first_row + 4, 1, rows * HELP_LINE_H - 8, kit::rgb(214, 200, 172));

    for (size_t i = 0; i < letters.size(); i++) {
        const char* text = line_text(page, letters[i]);
        if (!text) {
            std::fprintf(stderr, "tessellon-resources: %s has no line for %c\n", file.c_str(), letters[i]);
            return false;
        }
        int n = static_cast<int>(i), x, y;
        help_line_corner(layout, n, &x, &y);
        int row = n < layout.first_column ? n : n - layout.first_column;
        // Every other item is banded, which also shows the click area.
        if (row % 2 == 0) {
            kit::Path band;
            kit::add_rounded_rect(band, x, y + 1, HELP_LINE_W, HELP_LINE_H - 2, 5);
            kit::fill(c, kit::rasterize_bounds(band, 1), STRIPE);
        }
        int cap_w = draw_key_cap(c, fonts, x + 8, y + 4, 20, key_label(letters[i]));
        kit::draw_text(c, fonts.regular, 15, x + 8 + std::max(cap_w, CAP_AREA) + 10, y + 19, LINE_TEXT, text);
    }

    draw_keypad_block(c, fonts, rows_end);

    // Footer: the page's name and how to use it.
    int fy = rows_end + KEYPAD_H + 21;
    kit::draw_text(c, fonts.bold, 14, 20, fy, kit::rgb(120, 70, 30), page.title);
    std::string hint = "Click a line or press its key";
    kit::draw_text(c, fonts.regular, 13, PAGE_W - 20 - kit::text_width(fonts.regular, 13, hint), fy,
                   kit::rgb(130, 110, 90), hint);
    return save_image(c, out, file);
}

bool make_help_pages(Fonts& fonts, const std::string& out) {
    bool ok = true;
    for (const HelpPage& page : help_pages()) ok &= make_page(fonts, page, out);
    return ok;
}

}  // namespace res
