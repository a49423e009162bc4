// Saving the game when the player leaves it, driven through the loop: with
// the preference on, every way out of the program (Escape twice, the exit
// box's yes, the window's close request, the media layer's leaving hook)
// and every flow that replaces the jigsaw (N, L, D, Q, R, a kill) writes
// the saved game of the game being left, as S writes it, before anything
// else happens; with it off, or over the opening or no jigsaw at all,
// nothing is written. Saving while playing writes on the background
// writer's thread; the tests collect its write before they look.
#include <algorithm>
#include <filesystem>

#include "media/media_internal.h"
#include "media/null/null_backend.h"
#include "tests/shell/library_loop.h"
#include "tests/support/files.h"

namespace {

namespace fs = std::filesystem;

struct SaveOnLeave : LibraryLoop {
    static constexpr int MARK_X = 123;  // where piece 1 of the game being left lies

    void SetUp() override {
        LibraryLoop::SetUp();
        exit_image = solid_image(375, 110, 0xFF808080);
        pref_save_on_leave = 1;
        pref_save_message = 1;
        // The player's game: beta dealt by a flow, piece 1 moved by hand.
        ASSERT_TRUE(start_jigsaw("beta"));
        ASSERT_EQ(player_game_on_board, 1);
        pieces[1].x = MARK_X;
        pieces[1].y = 200;
        // A saved game of alpha whose piece 1 lies elsewhere, for L.
        support::SavedPiece alpha;
        alpha.x = 300;
        alpha.y = 250;
        alpha.order = 1;
        ASSERT_TRUE(support::write_text("players/default/alpha.txt", support::saved_game_text({alpha}, 1, 2, 3)));
        saved_values_name.clear();
        reset_autosave();
    }
    void TearDown() override {
        finish_background_save(true);
        file_faults = TFileFaults();
        pref_save_on_leave = 0;
        player_game_on_board = 0;
        LibraryLoop::TearDown();
    }

