// The help and preferences screens on the real binary: H shows the
// board's help page centred and every other screen's H its own page; a
// click on a help line carries out its command (S saves, I opens the
// preferences); the preferences screen's rows and OK write prefer.txt,
// and Escape leaves it without writing. Set TESSELLON_E2E_SHOTS_DIR to
// keep a screenshot of every page.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "media/draw/draw.h"
#include "screens/ui_geometry.h"
#include "tests/e2e/harness.h"
#include "tests/support/e2e_setup.h"

namespace {

namespace fs = std::filesystem;

const char* const title = support::GAME_TITLE;
const std::string prefer = support::Preferences().text();
const uint32_t BOARD = 0x1E5A28;

// A two-piece opening jigsaw in the bottom-left corner, on a green board.
void make_opening_jigsaw(const std::string& game_dir) {
    support::replace_reserved_jigsaw(game_dir, support::opening_jigsaw({60, 560, 100, 560}));
}

e2e::GameOptions options() { return support::quiet_game(false, make_opening_jigsaw); }

// An image of the game folder, as the game draws it centred on 800x600.
struct Page {
    TPixmap* pixels = nullptr;
    int left = 0, top = 0;
    int skip_x1 = -1, skip_x2 = -1;  // columns the game draws over (the yes/no buttons)
    explicit Page(const std::string& path) {
        pixels = load_pixmap(path);
        if (pixels) {
            left = (800 - pixels->width) / 2;
            top = (600 - pixels->height) / 2;
        }
    }
    ~Page() { free_pixmap(pixels); }
    // The screen shows this page: nearly every opaque pixel on a coarse
    // grid matches (the pointer or a highlight frame may cover a few).
    bool shown_in(const e2e::Shot& s) const {
        if (!pixels) return false;
        int tested = 0, matched = 0;
        for (int y = 2; y < pixels->height; y += 7) {
            for (int x = 2; x < pixels->width; x += 7) {
                uint32_t p = read_pixel(pixels, x, y);
                if ((p >> 24) != 255 || (x >= skip_x1 && x <= skip_x2)) continue;
                tested++;
                if (e2e::near_colour(s.at(left + x, top + y), p & 0xFFFFFF, 3)) matched++;
            }
        }
        return tested > 0 && matched * 100 >= tested * 97;
    }
};

// Waits out the opening flight: the pieces home in the corner and the
// middle of the screen plain board.
void reach_board(e2e::Session& game) {
    ASSERT_TRUE(game.ok()) << game.error;
    ASSERT_NE(game.wait_for_window(title, 20000), 0u);
    game.move(790, 20);
    ASSERT_TRUE(game.wait_until_still(30000, nullptr, [](const e2e::Shot& s) {
        return s.at(60, 560) == 0xE0E040 && s.at(100, 560) == 0xE0E040 && s.at(400, 300) == BOARD;
    }));
}

// The line of the board's help page for item i (0-based): its middle.
void board_line_middle(const Page& page, int i, int* x, int* y) {
    int column = i < 15 ? 0 : 1;
    int row = column == 0 ? i : i - 15;
    *x = page.left + (column == 0 ? 15 : 327) + 150;
    *y = page.top + 12 + 29 * row + 14;
}

TEST(ScreensE2e, HShowsTheBoardsHelpPageAndItsSLineSaves) {
    e2e::Session game(options());
    reach_board(game);
    Page help0(game.game_dir + "/images/help0.png");
    ASSERT_NE(help0.pixels, nullptr);
    game.key("h");
    e2e::Shot shot;
    ASSERT_TRUE(game.wait_for_screen([&](const e2e::Shot& s) { return help0.shown_in(s); }, 5000, &shot));
    EXPECT_EQ(shot.at(400, 590), BOARD);  // the board underneath
    support::keep_shot(shot, "help0");

    // The mouse on the S line frames it in green.
    int x, y;
    board_line_middle(help0, 17, &x, &y);  // "ABCDEFGHIKLMNOPQRSTUVWZ12345-"[17] = 'S'
    game.move(x, y);
    ASSERT_TRUE(game.wait_for_screen(
        [&](const e2e::Shot& s) {
            return s.at(x - 150 - 5, y - 14 - 5) == 0x00FF00 && s.at(x, y - 14 - 4) == 0x00FF00;
        },
        5000, &shot));
    support::keep_shot(shot, "help0_highlight");

    std::string saved = game.game_dir + "/players/default/0000bexil.txt";
    EXPECT_FALSE(fs::exists(saved));
    game.click(x, y);
    EXPECT_TRUE(game.wait_for_file(
        saved, [](const std::string&) { return true; }, 10000));
    // S closes the help: back on the board.
    EXPECT_TRUE(game.wait_for_screen([&](const e2e::Shot& s) { return !help0.shown_in(s); }, 5000));
}

TEST(ScreensE2e, EveryScreenWithCommandsShowsItsOwnHelpPage) {
    e2e::Session game(options());
    reach_board(game);
    const struct {
        const char* key;  // the key that opens the screen
        int page;
    } screens[] = {{"b", 1}, {"l", 2}, {"n", 3}, {"k", 4}};
    // A saved game, so that the saved-game browser has something to show.
    game.key("s");
    std::string saved = game.game_dir + "/players/default/0000bexil.txt";
    ASSERT_TRUE(game.wait_for_file(
        saved, [](const std::string&) { return true; }, 10000));
    for (const auto& screen : screens) {
        Page page(game.game_dir + "/images/help" + std::to_string(screen.page) + ".png");
        ASSERT_NE(page.pixels, nullptr);
        e2e::Shot before = game.grab();
        game.key(screen.key);
        ASSERT_TRUE(game.wait_for_change(before, 10000)) << "no screen after " << screen.key;
        game.key("h");
        e2e::Shot shot;
        bool shown = game.wait_for_screen([&](const e2e::Shot& s) { return page.shown_in(s); }, 5000, &shot);
        support::keep_shot(shot, "help" + std::to_string(screen.page));
        EXPECT_TRUE(shown) << "help" << screen.page;
        game.key("h");  // closes the help again
        ASSERT_TRUE(game.wait_until_still(10000, nullptr, [&](const e2e::Shot& s) { return !page.shown_in(s); }));
        game.key("Escape");  // from the box screen or a browser: back to the board
        ASSERT_TRUE(game.wait_for_screen([](const e2e::Shot& s) { return s.at(400, 300) == BOARD; }, 5000));
    }
}

TEST(ScreensE2e, TheHelpLineIOpensThePreferencesWhoseRowsAndOkWritePreferTxt) {
    e2e::Session game(options());
    reach_board(game);
    Page help0(game.game_dir + "/images/help0.png");
    Page prefer_page(game.game_dir + "/images/prefer.png");
    ASSERT_NE(prefer_page.pixels, nullptr);
    prefer_page.skip_x1 = 400;
    prefer_page.skip_x2 = 518;
    game.key("h");
    ASSERT_TRUE(game.wait_for_screen([&](const e2e::Shot& s) { return help0.shown_in(s); }, 5000));
    int x, y;
    board_line_middle(help0, 8, &x, &y);  // 'I'
    game.click(x, y);
    e2e::Shot shot;
    bool shown = game.wait_for_screen([&](const e2e::Shot& s) { return prefer_page.shown_in(s); }, 5000, &shot);
    support::keep_shot(shot, "prefer");
    ASSERT_TRUE(shown);
    EXPECT_EQ(shot.at(3, 3), BOARD);  // cleared to the background colour, without the pieces
    EXPECT_EQ(shot.at(60, 560), BOARD);

    // Row 1 yes (click for help), row 3 yes (sound), row 6 no (saved message), OK.
    int left = prefer_page.left, top = prefer_page.top;
    e2e::Shot before = shot;
    game.click(left + 400 + 20, top + 44 + 15);
    game.click(left + 400 + 20, top + PREFER_ROW_TOP + PREFER_ROW_PITCH * 2 + 15);
    game.click(left + 462 + 20, top + PREFER_ROW_TOP + PREFER_ROW_PITCH * 5 + 15);
    ASSERT_TRUE(game.wait_for_change(before, 10000, &shot)) << "the rows did not change";
    support::keep_shot(shot, "prefer_edited");
    game.click(left + (PREFER_OK.x1 + PREFER_OK.x2) / 2, top + (PREFER_OK.y1 + PREFER_OK.y2) / 2);
    std::string path = game.game_dir + "/players/default/prefer.txt";
    std::string expected = "1\r\n0\r\n1\r\n1\r\n0\r\n0\r\n0\r\n0\r\n0\r\n";  // save when leaving, keep the resolution: no
    EXPECT_TRUE(game.wait_for_file(
        path, [&](const std::string& text) { return text == expected; }, 5000));
    EXPECT_EQ(e2e::read_file_text(path), expected);
    EXPECT_TRUE(game.wait_for_screen([&](const e2e::Shot& s) { return s.at(400, 300) == BOARD; }, 5000));
}

TEST(ScreensE2e, IOpensThePreferencesAndEscapeLeavesWithoutWriting) {
    e2e::Session game(options());
    reach_board(game);
    Page prefer_page(game.game_dir + "/images/prefer.png");
    prefer_page.skip_x1 = 400;
    prefer_page.skip_x2 = 518;
    game.key("i");
    ASSERT_TRUE(game.wait_for_screen([&](const e2e::Shot& s) { return prefer_page.shown_in(s); }, 5000));
    e2e::Shot before = game.grab();
    game.click(prefer_page.left + 420, prefer_page.top + PREFER_ROW_TOP + PREFER_ROW_PITCH + 15);  // row 2 yes
    ASSERT_TRUE(game.wait_for_change(before, 10000)) << "the row did not change";
    game.key("Escape");
    EXPECT_TRUE(game.wait_for_screen([&](const e2e::Shot& s) { return s.at(400, 300) == BOARD; }, 5000));
    game.pause(300);  // a check that no file is written after the board is back: a plain wait
    EXPECT_EQ(e2e::read_file_text(game.game_dir + "/players/default/prefer.txt"), prefer);
}

}  // namespace
