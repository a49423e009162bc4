// The main loop driven through the event queue: the yes/no questions and
// the ways out, a row for every screen state, the help keys, the global
// keys and the box, jigsaw and delete keys with the rule that picks one of
// the last three, the 7-7-7 count, Control + click, the status line, and
// what follows the mouse.
#include "media/null/null_backend.h"
#include "screens/ui_geometry.h"
#include "tests/shell/library_loop.h"

namespace {

using Questions = LibraryLoop;
using HelpKeys = LibraryLoop;
using KeyTables = LibraryLoop;
using Clicks = LibraryLoop;
using Animations = LibraryLoop;
using PointerKeys = LibraryLoop;

// --- questions and the ways out -------------------------------------------

TEST_F(Questions, EscapeTwiceOnTheBoardAsksThenEnds) {
    press(KEY_ESCAPE);
    EXPECT_EQ(pending_confirm, "X");
    EXPECT_EQ(screen_state, "jigsaw");
    run(5);  // the question stays open over plain ticks
    EXPECT_EQ(pending_confirm, "X");
    EXPECT_EXIT(press(KEY_ESCAPE), ::testing::ExitedWithCode(0), "");
}

TEST_F(Questions, EscapeThenNWithdrawsWithoutOpeningTheNewBrowser) {
    press(KEY_ESCAPE);
    press(KEY_N);
    EXPECT_EQ(pending_confirm, "");
    EXPECT_EQ(screen_state, "jigsaw");
}

TEST_F(Questions, EscapeThenYWithdrawsAndAnswersNothing) {
    press(KEY_ESCAPE);
    press(KEY_Y);
    EXPECT_EQ(pending_confirm, "");
    EXPECT_EQ(screen_state, "jigsaw");
    EXPECT_EQ(jigsaw_name, "");  // no flow started a jigsaw
    EXPECT_EQ(jigsaw_page, 0);   // nor read the library
}

TEST_F(Questions, EscapeThenAnotherKeyWithdrawsAndTheKeyDoesItsWork) {
    press(KEY_ESCAPE);
    press(KEY_L);
    EXPECT_EQ(pending_confirm, "");
    EXPECT_EQ(screen_state, "load1");
}

TEST_F(Questions, EscapeDuringTheOpeningEndsWithoutAsking) {
    screen_state = SCREEN_ANIM;
    intro_pending = 1;
    anim_phase = 2;
    EXPECT_EXIT(press(KEY_ESCAPE), ::testing::ExitedWithCode(0), "");
}

TEST_F(Questions, EscapeAfterTheOpeningAsks) {
    screen_state = SCREEN_ANIM;
    intro_pending = 0;
    anim_phase = 2;
    queue(EVENT_KEY_DOWN, KEY_ESCAPE);
    main_loop_iteration();
    EXPECT_EQ(pending_confirm, "X");
}

TEST_F(Questions, DThenYRunsDoNewOnce) {
    press(KEY_D);
    EXPECT_EQ(pending_confirm, "D");
    press(KEY_Y);
    EXPECT_EQ(pending_confirm, "");
    EXPECT_EQ(jigsaw_name, "beta");  // the first library jigsaw without a saved game
    EXPECT_EQ(piece_count, 1);
    jigsaw_name = "after";
    run(3);
    EXPECT_EQ(jigsaw_name, "after");  // the answered question runs nothing again
}

TEST_F(Questions, DThenDOrNWithdrawsAndOpensNothing) {
    press(KEY_D);
    press(KEY_D);
    EXPECT_EQ(pending_confirm, "");
    press(KEY_D);
    press(KEY_N);
    EXPECT_EQ(pending_confirm, "");
    EXPECT_EQ(screen_state, "jigsaw");
    EXPECT_EQ(jigsaw_name, "");
}

TEST_F(Questions, QAndRAreAnsweredByYWithTheirOwnFlows) {
    press(KEY_Q);
    press(KEY_Y);
    EXPECT_NE(jigsaw_name, "");  // a library jigsaw was picked and loaded
    EXPECT_EQ(piece_count, 1);
    std::string picked = jigsaw_name;
    press(KEY_R);
    EXPECT_EQ(pending_confirm, "R");
    completion_seen = 1;
    press(KEY_Y);
    EXPECT_EQ(completion_seen, 0);  // the restart cleared the deal's state
    EXPECT_EQ(jigsaw_name, picked);
}

TEST_F(Questions, AskingLetsGoOfTheHeldPiece) {
    piece_count = 1;
    pieces[1] = piece_type();
    held_piece = 1;
    press(KEY_Q);
    EXPECT_EQ(held_piece, 0);
}

TEST_F(Questions, AnyOtherKeyDropsAQuestionButItsOwn) {
    press(KEY_Q);
    press(KEY_A);
    EXPECT_EQ(pending_confirm, "");
    press(KEY_D);
    press(KEY_ESCAPE);  // Escape replaces another question by the exit question
    EXPECT_EQ(pending_confirm, "X");
}

TEST_F(Questions, AClickOutsideTheYesRectangleAnswersNo) {
    do_new_image = solid_image(300, 140, 0xFF808080);
    press(KEY_D);
    int left = (800 - 300) / 2, top = (600 - 140) / 2;
    click(left + 153, top + 80);  // one pixel left of the yes rectangle
    EXPECT_EQ(pending_confirm, "");
    EXPECT_EQ(click_pending, 0);
    EXPECT_EQ(jigsaw_name, "");
    press(KEY_D);
    click(10, 10);  // far outside the box
    EXPECT_EQ(pending_confirm, "");
    EXPECT_EQ(jigsaw_name, "");
}

TEST_F(Questions, AClickOnTheYesRectangleRunsTheFlow) {
    quick_pick_image = solid_image(300, 140, 0xFF808080);
    press(KEY_Q);
    int left = (800 - 300) / 2, top = (600 - 140) / 2;
    click(left + 239, top + 99);  // the far corner is inside
    EXPECT_NE(jigsaw_name, "");   // the quick pick loaded a jigsaw
    EXPECT_EQ(pending_confirm, "");
    EXPECT_EQ(click_pending, 0);
}

TEST_F(Questions, AClickOnTheExitBoxYesRectangleEnds) {
    exit_image = solid_image(375, 110, 0xFF808080);
    press(KEY_ESCAPE);
    int left = (800 - 375) / 2, top = (600 - 110) / 2;
    EXPECT_EXIT(click(left + 149, top + 29), ::testing::ExitedWithCode(0), "");
    click(left + 148, top + 29);
    EXPECT_EQ(pending_confirm, "");
}

TEST_F(Questions, TheWindowCloseRequestEnds) {
    EXPECT_EXIT(
        {
            queue(EVENT_QUIT, 0);
            main_loop_iteration();
        },
        ::testing::ExitedWithCode(0), "");
}

// Pieces 1..n, loose and interior, upright, shown, side x side, at (400, 300).
void deal_loose_pieces(LoopFixture& fixture, int n, int side) {
    piece_count = n;
    for (int i = 1; i <= n; i++) {
        pieces[i] = piece_type();
        pieces[i].img = fixture.solid_image(side, side, 0xFF808080);
        centre_image_handle(pieces[i].img);
        pieces[i].wd = pieces[i].ht = side;
        pieces[i].x = 400;
        pieces[i].y = 300;
        pieces[i].visible = 1;
        draw_order[i] = i;
    }
    for (int b = 1; b <= BOX_COUNT; b++) box_count[b] = box_shown[b] = 0;
    current_box = 1;
    tray_count = tray_overflow = 0;
}

// Slots of the tray laid out in its first row.
int tray_slots_in_first_row() {
    int k = 0;
    for (int j = 1; j <= tray_count; j++) k += tray[j].n > 0 && tray[j].y == 106;
    return k;
}

// --- the screen table -------------------------------------------------------

const char* const all_screens[] = {SCREEN_TITLE, SCREEN_ANIM,   SCREEN_JIGSAW, SCREEN_BOX,      SCREEN_NEW,
                                   SCREEN_LOAD,  SCREEN_DELETE, SCREEN_HELP,   SCREEN_UNROTATE, SCREEN_PREFER};

TEST(ScreenTable, EveryStateHasItsRowAndEveryHelpPageOneScreen) {
    int screens_of_page[HELP_PAGE_COUNT] = {};
    for (const char* state : all_screens) {
        const screen_type* row = find_screen(state);
        ASSERT_NE(row, nullptr) << state;
        EXPECT_STREQ(row->state, state);
        EXPECT_NE(row->frame, nullptr) << state;
        if (row->help_page == NO_HELP_PAGE) continue;
        ASSERT_GE(row->help_page, 0) << state;
        ASSERT_LT(row->help_page, HELP_PAGE_COUNT) << state;
        screens_of_page[row->help_page]++;
        EXPECT_NE(row->backdrop, nullptr) << state << ": help draws its page over it";
    }
    for (int k = 0; k < HELP_PAGE_COUNT; k++) EXPECT_EQ(screens_of_page[k], 1) << "page " << k;
    EXPECT_EQ(find_screen("nowhere"), nullptr);
    EXPECT_EQ(find_screen(""), nullptr);
}

// --- help ------------------------------------------------------------------

TEST_F(HelpKeys, HOpensHelpOverTheFiveScreensWithCommandsOnly) {
    const std::string with_commands = " jigsaw box new1 delete1 load1 ";
    for (const char* state : all_screens) {
        if (state == std::string(SCREEN_HELP)) continue;
        screen_state = state;
        previous_screen = "";
        dispatch_key(KEY_H);
        bool opens = with_commands.find(" " + std::string(state) + " ") != std::string::npos;
        EXPECT_EQ(screen_state, opens ? "help" : state) << state;
        EXPECT_EQ(previous_screen, opens ? state : "") << state;
    }
}

TEST_F(HelpKeys, HOnThePreferencesScreenDoesNothing) {
    screen_state = SCREEN_PREFER;
    press(KEY_H);
    EXPECT_EQ(screen_state, "prefer");
}

TEST_F(HelpKeys, F1OnThePreferencesScreenOpensHelpOverIt) {
    screen_state = SCREEN_PREFER;
    press(KEY_F1);
    EXPECT_EQ(screen_state, "help");
    EXPECT_EQ(previous_screen, "prefer");
    press(KEY_F1);
    EXPECT_EQ(screen_state, "prefer");
}

TEST_F(HelpKeys, F1OverTheFlightHoldsItsLastFrameCleanlyAndSaysThereIsNoHelp) {
    deal_loose_pieces(*this, 3, 40);
    for (int i = 1; i <= 3; i++) {
        pieces[i].x0 = 200 * i;
        pieces[i].y0 = 150;
    }
    pieces[2].y = 450;
    pointer_image = solid_image(10, 10, 0xFFFF00FF);
    move_to(100, 100);
    start_completion_animation();
    run(3);
    queue(EVENT_KEY_DOWN, KEY_F1);
    main_loop_iteration();  // the flight's frame, then F1
    ASSERT_EQ(screen_state, "help");
    std::vector<uint32_t> shown(800 * 600);
    for (int y = 0; y < 600; y++)
        for (int x = 0; x < 800; x++) shown[y * 800 + x] = read_pixel(null_front_buffer(), x, y);
    // The pointer wanders over the frame; it must leave no trail.
    for (int x : {150, 300, 450, 600, 700}) {
        move_to(x, 520);
        main_loop_iteration();
    }
    EXPECT_EQ(status_message, "no help here - press F1 again");
    auto in = [](int x, int y, int x0, int y0, int w, int h) { return x >= x0 && x < x0 + w && y >= y0 && y < y0 + h; };
    int outside = 0, in_status = 0;
    for (int y = 0; y < 600; y++) {
        for (int x = 0; x < 800; x++) {
            if (read_pixel(null_front_buffer(), x, y) == shown[y * 800 + x]) continue;
            if (in(x, y, 100, 100, 10, 10) || in(x, y, 700, 520, 10, 10)) continue;  // the pointer, then and now
            if (y >= 250 && y < 350)
                in_status++;
            else
                outside++;
        }
    }
    EXPECT_EQ(outside, 0);
    EXPECT_GT(in_status, 0);  // the status line says so
    queue(EVENT_KEY_UP, KEY_F1);
    main_loop_iteration();
    press(KEY_F1);
    EXPECT_EQ(screen_state, "anim");
    EXPECT_EQ(status_message, "");
}

TEST_F(KeyTables, AKillWhileHoldingAPieceLeavesNothingFollowingThePointer) {
    ASSERT_TRUE(start_jigsaw("alpha"));
    move_to(300, 300);
    main_loop_iteration();
    held_piece = 1;  // picked up on the board
    grab_dx = grab_dy = 0;
    press(KEY_K);
    ASSERT_EQ(screen_state, "delete1");
    click(8 + 10, 66 + 10);  // marks alpha
    press(KEY_K);
    ASSERT_EQ(screen_state, "jigsaw");
    ASSERT_EQ(jigsaw_name, "0000bexil");
    EXPECT_EQ(held_piece, 0);
    int x = pieces[1].x, y = pieces[1].y;
    move_to(123, 456);
    run(2);
    EXPECT_EQ(pieces[1].x, x);
    EXPECT_EQ(pieces[1].y, y);
    // The next deal, from the browser, holds nothing either.
    press(KEY_N);
    click(8 + 10, 66 + 10);  // beta, first now
    run(1);
    ASSERT_EQ(jigsaw_name, "beta");
    x = pieces[1].x;
    move_to(700, 100);
    run(2);
    EXPECT_EQ(held_piece, 0);
    EXPECT_EQ(pieces[1].x, x);
}

TEST_F(KeyTables, LeavingABrowserFreesItsThumbnails) {
    press(KEY_N);
    ASSERT_EQ(screen_state, "new1");
    ASSERT_NE(jigsaw_list->front().img, nullptr);
    press(KEY_F1);  // help over the browser keeps them
    EXPECT_NE(jigsaw_list->front().img, nullptr);
    press(KEY_F1);
    press(KEY_ESCAPE);
    ASSERT_EQ(screen_state, "jigsaw");
    run(1);
    for (const tn3_type& entry : *jigsaw_list) EXPECT_EQ(entry.img, nullptr) << entry.tessellon;
    press(KEY_N);  // shown again, loaded again
    EXPECT_NE(jigsaw_list->front().img, nullptr);
}

TEST_F(HelpKeys, HOnTheBoardRemembersTheMouseAndLetsGoOfThePiece) {
    piece_count = 1;
    pieces[1] = piece_type();
    held_piece = 1;
    move_to(123, 45);
    press(KEY_H);
    EXPECT_EQ(screen_state, "help");
    EXPECT_EQ(previous_screen, "jigsaw");
    EXPECT_EQ(held_piece, 0);
    EXPECT_EQ(click_x, 123);
    EXPECT_EQ(click_y, 45);
    press(KEY_H);
    EXPECT_EQ(screen_state, "jigsaw");
}

TEST_F(HelpKeys, HelpFromTheBoxScreenThenEscapeGoesToTheBoard) {
    screen_state = SCREEN_BOX;
    press(KEY_H);
    EXPECT_EQ(screen_state, "help");
    EXPECT_EQ(previous_screen, "box");
    press(KEY_ESCAPE);
    EXPECT_EQ(screen_state, "jigsaw");
    EXPECT_EQ(pending_confirm, "");
}

TEST_F(HelpKeys, HelpFromTheBoardThenEscapeAsksOverTheHelpPage) {
    press(KEY_H);
    press(KEY_ESCAPE);
    EXPECT_EQ(screen_state, "help");
    EXPECT_EQ(pending_confirm, "X");
}

TEST_F(HelpKeys, EscapeFromTheOtherScreensGoesToTheBoardWithoutAsking) {
    deal_loose_pieces(*this, 1, 20);
    pieces[1].box = 1;  // in the current box, hidden
    pieces[1].visible = 0;
    for (const char* state : {SCREEN_NEW, SCREEN_LOAD, SCREEN_DELETE, SCREEN_BOX, SCREEN_PREFER}) {
        screen_state = state;
        prefer_state = 1;
        press(KEY_ESCAPE);
        EXPECT_EQ(screen_state, "jigsaw") << state;
        EXPECT_EQ(pending_confirm, "") << state;
    }
    EXPECT_EQ(prefer_state, -1);      // the preferences screen dropped its edits
    EXPECT_EQ(pieces[1].visible, 1);  // leaving the box screen shows its box
    EXPECT_EQ(box_shown[1], 1);
}

// --- the key tables ----------------------------------------------------------

TEST_F(KeyTables, GlobalKeysChangeScreensFromAnywhere) {
    screen_state = SCREEN_PREFER;
    press(KEY_L);
    EXPECT_EQ(screen_state, "load1");
    press(KEY_N);
    EXPECT_EQ(screen_state, "new1");
    press(KEY_K);
    EXPECT_EQ(screen_state, "delete1");
    press(KEY_K);  // K again kills (nothing marked) and deals the reserved jigsaw
    EXPECT_EQ(screen_state, "jigsaw");
    EXPECT_EQ(jigsaw_name, "0000bexil");
    EXPECT_EQ(jigsaw_page, 0);
    // Left and Right turn the pages of the browser on screen.
    screen_state = SCREEN_NEW;
    jigsaw_page = 2;
    jigsaw_count = 120;  // three pages of 56 as far as the keys can tell
    press(KEY_LEFT);
    EXPECT_EQ(jigsaw_page, 1);
    press(KEY_RIGHT);
    press(KEY_RIGHT);
    EXPECT_EQ(jigsaw_page, 3);
}

TEST_F(KeyTables, SSavesTheGameFromAnyScreen) {
    std::string pattern = ::testing::TempDir() + "loop_save_XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back(0);
    ASSERT_NE(mkdtemp(name.data()), nullptr);
    std::string folder = name.data();
    player_dir = folder + "/";
    jigsaw_name = "0001saved";
    screen_state = SCREEN_LOAD;
    press(KEY_S);
    EXPECT_EQ(path_kind(folder + "/0001saved.txt"), 1);
    EXPECT_EQ(path_kind(folder + "/0001saved.png"), 1);
    delete_dir(folder, true);
    player_dir.clear();
}

TEST_F(KeyTables, FSwitchesTheDisplaySizeAndLaysTheTrayOutAgain) {
    // Eighteen pieces 50 wide: fifteen fit in a row of the small tray,
    // all eighteen in a row of the large one.
    deal_loose_pieces(*this, 18, 50);
    fill_tray();
    EXPECT_EQ(tray_slots_in_first_row(), 15);
    press(KEY_F);
    EXPECT_EQ(large_display, 1);
    EXPECT_EQ(display_width(), 1024);
    EXPECT_EQ(tray_count, 18);
    EXPECT_EQ(tray_slots_in_first_row(), 18);
    press(KEY_F);
    EXPECT_EQ(display_width(), 800);
    EXPECT_EQ(tray_slots_in_first_row(), 15);
}

TEST_F(KeyTables, BoxScreenKeys) {
    deal_loose_pieces(*this, 2, 20);
    screen_state = SCREEN_BOX;
    press(KEY_LEFT);
    EXPECT_EQ(current_box, 5);  // 1 wraps to 5
    press(KEY_DOWN);
    EXPECT_EQ(current_box, 4);
    press(KEY_RIGHT);
    press(KEY_UP);
    press(KEY_UP);
    EXPECT_EQ(current_box, 2);  // 5 wraps to 1
    // Piece 2 joined a group after it was put in box 3: choosing the box
    // drops it from the list.
    pieces[2].box = 3;
    pieces[2].gp = 1;
    box_count[3] = 1;
    box_contents[3][1].n = 2;
    press(KEY_3);
    EXPECT_EQ(current_box, 3);
    EXPECT_EQ(box_count[3], 0);
    EXPECT_EQ(tray_count, 0);
    press(KEY_B);
    EXPECT_EQ(tray_count, 1);  // piece 1, the only loose one
    EXPECT_EQ(tray[1].n, 1);
    press(KEY_P);  // no picture: nothing
    EXPECT_EQ(picture_shown, 0);
    picture = solid_image(20, 20, 0xFFFFFFFF);
    press(KEY_P);
    EXPECT_EQ(picture_shown, 1);
    pieces[1].box = 3;
    pieces[1].visible = 0;
    press(KEY_J);
    EXPECT_EQ(screen_state, "jigsaw");
    EXPECT_EQ(pieces[1].visible, 1);  // J shows the current box on the board
    EXPECT_EQ(box_shown[3], 1);
    screen_state = SCREEN_BOX;
    show_grouped = 1;
    press(KEY_Z);
    EXPECT_EQ(screen_state, "jigsaw");
    EXPECT_EQ(show_grouped, 0);  // every class hidden
    screen_state = SCREEN_BOX;
    press(KEY_I);
    EXPECT_EQ(screen_state, "prefer");
}

TEST_F(KeyTables, BoardKeys) {
    press(KEY_C);
    EXPECT_EQ(swatch_shown, 1);
    show_grouped = 1;
    press(KEY_G);
    EXPECT_EQ(show_grouped, 0);
    show_loose = 1;
    press(KEY_O);
    EXPECT_EQ(show_loose, 0);
    deal_loose_pieces(*this, 3, 20);
    pieces[3].box = 2;
    pieces[3].visible = 0;
    box_shown[2] = 0;
    press(KEY_2);
    EXPECT_EQ(box_shown[2], 1);
    EXPECT_EQ(pieces[3].visible, 1);  // the box's piece is shown
    press(KEY_2);
    EXPECT_EQ(pieces[3].visible, 0);
    // B: the box screen with the two loose pieces in the tray and the
    // current box purged of a piece that has since joined a group.
    pieces[2].gp = 1;
    pieces[2].box = 1;
    box_count[1] = 1;
    box_contents[1][1].n = 2;
    press(KEY_B);
    EXPECT_EQ(screen_state, "box");
    EXPECT_EQ(tray_count, 1);
    EXPECT_EQ(tray[1].n, 1);
    EXPECT_EQ(box_count[1], 0);
    screen_state = SCREEN_JIGSAW;
    press(KEY_U);
    EXPECT_EQ(screen_state, "unrotate");
    screen_state = SCREEN_JIGSAW;
    press(KEY_I);
    EXPECT_EQ(screen_state, "prefer");
}

TEST_F(KeyTables, TTidiesFromTheLiveMouseAndOtherKeysHideTheTidyCount) {
    // 24 pieces 100 wide in the middle region: five rows of four, four
    // stacked. Help was last opened at the top, but T follows the mouse.
    deal_loose_pieces(*this, 24, 100);
    click_x = 300;
    click_y = 10;
    move_to(400, 300);
    press(KEY_T);
    EXPECT_EQ(click_x, -1);
    EXPECT_EQ(tidy_state.k, 4);
    EXPECT_EQ(tidy_state.y, 411 + 10);  // just past the last piece of the last row
    press(KEY_Y);                       // not in the board table, still clears the count
    EXPECT_EQ(tidy_state.k, 0);
}

TEST_F(KeyTables, TheScreenUnderHelpChoosesTheTable) {
    screen_state = SCREEN_HELP;
    previous_screen = SCREEN_BOX;
    press(KEY_2);
    EXPECT_EQ(current_box, 2);
    EXPECT_EQ(screen_state, "help");

    previous_screen = SCREEN_JIGSAW;
    swatch_shown = 0;
    press(KEY_C);
    EXPECT_EQ(swatch_shown, 1);

    previous_screen = SCREEN_DELETE;
    list_jigsaws();
    press(KEY_A);
    EXPECT_EQ(jigsaw_list->front().marked, 1);
    EXPECT_EQ(jigsaw_list->back().marked, 0);  // the reserved jigsaw
    press(KEY_U);
    EXPECT_EQ(jigsaw_list->front().marked, 0);

    previous_screen = SCREEN_LOAD;
    press(KEY_C);
    EXPECT_EQ(swatch_shown, 1);  // no screen table over the saved-game browser
}

TEST_F(KeyTables, TheTableIsChosenAfterTheGlobalKeysHaveActed) {
    // L leaves the board before the tables are chosen: the board table
    // does not see it and the tidy count stays.
    tidy_state.k = 3;
    press(KEY_L);
    EXPECT_EQ(tidy_state.k, 3);
    // Escape brings the box screen back to the board: the board table
    // sees the Escape and clears the count.
    screen_state = SCREEN_BOX;
    press(KEY_ESCAPE);
    EXPECT_EQ(screen_state, "jigsaw");
    EXPECT_EQ(tidy_state.k, 0);
    // A on the board is the board's, not a mark.
    list_jigsaws();
    press(KEY_A);
    EXPECT_EQ(jigsaw_list->front().marked, 0);
}

TEST_F(KeyTables, SevenThreeTimesInARowStartsTheFlight) {
    completion_seen = 0;
    press(KEY_7);
    press(KEY_7);
    press(KEY_X);
    press(KEY_7);
    EXPECT_EQ(screen_state, "jigsaw");
    EXPECT_EQ(completion_seen, 0);
    EXPECT_EQ(key7_count, 1);
    press(KEY_7);
    press(KEY_7);
    EXPECT_EQ(screen_state, "anim");
    EXPECT_EQ(completion_seen, 1);
    EXPECT_EQ(key7_count, 0);
}

TEST_F(KeyTables, XAndF2ShowTheirMessageUntilTheNextKeyOrClick) {
    press(KEY_X);
    EXPECT_EQ(status_message, "Tessellon v3.3 from https://tessellon.example.org");
    run(10);
    EXPECT_EQ(status_message, "Tessellon v3.3 from https://tessellon.example.org");
    press(KEY_A);
    EXPECT_EQ(status_message, "");

    press(KEY_F2);
    EXPECT_EQ(status_message,
              "width:800 height:600 depth:" + int_to_text(display_depth()) + " freq:" + int_to_text(display_hertz()));
    run(10);
    EXPECT_FALSE(status_message.empty());
    click(400, 300);
    EXPECT_EQ(status_message, "");

    // Shown scaled, the line adds the screen and the scale.
    null_set_screen_size(1920, 1080);
    set_keep_screen_resolution(true);
    ASSERT_NE(open_screen(800, 600, 32, 60, 0), nullptr);
    press(KEY_F2);
    EXPECT_EQ(status_message, "width:800 height:600 depth:" + int_to_text(display_depth()) +
                                  " freq:" + int_to_text(display_hertz()) + " screen:1920x1080 scale:1.8");
    set_keep_screen_resolution(false);
    ASSERT_NE(open_screen(640, 480, 0, 60, 0), nullptr);
    show_display_info();
    EXPECT_NE(status_message.find(" screen:1920x1080 scale:2"), std::string::npos) << status_message;
    null_set_screen_size(0, 0);
    ASSERT_NE(open_screen(800, 600, 0, 60, 0), nullptr);
}

TEST_F(KeyTables, AnyKeyOrClickEndsTheHelpPrompt) {
    help_prompt_active = 1;
    press(KEY_Y);
    EXPECT_EQ(help_prompt_active, 0);
    help_prompt_active = 1;
    click(5, 5, 2);
    EXPECT_EQ(help_prompt_active, 0);
}

// --- clicks ------------------------------------------------------------------

TEST_F(Clicks, ControlClickIsARightClickOnTheBoardAndNothingOnABrowser) {
    queue(EVENT_KEY_DOWN, KEY_LEFT_CONTROL);
    main_loop_iteration();
    EXPECT_EQ(ctrl_down, 1);
    queue(EVENT_MOUSE_DOWN, 1, 200, 200);
    main_loop_iteration();
    EXPECT_EQ(right_click_pending, 1);
    EXPECT_EQ(click_pending, 0);

    right_click_pending = 0;
    screen_state = SCREEN_NEW;
    queue(EVENT_MOUSE_DOWN, 1, 200, 200);
    main_loop_iteration();
    EXPECT_EQ(right_click_pending, 0);
    EXPECT_EQ(click_pending, 0);

    queue(EVENT_KEY_UP, KEY_LEFT_CONTROL);
    main_loop_iteration();
    EXPECT_EQ(ctrl_down, 0);
    queue(EVENT_MOUSE_DOWN, 1, 200, 200);
    main_loop_iteration();
    EXPECT_EQ(click_pending, 1);
}

TEST_F(Clicks, RightButtonCountsOnlyOnTheBoardAndTheBoxScreen) {
    screen_state = SCREEN_LOAD;
    click(50, 50, 2);
    EXPECT_EQ(right_click_pending, 0);
    screen_state = SCREEN_BOX;
    click(50, 50, 2);
    EXPECT_EQ(right_click_pending, 1);
}

TEST_F(Clicks, AnUnusedClickOpensHelpWhenThePlayerWantsIt) {
    // (500, 400) is neither the one saved thumbnail nor a page arrow.
    screen_state = SCREEN_LOAD;
    click(500, 400);
    run(1);
    EXPECT_EQ(screen_state, "load1");
    EXPECT_EQ(click_pending, 0);

    pref_click_help = 1;
    click(500, 400);
    run(1);
    EXPECT_EQ(screen_state, "help");
    EXPECT_EQ(previous_screen, "load1");
    EXPECT_EQ(click_x, 500);
    EXPECT_EQ(click_y, 400);
}

TEST_F(Clicks, AClickBesideTheHelpPageClosesItAndActsOnTheBoard) {
    help_images[0] = solid_image(600, 400, 0xFFFFFFFF);
    picture = solid_image(50, 50, 0xFFFFFFFF);
    picture_x = 10;
    picture_y = 10;
    picture_w = 50;
    picture_h = 50;
    picture_shown = 1;
    screen_state = SCREEN_HELP;
    previous_screen = SCREEN_JIGSAW;
    click(422, 300);  // on the page, between its two columns: closes help only
    run(1);
    EXPECT_EQ(screen_state, "jigsaw");
    EXPECT_EQ(picture_dragging, 0);

    screen_state = SCREEN_HELP;
    click(20, 20);  // beside the page, on the picture: help closes, the picture is taken
    run(1);
    EXPECT_EQ(screen_state, "jigsaw");
    EXPECT_EQ(picture_dragging, 1);
    EXPECT_EQ(click_pending, 0);
}

TEST_F(Clicks, TheDraggedPictureAndTheHeldPieceFollowTheMouse) {
    picture_dragging = 1;
    picture_grab_dx = 5;
    picture_grab_dy = 6;
    piece_count = 1;
    pieces[1] = piece_type();
    held_piece = 1;
    grab_dx = -3;
    grab_dy = 4;
    move_to(200, 150);
    run(2);
    EXPECT_EQ(picture_x, 195);
    EXPECT_EQ(picture_y, 144);
    EXPECT_EQ(pieces[1].x, 203);
    EXPECT_EQ(pieces[1].y, 146);
}

TEST_F(Clicks, AMotionMovesTheHeldPieceInTheIterationThatTakesIt) {
    piece_count = 1;
    pieces[1] = piece_type();
    held_piece = 1;
    grab_dx = -3;
    grab_dy = 4;
    // Delivered while the loop waits, after it sampled the mouse.
    TEvent motion;
    motion.id = EVENT_MOUSE_MOVE;
    motion.x = 200;
    motion.y = 150;
    null_push_event_for_wait(motion);
    run(1);
    EXPECT_EQ(mouse_x, 200);
    EXPECT_EQ(pieces[1].x, 203);
    EXPECT_EQ(pieces[1].y, 146);
}

// --- the keypad as the mouse ----------------------------------------------------

// One key event (press 513, release 514, repeat 516) and the iterations
// that take it and the motion or button events it queues.
void key_event(int id, int key) {
    LoopFixture::queue(id, key);
    while (events_waiting() > 0) main_loop_iteration();
}

TEST_F(PointerKeys, StepsMoveThePointerFasterWhenHeldOrWithPlusAndStopAtTheEdge) {
    move_to(100, 100);
    run(1);
    key_event(EVENT_KEY_DOWN, KEY_PAD_6);
    EXPECT_EQ(pointer_x(), 102);  // a press: the small step
    key_event(EVENT_KEY_REPEAT, KEY_PAD_6);
    EXPECT_EQ(pointer_x(), 110);  // each repeat: the larger one
    key_event(EVENT_KEY_UP, KEY_PAD_6);
    key_event(EVENT_KEY_DOWN, KEY_PAD_PLUS);
    key_event(EVENT_KEY_DOWN, KEY_PAD_3);
    EXPECT_EQ(pointer_x(), 118);  // four times either with + held
    EXPECT_EQ(pointer_y(), 108);
    key_event(EVENT_KEY_REPEAT, KEY_PAD_7);
    EXPECT_EQ(pointer_x(), 86);
    EXPECT_EQ(pointer_y(), 76);
    key_event(EVENT_KEY_UP, KEY_PAD_PLUS);
    key_event(EVENT_KEY_DOWN, KEY_PAD_8);
    EXPECT_EQ(pointer_y(), 74);
    run(1);
    EXPECT_EQ(mouse_x, 86);  // the loop took the motion as the mouse's
    EXPECT_EQ(mouse_y, 74);
    // Every direction stops at the display's edge pixels.
    const int edges[4][5] = {// key, from x, y, to x, y
                             {KEY_PAD_1, 5, 594, 0, 599},
                             {KEY_PAD_9, 794, 5, 799, 0},
                             {KEY_PAD_4, 5, 300, 0, 300},
                             {KEY_PAD_2, 400, 594, 400, 599}};
    for (const auto& e : edges) {
        move_to(e[1], e[2]);
        key_event(EVENT_KEY_REPEAT, e[0]);
        EXPECT_EQ(pointer_x(), e[3]) << "key " << e[0];
        EXPECT_EQ(pointer_y(), e[4]) << "key " << e[0];
    }
}

TEST_F(PointerKeys, AStepDrawsOneFrameAsAMotionDoes) {
    ASSERT_EQ(frame_skipping, 1);
    move_to(100, 100);
    run(3);
    int flips = null_flip_count();
    key_event(EVENT_KEY_DOWN, KEY_PAD_6);  // the key itself is no input of a frame
    key_event(EVENT_KEY_UP, KEY_PAD_6);    // its motion is, drawn here
    EXPECT_EQ(null_flip_count() - flips, 1);
}

TEST_F(PointerKeys, KeysLeaveTheQuestionTheStatusAndTheCommandTableAlone) {
    press(KEY_Q);
    status_message = "kept";
    key_event(EVENT_KEY_DOWN, KEY_PAD_6);
    key_event(EVENT_KEY_UP, KEY_PAD_6);
    key_event(EVENT_KEY_DOWN, KEY_PAD_PLUS);
    EXPECT_EQ(pending_confirm, "Q");
    EXPECT_EQ(status_message, "kept");
    // The left-button key clicks as the mouse does: the status line goes.
    key_event(EVENT_KEY_DOWN, KEY_PAD_0);
    run(1);
    EXPECT_EQ(status_message, "");
    EXPECT_EQ(key_down(KEY_PAD_0), true);
}

TEST_F(PointerKeys, ButtonKeysPickTurnCarryAndDropAPiece) {
    press(KEY_D);
    press(KEY_Y);  // beta: one 40x40 piece
    ASSERT_EQ(piece_count, 1);
    pieces[1].x = 300;
    pieces[1].y = 200;
    pieces[1].a = 0;
    move_to(305, 200);
    run(1);
    key_event(EVENT_KEY_DOWN, KEY_PAD_5);
    key_event(EVENT_KEY_REPEAT, KEY_PAD_5);  // held: still one click
    run(2);
    EXPECT_EQ(held_piece, 1);
    EXPECT_EQ(grab_dx, 5);
    key_event(EVENT_KEY_UP, KEY_PAD_5);
    EXPECT_EQ(held_piece, 1);  // letting go of the key does not drop it
    key_event(EVENT_KEY_DOWN, KEY_PAD_DECIMAL);
    key_event(EVENT_KEY_UP, KEY_PAD_DECIMAL);
    run(2);
    EXPECT_EQ(pieces[1].a, 1);  // the right button turns the held piece
    key_event(EVENT_KEY_DOWN, KEY_PAD_2);
    key_event(EVENT_KEY_REPEAT, KEY_PAD_2);
    run(1);
    EXPECT_EQ(pieces[1].y, 210);  // carried with the pointer
    key_event(EVENT_KEY_UP, KEY_PAD_2);
    key_event(EVENT_KEY_DOWN, KEY_PAD_0);
    key_event(EVENT_KEY_UP, KEY_PAD_0);
    run(2);
    EXPECT_EQ(held_piece, 0);
    EXPECT_EQ(pieces[1].x, 300);
    EXPECT_EQ(pieces[1].y, 210);
    EXPECT_EQ(pieces[1].a, 1);
}

TEST_F(PointerKeys, AStepIntoTheYesRectangleAndTheLeftKeyAnswerTheQuestion) {
    quick_pick_image = solid_image(300, 140, 0xFF808080);
    press(KEY_Q);
    int left = (800 - 300) / 2, top = (600 - 140) / 2;
    move_to(left + 241, top + 101);  // beyond the yes rectangle's far corner
    key_event(EVENT_KEY_DOWN, KEY_PAD_7);
    key_event(EVENT_KEY_UP, KEY_PAD_7);
    EXPECT_EQ(pending_confirm, "Q");
    key_event(EVENT_KEY_DOWN, KEY_PAD_5);
    key_event(EVENT_KEY_UP, KEY_PAD_5);
    EXPECT_NE(jigsaw_name, "");  // the quick pick loaded a jigsaw
    EXPECT_EQ(pending_confirm, "");
}

TEST_F(PointerKeys, ControlWithTheLeftKeyIsTheRightButton) {
    queue(EVENT_KEY_DOWN, KEY_LEFT_CONTROL);
    key_event(EVENT_KEY_DOWN, KEY_PAD_0);
    EXPECT_EQ(right_click_pending, 1);
    EXPECT_EQ(click_pending, 0);
}

// --- animations and completion -------------------------------------------------

TEST_F(Animations, TheOpeningEndsOnTheBoardWithThePointerShown) {
    screen_state = SCREEN_ANIM;
    intro_pending = 1;
    pointer_visible = 0;
    anim_phase = 4;
    anim_skipped = 0;
    run(1);
    EXPECT_EQ(screen_state, "jigsaw");
    EXPECT_EQ(intro_pending, 0);
    EXPECT_EQ(pointer_visible, 1);
}

TEST_F(Animations, TheOpeningEndsOnHelpWhenClickHelpIsSetUnlessCutShort) {
    // The real help page, so that the zoom-in has something to grow; the
    // button let up and earlier presses forgotten, so that none ends it.
    base_dir = TEST_GAME_DIR "/";
    queue(EVENT_MOUSE_UP, 1);
    while (events_waiting() > 0) wait_event();
    button_presses(1);
    key_presses(KEY_ESCAPE);  // an Escape during the zoom-in would end the program
    pref_click_help = 1;
    screen_state = SCREEN_ANIM;
    intro_pending = 1;
    anim_phase = 4;
    anim_skipped = 0;
    int flips = null_flip_count();
    run(1);
    EXPECT_EQ(screen_state, "help");
    EXPECT_EQ(previous_screen, "jigsaw");
    EXPECT_GE(null_flip_count() - flips, 200);  // the zoom-in ran, a flip per step

    // On the large display help opens without the zoom-in.
    large_display = 1;
    screen_state = SCREEN_ANIM;
    intro_pending = 1;
    anim_phase = 4;
    flips = null_flip_count();
    run(1);
    EXPECT_EQ(screen_state, "help");
    EXPECT_EQ(null_flip_count() - flips, 1);  // only the loop's own flip
    large_display = 0;

    screen_state = SCREEN_ANIM;
    intro_pending = 1;
    anim_phase = 4;
    anim_skipped = 1;
    run(1);
    EXPECT_EQ(screen_state, "jigsaw");
    base_dir = "";
}

TEST_F(Animations, LeavingTheOpeningForABrowserEndsItButHelpOverItDoesNot) {
    screen_state = SCREEN_ANIM;
    intro_pending = 1;
    pointer_visible = 0;
    anim_phase = 2;
    press(KEY_F1);  // help over the flight pauses it
    EXPECT_EQ(screen_state, "help");
    EXPECT_EQ(intro_pending, 1);
    EXPECT_EQ(pointer_visible, 0);
    press(KEY_N);  // the browser: the opening is over
    EXPECT_EQ(screen_state, "new1");
    EXPECT_EQ(intro_pending, 0);
    EXPECT_EQ(pointer_visible, 1);
}

TEST_F(Animations, AnOrdinaryCompletionEndsOnTheBoard) {
    jigsaw_name = "0001plain";
    screen_state = SCREEN_ANIM;
    intro_pending = 0;
    anim_phase = 4;
    run(1);
    EXPECT_EQ(screen_state, "jigsaw");
}

TEST_F(Animations, UnrotateReturnsToTheBoardWhenDone) {
    press(KEY_U);
    run(5);
    EXPECT_EQ(screen_state, "jigsaw");
    EXPECT_EQ(unrotate_phase, 4);
}

TEST_F(Animations, ACompletedDealIsCelebratedOnce) {
    piece_count = 2;
    for (int i = 1; i <= 2; i++) {
        pieces[i] = piece_type();
        pieces[i].gp = 1;
        pieces[i].wd = pieces[i].ht = 40;
        draw_order[i] = i;
    }
    completion_seen = 0;
    run(1);
    EXPECT_EQ(screen_state, "anim");
    EXPECT_EQ(completion_seen, 1);
}

}  // namespace
