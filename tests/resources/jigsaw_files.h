// Helpers shared by the resource tests: reading a jigsaw folder through the
// game's own jigsaw reader, piece coverage on the board, test pictures.
// Running the tools and temporary folders come from the test support.
#pragma once

#include <string>
#include <vector>

#include "media/draw/draw.h"
#include "tests/support/commands.h"
#include "tests/support/temp_folder.h"

struct LoadedJigsaw {
    int rows = 0, columns = 0;
    int lines = 0;                 // lines in pieces.txt
    std::vector<int> x0, y0;       // home centres, index 0 = piece 1
    std::vector<TPixmap*> pieces;  // copies of the piece images the game loaded
    std::vector<int> colour;       // the background the colour lines set; empty = none
    std::string problem;           // what the game would tell the player; "" = nothing
};

// Reads the folder as the game does (read_jigsaw, the folder taken as one of
// the player's own jigsaws) and copies what it put into the piece table;
// the table is emptied again. False, with jigsaw->problem, when the game
// refuses it.
bool load_jigsaw_folder(const std::string& folder, LoadedJigsaw* jigsaw);
void free_jigsaw(LoadedJigsaw* jigsaw);

// Sum of the piece alphas at every board pixel (800 x 600), each piece
// placed with its centre on its home position.
std::vector<int> alpha_sums(const LoadedJigsaw& jigsaw);
// Board rectangle that some piece covers (left, top, right, bottom; exclusive ends).
void covered_bounds(const std::vector<int>& sums, int* left, int* top, int* right, int* bottom);

// Pixels where the pieces a and b (1-based) both have some alpha.
int shared_pixels(const LoadedJigsaw& jigsaw, int a, int b);

// The build tools run through the shell.
using support::run_command;

// A picture with smooth colour and some pattern, saved as PNG.
bool write_test_picture(const std::string& path, int width, int height);
