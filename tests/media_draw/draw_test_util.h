// Helpers shared by the drawing-layer tests: little-endian and big-endian
// numbers for hand-made files, PNG checksums, and building pixmaps.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "media/draw/draw.h"
#include "tests/support/files.h"
#include "tests/support/temp_folder.h"

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

// The bytes of the PNG file the game writes for the pixmap (level 5),
// written at path on the way; the pixmap is freed. Empty on failure.
inline std::vector<uint8_t> png_bytes(TPixmap* pixmap, const std::string& path) {
    bool saved = save_pixmap_png(pixmap, path, 5);
    free_pixmap(pixmap);
    return saved ? support::read_bytes(path) : std::vector<uint8_t>();
}

// Makes a PNG's header claim another size, its checksum made to match.
inline void claim_png_size(std::vector<uint8_t>* png, uint32_t width, uint32_t height) {
    put32be(png, 16, width);
    put32be(png, 20, height);
    put32be(png, 29, crc32_of(png->data() + 12, 17));
}
