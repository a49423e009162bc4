// The game's start on a real X server: window title and size, window or
// full screen as prefer.txt and refresh.txt say, the F and W toggles, the
// ways out, and the player folder.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/harness.h"

namespace {

const char* title = "Tessellon v3.3";
// prefer.txt lines: click help, large, sound, windowed, help prompt, save message, own colour.
const char* small_window = "0\r\n0\r\n0\r\n1\r\n1\r\n1\r\n0\r\n";
const char* large_window = "0\r\n1\r\n0\r\n1\r\n1\r\n1\r\n0\r\n";
const char* large_full = "0\r\n1\r\n0\r\n0\r\n1\r\n1\r\n0\r\n";

// The board (or any drawing of the game) covers width x height from the
// top-left; outside it the Xvfb screen stays black.
bool drawn_within(const e2e::Shot& shot, int width, int height) {
    bool inside = false;
    for (int y = 0; y < height && y < shot.height && !inside; y += 7)
        for (int x = 0; x < width && x < shot.width && !inside; x += 7)
            if (shot.at(x, y) != 0) inside = true;
    return inside;
}

// Options for a game on an Xvfb screen of that size with that prefer.txt.
e2e::GameOptions on_screen(int width, int height, const char* prefer, const char* refresh = "") {
    e2e::GameOptions options;
    options.screen_width = width;
    options.screen_height = height;
    options.prefer = prefer;
    options.refresh = refresh;
    return options;
}

// The game's window appears with the title and exactly that size.
void expect_window(e2e::Session& game, int width, int height, int timeout_ms = 20000) {
    int w = 0, h = 0;
    ASSERT_NE(game.wait_for_window(title, timeout_ms, &w, &h), 0u);
    EXPECT_EQ(w, width);
    EXPECT_EQ(h, height);
}

TEST(Startup, WindowHasTheTitleAndTheSmallSize) {
    e2e::Session game(on_screen(1024, 768, small_window));
    ASSERT_TRUE(game.ok()) << game.error;
    expect_window(game, 800, 600);
}

TEST(Startup, LargeWindowAndTheFKeySwitchesSizes) {
    e2e::Session game(on_screen(1024, 768, large_window));
    ASSERT_TRUE(game.ok()) << game.error;
    expect_window(game, 1024, 768);
    game.pause(500);
    game.key("f");
    game.pause(1500);
    expect_window(game, 800, 600, 10000);
    game.key("f");
    game.pause(1500);
    expect_window(game, 1024, 768, 10000);
    EXPECT_TRUE(game.running());
}

TEST(Startup, FullScreenWithoutPreferencesCoversASmallScreen) {
    e2e::GameOptions options;  // no prefer.txt: full screen 800x600
    e2e::Session game(options);
    ASSERT_TRUE(game.ok()) << game.error;
    expect_window(game, 800, 600);
    EXPECT_TRUE(game.running());
}

TEST(Startup, LargeFullScreenOnALargeScreenAlsoWithAForcedRate) {
    for (const char* refresh : {"", "75\r\n"}) {
        SCOPED_TRACE(std::string("refresh.txt: ") + refresh);
        e2e::Session game(on_screen(1024, 768, large_full, refresh));
        ASSERT_TRUE(game.ok()) << game.error;
        expect_window(game, 1024, 768);
        EXPECT_TRUE(game.wait_for_screen(
            [](const e2e::Shot& shot) { return drawn_within(shot, 1024, 768); }, 10000));
    }
}

TEST(Startup, FullScreenOfASizeTheScreenLacksFallsBackToAWindow) {
    // An 800x600 request on a 1024x768 Xvfb screen, whose only mode is its
    // own size: the game opens an 800x600 window instead of dying.
    e2e::Session game(on_screen(1024, 768, ""));
    ASSERT_TRUE(game.ok()) << game.error;
    expect_window(game, 800, 600);
    EXPECT_TRUE(game.running());
}

TEST(Startup, WKeyTurnsAWindowIntoFullScreenAndBack) {
    e2e::Session game(on_screen(800, 600, small_window));
    ASSERT_TRUE(game.ok()) << game.error;
    ASSERT_NE(game.wait_for_window(title, 20000), 0u);
    game.pause(500);
    game.key("w");
    game.pause(1500);
    expect_window(game, 800, 600, 10000);
    game.key("w");
    game.pause(1500);
    EXPECT_NE(game.wait_for_window(title, 10000), 0u);
    EXPECT_TRUE(game.running());
}

TEST(Startup, CloseRequestEndsWithStatusZero) {
    e2e::Session game(on_screen(800, 600, small_window));
    ASSERT_TRUE(game.ok()) << game.error;
    unsigned long window = game.wait_for_window(title, 20000);
    ASSERT_NE(window, 0u);
    game.pause(500);
    game.close_window(window);
    EXPECT_EQ(game.wait_exit(10000), 0);
}

TEST(Startup, EscapeEndsWithStatusZero) {
    e2e::Session game(on_screen(800, 600, small_window));
    ASSERT_TRUE(game.ok()) << game.error;
    ASSERT_NE(game.wait_for_window(title, 20000), 0u);
    game.pause(500);
    // During the opening one Escape ends the game; afterwards the second
    // one confirms the question. Two cover both.
    game.key("Escape");
    game.key("Escape");
    EXPECT_EQ(game.wait_exit(10000), 0);
}

TEST(Startup, PlayerFolderIsCreatedWithModeSevenSevenSeven) {
    // No preferences: the game makes the folders itself.
    e2e::Session game(on_screen(800, 600, ""));
    ASSERT_TRUE(game.ok()) << game.error;
    ASSERT_NE(game.wait_for_window(title, 20000), 0u);
    EXPECT_EQ(e2e::file_mode(game.game_dir + "/players"), 0777);
    EXPECT_EQ(e2e::file_mode(game.game_dir + "/players/default"), 0777);
}

}  // namespace
