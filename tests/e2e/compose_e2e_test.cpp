// The board kept under a carried piece, on the real binary: the frame while
// the piece is carried (the kept board put back where the last frames drew,
// the piece and the status line drawn over it) has the pixels of the whole
// board drawn afresh once the piece is put down where it was carried, with
// turned, hidden and boxed pieces, the picture and the swatch on the board.
// Only the pointer, drawn after the drop, differs; the pointer moving over
// the still board and back leaves no trail; and the board mended where the
// piece was put down equals the board drawn afresh.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "tests/e2e/harness.h"
#include "tests/support/e2e_setup.h"

namespace {

const uint32_t BACKGROUND = 0x285078;  // the saved game's colour
const int PIECES = 48, CARRIED_X = 430, CARRIED_Y = 330;

// A saved game of the reserved jigsaw: its pieces in overlapping rows,
// turned by their numbers, piece 5 hidden, 6 in box 1 (hidden), 7 in box 2
// (shown), the last on top, upright, at (400, 300).
void prepare_saved_game(const std::string& game_dir) {
    std::vector<support::SavedPiece> layout;
    for (int i = 1; i <= PIECES; i++) {
        int x = 80 + ((i - 1) % 8) * 85, y = 90 + ((i - 1) / 8) * 80, a = i % 4;
        int visible = i == 5 || i == 6 ? 0 : 1, box = i == 6 ? 1 : i == 7 ? 2 : 0;
        if (i == PIECES) x = 400, y = 300, a = 0;
        layout.push_back({x, y, a, visible, 0, i, box});
    }
    support::write_reserved_saved_game(game_dir, layout, 0x28, 0x50, 0x78);
}

// Two shots alike but for a box around (x, y); the first difference is told.
::testing::AssertionResult alike_beside(const e2e::Shot& a, const e2e::Shot& b, int x, int y, int box) {
    if (a.width != b.width || a.height != b.height) return ::testing::AssertionFailure() << "sizes differ";
    for (int j = 0; j < a.height; j++)
        for (int i = 0; i < a.width; i++) {
            if (i >= x - 2 && i < x + box && j >= y - 2 && j < y + box) continue;
            if (a.at(i, j) != b.at(i, j))
                return ::testing::AssertionFailure()
                       << "pixel " << i << "," << j << ": " << std::hex << a.at(i, j) << " vs " << b.at(i, j);
        }
    return ::testing::AssertionSuccess();
}

TEST(ComposeE2e, TheCarriedFrameHasThePixelsOfTheWholeBoard) {
    e2e::Session game(support::quiet_game(false, prepare_saved_game));
    ASSERT_TRUE(game.ok()) << game.error;
    ASSERT_TRUE(support::open_first_saved_game(game));
    auto on_board = [](const e2e::Shot& s) { return s.at(3, 3) == BACKGROUND; };
    ASSERT_TRUE(game.wait_for_screen(on_board, 20000)) << "the saved game was not loaded";
    game.key("p");  // the picture, top left
    game.key("c");  // the swatch, bottom left
    ASSERT_TRUE(game.wait_for_screen([](const e2e::Shot& s) { return s.at(20, 470) != BACKGROUND; }, 5000));

    // Take the top piece and carry it over turned and overlapping pieces,
    // the picture and the swatch, with the status line shown part of the
    // way, then back near where it was: the frames repaint and show only
    // what changed, so a trail anywhere would stay on the screen.
    game.click(400, 300);
    const int path[][2] = {{400, 300}, {240, 200}, {60, 60}, {150, 250}, {50, 480}, {260, 420}, {CARRIED_X, CARRIED_Y}};
    for (size_t leg = 0; leg + 1 < sizeof path / sizeof path[0]; leg++) {
        if (leg == 2) game.key("x");  // the status line, which stays while the piece is carried
        for (int k = 1; k <= 8; k++) {
            game.move(path[leg][0] + k * (path[leg + 1][0] - path[leg][0]) / 8,
                      path[leg][1] + k * (path[leg + 1][1] - path[leg][1]) / 8);
            game.pause(30);  // input pacing: a hand's motion, not a wait
        }
    }
    auto piece_arrived = [](const e2e::Shot& s) {
        return s.at(CARRIED_X, CARRIED_Y) != BACKGROUND && s.at(CARRIED_X - 30, CARRIED_Y) != BACKGROUND;
    };
    e2e::Shot carried;
    ASSERT_TRUE(game.wait_until_still(10000, &carried, piece_arrived)) << "the carried piece did not settle";

    // Put it down where it is: the next frame draws the board again where
    // the piece lay and lies; the status line shown again over it.
    game.click(CARRIED_X, CARRIED_Y);
    game.key("x");
    e2e::Shot whole;
    auto pointer_shown = [&carried](const e2e::Shot& s) {
        for (int d = 2; d < 12; d++)
            if (s.at(CARRIED_X + d, CARRIED_Y + d) != carried.at(CARRIED_X + d, CARRIED_Y + d)) return true;
        return false;
    };
    ASSERT_TRUE(game.wait_until_still(10000, &whole, pointer_shown)) << "no still frame after the drop";
    EXPECT_TRUE(alike_beside(carried, whole, CARRIED_X, CARRIED_Y, 40));

    // The game's pointer wandering over the still board and back leaves
    // the frame exactly as it was.
    for (int k = 1; k <= 24; k++) {
        game.move(CARRIED_X - k * 15, CARRIED_Y - k * 9);
        game.pause(30);  // input pacing
    }
    game.move(CARRIED_X, CARRIED_Y);
    e2e::Shot back;
    ASSERT_TRUE(game.wait_until_still(10000, &back, [&whole](const e2e::Shot& s) { return s.pixels == whole.pixels; }))
        << "the pointer's way left a trail";

    // The swatch hidden and shown again makes the game draw the whole
    // board afresh: the same pixels as the board mended after the drop.
    game.key("c");
    ASSERT_TRUE(game.wait_for_screen([&whole](const e2e::Shot& s) { return s.pixels != whole.pixels; }, 10000))
        << "the swatch did not go";
    game.key("c");
    game.key("x");
    e2e::Shot afresh;
    bool same =
        game.wait_until_still(10000, &afresh, [&whole](const e2e::Shot& s) { return s.pixels == whole.pixels; });
    EXPECT_TRUE(same) << "the board drawn afresh differs: " << (alike_beside(afresh, whole, 0, 0, 0).message());
}

// Every pixel of the loupe's square about (cx, cy) in `loupe` shows the
// board pixel of `board` that it enlarges `zoom` times, but for the
// pointer's own box at (cx, cy); pixels whose board pixel lies off the
// display show the loupe's dark backing. The first difference is told.
::testing::AssertionResult shows_board_enlarged(const e2e::Shot& board, const e2e::Shot& loupe, int cx, int cy,
                                                int zoom, int size) {
    int half = size / (2 * zoom);
    int checked = 0, shown = 0;
    for (int y = cy - half * zoom; y < cy + half * zoom; y++)
        for (int x = cx - half * zoom; x < cx + half * zoom; x++) {
            if (x < 0 || y < 0 || x >= loupe.width || y >= loupe.height) continue;
            shown++;
            if (x >= cx - 2 && x < cx + 40 && y >= cy - 2 && y < cy + 40) continue;  // the pointer
            int bx = cx + (int)std::floor((x - cx) / (double)zoom), by = cy + (int)std::floor((y - cy) / (double)zoom);
            bool on_board = bx >= 0 && by >= 0 && bx < board.width && by < board.height;
            uint32_t want = on_board ? board.at(bx, by) : 0x181818u;
            if (loupe.at(x, y) != want)
                return ::testing::AssertionFailure() << "pixel " << x << "," << y << " (board " << bx << "," << by
                                                     << "): " << std::hex << loupe.at(x, y) << " vs " << want;
            checked++;
        }
    if (checked < shown / 2 || shown == 0) return ::testing::AssertionFailure() << "only " << checked << " pixels checked";
    return ::testing::AssertionSuccess();
}

// The loupe: the key cycles it through 2x, 3x and off; it shows the board
// under the pointer enlarged and follows the pointer without a trail,
// clipped at the board's edge; gone, it leaves the frame as it was.
TEST(ComposeE2e, TheLoupeShowsTheBoardEnlargedAboutThePointer) {
    const int size = 600 / 5 / 12 * 12;  // a fifth of the display's height
    e2e::Session game(support::quiet_game(false, prepare_saved_game));
    ASSERT_TRUE(game.ok()) << game.error;
    ASSERT_TRUE(support::open_first_saved_game(game));
    auto on_board = [](const e2e::Shot& s) { return s.at(3, 3) == BACKGROUND; };
    ASSERT_TRUE(game.wait_for_screen(on_board, 20000)) << "the saved game was not loaded";
    // The board with the pointer far from where the loupe will be.
    game.move(760, 570);
    e2e::Shot board;
    ASSERT_TRUE(game.wait_until_still(10000, &board));
    const int spots[][2] = {{300, 250}, {318, 262}, {20, 14}, {795, 20}};
    game.move(spots[0][0], spots[0][1]);
    e2e::Shot plain;
    ASSERT_TRUE(game.wait_for_change(board, 10000, &plain));

    for (int zoom : {2, 3}) {
        game.key("0");
        e2e::Shot before = plain;
        for (const auto& at : spots) {
            game.move(at[0], at[1]);
            e2e::Shot shown;
            ASSERT_TRUE(game.wait_until_still(10000, &shown, [&](const e2e::Shot& s) {
                return shows_board_enlarged(board, s, at[0], at[1], zoom, size);
            })) << "zoom " << zoom << " at " << at[0] << "," << at[1] << ": "
                << shows_board_enlarged(board, shown, at[0], at[1], zoom, size).message();
            // Beyond the loupe's rim the board is as it was: no trail.
            int reach = size / 2 + 4;
            for (int y = 0; y < shown.height; y += 3)
                for (int x = 0; x < shown.width; x += 3) {
                    bool pointer = (x >= at[0] - 2 && x < at[0] + 40 && y >= at[1] - 2 && y < at[1] + 40) ||
                                   (x >= 758 && y >= 568);  // now, or where the board was taken
                    bool beyond = std::abs(x - at[0]) > reach || std::abs(y - at[1]) > reach;
                    if (beyond && !pointer) {
                        ASSERT_EQ(shown.at(x, y), board.at(x, y)) << x << "," << y << " zoom " << zoom;
                    }
                }
            before = shown;
        }
        game.move(spots[0][0], spots[0][1]);
        ASSERT_TRUE(game.wait_for_change(before, 10000));
    }
    // A third press puts it away: the frame of the pointer alone.
    game.key("0");
    e2e::Shot gone;
    EXPECT_TRUE(game.wait_until_still(10000, &gone, [&plain](const e2e::Shot& s) { return s.pixels == plain.pixels; }))
        << alike_beside(plain, gone, 0, 0, 0).message();
}

}  // namespace
