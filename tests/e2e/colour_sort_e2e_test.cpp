// Sorting by colour on the real binary: a starter jigsaw in place of the
// reserved one, dealt afresh, the box screen opened and V pressed: the
// tray empties into the five boxes, the saved game puts every loose
// interior piece in a box and no edge piece in one, the boxes are shown
// one after another and H shows the page that lists V. With
// TESSELLON_E2E_SHOTS_DIR set to a folder, the tray, the five boxes and
// the help page are written there as PNGs for looking at.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/harness.h"
#include "tests/support/e2e_setup.h"

namespace {

namespace fs = std::filesystem;

// A landscape of sky, forest, rock and water: 9 x 12 pieces, 70 inside.
const char* const STARTER = "alpine_lake";
const int ROWS = 9, COLUMNS = 12, COUNT = ROWS * COLUMNS;
const uint32_t BACKGROUND = 0x46323C;  // the colour lines of its pieces file

void use_starter(const std::string& game_dir) { support::use_starter_as_reserved(game_dir, STARTER); }

// Presses S and reads the saved game: seven numbers a piece (x, y, turns,
// shown, group, order, box), then five more.
std::vector<int> save_and_read(e2e::Session& game) { return support::save_and_read_reserved(game, COUNT); }

bool interior(int i) {
    int r = (i - 1) / COLUMNS + 1, c = (i - 1) % COLUMNS + 1;
    return r > 1 && r < ROWS && c > 1 && c < COLUMNS;
}

// Pixels of the tray (below the strip, but for the status message in the
// middle of the screen and the pointer in its bottom-right corner) that are
// not the background.
int tray_ink(const e2e::Shot& s) {
    int k = 0;
    for (int y = 80; y < 580; y++)
        for (int x = 0; x < 780; x++) {
            bool message = y >= 260 && y < 340 && x >= 200 && x < 600;
            k += !message && s.at(x, y) != BACKGROUND;
        }
    return k;
}

TEST(ColourSortE2e, VEmptiesTheTrayIntoTheFiveBoxes) {
    e2e::Session game(support::quiet_game(false, use_starter));
    ASSERT_TRUE(support::reach_board(game, 800, 600));
    game.key("r");
    game.key("y");
    std::vector<int> saved = save_and_read(game);  // after the new deal
    ASSERT_EQ(saved.size(), 7u * COUNT + 5);

    game.key("b");
    e2e::Shot tray;
    ASSERT_TRUE(game.wait_until_still(20000, &tray, [](const e2e::Shot& s) { return tray_ink(s) > 20000; }));
    support::keep_shot(tray, "colour_sort_tray");

    game.key("v");
    e2e::Shot sorted;
    bool emptied = game.wait_until_still(20000, &sorted, [](const e2e::Shot& s) { return tray_ink(s) == 0; });
    support::keep_shot(sorted, "colour_sort_box1");
    ASSERT_TRUE(emptied) << tray_ink(sorted);
    EXPECT_NE(sorted.at(105, 40), BACKGROUND);  // box 1's first piece in the strip

    e2e::Shot shown = sorted;
    for (int b = 2; b <= 5; b++) {
        game.key("Right");
        e2e::Shot box;
        ASSERT_TRUE(game.wait_for_change(shown, 10000, &box)) << b;  // the label and the strip change
        support::keep_shot(box, "colour_sort_box" + std::to_string(b));
        EXPECT_NE(box.at(105, 40), BACKGROUND) << b;  // every box took some
        shown = box;
    }

    // The help page over the box screen lists V.
    game.key("h");
    e2e::Shot help;
    EXPECT_TRUE(game.wait_for_change(shown, 10000, &help));
    support::keep_shot(help, "colour_sort_help");
    EXPECT_NE(help.at(400, 300), BACKGROUND);
    game.key("h");

    saved = save_and_read(game);
    ASSERT_EQ(saved.size(), 7u * COUNT + 5);
    int per_box[6] = {};
    for (int i = 1; i <= COUNT; i++) {
        int box = saved[static_cast<size_t>(7 * (i - 1) + 6)];
        if (interior(i)) {
            EXPECT_GE(box, 1) << i;
            EXPECT_LE(box, 5) << i;
            if (box >= 1 && box <= 5) per_box[box]++;
        } else {
            EXPECT_EQ(box, 0) << i;
        }
    }
    EXPECT_EQ(per_box[1] + per_box[2] + per_box[3] + per_box[4] + per_box[5], 70);
}

}  // namespace
