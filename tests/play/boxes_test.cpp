// The boxes and the box screen: which pieces the tray takes, its rows and
// its corner stack, moving pieces between a box's strip and the tray,
// grouped pieces leaving the box lists, box lists rebuilt from a saved
// game, right-click turns, and keys 1..5 on the board through the loop.
#include <set>
#include <utility>

#include "play_fixture.h"
#include "tests/library/storage_fixture.h"
#include "tests/shell/loop_fixture.h"

namespace {

struct Boxes : PlayFixture {
    void SetUp() override {
        PlayFixture::SetUp();
        ASSERT_NE(open_screen(800, 600, 0, 60, 0), nullptr);
        large_display = 0;
        current_box = 1;
        tray_count = tray_overflow = 0;
        screen_state = SCREEN_BOX;
        jigsaw_image = nullptr;
    }
    // Puts the pieces into box b's list, in that order.
    static void box_up(int b, std::initializer_list<int> members) {
        for (int p : members) {
            pieces[p].box = b;
            box_contents[b][++box_count[b]].n = p;
        }
    }
    static std::set<int> tray_pieces() {
        std::set<int> in;
        for (int j = 1; j <= tray_count; j++)
            if (tray[j].n > 0) in.insert(tray[j].n);
        return in;
    }
    static int slot_of(int p) {
        for (int j = 1; j <= tray_count; j++)
            if (tray[j].n == p) return j;
        return 0;
    }
};

// --- which pieces go where -------------------------------------------------

TEST_F(Boxes, TrayTakesOnlyLooseInteriorPiecesInNoBox) {
    make_grid(4, 4);  // interior: 6, 7, 10, 11
    group({6, 7}, 1, 6);
    box_up(2, {10});
    fill_tray();
    EXPECT_EQ(tray_count, 1);
    EXPECT_EQ(tray_pieces(), std::set<int>({11}));
    EXPECT_EQ(tray_overflow, 0);
}

TEST_F(Boxes, FillTrayShufflesTheOrder) {
    make_grid(12, 12);  // 100 interior pieces
    seed_random(7);
    fill_tray();
    ASSERT_EQ(tray_count, 100);
    int in_number_order = 0;
    for (int j = 2; j <= tray_count; j++) in_number_order += tray[j].n > tray[j - 1].n;
    EXPECT_LT(in_number_order, 90);
    EXPECT_EQ(tray_pieces().size(), 100u);  // each once
}

TEST_F(Boxes, GroupedPiecesLeaveTheCurrentBoxButKeepTheirBox) {
    make_grid(4, 4);
    box_up(1, {6, 7, 10, 11});
    group({7, 11}, 1, 7);  // joined after being boxed
    purge_grouped_from_box();
    ASSERT_EQ(box_count[1], 2);
    EXPECT_EQ(box_contents[1][1].n, 6);
    EXPECT_EQ(box_contents[1][2].n, 10);
    EXPECT_EQ(box_contents[1][3].n, 0);  // the old last entry is cleared
    EXPECT_EQ(pieces[7].box, 1);
    // Box 2 keeps a piece that joined a group until the box is shown.
    box_up(2, {5});
    group({5, 9}, 2, 5);
    EXPECT_EQ(box_count[2], 1);
    next_box();
    EXPECT_EQ(current_box, 2);
    EXPECT_EQ(box_count[2], 0);
}

TEST_F(Boxes, ShowCurrentBoxShowsOnlyItsLoosePieces) {
    make_grid(4, 4);
    box_up(3, {6, 7, 10});
    box_up(1, {11});
    group({7, 6}, 1, 6);
    for (int i = 1; i <= piece_count; i++) pieces[i].visible = 0;
    current_box = 3;
    show_current_box();
    EXPECT_EQ(pieces[10].visible, 1);
    EXPECT_EQ(pieces[6].visible + pieces[7].visible + pieces[11].visible, 0);
    EXPECT_EQ(box_shown[3], 1);
    EXPECT_EQ(box_shown[1], 0);
}

// --- the tray's layout -----------------------------------------------------

TEST_F(Boxes, TrayRowsAndTheCornerStackOnTheSmallDisplay) {
    // 230 interior pieces 40 wide: 19 to a row, nine rows fit, the other
    // 59 are stacked in the corner.
    make_grid(12, 25);
    fill_tray();
    ASSERT_EQ(tray_count, 230);
    EXPECT_EQ(tray_overflow, 59);
    int in_rows = 0, stacked = 0;
    for (int j = 1; j <= tray_count; j++) {
        if (tray[j].x == 771 && tray[j].y == 571) stacked++;
        else if (tray[j].y <= 571 && (tray[j].x - 29) % 42 == 0 && (tray[j].y - 106) % 58 == 0) in_rows++;
    }
    EXPECT_EQ(in_rows, 171);
    EXPECT_EQ(stacked, 59);
    EXPECT_EQ(tray[19].x, 29 + 18 * 42);  // the last of the first row
    EXPECT_EQ(tray[20].x, 29);
    EXPECT_EQ(tray[20].y, 164);
}

TEST_F(Boxes, RelayoutLetsFurtherSlotsRunBelowTheTray) {
    make_grid(12, 25);
    fill_tray();
    tray_overflow = 7;
    relayout_tray();
    EXPECT_EQ(tray[171].y, 570);
    EXPECT_EQ(tray[172].x, 29);
    EXPECT_EQ(tray[172].y, 686);  // one row below the last, and once more
    EXPECT_EQ(tray[173].x, 71);
    EXPECT_EQ(tray[173].y, 744);
    EXPECT_EQ(tray_overflow, 7);  // untouched: nothing is stacked
}

TEST_F(Boxes, TrayRowsFollowTheLargeDisplay) {
    ASSERT_NE(open_screen(1024, 768, 0, 60, 0), nullptr);
    large_display = 1;
    make_grid(12, 25);
    fill_tray();
    // 24 to a row of 1024 and eleven rows down to 739: all 230 fit.
    EXPECT_EQ(tray[24].x, 29 + 23 * 42);
    EXPECT_EQ(tray[25].x, 29);
    EXPECT_EQ(tray[25].y, 164);
    EXPECT_EQ(tray[230].y, 106 + 9 * 58);
    EXPECT_EQ(tray_overflow, 0);
}

// --- moving pieces between the strip and the tray ---------------------------

TEST_F(Boxes, AClickOnATrayPiecePutsItInTheCurrentBoxAndShowsIt) {
    make_grid(4, 4);
    fill_tray();
    current_box = 4;
    int j = slot_of(10);
    ASSERT_GT(j, 0);
    pieces[10].visible = 0;
    mouse_at(tray[j].x, tray[j].y);
    EXPECT_TRUE(box_screen_click());
    EXPECT_EQ(tray[j].n, 0);
    ASSERT_EQ(box_count[4], 1);
    EXPECT_EQ(box_contents[4][1].n, 10);
    EXPECT_EQ(pieces[10].box, 4);
    EXPECT_EQ(pieces[10].visible, 1);
    mouse_at(5, 590);
    EXPECT_FALSE(box_screen_click());  // empty space
}

TEST_F(Boxes, APieceTakenOutFillsAFreeSlotWithoutMovingTheOthers) {
    make_grid(4, 4);
    fill_tray();
    int j = slot_of(7);
    int old_x = tray[j].x, old_y = tray[j].y;
    mouse_at(old_x, old_y);
    ASSERT_TRUE(box_screen_click());  // 7 into box 1, slot j free
    std::vector<std::pair<int, int>> others;
    for (int k = 1; k <= tray_count; k++) others.push_back({tray[k].x, tray[k].y});
    draw_box_screen();  // the strip is laid out by drawing it
    ASSERT_EQ(box_contents[1][1].x, 105);
    mouse_at(105, 40);
    EXPECT_TRUE(box_screen_click());
    EXPECT_EQ(tray[j].n, 7);
    for (int k = 1; k <= tray_count; k++) {
        EXPECT_EQ(tray[k].x, others[k - 1].first) << k;
        EXPECT_EQ(tray[k].y, others[k - 1].second) << k;
    }
    EXPECT_EQ(box_count[1], 0);
    EXPECT_EQ(pieces[7].box, 0);
    EXPECT_EQ(pieces[7].visible, 0);  // hidden on the board
}

TEST_F(Boxes, WithNoFreeSlotAPieceTakenOutIsAppendedAndTheTrayFlowsAgain) {
    make_grid(4, 4);
    box_up(1, {6});
    fill_tray();  // 7, 10, 11
    ASSERT_EQ(tray_count, 3);
    for (int k = 1; k <= 3; k++) tray[k].x = tray[k].y = 500;  // out of place
    draw_box_screen();
    mouse_at(105, 40);
    ASSERT_TRUE(box_screen_click());
    ASSERT_EQ(tray_count, 4);
    EXPECT_EQ(tray[4].n, 6);
    EXPECT_EQ(tray[1].x, 29);
    EXPECT_EQ(tray[4].x, 29 + 3 * 42);
    EXPECT_EQ(tray[4].y, 106);
}

TEST_F(Boxes, CrowdedStripSpreadsEvenlyAndHitsTheLeftmostPiece) {
    make_grid(7, 7);  // 25 interior pieces: 25 * 42 exceeds the strip's 712
    std::initializer_list<int> interior = {9, 10, 11, 12, 13, 16, 17, 18, 19, 20, 23, 24, 25,
                                           26, 27, 30, 31, 32, 33, 34, 37, 38, 39, 40, 41};
    box_up(1, interior);
    draw_box_screen();
    int step = (800 - 111) / 25;
    EXPECT_EQ(box_contents[1][2].x, 105 + step);
    EXPECT_EQ(box_contents[1][25].x, 105 + 24 * step);
    // That point lies over entries 2 and 3; the leftmost is taken out.
    mouse_at(105 + step + 15, 40);
    ASSERT_TRUE(box_screen_click());
    EXPECT_EQ(pieces[10].box, 0);
    EXPECT_EQ(pieces[11].box, 1);
    EXPECT_EQ(box_count[1], 24);
    EXPECT_EQ(box_contents[1][2].n, 11);
}

TEST_F(Boxes, NaturalWidthsWhenTheStripHasRoom) {
    make_grid(4, 4);
    box_up(1, {6, 7});
    pieces[6].wd = 60;  // the spacing reads wd, not the image
    draw_box_screen();
    EXPECT_EQ(box_contents[1][1].x, 105);
    EXPECT_EQ(box_contents[1][2].x, 105 + 62);
    EXPECT_EQ(box_contents[1][2].y, 40);
}

// --- the frame: clicks and turns --------------------------------------------

TEST_F(Boxes, AnySuccessfulClickRemovesTheCornerCount) {
    make_grid(4, 4);
    fill_tray();
    tray_overflow = 12;
    mouse_at(5, 590);
    click_pending = 1;
    box_screen_frame();
    EXPECT_EQ(tray_overflow, 12);  // a miss leaves it
    EXPECT_EQ(click_pending, 1);
    mouse_at(tray[1].x, tray[1].y);
    box_screen_frame();
    EXPECT_EQ(click_pending, 0);
    EXPECT_EQ(tray_overflow, 0);
}

TEST_F(Boxes, TheLabelStepsToTheNextBoxAndTheButtonGoesToTheBoard) {
    make_grid(4, 4);
    box_up(2, {6});
    pieces[6].visible = 0;
    mouse_at(30, 20);
    click_pending = 1;
    box_screen_frame();
    EXPECT_EQ(current_box, 2);
    EXPECT_EQ(click_pending, 0);
    jigsaw_image = solid_image(60, 32, 0xFFFFFFFF);
    mouse_at(67, 73);  // the far corner is inside
    click_pending = 1;
    box_screen_frame();
    EXPECT_EQ(screen_state, "jigsaw");
    EXPECT_EQ(pieces[6].visible, 1);
    free_image(jigsaw_image);
    jigsaw_image = nullptr;
}

TEST_F(Boxes, RightClickTurnsAStripOrTrayPieceAndIsNeverKept) {
    make_grid(4, 4);
    box_up(1, {6});
    fill_tray();
    box_screen_frame();  // lays the strip out
    mouse_at(105, 40);
    right_click_pending = 1;
    box_screen_frame();
    EXPECT_EQ(pieces[6].a, 1);
    EXPECT_EQ(right_click_pending, 0);
    int p = tray[1].n;
    pieces[p].a = 3;
    mouse_at(tray[1].x, tray[1].y);
    right_click_pending = 1;
    box_screen_frame();
    EXPECT_EQ(pieces[p].a, 0);  // 4 becomes 0
    mouse_at(5, 590);
    right_click_pending = 1;
    box_screen_frame();
    EXPECT_EQ(right_click_pending, 0);
}

// --- box lists from a saved game --------------------------------------------

struct SavedBoxes : StorageFixture {};

TEST_F(SavedBoxes, ListsAreRebuiltFromTheSavedBoxField) {
    make_grid_jigsaw("grid", 3, 3);
    ASSERT_TRUE(start_jigsaw("grid"));
    pieces[2].box = 2;
    pieces[4].box = 2;
    pieces[5].box = 5;
    pieces[5].visible = 0;
    pieces[6].box = 2;
    pieces[6].gp = 1;  // joined after boxing: not listed again
    pieces[3].gp = 1;
    group_counter = 1;
    ASSERT_TRUE(save_game());

    ASSERT_TRUE(start_jigsaw("grid"));  // a new deal empties the boxes
    EXPECT_EQ(box_count[2], 0);
    box_shown[1] = 1;
    ASSERT_TRUE(load_saved_game());
    ASSERT_EQ(box_count[2], 2);
    EXPECT_EQ(box_contents[2][1].n, 2);
    EXPECT_EQ(box_contents[2][2].n, 4);
    EXPECT_EQ(box_count[5], 1);
    EXPECT_EQ(box_shown[2], 1);
    EXPECT_EQ(box_shown[5], 0);  // its only piece was hidden
    EXPECT_EQ(box_shown[1], 0);
    EXPECT_EQ(box_count[1] + box_count[3] + box_count[4], 0);
    EXPECT_EQ(pieces[6].box, 2);
}

// --- through the loop ---------------------------------------------------------

struct BoxLoop : LoopFixture {};

TEST_F(BoxLoop, BoxScreenSortsAPieceAndItsKeyHidesAndShowsIt) {
    if (!white_image) white_image = PlayFixture::solid_image(2, 2, 0xFFFFFFFF);
    piece_count = 1;
    pieces[1] = piece_type();
    pieces[1].img = solid_image(40, 40, 0xFF808080);
    centre_image_handle(pieces[1].img);
    pieces[1].wd = pieces[1].ht = 40;
    pieces[1].visible = 1;
    draw_order[1] = 1;
    for (int b = 1; b <= BOX_COUNT; b++) box_count[b] = box_shown[b] = 0;
    current_box = 1;
    press('B');
    ASSERT_EQ(screen_state, "box");
    ASSERT_EQ(tray_count, 1);
    EXPECT_EQ(tray[1].x, 29);
    click(29, 106);
    run(1);
    EXPECT_EQ(pieces[1].box, 1);
    EXPECT_EQ(box_count[1], 1);
    press('J');
    EXPECT_EQ(screen_state, "jigsaw");
    EXPECT_EQ(pieces[1].visible, 1);
    press('1');
    EXPECT_EQ(pieces[1].visible, 0);
    press('1');
    EXPECT_EQ(pieces[1].visible, 1);
}

}  // namespace
