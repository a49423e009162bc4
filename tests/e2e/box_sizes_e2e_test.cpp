// The box screen with the starter library's large pieces, on the real
// binary: a saved game of a starter jigsaw (every piece loose, turned
// every way) is resumed through the L browser, B opens the box screen,
// and there every tray piece stands apart from the others within one
// cell, and a click on each takes exactly that piece into the strip.
// With TESSELLON_E2E_SHOTS_DIR set to a folder, the box screens are written
// there as PNGs for looking at.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/e2e/harness.h"
#include "tests/support/e2e_setup.h"
#include "tests/support/jigsaw_files.h"

namespace {

namespace fs = std::filesystem;

const char* const title = support::GAME_TITLE;
const uint32_t BROWSER = 0xE0FFFF;           // the browsers' background
const int BG_R = 255, BG_G = 0, BG_B = 255;  // the saved board colour, rare in pictures
const uint32_t BACKGROUND = 0xFF00FF;
const int CELL = 56;     // the box screen's cell side
const int POINTER = 32;  // the game's pointer image, tip at its top-left

struct Case {
    const char* jigsaw;
    bool large;
};

int grid_count(const std::string& game_dir, const std::string& name) {
    std::ifstream in(game_dir + "/jigsaws/" + name + "/pieces.txt");
    int rows = 0, columns = 0;
    in >> rows >> columns;
    return rows * columns;
}

int interior_count(const std::string& game_dir, const std::string& name) {
    std::ifstream in(game_dir + "/jigsaws/" + name + "/pieces.txt");
    int rows = 0, columns = 0;
    in >> rows >> columns;
    return rows > 2 && columns > 2 ? (rows - 2) * (columns - 2) : 0;
}

// A saved game of the jigsaw: every piece loose, shown, in no box, turned
// i % 4 quarter turns, spread over the middle of the board; the board in
// BACKGROUND; and a thumbnail, through which the L browser lists it.
void write_saved_game(const std::string& game_dir, const std::string& name, bool large) {
    std::vector<support::SavedPiece> layout;
    for (int i = 1; i <= grid_count(game_dir, name); i++)
        layout.push_back({250 + (i * 37) % 350, 200 + (i * 53) % 250, i % 4, 1, 0, i, 0});
    support::write_saved_game(game_dir + "/players/default/", name,
                              support::saved_game_text(layout, BG_R, BG_G, BG_B, large ? 1 : 0), 0xFF3070C0);
}

e2e::GameOptions options(const Case& c) {
    std::string name = c.jigsaw;
    bool large = c.large;
    return support::quiet_game(large,
                               [name, large](const std::string& game_dir) { write_saved_game(game_dir, name, large); });
}

bool browser_page(const e2e::Shot& s) { return s.at(400, 592) == BROWSER && s.at(4, 300) == BROWSER; }

// The box screen: the strip's wooden frame at its left end, the board
// colour at the top-left corner and in the tray's first gap.
bool box_screen(const e2e::Shot& s) { return s.at(72, 40) != BACKGROUND && s.at(1, 1) == BACKGROUND; }

// From the opening to the saved game on the board, then the box screen.
// Keys during the opening are not all taken, so L is pressed again until
// the browser shows.
bool open_box_screen(e2e::Session& game, int width, int height) {
    if (!game.wait_for_window(title, 20000)) return false;
    bool browsing = e2e::poll_until(
        [&] {
            game.click(width - 10, height - 10);
            game.key("l");
            return game.wait_for_screen(browser_page, 1500);
        },
        30000, 0);
    if (!browsing) return false;
    game.click(8 + 96, 66 + 72);  // the first (only) saved game
    if (!game.wait_for_screen([](const e2e::Shot& s) { return s.at(1, 1) == BACKGROUND; }, 15000)) return false;
    game.key("b");
    if (!game.wait_for_screen(box_screen, 10000)) return false;
    game.move(width - 1, 0);  // the pointer off the strip and the tray
    return game.wait_until_still(10000, nullptr, box_screen);
}

// A piece as seen in the tray: its pixels, bounding box and a point well
// inside it.
struct Blob {
    std::vector<int> pixels;  // y * width + x
    int x0, y0, x1, y1;
    int cx = 0, cy = 0;
};

bool in_pointer(int x, int y, int px, int py) { return x >= px && x < px + POINTER && y >= py && y < py + POINTER; }

// The 8-connected groups of non-background pixels of the tray (y >= 77),
// leaving out the pointer's square at (px, py).
std::vector<Blob> tray_blobs(const e2e::Shot& s, int px, int py) {
    std::vector<int> mark(s.pixels.size(), 0);
    std::vector<Blob> blobs;
    for (int y = 77; y < s.height; y++)
        for (int x = 0; x < s.width; x++) {
            int i = y * s.width + x;
            if (mark[i] || s.pixels[i] == BACKGROUND || in_pointer(x, y, px, py)) continue;
            Blob b{{}, x, y, x, y};
            std::vector<int> todo = {i};
            mark[i] = 1;
            while (!todo.empty()) {
                int k = todo.back();
                todo.pop_back();
                int kx = k % s.width, ky = k / s.width;
                b.pixels.push_back(k);
                b.x0 = std::min(b.x0, kx), b.x1 = std::max(b.x1, kx);
                b.y0 = std::min(b.y0, ky), b.y1 = std::max(b.y1, ky);
                for (int dy = -1; dy <= 1; dy++)
                    for (int dx = -1; dx <= 1; dx++) {
                        int nx = kx + dx, ny = ky + dy;
                        if (nx < 0 || ny < 77 || nx >= s.width || ny >= s.height) continue;
                        int n = ny * s.width + nx;
                        if (mark[n] || s.pixels[n] == BACKGROUND || in_pointer(nx, ny, px, py)) continue;
                        mark[n] = 1;
                        todo.push_back(n);
                    }
            }
            // The point inside it that lies deepest: the most piece pixels
            // in the 7 x 7 square around it.
            std::vector<char> in((b.x1 - b.x0 + 1) * (b.y1 - b.y0 + 1), 0);
            int bw = b.x1 - b.x0 + 1;
            for (int k : b.pixels) in[(k / s.width - b.y0) * bw + k % s.width - b.x0] = 1;
            int best = -1;
            for (int k : b.pixels) {
                int kx = k % s.width - b.x0, ky = k / s.width - b.y0, score = 0;
                for (int dy = -3; dy <= 3; dy++)
                    for (int dx = -3; dx <= 3; dx++) {
                        int ax = kx + dx, ay = ky + dy;
                        if (ax >= 0 && ay >= 0 && ax < bw && ay <= b.y1 - b.y0) score += in[ay * bw + ax];
                    }
                if (score > best) best = score, b.cx = k % s.width, b.cy = k / s.width;
            }
            blobs.push_back(b);
        }
    return blobs;
}

// Pieces drawn in the strip: its non-background pixels.
int strip_pixels(const e2e::Shot& s, int strip_width) {
    int k = 0;
    for (int y = 11; y < 69; y++)
        for (int x = 76; x < 76 + strip_width; x++) k += s.at(x, y) != BACKGROUND;
    return k;
}

void check_box_screen(const Case& c) {
    e2e::Session game(options(c));
    ASSERT_TRUE(game.ok()) << game.error;
    int w = c.large ? 1024 : 800, h = c.large ? 768 : 600, strip = c.large ? 936 : 712;
    ASSERT_TRUE(open_box_screen(game, w, h));
    e2e::Shot shot = game.grab();
    ASSERT_EQ(shot.width, w);
    support::keep_shot(shot, std::string("box_") + c.jigsaw + "_" + std::to_string(w));

    // One separate piece per interior piece, none larger than a cell.
    int px = w - 1, py = 0;
    std::vector<Blob> blobs = tray_blobs(shot, px, py);
    ASSERT_EQ(static_cast<int>(blobs.size()), interior_count(game.game_dir, c.jigsaw));
    for (const Blob& b : blobs) {
        EXPECT_LE(b.x1 - b.x0 + 1, CELL + 1) << "piece at " << b.cx << "," << b.cy;
        EXPECT_LE(b.y1 - b.y0 + 1, CELL + 1) << "piece at " << b.cx << "," << b.cy;
        EXPECT_GE(b.x0, 1);
        EXPECT_LT(b.x1, w - 1);  // not cut off at the right edge
        EXPECT_LT(b.y1, h - 1);
    }
    EXPECT_EQ(strip_pixels(shot, strip), 0);

    // A click on each takes that piece: its pixels turn to the board's
    // colour, every other piece stays as it was, and the strip gains it.
    e2e::Shot before = shot;
    for (size_t i = 0; i < blobs.size(); i++) {
        const Blob& b = blobs[i];
        int strip_before = strip_pixels(before, strip);
        game.click(b.cx, b.cy);
        auto gone = [&](const e2e::Shot& s) {
            for (int k : b.pixels) {
                int x = k % s.width, y = k / s.width;
                if (!in_pointer(x, y, b.cx, b.cy) && s.pixels[k] != BACKGROUND) return false;
            }
            return true;
        };
        e2e::Shot after;
        ASSERT_TRUE(game.wait_for_screen(gone, 5000, &after)) << "piece " << i << " at " << b.cx << "," << b.cy;
        for (size_t j = i + 1; j < blobs.size(); j++) {
            int changed = 0;
            for (int k : blobs[j].pixels) {
                int x = k % after.width, y = k / after.width;
                if (in_pointer(x, y, b.cx, b.cy) || in_pointer(x, y, px, py)) continue;
                changed += after.pixels[k] != before.pixels[k];
            }
            EXPECT_EQ(changed, 0) << "taking the piece at " << b.cx << "," << b.cy << " changed the one at "
                                  << blobs[j].cx << "," << blobs[j].cy;
        }
        // Until the strip is crowded its pieces stand side by side, so each
        // adds pixels; after that they overlap.
        if ((i + 1) * (CELL + 2) <= static_cast<size_t>(strip)) {
            EXPECT_GT(strip_pixels(after, strip), strip_before) << "piece " << i;
        }
        before = after;
        px = b.cx, py = b.cy;
        if (i == 0) support::keep_shot(after, std::string("box_") + c.jigsaw + "_" + std::to_string(w) + "_one_taken");
    }
    support::keep_shot(before, std::string("box_") + c.jigsaw + "_" + std::to_string(w) + "_all_taken");
}

TEST(BoxSizesE2e, OpeningJigsawPiecesStandApartAndEachClickTakesOneAt800x600) {
    check_box_screen({"0000bexil", false});
}

TEST(BoxSizesE2e, OpeningJigsawPiecesStandApartAndEachClickTakesOneAt1024x768) {
    check_box_screen({"0000bexil", true});
}

TEST(BoxSizesE2e, SunflowerPiecesFitTheirCells) { check_box_screen({"sunflower", false}); }

}  // namespace
