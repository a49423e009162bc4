// Picture files for the build tools: PNG writing through libpng (no time
// chunk, so output bytes depend on the pixels alone), BMP writing, and
// reading PNG or JPEG pictures given by a player to the jigsaw maker.
#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include <png.h>
#include <jpeglib.h>

#include "tools/toolkit/toolkit.h"

namespace kit {

// ---------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------

bool write_png(const std::string& path, int width, int height, int channels, const uint8_t* pixels,
               int compression) {
    if (width <= 0 || height <= 0 || (channels != 3 && channels != 4)) return false;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        std::fclose(f);
        return false;
    }
    // libpng reports encoder failures by jumping back here.
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_compression_level(png, compression);
    png_set_IHDR(png, info, width, height, 8, channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; y++)
        png_write_row(png, pixels + static_cast<size_t>(y) * width * channels);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

bool save_png(const Canvas& canvas, const std::string& path, bool with_alpha) {
    std::vector<uint8_t> bytes = canvas_bytes(canvas, with_alpha);
    return write_png(path, canvas.width, canvas.height, with_alpha ? 4 : 3, bytes.data(), 9);
}

static void put16(std::vector<uint8_t>& v, unsigned x) {
    v.push_back(x & 255);
    v.push_back((x >> 8) & 255);
}

static void put32(std::vector<uint8_t>& v, unsigned x) {
    put16(v, x & 0xffff);
    put16(v, x >> 16);
}

bool save_bmp(const Canvas& canvas, const std::string& path) {
    std::vector<uint8_t> rgb = canvas_bytes(canvas, false);
    int w = canvas.width, h = canvas.height;
    int row = (w * 3 + 3) & ~3;
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    put32(out, 54 + row * h);
    put32(out, 0);
    put32(out, 54);
    put32(out, 40);  // BITMAPINFOHEADER
    put32(out, w);
    put32(out, h);   // positive: rows stored bottom-up
    put16(out, 1);
    put16(out, 24);
    put32(out, 0);   // no compression
    put32(out, row * h);
    put32(out, 2835);  // 72 dpi
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    for (int y = h - 1; y >= 0; y--) {
        for (int x = 0; x < w; x++) {
            const uint8_t* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
            out.push_back(p[2]);
            out.push_back(p[1]);
            out.push_back(p[0]);
        }
        for (int k = w * 3; k < row; k++) out.push_back(0);
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok;
}

// ---------------------------------------------------------------------------
// Reading
// ---------------------------------------------------------------------------

// Pictures larger than these are refused rather than decoded: 64 million
// pixels is 256 MB of RGBA.
static const int PICTURE_MAX_SIDE = 16384;
static const long PICTURE_MAX_PIXELS = 64L * 1024 * 1024;

static bool size_ok(long w, long h) {
    return w > 0 && h > 0 && w <= PICTURE_MAX_SIDE && h <= PICTURE_MAX_SIDE && w * h <= PICTURE_MAX_PIXELS;
}

static bool read_png(const std::string& path, Picture& picture, std::string& error) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        error = image.message;
        return false;
    }
    if (!size_ok(image.width, image.height)) {
        png_image_free(&image);
        error = "the picture's size is out of range";
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    picture.width = image.width;
    picture.height = image.height;
    picture.rgba.assign(PNG_IMAGE_SIZE(image), 0);
    if (!png_image_finish_read(&image, nullptr, picture.rgba.data(), 0, nullptr)) {
        error = image.message;
        png_image_free(&image);
        return false;
    }
    return true;
}

struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

// libjpeg cannot return errors from inside the decoder; its documented way
// out is a jump back to the caller, which then reports the failure.
static void jpeg_fail(j_common_ptr info) {
    JpegError* err = reinterpret_cast<JpegError*>(info->err);
    (*info->err->format_message)(info, err->message);
    std::longjmp(err->jump, 1);
}

static bool read_jpeg(const std::string& path, Picture& picture, std::string& error) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = std::strerror(errno);
        return false;
    }
    jpeg_decompress_struct info;
    JpegError err;
    info.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = jpeg_fail;
    if (setjmp(err.jump)) {
        error = err.message;
        jpeg_destroy_decompress(&info);
        std::fclose(f);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, f);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    if (!size_ok(info.image_width, info.image_height)) {
        jpeg_destroy_decompress(&info);
        std::fclose(f);
        error = "the picture's size is out of range";
        return false;
    }
    jpeg_start_decompress(&info);
    int w = info.output_width, h = info.output_height;
    std::vector<uint8_t> row(static_cast<size_t>(w) * info.output_components);
    picture.width = w;
    picture.height = h;
    picture.rgba.assign(static_cast<size_t>(w) * h * 4, 255);
    for (int y = 0; y < h; y++) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_read_scanlines(&info, rows, 1);
        for (int x = 0; x < w; x++) {
            uint8_t* d = &picture.rgba[(static_cast<size_t>(y) * w + x) * 4];
            if (info.output_components == 3) {
                std::memcpy(d, &row[x * 3], 3);
            } else {
                d[0] = d[1] = d[2] = row[x];
            }
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(f);
    return true;
}

