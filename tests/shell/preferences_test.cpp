// prefer.txt and refresh.txt: short files keep the later defaults, the
// colour lines follow the own-colour flag, the save-when-leaving line
// follows them, and the writer's bytes.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include "library/library.h"
#include "shell/shell.h"
#include "tests/support/files.h"
#include "tests/support/temp_folder.h"

namespace {

struct PreferencesTest : ::testing::Test {
    support::TempFolder temp{"tessellon-prefs"};
    std::string folder;
    void SetUp() override {
        folder = temp.path;
        ASSERT_FALSE(folder.empty());
        player_dir = folder + "/";
        pref_click_help = 0;
        pref_large_display = 0;
        pref_sound = 1;
        pref_windowed = 0;
        pref_help_prompt = 1;
        pref_save_message = 1;
        pref_custom_colour = 0;
        pref_save_on_leave = 0;
        pref_keep_resolution = 0;
        bg_red = bg_green = bg_blue = 0;
        saved_bg_red = saved_bg_green = saved_bg_blue = 0;
        forced_refresh_rate = 0;
    }
    void TearDown() override { player_dir.clear(); }
    void write(const std::string& name, const std::string& text) { support::write_text(temp.file(name), text); }
    std::string read(const std::string& name) { return support::read_text(temp.file(name)); }
};

TEST_F(PreferencesTest, MissingFilesKeepEveryDefault) {
    read_preferences();
    EXPECT_EQ(pref_click_help, 0);
    EXPECT_EQ(pref_large_display, 0);
    EXPECT_EQ(pref_sound, 1);
    EXPECT_EQ(pref_windowed, 0);
    EXPECT_EQ(pref_help_prompt, 1);
    EXPECT_EQ(pref_save_message, 1);
    EXPECT_EQ(pref_custom_colour, 0);
    EXPECT_EQ(pref_save_on_leave, 0);
    EXPECT_EQ(pref_keep_resolution, 0);
    EXPECT_EQ(forced_refresh_rate, 0);
}

TEST_F(PreferencesTest, ThreeLineFileSetsTheFirstThreeAndKeepsTheRest) {
    write("prefer.txt", "1\r\n1\r\n0\r\n");
    read_preferences();
    EXPECT_EQ(pref_click_help, 1);
    EXPECT_EQ(pref_large_display, 1);
    EXPECT_EQ(pref_sound, 0);
    EXPECT_EQ(pref_windowed, 0);
    EXPECT_EQ(pref_help_prompt, 1);
    EXPECT_EQ(pref_save_message, 1);
    EXPECT_EQ(pref_custom_colour, 0);
}

TEST_F(PreferencesTest, SingleLineFileReadsTheMissingFirstLinesAsZero) {
    write("prefer.txt", "1\n");
    read_preferences();
    EXPECT_EQ(pref_click_help, 1);
    EXPECT_EQ(pref_large_display, 0);
    EXPECT_EQ(pref_sound, 0);
    EXPECT_EQ(pref_help_prompt, 1);
}

TEST_F(PreferencesTest, OwnColourFlagWithoutColourLinesGivesBlack) {
    bg_red = 115;
    write("prefer.txt", "0\r\n0\r\n1\r\n0\r\n1\r\n1\r\n1\r\n");
    read_preferences();
    EXPECT_EQ(pref_custom_colour, 1);
    EXPECT_EQ(bg_red, 0);
    EXPECT_EQ(bg_green, 0);
    EXPECT_EQ(bg_blue, 0);
}

TEST_F(PreferencesTest, ColourLinesAreReadAndRemembered) {
    write("prefer.txt", "0\n1\n1\n0\n1\n1\n1\n0\n64\n0\n");
    read_preferences();
    EXPECT_EQ(pref_large_display, 1);
    EXPECT_EQ(bg_green, 64);
    EXPECT_EQ(saved_bg_green, 64);
    EXPECT_EQ(saved_bg_red, 0);
}

TEST_F(PreferencesTest, NumbersFollowTheTextToIntegerRule) {
    write("prefer.txt", "0\r\n0\r\n1\r\n0\r\n1\r\n1\r\n1\r\n 12abc\r\n$1F\r\n%101\r\n");
    read_preferences();
    EXPECT_EQ(bg_red, 12);
    EXPECT_EQ(bg_green, 31);
    EXPECT_EQ(bg_blue, 5);
}

TEST_F(PreferencesTest, AnyNonZeroFlagReadsAsOn) {
    // -1 would otherwise reach the preferences screen, which takes -1 in
    // its first row for "copy the preferences afresh".
    write("prefer.txt", "-1\r\n7\r\n0\r\n-5\r\n$10\r\n0\r\n0\r\n");
    read_preferences();
    EXPECT_EQ(pref_click_help, 1);
    EXPECT_EQ(pref_large_display, 1);
    EXPECT_EQ(pref_sound, 0);
    EXPECT_EQ(pref_windowed, 1);
    EXPECT_EQ(pref_help_prompt, 1);
    EXPECT_EQ(pref_save_message, 0);
    EXPECT_EQ(pref_custom_colour, 0);
}

TEST_F(PreferencesTest, ColoursOutsideAByteAreClamped) {
    write("prefer.txt", "0\r\n0\r\n1\r\n0\r\n1\r\n1\r\n-2\r\n99999\r\n-40\r\n255\r\n");
    read_preferences();
    EXPECT_EQ(pref_custom_colour, 1);
    EXPECT_EQ(bg_red, 255);
    EXPECT_EQ(bg_green, 0);
    EXPECT_EQ(bg_blue, 255);
    EXPECT_EQ(saved_bg_red, 255);
    EXPECT_EQ(saved_bg_green, 0);
    EXPECT_EQ(saved_bg_blue, 255);
}

TEST_F(PreferencesTest, RefreshRateOutsideOneToAThousandIsIgnored) {
    write("refresh.txt", "99999\r\n");
    read_preferences();
    EXPECT_EQ(forced_refresh_rate, 0);
    write("refresh.txt", "-75\r\n");
    read_preferences();
    EXPECT_EQ(forced_refresh_rate, 0);
    write("refresh.txt", "1000\r\n");
    read_preferences();
    EXPECT_EQ(forced_refresh_rate, 1000);
}

TEST_F(PreferencesTest, RefreshFileGivesItsFirstLine) {
    write("refresh.txt", "75\r\n90\r\nanything\r\n");
    read_preferences();
    EXPECT_EQ(forced_refresh_rate, 75);
}

TEST_F(PreferencesTest, WriterAlwaysWritesNineLinesWithoutTheColour) {
    pref_sound = 0;
    pref_windowed = 1;
    bg_red = 9;
    bg_green = 8;
    bg_blue = 7;
    write_preferences();
    EXPECT_EQ(read("prefer.txt"), "0\r\n0\r\n0\r\n1\r\n1\r\n1\r\n0\r\n0\r\n0\r\n");
}

TEST_F(PreferencesTest, WriterAddsTheColourAndRemembersIt) {
    pref_custom_colour = 1;
    bg_red = 200;
    bg_green = -3;
    bg_blue = 0;
    write_preferences();
    EXPECT_EQ(read("prefer.txt"), "0\r\n0\r\n1\r\n0\r\n1\r\n1\r\n1\r\n200\r\n-3\r\n0\r\n0\r\n0\r\n");
    EXPECT_EQ(saved_bg_red, 200);
    EXPECT_EQ(saved_bg_green, -3);
    // It reads back the same, the colour out of range clamped.
    pref_custom_colour = 0;
    bg_red = bg_green = 0;
    read_preferences();
    EXPECT_EQ(pref_custom_colour, 1);
    EXPECT_EQ(bg_red, 200);
    EXPECT_EQ(bg_green, 0);
}

// --- save the game when I leave: the line after those above ---

TEST_F(PreferencesTest, SaveOnLeaveRoundTripsWithoutAChosenColour) {
    pref_save_on_leave = 1;
    write_preferences();
    // Line 8, where the colour would start if one were chosen.
    EXPECT_EQ(read("prefer.txt"), "0\r\n0\r\n1\r\n0\r\n1\r\n1\r\n0\r\n1\r\n0\r\n");
    pref_save_on_leave = 0;
    bg_red = 5;
    read_preferences();
    EXPECT_EQ(pref_save_on_leave, 1);
    EXPECT_EQ(pref_custom_colour, 0);
    EXPECT_EQ(bg_red, 5);  // not read as a colour
}

TEST_F(PreferencesTest, SaveOnLeaveRoundTripsAfterAChosenColour) {
    pref_custom_colour = 1;
    pref_save_on_leave = 1;
    pref_keep_resolution = 1;
    bg_red = 1;
    bg_green = 2;
    bg_blue = 3;
    write_preferences();
    // Line 11, after the three colour lines, and keeping the resolution after it.
    EXPECT_EQ(read("prefer.txt"), "0\r\n0\r\n1\r\n0\r\n1\r\n1\r\n1\r\n1\r\n2\r\n3\r\n1\r\n1\r\n");
    pref_save_on_leave = 0;
    pref_keep_resolution = 0;
    bg_red = bg_green = bg_blue = 0;
    read_preferences();
    EXPECT_EQ(pref_save_on_leave, 1);
    EXPECT_EQ(pref_keep_resolution, 1);
    EXPECT_EQ(bg_red, 1);
    EXPECT_EQ(bg_green, 2);
    EXPECT_EQ(bg_blue, 3);
    // And off is written and read as off.
    pref_save_on_leave = 0;
    write_preferences();
    pref_save_on_leave = 1;
    read_preferences();
    EXPECT_EQ(pref_save_on_leave, 0);
}

TEST_F(PreferencesTest, FilesWithoutTheSaveOnLeaveLineReadAsNo) {
    // Seven lines, and ten with a colour: files written before the line.
    write("prefer.txt", "0\r\n0\r\n1\r\n0\r\n1\r\n1\r\n0\r\n");
    read_preferences();
    EXPECT_EQ(pref_save_on_leave, 0);
    write("prefer.txt", "0\r\n0\r\n1\r\n0\r\n1\r\n1\r\n1\r\n1\r\n1\r\n1\r\n");
    read_preferences();
    EXPECT_EQ(pref_save_on_leave, 0);  // the colour lines are not taken for it
    EXPECT_EQ(bg_blue, 1);
    // Any non-zero number is yes, as for the other flags.
    write("prefer.txt", "0\r\n0\r\n1\r\n0\r\n1\r\n1\r\n0\r\n-1\r\n");
    read_preferences();
    EXPECT_EQ(pref_save_on_leave, 1);
    EXPECT_EQ(pref_keep_resolution, 0);  // eight lines: written before keeping the resolution
    write("prefer.txt", "0\r\n0\r\n1\r\n0\r\n1\r\n1\r\n0\r\n0\r\n7\r\n");
    read_preferences();
    EXPECT_EQ(pref_save_on_leave, 0);
    EXPECT_EQ(pref_keep_resolution, 1);
}

}  // namespace
