// Finding the pieces that fit (key V on the board): which neighbours the
// search finds and how it counts those out of sight, the status words,
// the pieces that flash for a held or a pointed group, raising only the
// covered ones (pixel-exact) without moving anything, the outline drawn
// over the board and gone without a trace, the frames the flash draws on
// a still board, carrying during a flash, and the help line.
#include "screens/ui_geometry.h"
#include "tests/play/play_fixture.h"
#include "tests/shell/loop_fixture.h"

namespace {

struct Fit : PlayFixture {
    static constexpr int GAP = 100;  // pieces lie this far apart: none touches another

    void SetUp() override {
        PlayFixture::SetUp();
        if (!open_screen(800, 600, 0, 60, 0)) FAIL() << "the null display did not open";
        while (events_waiting() > 0) wait_event();
        make_grid(3, 4);  // 1 2 3 4 / 5 6 7 8 / 9 10 11 12
        for (int i = 1; i <= piece_count; i++) {
            pieces[i].x = 100 + ((i - 1) % 4) * GAP;
            pieces[i].y = 100 + ((i - 1) / 4) * GAP;
        }
        install_shell_hooks();
        screen_state = SCREEN_JIGSAW;
        previous_screen = "";
        status_message = "";
        pointer_visible = 0;
        click_x = -1;
        bg_red = 0, bg_green = 0, bg_blue = 64;
        board_composing = 1;
        frame_skipping = 1;
        end_fit_flash();
        mark_frame_stale();
        main_loop_iteration();
    }
    void TearDown() override {
        end_fit_flash();
        held_piece = 0;
        PlayFixture::TearDown();
    }

