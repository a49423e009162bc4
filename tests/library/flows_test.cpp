// The new, load and delete screens and the kill, quick-pick and do-new
// flows: what a click on a thumbnail starts or marks, what the A and U
// keys mark, a kill that deletes exactly the marked folders (never
// through a symbolic link, never the reserved jigsaw, never outside
// jigsaws/), quick pick's other jigsaw, and do-new's choice.
#include "storage_fixture.h"

namespace {

namespace fs = std::filesystem;

struct Flows : StorageFixture {
    void SetUp() override {
        StorageFixture::SetUp();
        free_lists();
        screen_state = SCREEN_JIGSAW;
        click_pending = 0;
        make_grid_jigsaw("0000bexil", 1, 2);
    }
    void TearDown() override {
        free_lists();
        if (cross_image) free_image(cross_image);
        cross_image = nullptr;
        StorageFixture::TearDown();
    }
    static void free_lists() {
        for (TList<tn3_type>* list : {jigsaw_list, saved_list}) {
            for (tn3_type& entry : *list)
                if (entry.img) free_image(entry.img);
            list_clear(list);
        }
        jigsaw_page = saved_page = 0;
    }
    static tn3_type* entry_named(const std::string& name) {
        for (tn3_type& entry : *jigsaw_list)
            if (entry.tessellon == name) return &entry;
        return nullptr;
    }
    static void mouse_at(int x, int y) {
        TEvent e;
        e.id = EVENT_MOUSE_MOVE;
        e.x = x;
        e.y = y;
        emit_event(e);
    }
    // A click at (x, y) handed to the current screen's frame.
    static void click_on(void (*frame)(), int x, int y) {
        mouse_at(x, y);
        click_pending = 1;
        frame();
    }
    static void saved_game_of(const std::string& name) {
        ASSERT_TRUE(write_png("players/default/" + name + ".png", 264, 198, 0xFF808080));
    }
    // Folders that are only listed (no pieces): a picture is enough.
    static void listed_only(const std::string& name) {
        fs::create_directories("jigsaws/" + name);
        ASSERT_TRUE(write_png("jigsaws/" + name + "/tn.png", 40, 30, 0xFF000000));
    }
};

// --- the browser screens ------------------------------------------------------------

TEST_F(Flows, AThumbnailClickOnNewStartsThatJigsaw) {
    make_grid_jigsaw("alpha", 2, 2);
    make_grid_jigsaw("beta", 2, 3);
    screen_state = SCREEN_NEW;
    new_screen_frame();                                // reads the library and draws it
    click_on(new_screen_frame, 8 + 98 + 10, 66 + 10);  // the second cell
    EXPECT_EQ(jigsaw_name, "beta");
    EXPECT_EQ(piece_count, 6);
    EXPECT_EQ(screen_state, SCREEN_JIGSAW);
    EXPECT_EQ(click_pending, 0);
}

TEST_F(Flows, AClickOnNothingIsLeftToTheLoop) {
    make_grid_jigsaw("alpha", 2, 2);
    screen_state = SCREEN_NEW;
    click_on(new_screen_frame, 400, 500);
    EXPECT_EQ(click_pending, 1);
    EXPECT_EQ(screen_state, SCREEN_NEW);
    EXPECT_EQ(jigsaw_name, "");
}

TEST_F(Flows, LoadWithNoSavedGamesGoesBackToTheBoardAndSaysSo) {
    screen_state = SCREEN_LOAD;
    load_screen_frame();
    EXPECT_EQ(status_message, "I can't find any saved jigsaws to load");
    EXPECT_EQ(screen_state, SCREEN_JIGSAW);
}

TEST_F(Flows, AThumbnailClickOnLoadResumesThatGame) {
    make_grid_jigsaw("alpha", 2, 2);
    ASSERT_TRUE(start_jigsaw("alpha"));
    pieces[3].x = 517;
    ASSERT_TRUE(save_game());
    ASSERT_TRUE(start_jigsaw("0000bexil"));
    screen_state = SCREEN_LOAD;
    load_screen_frame();
    EXPECT_EQ(saved_count, 1);
    click_on(load_screen_frame, 8 + 50, 66 + 50);
    EXPECT_EQ(jigsaw_name, "alpha");
    EXPECT_EQ(pieces[3].x, 517);
    EXPECT_EQ(screen_state, SCREEN_JIGSAW);
    EXPECT_EQ(click_pending, 0);
}

// --- marking ---------------------------------------------------------------------------

TEST_F(Flows, AClickFlipsAMarkButNeverOnANameBeginningWith0000) {
    make_grid_jigsaw("0000mine", 1, 2);
    listed_only("alpha");
    screen_state = SCREEN_DELETE;
    delete_screen_frame();  // 0000mine, alpha, 0000bexil
    ASSERT_EQ(entry_named("0000bexil")->x, 8 + 2 * 98);
    click_on(delete_screen_frame, 8 + 98 + 5, 70);
    EXPECT_EQ(entry_named("alpha")->marked, 1);
    EXPECT_EQ(click_pending, 0);
    click_on(delete_screen_frame, 8 + 5, 70);
    EXPECT_EQ(entry_named("0000mine")->marked, 0);
    EXPECT_EQ(click_pending, 0);  // consumed all the same
    click_on(delete_screen_frame, 8 + 2 * 98 + 5, 70);
    EXPECT_EQ(entry_named("0000bexil")->marked, 0);
    click_on(delete_screen_frame, 8 + 98 + 5, 70);
    EXPECT_EQ(entry_named("alpha")->marked, 0);
    EXPECT_EQ(count_marked(), 0);
}

TEST_F(Flows, AMarksTheThumbnailsShownOnThePageAndUUnmarksThem) {
    // 57 jigsaws with thumbnails but j120, the reserved entry last: j120
    // takes no cell, so page 1 shows j101 .. j157 but j120.
    for (int i = 1; i <= 57; i++) {
        std::string name = "j" + std::to_string(100 + i);
        if (i == 20)
            fs::create_directories("jigsaws/" + name);
        else
            listed_only(name);
    }
    screen_state = SCREEN_DELETE;
    delete_screen_frame();
    ASSERT_EQ(jigsaw_pages, 2);
    mark_page(1);
    EXPECT_EQ(entry_named("j120")->marked, 0);  // no cell, no cross
    EXPECT_EQ(entry_named("j157")->marked, 1);  // moved up into a cell
    int crossed = 0;
    for (const tn3_type& entry : *jigsaw_list)
        if (entry.marked && jigsaw_drawn(entry)) crossed++;
    EXPECT_EQ(count_marked(), 56);
    EXPECT_EQ(crossed, count_marked());
    EXPECT_EQ(page_title_text(SCREEN_DELETE), "Page 1 of 2   Press K to Kill 56 jigsaws");
    // Page 2 starts at entry 57, j157 again, then the reserved entry,
    // which is never marked.
    jigsaw_page = 2;
    delete_screen_frame();
    mark_page(1);
    EXPECT_EQ(entry_named("0000bexil")->marked, 0);
    mark_page(0);
    EXPECT_EQ(entry_named("j157")->marked, 0);
    EXPECT_EQ(count_marked(), 55);  // page 1's other marks stay
    jigsaw_page = 1;
    delete_screen_frame();
    mark_page(0);
    EXPECT_EQ(count_marked(), 0);
}

TEST_F(Flows, AMarksNoJigsawInstalledWithTheGame) {
    listed_only("alpha");  // the installed library's
    fs::create_directories("own/garden");
    ASSERT_TRUE(write_png("own/garden/tn.png", 40, 30, 0xFF000000));
    own_jigsaws_dir = "own";
    screen_state = SCREEN_DELETE;
    delete_screen_frame();  // alpha, garden, 0000bexil
    ASSERT_EQ(entry_named("garden")->x, 8 + 98);
    mark_page(1);
    EXPECT_EQ(entry_named("alpha")->marked, 0);
    EXPECT_EQ(entry_named("garden")->marked, 1);
    EXPECT_EQ(page_title_text(SCREEN_DELETE), "Page 1 of 1   Press K to Kill 1 jigsaw");
    // A click still marks it, and the kill refuses it with a message.
    click_on(delete_screen_frame, 8 + 5, 70);  // alpha's cell
    EXPECT_EQ(entry_named("alpha")->marked, 1);
    own_jigsaws_dir = "";
}

TEST_F(Flows, AMarksOther0000Names) {
    listed_only("0000mine");
    screen_state = SCREEN_DELETE;
    delete_screen_frame();
    mark_page(1);
    EXPECT_EQ(entry_named("0000mine")->marked, 1);
    EXPECT_EQ(entry_named("0000bexil")->marked, 0);
}

// --- killing ----------------------------------------------------------------------------

TEST_F(Flows, KillDeletesExactlyTheMarkedFoldersAndDealsTheReservedJigsaw) {
    make_grid_jigsaw("alpha", 2, 2);
    make_grid_jigsaw("beta", 2, 2);
    make_grid_jigsaw("gamma", 2, 2);
    ASSERT_TRUE(start_jigsaw("beta"));
    ASSERT_TRUE(save_game());
    list_jigsaws();
    entry_named("beta")->marked = 1;
    entry_named("gamma")->marked = 1;
    box_count[2] = 3;
    screen_state = SCREEN_DELETE;
    arm_message_answer();
    kill_marked_jigsaws();
    EXPECT_FALSE(message_was_shown());
    EXPECT_TRUE(fs::exists("jigsaws/alpha/pieces.txt"));
    EXPECT_FALSE(fs::exists("jigsaws/beta"));
    EXPECT_FALSE(fs::exists("jigsaws/gamma"));
    EXPECT_TRUE(fs::exists("jigsaws/0000bexil/pieces.txt"));
    EXPECT_TRUE(fs::exists("players/default/beta.txt"));  // the saved game stays
    EXPECT_EQ(jigsaw_name, "0000bexil");
    EXPECT_EQ(piece_count, 2);
    EXPECT_EQ(box_count[2], 0);
    EXPECT_EQ(screen_state, SCREEN_JIGSAW);
    EXPECT_EQ(jigsaw_page, 0);
    // The library read again has lost them; the saved list still has beta.
    screen_state = SCREEN_NEW;
    new_screen_frame();
    std::vector<std::string> names;
    for (const tn3_type& entry : *jigsaw_list) names.push_back(entry.tessellon);
    EXPECT_EQ(names, (std::vector<std::string>{"alpha", "0000bexil"}));
    list_saved_games();
    EXPECT_EQ(saved_list->front().tessellon, "beta");
}

TEST_F(Flows, KillLetsGoOfEverythingTheKilledGameHeld) {
    make_grid_jigsaw("alpha", 2, 2);
    make_grid_jigsaw("beta", 2, 3);
    ASSERT_TRUE(start_jigsaw("alpha"));
    held_piece = 3;  // carried over to the delete screen with K
    grab_dx = grab_dy = 0;
    picture_dragging = 1;
    tray_count = 4;
    pending_confirm = ASK_RESTART;
    right_click_pending = 1;
    completion_seen = 1;
    intro_pending = 1;  // K during the opening flight
    pointer_visible = 0;
    list_jigsaws();
    entry_named("alpha")->marked = 1;
    screen_state = SCREEN_DELETE;
    kill_marked_jigsaws();
    EXPECT_EQ(jigsaw_name, "0000bexil");
    EXPECT_EQ(held_piece, 0);
    EXPECT_EQ(picture_dragging, 0);
    EXPECT_EQ(tray_count, 0);
    EXPECT_EQ(pending_confirm, "");
    EXPECT_EQ(right_click_pending, 0);
    EXPECT_EQ(completion_seen, 0);
    EXPECT_EQ(intro_pending, 0);  // the next flight is a completion's
    EXPECT_EQ(pointer_visible, 1);
    // The jigsaw dealt next starts with nothing held either.
    screen_state = SCREEN_NEW;
    new_screen_frame();
    click_on(new_screen_frame, 8 + 10, 66 + 10);  // beta, the first cell now
    ASSERT_EQ(jigsaw_name, "beta");
    EXPECT_EQ(held_piece, 0);
}

TEST_F(Flows, KillRemovesLinksInsideAMarkedFolderWithoutTouchingTheirTargets) {
    fs::create_directories("outside/keep");
    write_text("outside/keep/precious.txt", "mine");
    write_text("outside/file.txt", "mine too");
    make_grid_jigsaw("alpha", 1, 2);
    fs::create_directories("jigsaws/alpha/sub");
    fs::create_directory_symlink(root + "/outside/keep", "jigsaws/alpha/sub/folder_link");
    fs::create_symlink(root + "/outside/file.txt", "jigsaws/alpha/file_link");
    // A library entry that is itself a link to a folder outside jigsaws/.
    fs::create_directory_symlink(root + "/outside/keep", "jigsaws/linked");
    list_jigsaws();
    ASSERT_NE(entry_named("linked"), nullptr);
    entry_named("alpha")->marked = 1;
    entry_named("linked")->marked = 1;
    arm_message_answer();
    kill_marked_jigsaws();
    EXPECT_FALSE(message_was_shown());  // "Unable to delete" for neither
    EXPECT_FALSE(fs::exists(fs::symlink_status("jigsaws/alpha")));
    EXPECT_FALSE(fs::exists(fs::symlink_status("jigsaws/linked")));
    EXPECT_EQ(read_text("outside/keep/precious.txt"), "mine");
    EXPECT_EQ(read_text("outside/file.txt"), "mine too");
}

TEST_F(Flows, KillWithNoMarksDeletesNothing) {
    make_grid_jigsaw("alpha", 1, 2);
    list_jigsaws();
    kill_marked_jigsaws();
    EXPECT_TRUE(fs::exists("jigsaws/alpha/pieces.txt"));
    EXPECT_EQ(jigsaw_name, "0000bexil");
}

TEST_F(Flows, KillWithABrokenReservedJigsawLeavesTheOldPiecesAsAFreshGame) {
    make_grid_jigsaw("alpha", 2, 2);
    ASSERT_TRUE(start_jigsaw("alpha"));
    picture_shown = 1;
    current_box = 4;
    box_count[3] = 2;
    show_grouped = 0;
    completion_seen = 1;
    pending_confirm = ASK_RESTART;
    fs::remove("jigsaws/0000bexil/pieces.txt");
    list_jigsaws();
    arm_message_answer();
    kill_marked_jigsaws();
    EXPECT_TRUE(message_was_shown());  // "can't find" the reserved pieces file
    EXPECT_EQ(jigsaw_name, "alpha");
    EXPECT_EQ(piece_count, 4);
    EXPECT_EQ(picture_shown, 0);
    EXPECT_EQ(current_box, 1);
    EXPECT_EQ(box_count[3], 0);
    EXPECT_EQ(show_grouped, 1);
    EXPECT_EQ(completion_seen, 0);
    EXPECT_EQ(pending_confirm, "");
    EXPECT_EQ(screen_state, SCREEN_JIGSAW);
}

TEST_F(Flows, DeletionRefusesTheReservedJigsawAndNamesThatLeaveTheLibrary) {
    fs::create_directories("victim/inner");
    fs::create_directories("jigsaws/alpha");
    EXPECT_FALSE(delete_jigsaw_folder("0000bexil"));
    EXPECT_FALSE(delete_jigsaw_folder("../victim"));
    EXPECT_FALSE(delete_jigsaw_folder(".."));
    EXPECT_FALSE(delete_jigsaw_folder("."));
    EXPECT_FALSE(delete_jigsaw_folder(""));
    EXPECT_FALSE(delete_jigsaw_folder("alpha/../../victim"));
    EXPECT_FALSE(delete_jigsaw_folder("..\\victim"));
    EXPECT_TRUE(fs::exists("victim/inner"));
    EXPECT_TRUE(fs::exists("jigsaws/0000bexil/pieces.txt"));
    EXPECT_TRUE(fs::exists("jigsaws/alpha"));
    // A marked reserved entry (marks set by hand) survives a kill.
    list_jigsaws();
    jigsaw_list->back().marked = 1;
    kill_marked_jigsaws();
    EXPECT_TRUE(fs::exists("jigsaws/0000bexil/pieces.txt"));
    EXPECT_TRUE(delete_jigsaw_folder("alpha"));
    EXPECT_FALSE(fs::exists("jigsaws/alpha"));
}

// --- quick pick and do-new ---------------------------------------------------------------

TEST_F(Flows, QuickPickNeverPicksTheCurrentJigsawAgain) {
    make_grid_jigsaw("alpha", 1, 2);
    make_grid_jigsaw("beta", 2, 2);
    ASSERT_TRUE(start_jigsaw("alpha"));
    seed_random(7);
    for (int i = 0; i < 20; i++) {
        std::string before = jigsaw_name;
        quick_pick();
        EXPECT_NE(jigsaw_name, before);
        EXPECT_EQ(screen_state, SCREEN_JIGSAW);
    }
    EXPECT_EQ(jigsaw_page, 1);  // read once, when first needed
}

TEST_F(Flows, QuickPickWithOnlyTheCurrentJigsawDealsItAfresh) {
    ASSERT_TRUE(start_jigsaw("0000bexil"));
    pieces[1].gp = pieces[2].gp = 1;
    box_count[1] = 2;
    quick_pick();  // only the reserved jigsaw exists: it must end
    EXPECT_EQ(jigsaw_name, "0000bexil");
    EXPECT_EQ(pieces[1].gp, 0);
    EXPECT_EQ(box_count[1], 0);
}

TEST_F(Flows, QuickPickAfterAKillPicksOnlyJigsawsThatRemain) {
    make_grid_jigsaw("alpha", 1, 2);
    make_grid_jigsaw("beta", 1, 2);
    list_jigsaws();
    entry_named("beta")->marked = 1;
    kill_marked_jigsaws();  // on the reserved jigsaw now
    for (int i = 0; i < 10; i++) {
        quick_pick();
        EXPECT_NE(jigsaw_name, "beta");
    }
}

TEST_F(Flows, DoNewWithNoSavedGamesStartsTheFirstLibraryJigsaw) {
    make_grid_jigsaw("beta", 2, 2);
    make_grid_jigsaw("alpha", 1, 3);
    screen_state = SCREEN_NEW;
    do_new();
    EXPECT_EQ(jigsaw_name, "alpha");
    EXPECT_EQ(piece_count, 3);
    EXPECT_EQ(screen_state, SCREEN_JIGSAW);
}

TEST_F(Flows, DoNewStartsTheFirstJigsawWithoutASavedGame) {
    make_grid_jigsaw("alpha", 1, 2);
    make_grid_jigsaw("beta", 1, 3);
    make_grid_jigsaw("gamma", 2, 2);
    saved_game_of("alpha");
    saved_game_of("gamma");
    do_new();
    EXPECT_EQ(jigsaw_name, "beta");
    // With saved games of every folder jigsaw, the reserved one is next.
    saved_game_of("beta");
    saved_page = 0;  // as a save would leave it
    do_new();
    EXPECT_EQ(jigsaw_name, "0000bexil");
}

TEST_F(Flows, DoNewSkipsSavedGamesOfKilledJigsaws) {
    make_grid_jigsaw("beta", 1, 2);
    make_grid_jigsaw("gamma", 1, 3);
    saved_game_of("alpha");  // its jigsaw was killed
    saved_game_of("beta");
    do_new();
    EXPECT_EQ(jigsaw_name, "gamma");
}

TEST_F(Flows, DoNewPicksTheUnsavedJigsawWhenAKilledJigsawsGameEvensTheLists) {
    make_grid_jigsaw("alpha", 1, 2);
    make_grid_jigsaw("beta", 1, 3);
    saved_game_of("alpha");
    saved_game_of("kappa");  // its jigsaw was killed
    saved_game_of("0000bexil");
    seed_random(3);
    for (int i = 0; i < 5; i++) {
        ASSERT_TRUE(start_jigsaw("alpha"));
        do_new();  // three entries in each list, yet beta has no saved game
        EXPECT_EQ(jigsaw_name, "beta");
    }
}

TEST_F(Flows, DoNewWithEverythingSavedMakesAQuickPick) {
    make_grid_jigsaw("alpha", 1, 2);
    saved_game_of("alpha");
    saved_game_of("0000bexil");
    ASSERT_TRUE(start_jigsaw("alpha"));
    do_new();
    EXPECT_EQ(jigsaw_name, "0000bexil");  // the only other jigsaw
    saved_game_of("zulu");                // a killed jigsaw's game: the saved list is longer
    saved_page = 0;
    do_new();
    EXPECT_EQ(jigsaw_name, "alpha");
}

}  // namespace
