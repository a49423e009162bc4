// The game's start on a real X server: window title and size, window or
// full screen as prefer.txt and refresh.txt say, the F and W toggles, the
// ways out, and the player folder.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include <X11/Xlib.h>

#include "tests/e2e/harness.h"
#include "tests/e2e/screen_text.h"
#include "tests/support/e2e_setup.h"

namespace {

const char* const title = support::GAME_TITLE;
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

// The game's window appears with the title and exactly that size (after
// a toggle the old one may still be found for a moment), and takes the
// keyboard. Its id, 0 when none came.
unsigned long expect_window(e2e::Session& game, int width, int height, int timeout_ms = 30000) {
    int w = 0, h = 0;
    unsigned long window = 0;
    e2e::poll_until(
        [&] {
            window = game.wait_for_window(title, 100, &w, &h);
            return window && w == width && h == height;
        },
        timeout_ms, 50, [&] { return !game.running(); });
    EXPECT_NE(window, 0u);
    EXPECT_EQ(w, width);
    EXPECT_EQ(h, height);
    EXPECT_TRUE(window && game.wait_for_focus(window, 10000)) << "the window never took the keyboard";
    return window;
}

// Whether the game's window is a full-screen one (not managed, covering).
bool is_full_screen(e2e::Session& game, unsigned long window) {
    XWindowAttributes attributes;
    return window && XGetWindowAttributes(game.display, window, &attributes) && attributes.override_redirect &&
           attributes.x == 0 && attributes.y == 0;
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
    game.key("f");
    expect_window(game, 800, 600);
    game.key("f");
    expect_window(game, 1024, 768);
    EXPECT_TRUE(game.running());
}

TEST(Startup, FullScreenWithoutPreferencesCoversASmallScreen) {
    e2e::GameOptions options;  // no prefer.txt: full screen 800x600
    e2e::Session game(options);
    ASSERT_TRUE(game.ok()) << game.error;
    unsigned long window = expect_window(game, 800, 600);
    EXPECT_TRUE(is_full_screen(game, window)) << "opened as a window";
    EXPECT_TRUE(game.keyboard_grabbed_elsewhere()) << "full screen without the keyboard grabbed";
    EXPECT_TRUE(game.running());
}

TEST(Startup, LargeFullScreenOnALargeScreenAlsoWithAForcedRate) {
    for (const char* refresh : {"", "75\r\n"}) {
        SCOPED_TRACE(std::string("refresh.txt: ") + refresh);
        e2e::Session game(on_screen(1024, 768, large_full, refresh));
        ASSERT_TRUE(game.ok()) << game.error;
        expect_window(game, 1024, 768);
        EXPECT_TRUE(game.wait_for_screen([](const e2e::Shot& shot) { return drawn_within(shot, 1024, 768); }, 10000));
    }
}

TEST(Startup, FullScreenOfASizeTheScreenLacksCoversItScaled) {
    // An 800x600 request on a 1024x768 Xvfb screen, whose only mode is its
    // own size: the game covers the screen, its board scaled to it.
    e2e::Session game(on_screen(1024, 768, ""));
    ASSERT_TRUE(game.ok()) << game.error;
    unsigned long window = expect_window(game, 1024, 768);
    EXPECT_TRUE(is_full_screen(game, window));
    EXPECT_TRUE(game.keyboard_grabbed_elsewhere());
    if (const char* shots = std::getenv("TESSELLON_E2E_SHOTS_DIR")) {
        e2e::Shot shot;
        game.wait_until_still(20000, &shot);
        shot.save_png(std::string(shots) + "/fallback.png");
    }
    EXPECT_TRUE(game.running());
}

TEST(Startup, WKeyTurnsAWindowIntoFullScreenAndBack) {
    e2e::Session game(on_screen(800, 600, small_window));
    ASSERT_TRUE(game.ok()) << game.error;
    unsigned long window = expect_window(game, 800, 600);
    EXPECT_FALSE(is_full_screen(game, window));
    game.key("w");
    // Deadlines on the clock: under load one look can take far longer than
    // its 100 ms, so counting looks would stretch the wait without bound.
    bool full = e2e::poll_until(
        [&] {
            window = game.wait_for_window(title, 100);
            return is_full_screen(game, window) && game.keyboard_grabbed_elsewhere();
        },
        30000, 100);
    EXPECT_TRUE(full) << "W did not turn the window into full screen";
    ASSERT_TRUE(game.wait_for_focus(window, 10000));
    game.key("w");
    bool back = e2e::poll_until(
        [&] {
            window = game.wait_for_window(title, 100);
            return window && !is_full_screen(game, window);
        },
        30000, 100);
    EXPECT_TRUE(back) << "W did not turn full screen back into a window";
    EXPECT_TRUE(game.running());
}

TEST(Startup, CloseRequestEndsWithStatusZero) {
    e2e::Session game(on_screen(800, 600, small_window));
    ASSERT_TRUE(game.ok()) << game.error;
    unsigned long window = expect_window(game, 800, 600);
    ASSERT_NE(window, 0u);
    game.close_window(window);
    EXPECT_EQ(game.wait_exit(10000), 0);
}

TEST(Startup, EscapeEndsWithStatusZero) {
    e2e::Session game(on_screen(800, 600, small_window));
    ASSERT_TRUE(game.ok()) << game.error;
    ASSERT_NE(expect_window(game, 800, 600), 0u);
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

TEST(Startup, APlayerFolderThatCannotBeMadeIsShownInTheWindowAndTheGamePlaysOn) {
    // A plain file where the player's folder goes: the message waits for
    // the display instead of hanging the start-up before it.
    e2e::GameOptions options = on_screen(800, 600, "");
    options.prepare = [](const std::string& game_dir) { std::ofstream(game_dir + "/players") << "not a folder"; };
    e2e::Session game(options);
    ASSERT_TRUE(game.ok()) << game.error;
    ASSERT_NE(game.wait_for_window(title, 20000), 0u) << "no window: the start-up hung";
    e2e::TextMask says = e2e::render_text("Unable to access players - press any key", 14);
    ASSERT_GT(says.lit_count, 0);
    e2e::Shot shot;
    bool shown = game.wait_for_screen([&](const e2e::Shot& s) { return e2e::message_says(s, says); }, 20000, &shot);
    support::keep_shot(shot, "player_folder_refused");
    EXPECT_TRUE(shown);
    game.key("space");  // "Unable to access players/default" comes next
    e2e::TextMask then = e2e::render_text("Unable to access players/default - press any key", 14);
    EXPECT_TRUE(game.wait_for_screen([&](const e2e::Shot& s) { return e2e::message_says(s, then); }, 10000));
    game.key("space");
    EXPECT_TRUE(game.wait_for_screen([&](const e2e::Shot& s) { return !e2e::message_says(s, then); }, 10000));
    game.key("Escape");
    game.key("Escape");
    EXPECT_EQ(game.wait_exit(10000), 0);
}

}  // namespace
