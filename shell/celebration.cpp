// The one special celebration, after the jigsaw "4975red_mixer" is
// completed: the board tinted dark blue, a line of text revealed letter by
// letter, each letter flashing in under a burst of light, then 5 seconds.
// It blocks the loop throughout; keys pressed meanwhile wait in the queue.
#include "shell/shell.h"

enum {
    FLASH_FRAMES = 7,
    FLASH_STEP_MS = 50,  // milliseconds per flash or fade step
    CELEBRATION_HOLD_MS = 5000,
    CELEBRATION_FONT_SIZE = 28,
    SMOOTH_FONT = 4,
};

// Waits, polling the clock, until more than FLASH_STEP_MS have passed since t.
static void wait_step(int t) {
    while (clock_ms() - t <= FLASH_STEP_MS && clock_ms() >= t) delay(1);
}

static void draw_letter(const std::string& letter, int x, int y, int lw, int lh, float alpha) {
    set_blend(BLEND_ALPHA);
    set_alpha(alpha);
    set_color(255, 255, 128);
    draw_text(letter, static_cast<float>(x - lw / 2), static_cast<float>(y - lh / 2));
    set_color(255, 255, 255);
    set_alpha(1);
}

static void draw_flash(TImage* frame, int x, int y, int blend) {
    if (frame) {
        set_blend(BLEND_LIGHT);
        draw_image(frame, static_cast<float>(x), static_cast<float>(y), 0);
    }
    set_blend(blend);
}

int flash_letter(int letter, int x, int y) {
    TImage* frames[FLASH_FRAMES + 1] = {};
    for (int i = 1; i <= FLASH_FRAMES; i++) {
        frames[i] = load_image(base_dir + "images/flash/1/" + int_to_text(i) + ".png", -1);
        if (frames[i]) centre_image_handle(frames[i]);
    }
    int blend = get_blend();
    TImage* backdrop = create_image(display_width(), display_height(), 1, 0);
    if (backdrop) grab_image(backdrop, 0, 0, 0);
    std::string s(1, static_cast<char>(letter));
    int lw = text_width(s), lh = text_height(s);
    if (letter != ' ') {
        for (int i = 1; i <= FLASH_FRAMES; i++) {
            int t = clock_ms();
            if (backdrop) draw_image(backdrop, 0, 0, 0);
            draw_flash(frames[i], x, y, blend);
            flip(-1);
            wait_step(t);
        }
        float alpha = 0.25f;
        for (int i = FLASH_FRAMES; i >= 5; i--) {
            int t = clock_ms();
            if (backdrop) draw_image(backdrop, 0, 0, 0);
            draw_letter(s, x, y, lw, lh, alpha);
            alpha += 0.25f;
            draw_flash(frames[i], x, y, blend);
            flip(-1);
            if (i > 5) wait_step(t);
        }
        for (int k = 0; k < 2; k++) {
            if (backdrop) draw_image(backdrop, 0, 0, 0);
            draw_letter(s, x, y, lw, lh, 1);
            set_blend(blend);
            flip(-1);
        }
    }
    if (backdrop) free_image(backdrop);
    for (int i = 1; i <= FLASH_FRAMES; i++) {
        if (frames[i]) free_image(frames[i]);
    }
    return lw;
}

void celebrate(const std::string& text) {
    int cx = display_width() / 2, cy = display_height() / 2;
    TImageFont* font = load_font(base_dir + "fonts/courbi.ttf", CELEBRATION_FONT_SIZE, SMOOTH_FONT);
    TImage* backdrop = create_image(display_width(), display_height(), 1, -1);
    if (backdrop) grab_image(backdrop, 0, 0, 0);
    for (int k = 0; k < 2; k++) {
        set_color(0, 0, 150);
        if (backdrop) draw_image(backdrop, 0, 0, 0);
        set_color(255, 255, 255);
        flip(-1);
    }
    TImageFont* before = draw_state.image_font;
    select_font(font);
    // The pen starts half the line's width left of the centre; each letter
    // is flashed centred on its own middle, on the screen's middle line.
    int x = cx - text_width(text) / 2;
    for (char c : text) {
        int lw = text_width(std::string(1, c));
        x += flash_letter(static_cast<unsigned char>(c), x + lw / 2, cy);
    }
    delay(CELEBRATION_HOLD_MS);
    select_font(before);
    if (font) free_font(font);
    if (backdrop) free_image(backdrop);
}
