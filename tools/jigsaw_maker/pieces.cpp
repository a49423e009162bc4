// From picture to jigsaw folder: choosing the grid, laying the picture on
// the board, then for every piece its image (the picture inside the
// outline, a soft rim, a light bevel) and finally pieces.txt and tn.png.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unistd.h>

#include "tools/jigsaw_maker/jigsaw_cut.h"

namespace cut {

// ---------------------------------------------------------------------------
// Grid and layout
// ---------------------------------------------------------------------------

void choose_grid(int pieces, double aspect, int* rows, int* columns) {
    pieces = std::clamp(pieces, 2, static_cast<int>(MAX_PIECES));
    double best = 1e30;
    *rows = 1;
    *columns = pieces;
    for (int r = 1; r <= pieces; r++) {
        for (int c = std::max(1, pieces / r - 1); c <= pieces / r + 1; c++) {
            if (r * c > MAX_PIECES || r * c < 2) continue;
            // Cells of the picture: (aspect / c) wide for (1 / r) high.
            double cell = (aspect / c) / (1.0 / r);
            double score = std::fabs(r * c - pieces) / pieces + 0.6 * std::fabs(std::log(cell));
            if (score < best) {
                best = score;
                *rows = r;
                *columns = c;
            }
        }
    }
}

std::string plan_layout(int picture_w, int picture_h, const CutOptions& options, Layout* layout) {
    if (picture_w <= 0 || picture_h <= 0) return "the picture is empty";
    int rows = options.rows, columns = options.columns;
    if (rows > 0 || columns > 0) {
        if (rows <= 0 || columns <= 0) return "give both --rows and --columns, or --pieces";
        if (rows * columns > MAX_PIECES)
            return std::to_string(rows) + " x " + std::to_string(columns) + " = " + std::to_string(rows * columns) +
                   " pieces is more than the game can hold (at most " + std::to_string(MAX_PIECES) + ")";
    } else {
        if (options.pieces > MAX_PIECES)
            return std::to_string(options.pieces) + " pieces is more than the game can hold (at most " +
                   std::to_string(MAX_PIECES) + ")";
        if (options.pieces < 2) return "a jigsaw needs at least 2 pieces";
        choose_grid(options.pieces, static_cast<double>(picture_w) / picture_h, &rows, &columns);
    }
    if (rows * columns < 2) return "a jigsaw needs at least 2 pieces";
    double fill = std::clamp(options.fill, 0.3, 1.0);
    double s = std::min(BOARD_WIDTH * fill / picture_w, BOARD_HEIGHT * fill / picture_h);
    layout->rows = rows;
    layout->columns = columns;
    layout->picture_w = std::max(1, static_cast<int>(std::floor(picture_w * s + 1e-6)));
    layout->picture_h = std::max(1, static_cast<int>(std::floor(picture_h * s + 1e-6)));
    layout->picture_x = (BOARD_WIDTH - layout->picture_w) / 2;
    layout->picture_y = (BOARD_HEIGHT - layout->picture_h) / 2;
    std::string grid = std::to_string(rows) + " x " + std::to_string(columns);
    if (picture_w / columns < MIN_SOURCE_CELL || picture_h / rows < MIN_SOURCE_CELL)
        return "the picture (" + std::to_string(picture_w) + " x " + std::to_string(picture_h) + ") is too small for " +
               grid + " pieces: each piece needs at least " + std::to_string(MIN_SOURCE_CELL) + " x " +
               std::to_string(MIN_SOURCE_CELL) + " pixels of it; use fewer pieces or a larger picture";
    if (layout->picture_w / columns < MIN_BOARD_CELL || layout->picture_h / rows < MIN_BOARD_CELL)
        return "the pieces of a " + grid + " grid would be narrower than " + std::to_string(MIN_BOARD_CELL) +
               " pixels on the board; use fewer pieces";
    return "";
}

// ---------------------------------------------------------------------------
// Piece images
// ---------------------------------------------------------------------------

// How strongly the bevel lights and shades the rim, and its width in pixels.
static const float BEVEL_STRENGTH = 2.2f;
static const int BEVEL_RADIUS = 1;

static uint8_t byte_of(float v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); }

// The piece's RGBA pixels: picture colour inside, alpha from the exact
// coverage, lit from the top-left along the rim. Transparent pixels next to
// the outline keep the picture's colour so filtered drawing has no dark
// fringe; the rest are zero.
static std::vector<uint8_t> piece_pixels(const kit::Canvas& board, const PieceShape& shape) {
    kit::Path path;
    path.contours.push_back(shape.outline);
    kit::Coverage cov = kit::rasterize(path, shape.left, shape.top, shape.width, shape.height);
    kit::Coverage soft = kit::blur(cov, BEVEL_RADIUS);
    const int w = shape.width, h = shape.height;
    std::vector<uint8_t> out(static_cast<size_t>(w) * h * 4, 0);
    const float light = 0.70710678f;  // from the top-left
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            int bx = shape.left + x, by = shape.top + y;
            float a = cov.a[static_cast<size_t>(y) * w + x];
            bool near = a > 0;
            for (int k = 0; k < 4 && !near; k++) {
                static const int dx[4] = {1, -1, 0, 0}, dy[4] = {0, 0, 1, -1};
                near = kit::coverage_at(cov, bx + dx[k], by + dy[k]) > 0;
            }
            if (!near) continue;
            kit::Color c = kit::get_pixel(board, bx, by);
            if (a > 0) {
                float gx = kit::coverage_at(soft, bx + 1, by) - kit::coverage_at(soft, bx - 1, by);
                float gy = kit::coverage_at(soft, bx, by + 1) - kit::coverage_at(soft, bx, by - 1);
                float shade = std::clamp((gx + gy) * light * BEVEL_STRENGTH * 0.5f, -0.45f, 0.45f);
                if (shade > 0) {
                    c = kit::mix(c, kit::Color{1, 1, 1, 1}, shade);
                } else {
                    c = kit::scale(c, 1.0f + shade);
                }
            }
            uint8_t* o = &out[(static_cast<size_t>(y) * w + x) * 4];
            o[0] = byte_of(c.r);
            o[1] = byte_of(c.g);
            o[2] = byte_of(c.b);
            o[3] = byte_of(a);
        }
    return out;
}

