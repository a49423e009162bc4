#include "tests/support/images.h"

namespace support {

TPixmap* solid_pixmap(int width, int height, uint32_t argb) {
    TPixmap* pixmap = create_pixmap(width, height, PF_RGBA8888);
    for (int y = 0; pixmap && y < height; y++)
        for (int x = 0; x < width; x++) write_pixel(pixmap, x, y, argb);
    return pixmap;
}

TImage* solid_image(int width, int height, uint32_t argb) {
    TImage* image = create_image(width, height, 1, 0);
    TPixmap* pixels = image ? lock_image(image, 0, true, true) : nullptr;
    for (int y = 0; pixels && y < height; y++)
        for (int x = 0; x < width; x++) write_pixel(pixels, x, y, argb);
    return image;
}

bool write_solid_png(const std::string& path, int width, int height, uint32_t argb) {
    TPixmap* pixmap = solid_pixmap(width, height, argb);
    if (!pixmap) return false;
    bool ok = save_pixmap_png(pixmap, path, 5);
    free_pixmap(pixmap);
    return ok;
}

}  // namespace support
