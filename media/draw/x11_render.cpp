// OpenGL 1.x drawing for the X11 backend: clearing, textured quads for
// image frames, filled rectangles and reading the back buffer. Textures are
// made lazily from the frames' pixmaps and rebuilt after a display re-open
// or a write lock: small frames get a cell on a shared atlas page, larger
// ones a power-of-two texture of their own. Quads wait in a batch while
// the texture, blend and clipping stay the same, and go to the GL in one
// vertex-array call, in the order they were drawn. A frame whose texture
// holds it exactly gives up its own pixels; they are read back from the
// texture when the frame is locked or before the context goes.
// Depends on GL (vertex arrays, fixed function) and the shared pixmap code.
#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "media/draw/x11_backend.h"
#include "media/media_internal.h"

// ---------------------------------------------------------------------------
// GL state of the current context, reset by x11_render_begin
// ---------------------------------------------------------------------------
static GLuint bound_texture = 0;                                          // texture bound to GL_TEXTURE_2D
static bool texturing = false;                                            // GL_TEXTURE_2D enabled
static int applied_blend = -1;                                            // blend mode set in GL, -1 = unknown
static bool scissor_on = false;                                           // GL_SCISSOR_TEST enabled
static int scissor_x = 0, scissor_y = 0, scissor_w = -1, scissor_h = -1;  // last glScissor, display coords
static int texture_changes = 0;                                           // texture binds since the last glFlush
static GLint max_texture_size = 0;                                        // GL_MAX_TEXTURE_SIZE
static GLuint kept_texture = 0;                                           // save_back_buffer's copy; 0 = none
static int kept_tw = 0, kept_th = 0;                                      // its texture size (covers the display)
static bool any_texture_size = false;                                     // textures need not be powers of two

// One corner of a batched quad.
struct TBatchVertex {
    float x, y;       // display position
    float u, v;       // texture coordinates
    GLubyte rgba[4];  // colour and alpha
};
static std::vector<TBatchVertex> batch;  // quads drawn but not yet handed to the GL

// The side of an atlas page, and the sampling kinds of pages.
enum { ATLAS_PAGE_SIDE = 512 };
enum { ATLAS_NEAREST = 0, ATLAS_LINEAR = 1 };

// Software renderers (llvmpipe) run much faster when a long run of
// texture changes is handed over in pieces than in one go at the swap.
enum { TEXTURE_CHANGES_PER_FLUSH = 50 };

// ---------------------------------------------------------------------------
// State
// ---------------------------------------------------------------------------

// Hands the waiting quads to the GL. Called before anything that changes
// the state they were drawn with, or that reads or shows the back buffer.
static void flush_batch() {
    if (batch.empty()) return;
    const TBatchVertex* first = batch.data();
    glVertexPointer(2, GL_FLOAT, sizeof(TBatchVertex), &first->x);
    glTexCoordPointer(2, GL_FLOAT, sizeof(TBatchVertex), &first->u);
    glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(TBatchVertex), first->rgba);
    glDrawArrays(GL_QUADS, 0, (GLsizei)batch.size());
    batch.clear();
}

void x11_render_flush() { flush_batch(); }

static void apply_blend(int mode) {
    if (mode == applied_blend) return;
    flush_batch();
    applied_blend = mode;
    switch (mode) {
    case BLEND_MASK:
        glDisable(GL_BLEND);
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GEQUAL, 0.5f);
        break;
    case BLEND_ALPHA:
        glDisable(GL_ALPHA_TEST);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        break;
    case BLEND_LIGHT:
        glDisable(GL_ALPHA_TEST);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        break;
    case BLEND_SHADE:
        glDisable(GL_ALPHA_TEST);
        glEnable(GL_BLEND);
        glBlendFunc(GL_DST_COLOR, GL_ZERO);
        break;
    default:  // solid, and any unknown mode
        glDisable(GL_ALPHA_TEST);
        glDisable(GL_BLEND);
        break;
    }
}

