// Helpers shared by the resource tests: reading a jigsaw folder through the
// game's own loaders, running the build tools, making temporary folders.
#pragma once

#include <string>
#include <vector>

#include "media/draw/draw.h"

struct LoadedJigsaw {
    int rows = 0, columns = 0;
    int lines = 0;                      // lines in pieces.txt
    std::vector<int> x0, y0;            // home centres, index 0 = piece 1
    std::vector<TPixmap*> pieces;       // Null where an image did not load
    std::vector<int> colour;            // the optional background lines
};

// Reads pieces.txt with the game's line and number rules, then every piece
// image with load_pixmap. False when pieces.txt cannot be opened.
bool load_jigsaw_folder(const std::string& folder, LoadedJigsaw* jigsaw);
void free_jigsaw(LoadedJigsaw* jigsaw);

// Sum of the piece alphas at every board pixel (800 x 600), each piece
// placed with its centre on its home position.
std::vector<int> alpha_sums(const LoadedJigsaw& jigsaw);
// Board rectangle that some piece covers (left, top, right, bottom; exclusive ends).
void covered_bounds(const std::vector<int>& sums, int* left, int* top, int* right, int* bottom);

// Pixels where the pieces a and b (1-based) both have some alpha.
int shared_pixels(const LoadedJigsaw& jigsaw, int a, int b);

// Runs a shell command; its stdout and stderr go to *output. Returns the
// exit status.
int run_command(const std::string& command, std::string* output);
std::string make_temp_folder();
void remove_folder(const std::string& path);
// A picture with smooth colour and some pattern, saved as PNG.
bool write_test_picture(const std::string& path, int width, int height);
