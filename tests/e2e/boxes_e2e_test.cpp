// The box screen on the real binary: B opens it with the loose interior
// pieces in the tray, a click puts one into box 1 and the strip shows it,
// J goes back to the board, and key 1 there hides and shows the box's
// pieces; the same screen on the large display. The reserved jigsaw is
// replaced by a 5 x 6 one of solid squares, each its own colour, so the
// screen tells which piece lies where. With TESSELLON_E2E_SHOTS_DIR set to a
// folder, the box screens are written there as PNGs for looking at.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "media/draw/draw.h"
#include "tests/e2e/harness.h"
#include "tests/support/e2e_setup.h"
#include "tests/support/images.h"
#include "tests/support/jigsaw_files.h"

namespace {

namespace fs = std::filesystem;

const char* const title = support::GAME_TITLE;
const int ROWS = 5, COLUMNS = 6, COUNT = ROWS * COLUMNS, SIDE = 50;
const uint32_t BACKGROUND = 0x0A141E;

// Piece i's colour: far from the background and from one another.
uint32_t colour_of(int i) {
    int r = 60 + (i * 67) % 190, g = 60 + (i * 113) % 190, b = 60 + (i * 29) % 190;
    return static_cast<uint32_t>(r << 16 | g << 8 | b);
}

void prepare_reserved_jigsaw(const std::string& game_dir) {
    support::JigsawFiles jigsaw;
    jigsaw.rows = ROWS;
    jigsaw.columns = COLUMNS;
    jigsaw.homes = support::grid_homes(ROWS, COLUMNS, 200, 150, SIDE);
    jigsaw.background = {10, 20, 30};
    jigsaw.side = SIDE;
    jigsaw.piece_colour = [](int i) { return 0xFF000000u | colour_of(i); };
    jigsaw.picture_width = 200;
    jigsaw.picture_height = 150;
    support::replace_reserved_jigsaw(game_dir, jigsaw);
}

e2e::GameOptions options(bool large) { return support::quiet_game(large, prepare_reserved_jigsaw); }

// Presses S and waits for the saved game written afresh.
std::vector<int> save_and_read(e2e::Session& game) { return support::save_and_read_reserved(game, COUNT); }

struct Saved {
    int visible, gp, box;
};
Saved piece(const std::vector<int>& saved, int i) {
    size_t b = static_cast<size_t>(7 * (i - 1));
    return {saved[b + 3], saved[b + 4], saved[b + 6]};
}

int pixels_of(const e2e::Shot& s, uint32_t colour) {
    int k = 0;
    for (uint32_t p : s.pixels) k += p == colour;
    return k;
}

// Waits for the opening to be shown, cuts it short and deals afresh, so
// that every piece is loose.
void start_with_a_fresh_deal(e2e::Session& game) {
    ASSERT_TRUE(game.ok()) << game.error;
    ASSERT_NE(game.wait_for_window(title, 20000), 0u);
    ASSERT_TRUE(game.wait_for_screen([](const e2e::Shot& s) { return s.at(700, 560) == BACKGROUND; }, 30000));
    game.click(700, 560);
    ASSERT_TRUE(game.wait_until_still(30000));
    game.key("r");
    game.key("y");
    // The save comes after R and Y, so reading it waits for the new deal.
    std::vector<int> saved = save_and_read(game);
    ASSERT_EQ(saved.size(), 7u * COUNT + 5);
    for (int i = 1; i <= COUNT; i++) ASSERT_EQ(piece(saved, i).gp, 0) << i;
}

// The piece in box 1 according to a saved game; 0 when none.
int boxed_piece(const std::vector<int>& saved) {
    for (int i = 1; i <= COUNT; i++)
        if (piece(saved, i).box == 1) return i;
    return 0;
}

bool interior(int i) {
    int r = (i - 1) / COLUMNS + 1, c = (i - 1) % COLUMNS + 1;
    return r > 1 && r < ROWS && c > 1 && c < COLUMNS;
}

TEST(BoxesE2e, APieceClickedIntoBoxOneIsShownAndHiddenByItsKey) {
    e2e::Session game(options(false));
    start_with_a_fresh_deal(game);

    game.key("b");
    e2e::Shot tray;
    // The tray is shown when its first slot holds an interior piece.
    game.wait_for_screen(
        [](const e2e::Shot& s) {
            for (int i = 1; i <= COUNT; i++)
                if (interior(i) && s.at(29, 106) == colour_of(i)) return true;
            return false;
        },
        20000, &tray);
    support::keep_shot(tray, "box_screen_800");
    // Twelve interior pieces side by side in the tray's first row.
    int in_tray = 0;
    for (int i = 1; i <= COUNT; i++) {
        bool seen = false;
        for (int k = 0; k < 12; k++) seen |= tray.at(29 + k * 52, 106) == colour_of(i);
        EXPECT_EQ(seen, interior(i)) << i;
        in_tray += seen;
    }
    EXPECT_EQ(in_tray, 12);
    EXPECT_NE(tray.at(72, 40), BACKGROUND);  // the strip's frame

    uint32_t first = tray.at(29, 106);
    game.click(29, 106);
    e2e::Shot strip;
    game.wait_for_screen([&](const e2e::Shot& s) { return s.at(105, 40) == first; }, 20000, &strip);
    support::keep_shot(strip, "box_screen_800_one_boxed");
    EXPECT_EQ(strip.at(105, 40), first);      // now first in the strip
    EXPECT_EQ(strip.at(9, 120), BACKGROUND);  // its slot is free (the pointer is at its centre)

    game.key("j");
    std::vector<int> saved = save_and_read(game);
    ASSERT_EQ(saved.size(), 7u * COUNT + 5);
    int p = boxed_piece(saved);
    ASSERT_GT(p, 0);
    EXPECT_EQ(colour_of(p), first);
    EXPECT_EQ(piece(saved, p).visible, 1);

    // On the board 1 hides box 1 (on the box screen it would only choose it).
    game.key("1");
    EXPECT_TRUE(game.wait_for_screen([&](const e2e::Shot& s) { return pixels_of(s, first) == 0; }, 20000));
    saved = save_and_read(game);
    ASSERT_EQ(saved.size(), 7u * COUNT + 5);
    EXPECT_EQ(piece(saved, p).visible, 0);
    for (int i = 1; i <= COUNT; i++)
        if (i != p) {
            EXPECT_EQ(piece(saved, i).visible, 1) << i;
        }

    game.key("1");
    saved = save_and_read(game);
    ASSERT_EQ(saved.size(), 7u * COUNT + 5);
    EXPECT_EQ(piece(saved, p).visible, 1);
}

TEST(BoxesE2e, TheLargeDisplayHasTheWideStripAndTray) {
    e2e::Session game(options(true));
    start_with_a_fresh_deal(game);
    game.key("b");
    game.click(29, 106);
    // Events are handled in order: the click lands on the box screen.
    e2e::Shot s;
    game.wait_for_screen(
        [](const e2e::Shot& shot) { return shot.at(70 + 936 + 8, 40) != BACKGROUND && shot.at(105, 40) != BACKGROUND; },
        20000, &s);
    support::keep_shot(s, "box_screen_1024");
    ASSERT_EQ(s.width, 1024);
    EXPECT_NE(s.at(70 + 936 + 8, 40), BACKGROUND);  // the wide frame's right rail
    EXPECT_NE(s.at(105, 40), BACKGROUND);           // the boxed piece
    EXPECT_NE(s.at(7 + 30, 41 + 16), BACKGROUND);   // the board button
    uint32_t boxed = s.at(105, 40);
    // The button goes back to the board, where 1 hides the boxed piece.
    game.click(7 + 30, 41 + 16);
    game.key("1");
    EXPECT_TRUE(game.wait_for_screen([&](const e2e::Shot& shot) { return pixels_of(shot, boxed) == 0; }, 20000));
}

}  // namespace