// The viewport clips through the scissor; the whole display switches it off.
static void apply_viewport() {
    const TDrawState& s = draw_state;
    bool whole = s.viewport_x == 0 && s.viewport_y == 0 && s.viewport_w == s.g_width && s.viewport_h == s.g_height;
    if (whole) {
        if (scissor_on) {
            flush_batch();
            glDisable(GL_SCISSOR_TEST);
            scissor_on = false;
        }
        return;
    }
    int w = std::max(0, s.viewport_w), h = std::max(0, s.viewport_h);
    bool moved = s.viewport_x != scissor_x || s.viewport_y != scissor_y || w != scissor_w || h != scissor_h;
    if (!scissor_on || moved) flush_batch();
    if (!scissor_on) {
        glEnable(GL_SCISSOR_TEST);
        scissor_on = true;
    }
    if (moved) {
        scissor_x = s.viewport_x;
        scissor_y = s.viewport_y;
        scissor_w = w;
        scissor_h = h;
        glScissor(scissor_x, s.g_height - scissor_y - h, w, h);  // GL counts rows from the bottom
    }
}

void x11_texture_storage(int filter, int tw, int th) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, tw, th, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
}

static void use_texture(GLuint texture) {
    if (texture == 0) {
        if (texturing) {
            flush_batch();
            glDisable(GL_TEXTURE_2D);
            texturing = false;
        }
        return;
    }
    if (!texturing || texture != bound_texture) flush_batch();
    if (!texturing) {
        glEnable(GL_TEXTURE_2D);
        texturing = true;
    }
    if (texture != bound_texture) {
        glBindTexture(GL_TEXTURE_2D, texture);
        bound_texture = texture;
        if (++texture_changes >= TEXTURE_CHANGES_PER_FLUSH) {
            glFlush();
            texture_changes = 0;
        }
    }
}

// The drawing colour as the bytes a quad's corners carry.
static void current_color(GLubyte rgba[4]) {
    const TDrawState& s = draw_state;
    float a = s.color_alpha;
    a = a > 1.0f ? 1.0f : (a > 0.0f ? a : 0.0f);  // NaN ends up 0 too
    rgba[0] = (GLubyte)std::clamp(s.color_red, 0, 255);
    rgba[1] = (GLubyte)std::clamp(s.color_green, 0, 255);
    rgba[2] = (GLubyte)std::clamp(s.color_blue, 0, 255);
    rgba[3] = (GLubyte)(int)(a * 255.0f);
}

void x11_render_forget_state() {
    batch.clear();
    texturing = false;
    bound_texture = 0;
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_SCISSOR_TEST);
    scissor_on = false;
    scissor_w = scissor_h = -1;
    applied_blend = -1;
    apply_blend(draw_state.blend_mode);
    apply_viewport();
}

bool x11_render_begin() {
    const TDrawState& s = draw_state;
    const char* extensions = (const char*)glGetString(GL_EXTENSIONS);
    any_texture_size = extensions && strstr(extensions, "GL_ARB_texture_non_power_of_two");
    if (x11_scaled && !x11_offscreen_begin(s.g_width, s.g_height, any_texture_size)) return false;
    glViewport(0, 0, s.g_width, s.g_height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, s.g_width, s.g_height, 0, -1, 1);  // y down, one unit per pixel
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_DITHER);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    max_texture_size = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max_texture_size);

    released_textures.clear();  // names of a context that is gone
    batch.clear();
    atlas_reset(std::min((int)ATLAS_PAGE_SIDE, (int)max_texture_size));
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    kept_texture = 0;
    damage_reset(s.g_width, s.g_height);
    texture_changes = 0;
    x11_render_forget_state();
    return true;
}

// ---------------------------------------------------------------------------
// Textures
// ---------------------------------------------------------------------------

static bool texture_size_accepted(int width, int height) {
    if (width > max_texture_size || height > max_texture_size) return false;
    glTexImage2D(GL_PROXY_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    GLint accepted = 0;
    glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &accepted);
    return accepted != 0;
}

// Powers of two covering the size, halved while the driver refuses them.
// False when not even 1 x 1 is accepted.
static bool choose_texture_size(int width, int height, int* tw, int* th) {
    *tw = next_power_of_two(std::max(1, width));
    *th = next_power_of_two(std::max(1, height));
    while (!texture_size_accepted(*tw, *th)) {
        if (*tw == 1 && *th == 1) return false;
        if (*tw > 1) *tw /= 2;
        if (*th > 1) *th /= 2;
    }
    return true;
}

