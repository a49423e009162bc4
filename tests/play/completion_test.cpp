// Completion and the flight: complete only when one upright group, the
// flight home in anim_steps steps, a click that ends it at once, and a
// finished puzzle turned by a right click counting as incomplete again.
#include "play_fixture.h"

struct Completion : PlayFixture {};

TEST_F(Completion, CompleteOnlyWhenOneUprightGroup) {
    make_grid(2, 2);
    EXPECT_FALSE(puzzle_complete());  // all loose
    group({1, 2}, 1, 1);
    group({3, 4}, 2, 3);
    EXPECT_FALSE(puzzle_complete());  // two groups holding every piece
    group({1, 2, 3, 4}, 3, 1);
    EXPECT_TRUE(puzzle_complete());
    pieces[1].a = 1;
    place_group(1);
    EXPECT_FALSE(puzzle_complete());  // joined but turned
}

TEST_F(Completion, RightClickOnFinishedPuzzleTurnsItAndMakesItIncomplete) {
    make_grid(1, 2);
    group({1, 2}, 1, 1);
    ASSERT_TRUE(puzzle_complete());
    mouse_at(pieces[2].x, pieces[2].y);
    right_click_pending = 1;
    screen_state = SCREEN_JIGSAW;
    jigsaw_screen_frame();
    EXPECT_EQ(right_click_pending, 0);
    EXPECT_EQ(pieces[1].a, 1);
    EXPECT_EQ(pieces[2].a, 1);
    EXPECT_EQ(pieces[2].x, pieces[2].x0);  // turned about the clicked piece
    EXPECT_FALSE(puzzle_complete());
    // Incomplete again, so a piece can be taken.
    click_pending = 1;
    jigsaw_screen_frame();
    EXPECT_EQ(held_piece, 2);
}

TEST_F(Completion, FlightBringsEveryPieceHomeInOneGroup) {
    make_grid(2, 3);
    for (int i = 1; i <= 6; i++) {
        pieces[i].x = 700 - i * 50;
        pieces[i].y = 550 - i * 30;
        pieces[i].a = i % 4;
        pieces[i].visible = i % 2;
    }
    start_completion_animation();
    EXPECT_EQ(screen_state, SCREEN_ANIM);
    for (int i = 1; i <= 6; i++) EXPECT_EQ(pieces[i].visible, 1);
    completion_animation_frame();  // phase 1: the flight is laid out
    EXPECT_EQ(anim_phase, 2);
    EXPECT_EQ(anim_skipped, 0);
    // Make every step due at once: the start lies in the past.
    anim_next_tick = clock_ms() - 1000;
    completion_animation_frame();
    // One step of 1/200 of the way, truncated toward zero.
    EXPECT_EQ(pieces[6].x, static_cast<int>(400.0f + (180.0f - 400.0f) / 200));
    int frames = 1;
    while (anim_phase != 4 && frames < 500) {
        completion_animation_frame();
        frames++;
    }
    EXPECT_GE(frames, anim_steps - 2);
    EXPECT_LE(frames, anim_steps + 3);
    for (int i = 1; i <= 6; i++) {
        EXPECT_EQ(pieces[i].x, pieces[i].x0) << i;
        EXPECT_EQ(pieces[i].y, pieces[i].y0) << i;
        EXPECT_EQ(pieces[i].a, 0) << i;
        EXPECT_EQ(pieces[i].gp, 1) << i;
    }
    EXPECT_TRUE(puzzle_complete());
}

TEST_F(Completion, StepsAreDueOnlyMoreThanATickAfterTheStartTickOrWhenTheClockWentBack) {
    make_grid(1, 2);
    pieces[1].x = 600;
    start_completion_animation();
    completion_animation_frame();
    anim_next_tick = clock_ms() - 10;  // 10 ms past the start tick: not due
    completion_animation_frame();
    EXPECT_EQ(pieces[1].x, 600);
    anim_next_tick = clock_ms() + 1000;  // the clock lies before it: due
    completion_animation_frame();
    EXPECT_EQ(pieces[1].x, 597);
}

TEST_F(Completion, ClickEndsTheFlightAtOnceWithEveryPieceHome) {
    make_grid(1, 3);
    for (int i = 1; i <= 3; i++) pieces[i].x = 600;
    start_completion_animation();
    completion_animation_frame();
    anim_next_tick = clock_ms() - 1000;
    completion_animation_frame();
    click_pending = 1;
    completion_animation_frame();
    EXPECT_EQ(click_pending, 0);
    EXPECT_EQ(anim_skipped, 1);
    EXPECT_EQ(anim_phase, 4);
    for (int i = 1; i <= 3; i++) EXPECT_EQ(pieces[i].x, pieces[i].x0) << i;
}
