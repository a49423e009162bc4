// Finding the pieces that fit, on the real binary: a saved game of the
// reserved jigsaw (6 rows of 8) with piece 10 and three of its neighbours
// laid apart, the fourth (18) in box 2, a piece that is no neighbour lying
// over neighbour 11, another apart, and every other piece hidden. V with
// the pointer on piece 10: the bright outline shows around each shown
// neighbour and around no other piece, the status line counts the boxed
// one, and once the flash is over the board is as it was but for 11 now
// lying on top of what covered it.
// TESSELLON_E2E_SHOTS_DIR, when set, receives a PNG of the flash.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/harness.h"
#include "tests/e2e/screen_text.h"
#include "tests/support/e2e_setup.h"

namespace {

const uint32_t BACKGROUND = 0x285078;  // the saved game's colour
const uint32_t RING = 0xFFE600;        // the outline's bright part
const int PIECES = 48;

struct Placed {
    int piece, x, y;
};
// Piece 10 (row 2, column 2), its neighbours 2, 9, 11, piece 3 over 11,
// piece 1 apart; all outside the status line's band across the middle.
const Placed layout[] = {{10, 400, 190}, {2, 400, 55}, {9, 240, 190}, {11, 560, 190}, {3, 585, 210}, {1, 150, 480}};

void prepare_saved_game(const std::string& game_dir) {
    std::vector<support::SavedPiece> pieces;
    for (int i = 1; i <= PIECES; i++) pieces.push_back({700, 550, 0, 0, 0, i, 0});  // hidden
    for (const Placed& p : layout) {
        support::SavedPiece& s = pieces[static_cast<size_t>(p.piece - 1)];
        s.x = p.x, s.y = p.y, s.visible = 1;
    }
    pieces[17].box = 2;  // 18: in box 2, hidden
    // Piece 3 drawn last, above 11; piece 48 takes its old place in the order.
    pieces[2].order = PIECES;
    pieces[PIECES - 1].order = 3;
    support::write_reserved_saved_game(game_dir, pieces, 0x28, 0x50, 0x78);
}

// Pixels of the outline's colour within r of (x, y).
int ring_pixels_near(const e2e::Shot& s, int x, int y, int r) {
    int n = 0;
    for (int j = y - r; j <= y + r; j++)
        for (int i = x - r; i <= x + r; i++)
            if (i >= 0 && j >= 0 && i < s.width && j < s.height && s.at(i, j) == RING) n++;
    return n;
}

// Pixels that differ outside the status band, and within the box around
// 11 and 3.
bool around_eleven(int x, int y) { return x >= 470 && x < 680 && y >= 100 && y < 270; }
int differences(const e2e::Shot& a, const e2e::Shot& b, bool in_box) {
    int n = 0;
    for (int y = 0; y < a.height; y++)
        for (int x = 0; x < a.width; x++) {
            if ((y >= 250 && y < 350) || around_eleven(x, y) != in_box) continue;
            if (a.at(x, y) != b.at(x, y)) n++;
        }
    return n;
}

TEST(FitE2e, VOutlinesTheNeighboursOfThePointedPieceThenLeavesNoTrace) {
    e2e::Session game(support::quiet_game(false, prepare_saved_game));
    ASSERT_TRUE(game.ok()) << game.error;
    ASSERT_TRUE(support::open_first_saved_game(game));
    auto on_board = [](const e2e::Shot& s) { return s.at(3, 3) == BACKGROUND && s.at(400, 190) != BACKGROUND; };
    ASSERT_TRUE(game.wait_for_screen(on_board, 20000)) << "the saved game was not loaded";
    game.move(400, 190);
    e2e::Shot before;
    ASSERT_TRUE(game.wait_until_still(10000, &before));
    ASSERT_EQ(ring_pixels_near(before, 400, 300, 400), 0) << "the board already shows the outline's colour";

    game.key("v");
    auto outlined = [](const e2e::Shot& s) {
        for (int n : {2, 9, 11})
            for (const Placed& p : layout)
                if (p.piece == n && ring_pixels_near(s, p.x, p.y, 80) < 40) return false;
        return true;
    };
    e2e::Shot flash;
    ASSERT_TRUE(game.wait_for_screen(outlined, 5000, &flash)) << "no outline around the four neighbours";
    support::keep_shot(flash, "fit_flash");
    EXPECT_EQ(ring_pixels_near(flash, 150, 480, 45), 0) << "piece 1 is no neighbour of 10";
    EXPECT_EQ(ring_pixels_near(flash, 400, 450, 60), 0) << "18 is in its box";
    e2e::TextMask boxed = e2e::render_text("1 more is in box 2", 22);
    ASSERT_GT(boxed.lit_count, 0);
    EXPECT_TRUE(e2e::status_says(flash, boxed));

    // Over: no outline anywhere, the screen still, and the board as before
    // but where 11 came up over 3.
    e2e::Shot after;
    ASSERT_TRUE(game.wait_until_still(10000, &after, [](const e2e::Shot& s) {
        return ring_pixels_near(s, 400, 300, 400) == 0;
    })) << "the outline stayed";
    support::keep_shot(after, "fit_after");
    EXPECT_TRUE(e2e::status_says(after, boxed));
    EXPECT_EQ(differences(before, after, false), 0) << "the flash left a trace";
    EXPECT_GT(differences(before, after, true), 100) << "11 was not raised over 3";
}

}  // namespace