static bool upload_level(const TPixmap* pixmap, int level) {
    if (pixmap->format != PF_RGBA8888 || pixmap->pitch < pixmap->width * 4 || pixmap->pitch % 4 != 0 ||
        pixmap->pixels.size() < (size_t)pixmap->pitch * pixmap->height)
        return false;
    glPixelStorei(GL_UNPACK_ROW_LENGTH, pixmap->pitch / 4);
    glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, pixmap->width, pixmap->height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 pixmap->pixels.data());
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    return true;
}

// The frame exists and every per-frame vector has its slot.
static bool frame_usable(const TImage* image, int frame) {
    if (!image || frame < 0) return false;
    size_t f = (size_t)frame;
    return f < image->pixmaps.size() && image->pixmaps[f] && f < image->frames.size() && f < image->seqs.size() &&
           f < image->tex_u.size() && f < image->tex_v.size() && f < image->tex_x0.size() && f < image->tex_y0.size() &&
           f < image->atlased.size() && f < image->dirty.size();
}

static void delete_texture(unsigned texture) {
    flush_batch();
    if (texture == bound_texture) bound_texture = 0;
    GLuint name = texture;
    glDeleteTextures(1, &name);
}

// Deletes the textures of images freed since the last call, and the atlas
// pages whose last frame went.
static void delete_released_textures() {
    for (unsigned texture : released_textures) delete_texture(texture);
    released_textures.clear();
    for (const TAtlasCell& cell : released_atlas_cells) {
        unsigned texture = atlas_release(cell);
        if (texture) delete_texture(texture);
    }
    released_atlas_cells.clear();
}

static void set_sampling(bool filtered, bool mipmapped) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    GLint min_filter = filtered ? (mipmapped ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR)
                                : (mipmapped ? GL_NEAREST_MIPMAP_NEAREST : GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, min_filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filtered ? GL_LINEAR : GL_NEAREST);
}

// Frames that are drawn unchanged for long (not mipmapped, not written
// every frame) and small enough share atlas pages.
static bool wants_atlas(const TImage* image, const TPixmap* source) {
    return !(image->flags & (IMG_MIPMAPPED | IMG_DYNAMIC)) && atlas_fits(source->width, source->height);
}

// Puts the frame's pixels into its atlas cell: the one it has when only
// its pixels changed, else a new one. The cell's border makes filtered
// sampling at the frame's edges read what clamping its own texture did.
static bool make_atlas_cell(TImage* image, int frame, const TPixmap* source) {
    size_t f = (size_t)frame;
    int w = source->width, h = source->height, side = atlas_side;
    int x = 0, y = 0;
    GLuint texture = 0;
    if (image->seqs[f] == display_generation && image->atlased[f] && image->frames[f]) {
        texture = image->frames[f];
        TAtlasRect r = atlas_cell_rect(image->tex_x0[f], image->tex_y0[f], image->tex_u[f], image->tex_v[f]);
        x = r.x;
        y = r.y;
    } else {
        int kind = (image->flags & IMG_FILTERED) ? ATLAS_LINEAR : ATLAS_NEAREST;
        int page = 0;
        if (!atlas_place(kind, w, h, &page, &x, &y) || page < 0 || (size_t)page >= atlas_pages.size()) return false;
        TAtlasPage& pg = atlas_pages[(size_t)page];
        if (pg.texture == 0) {
            GLuint name = 0;
            glGenTextures(1, &name);
            use_texture(name);
            set_sampling(kind == ATLAS_LINEAR, false);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, side, side, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
            pg.texture = name;
        }
        texture = pg.texture;
    }
    TPixmap* cell = atlas_cell_pixmap(source);
    if (!cell) return false;
    use_texture(texture);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, cell->pitch / 4);
    glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, cell->width, cell->height, GL_RGBA, GL_UNSIGNED_BYTE, cell->pixels.data());
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    free_pixmap(cell);
    float fs = (float)side;
    image_frame_set_atlas_cell(image, frame, texture, (x + 1) / fs, (y + 1) / fs, (x + 1 + w) / fs, (y + 1 + h) / fs);
    return true;
}

// ---------------------------------------------------------------------------
// Pixels kept in textures only
// ---------------------------------------------------------------------------

