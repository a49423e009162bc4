#include "tests/support/jigsaw_files.h"

#include <filesystem>

#include "tests/support/files.h"
#include "tests/support/images.h"

namespace support {

std::vector<int> grid_homes(int rows, int columns, int x, int y, int step) {
    std::vector<int> homes;
    for (int r = 0; r < rows; r++)
        for (int c = 0; c < columns; c++) {
            homes.push_back(x + c * step);
            homes.push_back(y + r * step);
        }
    return homes;
}

std::string pieces_text(const JigsawFiles& jigsaw) {
    std::vector<int> lines = {jigsaw.rows, jigsaw.columns, 0, 0};
    lines.insert(lines.end(), jigsaw.homes.begin(), jigsaw.homes.end());
    lines.insert(lines.end(), jigsaw.background.begin(), jigsaw.background.end());
    return crlf_lines(lines);
}

bool write_jigsaw(const std::string& folder, const JigsawFiles& jigsaw) {
    return write_jigsaw(folder, jigsaw, pieces_text(jigsaw));
}

bool write_jigsaw(const std::string& folder, const JigsawFiles& jigsaw, const std::string& pieces) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    bool ok = !ec && write_text(folder + "/pieces.txt", pieces);
    int images = jigsaw.images >= 0 ? jigsaw.images : jigsaw.rows * jigsaw.columns;
    for (int i = 1; i <= images; i++) {
        if (i == jigsaw.missing) continue;
        uint32_t argb = jigsaw.piece_colour ? jigsaw.piece_colour(i) : jigsaw.piece_argb;
        ok = write_solid_png(folder + "/" + std::to_string(i) + ".png", jigsaw.side, jigsaw.side, argb) && ok;
    }
    if (jigsaw.picture_width > 0)
        ok =
            write_solid_png(folder + "/tn.png", jigsaw.picture_width, jigsaw.picture_height, jigsaw.picture_argb) && ok;
    return ok;
}

std::string saved_game_text(const std::vector<SavedPiece>& pieces, int red, int green, int blue, int large,
                            int groups) {
    std::vector<int> lines;
    for (const SavedPiece& p : pieces)
        lines.insert(lines.end(), {p.x, p.y, p.turns, p.visible, p.group, p.order, p.box});
    lines.insert(lines.end(), {red, green, blue, large, groups});
    return crlf_lines(lines);
}

bool write_saved_game(const std::string& folder, const std::string& name, const std::string& text,
                      uint32_t thumbnail_argb) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    std::string stem = folder + (folder.empty() || folder.back() == '/' ? "" : "/") + name;
    return !ec && write_text(stem + ".txt", text) && write_solid_png(stem + ".png", 264, 198, thumbnail_argb);
}

}  // namespace support
