// Damage of the back buffer: the display-free bookkeeping that lets a frame
// drawn over the kept copy of the board (a carried group, the status line,
// the pointer) repaint and show only the pixels that changed. Two facts
// are tracked: where the back buffer may differ from the kept copy (what
// was drawn since the last restore), and where it may differ from the
// frame on the screen (what changed since the last present). Anything
// without bounds (a clear, a real swap, an expose, a new display) drops
// back to repainting and showing the whole display.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "media/media_internal.h"

// ---------------------------------------------------------------------------
// The current display's buffers; reset by damage_reset at every open_screen
// ---------------------------------------------------------------------------
static int damage_width = 0, damage_height = 0;  // display size, pixels
static bool back_holds_kept = false;             // the back buffer equals the kept copy outside `overlay`
static TDamageRect overlay;                      // drawn since the last restore or save
static bool front_matches = false;               // the screen showed the back buffer at the last present, and it stayed
static bool changed_unbounded = false;           // the back buffer changed since that present without bounds
static TDamageRect changed;                      // where it changed since that present

bool damage_rect_empty(const TDamageRect& r) { return r.x0 >= r.x1 || r.y0 >= r.y1; }

static TDamageRect whole_display() { return {0, 0, damage_width, damage_height}; }

static void add_rect(TDamageRect* to, const TDamageRect& r) {
    if (damage_rect_empty(r)) return;
    if (damage_rect_empty(*to)) {
        *to = r;
        return;
    }
    to->x0 = std::min(to->x0, r.x0);
    to->y0 = std::min(to->y0, r.y0);
    to->x1 = std::max(to->x1, r.x1);
    to->y1 = std::max(to->y1, r.y1);
}

void damage_reset(int width, int height) {
    damage_width = width > 0 ? width : 0;
    damage_height = height > 0 ? height : 0;
    back_holds_kept = false;
    overlay = TDamageRect();
    front_matches = false;
    changed_unbounded = true;
    changed = TDamageRect();
}

// A pixel is drawn when its centre lies inside the quad, so the pixels
// from floor(min) to ceil(max) hold every one; one more on each side
// leaves room for the rasteriser's rounding of edges.
void damage_note_quad(const float xs[4], const float ys[4]) {
    float minx = INFINITY, maxx = -INFINITY, miny = INFINITY, maxy = -INFINITY;
    for (int k = 0; k < 4; k++) {
        minx = fminf(minx, xs[k]), maxx = fmaxf(maxx, xs[k]);
        miny = fminf(miny, ys[k]), maxy = fmaxf(maxy, ys[k]);
    }
    if (!std::isfinite(minx) || !std::isfinite(maxx) || !std::isfinite(miny) || !std::isfinite(maxy)) {
        damage_note_untracked();
        return;
    }
    const TDrawState& s = draw_state;
    float left = std::max(0.0f, (float)s.viewport_x), top = std::max(0.0f, (float)s.viewport_y);
    float right = std::min((float)damage_width, (float)s.viewport_x + (float)s.viewport_w);
    float bottom = std::min((float)damage_height, (float)s.viewport_y + (float)s.viewport_h);
    TDamageRect r;
    r.x0 = (int)std::max(left, floorf(minx) - 1);
    r.y0 = (int)std::max(top, floorf(miny) - 1);
    r.x1 = (int)std::min(right, ceilf(maxx) + 1);
    r.y1 = (int)std::min(bottom, ceilf(maxy) + 1);
    add_rect(&overlay, r);
    add_rect(&changed, r);
}

// A clear of the whole display leaves nothing to keep track of; one
// within a smaller viewport is a rectangle like any drawing.
void damage_note_clear() {
    const TDrawState& s = draw_state;
    TDamageRect r;
    r.x0 = std::max(0, s.viewport_x);
    r.y0 = std::max(0, s.viewport_y);
    r.x1 = (int)std::min((int64_t)damage_width, (int64_t)s.viewport_x + s.viewport_w);
    r.y1 = (int)std::min((int64_t)damage_height, (int64_t)s.viewport_y + s.viewport_h);
    if (r.x0 <= 0 && r.y0 <= 0 && r.x1 >= damage_width && r.y1 >= damage_height) {
        damage_note_untracked();
        return;
    }
    add_rect(&overlay, r);
    add_rect(&changed, r);
}

void damage_note_untracked() {
    back_holds_kept = false;
    changed_unbounded = true;
}

TDamageRect damage_save_region() { return back_holds_kept ? overlay : whole_display(); }

void damage_note_saved() {
    back_holds_kept = true;
    overlay = TDamageRect();
}

TDamageRect damage_restore_region() {
    TDamageRect region = back_holds_kept ? overlay : whole_display();
    add_rect(&changed, region);
    back_holds_kept = true;
    overlay = TDamageRect();
    return region;
}

void damage_note_front_lost() { front_matches = false; }

// A region is enough when the screen still shows the back buffer as it
// was at the last present and every change since has bounds. Otherwise a
// frame made of the kept copy is copied whole, so that its back buffer
// survives for the next frame's region; any other frame is swapped.
int damage_choose_present(bool can_copy_region, TDamageRect* region) {
    *region = whole_display();
    if (!can_copy_region) return PRESENT_SWAP;
    if (front_matches && !changed_unbounded) {
        *region = changed;
        return PRESENT_REGION;
    }
    return back_holds_kept ? PRESENT_WHOLE : PRESENT_SWAP;
}

void damage_note_presented(int how) {
    if (how == PRESENT_SWAP) back_holds_kept = false;  // the back buffer is undefined after a swap
    front_matches = how != PRESENT_SWAP;
    changed_unbounded = false;
    changed = TDamageRect();
}
