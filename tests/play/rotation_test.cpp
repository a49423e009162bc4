// The unrotate screen: groups upright about their bounding-box middle,
// a borrowed pivot given back exactly, the clamp onto the board, one loose
// piece per frame, and a click that finishes at once.
#include "play_fixture.h"

struct Unrotate : PlayFixture {};

TEST_F(Unrotate, GroupTurnsUprightAboutItsMiddleCell) {
    make_grid(3, 3);
    group({1, 2, 3, 4, 5, 6, 7, 8, 9}, 1, 5);
    pieces[5].a = 1;
    pieces[5].x = 400;
    pieces[5].y = 300;
    place_group(5);
    unrotate_group(1);
    for (int i = 1; i <= 9; i++) {
        EXPECT_EQ(pieces[i].a, 0) << i;
        EXPECT_EQ(pieces[i].x - 400, pieces[i].x0 - pieces[5].x0) << i;
        EXPECT_EQ(pieces[i].y - 300, pieces[i].y0 - pieces[5].y0) << i;
    }
}

TEST_F(Unrotate, BorrowedPivotIsRestoredExactly) {
    make_grid(3, 3);
    // A ring of the border cells; the middle cell 5 belongs to another group.
    group({1, 2, 3, 4, 6, 7, 8, 9}, 2, 1);
    pieces[5].gp = 7;
    pieces[5].x = 650;
    pieces[5].y = 420;
    pieces[5].a = 3;
    group_counter = 7;
    pieces[1].a = 2;
    pieces[1].x = 500;
    pieces[1].y = 400;
    place_group(1);
    unrotate_group(2);
    EXPECT_EQ(pieces[5].x, 650);
    EXPECT_EQ(pieces[5].y, 420);
    EXPECT_EQ(pieces[5].a, 3);
    EXPECT_EQ(pieces[5].gp, 7);
    // The ring is upright and centred where cell 5 would lie within it: with
    // a half turn about piece 1 at (500, 400), cell 5 was at (460, 360).
    for (int i : {1, 2, 3, 4, 6, 7, 8, 9}) {
        EXPECT_EQ(pieces[i].a, 0) << i;
        EXPECT_EQ(pieces[i].x, 460 + pieces[i].x0 - pieces[5].x0) << i;
        EXPECT_EQ(pieces[i].y, 360 + pieces[i].y0 - pieces[5].y0) << i;
    }
}

TEST_F(Unrotate, PivotOffTheBoardIsPulledToTwentyPixelsIn) {
    make_grid(1, 3);
    group({1, 2, 3}, 1, 2);
    pieces[2].a = 1;
    pieces[2].x = -30;
    pieces[2].y = 700;
    place_group(2);
    unrotate_group(1);
    EXPECT_EQ(pieces[2].x, 20);
    EXPECT_EQ(pieces[2].y, 580);
    EXPECT_EQ(pieces[1].x, 20 - SIDE);

    pieces[2].x = 900;
    pieces[2].y = -5;
    pieces[2].a = 2;
    place_group(2);
    unrotate_group(1);
    EXPECT_EQ(pieces[2].x, 780);
    EXPECT_EQ(pieces[2].y, 20);
}

TEST_F(Unrotate, ScreenShowsAllTurnsOneLoosePiecePerFrameThenEnds) {
    make_grid(1, 4);
    pieces[2].a = 1;
    pieces[4].a = 3;
    pieces[3].visible = 0;
    unrotate_phase = 1;
    unrotate_screen_frame();  // groups, show all
    EXPECT_EQ(pieces[3].visible, 1);
    EXPECT_EQ(unrotate_phase, 2);
    EXPECT_EQ(pieces[2].a, 1);
    unrotate_screen_frame();
    EXPECT_EQ(pieces[2].a, 0);
    EXPECT_EQ(pieces[4].a, 3);
    unrotate_screen_frame();
    EXPECT_EQ(pieces[4].a, 0);
    EXPECT_EQ(unrotate_phase, 3);
    unrotate_screen_frame();
    EXPECT_EQ(unrotate_phase, 4);
}

TEST_F(Unrotate, NothingRotatedEndsAfterThreeFrames) {
    make_grid(2, 2);
    unrotate_phase = 1;
    int frames = 0;
    while (unrotate_phase != 4 && frames < 10) {
        unrotate_screen_frame();
        frames++;
    }
    EXPECT_EQ(frames, 3);
}

TEST_F(Unrotate, ClickFinishesEveryRemainingPieceAtOnce) {
    make_grid(1, 5);
    for (int i = 1; i <= 5; i++) pieces[i].a = 2;
    unrotate_phase = 1;
    unrotate_screen_frame();
    unrotate_screen_frame();
    EXPECT_EQ(pieces[1].a, 0);
    EXPECT_EQ(pieces[2].a, 2);
    click_pending = 1;
    unrotate_screen_frame();
    EXPECT_EQ(click_pending, 0);
    EXPECT_EQ(unrotate_phase, 4);
    for (int i = 1; i <= 5; i++) EXPECT_EQ(pieces[i].a, 0) << i;
}
