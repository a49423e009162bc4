// Images: frames of pixel data (CPU pixmaps) with a handle, flags and the
// mask colour, plus the per-frame texture bookkeeping the backends share.
// Textures themselves are the backend's; this file only records which
// texture belongs to which frame and display generation, and when a
// frame's pixels changed, so that decoding never needs a display.
// Once a texture holds a frame exactly, the frame's pixel bytes are let go
// (a bit mask of its opaque pixels stays for the overlap test) and read
// back from the texture when someone locks the frame or the display goes.
#include <algorithm>
#include <cstring>
#include <new>
#include <unordered_set>

#include "media/media_internal.h"

// ---------------------------------------------------------------------------
// Kept for the run
// ---------------------------------------------------------------------------
std::vector<unsigned> released_textures;         // texture names of freed images, awaiting deletion by the backend
int64_t image_pixel_bytes_dropped = 0;           // pixel bytes let go after upload, in total
static std::unordered_set<TImage*> live_images;  // every image made and not yet freed

// The mask colour of every image: black. The game never changes it.
static const int MASK_RED = 0, MASK_GREEN = 0, MASK_BLUE = 0;

// Flags -1 stand for the default flags.
static int image_flags(int flags) { return flags == -1 ? IMG_DEFAULT_FLAGS : flags; }

// An image of that size with room for `count` frames and no pixmaps yet.
static TImage* new_image(int width, int height, int flags, int count) {
    TImage* image = new TImage;
    image->width = width;
    image->height = height;
    image->flags = flags;
    image->mask_r = MASK_RED;
    image->mask_g = MASK_GREEN;
    image->mask_b = MASK_BLUE;
    image->pixmaps.assign(static_cast<size_t>(count), nullptr);
    image->frames.assign(static_cast<size_t>(count), 0);
    image->seqs.assign(static_cast<size_t>(count), 0);
    image->tex_x0.assign(static_cast<size_t>(count), 0.0f);
    image->tex_y0.assign(static_cast<size_t>(count), 0.0f);
    image->atlased.assign(static_cast<size_t>(count), 0);
    image->tex_u.assign(static_cast<size_t>(count), 0.0f);
    image->tex_v.assign(static_cast<size_t>(count), 0.0f);
    image->dirty.assign(static_cast<size_t>(count), 0);
    image->in_texture.assign(static_cast<size_t>(count), 0);
    image->opaque.assign(static_cast<size_t>(count), std::vector<uint8_t>());
    live_images.insert(image);
    return image;
}

static bool frame_ok(const TImage* image, int frame) {
    return image && frame >= 0 && static_cast<size_t>(frame) < image->pixmaps.size() &&
           image->pixmaps[static_cast<size_t>(frame)];
}

// Masked images whose pixmap has no alpha are masked by their mask colour; pixmaps that
// carry alpha are used as they are.
static bool needs_mask(const TPixmap* pixmap, int flags) {
    return (flags & IMG_MASKED) && !pixmap_has_alpha(pixmap->format);
}

static TPixmap* masked_copy(const TPixmap* pixmap) {
    TPixmap* masked = mask_pixmap(pixmap, MASK_RED, MASK_GREEN, MASK_BLUE);
    if (masked) masked->_source = pixmap->_source;
    return masked;
}

// ---------------------------------------------------------------------------
// Operations
// ---------------------------------------------------------------------------

TImage* image_adopt_pixmap(TPixmap* pixmap, int flags) {
    if (!pixmap) return nullptr;
    TImage* image = new_image(pixmap->width, pixmap->height, image_flags(flags), 1);
    image->pixmaps[0] = pixmap;
    return image;
}

TImage* image_from_pixmap(const TPixmap* pixmap, int flags) {
    if (!pixmap) return nullptr;
    flags = image_flags(flags);
    return image_adopt_pixmap(needs_mask(pixmap, flags) ? masked_copy(pixmap) : copy_pixmap(pixmap), flags);
}

TImage* load_image_within(const std::string& path, int flags, const TImageLimits& limits, TImageClaim* claim) {
    TPixmap* pixmap = load_pixmap_within(path, limits, claim);
    if (!pixmap) return nullptr;
    flags = image_flags(flags);
    if (needs_mask(pixmap, flags)) {
        TPixmap* masked = masked_copy(pixmap);
        free_pixmap(pixmap);
        pixmap = masked;
        if (!pixmap) {
            if (claim) claim->no_memory = true;
            return nullptr;
        }
    }
    try {
        return image_adopt_pixmap(pixmap, flags);
    } catch (const std::bad_alloc&) {
        free_pixmap(pixmap);
        if (claim) claim->no_memory = true;
        return nullptr;
    }
}

