// The browsers on the real binary with the starter library: N shows the
// library as a page of thumbnails, a click on one starts that jigsaw (S
// then saves it under its own name), L shows that saved game and a click
// on it resumes it, K shows the kill screen in red, and on a library of
// two pages the arrows turn them, a click marks a jigsaw with a cross and
// K again deletes its folder.
// TESSELLON_E2E_SHOTS_DIR, when set, receives a PNG of each screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/harness.h"
#include "tests/support/e2e_setup.h"

namespace {

namespace fs = std::filesystem;

const char* const title = support::GAME_TITLE;
const uint32_t BROWSER = 0xE0FFFF;  // the browsers' background
const uint32_t KILL_RED = 0xFF0000;

bool same_shot(const e2e::Shot& a, const e2e::Shot& b) {
    return a.width == b.width && a.height == b.height && a.pixels == b.pixels;
}

// Cuts the opening short and waits until the board stands still.
bool reach_board(e2e::Session& game) {
    if (!game.wait_for_window(title, 20000)) return false;
    // The opening has drawn its first frame: a click now reaches it.
    if (!game.wait_for_screen([](const e2e::Shot& s) { return s.drawn(); }, 20000)) return false;
    game.click(790, 590);
    game.move(790, 590);
    e2e::Shot still;
    return game.wait_until_still(20000, &still, [](const e2e::Shot& s) { return s.at(400, 590) != BROWSER; });
}

// Waits (bounded) until path exists (or, with gone, no longer does).
bool wait_for_path(const std::string& path, bool gone = false, int timeout_ms = 10000) {
    return e2e::poll_until([&] { return fs::exists(path) != gone; }, timeout_ms, 50);
}

// A browser page: its background around the grid and, in the first cell,
// a thumbnail rather than background.
bool browser_page(const e2e::Shot& s, uint32_t background) {
    return s.at(400, 592) == background && s.at(4, 300) == background && s.at(30, 90) != background;
}

// The names of the starter library, sorted as the browser lists them.
std::vector<std::string> library_names(const std::string& game_dir) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(game_dir + "/jigsaws"))
        if (entry.is_directory() && entry.path().filename() != "0000bexil")
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

e2e::GameOptions options() { return support::quiet_game(); }

TEST(FlowsE2e, NewShowsTheLibraryAndAClickStartsThatJigsaw) {
    e2e::Session game(options());
    ASSERT_TRUE(game.ok()) << game.error;
    ASSERT_TRUE(reach_board(game));
    std::vector<std::string> names = library_names(game.game_dir);
    ASSERT_GE(names.size(), 3u);

    game.key("n");
    e2e::Shot page;
    ASSERT_TRUE(game.wait_for_screen([](const e2e::Shot& s) { return browser_page(s, BROWSER); }, 10000, &page));
    ASSERT_TRUE(game.wait_until_still(10000, &page));
    support::keep_shot(page, "new1");
    // One thumbnail per library jigsaw, the reserved one last: cells 1 ..
    // count + 1 hold pictures, the cell after them is empty.
    size_t count = names.size() + 1;
    for (size_t i = 0; i < count; i++) {
        int x = 8 + static_cast<int>(i % 8) * 98 + 40, y = 66 + static_cast<int>(i / 8) * 74 + 30;
        EXPECT_NE(page.at(x, y), BROWSER) << "cell " << i + 1;
    }
    EXPECT_EQ(page.at(8 + static_cast<int>(count % 8) * 98 + 40, 66 + static_cast<int>(count / 8) * 74 + 30), BROWSER);

    // The third cell is the third name; the board shows after the click.
    game.click(8 + 2 * 98 + 40, 66 + 30);
    ASSERT_TRUE(game.wait_for_screen([](const e2e::Shot& s) { return s.at(400, 592) != BROWSER; }, 10000));
    std::string saved = game.game_dir + "/players/default/" + names[2];
    ASSERT_TRUE(game.wait_until_still(10000));
    game.key("s");
    // The game file is put in place before the thumbnail is written: wait for both.
    EXPECT_TRUE(wait_for_path(saved + ".txt")) << names[2];
    EXPECT_TRUE(wait_for_path(saved + ".png")) << names[2];
    support::keep_shot(game.grab(), "board");

    // L: the saved game's thumbnail alone on the saved-game page.
    game.key("l");
    e2e::Shot load;
    ASSERT_TRUE(game.wait_for_screen([](const e2e::Shot& s) { return browser_page(s, BROWSER); }, 10000, &load));
    ASSERT_TRUE(game.wait_until_still(10000, &load));
    support::keep_shot(load, "load1");
    EXPECT_NE(load.at(8 + 96, 66 + 72), BROWSER);        // the 193 x 145 thumbnail
    EXPECT_EQ(load.at(8 + 196 + 96, 66 + 72), BROWSER);  // nothing in the second cell
    // A click on it resumes the game on the board.
    game.click(8 + 96, 66 + 72);
    EXPECT_TRUE(game.wait_for_screen([](const e2e::Shot& s) { return s.at(400, 592) != BROWSER; }, 10000));
}

