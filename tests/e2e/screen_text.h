// Reading text off the screen in end-to-end tests: the text is drawn with
// the game's own font by the media layer's null backend into a mask of lit
// pixels, which is then looked for on a screen grab. Lit means red above
// half, which holds for the white "press any key" text on black and for
// the pale status line on its cyan box.
#pragma once

#include <string>
#include <vector>

#include "tests/e2e/harness.h"

namespace e2e {

struct TextMask {
    int width = 0, height = 0;
    std::vector<char> lit;  // row by row
    int lit_count = 0;
};

// The text in fonts/Tahoma.ttf at that pixel size (14 is the font of the
// blocking messages, 22 that of the status line); empty when the font
// cannot be loaded.
TextMask render_text(const std::string& text, int size);
// True when the text stands somewhere along the line whose top is at
// top_y (give or take a pixel): at most an eighth of its lit pixels differ.
bool shows_text(const Shot& shot, const TextMask& mask, int top_y);
// The blocking "press any key" message: a black screen with one line of
// small white text whose top is at the middle.
bool message_screen(const Shot& s);
bool message_says(const Shot& s, const TextMask& mask);
// The status line in its box, centred on the middle of the screen.
bool status_says(const Shot& s, const TextMask& mask);

}  // namespace e2e
