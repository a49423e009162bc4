// The jigsaw maker's cutting code: it lays a picture on the 800 x 600
// board, draws interlocking tab-and-blank edges over a grid and writes a
// jigsaw folder (one image per piece, pieces.txt, tn.png). Shared by the
// command-line tool, the starter library build and the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/toolkit/toolkit.h"

namespace cut {

enum {
    MAX_PIECES = 300,   // the game's tables hold no more
    BOARD_WIDTH = 800,  // the board pieces are laid out on
    BOARD_HEIGHT = 600,
    MIN_BOARD_CELL = 20,   // smallest cell side on the board, in pixels
    MIN_SOURCE_CELL = 12,  // smallest cell side in the source picture
    THUMB_WIDTH = 264,     // tn.png: the board at 0.33
    THUMB_HEIGHT = 198,
};

struct CutOptions {
    int rows = 0, columns = 0;  // both set: this grid
    int pieces = 48;            // else about this many pieces
    uint32_t seed = 1;          // the same seed cuts the same shapes
    double fill = 1.0;          // share of the board the picture may take, 0.3..1
    bool has_background = false;
    int background[3] = {115, 8, 33};  // written as the colour lines when set
    bool progress = false;             // a progress line on stderr while cutting
};

// The board layout of one cut: the grid and where the scaled picture lies.
struct Layout {
    int rows = 0, columns = 0;
    int picture_x = 0, picture_y = 0;  // top-left of the picture on the board
    int picture_w = 0, picture_h = 0;  // its size on the board
};

// One piece as cut: its outline in board pixels and its image's place.
struct PieceShape {
    std::vector<kit::Point> outline;
    int left = 0, top = 0;      // board position of the image's top-left
    int width = 0, height = 0;  // image size, both even so the centre is whole
};

// Picks rows x columns near `pieces` with cells close to square for a
// picture of that aspect. Never more than MAX_PIECES.
void choose_grid(int pieces, double aspect, int* rows, int* columns);
// Works out the layout, or returns the reason the cut cannot be made
// (too many pieces, a picture too small for them).
std::string plan_layout(int picture_w, int picture_h, const CutOptions& options, Layout* layout);
// The outlines of every piece, row by row from the top-left (edges.cpp).
std::vector<PieceShape> cut_shapes(const Layout& layout, uint32_t seed);
// Cuts the picture into `folder` (created if missing). Empty on success,
// else a message for the player. Writes the piece count to *pieces_made.
std::string cut_jigsaw(const kit::Picture& picture, const CutOptions& options, const std::string& folder,
                       int* pieces_made);

}  // namespace cut
