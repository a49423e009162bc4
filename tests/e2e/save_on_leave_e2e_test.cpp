// "Save the game when I leave" on the real binary: the preferences page's
// eighth and ninth rows at both display sizes, and the saved game on disk after the
// player leaves with Escape twice or the window's close button, byte for
// byte what S writes (a saved game that is a link replaced, never written
// through); the same when SIGTERM, SIGHUP or the loss of the X server ends
// the game from outside; nothing written with the row off; a save that
// fails on the way out is shown and the game still ends; a kill -9 during
// a save made in the background of play leaves a whole saved game. Set
// TESSELLON_E2E_SHOTS_DIR to keep the screenshots.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>

#include "library/library.h"
#include "media/draw/draw.h"
#include "screens/ui_geometry.h"
#include "tests/e2e/harness.h"
#include "tests/e2e/screen_text.h"
#include "tests/support/e2e_setup.h"

namespace {

namespace fs = std::filesystem;

const char* const title = support::GAME_TITLE;

// A two-piece opening jigsaw in the bottom-left corner, on a green board.
void make_opening_jigsaw(const std::string& game_dir) {
    support::replace_reserved_jigsaw(game_dir, support::opening_jigsaw({60, 560, 100, 560}));
}

// The quiet game with the save-when-leaving line after the other seven.
e2e::GameOptions game_options(bool save_on_leave, bool large = false) {
    e2e::GameOptions options = support::quiet_game(large, make_opening_jigsaw);
    options.prefer += save_on_leave ? "1\r\n" : "0\r\n";
    return options;
}

struct Files {
    std::string text, thumbnail;
    explicit Files(const e2e::Session& game)
        : text(game.game_dir + "/players/default/0000bexil.txt"),
          thumbnail(game.game_dir + "/players/default/0000bexil.png") {}
};

// From the start to a game of the player's on a still board: the opening
// cut short, then R and Y deal the opening jigsaw afresh.
::testing::AssertionResult reach_player_game(e2e::Session& game, unsigned long* window = nullptr) {
    if (!game.ok()) return ::testing::AssertionFailure() << game.error;
    unsigned long shown = game.wait_for_window(title, 20000);
    if (window) *window = shown;
    ::testing::AssertionResult board = support::reach_board(game, 800, 600);
    if (!board) return board;
    e2e::Shot before = game.grab();
    game.key("r");
    game.key("y");
    if (!game.wait_for_change(before, 10000)) return ::testing::AssertionFailure() << "the restart dealt nothing";
    return ::testing::AssertionSuccess();
}

// Saves with S, keeps the bytes S wrote, and removes the saved game, so
// that only a later save can bring it back.
::testing::AssertionResult bytes_as_s_saves(e2e::Session& game, std::string* bytes) {
    Files files(game);
    game.key("s");
    auto written = [](const std::string& text) { return !text.empty(); };
    if (!game.wait_for_file(files.text, written, 10000)) return ::testing::AssertionFailure() << "S saved nothing";
    if (!e2e::poll_until([&] { return fs::exists(files.thumbnail); }, 10000))
        return ::testing::AssertionFailure() << "S wrote no thumbnail";
    *bytes = e2e::read_file_text(files.text);
    fs::remove(files.text);
    fs::remove(files.thumbnail);
    return ::testing::AssertionSuccess();
}

// The thumbnail on disk has the size S gives it.
bool thumbnail_written(const std::string& path) {
    TPixmap* thumb = load_pixmap(path);
    bool sized = thumb && thumb->width == 264 && thumb->height == 198;
    free_pixmap(thumb);
    return sized;
}

// --- the ways out -------------------------------------------------------------

TEST(SaveOnLeaveE2e, EscapeTwiceWritesWhatSWritesBeforeTheGameEnds) {
    e2e::Session game(game_options(true));
    ASSERT_TRUE(reach_player_game(game));
    std::string expected;
    ASSERT_TRUE(bytes_as_s_saves(game, &expected));
    // A saved game and thumbnail that are links to other files of the
    // player: the save replaces the links and leaves those files alone.
    Files files(game);
    std::string other = game.game_dir + "/other-file";
    { std::ofstream(other, std::ios::binary) << "not a saved game\n"; }
    fs::create_symlink(other, files.text);
    fs::create_symlink(other, files.thumbnail);
    game.key("Escape");
    game.key("Escape");
    EXPECT_EQ(game.wait_exit(15000), 0);
    EXPECT_EQ(e2e::read_file_text(files.text), expected);
    EXPECT_TRUE(thumbnail_written(files.thumbnail));
    EXPECT_FALSE(fs::is_symlink(files.text));
    EXPECT_FALSE(fs::is_symlink(files.thumbnail));
    EXPECT_EQ(e2e::read_file_text(other), "not a saved game\n");
}

TEST(SaveOnLeaveE2e, TheCloseButtonWritesWhatSWritesBeforeTheGameEnds) {
    e2e::Session game(game_options(true));
    unsigned long window = 0;
    ASSERT_TRUE(reach_player_game(game, &window));
    std::string expected;
    ASSERT_TRUE(bytes_as_s_saves(game, &expected));
    game.close_window(window);
    EXPECT_EQ(game.wait_exit(15000), 0);
    Files files(game);
    EXPECT_EQ(e2e::read_file_text(files.text), expected);
    EXPECT_TRUE(thumbnail_written(files.thumbnail));
}

TEST(SaveOnLeaveE2e, WithTheRowOffLeavingWritesNothing) {
    {
        e2e::Session game(game_options(false));
        ASSERT_TRUE(reach_player_game(game));
        game.key("Escape");
        game.key("Escape");
        EXPECT_EQ(game.wait_exit(15000), 0);
        EXPECT_FALSE(fs::exists(Files(game).text));
        EXPECT_FALSE(fs::exists(Files(game).thumbnail));
    }
    e2e::Session game(game_options(false));
    unsigned long window = 0;
    ASSERT_TRUE(reach_player_game(game, &window));
    game.close_window(window);
    EXPECT_EQ(game.wait_exit(15000), 0);
    EXPECT_FALSE(fs::exists(Files(game).text));
}

// --- ends from outside -------------------------------------------------------

// How the game is ended from outside: by a signal (its number) or, with 0,
// by the loss of its X server.
const int ways_out[] = {SIGTERM, SIGHUP, 0};

// Ends the game that way and waits until it has gone; its exit status
// (-1 for a death by the signal).
int end_from_outside(e2e::Session& game, int way) {
    if (way)
        kill(game.game_pid, way);
    else
        e2e::end_x_server(game);
    EXPECT_TRUE(e2e::poll_until([&] { return !game.running(); }, 15000)) << "the game did not end";
    return game.wait_exit(1000);
}

TEST(SaveOnLeaveE2e, EndedFromOutsideTheGameIsSavedFirst) {
    for (int way : ways_out) {
        SCOPED_TRACE(way ? strsignal(way) : "the X server lost");
        e2e::Session game(game_options(true));
        ASSERT_TRUE(reach_player_game(game));
        std::string expected;
        ASSERT_TRUE(bytes_as_s_saves(game, &expected));
        int status = end_from_outside(game, way);
        // A signal ends it by that signal; a lost display is a failure.
        EXPECT_EQ(status, way ? -1 : 1);
        Files files(game);
        EXPECT_EQ(e2e::read_file_text(files.text), expected);
        EXPECT_TRUE(thumbnail_written(files.thumbnail));
    }
}

TEST(SaveOnLeaveE2e, EndedFromOutsideWithTheRowOffNothingIsWritten) {
    for (int way : ways_out) {
        SCOPED_TRACE(way ? strsignal(way) : "the X server lost");
        e2e::Session game(game_options(false));
        ASSERT_TRUE(reach_player_game(game));
        int status = end_from_outside(game, way);
        EXPECT_EQ(status, way ? -1 : 1);
        EXPECT_FALSE(fs::exists(Files(game).text));
        EXPECT_FALSE(fs::exists(Files(game).thumbnail));
    }
}

TEST(SaveOnLeaveE2e, AFailedSaveOnTheWayOutIsShownThenTheGameEnds) {
    e2e::Session game(game_options(true));
    ASSERT_TRUE(reach_player_game(game));
    // A folder where the game file would be: no file can replace it.
    fs::create_directories(Files(game).text);
    game.key("Escape");
    game.key("Escape");
    e2e::TextMask says = e2e::render_text("Unable to save to players/default/0000bexil.txt - press any key", 14);
    ASSERT_GT(says.lit_count, 0);
    e2e::Shot shot;
    bool shown = game.wait_for_screen([&](const e2e::Shot& s) { return e2e::message_says(s, says); }, 10000, &shot);
    support::keep_shot(shot, "save_on_leave_failed");
    EXPECT_TRUE(shown);
    EXPECT_TRUE(game.running());  // waiting for the key the message asks for
    game.key("space");
    EXPECT_EQ(game.wait_exit(15000), 0);
    EXPECT_TRUE(fs::is_empty(Files(game).text));  // still the folder, nothing written
}

// --- a flow that replaces the jigsaw ---------------------------------------------

TEST(SaveOnLeaveE2e, ANewJigsawFromTheBrowserSavesTheBoardItReplaces) {
    e2e::Session game(game_options(true));
    ASSERT_TRUE(reach_player_game(game));
    e2e::Shot board;
    ASSERT_TRUE(game.wait_until_still(10000, &board));
    game.key("n");
    const uint32_t browser = 0xE0FFFF;  // the browsers' background
    ASSERT_TRUE(game.wait_for_screen([&](const e2e::Shot& s) { return s.at(400, 590) == browser; }, 10000));
    game.click(106, 140);  // the first thumbnail
    e2e::Shot shot;
    ASSERT_TRUE(game.wait_until_still(20000, &shot, [&](const e2e::Shot& s) { return s.at(400, 590) != browser; }));
    support::keep_shot(shot, "save_on_leave_new_jigsaw");
    Files files(game);
    ASSERT_TRUE(fs::exists(files.text));
    // The thumbnail is the board that was left (its green, as at the
    // start of the test), not the browser page the choice was made on.
    TPixmap* thumb = load_pixmap(files.thumbnail);
    ASSERT_NE(thumb, nullptr);
    uint32_t corner = read_pixel(thumb, 3, 3) & 0xFFFFFF;
    EXPECT_TRUE(e2e::near_colour(corner, board.at(10, 10), 6)) << std::hex << corner;
    free_pixmap(thumb);
}

// --- saving while playing ------------------------------------------------------

// A temporary file of a save under way in that folder.
bool save_under_way(const std::string& folder) {
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".tmp") return true;
    return false;
}

