// Message boxes: the framed box in the middle of the screen that carries
// the status line, the help prompt and "please wait"; the box held in
// both display buffers during long operations; the blocking full-screen
// "press any key" message of file errors (held until the display opens
// when a file fails before it); and the F2 display info. Text wider than
// the screen is wrapped onto lines that fit it.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "ui/ui.h"

enum {
    MAX_HELD_MESSAGES = 8,  // more before the display opens are said on stderr only
    BOX_MARGIN = 16,        // least gap between a message box and the screen's side
    BOX_PADDING = 12,       // from the box's edge to its text
    PAGE_MARGIN = 20,       // least gap between a "press any key" line and the screen's side
};

// --- kept for the run ---
static std::vector<std::string> held_messages;  // said before the display opened, shown once it is

// How much of the board a translucent message box's inside hides.
static const float MESSAGE_INSIDE_ALPHA = 0.85f;

// ---------------------------------------------------------------------------
// Wrapping
// ---------------------------------------------------------------------------

// The longest start of `word` (at least one character, so that every line
// takes something) that fits in width.
static size_t fitting_prefix(const std::string& word, int width) {
    size_t n = 1;
    while (n < word.size() && text_width(word.substr(0, n + 1)) <= width) n++;
    return n;
}

std::vector<std::string> wrap_text(const std::string& text, int width) {
    if (text_width(text) <= width) return {text};  // as it is, spaces and all
    std::vector<std::string> lines;
    std::string line;
    size_t at = 0;
    while (at <= text.size()) {
        size_t space = text.find(' ', at);
        if (space == std::string::npos) space = text.size();
        std::string word = text.substr(at, space - at);
        at = space + 1;
        if (word.empty()) continue;  // runs of spaces fold into one
        std::string joined = line.empty() ? word : line + " " + word;
        if (text_width(joined) <= width) {
            line = joined;
            continue;
        }
        if (!line.empty()) lines.push_back(line);
        // A word wider than a whole line is cut where the line is full.
        while (text_width(word) > width && word.size() > 1) {
            size_t cut = fitting_prefix(word, width);
            lines.push_back(word.substr(0, cut));
            word = word.substr(cut);
        }
        line = word;
    }
    if (!line.empty() || lines.empty()) lines.push_back(line);
    return lines;
}

// Height of one line of the current font, for the pitch of wrapped lines.
static int line_pitch() { return text_height("Mg"); }

// ---------------------------------------------------------------------------
// Boxes and the full-screen message
// ---------------------------------------------------------------------------

void show_message(const std::string& text, int y, float alpha) {
    const std::string& shown = text.empty() ? status_message : text;
    int old_blend = get_blend();
    select_font(font_large);
    int w = display_width();
    int h = display_height();
    std::vector<std::string> lines = wrap_text(shown, w - 2 * (BOX_MARGIN + BOX_PADDING));
    int tw = 0;
    for (const std::string& line : lines) tw = std::max(tw, text_width(line));
    int pitch = line_pitch();
    int th = lines.size() == 1 ? text_height(shown) : pitch * (int)lines.size();
    if (y == 0) y = h / 2;  // y is the vertical centre of the box

    set_blend(BLEND_ALPHA);
    set_alpha(alpha);
    int left = w / 2 - tw / 2 - BOX_PADDING;
    int top = y - th / 2 - BOX_PADDING;
    set_color(64, 64, 255);
    draw_rect(left, top, tw + 2 * BOX_PADDING, th + 2 * BOX_PADDING);
    // An opaque box (the browsers' page titles) gets a navy inside. A
    // translucent one lets the board show through a dark teal that is
    // deep enough for the pale text on a white board as on a black one.
    if (alpha == 1.0f) {
        set_color(0, 0, 128);
    } else {
        set_alpha(MESSAGE_INSIDE_ALPHA);
        set_color(0, 60, 84);
    }
    draw_rect(left + 2, top + 2, tw + 2 * BOX_PADDING - 4, th + 2 * BOX_PADDING - 4);

    set_alpha(1);
    for (size_t i = 0; i < lines.size(); i++) {
        // One line keeps its own centre; wrapped ones stand at the pitch.
        int line_y = lines.size() == 1 ? y : y - th / 2 + pitch * (int)i + pitch / 2;
        set_color(0, 0, 0);
        draw_text_at(lines[i], w / 2 + 1, line_y + 1, 1, 1);
        set_color(255, 255, 192);
        draw_text_at(lines[i], w / 2, line_y, 1, 1);
    }
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
    std::vector<std::string> lines = wrap_text(text + " - press any key", display_width() - 2 * PAGE_MARGIN);
    // The first line stands where a single one always has, the middle of
    // the screen, and the rest follow below it.
    int top = display_height() / 2;
    for (size_t i = 0; i < lines.size(); i++)
        draw_text(lines[i], (display_width() - text_width(lines[i])) / 2, top + line_pitch() * (int)i);
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

// The display's own size first; a display shown scaled (full screen on a
// screen without its mode, or a window at 2x or 3x) adds the screen's size
// and the scale, to two places without trailing zeros.
void show_display_info() {
    status_message = "width:" + int_to_text(display_width()) + " height:" + int_to_text(display_height()) +
                     " depth:" + int_to_text(display_depth()) + " freq:" + int_to_text(display_hertz());
    float scale = display_scale();
    if (scale <= 0.0f || scale == 1.0f) return;
    int screen_w = 0, screen_h = 0;
    screen_size(&screen_w, &screen_h);
    char shown[16];
    std::snprintf(shown, sizeof shown, "%.2f", static_cast<double>(scale));
    std::string text = shown;
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    status_message += " screen:" + int_to_text(screen_w) + "x" + int_to_text(screen_h) + " scale:" + text;
}

void draw_help_prompt() {
    if (pref_help_prompt && help_prompt_active) show_message("press H at any time for Help", 0, 0.5f);
}
