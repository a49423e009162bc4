// The seven frames of the celebration's flash: a starburst that grows and
// fades, drawn additively (colour times alpha added to the screen) with a
// centred handle, so black and transparent both add nothing.
#include <cmath>

#include "tools/resources/resources.h"

namespace res {

static const int FLASH_SIZE = 128;

bool make_flash_frames(const std::string& out) {
    const double pi = 3.14159265358979323846;
    const double cx = FLASH_SIZE / 2.0, cy = FLASH_SIZE / 2.0;
    // Ray lengths, fixed, so that the burst is irregular like a sparkle.
    const int RAYS = 14;
    const double ray_len[RAYS] = {1.0, 0.55, 0.8, 0.5, 0.95, 0.6, 0.75, 0.52, 1.0, 0.58, 0.85, 0.5, 0.9, 0.62};
    bool ok = true;
    for (int f = 1; f <= 7; f++) {
        double t = (f - 1) / 6.0;                                   // 0 at the first frame, 1 at the last
        double reach = (0.42 + 0.56 * t) * (FLASH_SIZE / 2.0 - 2);  // longest ray
        double glow = 0.16 + 0.14 * t;                              // core radius, as a share of reach
        double intensity = 1.25 * (1.0 - 0.72 * t);
        double twist = 0.12 * t;  // the rays turn a little as they grow
        kit::Canvas c = kit::make_canvas(FLASH_SIZE, FLASH_SIZE, kit::Color{0, 0, 0, 0});
        for (int y = 0; y < FLASH_SIZE; y++)
            for (int x = 0; x < FLASH_SIZE; x++) {
                double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
                double r = std::hypot(dx, dy) / reach;
                double a = std::atan2(dy, dx) - twist;
                // Rays: narrow angular peaks whose length varies per ray.
                double sector = a / (2 * pi) * RAYS;
                int k = static_cast<int>(std::floor(sector));
                double frac = sector - k - 0.5;  // -0.5..0.5 across the sector
                int ki = ((k % RAYS) + RAYS) % RAYS;
                double len = ray_len[ki];
                double width = 0.2 * (1.0 - std::min(1.0, r / len));
                double ray = r < len && width > 0 ? std::exp(-(frac * frac) / (2 * width * width + 1e-9)) : 0.0;
                ray *= std::pow(std::max(0.0, 1.0 - r / len), 1.3);
                double core = std::exp(-(r * r) / (2 * glow * glow));
                double ring = 0.18 * t * std::exp(-std::pow((r - 0.85) / 0.05, 2));  // a faint shock ring
                double v = std::min(1.0, (0.9 * ray + core + ring) * intensity);
                if (v <= 0.002) continue;
                // White-hot centre going to gold at the tips.
                float heat = static_cast<float>(std::min(1.0, r * 1.6));
                kit::Color col = heat < 0.5f ? kit::mix(kit::rgb(255, 255, 235), kit::rgb(255, 214, 96), heat * 2)
                                             : kit::mix(kit::rgb(255, 214, 96), kit::rgb(255, 140, 40), heat * 2 - 1);
                col.a = static_cast<float>(v);
                kit::blend_pixel(c, x, y, col, 1.0f);
            }
        ok &= save_image(c, out, "images/flash/1/" + std::to_string(f) + ".png");
    }
    return ok;
}

}  // namespace res
