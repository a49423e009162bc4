// Decoding image files into pixmaps: PNG (libpng), JPEG (libjpeg), BMP and
// TGA, tried in that order on the file's bytes. Every decoder checks the
// size a header claims against the caller's limits and the layer's own
// (pixmap_size_ok), then the bytes actually present, before it allocates;
// truncated, corrupt or oversized files give Null, never a crash, and an
// allocation that fails gives Null too. Limits are required: a load whose
// limits leave a field unset decodes nothing. The file is read through
// begin_file_read, so a FIFO or a device never blocks a load, a file larger
// than its limits allow is never read, and a header claiming too much is
// refused before the rest of the file is read.
// Limits: BMP without RLE (1/4/8-bit palettised, 16/24/32-bit), TGA
// truecolour and grey (raw or RLE); JPEG greyscale and colour, not CMYK.
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

#include <png.h>
#include <jpeglib.h>
#include <jerror.h>

#include "media/media_internal.h"

// Files above this size are not images this game could use.
static const long MAX_FILE_BYTES = 256L * 1024 * 1024;
// Read first and checked for the size it claims before the rest is read.
static const int64_t HEADER_BYTES = 4096;

// ---------------------------------------------------------------------------
// Internal helpers
// ---------------------------------------------------------------------------

static inline unsigned u16le(const uint8_t* p) { return p[0] | (p[1] << 8); }
static inline uint32_t u32le(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Records the size a header claims (the first decoder that recognised the
// file keeps its claim) and tells whether the layer and the caller allow it.
static bool size_allowed(long long width, long long height, const TImageLimits& limits, TImageClaim* claim) {
    if (claim && claim->width == 0 && claim->height == 0) {
        claim->width = static_cast<int>(width < 0 ? 0 : width > 0x7fffffff ? 0x7fffffff : width);
        claim->height = static_cast<int>(height < 0 ? 0 : height > 0x7fffffff ? 0x7fffffff : height);
    }
    // Limits left unset refuse everything: no load decodes without them.
    if (!image_limits_set(limits)) return false;
    if (width < 1 || height < 1 || width > PIXMAP_MAX_SIDE || height > PIXMAP_MAX_SIDE) return false;
    if (!pixmap_size_ok(static_cast<int>(width), static_cast<int>(height))) return false;
    return width <= limits.max_width && height <= limits.max_height && width * height <= limits.max_pixels;
}

// The size an image file's first bytes claim, for the formats that say it
// there (PNG's IHDR, BMP's info header, JPEG's frame header when it comes
// within those bytes); false when they do not say.
static bool header_claim(const uint8_t* d, size_t n, long long* w, long long* h) {
    if (n >= 24 && png_sig_cmp(d, 0, 8) == 0 && std::memcmp(d + 12, "IHDR", 4) == 0) {
        *w = (static_cast<long long>(d[16]) << 24) | (d[17] << 16) | (d[18] << 8) | d[19];
        *h = (static_cast<long long>(d[20]) << 24) | (d[21] << 16) | (d[22] << 8) | d[23];
        return true;
    }
    if (n >= 26 && d[0] == 'B' && d[1] == 'M') {
        uint32_t header_size = u32le(d + 14);
        if (header_size == 12) {
            *w = u16le(d + 18);
            *h = u16le(d + 20);
        } else {
            *w = static_cast<int32_t>(u32le(d + 18));
            int32_t height = static_cast<int32_t>(u32le(d + 22));
            *h = height < 0 ? -static_cast<long long>(height) : height;
        }
        return header_size == 12 || header_size >= 40;
    }
    if (n >= 4 && d[0] == 0xFF && d[1] == 0xD8) {
        // Markers up to the first frame header (SOF0..SOF15 but DHT, JPG, DAC).
        size_t at = 2;
        while (at + 9 <= n && d[at] == 0xFF) {
            unsigned marker = d[at + 1];
            size_t length = (d[at + 2] << 8) | d[at + 3];
            if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
                *h = (d[at + 5] << 8) | d[at + 6];
                *w = (d[at + 7] << 8) | d[at + 8];
                return true;
            }
            if (length < 2) return false;
            at += 2 + length;
        }
    }
    return false;
}

// The decoders' pixel buffer. Its size has passed size_allowed, so Null
// can only mean that memory ran out.
static TPixmap* decoded_pixmap(int width, int height, int format, TImageClaim* claim) {
    TPixmap* pixmap = create_pixmap(width, height, format);
    if (!pixmap && claim) claim->no_memory = true;
    return pixmap;
}


// ---------------------------------------------------------------------------
// PNG (libpng's simplified reader, which keeps its error jumps to itself)
// ---------------------------------------------------------------------------

// True when `size` bytes could hold the image of w x h pixels the IHDR
// describes: deflate packs at most 1032 bytes into one, so a header
// claiming more raw data than that is a damaged file, refused before
// anything is allocated.
static bool png_size_plausible(const uint8_t* data, size_t size, uint64_t w, uint64_t h) {
    unsigned depth = data[24], type = data[25];
    unsigned channels = type == 2 ? 3 : type == 4 ? 2 : type == 6 ? 4 : 1;
    if (depth == 0 || depth > 16) return false;
    uint64_t raw = h * (1 + (w * channels * depth + 7) / 8);
    return raw / 1032 <= size;
}

// True for the chunks the decoder reads: the critical ones (an upper-case
// first letter) and the small fixed-size ones that change the pixels.
static bool png_chunk_needed(const uint8_t* type) {
    if (!(type[0] & 0x20)) return true;
    for (const char* keep : {"tRNS", "gAMA", "sRGB", "cHRM", "sBIT", "bKGD"})
        if (std::memcmp(type, keep, 4) == 0) return true;
    return false;
}

// The file without the chunks the decoder does not need, into *kept; false
// when it has none such (the file is used as it is). Text and colour-profile
// chunks (zTXt, iTXt, iCCP) inflate without a bound of their own, so they
// never reach libpng. A chunk running past the end stops the walk; libpng
// refuses the file there.
static bool png_without_extra_chunks(const uint8_t* data, size_t size, std::vector<uint8_t>* kept) {
    bool dropped = false;
    size_t at = 8;
    while (at + 12 <= size) {
        size_t length = (size_t(data[at]) << 24) | (data[at + 1] << 16) | (data[at + 2] << 8) | data[at + 3];
        if (length > size - at - 12) break;
        if (!png_chunk_needed(data + at + 4)) {
            if (!dropped) kept->assign(data, data + at);
            dropped = true;
        } else if (dropped) {
            kept->insert(kept->end(), data + at, data + at + 12 + length);
        }
        at += 12 + length;
    }
    if (dropped) kept->insert(kept->end(), data + at, data + size);
    return dropped;
}

static TPixmap* load_png(const uint8_t* data, size_t size, const TImageLimits& limits, TImageClaim* claim) {
    if (size < 33 || png_sig_cmp(data, 0, 8) != 0 || std::memcmp(data + 12, "IHDR", 4) != 0) return nullptr;
    uint64_t w = (uint64_t(data[16]) << 24) | (data[17] << 16) | (data[18] << 8) | data[19];
    uint64_t h = (uint64_t(data[20]) << 24) | (data[21] << 16) | (data[22] << 8) | data[23];
    if (!size_allowed(static_cast<long long>(w), static_cast<long long>(h), limits, claim)) return nullptr;
    if (!png_size_plausible(data, size, w, h)) return nullptr;
    std::vector<uint8_t> kept;
    if (png_without_extra_chunks(data, size, &kept)) {
        data = kept.data();
        size = kept.size();
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size)) return nullptr;
    if (image.width != w || image.height != h) {
        png_image_free(&image);
        return nullptr;
    }
    // Keep what the file has: grey, RGB, or RGBA for anything with alpha.
    int format;
    if (image.format & PNG_FORMAT_FLAG_ALPHA) {
        image.format = PNG_FORMAT_RGBA;
        format = PF_RGBA8888;
    } else if (image.format & PNG_FORMAT_FLAG_COLOR) {
        image.format = PNG_FORMAT_RGB;
        format = PF_RGB888;
    } else {
        image.format = PNG_FORMAT_GRAY;
        format = PF_GREY8;
    }
    TPixmap* pixmap = decoded_pixmap(static_cast<int>(image.width), static_cast<int>(image.height), format, claim);
    if (!pixmap) {
        png_image_free(&image);
        return nullptr;
    }
    if (!png_image_finish_read(&image, nullptr, pixmap->pixels.data(), pixmap->pitch, nullptr)) {
        png_image_free(&image);
        free_pixmap(pixmap);
        return nullptr;
    }
    return pixmap;
}

