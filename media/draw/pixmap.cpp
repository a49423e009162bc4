// In-memory pixel buffers: creating, copying and converting them, reading
// and writing single pixels, masking by a colour, bilinear resampling and the
// power-of-two texture buffers the backends upload. Pure CPU code; every
// size is checked against PIXMAP_MAX_SIDE / PIXMAP_MAX_PIXELS.
#include <atomic>
#include <malloc.h>

#include <cmath>
#include <cstring>
#include <new>

#include "media/media_internal.h"

// ---------------------------------------------------------------------------
// Formats and sizes
// ---------------------------------------------------------------------------

int pixmap_bytes_per_pixel(int format) {
    switch (format) {
    case PF_GREY8:
    case PF_ALPHA8: return 1;
    case PF_BGR888:
    case PF_RGB888: return 3;
    case PF_BGRA8888:
    case PF_RGBA8888: return 4;
    default: return 0;
    }
}

bool pixmap_has_alpha(int format) { return format == PF_ALPHA8 || format == PF_BGRA8888 || format == PF_RGBA8888; }

bool pixmap_size_ok(int width, int height) {
    if (width < 1 || height < 1) return false;
    if (width > PIXMAP_MAX_SIDE || height > PIXMAP_MAX_SIDE) return false;
    return static_cast<long long>(width) * height <= PIXMAP_MAX_PIXELS;
}

int next_power_of_two(int n) {
    int p = 1;
    while (p < n && p < (1 << 30)) p <<= 1;
    return p;
}

TPixmap* create_pixmap(int width, int height, int format) {
    int bpp = pixmap_bytes_per_pixel(format);
    if (bpp == 0 || !pixmap_size_ok(width, height)) return nullptr;
    TPixmap* pixmap = new TPixmap;
    pixmap->width = width;
    pixmap->height = height;
    pixmap->format = format;
    pixmap->pitch = width * bpp;
    pixmap->capacity = pixmap->pitch * height;
    // Every pixel buffer of the game is made here: running out of memory
    // gives Null like any other refusal, never an exception.
    try {
        pixmap->pixels.assign(static_cast<size_t>(pixmap->capacity), 0);
    } catch (const std::bad_alloc&) {
        delete pixmap;
        return nullptr;
    }
    return pixmap;
}

