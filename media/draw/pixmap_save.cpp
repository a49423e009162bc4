// Writing a pixmap as a PNG file (libpng) at a chosen zlib compression
// level: grey as 8-bit grey, 24-bit as RGB, 32-bit as RGBA, anything else
// converted to RGBA first. libpng reports errors by jumping back to the
// setjmp in write_png; nothing on that path owns memory by destructor.
// The file is written whole or not at all (begin_new_file, commit_new_file):
// an old file at the path keeps its bytes until the new one is on disk.
#include <csetjmp>
#include <cstdio>

#include <png.h>

#include "media/media_internal.h"

// libpng's error callback must not return: it jumps back into write_png.
static void png_write_failed(png_structp png, png_const_charp) { png_longjmp(png, 1); }
static void png_write_warning(png_structp, png_const_charp) {}

// libpng's output, through the shared file code so that a short write (a
// full disk) stops the encoder at once.
static void png_write_bytes(png_structp png, png_bytep data, png_size_t size) {
    TNewFile* file = static_cast<TNewFile*>(png_get_io_ptr(png));
    if (write_new_file(file, data, size) != size) png_error(png, "write failed");
}
static void png_flush_bytes(png_structp) {}  // commit_new_file flushes

// How a pixmap's rows go into the file.
struct PngLayout {
    int colour_type;
    int channels;
    bool bgr;  // bytes in blue-green-red order
};

static bool png_layout(int format, PngLayout* layout) {
    switch (format) {
    case PF_GREY8: *layout = {PNG_COLOR_TYPE_GRAY, 1, false}; return true;
    case PF_BGR888: *layout = {PNG_COLOR_TYPE_RGB, 3, true}; return true;
    case PF_RGB888: *layout = {PNG_COLOR_TYPE_RGB, 3, false}; return true;
    case PF_BGRA8888: *layout = {PNG_COLOR_TYPE_RGBA, 4, true}; return true;
    case PF_RGBA8888: *layout = {PNG_COLOR_TYPE_RGBA, 4, false}; return true;
    default: return false;
    }
}

// Writes the rows of a pixmap whose layout is known. Only png and info
// are used after the jump, and neither changes after setjmp.
static bool write_png(const TPixmap* pixmap, const PngLayout* layout, TNewFile* file, int compression) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, png_write_failed, png_write_warning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, file, png_write_bytes, png_flush_bytes);
    png_set_compression_level(png, compression);
    png_set_IHDR(png, info, static_cast<png_uint_32>(pixmap->width), static_cast<png_uint_32>(pixmap->height), 8,
                 layout->colour_type, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    if (layout->bgr) png_set_bgr(png);
    for (int y = 0; y < pixmap->height; y++)
        png_write_row(png, const_cast<png_bytep>(pixmap->pixels.data() + static_cast<size_t>(y) * pixmap->pitch));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool save_pixmap_png(const TPixmap* pixmap, const std::string& path, int compression) {
    if (!pixmap || !pixmap_size_ok(pixmap->width, pixmap->height)) return false;
    if (pixmap_bytes_per_pixel(pixmap->format) == 0) return false;
    if (compression < 0) compression = 0;
    if (compression > 9) compression = 9;
    TPixmap* converted = nullptr;
    if (pixmap->format == PF_ALPHA8) {
        converted = convert_pixmap(pixmap, PF_RGBA8888);
        if (!converted) return false;
        pixmap = converted;
    }
    PngLayout layout;
    if (!png_layout(pixmap->format, &layout) || pixmap->pitch < pixmap->width * layout.channels ||
        pixmap->pixels.size() < static_cast<size_t>(pixmap->pitch) * pixmap->height) {
        free_pixmap(converted);
        return false;
    }
    TNewFile file;
    bool ok = begin_new_file(path, &file);
    if (ok) {
        if (write_png(pixmap, &layout, &file, compression)) {
            ok = commit_new_file(&file);
        } else {
            discard_new_file(&file);
            ok = false;
        }
    }
    free_pixmap(converted);
    return ok;
}
