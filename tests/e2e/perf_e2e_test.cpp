// Re-opening the display on the real binary: the textures (atlas pages
// included) die with the old GL context and are made again from the
// pieces' pixels, so the board after W (full screen, then a window again)
// has every pixel it had before, turned and overlapping pieces included
// (the game's own pointer is kept in the corner, away from them).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/e2e/harness.h"
#include "tests/support/e2e_setup.h"

namespace {

const uint32_t BACKGROUND = 0x285078;  // the saved game's colour
const int PIECES = 48;

// A saved game of the reserved jigsaw: every piece shown, turned by its
// number, in rows that overlap so that the drawing order shows.
void prepare_saved_game(const std::string& game_dir) {
    std::vector<support::SavedPiece> layout;
    for (int i = 1; i <= PIECES; i++)
        layout.push_back({70 + ((i - 1) % 8) * 90, 80 + ((i - 1) / 8) * 85, i % 4, 1, 0, i, 0});
    support::write_reserved_saved_game(game_dir, layout, 0x28, 0x50, 0x78);
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
            if (a.at(x, y) != b.at(x, y))
                x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
    if (x1 < 0) return "nowhere";
    return std::to_string(x0) + "," + std::to_string(y0) + " to " + std::to_string(x1) + "," + std::to_string(y1);
}

TEST(PerfE2e, ReopeningTheDisplayRedrawsEveryPieceAlike) {
    e2e::Session game(support::quiet_game(false, prepare_saved_game));
    ASSERT_TRUE(game.ok()) << game.error;
    ASSERT_TRUE(support::open_first_saved_game(game));
    game.move(799, 599);  // the pointer off the pieces
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
        bool alike =
            game.wait_for_screen([&](const e2e::Shot& s) { return pixels_apart(s, board) == 0; }, 30000, &last);
        EXPECT_TRUE(alike) << "after " << step << ": " << pixels_apart(last, board) << " pixels differ, "
                           << where_apart(last, board);
    }
    EXPECT_TRUE(game.running());
}

}  // namespace