TEST(FlowsE2e, LoadWithoutSavedGamesStaysOnTheBoardAndKShowsTheKillScreen) {
    e2e::Session game(options());
    ASSERT_TRUE(game.ok()) << game.error;
    ASSERT_TRUE(reach_board(game));
    e2e::Shot board = game.grab();
    game.key("l");
    e2e::Shot after;
    game.wait_for_screen([&](const e2e::Shot& s) { return !same_shot(s, board); }, 10000);
    game.wait_until_still(10000, &after);
    // The "load1" screen was not kept: the board with its status line.
    EXPECT_NE(after.at(400, 592), BROWSER);
    EXPECT_EQ(after.at(4, 300), board.at(4, 300));
    EXPECT_FALSE(same_shot(after, board));  // the message over the board

    game.key("k");
    e2e::Shot kill;
    ASSERT_TRUE(game.wait_for_screen([](const e2e::Shot& s) { return browser_page(s, KILL_RED); }, 10000, &kill));
    game.wait_until_still(10000, &kill);
    support::keep_shot(kill, "delete1");
    game.key("Escape");
    EXPECT_TRUE(game.wait_for_screen([](const e2e::Shot& s) { return s.at(400, 592) != KILL_RED; }, 10000));
    EXPECT_TRUE(game.running());
}

// Fifty more jigsaw folders (pictures only) make the library two pages.
void prepare_large_library(const std::string& game_dir) {
    for (int i = 1; i <= 50; i++) {
        std::string name = std::string("zz_copy") + (i < 10 ? "0" : "") + std::to_string(i);
        fs::create_directories(game_dir + "/jigsaws/" + name);
        fs::copy_file(game_dir + "/jigsaws/sunflower/tn.png", game_dir + "/jigsaws/" + name + "/tn.png");
    }
}

TEST(FlowsE2e, KillScreenTurnsPagesMarksWithACrossAndDeletesTheMarkedFolder) {
    e2e::GameOptions o = options();
    o.prepare = prepare_large_library;
    e2e::Session game(o);
    ASSERT_TRUE(game.ok()) << game.error;
    ASSERT_TRUE(reach_board(game));
    std::vector<std::string> names = library_names(game.game_dir);
    ASSERT_EQ(names.size(), 63u);  // and the reserved entry: 64, two pages of 56
    ASSERT_EQ(names[13], "zz_copy01");

    game.key("k");
    ASSERT_TRUE(game.wait_for_screen([](const e2e::Shot& s) { return browser_page(s, KILL_RED); }, 10000));
    // Page 1 of 2: arrows 3 and 4 only.
    e2e::Shot first;
    ASSERT_TRUE(game.wait_until_still(10000, &first));
    EXPECT_EQ(first.at(9 + 42, 32), KILL_RED);
    EXPECT_NE(first.at(619 + 42, 32), KILL_RED);
    EXPECT_NE(first.at(706 + 42, 32), KILL_RED);
    // Entry 14, zz_copy01, is row 2, column 6.
    int cell_x = 8 + 5 * 98, cell_y = 66 + 74;
    game.click(cell_x + 40, cell_y + 30);
    e2e::Shot marked;
    game.wait_for_screen([&](const e2e::Shot& s) { return !same_shot(s, first); }, 10000);
    game.wait_until_still(10000, &marked);
    support::keep_shot(marked, "delete1_marked");
    EXPECT_FALSE(same_shot(marked, first));  // the cross and the title's count

    game.key("Right");
    e2e::Shot second;
    game.wait_for_screen([](const e2e::Shot& s) { return s.at(619 + 42, 32) == KILL_RED; }, 10000);
    game.wait_until_still(10000, &second);
    support::keep_shot(second, "delete1_page2");
    EXPECT_NE(second.at(9 + 42, 32), KILL_RED);  // arrows 1 and 2
    EXPECT_NE(second.at(96 + 42, 32), KILL_RED);
    EXPECT_EQ(second.at(619 + 42, 32), KILL_RED);
    EXPECT_NE(second.at(30, 90), KILL_RED);                         // entry 57 in the first cell
    EXPECT_EQ(second.at(8 + 8 * 98 - 40, 66 + 74 + 30), KILL_RED);  // 8 entries: row 2 empty
    game.click(9 + 42, 32);                                         // arrow 1: back to page 1
    e2e::Shot back;
    game.wait_for_screen([](const e2e::Shot& s) { return s.at(9 + 20, 32) == KILL_RED; }, 10000);
    game.wait_until_still(10000, &back);
    EXPECT_EQ(back.at(9 + 20, 32), KILL_RED);  // no arrow 1 on page 1
    for (int dx : {10, 47, 85})                // the same cross on the same cell
        EXPECT_EQ(back.at(cell_x + dx, cell_y + 10), marked.at(cell_x + dx, cell_y + 10));

    game.key("k");
    std::string killed = game.game_dir + "/jigsaws/zz_copy01";
    EXPECT_TRUE(wait_for_path(killed, true)) << "the marked folder is still there";
    EXPECT_TRUE(fs::exists(game.game_dir + "/jigsaws/zz_copy02/tn.png"));
    EXPECT_TRUE(fs::exists(game.game_dir + "/jigsaws/0000bexil"));
    EXPECT_TRUE(game.wait_for_screen([](const e2e::Shot& s) { return s.at(400, 592) != KILL_RED; }, 10000));
    EXPECT_TRUE(game.running());
}

}  // namespace