// A kill -9 while the game saves in the background, again and again: the
// saved game is each time either the one S wrote before or a whole new
// one (the game's own reader takes it), and its thumbnail a whole PNG.
TEST(SaveOnLeaveE2e, AKillDuringABackgroundSaveLeavesTheOldOrTheNewGameWhole) {
    const int rounds = 20;
    int old_kept = 0, new_found = 0;
    for (int round = 0; round < rounds; round++) {
        SCOPED_TRACE("round " + std::to_string(round));
        e2e::Session game(game_options(true));
        ASSERT_TRUE(reach_player_game(game));
        Files files(game);
        std::string folder = game.game_dir + "/players/default";
        game.key("s");
        ASSERT_TRUE(e2e::poll_until([&] { return fs::exists(files.thumbnail) && !save_under_way(folder); }, 10000));
        std::string old = e2e::read_file_text(files.text);
        // A change: R saves the game as it is (the same bytes), then deals afresh.
        e2e::Shot before = game.grab();
        game.key("r");
        game.key("y");
        ASSERT_TRUE(game.wait_for_change(before, 10000));
        ASSERT_TRUE(e2e::poll_until([&] { return !save_under_way(folder); }, 10000));
        // Left alone, the game saves within seconds; it is killed at the
        // first sight of that save: a temporary file, or (every other
        // round) the game file replaced while the thumbnail is yet to come.
        auto seen = [&] { return round % 2 ? e2e::read_file_text(files.text) != old : save_under_way(folder); };
        ASSERT_TRUE(e2e::poll_until(seen, 15000, 1));
        kill(game.game_pid, SIGKILL);
        ASSERT_TRUE(e2e::poll_until([&] { return !game.running(); }, 10000));
        EXPECT_EQ(game.wait_exit(1000), -1);
        player_dir = folder + "/";
        jigsaws_base = game.game_dir + "/";
        std::string problem;
        EXPECT_TRUE(check_saved_game("0000bexil", &problem)) << problem;
        EXPECT_EQ(e2e::read_numbers(files.text).size(), 2u * 7 + 5);
        (e2e::read_file_text(files.text) == old ? old_kept : new_found)++;
        EXPECT_TRUE(thumbnail_written(files.thumbnail));
        player_dir.clear();
        jigsaws_base.clear();
    }
    RecordProperty("old_kept", old_kept);
    RecordProperty("new_found", new_found);
}