bool read_picture(const std::string& path, Picture& picture, std::string& error) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = std::strerror(errno);
        return false;
    }
    unsigned char magic[8] = {0};
    size_t got = std::fread(magic, 1, sizeof magic, f);
    std::fclose(f);
    if (got >= 8 && png_sig_cmp(magic, 0, 8) == 0) return read_png(path, picture, error);
    if (got >= 3 && magic[0] == 0xFF && magic[1] == 0xD8 && magic[2] == 0xFF) return read_jpeg(path, picture, error);
    error = "it is neither a PNG nor a JPEG picture";
    return false;
}

Picture shrink_picture(const Picture& picture, int factor) {
    Picture out;
    if (factor < 1) factor = 1;
    out.width = std::max(1, picture.width / factor);
    out.height = std::max(1, picture.height / factor);
    out.rgba.assign(static_cast<size_t>(out.width) * out.height * 4, 0);
    for (int y = 0; y < out.height; y++)
        for (int x = 0; x < out.width; x++) {
            // Alpha-weighted box average of the factor x factor block.
            uint64_t sum[4] = {0, 0, 0, 0};
            int count = 0;
            for (int by = y * factor; by < std::min(picture.height, (y + 1) * factor); by++)
                for (int bx = x * factor; bx < std::min(picture.width, (x + 1) * factor); bx++) {
                    const uint8_t* p = &picture.rgba[(static_cast<size_t>(by) * picture.width + bx) * 4];
                    for (int k = 0; k < 3; k++) sum[k] += static_cast<uint64_t>(p[k]) * p[3];
                    sum[3] += p[3];
                    count++;
                }
            uint8_t* o = &out.rgba[(static_cast<size_t>(y) * out.width + x) * 4];
            for (int k = 0; k < 3; k++) o[k] = sum[3] ? static_cast<uint8_t>(sum[k] / sum[3]) : 0;
            o[3] = count ? static_cast<uint8_t>(sum[3] / count) : 0;
        }
    return out;
}

Canvas canvas_from_picture(const Picture& picture) {
    Canvas c = make_canvas(picture.width, picture.height, Color{0, 0, 0, 0});
    for (size_t i = 0; i < static_cast<size_t>(picture.width) * picture.height; i++) {
        float a = picture.rgba[i * 4 + 3] / 255.0f;
        for (int k = 0; k < 3; k++) c.px[i * 4 + k] = picture.rgba[i * 4 + k] / 255.0f * a;
        c.px[i * 4 + 3] = a;
    }
    return c;
}

bool make_folders(const std::string& path) {
    std::string part;
    for (size_t i = 0; i <= path.size(); i++) {
        if (i == path.size() || path[i] == '/') {
            if (!part.empty() && part != "/") {
                struct stat st;
                if (stat(part.c_str(), &st) != 0 && mkdir(part.c_str(), 0777) != 0) return false;
            }
        }
        if (i < path.size()) part += path[i];
    }
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace kit
