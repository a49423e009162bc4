// The resource maker's parts: every image and sound of the game folder's
// images/ and sounds/, drawn or synthesised from code. Each maker writes
// its files under `out` (the game folder) and returns false on a write
// failure. Shared drawing pieces (panels, buttons, key caps) are in
// ui_parts.cpp so that all boxes and pages share one look.
#pragma once

#include <string>

#include "screens/ui_geometry.h"
#include "tools/toolkit/toolkit.h"

namespace res {

struct Fonts {
    kit::Font regular;  // Tahoma
    kit::Font bold;     // Tahoma Bold (the regular face when missing)
};

// ---------------------------------------------------------------------------
// ui_parts.cpp: the common look
// ---------------------------------------------------------------------------

// Panel colours of the question boxes and the preferences page.
extern const kit::Color PANEL_TOP, PANEL_BOTTOM, PANEL_RIM, PANEL_TEXT, PANEL_SUBTEXT;

// A rounded panel filling the canvas: gradient body, light rim, a soft
// highlight along the top.
void draw_panel(kit::Canvas& canvas, kit::Color top, kit::Color bottom, kit::Color rim, double radius);
// A rounded button over the pixel rectangle (x, y, w, h) with its label
// centred; `base` is the button's main colour.
void draw_button(kit::Canvas& canvas, Fonts& fonts, int x, int y, int w, int h, kit::Color base,
                 const std::string& label, int size, kit::Color text);
// Text centred on x (horizontally) with its baseline at y, optionally with
// a one-pixel dark shadow.
void draw_text_centred(kit::Canvas& canvas, kit::Font& font, int size, double x, double baseline, kit::Color c,
                       const std::string& text, bool shadow);
// A keyboard key cap with a label, its top-left at (x, y).
int draw_key_cap(kit::Canvas& canvas, Fonts& fonts, int x, int y, int h, const std::string& label);
// Width a key cap for that label takes.
int key_cap_width(Fonts& fonts, const std::string& label);
// A small jigsaw piece silhouette of size s at (x, y), for icons.
kit::Path piece_icon_path(double x, double y, double s);

// Saves into out + "/" + name; prints a line naming the file on failure.
bool save_image(const kit::Canvas& canvas, const std::string& out, const std::string& name);

// ---------------------------------------------------------------------------
// The makers
// ---------------------------------------------------------------------------
bool make_confirm_boxes(Fonts& fonts, const std::string& out);  // confirm_boxes.cpp
bool make_help_pages(Fonts& fonts, const std::string& out);     // help_pages.cpp
bool make_prefer_page(Fonts& fonts, const std::string& out);    // prefer_page.cpp
bool make_board_images(Fonts& fonts, const std::string& out);   // board_images.cpp
bool make_flash_frames(const std::string& out);                 // flash_frames.cpp
bool make_effects(const std::string& out);                      // effects.cpp
bool make_music(const std::string& out);                        // music.cpp
// The desktop icon into out/<size>x<size>/apps/tessellon.png (an icon
// theme's layout), for the install; not part of the game folder.
bool make_app_icons(const std::string& out);  // app_icon.cpp

}  // namespace res
