// Picking and carrying: the topmost opaque pixel wins, transparent corners
// and hidden pieces fall through, raising keeps the drawing order a
// permutation, and place_group keeps a group rigid at every rotation.
#include "play_fixture.h"

struct Picking : PlayFixture {};

TEST_F(Picking, StackedPiecesGiveTheOneDrawnLast) {
    make_grid(1, 3);
    for (int i = 1; i <= 3; i++) pieces[i].x = pieces[i].y = 300;
    draw_order[1] = 3;
    draw_order[2] = 1;
    draw_order[3] = 2;
    mouse_at(300, 300);
    EXPECT_EQ(piece_under_mouse(), 2);
    pieces[2].visible = 0;
    EXPECT_EQ(piece_under_mouse(), 1);
    pieces[1].visible = 0;
    pieces[3].visible = 0;
    EXPECT_EQ(piece_under_mouse(), 0);
}

TEST_F(Picking, TransparentCornerFallsThroughToThePieceBeneath) {
    make_grid(1, 2);
    // Piece 2 on top, its top-left quarter transparent.
    TPixmap* px = lock_image(pieces[2].img, 0, true, true);
    for (int y = 0; y < SIDE / 2; y++)
        for (int x = 0; x < SIDE / 2; x++) write_pixel(px, x, y, 0x00000000);
    pieces[1].x = pieces[2].x = 300;
    pieces[1].y = pieces[2].y = 300;
    mouse_at(300 - SIDE / 2 + 3, 300 - SIDE / 2 + 3);
    EXPECT_EQ(piece_under_mouse(), 1);
    mouse_at(300 + 5, 300 + 5);
    EXPECT_EQ(piece_under_mouse(), 2);
    // Turned a half turn, the transparent quarter is bottom-right.
    pieces[2].a = 2;
    mouse_at(300 + SIDE / 2 - 3, 300 + SIDE / 2 - 3);
    EXPECT_EQ(piece_under_mouse(), 1);
    mouse_at(300 - SIDE / 2 + 3, 300 - SIDE / 2 + 3);
    EXPECT_EQ(piece_under_mouse(), 2);
}

// A piece twice as wide as tall, drawn centred at (300, 300): at every
// turn a click on each of its drawn edge pixels picks it and one beside
// them does not, so the picked pixels are the drawn ones.
TEST_F(Picking, AClickPicksExactlyThePixelsDrawnAtEveryTurn) {
    make_grid(1, 1);
    free_image(pieces[1].img);
    pieces[1].img = support::solid_image(SIDE, SIDE / 2, 0xFF808080);
    centre_image_handle(pieces[1].img);
    pieces[1].x = pieces[1].y = 300;
    for (int a = 0; a < 4; a++) {
        pieces[1].a = a;
        // Drawn: columns 300 - hw .. 300 + hw - 1, rows 300 - hh .. 300 + hh - 1.
        int hw = (a % 2 ? SIDE / 2 : SIDE) / 2, hh = (a % 2 ? SIDE : SIDE / 2) / 2;
        const int edges[4][4] = {{300 - hw, 300, -1, 0}, {300 + hw - 1, 300, 1, 0},
                                 {300, 300 - hh, 0, -1}, {300, 300 + hh - 1, 0, 1}};
        for (const auto& e : edges) {
            EXPECT_EQ(piece_at(e[0], e[1]), 1) << "a=" << a << " edge pixel " << e[0] << "," << e[1];
            EXPECT_EQ(piece_at(e[0] + e[2], e[1] + e[3]), 0) << "a=" << a << " beside " << e[0] << "," << e[1];
        }
    }
}

TEST_F(Picking, PickUpTakesThePieceRaisesItsGroupAndConsumesTheClick) {
    make_grid(2, 2);
    group({1, 4}, 1, 1);  // not neighbours, but a group is a group
    tidy_state.k = 5;
    mouse_at(pieces[4].x + 3, pieces[4].y - 2);
    click_pending = 1;
    pick_up_piece();
    EXPECT_EQ(held_piece, 4);
    EXPECT_EQ(click_pending, 0);
    EXPECT_EQ(grab_dx, 3);
    EXPECT_EQ(grab_dy, -2);
    EXPECT_EQ(tidy_state.k, 0);
    // The group on top, in piece-number order.
    EXPECT_EQ(draw_order[1], 2);
    EXPECT_EQ(draw_order[2], 3);
    EXPECT_EQ(draw_order[3], 1);
    EXPECT_EQ(draw_order[4], 4);
}

