// The null display: the display half of the drawing layer on CPU buffers,
// for tests. A small software rasteriser draws image frames and rectangles
// as the real backend's quads would land: corners through the matrix and
// origin, a pixel covered when its centre lies inside the quad, nearest
// texel sampling, colour and alpha multiplication, the five blend modes
// and viewport clipping. Buffers are RGBA with alpha kept at 255.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "media/media_internal.h"
#include "media/null/null_backend.h"

struct NullDisplay {
    bool open = false;
    int width = 0, height = 0, depth = 0, hertz = 0;
    TPixmap back, front;        // RGBA, width x height
    TPixmap kept;               // save_back_buffer's copy; empty = none
    bool mouse_hidden = false;  // hide_mouse ran for this display
};

enum { MAX_DISPLAY_SIDE = 8192 };

// --- kept for the run ---
static NullDisplay null_display;                 // the one display; `open` says if it exists
static NullOpenCall last_open;                   // arguments of the latest open_screen
static std::vector<TGraphicsMode> mode_list = {  // what display_modes reports
    {640, 480, 32, 60},
    {800, 600, 32, 60},
    {1024, 768, 32, 60}};
static int last_flip_sync = 0;           // argument of the latest flip
static int flip_count = 0;               // flips so far
static bool region_presents = true;      // flip may copy only what changed, as a GLX with sub-buffer copies does
static int last_present = PRESENT_SWAP;  // how the latest flip presented
static TDamageRect last_present_region;  // and what it copied
static int presented_serial = -1;        // display_shown_serial right after the latest flip
static std::string app_title;            // from set_app_title
static int screen_w = 0, screen_h = 0;   // the screen set by null_set_screen_size; 0 = none
static bool keep_resolution = false;     // from set_keep_screen_resolution
static float open_scale = 0;             // display_scale() of the open display

// ---------------------------------------------------------------------------
// Test hooks
// ---------------------------------------------------------------------------

void null_set_display_modes(const std::vector<TGraphicsMode>& modes) { mode_list = modes; }
void null_set_screen_size(int width, int height) {
    screen_w = std::max(0, width);
    screen_h = std::max(0, height);
}
const NullOpenCall& null_last_open() { return last_open; }
TPixmap* null_back_buffer() { return null_display.open ? &null_display.back : nullptr; }
TPixmap* null_front_buffer() { return null_display.open ? &null_display.front : nullptr; }
bool null_mouse_hidden() { return null_display.open && null_display.mouse_hidden; }
int null_last_flip_sync() { return last_flip_sync; }
int null_flip_count() { return flip_count; }
void null_set_region_presents(bool allowed) { region_presents = allowed; }
int null_last_present(int* x0, int* y0, int* x1, int* y1) {
    *x0 = last_present_region.x0, *y0 = last_present_region.y0;
    *x1 = last_present_region.x1, *y1 = last_present_region.y1;
    return last_present;
}
const std::string& null_app_title() { return app_title; }

void hide_mouse() {
    if (null_display.open) null_display.mouse_hidden = true;
}

// ---------------------------------------------------------------------------
// Buffers and clipping
// ---------------------------------------------------------------------------

static void make_buffer(TPixmap* p, int w, int h) {
    p->width = w;
    p->height = h;
    p->pitch = w * 4;
    p->format = PF_RGBA8888;
    p->pixels.assign((size_t)w * (size_t)h * 4, 0);
    p->capacity = (int)p->pixels.size();
    p->_source.clear();
}

// The drawable rectangle: the viewport within the buffer, as [x0, x1) x [y0, y1).
static bool clip_rect(int* x0, int* y0, int* x1, int* y1) {
    const TDrawState& s = draw_state;
    *x0 = s.viewport_x > 0 ? s.viewport_x : 0;
    *y0 = s.viewport_y > 0 ? s.viewport_y : 0;
    int64_t right = (int64_t)s.viewport_x + s.viewport_w, bottom = (int64_t)s.viewport_y + s.viewport_h;
    *x1 = (int)(right < null_display.width ? right : null_display.width);
    *y1 = (int)(bottom < null_display.height ? bottom : null_display.height);
    return null_display.open && *x0 < *x1 && *y0 < *y1;
}

static uint8_t to_byte(float v) {
    if (!(v > 0.0f)) return 0;
    if (v >= 255.0f) return 255;
    return (uint8_t)(v + 0.5f);
}