// ---------------------------------------------------------------------------
// JPEG. libjpeg reports fatal errors through error_exit, which must not
// return; it jumps back into load_jpeg. Nothing between setjmp and the
// jump owns memory through a destructor: the pixmap is a plain pointer
// freed on the error path.
// ---------------------------------------------------------------------------

struct JpegErrors {
    jpeg_error_mgr mgr;
    jmp_buf jump;
    bool truncated;
};

static void jpeg_fail(j_common_ptr info) { longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1); }

// Warnings are silent, but data that ends early (at the end of the file or
// at a marker inside the compressed data) makes the file a failure.
static void jpeg_note(j_common_ptr info, int level) {
    int code = info->err->msg_code;
    if (level < 0 && (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER))
        reinterpret_cast<JpegErrors*>(info->err)->truncated = true;
}

static TPixmap* load_jpeg(const uint8_t* data, size_t size, const TImageLimits& limits, TImageClaim* claim) {
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8 || data[2] != 0xFF) return nullptr;
    jpeg_decompress_struct info;
    JpegErrors errors;
    TPixmap* volatile pixmap = nullptr;
    info.err = jpeg_std_error(&errors.mgr);
    errors.mgr.error_exit = jpeg_fail;
    errors.mgr.emit_message = jpeg_note;
    errors.truncated = false;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        free_pixmap(pixmap);
        return nullptr;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    bool grey = info.jpeg_color_space == JCS_GRAYSCALE;
    bool colour = info.jpeg_color_space == JCS_YCbCr || info.jpeg_color_space == JCS_RGB;
    // Every 8 x 8 block costs the entropy coder some bits; a header claiming
    // far more blocks than the file has bits for is refused before the
    // decoder allocates its buffers.
    bool plausible = static_cast<uint64_t>(info.image_width) * info.image_height <= static_cast<uint64_t>(size) * 1024;
    bool allowed = size_allowed(info.image_width, info.image_height, limits, claim);
    if ((!grey && !colour) || !plausible || !allowed) {
        jpeg_destroy_decompress(&info);
        return nullptr;
    }
    info.out_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_start_decompress(&info);
    pixmap = decoded_pixmap(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                            grey ? PF_GREY8 : PF_RGB888, claim);
    if (!pixmap || info.output_components != (grey ? 1 : 3)) {
        jpeg_destroy_decompress(&info);
        free_pixmap(pixmap);
        return nullptr;
    }
    while (info.output_scanline < info.output_height && !errors.truncated) {
        JSAMPROW row = pixmap->pixels.data() + static_cast<size_t>(info.output_scanline) * pixmap->pitch;
        if (jpeg_read_scanlines(&info, &row, 1) != 1) break;
    }
    bool complete = info.output_scanline == info.output_height && !errors.truncated;
    if (complete) jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    if (!complete || errors.truncated) {
        free_pixmap(pixmap);
        return nullptr;
    }
    return pixmap;
}

