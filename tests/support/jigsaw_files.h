// Jigsaw folders and saved games as the game reads them, made up by tests:
// pieces.txt with solid piece images and a picture, and the saved-game
// text with its thumbnail. Colours are 0xAARRGGBB; text files end their
// lines with CR LF, as the game's own files do.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace support {

struct JigsawFiles {
    int rows = 1, columns = 1;
    std::vector<int> homes;       // x, y of each piece's centre, piece 1 first
    std::vector<int> background;  // the optional colour lines (red, green, blue)
    int side = 40;                // piece images are side x side
    uint32_t piece_argb = 0xFF4080C0;
    std::function<uint32_t(int)> piece_colour;    // when set: the colour of piece i (1-based)
    int images = -1;                              // piece images written: 1..images; -1 = one a piece
    int missing = 0;                              // a piece image left out; 0 = none
    int picture_width = 80, picture_height = 60;  // tn.png; width 0 = no picture
    uint32_t picture_argb = 0xFF20A040;
};

// Homes of a grid, row by row: piece 1's centre at (x, y), neighbours `step` apart.
std::vector<int> grid_homes(int rows, int columns, int x, int y, int step);
// The pieces file: rows, columns, two lines the game does not read, the
// homes, the background lines.
std::string pieces_text(const JigsawFiles& jigsaw);
// Makes the folder (and its parents) with pieces.txt, the piece images and
// tn.png; false when a file could not be written.
bool write_jigsaw(const std::string& folder, const JigsawFiles& jigsaw);
// The same with a pieces file of the test's own (damaged ones included).
bool write_jigsaw(const std::string& folder, const JigsawFiles& jigsaw, const std::string& pieces);

// One piece of a saved game, in the order of its seven lines.
struct SavedPiece {
    int x = 0, y = 0;
    int turns = 0;  // quarter turns
    int visible = 1;
    int group = 0;
    int order = 0;  // place in the drawing order
    int box = 0;
};

// The saved-game text: seven lines a piece (pieces[0] is piece 1), then the
// background colour, the display size (1 = large) and the group counter.
std::string saved_game_text(const std::vector<SavedPiece>& pieces, int red, int green, int blue, int large = 0,
                            int groups = 0);
// <folder>/<name>.txt with the text and <name>.png, a 264x198 thumbnail of
// one colour, the folder made first; false when a file could not be written.
bool write_saved_game(const std::string& folder, const std::string& name, const std::string& text,
                      uint32_t thumbnail_argb);

}  // namespace support
