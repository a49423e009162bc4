// Saving the game when the player leaves it, driven through the loop: with
// the preference on, every way out of the program (Escape twice, the exit
// box's yes, the window's close request, the media layer's leaving hook)
// and every flow that replaces the jigsaw (N, L, D, Q, R, a kill) writes
// the saved game of the game being left, as S writes it, before anything
// else happens; with it off, or over the opening or no jigsaw at all,
// nothing is written.
#include <filesystem>

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
    // The saved game of beta as S writes it now, kept aside; the files
    // themselves are removed so that only a later save brings them back.
    static std::string bytes_as_s_saves() {
        save_command();
        std::string bytes = support::read_text(saved("beta"));
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
    // The player's input at that tick: a tick, then a pointer motion.
    static void input_at(int ticks) {
        tick(ticks);
        move_to(700, 500);
        main_loop_iteration();
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
    tick(idle);
    std::string background = support::read_text(saved("beta"));
    EXPECT_EQ(saved_x("beta"), MARK_X);
    EXPECT_TRUE(thumbnail_written("beta"));
    EXPECT_EQ(status_message, "");  // S would say "jigsaw saved"
    EXPECT_EQ(screen_state, SCREEN_JIGSAW);
    ASSERT_TRUE(take_saved_beta());
    EXPECT_EQ(bytes_as_s_saves(), background);
}

TEST_F(SaveOnLeave, BackgroundSavesComeAtMostOnceAMinuteAndOnlyAfterAChange) {
    const int first = 100 + AUTOSAVE_IDLE_TICKS;
    input_at(100);
    tick(first);
    ASSERT_TRUE(take_saved_beta());
    // Changed and idle again, but within the minute: nothing until it ends.
    pieces[1].x = MARK_X + 7;
    input_at(200);
    tick(200 + AUTOSAVE_IDLE_TICKS);
    tick(first + AUTOSAVE_GAP_TICKS - 1);
    EXPECT_FALSE(fs::exists(saved("beta")));
    tick(first + AUTOSAVE_GAP_TICKS);
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
