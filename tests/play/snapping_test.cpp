// Dropping pieces: the snap tolerance on both axes, the rotation and
// visibility conditions, merging groups into one fresh number, the click
// per fit, and the edge flag spreading over a group.
#include "play_fixture.h"

struct Snapping : PlayFixture {};

TEST_F(Snapping, JoinsAtNinePixelsOffOnEitherAxisAndSnapsExactly) {
    const int offsets[4][2] = {{9, 0}, {-9, 0}, {0, 9}, {0, -9}};
    for (const auto& off : offsets) {
        make_grid(1, 2);
        pieces[1].x = 300;
        pieces[1].y = 300;
        carry(2, 300 + SIDE + off[0], 300 + off[1]);
        drop();
        EXPECT_GT(pieces[1].gp, 0) << off[0] << "," << off[1];
        EXPECT_EQ(pieces[1].gp, pieces[2].gp);
        // The dropped piece stays; its neighbour moves into place.
        EXPECT_EQ(pieces[2].x, 300 + SIDE + off[0]);
        EXPECT_EQ(pieces[1].x, 300 + off[0]);
        EXPECT_EQ(pieces[1].y, 300 + off[1]);
        SetUp();
    }
}

TEST_F(Snapping, DoesNotJoinAtTenPixelsOffOnEitherAxis) {
    const int offsets[4][2] = {{10, 0}, {-10, 0}, {0, 10}, {0, -10}};
    for (const auto& off : offsets) {
        make_grid(1, 2);
        pieces[1].x = 300;
        pieces[1].y = 300;
        carry(2, 300 + SIDE + off[0], 300 + off[1]);
        drop();
        EXPECT_EQ(pieces[1].gp, 0) << off[0] << "," << off[1];
        EXPECT_EQ(pieces[2].gp, 0);
        EXPECT_EQ(group_counter, 0);
        SetUp();
    }
}

TEST_F(Snapping, FitIsMeasuredInTheTurnedFrame) {
    make_grid(1, 2);
    pieces[1].a = pieces[2].a = 1;  // a quarter turn: the east neighbour lies below
    pieces[1].x = 300;
    pieces[1].y = 300;
    pieces[2].x = 300;
    pieces[2].y = 300 + SIDE;
    EXPECT_TRUE(pieces_fit(2, 1));
    pieces[2].x = 300 + SIDE;
    pieces[2].y = 300;
    EXPECT_FALSE(pieces_fit(2, 1));
}

TEST_F(Snapping, NeighbourWithAnotherRotationNeverJoins) {
    make_grid(1, 2);
    pieces[1].a = 2;
    carry(2, pieces[2].x0, pieces[2].y0);
    drop();
    EXPECT_EQ(pieces[2].gp, 0);
    EXPECT_EQ(pieces[1].gp, 0);
}

TEST_F(Snapping, HiddenNeighbourNeverJoins) {
    make_grid(1, 2);
    pieces[1].visible = 0;
    carry(2, pieces[2].x0, pieces[2].y0);
    drop();
    EXPECT_EQ(pieces[2].gp, 0);
    EXPECT_EQ(pieces[1].gp, 0);
}

TEST_F(Snapping, LooseDropBetweenTwoGroupsMergesAllThreeWithOneFreshNumber) {
    make_grid(1, 5);
    group({1, 2}, 3, 1);
    group({4, 5}, 7, 4);
    group_counter = 7;
    pieces[3].x = 600;
    carry(3, pieces[3].x0 + 4, pieces[3].y0 - 3);
    drop();
    for (int i = 1; i <= 5; i++) EXPECT_EQ(pieces[i].gp, 8) << i;
    EXPECT_EQ(group_counter, 8);
    for (int i = 1; i <= 5; i++) EXPECT_EQ(pieces[i].x, pieces[i].x0 + 4) << i;
}

TEST_F(Snapping, GroupDropJoinsEveryFittingOutsidePieceIntoOneGroup) {
    make_grid(2, 3);
    group({2, 5}, 1, 2);  // the middle column
    group_counter = 1;
    // Move the middle column away and bring it back 5 pixels off.
    carry(2, 500, 400);
    drop();
    ASSERT_EQ(pieces[1].gp, 0);
    carry(2, pieces[2].x0 + 5, pieces[2].y0 + 5);
    drop();
    for (int i = 1; i <= 6; i++) EXPECT_EQ(pieces[i].gp, 2) << i;
    EXPECT_EQ(group_counter, 2);
    EXPECT_EQ(pieces[2].x, pieces[2].x0 + 5);
    EXPECT_EQ(pieces[6].y, pieces[6].y0 + 5);
}

TEST_F(Snapping, EveryFitSoundsOneClickAndAPieceReachedTwiceSoundsTwice) {
    listen_for_clicks();
    make_grid(1, 3);
    carry(2, pieces[2].x0, pieces[2].y0);
    drop();
    EXPECT_EQ(clicks_heard(), 2);  // west and east neighbours

    // A 2x2 with the bottom-right piece missing: dropping the L-shaped
    // group {1, 2, 3} next to 4 reaches 4 from both 2 and 3.
    SetUp();
    listen_for_clicks();
    make_grid(2, 2);
    group({1, 2, 3}, 1, 1);
    group_counter = 1;
    pieces[4].x = 600;
    carry(1, pieces[1].x0, pieces[1].y0);
    pieces[4].x = pieces[4].x0;
    drop();
    EXPECT_EQ(clicks_heard(), 2);
    EXPECT_EQ(pieces[4].gp, 2);

    // A drop that fits nothing is silent.
    SetUp();
    listen_for_clicks();
    make_grid(1, 3);
    carry(1, 600, 500);
    drop();
    EXPECT_EQ(pieces[1].gp, 0);
    EXPECT_EQ(clicks_heard(), 0);
}

TEST_F(Snapping, GroupNumbersRiseByOnePerJoiningDropOnly) {
    make_grid(1, 4);
    pieces[3].x = pieces[4].x = 700;
    carry(2, pieces[2].x0, pieces[2].y0);
    drop();
    EXPECT_EQ(group_counter, 1);
    carry(4, 100, 500);  // fits nothing
    drop();
    EXPECT_EQ(group_counter, 1);
    carry(3, pieces[3].x0, pieces[3].y0);
    drop();
    EXPECT_EQ(group_counter, 2);
    EXPECT_EQ(pieces[1].gp, 2);
}

TEST_F(Snapping, EdgeFlagSpreadsOverTheWholeGroup) {
    make_grid(3, 3);
    ASSERT_EQ(pieces[5].edge, 0);
    pieces[4].x = 700;
    carry(5, pieces[5].x0, pieces[5].y0);  // fits 2, 6 and 8: all edge pieces
    drop();
    EXPECT_EQ(pieces[5].edge, 1);
}
