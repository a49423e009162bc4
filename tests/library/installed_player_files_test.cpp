// Where the player's files go: players/default/ inside a game folder he may
// write into, else (an installed game, marked by installed.txt) inside his
// XDG data folder, with his own jigsaws listed beside the library, loaded
// from there, and the only ones a kill deletes.
#include "storage_fixture.h"

namespace {

namespace fs = std::filesystem;

struct PlayerFolder : StorageFixture {
    std::string old_home, old_xdg;
    bool had_home = false, had_xdg = false;

    void SetUp() override {
        StorageFixture::SetUp();
        if (const char* h = getenv("HOME")) had_home = true, old_home = h;
        if (const char* x = getenv("XDG_DATA_HOME")) had_xdg = true, old_xdg = x;
        setenv("HOME", (root + "/home").c_str(), 1);
        unsetenv("XDG_DATA_HOME");
        fs::remove_all("players");
        player_dir = "";
        own_jigsaws_dir = "";
        clear_lists();
        make_grid_jigsaw("0000bexil", 1, 2);
    }
    void TearDown() override {
        clear_lists();
        player_dir = "players/default/";
        own_jigsaws_dir = "";
        if (had_home)
            setenv("HOME", old_home.c_str(), 1);
        else
            unsetenv("HOME");
        if (had_xdg)
            setenv("XDG_DATA_HOME", old_xdg.c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
        StorageFixture::TearDown();
    }
    static void clear_lists() {
        for (tn3_type& entry : *jigsaw_list)
            if (entry.img) free_image(entry.img);
        list_clear(jigsaw_list);
        jigsaw_page = 0;
    }
    void install_marker() { write_text(std::string(INSTALLED_MARKER), "installed\n"); }
    // A jigsaw of the player's own: his jigsaws folder, not the library.
    void make_own_jigsaw(const std::string& name, int r, int c) {
        make_grid_jigsaw(name, r, c);
        fs::create_directories(own_jigsaws_dir);
        fs::rename("jigsaws/" + name, own_jigsaws_dir + "/" + name);
    }
    static std::vector<std::string> listed() {
        std::vector<std::string> names;
        for (const tn3_type& entry : *jigsaw_list) names.push_back(entry.tessellon);
        return names;
    }
};

TEST_F(PlayerFolder, AWritableGameFolderLeavesTheHomeAlone) {
    ensure_player_dir();
    EXPECT_EQ(player_dir, "players/default/");
    EXPECT_EQ(own_jigsaws_dir, "");
    EXPECT_FALSE(fs::exists(root + "/home/.local"));
    EXPECT_FALSE(jigsaw_installed("0000bexil"));
}

TEST_F(PlayerFolder, AnInstalledGameKeepsThemInTheDataFolderOfTheHome) {
    install_marker();
    ensure_player_dir();
    std::string data = root + "/home/.local/share/tessellon";
    EXPECT_EQ(player_dir, data + "/players/default/");
    EXPECT_EQ(own_jigsaws_dir, data + "/jigsaws");
    EXPECT_TRUE(fs::is_directory(data + "/players/default"));
    EXPECT_TRUE(fs::is_directory(data + "/jigsaws"));
    EXPECT_FALSE(fs::exists("players"));
    // Folders made in the home are the player's alone.
    EXPECT_EQ(mode_of(root + "/home/.local"), 0700);
    EXPECT_EQ(mode_of(data + "/players/default"), 0700);
    // The preferences and the saved games follow player_dir.
    pref_windowed = 0;
    write_preferences();
    EXPECT_TRUE(fs::exists(data + "/players/default/prefer.txt"));
}

TEST_F(PlayerFolder, XdgDataHomeWinsWhenAbsoluteAndIsIgnoredWhenRelative) {
    install_marker();
    setenv("XDG_DATA_HOME", (root + "/xdg").c_str(), 1);
    ensure_player_dir();
    EXPECT_EQ(player_dir, root + "/xdg/tessellon/players/default/");
    player_dir = "";
    setenv("XDG_DATA_HOME", "relative/data", 1);
    ensure_player_dir();
    EXPECT_EQ(player_dir, root + "/home/.local/share/tessellon/players/default/");
    EXPECT_FALSE(fs::exists("relative"));
}

TEST_F(PlayerFolder, ADataFolderThatIsAFileIsSaidOnStderrAndShownOnceTheDisplayOpens) {
    install_marker();
    write_text(root + "/xdg", "a file, not a folder");
    setenv("XDG_DATA_HOME", (root + "/xdg").c_str(), 1);
    close_screen();  // the start-up makes sure of the folder before the display opens
    ::testing::internal::CaptureStderr();
    ensure_player_dir();
    std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("Unable to access " + root + "/xdg/tessellon/players/default"), std::string::npos) << said;
    ASSERT_NE(open_screen(800, 600, 0, 60, 0), nullptr);
    TEvent key;
    key.id = EVENT_KEY_DOWN;
    key.data = ' ';
    null_push_event_for_wait(key);
    show_held_messages();
    int answered = 0;
    while (events_waiting() > 0)
        if (wait_event() == EVENT_KEY_DOWN) answered++;
    EXPECT_EQ(answered, 1);
}

TEST_F(PlayerFolder, TheBrowserListsOwnJigsawsBesideTheLibraryAndTheyLoadFromThere) {
    install_marker();
    ensure_player_dir();
    make_grid_jigsaw("alpha", 1, 2);
    make_own_jigsaw("garden", 2, 3);
    make_own_jigsaw("alpha", 2, 2);  // his own alpha hides the library's
    make_grid_jigsaw("alpha", 1, 2);
    list_jigsaws();
    EXPECT_EQ(listed(), (std::vector<std::string>{"alpha", "garden", "0000bexil"}));
    EXPECT_EQ(jigsaw_count, 3);
    ASSERT_TRUE(start_jigsaw("garden"));
    EXPECT_EQ(jigsaw_dir, own_jigsaws_dir + "/garden");
    EXPECT_EQ(piece_count, 6);
    ASSERT_TRUE(start_jigsaw("alpha"));
    EXPECT_EQ(piece_count, 4);
    ASSERT_TRUE(start_jigsaw("0000bexil"));
    EXPECT_EQ(jigsaw_dir, "jigsaws/0000bexil");
    // The thumbnails come from the same folders: every entry takes a cell.
    screen_state = SCREEN_NEW;
    draw_jigsaw_page(SCREEN_NEW);
    for (const tn3_type& entry : *jigsaw_list) EXPECT_NE(entry.img, nullptr) << entry.tessellon;
}

TEST_F(PlayerFolder, AGameOfAnOwnJigsawSavesIntoTheDataFolderAndResumes) {
    install_marker();
    ensure_player_dir();
    make_own_jigsaw("garden", 2, 3);
    ASSERT_TRUE(start_jigsaw("garden"));
    pieces[4].x = 321;
    ASSERT_TRUE(save_game());
    EXPECT_TRUE(fs::exists(player_dir + "garden.txt"));
    EXPECT_FALSE(fs::exists("players"));
    ASSERT_TRUE(start_jigsaw("0000bexil"));
    arm_message_answer();
    ASSERT_TRUE(resume_saved_game("garden"));
    EXPECT_FALSE(message_was_shown());
    EXPECT_EQ(jigsaw_dir, own_jigsaws_dir + "/garden");
    EXPECT_EQ(piece_count, 6);
    EXPECT_EQ(pieces[4].x, 321);
}

TEST_F(PlayerFolder, AMissingOwnJigsawsFolderIsNoFault) {
    install_marker();
    ensure_player_dir();
    fs::remove_all(own_jigsaws_dir);
    make_grid_jigsaw("alpha", 1, 2);
    arm_message_answer();
    list_jigsaws();
    EXPECT_FALSE(message_was_shown());
    EXPECT_EQ(listed(), (std::vector<std::string>{"alpha", "0000bexil"}));
}

TEST_F(PlayerFolder, KillDeletesOwnJigsawsAndRefusesInstalledOnesWithOneMessage) {
    install_marker();
    ensure_player_dir();
    make_grid_jigsaw("alpha", 1, 2);
    make_grid_jigsaw("beta", 1, 2);
    make_own_jigsaw("garden", 1, 2);
    list_jigsaws();
    for (tn3_type& entry : *jigsaw_list)
        if (entry.tessellon != RESERVED_JIGSAW_NAME) entry.marked = 1;
    EXPECT_TRUE(jigsaw_installed("alpha"));
    EXPECT_FALSE(jigsaw_installed("garden"));
    arm_message_answer();
    kill_marked_jigsaws();
    EXPECT_TRUE(message_was_shown());  // one message for both refusals
    EXPECT_EQ(events_waiting(), 0);
    EXPECT_FALSE(fs::exists(own_jigsaws_dir + "/garden"));
    EXPECT_TRUE(fs::exists("jigsaws/alpha/pieces.txt"));
    EXPECT_TRUE(fs::exists("jigsaws/beta/pieces.txt"));
    EXPECT_FALSE(delete_jigsaw_folder("alpha"));
    EXPECT_TRUE(fs::exists("jigsaws/alpha/pieces.txt"));
    EXPECT_EQ(jigsaw_name, "0000bexil");
    EXPECT_EQ(screen_state, SCREEN_JIGSAW);
}

}  // namespace
