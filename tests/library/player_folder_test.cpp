// The player's folder and the game's report of a file it cannot write:
// folders made with mode 777, and the "press any key" message drawn on
// black, waiting for a key that then stays queued for the main loop.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "library/library.h"
#include "media/media_internal.h"
#include "media/null/null_backend.h"
#include "shell/shell.h"
#include "tests/support/temp_folder.h"

namespace {

struct PlayerFolderTest : ::testing::Test {
    support::TempFolder temp{"tessellon-player"};  // the working folder
    std::string folder;
    void SetUp() override {
        folder = temp.path;
        ASSERT_TRUE(temp.enter());
        player_dir.clear();
        ASSERT_NE(open_screen(800, 600, 0, 60, 0), nullptr);
        if (!font_small) font_small = load_font(TEST_GAME_DIR "/fonts/Tahoma.ttf", 14, 4);  // loaded once for all cases
        ASSERT_NE(font_small, nullptr);
        while (events_waiting() > 0) wait_event();
    }
    void TearDown() override {
        file_faults = TFileFaults();
        temp.leave();
        player_dir.clear();
    }
    static int mode_of(const std::string& path) {
        struct stat st;
        return stat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
    }
    static bool front_has_light_pixels() {
        TPixmap* front = null_front_buffer();
        for (int y = 0; y < front->height; y++)
            for (int x = 0; x < front->width; x++)
                if ((read_pixel(front, x, y) & 0xff) > 128) return true;
        return false;
    }
    static void key_while_waiting(int key) {
        TEvent e;
        e.id = EVENT_KEY_DOWN;
        e.data = key;
        null_push_event_for_wait(e);
    }
};

TEST_F(PlayerFolderTest, MakesBothFoldersWithModeSevenSevenSeven) {
    ensure_player_dir();
    EXPECT_EQ(player_dir, "players/default/");
    EXPECT_EQ(mode_of("players"), 0777);
    EXPECT_EQ(mode_of("players/default"), 0777);
    // A second call changes nothing.
    chmod("players/default", 0755);
    ensure_player_dir();
    EXPECT_EQ(mode_of("players/default"), 0755);
}

TEST_F(PlayerFolderTest, FolderThatCannotBeMadeIsReportedAndTheKeyStaysQueued) {
    // A plain file where the folder should be: it can be neither listed nor made.
    std::ofstream("players") << "not a folder";
    key_while_waiting('Q');  // answers "Unable to access players"
    key_while_waiting('Q');  // and "Unable to access players/default"
    ensure_player_dir();
    EXPECT_EQ(player_dir, "players/default/");  // set all the same
    EXPECT_TRUE(front_has_light_pixels());      // the message was shown
    // The key that answered the message is handled by the loop afterwards.
    int seen = 0;
    while (events_waiting() > 0)
        if (wait_event() == EVENT_KEY_DOWN && event_data() == 'Q') seen++;
    EXPECT_EQ(seen, 2);
}

TEST_F(PlayerFolderTest, UnwritablePreferencesAreReportedAndTheOldFileKept) {
    ensure_player_dir();
    std::ofstream("players/default/prefer.txt", std::ios::binary) << "1\r\n0\r\n1\r\n";
    // A disk that fills up after a few bytes, and a failed rename: the
    // preferences' OK tells the player and keeps the old file whole.
    for (int fault = 0; fault < 2; fault++) {
        file_faults = TFileFaults();
        file_faults.fail_after_bytes = fault == 0 ? 4 : -1;
        file_faults.fail_rename = fault == 1;
        key_while_waiting(' ');
        pref_sound = 0;
        write_preferences();
        EXPECT_TRUE(front_has_light_pixels()) << fault;
        std::ifstream in("players/default/prefer.txt", std::ios::binary);
        std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(content, "1\r\n0\r\n1\r\n") << fault;
    }
    EXPECT_EQ(
        std::distance(std::filesystem::directory_iterator("players/default"), std::filesystem::directory_iterator()), 1)
        << "no temporary file is left";
}

}  // namespace
