// Images: frames of pixel data (CPU pixmaps) with a handle, flags and the
// mask colour, plus the per-frame texture bookkeeping the backends share.
// Textures themselves are the backend's; this file only records which
// texture belongs to which frame and display generation, and when a
// frame's pixels changed, so that decoding never needs a display.
#include <cstring>
#include <new>

#include "media/media_internal.h"

// ---------------------------------------------------------------------------
// Kept for the run
// ---------------------------------------------------------------------------
std::vector<unsigned> released_textures;  // texture names of freed images, awaiting deletion by the backend

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
    return load_image_within(path, flags, TImageLimits(), nullptr);
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
                released_atlas_cells.push_back(
                    {image->frames[f], atlas_cell_rect(image->tex_x0[f], image->tex_y0[f], image->tex_u[f],
                                                       image->tex_v[f])});
            else
                released_textures.push_back(image->frames[f]);
        }
        free_pixmap(image->pixmaps[f]);
    }
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
    (void)read;  // reading needs nothing: the pixmap is always current
    if (!frame_ok(image, frame)) return nullptr;
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

void image_frame_set_texture(TImage* image, int frame, unsigned texture, float u, float v) {
    image_frame_set_atlas_cell(image, frame, texture, 0, 0, u, v);
    if (frame_ok(image, frame)) image->atlased[static_cast<size_t>(frame)] = 0;
}

void image_frame_set_atlas_cell(TImage* image, int frame, unsigned texture, float u0, float v0, float u1,
                                float v1) {
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