TPixmap* copy_pixmap(const TPixmap* pixmap) {
    if (!pixmap) return nullptr;
    try {
        return new TPixmap(*pixmap);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void free_pixmap(TPixmap* pixmap) {
    if (!pixmap) return;
    size_t bytes = pixmap->pixels.capacity();
    delete pixmap;
    note_pixels_freed(bytes);
}

// --- kept for the run ---
// Atomic: the decoding-ahead worker frees the buffers of files that fail.
static std::atomic<size_t> freed_since_trim{0};  // pixel bytes freed since the allocator last gave pages back

// Small buffers live among others in the allocator's heap, where their
// free pages stay with the process until asked for. Asking costs a walk of
// the free lists, so it waits until a few MiB have gone.
enum { TRIM_AFTER_BYTES = 2 << 20 };

void note_pixels_freed(size_t bytes) {
    if (freed_since_trim.fetch_add(bytes) + bytes < TRIM_AFTER_BYTES) return;
    freed_since_trim = 0;
    malloc_trim(0);
}

// ---------------------------------------------------------------------------
// Single pixels
// ---------------------------------------------------------------------------

static inline uint32_t argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
    return (a << 24) | (r << 16) | (g << 8) | b;
}

// Luminance of a colour, used when colour goes into a grey pixmap.
static inline uint8_t grey_of(uint32_t r, uint32_t g, uint32_t b) {
    return static_cast<uint8_t>((r * 77 + g * 150 + b * 29) >> 8);
}

uint32_t read_pixel(const TPixmap* pixmap, int x, int y) {
    if (!pixmap || x < 0 || y < 0 || x >= pixmap->width || y >= pixmap->height) return 0;
    int bpp = pixmap_bytes_per_pixel(pixmap->format);
    size_t at = static_cast<size_t>(y) * pixmap->pitch + static_cast<size_t>(x) * bpp;
    if (bpp == 0 || at + bpp > pixmap->pixels.size()) return 0;
    const uint8_t* p = pixmap->pixels.data() + at;
    switch (pixmap->format) {
    case PF_GREY8: return argb(255, p[0], p[0], p[0]);
    case PF_ALPHA8: return argb(p[0], 255, 255, 255);
    case PF_BGR888: return argb(255, p[2], p[1], p[0]);
    case PF_RGB888: return argb(255, p[0], p[1], p[2]);
    case PF_BGRA8888: return argb(p[3], p[2], p[1], p[0]);
    case PF_RGBA8888: return argb(p[3], p[0], p[1], p[2]);
    default: return 0;
    }
}

void write_pixel(TPixmap* pixmap, int x, int y, uint32_t color) {
    if (!pixmap || x < 0 || y < 0 || x >= pixmap->width || y >= pixmap->height) return;
    int bpp = pixmap_bytes_per_pixel(pixmap->format);
    size_t at = static_cast<size_t>(y) * pixmap->pitch + static_cast<size_t>(x) * bpp;
    if (bpp == 0 || at + bpp > pixmap->pixels.size()) return;
    uint8_t* p = pixmap->pixels.data() + at;
    uint8_t a = color >> 24, r = color >> 16, g = color >> 8, b = color;
    switch (pixmap->format) {
    case PF_GREY8: p[0] = grey_of(r, g, b); break;
    case PF_ALPHA8: p[0] = a; break;
    case PF_BGR888:
        p[0] = b;
        p[1] = g;
        p[2] = r;
        break;
    case PF_RGB888:
        p[0] = r;
        p[1] = g;
        p[2] = b;
        break;
    case PF_BGRA8888:
        p[0] = b;
        p[1] = g;
        p[2] = r;
        p[3] = a;
        break;
    case PF_RGBA8888:
        p[0] = r;
        p[1] = g;
        p[2] = b;
        p[3] = a;
        break;
    default: break;
    }
}

TPixmap* convert_pixmap(const TPixmap* pixmap, int format) {
    if (!pixmap) return nullptr;
    TPixmap* out = create_pixmap(pixmap->width, pixmap->height, format);
    if (!out) return nullptr;
    if (format == pixmap->format && pixmap->pitch == out->pitch && pixmap->pixels.size() >= out->pixels.size()) {
        std::memcpy(out->pixels.data(), pixmap->pixels.data(), out->pixels.size());
    } else {
        for (int y = 0; y < pixmap->height; y++)
            for (int x = 0; x < pixmap->width; x++) write_pixel(out, x, y, read_pixel(pixmap, x, y));
    }
    out->_source = pixmap->_source;
    return out;
}

// ---------------------------------------------------------------------------
// Masking
// ---------------------------------------------------------------------------

// Pixels of the mask colour become transparent and take the average RGB of
// the non-mask pixels among their 8 neighbours, so filtered drawing blends
// towards the neighbouring colour instead of darkening the edge.
TPixmap* mask_pixmap(const TPixmap* pixmap, int mask_r, int mask_g, int mask_b) {
    if (!pixmap) return nullptr;
    TPixmap* out = convert_pixmap(pixmap, PF_RGBA8888);
    if (!out) return nullptr;
    const int w = out->width, h = out->height;
    const uint32_t mask = argb(0, mask_r & 255, mask_g & 255, mask_b & 255);
    // Which source pixels are of the mask colour, decided before any is changed.
    std::vector<uint8_t> is_mask(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; y++) {
        const uint8_t* p = out->pixels.data() + static_cast<size_t>(y) * out->pitch;
        for (int x = 0; x < w; x++, p += 4) is_mask[static_cast<size_t>(y) * w + x] = argb(0, p[0], p[1], p[2]) == mask;
    }
    for (int y = 0; y < h; y++) {
        uint8_t* row = out->pixels.data() + static_cast<size_t>(y) * out->pitch;
        for (int x = 0; x < w; x++) {
            uint8_t* p = row + x * 4;
            if (!is_mask[static_cast<size_t>(y) * w + x]) {
                p[3] = 255;
                continue;
            }
            int sum_r = 0, sum_g = 0, sum_b = 0, count = 0;
            for (int ny = y - 1; ny <= y + 1; ny++) {
                if (ny < 0 || ny >= h) continue;
                for (int nx = x - 1; nx <= x + 1; nx++) {
                    if (nx < 0 || nx >= w || is_mask[static_cast<size_t>(ny) * w + nx]) continue;
                    const uint8_t* q = out->pixels.data() + static_cast<size_t>(ny) * out->pitch + nx * 4;
                    sum_r += q[0];
                    sum_g += q[1];
                    sum_b += q[2];
                    count++;
                }
            }
            // Only mask pixels are rewritten and they are never averaged,
            // so the scan order does not change the result.
            p[0] = count ? static_cast<uint8_t>(sum_r / count) : 0;
            p[1] = count ? static_cast<uint8_t>(sum_g / count) : 0;
            p[2] = count ? static_cast<uint8_t>(sum_b / count) : 0;
            p[3] = 0;
        }
    }
    return out;
}

// ---------------------------------------------------------------------------
// Resampling
// ---------------------------------------------------------------------------

// Where destination index i samples along one axis: the left source index,
// the one to its right and the blend weight of the right one. Outside the
// first and last pixel centres the edge pixel is used alone.
struct SampleTap {
    int a, b;
    double f;
};

// The sample point (i + 0.5) * src / dst - 0.5 is computed as the exact
// fraction ((2i + 1) src - dst) / (2 dst), so that points that fall on a
// pixel centre or halfway between two land there exactly.
static std::vector<SampleTap> sample_taps(int src, int dst) {
    std::vector<SampleTap> taps(static_cast<size_t>(dst));
    const long long den = 2LL * dst;
    for (int i = 0; i < dst; i++) {
        long long num = (2LL * i + 1) * src - dst;
        SampleTap& t = taps[static_cast<size_t>(i)];
        long long a = num > 0 ? num / den : 0;
        if (num <= 0) {
            t = {0, 0, 0};
        } else if (a >= src - 1) {
            t = {src - 1, src - 1, 0};
        } else {
            t = {static_cast<int>(a), static_cast<int>(a) + 1, static_cast<double>(num - a * den) / den};
        }
    }
    return taps;
}

TPixmap* resize_pixmap(const TPixmap* pixmap, int width, int height) {
    if (!pixmap || !pixmap_size_ok(width, height)) return nullptr;
    TPixmap* src = convert_pixmap(pixmap, PF_RGBA8888);
    if (!src) return nullptr;
    TPixmap* out = create_pixmap(width, height, PF_RGBA8888);
    if (!out) {
        free_pixmap(src);
        return nullptr;
    }
    std::vector<SampleTap> xs = sample_taps(src->width, width);
    std::vector<SampleTap> ys = sample_taps(src->height, height);
    for (int j = 0; j < height; j++) {
        const SampleTap& ty = ys[static_cast<size_t>(j)];
        const uint8_t* row_a = src->pixels.data() + static_cast<size_t>(ty.a) * src->pitch;
        const uint8_t* row_b = src->pixels.data() + static_cast<size_t>(ty.b) * src->pitch;
        uint8_t* dst = out->pixels.data() + static_cast<size_t>(j) * out->pitch;
        for (int i = 0; i < width; i++) {
            const SampleTap& tx = xs[static_cast<size_t>(i)];
            for (int c = 0; c < 4; c++) {
                // Interpolated as a + (b - a) f so equal neighbours give
                // back exactly their value before truncation.
                double p00 = row_a[tx.a * 4 + c], p10 = row_a[tx.b * 4 + c];
                double p01 = row_b[tx.a * 4 + c], p11 = row_b[tx.b * 4 + c];
                double top = p00 + (p10 - p00) * tx.f;
                double bottom = p01 + (p11 - p01) * tx.f;
                double v = top + (bottom - top) * ty.f;
                dst[i * 4 + c] = static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
            }
        }
    }
    out->_source = pixmap->_source;
    free_pixmap(src);
    return out;
}

// ---------------------------------------------------------------------------
// Texture buffers
// ---------------------------------------------------------------------------

// The pixmap in the top-left of a transparent tw x th RGBA buffer; where
// there is room, its last column and last row are repeated once beside and
// below it so that linear filtering at the edge reads the edge colour.
TPixmap* texture_pixmap(const TPixmap* pixmap, int tw, int th) {
    if (!pixmap || !pixmap_size_ok(tw, th)) return nullptr;
    TPixmap* src = nullptr;
    if (pixmap->width > tw || pixmap->height > th) {
        int w = pixmap->width < tw ? pixmap->width : tw;
        int h = pixmap->height < th ? pixmap->height : th;
        src = resize_pixmap(pixmap, w, h);
    } else {
        src = convert_pixmap(pixmap, PF_RGBA8888);
    }
    if (!src) return nullptr;
    if (src->width == tw && src->height == th) return src;
    TPixmap* out = create_pixmap(tw, th, PF_RGBA8888);
    if (!out) {
        free_pixmap(src);
        return nullptr;
    }
    const int w = src->width, h = src->height;
    const size_t row_bytes = static_cast<size_t>(w) * 4;
    for (int y = 0; y < h; y++) {
        uint8_t* dst = out->pixels.data() + static_cast<size_t>(y) * out->pitch;
        std::memcpy(dst, src->pixels.data() + static_cast<size_t>(y) * src->pitch, row_bytes);
        if (w < tw) std::memcpy(dst + row_bytes, dst + row_bytes - 4, 4);
    }
    if (h < th) {
        uint8_t* below = out->pixels.data() + static_cast<size_t>(h) * out->pitch;
        std::memcpy(below, below - out->pitch, row_bytes + (w < tw ? 4 : 0));
    }
    out->_source = pixmap->_source;
    free_pixmap(src);
    return out;
}