// --- the row on the preferences page --------------------------------------------

// Rows 8 and 9 at a display size: their buttons drawn where the rows'
// wells are, yes lit after a click, and OK writing the two lines after the
// seven.
void check_rows_eight_and_nine(bool large) {
    int w = large ? 1024 : 800, h = large ? 768 : 600;
    e2e::Session game(game_options(false, large));
    ASSERT_TRUE(game.ok()) << game.error;
    ASSERT_NE(game.wait_for_window(title, 20000), 0u);
    ASSERT_TRUE(support::reach_board(game, w, h));
    TPixmap* page = load_pixmap(game.game_dir + "/images/prefer.png");
    TPixmap* yes = load_pixmap(game.game_dir + "/images/yes.png");
    TPixmap* no = load_pixmap(game.game_dir + "/images/no.png");
    ASSERT_NE(page, nullptr);
    ASSERT_NE(yes, nullptr);
    ASSERT_NE(no, nullptr);
    int left = (w - page->width) / 2, top = (h - page->height) / 2;
    int row_y = top + PREFER_ROW_TOP + PREFER_ROW_PITCH * 7, row9_y = row_y + PREFER_ROW_PITCH;
    int yes_x = left + PREFER_YES_X, no_x = yes_x + PREFER_NO_GAP;
    // The button image stands at (x, y): its opaque middle row matches.
    auto shows = [](const e2e::Shot& s, TPixmap* button, int x, int y) {
        int j = button->height / 2, tested = 0, matched = 0;
        for (int i = 2; i < button->width - 2; i++) {
            uint32_t p = read_pixel(button, i, j);
            if ((p >> 24) != 255) continue;
            tested++;
            if (e2e::near_colour(s.at(x + i, y + j), p & 0xFFFFFF, 4)) matched++;
        }
        return tested > 0 && matched * 10 >= tested * 9;
    };

    game.key("i");
    e2e::Shot shot;
    ASSERT_TRUE(game.wait_for_screen([&](const e2e::Shot& s) { return shows(s, no, no_x, row_y); }, 10000, &shot))
        << "no lit No on row 8";
    support::keep_shot(shot, large ? "prefer_1024" : "prefer_800");
    // The page around the buttons: the row's well (the page, not the board)
    // just above and below them, and OK below the row.
    uint32_t board = shot.at(3, 3);
    EXPECT_NE(shot.at(yes_x + 20, row_y - 3), board);
    EXPECT_NE(shot.at(yes_x + 20, row_y + yes->height + 3), board);
    EXPECT_TRUE(shows(shot, no, no_x, row9_y)) << "no lit No on row 9";
    EXPECT_GT(row9_y, row_y + yes->height);
    EXPECT_GT(top + PREFER_OK.y1, row9_y + yes->height);

    game.click(yes_x + yes->width / 2, row_y + yes->height / 2);
    ASSERT_TRUE(game.wait_for_screen([&](const e2e::Shot& s) { return shows(s, yes, yes_x, row_y); }, 10000, &shot))
        << "row 8's yes did not light";
    game.click(yes_x + yes->width / 2, row9_y + yes->height / 2);
    ASSERT_TRUE(game.wait_for_screen([&](const e2e::Shot& s) { return shows(s, yes, yes_x, row9_y); }, 10000, &shot))
        << "row 9's yes did not light";
    support::keep_shot(shot, large ? "prefer_1024_yes" : "prefer_800_yes");
    game.click(left + (PREFER_OK.x1 + PREFER_OK.x2) / 2, top + (PREFER_OK.y1 + PREFER_OK.y2) / 2);
    support::Preferences preferences;
    preferences.large = large;
    std::string expected = preferences.text() + "1\r\n1\r\n";
    std::string path = game.game_dir + "/players/default/prefer.txt";
    EXPECT_TRUE(game.wait_for_file(
        path, [&](const std::string& text) { return text == expected; }, 10000))
        << e2e::read_file_text(path);
    free_pixmap(page);
    free_pixmap(yes);
    free_pixmap(no);
}

TEST(SaveOnLeaveE2e, RowsEightAndNineAtEightHundredBySixHundred) { check_rows_eight_and_nine(false); }

TEST(SaveOnLeaveE2e, RowsEightAndNineAtTenTwentyFourBySevenSixtyEight) { check_rows_eight_and_nine(true); }

}  // namespace
