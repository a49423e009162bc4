// Play-testing fixes on the real binary, at both sizes: F1 over the
// preferences screen (which has no help page) holds that screen still
// under the status line "no help here - press F1 again", with no pointer
// trails, and F1 again returns; A on the kill screen marks only jigsaws
// shown with a thumbnail (hidden folders are not listed) and the title
// counts them; and a full screen size the screen has no mode for is shown
// scaled, F switching sizes without a window ever standing in.
// TESSELLON_E2E_SHOTS_DIR, when set, receives a PNG of each screen.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <X11/Xlib.h>

#include "tests/e2e/harness.h"
#include "tests/e2e/screen_text.h"
#include "tests/support/e2e_setup.h"
#include "tests/support/images.h"

namespace {

const char* const title = support::GAME_TITLE;
// Pixels that differ between two grabs of the game's w x h, outside the
// status line's band across the middle and the pointer, parked in the
// bottom-right corner.
int differences_outside(const e2e::Shot& a, const e2e::Shot& b, int w, int h, int* in_band) {
    int outside = 0;
    *in_band = 0;
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            if (a.at(x, y) == b.at(x, y)) continue;
            if (x >= w - 20 && y >= h - 20) continue;
            if (y >= h / 2 - 50 && y < h / 2 + 50)
                ++*in_band;
            else
                outside++;
        }
    }
    return outside;
}

TEST(PlayfixE2e, F1OverThePreferencesScreenHoldsItStillAndSaysThereIsNoHelp) {
    for (int large : {0, 1}) {
        SCOPED_TRACE(large ? "1024x768" : "800x600");
        int w = large ? 1024 : 800, h = large ? 768 : 600;
        // The screen of the game's size: the status line is found in the middle of the grab.
        e2e::GameOptions options = support::quiet_game(large);
        e2e::Session game(options);
        ASSERT_TRUE(game.ok()) << game.error;
        e2e::Shot board;
        ASSERT_TRUE(support::reach_board(game, w, h, &board));

        game.key("i");
        // Still, and no longer the board: the preferences screen.
        e2e::Shot prefer;
        ASSERT_TRUE(game.wait_for_screen([&](const e2e::Shot& s) { return s.pixels != board.pixels; }, 10000));
        ASSERT_TRUE(game.wait_until_still(10000, &prefer));
        ASSERT_NE(prefer.pixels, board.pixels);
        support::keep_shot(prefer, std::string("prefer") + (large ? "_large" : ""));

        game.key("F1");
        e2e::TextMask no_help = e2e::render_text("no help here - press F1 again", 22);
        ASSERT_GT(no_help.lit_count, 0);
        ASSERT_TRUE(game.wait_for_screen([&](const e2e::Shot& s) { return e2e::status_says(s, no_help); }, 10000));
        // The pointer crosses the frame and parks in its corner again.
        for (int x : {100, 300, 500, 700}) game.move(x, h - 120);
        game.move(w - 5, h - 5);
        // Once the pointer is back in its corner the frame is the
        // preferences screen's again but for the status line: a trail or
        // stale pixels anywhere else never let that happen.
        int in_band = 0;
        e2e::Shot help;
        EXPECT_TRUE(game.wait_for_screen(
            [&](const e2e::Shot& s) {
                return differences_outside(prefer, s, w, h, &in_band) == 0 && in_band > 0 &&
                       e2e::status_says(s, no_help);
            },
            10000, &help))
            << differences_outside(prefer, help, w, h, &in_band) << " pixels changed under the status line";
        support::keep_shot(help, std::string("no_help") + (large ? "_large" : ""));

        game.key("F1");
        EXPECT_TRUE(game.wait_for_screen(
            [&](const e2e::Shot& s) { return differences_outside(prefer, s, w, h, &in_band) == 0 && in_band == 0; },
            10000));
        EXPECT_TRUE(game.running());
    }
}

