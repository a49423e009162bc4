// Picture files for the build tools. PNG writing and PNG / JPEG reading go
// through the game's own pixmap code (save_pixmap_png, load_pixmap), so the
// tools and the game agree on formats and size limits; BMP writing, which
// the game has no writer for, is done here.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include "media/draw/draw.h"
#include "tools/toolkit/toolkit.h"

namespace kit {

// ---------------------------------------------------------------------------
// Writing
// ---------------------------------------------------------------------------

bool write_png(const std::string& path, int width, int height, int channels, const uint8_t* pixels, int compression) {
    if (width <= 0 || height <= 0 || (channels != 3 && channels != 4)) return false;
    TPixmap* pixmap = create_pixmap(width, height, channels == 4 ? PF_RGBA8888 : PF_RGB888);
    if (!pixmap) return false;
    // create_pixmap packs the rows (pitch width * channels), as the caller's are.
    std::memcpy(pixmap->pixels.data(), pixels, static_cast<size_t>(width) * height * channels);
    bool ok = save_pixmap_png(pixmap, path, compression);
    free_pixmap(pixmap);
    return ok;
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
    put32(out, h);  // positive: rows stored bottom-up
    put16(out, 1);
    put16(out, 24);
    put32(out, 0);  // no compression
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

bool read_picture(const std::string& path, Picture& picture, std::string& error) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = std::strerror(errno);
        return false;
    }
    // The game's loader also takes BMP and TGA; players are offered PNG and
    // JPEG only, so the signature is checked first.
    unsigned char magic[8] = {0};
    size_t got = std::fread(magic, 1, sizeof magic, f);
    std::fclose(f);
    static const unsigned char PNG_SIGNATURE[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    bool png = got >= 8 && std::memcmp(magic, PNG_SIGNATURE, 8) == 0;
    bool jpeg = got >= 3 && magic[0] == 0xFF && magic[1] == 0xD8 && magic[2] == 0xFF;
    if (!png && !jpeg) {
        error = "it is neither a PNG nor a JPEG picture";
        return false;
    }
    TPixmap* loaded = load_pixmap_within(path, IMAGE_LIMITS_LARGEST, nullptr);
    if (!loaded) {
        error = std::string("the ") + (png ? "PNG" : "JPEG") +
                " file is damaged, or larger than 16384 pixels a side or 64 million pixels";
        return false;
    }
    TPixmap* rgba = loaded->format == PF_RGBA8888 ? loaded : convert_pixmap(loaded, PF_RGBA8888);
    if (rgba != loaded) free_pixmap(loaded);
    const size_t row = static_cast<size_t>(rgba ? rgba->width : 0) * 4;
    if (!rgba || static_cast<size_t>(rgba->pitch) != row || rgba->pixels.size() < row * rgba->height) {
        free_pixmap(rgba);
        error = "its pixels could not be converted to RGBA";
        return false;
    }
    picture.width = rgba->width;
    picture.height = rgba->height;
    picture.rgba.swap(rgba->pixels);
    picture.rgba.resize(row * picture.height);
    free_pixmap(rgba);
    return true;
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
