// Message boxes: the framed box in the middle of the screen that carries
// the status line, the help prompt and "please wait"; the box held in
// both display buffers during long operations; the blocking full-screen
// "press any key" message of file errors (held until the display opens
// when a file fails before it); and the F2 display info.
#include <cstdio>
#include <vector>

#include "ui/ui.h"

enum { MAX_HELD_MESSAGES = 8 };  // more before the display opens are said on stderr only

// --- kept for the run ---
static std::vector<std::string> held_messages;  // said before the display opened, shown once it is

// How much of the board a translucent message box's inside hides.
static const float MESSAGE_INSIDE_ALPHA = 0.85f;

void show_message(const std::string& text, int y, float alpha) {
    const std::string& shown = text.empty() ? status_message : text;
    int old_blend = get_blend();
    select_font(font_large);
    int tw = text_width(shown);
    int th = text_height(shown);
    int w = display_width();
    int h = display_height();
    if (y == 0) y = h / 2;  // y is the vertical centre of the box

    set_blend(BLEND_ALPHA);
    set_alpha(alpha);
    int left = w / 2 - tw / 2 - 12;
    int top = y - th / 2 - 12;
    set_color(64, 64, 255);
    draw_rect(left, top, tw + 24, th + 24);
    // An opaque box (the browsers' page titles) gets a navy inside. A
    // translucent one lets the board show through a dark teal that is
    // deep enough for the pale text on a white board as on a black one.
    if (alpha == 1.0f) {
        set_color(0, 0, 128);
    } else {
        set_alpha(MESSAGE_INSIDE_ALPHA);
        set_color(0, 60, 84);
    }
    draw_rect(left + 2, top + 2, tw + 20, th + 20);

    set_alpha(1);
    set_color(0, 0, 0);
    draw_text_at(shown, w / 2 + 1, y + 1, 1, 1);
    set_color(255, 255, 192);
    draw_text_at(shown, w / 2, y, 1, 1);
    set_color(255, 255, 255);
    set_blend(old_blend);
}

void show_message_held(const std::string& text) {
    // Drawn into both buffers, so it stays while nothing is drawn.
    show_message(text, 0, 0.5f);
    flip(1);
    show_message(text, 0, 0.5f);
}

void message_and_wait(const std::string& text) {
    if (display_width() <= 0 || display_lost()) {
        // Nothing could show the message nor deliver the key it waits for:
        // waiting here would hang the start-up with no window and no word,
        // or the save on the way out once the X server has gone.
        std::fprintf(stderr, "tessellon: %s\n", text.c_str());
        if (!display_lost() && held_messages.size() < MAX_HELD_MESSAGES) held_messages.push_back(text);
        return;
    }
    int old_blend = get_blend();
    set_clear_color(0, 0, 0);
    clear_screen();
    select_font(font_small);
    set_color(255, 255, 255);
    set_blend(BLEND_ALPHA);
    std::string shown = text + " - press any key";
    draw_text(shown, (display_width() - text_width(shown)) / 2, display_height() / 2);
    set_blend(old_blend);
    flip(-1);
    // The key that ends the wait stays queued for the main loop.
    wait_any_key();
}

void show_held_messages() {
    std::vector<std::string> shown;
    shown.swap(held_messages);
    for (const std::string& text : shown) message_and_wait(text);
}

void show_display_info() {
    status_message = "width:" + int_to_text(display_width()) + " height:" + int_to_text(display_height()) +
                     " depth:" + int_to_text(display_depth()) + " freq:" + int_to_text(display_hertz());
}

void draw_help_prompt() {
    if (pref_help_prompt && help_prompt_active) show_message("press H at any time for Help", 0, 0.5f);
}