TImage* load_image(const std::string& path, int flags) {
    return load_image_within(path, flags, IMAGE_LIMITS_GAME_FILE, nullptr);
}

TImage* create_image(int width, int height, int frames, int flags) {
    if (frames < 1 || !pixmap_size_ok(width, height)) return nullptr;
    TImage* image = new_image(width, height, image_flags(flags) | IMG_DYNAMIC, frames);
    for (int f = 0; f < frames; f++) {
        TPixmap* pixmap = create_pixmap(width, height, PF_RGBA8888);
        if (!pixmap) {
            free_image(image);
            return nullptr;
        }
        image->pixmaps[static_cast<size_t>(f)] = pixmap;
    }
    return image;
}

void free_image(TImage* image) {
    if (!image) return;
    for (size_t f = 0; f < image->pixmaps.size(); f++) {
        // Textures of older generations died with their display.
        // An atlas page lives on while other frames use it.
        if (f < image->frames.size() && image->frames[f] && f < image->seqs.size() &&
            image->seqs[f] == display_generation) {
            if (f < image->atlased.size() && image->atlased[f])
                released_atlas_cells.push_back({image->frames[f], atlas_cell_rect(image->tex_x0[f], image->tex_y0[f],
                                                                                  image->tex_u[f], image->tex_v[f])});
            else
                released_textures.push_back(image->frames[f]);
        }
        free_pixmap(image->pixmaps[f]);
    }
    live_images.erase(image);
    delete image;
}

int image_width(const TImage* image) { return image ? image->width : 0; }

int image_height(const TImage* image) { return image ? image->height : 0; }

void centre_image_handle(TImage* image) {
    if (!image) return;
    image->handle_x = image->width * 0.5f;
    image->handle_y = image->height * 0.5f;
}

void set_image_handle(TImage* image, float x, float y) {
    if (!image) return;
    image->handle_x = x;
    image->handle_y = y;
}

TPixmap* lock_image(TImage* image, int frame, bool read, bool write) {
    (void)read;  // reading and writing both need the pixels back
    if (!frame_ok(image, frame) || !image_frame_restore_pixels(image, frame)) return nullptr;
    if (write) image->dirty[static_cast<size_t>(frame)] = 1;
    return image->pixmaps[static_cast<size_t>(frame)];
}

// ---------------------------------------------------------------------------
// Backend bookkeeping
// ---------------------------------------------------------------------------

bool image_frame_needs_texture(const TImage* image, int frame) {
    if (!frame_ok(image, frame)) return false;
    size_t f = static_cast<size_t>(frame);
    return image->frames[f] == 0 || image->seqs[f] != display_generation || image->dirty[f];
}

// Where a pixmap format keeps alpha in a pixel, -1 for none.
static int alpha_offset(int format) {
    switch (format) {
    case PF_ALPHA8: return 0;
    case PF_BGRA8888:
    case PF_RGBA8888: return 3;
    default: return -1;
    }
}

void image_frame_drop_pixels(TImage* image, int frame) {
    if (!frame_ok(image, frame)) return;
    size_t f = static_cast<size_t>(frame);
    TPixmap* pm = image->pixmaps[f];
    int bpp = pixmap_bytes_per_pixel(pm->format);
    if ((image->flags & IMG_DYNAMIC) || image->in_texture[f] || bpp == 0 ||
        pm->pixels.size() < static_cast<size_t>(pm->pitch) * pm->height)
        return;
    std::vector<uint8_t> bits;
    int at = alpha_offset(pm->format);
    if (at >= 0) {
        const size_t row_bytes = static_cast<size_t>(pm->width + 7) / 8;
        bits.assign(row_bytes * pm->height, 0);
        for (int y = 0; y < pm->height; y++) {
            const uint8_t* p = pm->pixels.data() + static_cast<size_t>(y) * pm->pitch + at;
            uint8_t* row = bits.data() + static_cast<size_t>(y) * row_bytes;
            for (int x = 0; x < pm->width; x++, p += bpp)
                if (*p >= 128) row[x >> 3] |= static_cast<uint8_t>(1u << (x & 7));
        }
    }
    image->opaque[f].swap(bits);
    size_t bytes = pm->pixels.capacity();
    std::vector<uint8_t>().swap(pm->pixels);
    image->in_texture[f] = 1;
    image_pixel_bytes_dropped += static_cast<int64_t>(bytes);
    note_pixels_freed(bytes);
}

