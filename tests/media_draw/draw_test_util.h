// Helpers shared by the drawing-layer tests: a temporary folder removed at
// the end of the test, reading and writing raw bytes, PNG checksums, and
// building pixmaps.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <ftw.h>
#include <unistd.h>

#include "media/draw/draw.h"

// A fresh folder under the system's temporary folder, removed on destruction.
struct TempDir {
    std::string path;
    TempDir() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/media_draw_XXXXXX";
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        if (mkdtemp(buf.data())) path = buf.data();
    }
    ~TempDir() {
        if (!path.empty())
            nftw(path.c_str(), [](const char* p, const struct stat*, int, struct FTW*) { return std::remove(p); }, 8,
                 FTW_DEPTH | FTW_PHYS);
    }
    std::string file(const std::string& name) const { return path + "/" + name; }
};

inline bool write_bytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

inline std::vector<uint8_t> read_bytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    int c;
    while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<uint8_t>(c));
    std::fclose(f);
    return bytes;
}

inline void put16(std::vector<uint8_t>* b, unsigned v) {
    b->push_back(v & 255);
    b->push_back((v >> 8) & 255);
}

inline void put32(std::vector<uint8_t>* b, uint32_t v) {
    for (int i = 0; i < 4; i++) b->push_back((v >> (8 * i)) & 255);
}

// The PNG chunk checksum (CRC-32) of a byte range.
inline uint32_t crc32_of(const uint8_t* data, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; i++) {
        crc ^= data[i];
        for (int k = 0; k < 8; k++) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

inline void put32be(std::vector<uint8_t>* b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; i++) (*b)[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

// A pixmap of `format` whose pixels are given as 0xAARRGGBB, row by row.
inline TPixmap* pixmap_of(int width, int height, int format, const std::vector<uint32_t>& argb) {
    TPixmap* p = create_pixmap(width, height, format);
    for (int y = 0; p && y < height; y++)
        for (int x = 0; x < width; x++) write_pixel(p, x, y, argb[static_cast<size_t>(y * width + x)]);
    return p;
}