// After an upload: a frame whose texture holds every pixel unscaled lets
// go of its own copy (image_frame_drop_pixels keeps dynamic frames). Always
// true: the upload itself went well.
static bool keep_pixels_in_texture(TImage* image, int frame, bool unscaled) {
    if (unscaled) image_frame_drop_pixels(image, frame);
    return true;
}

// Level 0 of the texture, rows top-down as uploaded, into the cache.
static bool read_texture(unsigned texture, TTextureRead* cache) {
    if (cache->texture == texture && !cache->rgba.empty()) return true;
    cache->texture = 0;
    flush_batch();
    use_texture(texture);
    GLint tw = 0, th = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &tw);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &th);
    if (tw <= 0 || th <= 0 || !pixmap_size_ok(tw, th)) return false;
    cache->rgba.assign((size_t)tw * th * 4, 0);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, cache->rgba.data());
    cache->texture = texture;
    cache->width = tw;
    cache->height = th;
    return true;
}

TPixmap* backend_read_frame(const TImage* image, int frame, TTextureRead* cache) {
    if (!x11_context || !cache || !frame_usable(image, frame)) return nullptr;
    size_t f = (size_t)frame;
    const TPixmap* pm = image->pixmaps[f];
    if (!image->frames[f] || image->seqs[f] != display_generation || !read_texture(image->frames[f], cache))
        return nullptr;
    // An atlas frame starts where its cell's border ends; a texture of its own at 0, 0.
    int x0 = image->atlased[f] ? (int)std::lround(image->tex_x0[f] * cache->width) : 0;
    int y0 = image->atlased[f] ? (int)std::lround(image->tex_y0[f] * cache->height) : 0;
    if (x0 < 0 || y0 < 0 || x0 + pm->width > cache->width || y0 + pm->height > cache->height) return nullptr;
    TPixmap* out = create_pixmap(pm->width, pm->height, PF_RGBA8888);
    if (!out) return nullptr;
    for (int y = 0; y < pm->height; y++)
        std::memcpy(out->pixels.data() + (size_t)y * out->pitch,
                    cache->rgba.data() + ((size_t)(y0 + y) * cache->width + x0) * 4, (size_t)pm->width * 4);
    return out;
}

// ---------------------------------------------------------------------------
// Textures
// ---------------------------------------------------------------------------

// Builds (or rebuilds) the frame's texture from its pixmap.
static bool make_drawable(TImage* image, int frame) {
    const TPixmap* source = image->pixmaps[frame];
    if (!source || source->width <= 0 || source->height <= 0 || source->pixels.empty()) return false;
    flush_batch();
    if (wants_atlas(image, source))
        return make_atlas_cell(image, frame, source) && keep_pixels_in_texture(image, frame, true);
    // A frame leaving an atlas (it grew, or became dynamic) keeps nothing of its cell.
    if (image->atlased[frame] && image->seqs[frame] == display_generation && image->frames[frame]) {
        unsigned texture =
            atlas_release({image->frames[frame], atlas_cell_rect(image->tex_x0[frame], image->tex_y0[frame],
                                                                 image->tex_u[frame], image->tex_v[frame])});
        if (texture) delete_texture(texture);
        image->frames[frame] = 0;
    }
    int tw = 0, th = 0;
    if (!choose_texture_size(source->width, source->height, &tw, &th)) return false;
    TPixmap* level = texture_pixmap(source, tw, th);
    if (level && level->format != PF_RGBA8888) {
        TPixmap* converted = convert_pixmap(level, PF_RGBA8888);
        free_pixmap(level);
        level = converted;
    }
    if (!level) return false;

    // A texture name of an older display belongs to a context that is gone.
    GLuint texture = image->seqs[frame] == display_generation ? image->frames[frame] : 0;
    if (texture == 0) glGenTextures(1, &texture);
    use_texture(texture);
    bool mipmapped = image->flags & IMG_MIPMAPPED;
    set_sampling(image->flags & IMG_FILTERED, mipmapped);

    bool ok = upload_level(level, 0);
    int last_level = 0;
    while (ok && mipmapped && (level->width > 1 || level->height > 1)) {
        TPixmap* smaller = resize_pixmap(level, std::max(1, level->width / 2), std::max(1, level->height / 2));
        if (!smaller) break;
        if (!upload_level(smaller, last_level + 1)) {
            free_pixmap(smaller);
            break;
        }
        free_pixmap(level);
        level = smaller;
        last_level++;
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, last_level);
    free_pixmap(level);

    image_frame_set_texture(image, frame, texture, std::min(1.0f, (float)source->width / tw),
                            std::min(1.0f, (float)source->height / th));
    return ok && keep_pixels_in_texture(image, frame, source->width <= tw && source->height <= th);
}