// ---------------------------------------------------------------------------
// BMP
// ---------------------------------------------------------------------------

// One channel of a bit-field pixel, widened to 8 bits.
struct BitField {
    uint32_t mask;
    int shift, bits;
};

static BitField bit_field(uint32_t mask) {
    BitField f = {mask, 0, 0};
    if (!mask) return f;
    while (!((mask >> f.shift) & 1)) f.shift++;
    while (f.shift + f.bits < 32 && ((mask >> (f.shift + f.bits)) & 1)) f.bits++;
    return f;
}

static inline uint8_t field_value(const BitField& f, uint32_t pixel) {
    if (!f.bits) return 0;
    uint32_t v = (pixel & f.mask) >> f.shift;
    if (f.bits >= 8) return static_cast<uint8_t>(v >> (f.bits - 8));
    return static_cast<uint8_t>(v * 255 / ((1u << f.bits) - 1));
}

static TPixmap* load_bmp(const uint8_t* data, size_t size, const TImageLimits& limits, TImageClaim* claim) {
    if (size < 26 || data[0] != 'B' || data[1] != 'M') return nullptr;
    const uint32_t pixel_offset = u32le(data + 10);
    const uint32_t header_size = u32le(data + 14);
    if (header_size != 12 && header_size < 40) return nullptr;
    if (14ull + header_size > size) return nullptr;
    long long width, height;
    unsigned bpp, planes;
    uint32_t compression = 0, palette_used = 0;
    if (header_size == 12) {
        width = u16le(data + 18);
        height = u16le(data + 20);
        planes = u16le(data + 22);
        bpp = u16le(data + 24);
    } else {
        width = static_cast<int32_t>(u32le(data + 18));
        height = static_cast<int32_t>(u32le(data + 22));
        planes = u16le(data + 26);
        bpp = u16le(data + 28);
        compression = u32le(data + 30);
        palette_used = u32le(data + 46);
    }
    bool top_down = height < 0;
    if (top_down) height = -height;
    if (planes != 1 || !size_allowed(width, height, limits, claim)) return nullptr;
    const int w = static_cast<int>(width), h = static_cast<int>(height);

    // Bit fields: in the header from version 3 on, else just after it.
    BitField red = bit_field(0), green = red, blue = red, alpha = red;
    size_t after_header = 14 + header_size;
    if (bpp == 16 || bpp == 32) {
        uint32_t masks[4] = {0, 0, 0, 0};
        if (compression == 3 || compression == 6) {
            int count = compression == 6 ? 4 : 3;
            size_t at = 54;
            if (header_size == 40) after_header += 4 * count;
            if (header_size >= 56) count = 4;
            if (at + 4 * count > size) return nullptr;
            for (int i = 0; i < count; i++) masks[i] = u32le(data + at + 4 * i);
        } else if (compression == 0) {
            if (bpp == 16) {
                masks[0] = 0x7C00;
                masks[1] = 0x03E0;
                masks[2] = 0x001F;
            } else {
                masks[0] = 0xFF0000;
                masks[1] = 0xFF00;
                masks[2] = 0xFF;
            }
        } else {
            return nullptr;
        }
        red = bit_field(masks[0]);
        green = bit_field(masks[1]);
        blue = bit_field(masks[2]);
        alpha = bit_field(masks[3]);
    } else if (compression != 0 || (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24)) {
        return nullptr;
    }

    // Palette for 1, 4 and 8 bits: BGRx entries (BGR for the old header).
    uint8_t palette[256][3];
    std::memset(palette, 0, sizeof palette);
    unsigned palette_count = 0;
    if (bpp <= 8) {
        unsigned entry = header_size == 12 ? 3 : 4;
        palette_count = palette_used && palette_used < (1u << bpp) ? palette_used : (1u << bpp);
        if (after_header + static_cast<size_t>(palette_count) * entry > size) return nullptr;
        for (unsigned i = 0; i < palette_count; i++) {
            const uint8_t* e = data + after_header + i * entry;
            palette[i][0] = e[2];
            palette[i][1] = e[1];
            palette[i][2] = e[0];
        }
    }

    const size_t row_bytes = ((static_cast<size_t>(w) * bpp + 31) / 32) * 4;
    if (pixel_offset > size || (size - pixel_offset) / row_bytes < static_cast<size_t>(h)) return nullptr;

    // Bit-field pixels with a non-zero alpha somewhere keep it; files whose
    // alpha is all zero are opaque (many writers leave it unset).
    bool keep_alpha = false;
    if (alpha.bits) {
        for (int y = 0; y < h && !keep_alpha; y++) {
            const uint8_t* row = data + pixel_offset + static_cast<size_t>(y) * row_bytes;
            for (int x = 0; x < w; x++) {
                uint32_t v = bpp == 32 ? u32le(row + x * 4) : u16le(row + x * 2);
                if (v & alpha.mask) {
                    keep_alpha = true;
                    break;
                }
            }
        }
    }
    int format = bpp == 24 ? PF_BGR888 : keep_alpha ? PF_RGBA8888 : PF_RGB888;
    TPixmap* pixmap = decoded_pixmap(w, h, format, claim);
    if (!pixmap) return nullptr;
    for (int y = 0; y < h; y++) {
        const uint8_t* src = data + pixel_offset + static_cast<size_t>(top_down ? y : h - 1 - y) * row_bytes;
        uint8_t* dst = pixmap->pixels.data() + static_cast<size_t>(y) * pixmap->pitch;
        if (bpp == 24) {
            std::memcpy(dst, src, static_cast<size_t>(w) * 3);
        } else if (bpp <= 8) {
            for (int x = 0; x < w; x++) {
                unsigned bit = static_cast<unsigned>(x) * bpp;
                unsigned index = (src[bit / 8] >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
                if (index >= palette_count) index = 0;
                std::memcpy(dst + x * 3, palette[index], 3);
            }
        } else {
            int step = keep_alpha ? 4 : 3;
            for (int x = 0; x < w; x++) {
                uint32_t v = bpp == 32 ? u32le(src + x * 4) : u16le(src + x * 2);
                uint8_t* p = dst + x * step;
                p[0] = field_value(red, v);
                p[1] = field_value(green, v);
                p[2] = field_value(blue, v);
                if (keep_alpha) p[3] = field_value(alpha, v);
            }
        }
    }
    return pixmap;
}

// ---------------------------------------------------------------------------
// TGA (no signature, so it is tried last and its header checked strictly)
// ---------------------------------------------------------------------------

static TPixmap* load_tga(const uint8_t* data, size_t size, const TImageLimits& limits, TImageClaim* claim) {
    if (size < 18) return nullptr;
    const unsigned id_length = data[0], colormap_type = data[1], type = data[2];
    const unsigned colormap_length = u16le(data + 5), colormap_entry = data[7];
    const int w = static_cast<int>(u16le(data + 12)), h = static_cast<int>(u16le(data + 14));
    const unsigned depth = data[16], descriptor = data[17];
    bool rle = type == 10 || type == 11;
    bool grey = type == 3 || type == 11;
    if (colormap_type > 1 || (type != 2 && type != 3 && type != 10 && type != 11)) return nullptr;
    if (grey ? depth != 8 : (depth != 24 && depth != 32)) return nullptr;
    if ((descriptor & 0xC0) != 0 || !size_allowed(w, h, limits, claim)) return nullptr;
    size_t at = 18 + id_length;
    if (colormap_type == 1) at += static_cast<size_t>(colormap_length) * ((colormap_entry + 7) / 8);
    if (at > size) return nullptr;

    const int bpp = static_cast<int>(depth / 8);
    const bool keep_alpha = depth == 32 && (descriptor & 15) == 8;
    const int format = grey ? PF_GREY8 : keep_alpha ? PF_BGRA8888 : PF_BGR888;
    const int out_bpp = pixmap_bytes_per_pixel(format);
    const size_t count = static_cast<size_t>(w) * h;
    if (!rle && (size - at) / bpp < count) return nullptr;
    // An RLE packet of 1 + bpp bytes gives at most 128 pixels.
    if (rle && ((size - at) / (1 + bpp) + 1) * 128 < count) return nullptr;

    // Pixels in file order first, then placed by the origin bits.
    std::vector<uint8_t> raw(count * bpp);
    if (!rle) {
        std::memcpy(raw.data(), data + at, raw.size());
    } else {
        size_t done = 0;
        while (done < count) {
            if (at >= size) return nullptr;
            unsigned packet = data[at++];
            size_t run = (packet & 0x7F) + 1;
            if (run > count - done) run = count - done;
            if (packet & 0x80) {
                if (size - at < static_cast<size_t>(bpp)) return nullptr;
                for (size_t i = 0; i < run; i++) std::memcpy(&raw[(done + i) * bpp], data + at, bpp);
                at += bpp;
            } else {
                if ((size - at) / bpp < run) return nullptr;
                std::memcpy(&raw[done * bpp], data + at, run * bpp);
                at += run * bpp;
            }
            done += run;
        }
    }
    TPixmap* pixmap = decoded_pixmap(w, h, format, claim);
    if (!pixmap) return nullptr;
    const bool top_down = descriptor & 0x20, right_to_left = descriptor & 0x10;
    for (int y = 0; y < h; y++) {
        const uint8_t* src = raw.data() + static_cast<size_t>(top_down ? y : h - 1 - y) * w * bpp;
        uint8_t* dst = pixmap->pixels.data() + static_cast<size_t>(y) * pixmap->pitch;
        for (int x = 0; x < w; x++)
            std::memcpy(dst + x * out_bpp, src + (right_to_left ? w - 1 - x : x) * bpp, out_bpp);
    }
    return pixmap;
}

// ---------------------------------------------------------------------------
// Operations
// ---------------------------------------------------------------------------

TPixmap* decode_pixmap(const uint8_t* data, size_t size, int decoders, const TImageLimits& limits, TImageClaim* claim) {
    if (!data || size == 0) return nullptr;
    TPixmap* pixmap = nullptr;
    if (!pixmap && (decoders & DECODE_PNG)) pixmap = load_png(data, size, limits, claim);
    if (!pixmap && (decoders & DECODE_JPEG)) pixmap = load_jpeg(data, size, limits, claim);
    if (!pixmap && (decoders & DECODE_BMP)) pixmap = load_bmp(data, size, limits, claim);
    if (!pixmap && (decoders & DECODE_TGA)) pixmap = load_tga(data, size, limits, claim);
    return pixmap;
}

TPixmap* decode_pixmap_file(const std::string& path, const TImageLimits& limits, TImageClaim* claim) {
    if (claim) *claim = TImageClaim();
    if (!image_limits_set(limits)) return nullptr;
    TFileRead read;
    try {
        // No file the limits allow is larger than its pixels stored raw at
        // 16 bits a channel with the room a container needs about them.
        int64_t pixels = std::min(limits.max_pixels, static_cast<int64_t>(limits.max_width) * limits.max_height);
        int64_t max_bytes = std::min<int64_t>(MAX_FILE_BYTES, 8 * pixels + 1024 * 1024);
        if (!begin_file_read(path, max_bytes, HEADER_BYTES, &read)) return nullptr;
        long long w = 0, h = 0;
        if (header_claim(read.bytes.data(), read.bytes.size(), &w, &h) && !size_allowed(w, h, limits, claim)) {
            end_file_read(&read);
            return nullptr;
        }
        if (!finish_file_read(&read)) return nullptr;
        TPixmap* pixmap = decode_pixmap(read.bytes.data(), read.bytes.size(), DECODE_ANY, limits, claim);
        end_file_read(&read);
        if (pixmap) pixmap->_source = path;
        return pixmap;
    } catch (const std::bad_alloc&) {
        end_file_read(&read);
        if (claim) claim->no_memory = true;
        return nullptr;
    }
}

TPixmap* load_pixmap_within(const std::string& path, const TImageLimits& limits, TImageClaim* claim) {
    // A file decoded ahead was decoded under the limits its load was
    // expected to ask; the caller's are checked here as its header would
    // have been.
    TPixmap* ready = nullptr;
    TImageClaim ahead;
    if (take_prefetched_pixmap(path, limits, &ready, &ahead)) {
        if (claim) *claim = ready ? TImageClaim() : ahead;
        if (!ready) return nullptr;
        if (size_allowed(ready->width, ready->height, limits, claim)) return ready;
        free_pixmap(ready);
        return nullptr;
    }
    return decode_pixmap_file(path, limits, claim);
}

TPixmap* load_pixmap(const std::string& path) { return load_pixmap_within(path, IMAGE_LIMITS_GAME_FILE, nullptr); }