// ---------------------------------------------------------------------------
// The folder
// ---------------------------------------------------------------------------

static bool write_pieces_file(const std::string& path, const Layout& layout, const std::vector<PieceShape>& shapes,
                              const CutOptions& options) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    // Lines 3 and 4 are not read by the game; they carry the picture's
    // size on the board for anyone inspecting the folder.
    std::fprintf(f, "%d\r\n%d\r\n%d\r\n%d\r\n", layout.rows, layout.columns, layout.picture_w, layout.picture_h);
    for (const PieceShape& s : shapes) std::fprintf(f, "%d\r\n%d\r\n", s.left + s.width / 2, s.top + s.height / 2);
    if (options.has_background)
        std::fprintf(f, "%d\r\n%d\r\n%d\r\n", options.background[0], options.background[1], options.background[2]);
    return std::fclose(f) == 0;
}

// tn.png: the finished board at 0.33, the picture on the jigsaw's colour.
static bool write_thumbnail(const std::string& path, const kit::Canvas& picture, const Layout& layout,
                            const CutOptions& options) {
    const double s = static_cast<double>(THUMB_WIDTH) / BOARD_WIDTH;
    kit::Canvas tn = kit::make_canvas(THUMB_WIDTH, THUMB_HEIGHT,
                                      kit::rgb(options.background[0], options.background[1], options.background[2]));
    int x0 = static_cast<int>(std::lround(layout.picture_x * s)),
        y0 = static_cast<int>(std::lround(layout.picture_y * s));
    int x1 = static_cast<int>(std::lround((layout.picture_x + layout.picture_w) * s));
    int y1 = static_cast<int>(std::lround((layout.picture_y + layout.picture_h) * s));
    kit::Canvas small = kit::resize_canvas(picture, std::max(1, x1 - x0), std::max(1, y1 - y0));
    kit::draw_canvas(tn, small, x0, y0, 1.0f);
    return kit::save_png(tn, path, false);
}

std::string cut_jigsaw(const kit::Picture& picture, const CutOptions& options, const std::string& folder,
                       int* pieces_made) {
    *pieces_made = 0;
    Layout layout;
    std::string problem = plan_layout(picture.width, picture.height, options, &layout);
    if (!problem.empty()) return problem;
    if (!kit::make_folders(folder)) return "cannot make the folder " + folder;

    // The picture as it lies on the board, flattened onto opaque colour
    // (pieces must be solid inside their outline).
    // Large originals are first box-shrunk to about twice the board size,
    // which keeps memory small and the final filter sharp.
    int factor = std::min(picture.width / (2 * layout.picture_w), picture.height / (2 * layout.picture_h));
    kit::Canvas source = factor >= 2 ? kit::canvas_from_picture(kit::shrink_picture(picture, factor))
                                     : kit::canvas_from_picture(picture);
    kit::Canvas scaled = kit::resize_canvas(source, layout.picture_w, layout.picture_h);
    kit::Canvas board = kit::make_canvas(BOARD_WIDTH, BOARD_HEIGHT, kit::Color{0, 0, 0, 0});
    kit::Canvas opaque = kit::make_canvas(layout.picture_w, layout.picture_h, kit::rgb(128, 128, 128));
    kit::draw_canvas(opaque, scaled, 0, 0, 1.0f);
    kit::draw_canvas(board, opaque, layout.picture_x, layout.picture_y, 1.0f);

    std::vector<PieceShape> shapes = cut_shapes(layout, options.seed);
    const int count = static_cast<int>(shapes.size());
    bool tty = options.progress && isatty(2);
    for (int i = 0; i < count; i++) {
        if (tty && (i % 4 == 0 || i == count - 1)) std::fprintf(stderr, "\rcutting piece %d of %d", i + 1, count);
        std::vector<uint8_t> px = piece_pixels(board, shapes[i]);
        std::string path = folder + "/" + std::to_string(i + 1) + ".png";
        if (!kit::write_png(path, shapes[i].width, shapes[i].height, 4, px.data(), 6)) return "cannot write " + path;
    }
    if (tty) std::fprintf(stderr, "\n");
    // Piece images left over from an earlier, larger cut into the same folder.
    for (int i = count + 1; i <= MAX_PIECES; i++) unlink((folder + "/" + std::to_string(i) + ".png").c_str());
    if (!write_pieces_file(folder + "/pieces.txt", layout, shapes, options))
        return "cannot write " + folder + "/pieces.txt";
    if (!write_thumbnail(folder + "/tn.png", opaque, layout, options)) return "cannot write " + folder + "/tn.png";
    *pieces_made = count;
    return "";
}

}  // namespace cut