// ---------------------------------------------------------------------------
// Operations
// ---------------------------------------------------------------------------

void clear_screen() {
    if (!x11_context) return;
    const TDrawState& s = draw_state;
    apply_viewport();
    flush_batch();
    glClearColor(std::clamp(s.clscolor_red, 0, 255) / 255.0f, std::clamp(s.clscolor_green, 0, 255) / 255.0f,
                 std::clamp(s.clscolor_blue, 0, 255) / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    damage_note_clear();
}

// One quad of size w x h whose point (hx, hy) lands on (x, y) through the
// matrix and origin, textured from (u0, v0) to (u1, v1) when a texture is
// in use, in the drawing colour. It joins the batch.
static void draw_quad(float x, float y, float hx, float hy, float w, float h, float u0, float v0, float u1, float v1) {
    float corners[4][2] = {{-hx, -hy}, {-hx + w, -hy}, {-hx + w, -hy + h}, {-hx, -hy + h}};
    float tex[4][2] = {{u0, v0}, {u1, v0}, {u1, v1}, {u0, v1}};
    TBatchVertex vertex;
    current_color(vertex.rgba);
    float xs[4], ys[4];
    for (int i = 0; i < 4; i++) {
        transform_point(x, y, corners[i][0], corners[i][1], &vertex.x, &vertex.y);
        xs[i] = vertex.x;
        ys[i] = vertex.y;
        vertex.u = tex[i][0];
        vertex.v = tex[i][1];
        batch.push_back(vertex);
    }
    damage_note_quad(xs, ys);
}

void draw_image(TImage* image, float x, float y, int frame) {
    if (!x11_context || !frame_usable(image, frame)) return;
    delete_released_textures();
    if (image_frame_needs_texture(image, frame) && !make_drawable(image, frame)) return;
    apply_viewport();
    apply_blend(draw_state.blend_mode);
    use_texture(image->frames[frame]);
    draw_quad(x, y, image->handle_x, image->handle_y, (float)image->width, (float)image->height, image->tex_x0[frame],
              image->tex_y0[frame], image->tex_u[frame], image->tex_v[frame]);
}

void draw_rect(float x, float y, float w, float h) {
    if (!x11_context) return;
    apply_viewport();
    apply_blend(draw_state.blend_mode);
    use_texture(0);
    draw_quad(x, y, draw_state.handle_x, draw_state.handle_y, w, h, 0, 0, 0, 0);
}

// The copy is a texture of the display's size (a power of two where the
// driver wants one), filled straight from the back buffer by the GL: only
// where the back buffer may differ from the copy already kept.
bool save_back_buffer() {
    if (!x11_context) return false;
    flush_batch();
    int w = draw_state.g_width, h = draw_state.g_height;
    int tw = any_texture_size ? w : next_power_of_two(std::max(1, w));
    int th = any_texture_size ? h : next_power_of_two(std::max(1, h));
    if (tw > max_texture_size || th > max_texture_size) return false;
    TDamageRect r = damage_save_region();
    if (kept_texture == 0 || tw != kept_tw || th != kept_th) {
        r = {0, 0, w, h};  // a new texture holds nothing yet
        if (kept_texture == 0) glGenTextures(1, &kept_texture);
        use_texture(kept_texture);
        x11_texture_storage(GL_NEAREST, tw, th);
        kept_tw = tw;
        kept_th = th;
    }
    use_texture(kept_texture);
    for (int i = 0; i < 8 && glGetError() != GL_NO_ERROR; i++) {}  // earlier errors are not this copy's
    glReadBuffer(x11_read_buffer());
    if (!damage_rect_empty(r))  // texture rows are GL's, bottom-up like the buffer's
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, r.x0, h - r.y1, r.x0, h - r.y1, r.x1 - r.x0, r.y1 - r.y0);
    if (glGetError() != GL_NO_ERROR) return false;
    damage_note_saved();
    return true;
}

