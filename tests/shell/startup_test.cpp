// The display-mode rule, against given mode lists, and the display the
// start-up opens for each preference.
#include <gtest/gtest.h>

#include "library/library.h"
#include "media/null/null_backend.h"
#include "shell/shell.h"

namespace {

TEST(ModeRule, HighestDepth32RateWinsAndRateZeroNeverCounts) {
    std::vector<TGraphicsMode> modes = {{800, 600, 32, 60},  {800, 600, 32, 85},   {800, 600, 32, 75},
                                        {800, 600, 16, 100}, {1024, 768, 32, 120}, {800, 600, 32, 0}};
    int depth = 0, hertz = 0;
    choose_display_mode(modes, 800, 600, &depth, &hertz);
    EXPECT_EQ(depth, 32);
    EXPECT_EQ(hertz, 85);
}

TEST(ModeRule, Depth16OnlyWhenNoDepth32ModeHasARate) {
    std::vector<TGraphicsMode> modes = {{1024, 768, 16, 60}, {1024, 768, 16, 75}, {1024, 768, 32, 0}};
    int depth = 0, hertz = 0;
    choose_display_mode(modes, 1024, 768, &depth, &hertz);
    EXPECT_EQ(depth, 16);
    EXPECT_EQ(hertz, 75);
}

TEST(ModeRule, NoModeOfTheSizeGivesDepth32At60) {
    std::vector<TGraphicsMode> modes = {{640, 480, 32, 60}, {1024, 768, 16, 75}};
    int depth = 0, hertz = 0;
    choose_display_mode(modes, 800, 600, &depth, &hertz);
    EXPECT_EQ(depth, 32);
    EXPECT_EQ(hertz, 60);
}

struct OpenDisplayTest : ::testing::Test {
    void SetUp() override {
        windowed = 0;
        window_stands_in = 0;
        forced_refresh_rate = 0;
        jigsaw_page = saved_page = 0;
        null_set_display_modes({{800, 600, 32, 60}, {800, 600, 32, 72}, {1024, 768, 16, 60}, {1024, 768, 16, 75}});
    }
};

TEST_F(OpenDisplayTest, FullScreenAtTheBestListedMode) {
    EXPECT_EQ(open_display(1024, 768), 1);
    NullOpenCall call = null_last_open();
    EXPECT_EQ(call.width, 1024);
    EXPECT_EQ(call.depth, 16);
    EXPECT_EQ(call.hertz, 75);
    EXPECT_EQ(windowed, 0);
}

TEST_F(OpenDisplayTest, WindowedOpensAWindowAt60WhateverTheForcedRate) {
    windowed = 1;
    forced_refresh_rate = 85;
    EXPECT_EQ(open_display(800, 600), 1);
    NullOpenCall call = null_last_open();
    EXPECT_EQ(call.depth, 0);
    EXPECT_EQ(call.hertz, 60);
}

TEST_F(OpenDisplayTest, ForcedRateOpensFullScreenAtThatRate) {
    forced_refresh_rate = 85;
    EXPECT_EQ(open_display(1024, 768), 1);
    NullOpenCall call = null_last_open();
    EXPECT_EQ(call.depth, 32);
    EXPECT_EQ(call.hertz, 85);
    EXPECT_EQ(windowed, 0);
}

TEST_F(OpenDisplayTest, SizeWithoutAModeFallsBackToAWindow) {
    null_set_display_modes({{1024, 768, 32, 0}});
    EXPECT_EQ(open_display(800, 600), 1);
    NullOpenCall call = null_last_open();
    EXPECT_EQ(call.width, 800);
    EXPECT_EQ(call.depth, 0);
    EXPECT_EQ(window_stands_in, 1);
    EXPECT_EQ(windowed, 0);  // still the player's choice
    EXPECT_EQ(display_width(), 800);
}

// On a screen larger than the board: full screen without the mode covers
// it scaled rather than falling back to a window, and keeping the
// resolution scales even where the mode is listed.
TEST_F(OpenDisplayTest, OnALargeScreenFullScreenScalesInsteadOfAWindow) {
    null_set_screen_size(1920, 1080);
    null_set_display_modes({{1024, 768, 32, 60}});
    EXPECT_EQ(open_display(800, 600), 1);
    EXPECT_NE(null_last_open().depth, 0);
    EXPECT_EQ(window_stands_in, 0);
    EXPECT_FLOAT_EQ(display_scale(), 1.8f);
    EXPECT_EQ(display_width(), 800);
    EXPECT_EQ(open_display(1024, 768), 1);
    EXPECT_FLOAT_EQ(display_scale(), 1.0f) << "the listed mode switches";
    set_keep_screen_resolution(true);
    EXPECT_EQ(open_display(1024, 768), 1);
    EXPECT_FLOAT_EQ(display_scale(), 1080.0f / 768.0f);
    EXPECT_EQ(display_height(), 768);
    set_keep_screen_resolution(false);
    null_set_screen_size(0, 0);
}

TEST_F(OpenDisplayTest, AnEarlierFallbackNeverTurnsALaterFullScreenIntoAWindow) {
    null_set_display_modes({{1024, 768, 32, 60}});  // no 800x600 mode
    large_display = 1;
    ASSERT_EQ(open_display(1024, 768), 1);
    ASSERT_EQ(null_last_open().depth, 32);
    toggle_display_size();  // 800x600 is refused: a window stands in
    EXPECT_EQ(null_last_open().depth, 0);
    EXPECT_EQ(display_width(), 800);
    EXPECT_EQ(window_stands_in, 1);
    toggle_display_size();  // 1024x768 can be full screen again
    NullOpenCall call = null_last_open();
    EXPECT_EQ(call.width, 1024);
    EXPECT_EQ(call.depth, 32);
    EXPECT_EQ(window_stands_in, 0);
    EXPECT_EQ(windowed, 0);
}

TEST_F(OpenDisplayTest, WInAStandInWindowAsksForFullScreenAgain) {
    null_set_display_modes({{1024, 768, 32, 60}});
    large_display = 0;
    ASSERT_EQ(open_display(800, 600), 1);
    ASSERT_EQ(window_stands_in, 1);
    null_set_display_modes({{800, 600, 32, 75}});  // the mode is there now
    toggle_windowed();
    NullOpenCall call = null_last_open();
    EXPECT_EQ(call.depth, 32);
    EXPECT_EQ(call.hertz, 75);
    EXPECT_EQ(windowed, 0);
    EXPECT_EQ(window_stands_in, 0);
    // From full screen, W is the player's window, and W again full screen.
    toggle_windowed();
    EXPECT_EQ(null_last_open().depth, 0);
    EXPECT_EQ(windowed, 1);
    EXPECT_EQ(window_stands_in, 0);
    toggle_windowed();
    EXPECT_EQ(null_last_open().depth, 32);
    EXPECT_EQ(windowed, 0);
}

TEST_F(OpenDisplayTest, ToggleSizeResetsBrowserPagesAndHidesThePointerAgain) {
    windowed = 1;
    large_display = 0;
    jigsaw_page = 3;
    saved_page = 0;
    open_display(800, 600);
    toggle_display_size();
    EXPECT_EQ(large_display, 1);
    EXPECT_EQ(display_width(), 1024);
    EXPECT_EQ(jigsaw_page, 1);
    EXPECT_EQ(saved_page, 0);
    EXPECT_TRUE(null_mouse_hidden());
    toggle_windowed();
    EXPECT_EQ(windowed, 0);
    EXPECT_TRUE(null_mouse_hidden());
}

}  // namespace
