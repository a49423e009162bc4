// The application icon of the desktop menu: a golden jigsaw piece with a
// soft shadow on a rounded blue tile, drawn afresh at each size of the
// icon theme (48, 64, 128, 256) so that small sizes stay sharp.
#include <cstdio>
#include <string>

#include "tools/resources/resources.h"

namespace res {

static const int ICON_SIZES[] = {48, 64, 128, 256};

static kit::Canvas draw_app_icon(int size) {
    double s = size;
    kit::Canvas canvas = kit::make_canvas(size, size, kit::Color{0, 0, 0, 0});
    kit::Path tile;
    kit::add_rounded_rect(tile, s * 0.03, s * 0.03, s * 0.94, s * 0.94, s * 0.18);
    kit::Coverage tile_cov = kit::rasterize_bounds(tile, 1);
    kit::fill_vertical(canvas, tile_cov, kit::rgb(64, 140, 190), s * 0.03, kit::rgb(24, 64, 110), s * 0.97);

    // The piece's silhouette fills about two thirds of the tile.
    kit::Path piece = piece_icon_path(s * 0.16, s * 0.10, s * 0.78);
    kit::Coverage piece_cov = kit::rasterize_bounds(piece, 2);
    int r = size >= 128 ? size / 48 : 1;
    kit::fill(canvas, kit::offset(kit::blur(piece_cov, r), size / 40 + 1, size / 32 + 1), kit::Color{0, 0, 0, 0.45f});
    kit::fill_vertical(canvas, piece_cov, kit::rgb(255, 214, 92), s * 0.1, kit::rgb(226, 132, 36), s * 0.9);
    return canvas;
}

bool make_app_icons(const std::string& out) {
    bool ok = true;
    for (int size : ICON_SIZES) {
        std::string folder = out + "/" + std::to_string(size) + "x" + std::to_string(size) + "/apps";
        if (!kit::make_folders(folder)) {
            std::fprintf(stderr, "tessellon-resources: cannot make %s\n", folder.c_str());
            ok = false;
            continue;
        }
        ok &= save_image(draw_app_icon(size), folder, "tessellon.png");
    }
    return ok;
}

}  // namespace res