    // Keys and iterations of the loop as the loop tests drive them.
    static void queue(int id, int data, int x = 0, int y = 0) { LoopFixture::queue(id, data, x, y); }
    static void press(int key) { LoopFixture::press(key); }
    static void run(int n) { LoopFixture::run(n); }
    static void point_at(int x, int y) {
        queue(EVENT_MOUSE_MOVE, 0, x, y);
        main_loop_iteration();
    }
    static std::vector<int> order() { return std::vector<int>(draw_order + 1, draw_order + 1 + piece_count); }
    static uint32_t shown_at(int x, int y) { return read_pixel(null_front_buffer(), x, y) & 0xFFFFFF; }
};

using Pieces = std::vector<int>;

// ===========================================================================
// The search
// ===========================================================================

TEST_F(Fit, TheSearchFindsTheUnjoinedNeighboursOfEveryMemberOnce) {
    group({6, 7}, 1, 6);
    group({10, 11}, 2, 10);
    EXPECT_EQ(find_fits(6).shown, (Pieces{2, 3, 5, 8, 10, 11}));  // another group's pieces fit too
    EXPECT_EQ(find_fits(7).shown, (Pieces{2, 3, 5, 8, 10, 11}));  // any member gives the same
    EXPECT_EQ(find_fits(1).shown, (Pieces{2, 5}));                // a loose corner piece
    EXPECT_EQ(find_fits(12).shown, (Pieces{8, 11}));
    EXPECT_EQ(find_fits(10).shown, (Pieces{6, 7, 9, 12}));
    EXPECT_TRUE(find_fits(0).shown.empty());
    EXPECT_TRUE(find_fits(piece_count + 1).shown.empty());
    // All joined: nothing left to fit.
    group({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, 3, 1);
    fit_search_type none = find_fits(5);
    EXPECT_TRUE(none.shown.empty());
    EXPECT_EQ(fit_status_text(none), "No more pieces fit here");
}

TEST_F(Fit, NeighboursOutOfSightAreCountedByBoxOrAsFiltered) {
    group({6, 7}, 1, 6);
    group({10, 11}, 2, 10);
    pieces[2].visible = 0, pieces[2].box = 3;    // in box 3
    pieces[3].visible = 0, pieces[3].box = 3;    // in box 3
    pieces[5].visible = 0;                       // hidden by a filter
    pieces[10].visible = 0, pieces[10].box = 4;  // grouped since it was boxed: a filter hides it
    pieces[8].box = 5;                           // boxed but shown on the board: it flashes
    fit_search_type found = find_fits(7);
    EXPECT_EQ(found.shown, (Pieces{8, 11}));
    EXPECT_EQ(found.in_box[3], 2);
    EXPECT_EQ(found.in_box[4], 0);
    EXPECT_EQ(found.in_box[5], 0);
    EXPECT_EQ(found.filtered, 2);
    EXPECT_EQ(fit_status_text(found), "4 more: 2 in box 3, 2 hidden by a filter");
}

TEST_F(Fit, TheStatusLineSaysWhereTheUnseenOnesAre) {
    fit_search_type f;
    EXPECT_EQ(fit_status_text(f), "No more pieces fit here");
    f.shown = {4};
    EXPECT_EQ(fit_status_text(f), "");  // all of them flash
    f.in_box[3] = 2;
    EXPECT_EQ(fit_status_text(f), "2 more are in box 3");
    f.in_box[3] = 1;
    EXPECT_EQ(fit_status_text(f), "1 more is in box 3");
    f.in_box[1] = 2;
    EXPECT_EQ(fit_status_text(f), "3 more: 2 in box 1, 1 in box 3");
    f.in_box[1] = f.in_box[3] = 0;
    f.filtered = 1;
    EXPECT_EQ(fit_status_text(f), "1 more is hidden by a filter");
    f.shown.clear();
    EXPECT_EQ(fit_status_text(f), "None on the board: 1 is hidden by a filter");
    f.in_box[5] = 3;
    EXPECT_EQ(fit_status_text(f), "None on the board: 3 in box 5, 1 hidden by a filter");
}

// ===========================================================================
// Key V
// ===========================================================================

TEST_F(Fit, VFlashesTheNeighboursOfTheGroupUnderThePointer) {
    group({6, 7}, 1, 6);
    point_at(pieces[7].x + 5, pieces[7].y - 5);
    press(KEY_V);
    EXPECT_TRUE(fit_flash_running());
    EXPECT_EQ(fit_flash_pieces(), (Pieces{2, 3, 5, 8, 10, 11}));
    EXPECT_EQ(status_message, "");
    EXPECT_EQ(screen_state, SCREEN_JIGSAW);
}

TEST_F(Fit, VFlashesTheNeighboursOfTheHeldGroupWhereverThePointerIs) {
    group({1, 2}, 1, 1);
    carry(2, 600, 450);
    point_at(10, 590);  // over nothing: the held group counts, not the pointer
    ASSERT_EQ(held_piece, 2);
    press(KEY_V);
    EXPECT_EQ(fit_flash_pieces(), (Pieces{3, 5, 6}));
}

TEST_F(Fit, VOverNothingOnlySaysSo) {
    point_at(10, 590);
    press(KEY_V);
    EXPECT_FALSE(fit_flash_running());
    EXPECT_EQ(status_message, "Point at a piece or hold one to find the pieces that fit");
    // The picture over a piece takes the click there, so V finds nothing.
    TImage* thumb = support::solid_image(60, 40, 0xFF20A040);
    picture = thumb;
    picture_x = pieces[6].x - 30, picture_y = pieces[6].y - 20, picture_w = 60, picture_h = 40;
    picture_shown = 1;
    point_at(pieces[6].x, pieces[6].y);
    press(KEY_V);
    EXPECT_FALSE(fit_flash_running());
    picture_shown = 0;
    press(KEY_V);
    EXPECT_TRUE(fit_flash_running()) << "the piece under the picture";
    picture = nullptr;
    free_image(thumb);
    // A whole jigsaw pointed at: nothing fits.
    group({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, 1, 1);
    point_at(pieces[6].x, pieces[6].y);
    press(KEY_V);
    EXPECT_FALSE(fit_flash_running());
    EXPECT_EQ(status_message, "No more pieces fit here");
}

TEST_F(Fit, OnlyCoveredNeighboursAreRaisedAndNothingSavedButTheOrderChanges) {
    // 9 lies over 2, 12 over 10 (both above them in the order); 4 covers
    // 5's box but only with its see-through half, so 5 is not hidden.
    pieces[9].x = pieces[2].x + 15, pieces[9].y = pieces[2].y + 15;
    pieces[12].x = pieces[10].x - 20, pieces[12].y = pieces[10].y;
    TPixmap* px = lock_image(pieces[4].img, 0, true, true);
    for (int y = 0; y < SIDE; y++)
        for (int x = 0; x < SIDE / 2; x++) write_pixel(px, x, y, 0);
    pieces[4].x = pieces[5].x + SIDE - 5, pieces[4].y = pieces[5].y;
    raise_piece(4);
    pieces[5].box = 2;
    std::vector<piece_type> before(pieces + 1, pieces + 1 + piece_count);
    int counter = group_counter;
    point_at(pieces[6].x, pieces[6].y);
    press(KEY_V);
    EXPECT_EQ(fit_flash_pieces(), (Pieces{2, 5, 7, 10}));
    // 2 and 10 go to the top in the order they had; the rest keep theirs.
    EXPECT_EQ(order(), (Pieces{1, 3, 5, 6, 7, 8, 9, 11, 12, 4, 2, 10}));
    for (int i = 1; i <= piece_count; i++) {
        const piece_type& was = before[static_cast<size_t>(i - 1)];
        const piece_type& now = pieces[i];
        EXPECT_TRUE(was.x == now.x && was.y == now.y && was.a == now.a && was.gp == now.gp &&
                    was.visible == now.visible && was.box == now.box && was.edge == now.edge)
            << "piece " << i;
    }
    EXPECT_EQ(group_counter, counter);
    // Pressed again: already on top, so the order stays.
    press(KEY_V);
    EXPECT_EQ(order(), (Pieces{1, 3, 5, 6, 7, 8, 9, 11, 12, 4, 2, 10}));
}

// ===========================================================================
// The flash on the screen
// ===========================================================================

TEST_F(Fit, TheOutlinesBlinkThreeTimesInASecond) {
    int shown = 0, changes = 0;
    bool last = false;
    for (int t = 0; t < fit_flash_ms + 200; t++) {
        bool on = fit_flash_shows(t);
        shown += on;
        changes += on != last;
        last = on;
    }
    EXPECT_EQ(changes, 6);  // three times on, three times off
    EXPECT_TRUE(fit_flash_shows(0));
    EXPECT_FALSE(fit_flash_shows(fit_flash_ms));
    EXPECT_GT(shown, fit_flash_ms / 3);
    EXPECT_GE(fit_flash_ms, 800);
    EXPECT_LE(fit_flash_ms, 1200);
}

TEST_F(Fit, TheOutlineHugsTheTurnedShapeAboveThePiecesAndLeavesNoTrace) {
    // Piece 7 has a see-through corner and is turned a quarter: the corner
    // ends top right. A piece over its right side shows the ring above it.
    TPixmap* px = lock_image(pieces[7].img, 0, true, true);
    for (int y = 0; y < 12; y++)
        for (int x = 0; x < 12; x++) write_pixel(px, x, y, 0);
    pieces[7].a = 1;
    pieces[4].x = pieces[7].x + SIDE / 2 + 21, pieces[4].y = pieces[7].y + 10;  // 1 pixel right of 7
    raise_piece(4);
    const int cx = pieces[7].x, cy = pieces[7].y, half = SIDE / 2;
    point_at(700, 580);
    run(2);
    std::vector<uint8_t> board = null_front_buffer()->pixels;
    uint32_t background = shown_at(cx - half - 2, cy);

    point_at(pieces[6].x, pieces[6].y);  // 7 is among 6's neighbours
    press(KEY_V);
    ASSERT_EQ(fit_flash_pieces(), (Pieces{2, 5, 7, 10}));
    fit_flash_start = clock_ms();  // in the first blink
    run(1);
    const uint32_t ring = 0xFFE600;
    EXPECT_EQ(shown_at(cx - half - 2, cy), ring);                   // left of the piece
    EXPECT_EQ(shown_at(cx, cy + half + 1), ring);                   // below it
    EXPECT_EQ(shown_at(cx + half + 1, cy + 10), ring);              // over piece 4, drawn above it
    EXPECT_EQ(shown_at(cx + half - 3, cy - half + 3), background);  // deep in the see-through corner
    EXPECT_EQ(shown_at(cx + half - 10, cy - half + 3), ring);       // in the corner, by the shape
    EXPECT_EQ(shown_at(cx - half - 10, cy), background);            // beyond the ring

    fit_flash_start = clock_ms() - fit_flash_ms;  // its time is up
    run(1);
    EXPECT_FALSE(fit_flash_running());
    point_at(700, 580);
    run(2);
    EXPECT_TRUE(null_front_buffer()->pixels == board) << "the outline left a trace";
}

TEST_F(Fit, TheStillBoardDrawsFramesWhileTheFlashRunsThenStops) {
    run(3);
    int flips = null_flip_count();
    run(20);
    ASSERT_EQ(null_flip_count(), flips) << "the board was not still before";
    point_at(pieces[6].x, pieces[6].y);
    press(KEY_V);
    ASSERT_TRUE(fit_flash_running());
    flips = null_flip_count();
    run(10);
    EXPECT_EQ(null_flip_count() - flips, 10) << "a frame for every tick while it runs";
    fit_flash_start = clock_ms() - fit_flash_ms;
    flips = null_flip_count();
    run(1);
    EXPECT_EQ(null_flip_count() - flips, 1) << "the frame that takes the outlines away";
    EXPECT_FALSE(fit_flash_running());
    flips = null_flip_count();
    run(20);
    EXPECT_EQ(null_flip_count(), flips) << "still again";
}

TEST_F(Fit, CarryingGoesOnDuringTheFlash) {
    point_at(pieces[1].x, pieces[1].y);
    queue(EVENT_MOUSE_DOWN, 1, pieces[1].x, pieces[1].y);
    run(2);
    ASSERT_EQ(held_piece, 1);
    press(KEY_V);
    ASSERT_TRUE(fit_flash_running());
    EXPECT_EQ(fit_flash_pieces(), (Pieces{2, 5}));
    for (int step = 1; step <= 5; step++) {
        point_at(100 + 30 * step, 100 + 40 * step);
        run(1);
        EXPECT_EQ(pieces[1].x, 100 + 30 * step) << step;
        EXPECT_EQ(pieces[1].y, 100 + 40 * step) << step;
    }
    EXPECT_TRUE(fit_flash_running());
    EXPECT_EQ(held_piece, 1);
}

// ===========================================================================
// The help line
// ===========================================================================

TEST_F(Fit, TheHelpLineDoesWhatTheKeyDoesWhereTheHelpWasOpened) {
    ASSERT_NE(std::string(HELP_LAYOUTS[HELP_PAGE_BOARD].letters).find('V'), std::string::npos);
    group({6, 7}, 1, 6);
    point_at(pieces[6].x, pieces[6].y);
    press(KEY_V);
    Pieces by_key = fit_flash_pieces();
    end_fit_flash();

    press(KEY_H);  // help opened over piece 6
    ASSERT_EQ(screen_state, SCREEN_HELP);
    point_at(700, 20);  // the line is clicked elsewhere
    run_help_line('V');
    EXPECT_EQ(screen_state, SCREEN_JIGSAW);  // closed, so the flash is seen
    EXPECT_EQ(fit_flash_pieces(), by_key);
    EXPECT_TRUE(fit_flash_running());
}

}  // namespace
