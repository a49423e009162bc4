// Images of one colour, for pieces, pictures and thumbnails a test makes up.
// Colours are 0xAARRGGBB.
#pragma once

#include <cstdint>
#include <string>

#include "media/draw/draw.h"

namespace support {

// An RGBA pixmap of one colour; the caller frees it. Null when it cannot be made.
TPixmap* solid_pixmap(int width, int height, uint32_t argb);
// An unmasked one-frame image of one colour; the caller frees it.
TImage* solid_image(int width, int height, uint32_t argb);
// Writes a PNG of one colour through the game's PNG writer; false on failure.
bool write_solid_png(const std::string& path, int width, int height, uint32_t argb);

}  // namespace support