// Reads the frame back through the backend; `cache` as there.
static bool restore_frame(TImage* image, size_t f, TTextureRead* cache) {
    if (!image->in_texture[f]) return true;
    TPixmap* pm = image->pixmaps[f];
    TPixmap* rgba = backend_read_frame(image, static_cast<int>(f), cache);
    if (!rgba) return false;
    TPixmap* own = rgba->format == pm->format ? rgba : convert_pixmap(rgba, pm->format);
    bool ok = own && own->width == pm->width && own->height == pm->height && own->pitch == pm->pitch;
    if (ok) {
        pm->pixels.swap(own->pixels);
        image->in_texture[f] = 0;
        std::vector<uint8_t>().swap(image->opaque[f]);
    }
    if (own != rgba) free_pixmap(own);
    free_pixmap(rgba);
    return ok;
}

bool image_frame_restore_pixels(TImage* image, int frame) {
    if (!frame_ok(image, frame)) return false;
    TTextureRead cache;
    return restore_frame(image, static_cast<size_t>(frame), &cache);
}

// Frames are read in texture order, so an atlas page is read back once for
// all the frames on it.
void restore_all_image_pixels() {
    std::vector<std::pair<unsigned, std::pair<TImage*, size_t>>> dropped;
    for (TImage* image : live_images)
        for (size_t f = 0; f < image->in_texture.size() && f < image->frames.size(); f++)
            if (image->in_texture[f]) dropped.push_back({image->frames[f], {image, f}});
    std::sort(dropped.begin(), dropped.end());
    TTextureRead cache;
    for (const auto& d : dropped) restore_frame(d.second.first, d.second.second, &cache);
}

void image_frame_set_texture(TImage* image, int frame, unsigned texture, float u, float v) {
    image_frame_set_atlas_cell(image, frame, texture, 0, 0, u, v);
    if (frame_ok(image, frame)) image->atlased[static_cast<size_t>(frame)] = 0;
}

void image_frame_set_atlas_cell(TImage* image, int frame, unsigned texture, float u0, float v0, float u1, float v1) {
    if (!frame_ok(image, frame)) return;
    size_t f = static_cast<size_t>(frame);
    image->frames[f] = texture;
    image->seqs[f] = display_generation;
    image->tex_x0[f] = u0;
    image->tex_y0[f] = v0;
    image->tex_u[f] = u1;
    image->tex_v[f] = v1;
    image->atlased[f] = 1;
    image->dirty[f] = 0;
}

// Grabbed pixels come from the back buffer, whose alpha means nothing, so
// masked images are masked by their mask colour whatever the format.
void image_store_grab(TImage* image, int frame, const TPixmap* rgba) {
    if (!frame_ok(image, frame) || !rgba) return;
    size_t f = static_cast<size_t>(frame);
    TPixmap* target = image->pixmaps[f];
    if (!image_frame_restore_pixels(image, frame)) {
        // The texture could not be read: the grab starts from a clear frame.
        target->pixels.assign(static_cast<size_t>(target->pitch) * target->height, 0);
        image->in_texture[f] = 0;
        std::vector<uint8_t>().swap(image->opaque[f]);
    }
    TPixmap* masked = nullptr;
    const TPixmap* src = rgba;
    if (image->flags & IMG_MASKED) {
        masked = mask_pixmap(rgba, image->mask_r, image->mask_g, image->mask_b);
        if (!masked) return;
        src = masked;
    }
    if (src->format == target->format && src->width == target->width && src->height == target->height &&
        src->pitch == target->pitch && src->pixels.size() == target->pixels.size()) {
        std::memcpy(target->pixels.data(), src->pixels.data(), target->pixels.size());
    } else {
        int w = src->width < target->width ? src->width : target->width;
        int h = src->height < target->height ? src->height : target->height;
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) write_pixel(target, x, y, read_pixel(src, x, y));
    }
    free_pixmap(masked);
    image->dirty[f] = 1;
}
