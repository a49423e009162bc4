// The puzzle model: the deal, the per-game reset and which cells are on the border.
#include "play_fixture.h"

struct Model : PlayFixture {};

TEST_F(Model, DealPutsEveryPieceOnTheBoardLooseAndShown) {
    make_grid(3, 4);
    pieces[2].wd = 900;  // wider than the board: the bounds reverse
    for (int i = 1; i <= 12; i++) {
        pieces[i].gp = 3;
        pieces[i].box = 2;
        pieces[i].visible = 0;
    }
    draw_order[1] = 12;
    draw_order[12] = 1;
    group_counter = 9;
    seed_random(7);
    bool turned[4] = {};
    for (int round = 0; round < 20; round++) {
        scatter_pieces();
        for (int i = 1; i <= 12; i++) {
            const piece_type& p = pieces[i];
            if (i == 2) {
                EXPECT_GE(p.x, 800 - 450);
                EXPECT_LE(p.x, 450);
            } else {
                EXPECT_GE(p.x, SIDE / 2);
                EXPECT_LE(p.x, 800 - SIDE / 2);
            }
            EXPECT_GE(p.y, SIDE / 2);
            EXPECT_LE(p.y, 600 - SIDE / 2);
            ASSERT_GE(p.a, 0);
            ASSERT_LE(p.a, 3);
            turned[p.a] = true;
            EXPECT_EQ(p.gp, 0);
            EXPECT_EQ(p.box, 0);
            EXPECT_EQ(p.visible, 1);
        }
    }
    for (int a = 0; a < 4; a++) EXPECT_TRUE(turned[a]) << a;
    EXPECT_EQ(group_counter, 0);
    EXPECT_EQ(draw_order[1], 12);  // the drawing order is left alone
}

TEST_F(Model, ResetClearsThePerGameStateAndRecomputesEdges) {
    make_grid(1, 4);
    for (int i = 1; i <= 4; i++) pieces[i].edge = 0;
    held_piece = 2;
    completion_seen = 1;
    picture_shown = swatch_shown = 1;
    current_box = 4;
    show_grouped = show_loose = 0;
    reset_play_state();
    EXPECT_EQ(held_piece, 0);
    EXPECT_EQ(completion_seen, 0);
    EXPECT_EQ(picture_shown, 0);
    EXPECT_EQ(swatch_shown, 0);
    EXPECT_EQ(current_box, 1);
    EXPECT_EQ(show_grouped, 1);
    EXPECT_EQ(show_loose, 1);
    for (int i = 1; i <= 4; i++) EXPECT_EQ(pieces[i].edge, 1) << i;  // one row: all border

    make_grid(3, 3);
    pieces[5].edge = 1;
    reset_play_state();
    EXPECT_EQ(pieces[5].edge, 0);
    EXPECT_EQ(pieces[4].edge, 1);
}
