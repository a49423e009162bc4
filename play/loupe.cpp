// The loupe: a square magnifier that follows the pointer on the board and
// shows the kept board under it two or three times larger. It reads the
// copy of the board that carrying already keeps, so it costs one quad a
// frame, no frame at all while the pointer is still, and picking never
// looks at it: the pointer's own pixel is what a click takes.
#include "play/play.h"
#include "ui/ui.h"

// --- kept for the run ---
int loupe_zoom = 0;

enum {
    LOUPE_SHARE = 5,   // the square's side is the display's height over this
    LOUPE_GRAIN = 12,  // a multiple of twice either zoom, so the square holds whole pixels
    LOUPE_RIM = 3,     // the frame around it, pixels
};

void cycle_loupe() { loupe_zoom = loupe_zoom == 0 ? 2 : (loupe_zoom == 2 ? 3 : 0); }

int loupe_size() { return display_height() / LOUPE_SHARE / LOUPE_GRAIN * LOUPE_GRAIN; }

void draw_loupe() {
    if (loupe_zoom < 2) return;
    int size = loupe_size(), x = pointer_x(), y = pointer_y();
    int left = x - size / 2, top = y - size / 2;
    int r, g, b;
    get_color(&r, &g, &b);
    float alpha = get_alpha();
    int blend = get_blend();
    set_alpha(1);
    set_blend(BLEND_SOLID);
    // A light rim around a dark one. By the board's edge the dark one
    // also fills what lies beyond it; elsewhere the square covers its
    // inside, which is not filled twice.
    int outer = size + 2 * LOUPE_RIM;
    set_color(224, 224, 224);
    draw_thick_frame(left - LOUPE_RIM, top - LOUPE_RIM, outer, outer, 1);
    set_color(24, 24, 24);
    int half = size / (2 * loupe_zoom);  // the board pixels it shows on either side of the pointer
    bool inside = x >= half && y >= half && x + half <= display_width() && y + half <= display_height();
    if (inside)
        draw_thick_frame(left - LOUPE_RIM + 1, top - LOUPE_RIM + 1, outer - 2, outer - 2, LOUPE_RIM - 1);
    else
        draw_rect(left - LOUPE_RIM + 1, top - LOUPE_RIM + 1, outer - 2, outer - 2);
    draw_kept_enlarged(x, y, size, loupe_zoom);
    set_color(r, g, b);
    set_alpha(alpha);
    set_blend(blend);
}