TEST_F(Picking, EmptyBoardLeavesTheClickPending) {
    make_grid(1, 2);
    mouse_at(700, 500);
    click_pending = 1;
    pick_up_piece();
    EXPECT_EQ(held_piece, 0);
    EXPECT_EQ(click_pending, 1);
}

TEST_F(Picking, FinishedPuzzleCannotBePickedApart) {
    make_grid(1, 2);
    group({1, 2}, 1, 1);
    mouse_at(pieces[1].x, pieces[1].y);
    click_pending = 1;
    pick_up_piece();
    EXPECT_EQ(held_piece, 0);
    EXPECT_EQ(click_pending, 1);
}

TEST_F(Picking, RaisePieceKeepsTheOthersInOrder) {
    make_grid(1, 5);
    raise_piece(2);
    const int expected[6] = {0, 1, 3, 4, 5, 2};
    for (int i = 1; i <= 5; i++) EXPECT_EQ(draw_order[i], expected[i]) << i;
    raise_piece(2);  // already on top
    for (int i = 1; i <= 5; i++) EXPECT_EQ(draw_order[i], expected[i]) << i;
}

TEST_F(Picking, PlaceGroupIsRigidAtEveryRotation) {
    make_grid(3, 3);
    group({1, 2, 5, 9}, 4, 1);
    for (int a = 0; a < 4; a++) {
        pieces[5].a = a;
        pieces[5].x = 400;
        pieces[5].y = 300;
        place_group(5);
        EXPECT_EQ(pieces[5].x, 400);
        EXPECT_EQ(pieces[5].y, 300);
        for (int m : {1, 2, 9}) {
            int dx, dy;
            turn_offset(a, pieces[m].x0 - pieces[5].x0, pieces[m].y0 - pieces[5].y0, &dx, &dy);
            EXPECT_EQ(pieces[m].a, a);
            EXPECT_EQ(pieces[m].x - 400, dx) << "a=" << a << " m=" << m;
            EXPECT_EQ(pieces[m].y - 300, dy) << "a=" << a << " m=" << m;
        }
        EXPECT_EQ(pieces[3].x, pieces[3].x0);  // not in the group
    }
    // The turn rule itself: east of the pivot goes south after a quarter turn.
    int dx, dy;
    turn_offset(1, SIDE, 0, &dx, &dy);
    EXPECT_EQ(dx, 0);
    EXPECT_EQ(dy, SIDE);
}

TEST_F(Picking, RightClickTurnsTheGroupAboutTheClickedPiece) {
    make_grid(1, 2);
    group({1, 2}, 1, 1);
    pieces[2].a = 3;
    turn_piece(2);  // 3 + 1 wraps to 0
    EXPECT_EQ(pieces[1].a, 0);
    turn_piece(2);
    EXPECT_EQ(pieces[2].x, pieces[2].x0);
    EXPECT_EQ(pieces[1].x, pieces[2].x0);
    EXPECT_EQ(pieces[1].y, pieces[2].y0 - SIDE);
}

TEST_F(Picking, HomeFirstPieceOnALoosePieceMovesOnlyIt) {
    make_grid(1, 3);
    for (int i = 1; i <= 3; i++) {
        pieces[i].x = 500 + i;
        pieces[i].a = 1;
    }
    home_first_piece();
    EXPECT_EQ(pieces[1].x, pieces[1].x0);
    EXPECT_EQ(pieces[1].a, 0);
    EXPECT_EQ(pieces[2].x, 502);
    EXPECT_EQ(pieces[2].a, 1);

    group({2, 3}, 2, 2);
    pieces[1].gp = 2;
    home_first_piece();
    for (int i = 1; i <= 3; i++) {
        EXPECT_EQ(pieces[i].x, pieces[i].x0) << i;
        EXPECT_EQ(pieces[i].a, 0) << i;
    }
}