    static std::string saved(const std::string& name) { return "players/default/" + name + ".txt"; }
    // The x of piece 1 in a saved game; -1 when there is none.
    static int saved_x(const std::string& name) {
        std::string text = support::read_text(saved(name));
        return text.empty() ? -1 : text_to_int(text.substr(0, text.find('\r')));
    }
    // The saved game of beta as S writes it now (and its thumbnail, when
    // asked), kept aside; the files themselves are removed so that only a
    // later save brings them back.
    static std::string bytes_as_s_saves(std::string* thumbnail = nullptr) {
        save_command();
        std::string bytes = support::read_text(saved("beta"));
        if (thumbnail) *thumbnail = support::read_text("players/default/beta.png");
        fs::remove(saved("beta"));
        fs::remove("players/default/beta.png");
        status_message = "";
        return bytes;
    }
    static bool thumbnail_written(const std::string& name) {
        TPixmap* thumb = load_pixmap("players/default/" + name + ".png");
        bool sized = thumb && thumb->width == 264 && thumb->height == 198;
        if (thumb) free_pixmap(thumb);
        return sized;
    }
    // Answers the "press any key" message of a failed save.
    static void arm_message_answer() {
        TEvent key;
        key.id = EVENT_KEY_DOWN;
        key.data = ' ';
        null_push_event_for_wait(key);
    }
    // A click on the thumbnail of that entry of a browser's list, where
    // the page drawn last put it.
    void click_entry(TList<tn3_type>* list, const std::string& name) {
        for (const tn3_type& entry : *list) {
            if (entry.tessellon != name) continue;
            click(entry.x + 5, entry.y + 5);
            run(1);  // the browser's frame takes the click
            return;
        }
        ADD_FAILURE() << name << " is not listed";
    }
    // One frame-timer tick with that count, through the loop.
    static void tick(int ticks) {
        queue(EVENT_TIMER_TICK, ticks);
        main_loop_iteration();
    }
    // The player's input at that tick: the clock there, then a pointer
    // motion. No tick runs, so no save falls due before the test has set
    // up what it wants of it.
    static void input_at(int ticks) {
        autosave_now = ticks;
        move_to(700, 500);
        main_loop_iteration();
    }
    // The background writer's files collected (it is waited for).
    static void collect() { finish_background_save(true); }
    // The next background write's two files commit slowly, so that it
    // still runs when the test goes on.
    static void slow_writer() {
        file_faults.slow_files = 2;
        file_faults.slow_commit_ms = 300;
    }
    // What the player's folder holds, sorted: a temporary file left over
    // shows there.
    static std::vector<std::string> player_files() {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator("players/default")) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // Removes beta's saved game and thumbnail; true when the game file was there.
    static bool take_saved_beta() {
        bool there = fs::exists(saved("beta"));
        fs::remove(saved("beta"));
        fs::remove("players/default/beta.png");
        return there;
    }
    void click_exit_yes() {
        int left = (800 - 375) / 2, top = (600 - 110) / 2;
        click(left + 149, top + 29);
    }
};

// --- the ways out of the program --------------------------------------------

TEST_F(SaveOnLeave, EscapeTwiceSavesAsSThenEnds) {
    std::string expected = bytes_as_s_saves();
    press(KEY_ESCAPE);
    EXPECT_FALSE(fs::exists(saved("beta")));  // the question alone saves nothing
    EXPECT_EXIT(press(KEY_ESCAPE), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(support::read_text(saved("beta")), expected);
    EXPECT_TRUE(thumbnail_written("beta"));
}

TEST_F(SaveOnLeave, TheExitBoxYesSavesThenEnds) {
    std::string expected = bytes_as_s_saves();
    press(KEY_ESCAPE);
    EXPECT_EXIT(click_exit_yes(), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(support::read_text(saved("beta")), expected);
    EXPECT_TRUE(thumbnail_written("beta"));
}

TEST_F(SaveOnLeave, TheWindowCloseRequestSavesThenEnds) {
    std::string expected = bytes_as_s_saves();
    screen_state = SCREEN_BOX;  // from any screen: the board is what is saved
    EXPECT_EXIT(
        {
            queue(EVENT_QUIT, 0);
            main_loop_iteration();
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(support::read_text(saved("beta")), expected);
    EXPECT_TRUE(thumbnail_written("beta"));
}

TEST_F(SaveOnLeave, TheMediaLayersLeavingHookSavesAsS) {
    // What a termination signal or a lost X server runs before the end.
    std::string expected = bytes_as_s_saves();
    ASSERT_NE(leaving_hook, nullptr);
    leaving_hook();
    EXPECT_EQ(support::read_text(saved("beta")), expected);
    EXPECT_TRUE(thumbnail_written("beta"));
}

TEST_F(SaveOnLeave, AFailedSaveOnTheWayOutShowsItsMessageAndStillEnds) {
    // A folder where the game file would be: no file can replace it,
    // whoever runs the test.
    fs::create_directories(saved("beta"));
    press(KEY_ESCAPE);
    EXPECT_EXIT(
        {
            arm_message_answer();
            press(KEY_ESCAPE);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_TRUE(fs::is_empty(saved("beta")));  // still the folder, nothing written
    // Outside the exit, the same failure shows the message and goes on.
    arm_message_answer();
    save_before_leaving();
    EXPECT_EQ(events_waiting(), 1);  // the message took the armed key and left it queued
    while (events_waiting() > 0) wait_event();
}

// --- the flows that replace the jigsaw -----------------------------------------

TEST_F(SaveOnLeave, NewSavesTheGameBeforeTheChosenJigsawLoads) {
    press(KEY_N);
    ASSERT_EQ(screen_state, "new1");
    run(1);
    click_entry(jigsaw_list, "alpha");
    EXPECT_EQ(jigsaw_name, "alpha");
    EXPECT_EQ(saved_x("beta"), MARK_X);
    EXPECT_TRUE(thumbnail_written("beta"));
}

TEST_F(SaveOnLeave, LoadSavesTheGameBeforeResumingAnother) {
    press(KEY_L);
    ASSERT_EQ(screen_state, "load1");
    run(1);
    click_entry(saved_list, "alpha");
    EXPECT_EQ(jigsaw_name, "alpha");
    EXPECT_EQ(pieces[1].x, 300);
    EXPECT_EQ(saved_x("beta"), MARK_X);
}

TEST_F(SaveOnLeave, LoadOfTheGameOnTheBoardResumesItAsItWas) {
    // beta's saved game on disk is older than the game on the board.
    std::string older = bytes_as_s_saves();
    support::write_text(saved("beta"), older);
    ASSERT_TRUE(support::write_solid_png("players/default/beta.png", 264, 198, COLOUR));
    pieces[1].x = MARK_X + 50;
    ASSERT_TRUE(resume_saved_game("beta"));
    EXPECT_EQ(jigsaw_name, "beta");
    EXPECT_EQ(pieces[1].x, MARK_X + 50);
    EXPECT_EQ(saved_x("beta"), MARK_X + 50);
}

TEST_F(SaveOnLeave, DoNewQuickPickAndRestartSaveBeforeTheyDeal) {
    press(KEY_R);
    press(KEY_Y);
    EXPECT_EQ(jigsaw_name, "beta");
    EXPECT_EQ(saved_x("beta"), MARK_X);  // saved before the new deal moved it

    fs::remove(saved("beta"));
    pieces[1].x = MARK_X;
    press(KEY_Q);
    press(KEY_Y);
    EXPECT_NE(jigsaw_name, "beta");
    EXPECT_EQ(saved_x("beta"), MARK_X);

    // Back on beta; do-new saves it, then starts the first jigsaw without
    // a saved game, which beta no longer is.
    ASSERT_TRUE(start_jigsaw("beta"));
    fs::remove(saved("beta"));
    fs::remove("players/default/beta.png");
    pieces[1].x = MARK_X;
    press(KEY_D);
    press(KEY_Y);
    EXPECT_EQ(saved_x("beta"), MARK_X);
    EXPECT_EQ(jigsaw_name, "0000bexil");
}

TEST_F(SaveOnLeave, AKillSavesTheGameBeforeTheOpeningJigsawIsDealt) {
    press(KEY_K);
    ASSERT_EQ(screen_state, "delete1");
    press(KEY_K);  // kills nothing marked, deals the opening jigsaw
    EXPECT_EQ(jigsaw_name, "0000bexil");
    EXPECT_EQ(saved_x("beta"), MARK_X);
}

// --- saving while playing ----------------------------------------------------------

TEST_F(SaveOnLeave, IdleAfterAChangeSavesQuietlyWhatSWrites) {
    const int input = 100, idle = input + AUTOSAVE_IDLE_TICKS;
    input_at(input);
    tick(idle - 1);
    EXPECT_FALSE(fs::exists(saved("beta")));  // before the idle delay
    EXPECT_FALSE(background_save_running());
    tick(idle);
    EXPECT_TRUE(background_save_running());   // handed to the writer's thread
    EXPECT_TRUE(game_changed_since_saved());  // saved once its write is collected
    collect();
    EXPECT_FALSE(background_save_running());
    EXPECT_FALSE(game_changed_since_saved());
    std::string background = support::read_text(saved("beta"));
    std::string background_thumbnail = support::read_text("players/default/beta.png");
    EXPECT_EQ(saved_x("beta"), MARK_X);
    EXPECT_TRUE(thumbnail_written("beta"));
    EXPECT_EQ(status_message, "");  // S would say "jigsaw saved"
    EXPECT_EQ(screen_state, SCREEN_JIGSAW);
    ASSERT_TRUE(take_saved_beta());
    std::string thumbnail;
    EXPECT_EQ(bytes_as_s_saves(&thumbnail), background);
    EXPECT_EQ(thumbnail, background_thumbnail);  // the PNG byte for byte too
    EXPECT_FALSE(thumbnail.empty());
}

TEST_F(SaveOnLeave, AFinishedPuzzleIsSavedInTheBackgroundWithItsOwnPicture) {
    pieces[1].gp = 1;
    pieces[1].a = 0;
    ASSERT_TRUE(puzzle_complete());
    completion_seen = 1;  // its celebration is over: the board is at rest
    input_at(100);
    tick(100 + AUTOSAVE_IDLE_TICKS);
    collect();
    TPixmap* thumb = load_pixmap("players/default/beta.png");
    ASSERT_NE(thumb, nullptr);
    EXPECT_EQ(thumb->width, 80);  // the jigsaw's 80x60 picture, decoded on the writer's thread
    EXPECT_EQ(thumb->height, 60);
    free_pixmap(thumb);
    std::string background = support::read_text("players/default/beta.png"), thumbnail;
    ASSERT_TRUE(take_saved_beta());
    bytes_as_s_saves(&thumbnail);
    EXPECT_EQ(thumbnail, background);
}

TEST_F(SaveOnLeave, TheWriterWritesTheGameAsCopiedAndAnotherSaveWaitsForIt) {
    input_at(100);
    slow_writer();
    tick(100 + AUTOSAVE_IDLE_TICKS);
    pieces[1].x = MARK_X + 4;                 // after the copy was taken
    EXPECT_FALSE(fs::exists(saved("beta")));  // play went on while the files are written
    // Another save due while the write runs waits for the next chance.
    int later = 100 + AUTOSAVE_IDLE_TICKS + AUTOSAVE_GAP_TICKS;
    input_at(later);
    EXPECT_FALSE(autosave_tick(later + AUTOSAVE_IDLE_TICKS));
    collect();
    EXPECT_EQ(saved_x("beta"), MARK_X);       // the values copied
    EXPECT_TRUE(game_changed_since_saved());  // the later change is not taken as saved
    EXPECT_TRUE(autosave_tick(later + AUTOSAVE_IDLE_TICKS + 1));
    collect();
    EXPECT_EQ(saved_x("beta"), MARK_X + 4);
    EXPECT_FALSE(game_changed_since_saved());
    EXPECT_EQ(player_files(), (std::vector<std::string>{"alpha.png", "alpha.txt", "beta.png", "beta.txt"}));
}

TEST_F(SaveOnLeave, SAndTheWayOutWaitForARunningWriteThenWriteTheirOwnGame) {
    struct writer_case {
        const char* name;
        void (*save)();
    };
    const writer_case cases[] = {
        {"S", [] { save_command(); }},
        {"the leaving hook", [] { leaving_hook(); }},
    };
    int ticks = 100;
    for (const writer_case& c : cases) {
        reset_autosave();
        pieces[1].x = MARK_X;
        input_at(ticks);
        slow_writer();
        tick(ticks + AUTOSAVE_IDLE_TICKS);
        ASSERT_TRUE(background_save_running()) << c.name;
        // Were the write not waited for, its slow files would land over these.
        pieces[1].x = MARK_X + 5;
        int synced = files_synced;
        c.save();
        EXPECT_FALSE(background_save_running()) << c.name;
        EXPECT_EQ(files_synced, synced + 8) << c.name << ": both writes whole, each file and its folder";
        EXPECT_EQ(saved_x("beta"), MARK_X + 5) << c.name;
        EXPECT_TRUE(thumbnail_written("beta")) << c.name;
        EXPECT_FALSE(game_changed_since_saved()) << c.name;
        EXPECT_EQ(player_files(), (std::vector<std::string>{"alpha.png", "alpha.txt", "beta.png", "beta.txt"}))
            << c.name;
        ASSERT_TRUE(take_saved_beta());
        ticks += 2 * (AUTOSAVE_IDLE_TICKS + AUTOSAVE_GAP_TICKS);
    }
}

TEST_F(SaveOnLeave, AFailedBackgroundWriteKeepsTheOldFilesAndShowsNothing) {
    struct fault_case {
        const char* name;
        int spare_files;  // files written before the fault
        int64_t after_bytes;
        bool sync, rename;
    };
    const fault_case cases[] = {
        {"disk full at once", 0, 0, false, false},
        {"disk full after 10 bytes", 0, 10, false, false},
        {"sync fails", 0, -1, true, false},
        {"rename fails", 0, -1, false, true},
        {"the thumbnail's rename fails", 1, -1, false, true},  // last: the game file is new
    };
    save_command();
    status_message = "";
    const std::string old_text = support::read_text(saved("beta"));
    const std::string old_thumbnail = support::read_text("players/default/beta.png");
    ASSERT_FALSE(old_thumbnail.empty());
    pieces[1].x = MARK_X + 6;
    int ticks = 100;
    for (const fault_case& c : cases) {
        reset_autosave();
        input_at(ticks);
        file_faults.spare_files = c.spare_files;
        file_faults.fail_after_bytes = c.after_bytes;
        file_faults.fail_sync = c.sync;
        file_faults.fail_rename = c.rename;
        tick(ticks + AUTOSAVE_IDLE_TICKS);
        collect();
        file_faults = TFileFaults();
        bool game_written = c.spare_files > 0;
        EXPECT_EQ(support::read_text(saved("beta")) == old_text, !game_written) << c.name;
        EXPECT_EQ(saved_x("beta"), game_written ? MARK_X + 6 : MARK_X) << c.name;
        EXPECT_EQ(support::read_text("players/default/beta.png"), old_thumbnail) << c.name;
        EXPECT_EQ(game_changed_since_saved(), !game_written) << c.name;  // tried again later
        EXPECT_EQ(status_message, "") << c.name;
        EXPECT_EQ(screen_state, SCREEN_JIGSAW) << c.name;
        EXPECT_EQ(events_waiting(), 0) << c.name;  // no message waits for a key
        EXPECT_EQ(player_files(), (std::vector<std::string>{"alpha.png", "alpha.txt", "beta.png", "beta.txt"}))
            << c.name;
        ticks += 2 * (AUTOSAVE_IDLE_TICKS + AUTOSAVE_GAP_TICKS);
    }
}

TEST_F(SaveOnLeave, TheProgramEndingWhileTheWriterRunsWaitsForItsFiles) {
    // Escape over the opening or a zoomed help page ends the program with
    // no save of its own; the write under way is finished all the same.
    EXPECT_EXIT(
        {
            input_at(100);
            slow_writer();
            tick(100 + AUTOSAVE_IDLE_TICKS);
            end_program();
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(saved_x("beta"), MARK_X);
    EXPECT_TRUE(thumbnail_written("beta"));
}

TEST_F(SaveOnLeave, BackgroundSavesComeAtMostOnceAMinuteAndOnlyAfterAChange) {
    const int first = 100 + AUTOSAVE_IDLE_TICKS;
    input_at(100);
    tick(first);
    collect();
    ASSERT_TRUE(take_saved_beta());
    // Changed and idle again, but within the minute: nothing until it ends.
    pieces[1].x = MARK_X + 7;
    input_at(200);
    tick(200 + AUTOSAVE_IDLE_TICKS);
    tick(first + AUTOSAVE_GAP_TICKS - 1);
    EXPECT_FALSE(fs::exists(saved("beta")));
    tick(first + AUTOSAVE_GAP_TICKS);
    collect();
    EXPECT_EQ(saved_x("beta"), MARK_X + 7);
    ASSERT_TRUE(take_saved_beta());
    // Input without a change, and a change that S saved: nothing to save.
    int later = first + 3 * AUTOSAVE_GAP_TICKS;
    input_at(later);
    tick(later + AUTOSAVE_IDLE_TICKS);
    EXPECT_FALSE(fs::exists(saved("beta")));
    pieces[1].x = MARK_X + 9;
    save_command();
    ASSERT_TRUE(take_saved_beta());
    later += 3 * AUTOSAVE_GAP_TICKS;
    input_at(later);
    tick(later + AUTOSAVE_IDLE_TICKS);
    EXPECT_FALSE(fs::exists(saved("beta")));
}

TEST_F(SaveOnLeave, NothingIsSavedInTheBackgroundOffTheRowTheOpeningAnEmptyBoardOrMidPlay) {
    struct blocked_case {
        const char* name;
        void (*block)();
    };
    const blocked_case cases[] = {
        {"the row off", [] { pref_save_on_leave = 0; }},
        {"the opening", [] { player_game_on_board = 0; }},
        {"no jigsaw", [] { jigsaw_name = ""; }},
        {"no pieces", [] { piece_count = 0; }},
        {"the box screen", [] { screen_state = SCREEN_BOX; }},
        {"a question open", [] { pending_confirm = "exit"; }},
        {"a piece carried", [] { held_piece = 1; }},
    };
    int ticks = 100;
    for (const blocked_case& c : cases) {
        ASSERT_TRUE(start_jigsaw("beta"));
        pieces[1].x = MARK_X;
        reset_autosave();
        c.block();
        input_at(ticks);
        tick(ticks + AUTOSAVE_IDLE_TICKS + AUTOSAVE_GAP_TICKS);
        EXPECT_FALSE(fs::exists(saved("beta"))) << c.name;
        EXPECT_FALSE(fs::exists("players/default/.txt")) << c.name;
        pref_save_on_leave = player_game_on_board = 1;
        jigsaw_name = "beta";
        screen_state = SCREEN_JIGSAW;
        pending_confirm = "";
        held_piece = 0;
        ticks += 2 * (AUTOSAVE_IDLE_TICKS + AUTOSAVE_GAP_TICKS);
    }
}

// --- when nothing is written ------------------------------------------------------

TEST_F(SaveOnLeave, WithThePreferenceOffNothingIsWrittenOnAnyWay) {
    pref_save_on_leave = 0;
    press(KEY_ESCAPE);
    EXPECT_EXIT(press(KEY_ESCAPE), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(
        {
            queue(EVENT_QUIT, 0);
            main_loop_iteration();
        },
        ::testing::ExitedWithCode(0), "");
    leaving_hook();
    press(KEY_R);
    press(KEY_Y);
    press(KEY_Q);
    press(KEY_Y);
    press(KEY_N);
    run(1);
    click_entry(jigsaw_list, "alpha");
    EXPECT_EQ(jigsaw_name, "alpha");
    press(KEY_L);
    run(1);
    click_entry(saved_list, "alpha");
    EXPECT_EQ(pieces[1].x, 300);  // alpha's saved game resumed
    press(KEY_D);
    press(KEY_Y);
    press(KEY_K);
    press(KEY_K);
    EXPECT_EQ(jigsaw_name, "0000bexil");  // every flow ran
    for (const char* name : {"beta", "0000bexil"}) {
        EXPECT_FALSE(fs::exists(saved(name))) << name;
        EXPECT_FALSE(fs::exists("players/default/" + std::string(name) + ".png")) << name;
    }
    EXPECT_EQ(saved_x("alpha"), 300);  // resumed, never written
}

TEST_F(SaveOnLeave, TheOpeningAndAnEmptyBoardAreNeverSaved) {
    // The title's opening jigsaw: no flow has dealt a game for the player.
    ASSERT_TRUE(load_default_jigsaw());
    player_game_on_board = 0;
    press(KEY_ESCAPE);
    EXPECT_EXIT(press(KEY_ESCAPE), ::testing::ExitedWithCode(0), "");
    EXPECT_FALSE(fs::exists(saved("0000bexil")));
    // R deals it afresh for the player without saving the opening; from
    // then on it is the player's game.
    press(KEY_R);
    press(KEY_Y);
    EXPECT_FALSE(fs::exists(saved("0000bexil")));
    EXPECT_EQ(player_game_on_board, 1);
    // L away from the opening saves nothing either, and the game resumed
    // is the player's, saved from then on.
    ASSERT_TRUE(load_default_jigsaw());
    player_game_on_board = 0;
    press(KEY_L);
    run(1);
    click_entry(saved_list, "alpha");
    EXPECT_EQ(jigsaw_name, "alpha");
    EXPECT_FALSE(fs::exists(saved("0000bexil")));
    EXPECT_EQ(player_game_on_board, 1);
    // No jigsaw at all: nothing to save, no file named after nothing.
    jigsaw_name = "";
    save_before_leaving();
    EXPECT_FALSE(fs::exists("players/default/.txt"));
}

}  // namespace
