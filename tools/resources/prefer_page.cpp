// The preferences page and its four buttons. Nine labelled rows whose
// yes and no buttons the screen draws where the PREFER_ROW_* and
// PREFER_YES_X numbers put them; OK and Cancel are part of the page, drawn
// on the rectangles the screen tests.
#include "tools/resources/resources.h"

namespace res {

// OK and Cancel stand 20 pixels above the page's bottom edge.
static const int PAGE_W = 540, PAGE_H = PREFER_OK.y2 + 20;
static const int BUTTON_W = 56, BUTTON_H = 34;  // yes.png, no.png and the grey pair

struct PreferRow {
    const char* label;
    const char* detail;
};

static const PreferRow ROWS[PREFER_ROWS] = {
    {"Click for help", "a click on empty board opens this help"},
    {"Large display", "1024 x 768, from the next start"},
    {"Sound and music", "click, chime and the finishing tune"},
    {"Play in a window", "instead of full screen, from the next start"},
    {"Help prompt", "\"press H at any time for Help\" at the start"},
    {"Saved message", "say \"jigsaw saved\" after saving"},
    {"My own background", "keep the colour picked from the swatch"},
    {"Save the game when I leave", "on quitting, and before another jigsaw"},
    {"Keep my screen's resolution", "full screen scales the board, from the next start"},
};

static void make_toggle(Fonts& fonts, const std::string& label, kit::Color base, kit::Color text,
                        const std::string& out, const std::string& name, bool* ok) {
    kit::Canvas c = kit::make_canvas(BUTTON_W, BUTTON_H, kit::Color{0, 0, 0, 0});
    draw_button(c, fonts, 0, 0, BUTTON_W, BUTTON_H, base, label, 18, text);
    *ok &= save_image(c, out, name);
}

bool make_prefer_page(Fonts& fonts, const std::string& out) {
    bool ok = true;
    kit::Canvas c = kit::make_canvas(PAGE_W, PAGE_H, kit::Color{0, 0, 0, 0});
    draw_panel(c, PANEL_TOP, PANEL_BOTTOM, PANEL_RIM, 14);
    draw_text_centred(c, fonts.bold, 22, PAGE_W / 2.0, 31, PANEL_TEXT, "Preferences", true);
    for (int r = 0; r < PREFER_ROWS; r++) {
        int y = PREFER_ROW_TOP + PREFER_ROW_PITCH * r;
        // A soft well behind the row, around where its buttons will stand.
        kit::Path well;
        kit::add_rounded_rect(well, 16, y - 6, PAGE_W - 32, BUTTON_H + 12, 8);
        kit::fill(c, kit::rasterize_bounds(well, 1), kit::Color{1, 1, 1, r % 2 ? 0.04f : 0.08f});
        kit::draw_text(c, fonts.bold, 16, 30, y + 16, PANEL_TEXT, ROWS[r].label);
        kit::draw_text(c, fonts.regular, 12, 30, y + 31, PANEL_SUBTEXT, ROWS[r].detail);
    }
    const ui_rect& okay = PREFER_OK;
    const ui_rect& cancel = PREFER_CANCEL;
    draw_button(c, fonts, okay.x1, okay.y1, ui_rect_width(okay), ui_rect_height(okay), kit::rgb(70, 130, 220), "OK", 18,
                kit::rgb(255, 255, 255));
    draw_button(c, fonts, cancel.x1, cancel.y1, ui_rect_width(cancel), ui_rect_height(cancel), kit::rgb(110, 110, 130),
                "Cancel", 18, kit::rgb(255, 255, 255));
    ok &= save_image(c, out, "images/prefer.png");

    make_toggle(fonts, "Yes", kit::rgb(64, 180, 76), kit::rgb(255, 255, 255), out, "images/yes.png", &ok);
    make_toggle(fonts, "No", kit::rgb(206, 64, 56), kit::rgb(255, 255, 255), out, "images/no.png", &ok);
    make_toggle(fonts, "Yes", kit::rgb(92, 98, 120), kit::rgb(160, 166, 186), out, "images/yes_grey.png", &ok);
    make_toggle(fonts, "No", kit::rgb(92, 98, 120), kit::rgb(160, 166, 186), out, "images/no_grey.png", &ok);
    return ok;
}

}  // namespace res