TEST(PlayfixE2e, AMarksOnlyTheThumbnailsShownAndTheTitleCountsTheCrosses) {
    // A hidden folder with a thumbnail is never listed; a folder without
    // one has no cell, so A leaves it unmarked. The rest of the library
    // (less the reserved jigsaw) is marked, and the title says how many.
    int shown = 0;
    for (int large : {0, 1}) {
        SCOPED_TRACE(large ? "1024x768" : "800x600");
        int w = large ? 1024 : 800, h = large ? 768 : 600;
        e2e::GameOptions options = support::quiet_game(large);
        options.prepare = [&shown](const std::string& dir) {
            namespace fs = std::filesystem;
            fs::create_directories(dir + "/jigsaws/.trash");
            support::write_solid_png(dir + "/jigsaws/.trash/tn.png", 300, 225, 0xFF00FF00);
            fs::create_directories(dir + "/jigsaws/aaa_no_thumbnail");
            shown = 0;
            for (const fs::directory_entry& entry : fs::directory_iterator(dir + "/jigsaws")) {
                std::string name = entry.path().filename().string();
                if (name[0] != '.' && name != "0000bexil" && fs::exists(entry.path() / "tn.png")) shown++;
            }
        };
        e2e::Session game(options);
        ASSERT_TRUE(game.ok()) << game.error;
        ASSERT_TRUE(support::reach_board(game, w, h));
        ASSERT_GT(shown, 1);

        game.key("k");
        game.key("a");
        e2e::TextMask line =
            e2e::render_text("Page 1 of 1   Press K to Kill " + std::to_string(shown) + " jigsaws", 22);
        e2e::Shot page;
        EXPECT_TRUE(game.wait_for_screen(
            [&](const e2e::Shot& s) { return e2e::shows_text(s, line, 30 - line.height / 2); }, 10000, &page));
        support::keep_shot(page, std::string("delete_marked") + (large ? "_large" : ""));
        EXPECT_TRUE(game.running());
    }
}

// The game's window of exactly that size, once it has appeared (after a
// toggle the old one may still be found for a moment); 0 when none did.
unsigned long window_of_size(e2e::Session& game, int width, int height, int timeout_ms = 30000) {
    for (int deadline = e2e::now_ms() + timeout_ms; e2e::now_ms() < deadline; game.pause(50)) {
        int w = 0, h = 0;
        unsigned long window = game.wait_for_window(title, 100, &w, &h);
        if (window && w == width && h == height) return window;
        if (!game.running()) break;
    }
    return 0;
}

// Full screen: an unmanaged window at the origin with the keyboard grabbed.
bool full_screen(e2e::Session& game, unsigned long window) {
    XWindowAttributes attributes;
    return window && XGetWindowAttributes(game.display, window, &attributes) && attributes.override_redirect &&
           attributes.x == 0 && attributes.y == 0 && game.keyboard_grabbed_elsewhere();
}

// Waits (bounded) until the window of that size is (or is not) full screen.
bool becomes(e2e::Session& game, int width, int height, bool full) {
    for (int deadline = e2e::now_ms() + 30000; e2e::now_ms() < deadline; game.pause(100)) {
        unsigned long window = window_of_size(game, width, height, deadline - e2e::now_ms());
        if (window && full_screen(game, window) == full) return true;
    }
    return false;
}

TEST(PlayfixE2e, ASizeWithoutItsModeIsShownScaledAndFNeverFallsBackToAWindow) {
    // A 1024x768 screen with that mode only: full screen 800x600 covers the
    // screen scaled at start; F opens full screen 1024x768 in its mode, F
    // again the scaled 800x600, and no step leaves a window standing in.
    e2e::GameOptions options;  // no prefer.txt: full screen 800x600 is asked for
    options.screen_width = 1024;
    options.screen_height = 768;
    e2e::Session game(options);
    ASSERT_TRUE(game.ok()) << game.error;
    unsigned long window = window_of_size(game, 1024, 768);
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(becomes(game, 1024, 768, true)) << "the scaled start is not full screen";
    EXPECT_EQ(window_of_size(game, 800, 600, 500), 0u) << "a small window stands in";
    for (int press = 0; press < 2; press++) {
        game.key("f");
        EXPECT_TRUE(becomes(game, 1024, 768, true)) << "F left full screen";
        EXPECT_EQ(window_of_size(game, 800, 600, 500), 0u) << "a small window stands in after F";
    }
    e2e::Shot shot;
    if (game.wait_until_still(20000, &shot)) support::keep_shot(shot, "full_after_scaled_start");
    EXPECT_TRUE(game.running());
}

}  // namespace
