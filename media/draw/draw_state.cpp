// The drawing state of the current display: colour, alpha, blend mode,
// rotation and scale with the matrix derived from them, viewport, origin,
// handle and font. The setters only store values; both backends read
// draw_state whenever they draw, so nothing here touches a display.
#include <cmath>

#include "media/draw/draw.h"
#include "media/media_internal.h"

// ---------------------------------------------------------------------------
// Kept for the run
// ---------------------------------------------------------------------------
TDrawState draw_state;         // state of the current display, applied by open_screen
int display_generation = 0;    // bumped by every open_screen; 0 = no display opened yet
int display_shown_serial = 0;  // bumped when what the display shows changes: each flip, each expose

// sin and cos of an angle in degrees, exact at quarter turns so that
// pieces turned by multiples of 90 degrees map pixels onto pixels.
static void sin_cos_degrees(float degrees, double* s, double* c) {
    double turns = std::fmod(static_cast<double>(degrees), 360.0);
    if (turns < 0) turns += 360.0;
    if (turns == 0.0) {
        *s = 0;
        *c = 1;
        return;
    }
    if (turns == 90.0) {
        *s = 1;
        *c = 0;
        return;
    }
    if (turns == 180.0) {
        *s = 0;
        *c = -1;
        return;
    }
    if (turns == 270.0) {
        *s = -1;
        *c = 0;
        return;
    }
    double radians = turns * M_PI / 180.0;
    *s = std::sin(radians);
    *c = std::cos(radians);
}

// ix = cos(rot) sx, iy = -sin(rot) sy, jx = sin(rot) sx, jy = cos(rot) sy.
static void update_matrix() {
    double s, c;
    sin_cos_degrees(draw_state.tform_rot, &s, &c);
    draw_state.tform_ix = static_cast<float>(c * draw_state.tform_scale_x);
    draw_state.tform_iy = static_cast<float>(-s * draw_state.tform_scale_y);
    draw_state.tform_jx = static_cast<float>(s * draw_state.tform_scale_x);
    draw_state.tform_jy = static_cast<float>(c * draw_state.tform_scale_y);
}

void set_color(int r, int g, int b) {
    draw_state.color_red = r;
    draw_state.color_green = g;
    draw_state.color_blue = b;
}

void get_color(int* r, int* g, int* b) {
    if (r) *r = draw_state.color_red;
    if (g) *g = draw_state.color_green;
    if (b) *b = draw_state.color_blue;
}

// Kept as given; the backends clamp to 0..1 when they apply it.
void set_alpha(float alpha) { draw_state.color_alpha = alpha; }

float get_alpha() { return draw_state.color_alpha; }

// Setting the current mode again does nothing, so a backend that caches
// its blend setup keyed on blend_mode never sees a spurious change.
void set_blend(int mode) {
    if (mode == draw_state.blend_mode) return;
    draw_state.blend_mode = mode;
}

int get_blend() { return draw_state.blend_mode; }

void set_rotation(float degrees) {
    draw_state.tform_rot = degrees;
    update_matrix();
}

float get_rotation() { return draw_state.tform_rot; }

void set_scale(float sx, float sy) {
    draw_state.tform_scale_x = sx;
    draw_state.tform_scale_y = sy;
    update_matrix();
}

void get_scale(float* sx, float* sy) {
    if (sx) *sx = draw_state.tform_scale_x;
    if (sy) *sy = draw_state.tform_scale_y;
}

// The backend compares the rectangle with the display size to decide
// whether clipping is on.
void set_viewport(int x, int y, int w, int h) {
    draw_state.viewport_x = x;
    draw_state.viewport_y = y;
    draw_state.viewport_w = w;
    draw_state.viewport_h = h;
}

void set_origin(float x, float y) {
    draw_state.origin_x = x;
    draw_state.origin_y = y;
}

void set_handle(float x, float y) {
    draw_state.handle_x = x;
    draw_state.handle_y = y;
}

void select_font(TImageFont* font) { draw_state.image_font = font; }

void set_clear_color(int r, int g, int b) {
    draw_state.clscolor_red = r;
    draw_state.clscolor_green = g;
    draw_state.clscolor_blue = b;
}

void transform_point(float x, float y, float px, float py, float* out_x, float* out_y) {
    const TDrawState& s = draw_state;
    if (out_x) *out_x = x + s.origin_x + px * s.tform_ix + py * s.tform_iy;
    if (out_y) *out_y = y + s.origin_y + px * s.tform_jx + py * s.tform_jy;
}

void reset_draw_state(int width, int height) {
    draw_state = TDrawState();
    draw_state.viewport_w = width;
    draw_state.viewport_h = height;
    draw_state.vres_width = (float)width;
    draw_state.vres_height = (float)height;
    draw_state.g_width = width;
    draw_state.g_height = height;
}
