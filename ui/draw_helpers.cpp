// Small drawing and hit-test helpers shared by every screen: text placed
// or centred (with an optional shadow), images centred on the display
// with a soft shadow, inclusive rectangle tests against the live mouse or
// the remembered click, an outlined number, a thick frame, and the grab
// of the back buffer that becomes a saved game's thumbnail.
#include "ui/ui.h"

void draw_text_at(const std::string& text, int x, int y, int centre_x, int centre_y) {
    int ox = centre_x ? text_width(text) / 2 : 0;
    int oy = centre_y ? text_height(text) / 2 : 0;
    draw_text(text, x - ox, y - oy);
}

void draw_text_shadowed(const std::string& text, int x, int y, int centre_x, int centre_y, int shadow) {
    int old_blend = get_blend();
    set_blend(BLEND_ALPHA);
    int ox = centre_x ? text_width(text) / 2 : 0;
    int oy = centre_y ? text_height(text) / 2 : 0;
    if (shadow) {
        int r, g, b;
        get_color(&r, &g, &b);
        set_color(8, 8, 8);
        set_alpha(0.5f);
        draw_text(text, x - ox + 2, y - oy + 2);
        set_color(r, g, b);
    }
    set_alpha(1);
    draw_text(text, x - ox, y - oy);
    set_blend(old_blend);
}

void draw_centred_image(TImage* image, int shadow) {
    if (!image) return;
    int left = (display_width() - image_width(image)) / 2;
    int top = (display_height() - image_height(image)) / 2;
    if (shadow) {
        int old_blend = get_blend();
        set_blend(BLEND_ALPHA);
        set_alpha(0.5f);
        set_color(0, 0, 0);
        draw_image(image, left + 7, top + 7, 0);
        set_color(255, 255, 255);
        set_alpha(1);
        set_blend(old_blend);
    }
    draw_image(image, left, top, 0);
}

static int point_in_rect(int x, int y, int x1, int y1, int x2, int y2) {
    return (x >= x1 && x <= x2 && y >= y1 && y <= y2) ? 1 : 0;
}

int mouse_in_rect(int x1, int y1, int x2, int y2) { return point_in_rect(pointer_x(), pointer_y(), x1, y1, x2, y2); }

int mouse_in_centred_image(TImage* image, int x1, int y1, int x2, int y2) {
    if (!image) return 0;  // an image never loaded is never hit
    int left = (display_width() - image_width(image)) / 2;
    int top = (display_height() - image_height(image)) / 2;
    return mouse_in_rect(x1 + left, y1 + top, x2 + left, y2 + top);
}

int click_in_rect(int x1, int y1, int x2, int y2) { return point_in_rect(click_x, click_y, x1, y1, x2, y2); }

void draw_outlined_number(int n, int x, int y) {
    select_font(font_large);
    std::string text = int_to_text(n);
    set_color(0, 0, 0);
    draw_text_at(text, x - 2, y - 2, 1, 1);
    draw_text_at(text, x + 2, y + 2, 1, 1);
    draw_text_at(text, x - 2, y + 2, 1, 1);
    draw_text_at(text, x + 2, y - 2, 1, 1);
    set_color(255, 255, 255);
    draw_text_at(text, x, y, 1, 1);
}

void draw_thick_frame(int x, int y, int w, int h, int t) {
    draw_rect(x, y, w, t);
    draw_rect(x, y, t, h);
    draw_rect(x, y + h - t, w, t);
    draw_rect(x + w - t, y, t, h);
}

TPixmap* grab_screen_pixels() {
    // Always the top-left 800x600, also on the large display.
    TImage* grab = create_image(800, 600, 1, -1);
    if (!grab) return nullptr;
    grab_image(grab, 0, 0, 0);
    const TPixmap* pixels = lock_image(grab, 0, true, false);
    TPixmap* copy = pixels ? copy_pixmap(pixels) : nullptr;
    free_image(grab);
    return copy;
}

bool save_thumbnail_pixels(const TPixmap* pixels, const std::string& path, float scale, int w, int h) {
    if (!pixels) return false;
    if (scale >= 1) return save_pixmap_png(pixels, path, 5);
    TPixmap* small = resize_pixmap(pixels, static_cast<int>(w * scale), static_cast<int>(h * scale));
    bool written = small && save_pixmap_png(small, path, 5);
    free_pixmap(small);
    return written;
}

bool grab_screen_thumbnail(const std::string& path, float scale, int w, int h) {
    TPixmap* pixels = grab_screen_pixels();
    bool written = save_thumbnail_pixels(pixels, path, scale, w, h);
    free_pixmap(pixels);
    return written;
}
