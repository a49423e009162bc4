// Re-opening the display on the real binary: the textures (atlas pages
// included) die with the old GL context and are made again from the
// pieces' pixels, so the board after W (full screen, then a window again)
// has every pixel it had before, turned and overlapping pieces included
// (the game's own pointer is kept in the corner, away from them).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/e2e/harness.h"

namespace {

namespace fs = std::filesystem;

const char* title = "Tessellon v3.3";
// click help, large, sound, windowed, help prompt, save message, own colour
const char* prefer = "0\r\n0\r\n0\r\n1\r\n0\r\n1\r\n0\r\n";
const uint32_t BACKGROUND = 0x285078;  // the saved game's colour
const int PIECES = 48;

// A saved game of the reserved jigsaw: every piece shown, turned by its
// number, in rows that overlap so that the drawing order shows.
void prepare_saved_game(const std::string& game_dir) {
    std::string dir = game_dir + "/players/default/";
    fs::create_directories(dir);
    std::string text;
    for (int i = 1; i <= PIECES; i++) {
        int x = 70 + ((i - 1) % 8) * 90, y = 80 + ((i - 1) / 8) * 85, a = i % 4;
        for (int v : {x, y, a, 1, 0, i, 0}) text += std::to_string(v) + "\r\n";
    }
    for (int v : {0x28, 0x50, 0x78, 0, 0}) text += std::to_string(v) + "\r\n";
    FILE* f = std::fopen((dir + "0000bexil.txt").c_str(), "wb");
    if (f) {
        std::fputs(text.c_str(), f);
        std::fclose(f);
    }
    std::error_code ec;
    fs::copy_file(game_dir + "/jigsaws/0000bexil/tn.png", dir + "0000bexil.png", ec);
}

int pixels_apart(const e2e::Shot& a, const e2e::Shot& b) {
    if (a.width != b.width || a.height != b.height) return -1;
    int n = 0;
    for (size_t i = 0; i < a.pixels.size() && i < b.pixels.size(); i++) n += a.pixels[i] != b.pixels[i];
    return n;
}

// Where two shots of one size differ: the bounding box, for the message.
std::string where_apart(const e2e::Shot& a, const e2e::Shot& b) {
    int x0 = a.width, y0 = a.height, x1 = -1, y1 = -1;
    for (int y = 0; y < a.height && y < b.height; y++)
        for (int x = 0; x < a.width && x < b.width; x++)
            if (a.at(x, y) != b.at(x, y)) x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
    if (x1 < 0) return "nowhere";
    return std::to_string(x0) + "," + std::to_string(y0) + " to " + std::to_string(x1) + "," + std::to_string(y1);
}

TEST(PerfE2e, ReopeningTheDisplayRedrawsEveryPieceAlike) {
    e2e::GameOptions options;
    options.prefer = prefer;
    options.prepare = prepare_saved_game;
    e2e::Session game(options);
    ASSERT_TRUE(game.ok()) << game.error;
    ASSERT_NE(game.wait_for_window(title, 20000), 0u);
    game.click(790, 590);  // cuts the opening short
    ASSERT_TRUE(game.wait_until_still(20000)) << "the opening did not end";
    game.key("l");
    ASSERT_TRUE(game.wait_for_screen([](const e2e::Shot& s) { return s.at(400, 590) == 0xE0FFFF; }, 10000))
        << "no saved-game page";
    game.click(106, 140);  // the saved game, alone on the page
    game.move(799, 599);   // the pointer off the pieces
    ASSERT_TRUE(game.wait_for_screen([](const e2e::Shot& s) { return s.at(3, 3) == BACKGROUND; }, 20000))
        << "the saved game was not loaded";
    e2e::Shot board;
    ASSERT_TRUE(game.wait_until_still(20000, &board));
    int covered = 0;
    for (uint32_t p : board.pixels) covered += p != BACKGROUND;
    EXPECT_GT(covered, 800 * 600 / 3) << "the pieces cover much of the board";

    // The grab of the keyboard tells that the display was opened again.
    for (bool full : {true, false}) {
        const char* step = full ? "full screen" : "a window again";
        game.key("w");
        bool reopened = e2e::poll_until([&] { return game.keyboard_grabbed_elsewhere() == full; }, 30000);
        ASSERT_TRUE(reopened) << "W did not open " << step;
        game.move(799, 599);  // full screen puts the game's pointer in the middle
        e2e::Shot last;
        bool alike = game.wait_for_screen(
            [&](const e2e::Shot& s) { return pixels_apart(s, board) == 0; }, 30000, &last);
        EXPECT_TRUE(alike) << "after " << step << ": " << pixels_apart(last, board) << " pixels differ, "
                       << where_apart(last, board);
    }
    EXPECT_TRUE(game.running());
}

}  // namespace
