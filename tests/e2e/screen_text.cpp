// Reading text off the screen: the null backend renders the expected text
// in the game's font, and the mask is slid along the line on the grab.
#include "tests/e2e/screen_text.h"

#include <algorithm>

#include "media/null/null_backend.h"

namespace e2e {

// The null backend's screen is opened once, wide enough for any line; the
// text is drawn with its top at y = 10.
TextMask render_text(const std::string& text, int size) {
    static TImageFont* fonts[2] = {nullptr, nullptr};
    if (!null_back_buffer()) open_screen(800 * 2, 100, 0, 60, 0);
    int which = size == 14 ? 0 : 1;
    if (!fonts[which]) fonts[which] = load_font(std::string(TEST_GAME_DIR) + "/fonts/Tahoma.ttf", size, 4);
    TextMask mask;
    if (!fonts[which]) return mask;
    set_clear_color(0, 0, 0);
    clear_screen();
    select_font(fonts[which]);
    set_color(255, 255, 255);
    set_blend(BLEND_ALPHA);
    set_alpha(1);
    draw_text(text, 0, 10);
    mask.width = std::min(text_width(text), 800 * 2);
    mask.height = text_height(text);
    TPixmap* back = null_back_buffer();
    for (int y = 0; y < mask.height; y++)
        for (int x = 0; x < mask.width; x++) {
            bool on = ((read_pixel(back, x, 10 + y) >> 16) & 255) > 128;
            mask.lit.push_back(on);
            mask.lit_count += on;
        }
    return mask;
}

// Every x along the line and a pixel up or down; a candidate is dropped as
// soon as it has too many differing pixels.
bool shows_text(const Shot& shot, const TextMask& mask, int top_y) {
    if (mask.lit_count == 0 || mask.width > shot.width) return false;
    int limit = mask.lit_count / 8 + 4;
    for (int dy = -1; dy <= 1; dy++)
        for (int x0 = 0; x0 + mask.width <= shot.width; x0++) {
            int wrong = 0;
            for (int y = 0; y < mask.height && wrong <= limit; y++)
                for (int x = 0; x < mask.width && wrong <= limit; x++) {
                    bool on = e2e::red(shot.at(x0 + x, top_y + dy + y)) > 128;
                    if (on != static_cast<bool>(mask.lit[static_cast<size_t>(y) * mask.width + x])) wrong++;
                }
            if (wrong <= limit) return true;
        }
    return false;
}

// Black in the corners and above and below the message line.
bool message_screen(const Shot& s) {
    return s.width > 0 && s.at(5, 5) == 0 && s.at(s.width - 5, 5) == 0 && s.at(s.width / 2, 100) == 0 &&
           s.at(s.width / 2, s.height - 20) == 0;
}

bool message_says(const Shot& s, const TextMask& mask) {
    return message_screen(s) && shows_text(s, mask, s.height / 2);
}

// The status box is centred on the middle, so its text's top is half a
// line above it.
bool status_says(const Shot& s, const TextMask& mask) { return shows_text(s, mask, s.height / 2 - mask.height / 2); }

}  // namespace e2e