static int clamp_byte(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

// Blends one fragment (colour 0..255, alpha 0..1) into the back buffer.
static void blend_fragment(uint8_t* dst, float r, float g, float b, float a) {
    float src[3] = {r, g, b};
    switch (draw_state.blend_mode) {
    case BLEND_MASK:
        if (a < 0.5f) return;
        for (int c = 0; c < 3; c++) dst[c] = to_byte(src[c]);
        break;
    case BLEND_ALPHA:
        for (int c = 0; c < 3; c++) dst[c] = to_byte(src[c] * a + dst[c] * (1.0f - a));
        break;
    case BLEND_LIGHT:
        for (int c = 0; c < 3; c++) dst[c] = to_byte(src[c] * a + dst[c]);
        break;
    case BLEND_SHADE:
        for (int c = 0; c < 3; c++) dst[c] = to_byte(src[c] * dst[c] / 255.0f);
        break;
    default:  // solid, and any unknown mode
        for (int c = 0; c < 3; c++) dst[c] = to_byte(src[c]);
        break;
    }
    dst[3] = 255;
}

// ---------------------------------------------------------------------------
// The rasteriser
// ---------------------------------------------------------------------------

// Fills the quad of a w x h area whose point (hx, hy) lands on (x, y),
// mapped through the matrix and origin. Each covered pixel samples `tex`
// (Null: opaque white) at the nearest texel, times the drawing colour.
static void draw_quad(float x, float y, float hx, float hy, float w, float h, const TPixmap* tex) {
    int cx0, cy0, cx1, cy1;
    if (w <= 0 || h <= 0 || !clip_rect(&cx0, &cy0, &cx1, &cy1)) return;
    const TDrawState& s = draw_state;
    const float ix = s.tform_ix, iy = s.tform_iy, jx = s.tform_jx, jy = s.tform_jy;
    const float det = ix * jy - iy * jx;
    if (det == 0.0f || !std::isfinite(det)) return;
    const float px = x + s.origin_x, py = y + s.origin_y;

    // Bounding box of the four mapped corners.
    const float cu[4] = {-hx, -hx + w, -hx + w, -hx}, cv[4] = {-hy, -hy, -hy + h, -hy + h};
    float minx = INFINITY, maxx = -INFINITY, miny = INFINITY, maxy = -INFINITY;
    float xs[4], ys[4];
    for (int k = 0; k < 4; k++) {
        float sx = px + cu[k] * ix + cv[k] * iy, sy = py + cu[k] * jx + cv[k] * jy;
        xs[k] = sx, ys[k] = sy;
        minx = fminf(minx, sx), maxx = fmaxf(maxx, sx);
        miny = fminf(miny, sy), maxy = fmaxf(maxy, sy);
    }
    damage_note_quad(xs, ys);
    if (!std::isfinite(minx) || !std::isfinite(maxx) || !std::isfinite(miny) || !std::isfinite(maxy)) return;
    int x0 = (int)fmaxf((float)cx0, floorf(minx)), x1 = (int)fminf((float)cx1, ceilf(maxx));
    int y0 = (int)fmaxf((float)cy0, floorf(miny)), y1 = (int)fminf((float)cy1, ceilf(maxy));

    const float cr = (float)clamp_byte(s.color_red), cg = (float)clamp_byte(s.color_green),
                cb = (float)clamp_byte(s.color_blue);
    float alpha = s.color_alpha < 0 ? 0 : s.color_alpha > 1 ? 1 : s.color_alpha;
    const float ca = (float)(int)(alpha * 255.0f) / 255.0f;

    const float inv_det = 1.0f / det;
    const bool direct = tex && tex->format == PF_RGBA8888 && tex->pitch >= tex->width * 4;
    const float tex_sx = tex ? (float)tex->width / w : 0, tex_sy = tex ? (float)tex->height / h : 0;
    for (int yy = y0; yy < y1; yy++) {
        uint8_t* row = null_display.back.pixels.data() + (size_t)yy * (size_t)null_display.back.pitch;
        const float dy = yy + 0.5f - py;
        for (int xx = x0; xx < x1; xx++) {
            // Back from the pixel centre to the area's own coordinates.
            const float dx = xx + 0.5f - px;
            const float u = (jy * dx - iy * dy) * inv_det + hx;
            const float v = (-jx * dx + ix * dy) * inv_det + hy;
            if (!(u >= 0 && u < w && v >= 0 && v < h)) continue;
            float tr = 255, tg = 255, tb = 255, ta = 1;
            if (tex) {
                int tx = (int)(u * tex_sx), ty = (int)(v * tex_sy);
                if (tx >= tex->width) tx = tex->width - 1;
                if (ty >= tex->height) ty = tex->height - 1;
                if (direct) {
                    const uint8_t* t = tex->pixels.data() + (size_t)ty * (size_t)tex->pitch + (size_t)tx * 4;
                    tr = t[0], tg = t[1], tb = t[2], ta = t[3] / 255.0f;
                } else {
                    uint32_t argb = read_pixel(tex, tx, ty);
                    ta = (float)(argb >> 24) / 255.0f;
                    tr = (float)(argb >> 16 & 255), tg = (float)(argb >> 8 & 255), tb = (float)(argb & 255);
                }
            }
            blend_fragment(row + (size_t)xx * 4, tr * cr / 255.0f, tg * cg / 255.0f, tb * cb / 255.0f, ta * ca);
        }
    }
}

void draw_image(TImage* image, float x, float y, int frame) {
    if (!image || frame < 0 || frame >= (int)image->pixmaps.size()) return;
    const TPixmap* pixmap = image->pixmaps[(size_t)frame];
    if (!pixmap || pixmap->width <= 0 || pixmap->height <= 0) return;
    // A masked image whose pixels carry no alpha is drawn with the mask
    // applied, as its texture would be.
    TPixmap* masked = nullptr;
    if ((image->flags & IMG_MASKED) && !pixmap_has_alpha(pixmap->format)) {
        masked = mask_pixmap(pixmap, image->mask_r, image->mask_g, image->mask_b);
        if (!masked) return;
        pixmap = masked;
    }
    draw_quad(x, y, image->handle_x, image->handle_y, (float)image->width, (float)image->height, pixmap);
    if (masked) free_pixmap(masked);
}

void draw_rect(float x, float y, float w, float h) {
    draw_quad(x, y, draw_state.handle_x, draw_state.handle_y, w, h, nullptr);
}

void grab_image(TImage* image, int x, int y, int frame) {
    if (!image || !null_display.open || image->width <= 0 || image->height <= 0) return;
    const int w = image->width, h = image->height;
    // The rectangle as RGBA; outside the buffer reads opaque black.
    TPixmap grabbed;
    make_buffer(&grabbed, w, h);
    for (int j = 0; j < h; j++) {
        uint8_t* dst = grabbed.pixels.data() + (size_t)j * (size_t)grabbed.pitch;
        for (int i = 0; i < w; i++) dst[(size_t)i * 4 + 3] = 255;
        int sy = y + j;
        if (sy < 0 || sy >= null_display.height) continue;
        for (int i = 0; i < w; i++) {
            int sx = x + i;
            if (sx < 0 || sx >= null_display.width) continue;
            const uint8_t* src =
                null_display.back.pixels.data() + (size_t)sy * (size_t)null_display.back.pitch + (size_t)sx * 4;
            memcpy(dst + (size_t)i * 4, src, 4);
        }
    }
    image_store_grab(image, frame, &grabbed);
}

// ---------------------------------------------------------------------------
// The display
// ---------------------------------------------------------------------------

const std::vector<TGraphicsMode>& display_modes() { return mode_list; }
int display_width() { return null_display.open ? null_display.width : 0; }
int display_height() { return null_display.open ? null_display.height : 0; }
int display_depth() { return null_display.open ? null_display.depth : 0; }
int display_hertz() { return null_display.open ? null_display.hertz : 0; }

void set_keep_screen_resolution(bool keep) { keep_resolution = keep; }
void screen_size(int* width, int* height) {
    *width = screen_w;
    *height = screen_h;
}
float display_scale() { return null_display.open ? open_scale : 0; }

void close_screen() {
    if (!null_display.open) return;
    null_display.open = false;
    null_display.back = TPixmap();
    null_display.front = TPixmap();
    null_display.kept = TPixmap();
    draw_state._graphics = nullptr;
    draw_state._driver = nullptr;
}

void* open_screen(int width, int height, int depth, int hertz, int flags) {
    last_open.width = width;
    last_open.height = height;
    last_open.depth = depth;
    last_open.hertz = hertz;
    last_open.flags = flags;
    last_open.calls++;
    close_screen();
    if (width <= 0 || height <= 0 || width > MAX_DISPLAY_SIDE || height > MAX_DISPLAY_SIDE) return nullptr;
    // With a screen set, as the real display: full screen without the mode
    // (or keeping the resolution) scales to the screen, a window takes the
    // largest whole factor that fits it. Without one, full screen needs the mode.
    open_scale = 1;
    if (depth != 0) {
        bool listed = false;
        for (const TGraphicsMode& m : mode_list) listed = listed || (m.width == width && m.height == height);
        bool scaled = screen_w > 0 && screen_h > 0 && (keep_resolution || !listed);
        if (!listed && !scaled) return nullptr;
        if (scaled) open_scale = (float)scale_fit(width, height, screen_w, screen_h).w / (float)width;
    } else if (screen_w > 0 && screen_h > 0) {
        open_scale = (float)scale_window_factor(width, height, screen_w, screen_h);
    }

    NullDisplay& d = null_display;
    d.open = true;
    d.width = width;
    d.height = height;
    d.depth = depth;
    d.hertz = hertz;
    d.mouse_hidden = false;
    make_buffer(&d.back, width, height);
    make_buffer(&d.front, width, height);
    display_generation++;
    damage_reset(width, height);
    presented_serial = -1;

    reset_draw_state(width, height);
    draw_state._graphics = &null_display;
    draw_state._driver = &null_display;
    for (int i = 0; i < 2; i++) {  // both buffers, as the real display does it
        clear_screen();
        flip(0);
    }
    draw_state._setup = 1;
    if (depth != 0) move_mouse(width / 2, height / 2);
    return &null_display;
}

// Copies the rows of a rectangle (clipped to the display) between two
// buffers of the display's size.
static void copy_region(const TPixmap& from, TPixmap* to, const TDamageRect& r) {
    int x0 = std::max(r.x0, 0), y0 = std::max(r.y0, 0);
    int x1 = std::min(r.x1, null_display.width), y1 = std::min(r.y1, null_display.height);
    if (x0 >= x1 || y0 >= y1 || from.pixels.size() != to->pixels.size()) return;
    for (int y = y0; y < y1; y++) {
        size_t at = (size_t)y * (size_t)from.pitch + (size_t)x0 * 4;
        memcpy(to->pixels.data() + at, from.pixels.data() + at, (size_t)(x1 - x0) * 4);
    }
}

// Presents as the real display would: a region when the damage allows it,
// else the whole back buffer (a swap here keeps the back buffer's pixels,
// but the damage treats them as undefined, as after a real swap).
void flip(int sync) {
    last_flip_sync = sync;
    flip_count++;
    if (null_display.open) {
        if (display_shown_serial != presented_serial) damage_note_front_lost();
        last_present = damage_choose_present(region_presents, &last_present_region);
        if (last_present == PRESENT_REGION)
            copy_region(null_display.back, &null_display.front, last_present_region);
        else
            null_display.front.pixels = null_display.back.pixels;
        damage_note_presented(last_present);
    }
    display_shown_serial++;
    presented_serial = display_shown_serial;
    backend_pump_events(false);
}

// The null display draws from the frames' pixmaps and never lets go of
// them, so there is no texture to read.
TPixmap* backend_read_frame(const TImage*, int, TTextureRead*) { return nullptr; }

// Only where the back buffer may differ from the copy already kept.
bool save_back_buffer() {
    if (!null_display.open) return false;
    if (null_display.kept.pixels.size() != null_display.back.pixels.size())
        null_display.kept = null_display.back;
    else
        copy_region(null_display.back, &null_display.kept, damage_save_region());
    damage_note_saved();
    return true;
}

bool restore_back_buffer() {
    if (!null_display.open || null_display.kept.pixels.size() != null_display.back.pixels.size() ||
        null_display.kept.pixels.empty())
        return false;
    copy_region(null_display.kept, &null_display.back, damage_restore_region());
    return true;
}

bool draw_kept_enlarged(int cx, int cy, int size, int zoom) {
    if (!null_display.open || null_display.kept.pixels.size() != null_display.back.pixels.size() ||
        null_display.kept.pixels.empty())
        return false;
    TDamageRect from, to;
    int x0, y0, x1, y1;
    if (!kept_enlarged_rects(cx, cy, size, zoom, null_display.width, null_display.height, &from, &to)) return true;
    if (!clip_rect(&x0, &y0, &x1, &y1)) return true;
    x0 = std::max(x0, to.x0), y0 = std::max(y0, to.y0);
    x1 = std::min(x1, to.x1), y1 = std::min(y1, to.y1);
    const TPixmap& kept = null_display.kept;
    TPixmap* back = &null_display.back;
    for (int y = y0; y < y1; y++) {
        int ky = from.y0 + (y - to.y0) / zoom;
        for (int x = x0; x < x1; x++) {
            int kx = from.x0 + (x - to.x0) / zoom;
            memcpy(back->pixels.data() + (size_t)y * back->pitch + (size_t)x * 4,
                   kept.pixels.data() + (size_t)ky * kept.pitch + (size_t)kx * 4, 4);
        }
    }
    float xs[4] = {(float)to.x0, (float)to.x1, (float)to.x1, (float)to.x0};
    float ys[4] = {(float)to.y0, (float)to.y0, (float)to.y1, (float)to.y1};
    damage_note_quad(xs, ys);
    return true;
}

void clear_screen() {
    int x0, y0, x1, y1;
    if (!clip_rect(&x0, &y0, &x1, &y1)) return;
    const uint8_t rgba[4] = {(uint8_t)clamp_byte(draw_state.clscolor_red),
                             (uint8_t)clamp_byte(draw_state.clscolor_green),
                             (uint8_t)clamp_byte(draw_state.clscolor_blue), 255};
    for (int y = y0; y < y1; y++) {
        uint8_t* row = null_display.back.pixels.data() + (size_t)y * (size_t)null_display.back.pitch;
        for (int x = x0; x < x1; x++) memcpy(row + (size_t)x * 4, rgba, 4);
    }
    damage_note_clear();
}

void set_app_title(const std::string& title) { app_title = title; }