// The kept pixels `from` drawn unblended and untinted over the display
// pixels `to`, as one quad. GL's rows run bottom-up, so the texture's
// first row is the screen's last.
static void draw_kept_quad(const TDamageRect& from, const TDamageRect& to) {
    float h = (float)draw_state.g_height;
    float u0 = (float)from.x0 / kept_tw, u1 = (float)from.x1 / kept_tw;
    float v0 = (h - (float)from.y0) / kept_th, v1 = (h - (float)from.y1) / kept_th;
    float x0 = (float)to.x0, y0 = (float)to.y0, x1 = (float)to.x1, y1 = (float)to.y1;
    apply_blend(BLEND_SOLID);
    use_texture(kept_texture);
    glColor4ub(255, 255, 255, 255);
    glBegin(GL_QUADS);
    glTexCoord2f(u0, v0);
    glVertex2f(x0, y0);
    glTexCoord2f(u1, v0);
    glVertex2f(x1, y0);
    glTexCoord2f(u1, v1);
    glVertex2f(x1, y1);
    glTexCoord2f(u0, v1);
    glVertex2f(x0, y1);
    glEnd();
}

// One quad over the region that differs from the kept copy (the whole
// display unless the back buffer kept it since the last restore), texel
// for pixel, whatever the viewport.
bool restore_back_buffer() {
    if (!x11_context || kept_texture == 0) return false;
    flush_batch();
    TDamageRect r = damage_restore_region();
    if (damage_rect_empty(r)) return true;
    if (scissor_on) {
        glDisable(GL_SCISSOR_TEST);
        scissor_on = false;
    }
    draw_kept_quad(r, r);
    return true;
}

// One quad of the kept texture, sampled nearest, over the enlarged square;
// the viewport clips it as any drawing.
bool draw_kept_enlarged(int cx, int cy, int size, int zoom) {
    if (!x11_context || kept_texture == 0) return false;
    TDamageRect from, to;
    if (!kept_enlarged_rects(cx, cy, size, zoom, draw_state.g_width, draw_state.g_height, &from, &to)) return true;
    flush_batch();
    apply_viewport();
    draw_kept_quad(from, to);
    float xs[4] = {(float)to.x0, (float)to.x1, (float)to.x1, (float)to.x0};
    float ys[4] = {(float)to.y0, (float)to.y0, (float)to.y1, (float)to.y1};
    damage_note_quad(xs, ys);
    apply_blend(draw_state.blend_mode);
    return true;
}

void grab_image(TImage* image, int x, int y, int frame) {
    if (!x11_context || !frame_usable(image, frame) || image->width <= 0 || image->height <= 0) return;
    int w = image->width, h = image->height;
    TPixmap* grabbed = create_pixmap(w, h, PF_RGBA8888);
    if (!grabbed) return;

    // Only the part inside the display can be read; the rest stays transparent.
    int gw = draw_state.g_width, gh = draw_state.g_height;
    int x0 = std::max(x, 0), y0 = std::max(y, 0);
    int x1 = std::min(x + w, gw), y1 = std::min(y + h, gh);
    if (x1 > x0 && y1 > y0) {
        int rw = x1 - x0, rh = y1 - y0;
        std::vector<uint8_t> rows((size_t)rw * rh * 4);
        flush_batch();
        apply_blend(BLEND_SOLID);
        glReadBuffer(x11_read_buffer());
        glReadPixels(x0, gh - y1, rw, rh, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
        apply_blend(draw_state.blend_mode);
        for (int sy = y0; sy < y1; sy++) {
            const uint8_t* from = &rows[(size_t)(y1 - 1 - sy) * rw * 4];  // GL rows run bottom-up
            uint8_t* to = &grabbed->pixels[(size_t)(sy - y) * grabbed->pitch + (size_t)(x0 - x) * 4];
            for (int i = 0; i < rw; i++) {
                to[i * 4 + 0] = from[i * 4 + 0];
                to[i * 4 + 1] = from[i * 4 + 1];
                to[i * 4 + 2] = from[i * 4 + 2];
                to[i * 4 + 3] = 255;  // the screen is opaque, whatever its alpha channel holds
            }
        }
    }
    image_store_grab(image, frame, grabbed);
    free_pixmap(grabbed);
}
