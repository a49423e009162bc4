// The opening and the celebration: the title's first frame loads and deals
// the reserved jigsaw and starts its flight; a flashed letter ends up in
// both display buffers, and a blank only moves the pen.
#include "media/null/null_backend.h"
#include "storage_fixture.h"

struct Title : StorageFixture {};

TEST_F(Title, FirstFrameLoadsTheReservedJigsawAndStartsTheFlight) {
    make_grid_jigsaw("0000bexil", 2, 2);
    completion_seen = 1;
    help_prompt_active = 0;
    screen_state = SCREEN_TITLE;
    title_step();
    EXPECT_EQ(jigsaw_name, "0000bexil");
    EXPECT_EQ(piece_count, 4);
    EXPECT_EQ(screen_state, SCREEN_ANIM);
    EXPECT_EQ(anim_phase, 1);
    EXPECT_EQ(help_prompt_active, 1);
    EXPECT_EQ(completion_seen, 1);  // the opening is no completion
    // The flight ends with the reserved jigsaw whole.
    completion_animation_frame();
    anim_next_tick = clock_ms() - 1000;
    for (int i = 0; i < 300 && anim_phase != 4; i++) completion_animation_frame();
    EXPECT_TRUE(puzzle_complete());
}

TEST_F(Title, AJigsawAlreadyChosenIsNotReplaced) {
    make_grid_jigsaw("0000bexil", 2, 2);
    make_grid_jigsaw("chosen", 1, 3);
    ASSERT_TRUE(start_jigsaw("chosen"));
    title_step();
    EXPECT_EQ(jigsaw_name, "chosen");
    EXPECT_EQ(piece_count, 3);
}

TEST_F(Title, FlashedLetterEndsInBothBuffersAndABlankOnlyMoves) {
    TImageFont* font = load_font(TEST_GAME_DIR "/fonts/courbi.ttf", 28, 4);
    ASSERT_NE(font, nullptr);
    select_font(font);
    set_clear_color(0, 0, 0);
    clear_screen();
    int flips = null_flip_count();
    int start = clock_ms();
    int width = flash_letter('W', 400, 300);
    EXPECT_EQ(width, text_width("W"));
    EXPECT_GE(clock_ms() - start, 9 * 50);
    EXPECT_EQ(null_flip_count() - flips, 7 + 3 + 2);
    int lit_back = 0, lit_front = 0;
    for (int y = 280; y < 320; y++)
        for (int x = 380; x < 420; x++) {
            if ((read_pixel(null_back_buffer(), x, y) & 0xFF) > 0) lit_back++;
            if ((read_pixel(null_front_buffer(), x, y) & 0xFF) > 0) lit_front++;
        }
    EXPECT_GT(lit_back, 0);
    EXPECT_GT(lit_front, 0);
    flips = null_flip_count();
    start = clock_ms();
    EXPECT_EQ(flash_letter(' ', 400, 300), text_width(" "));
    EXPECT_EQ(null_flip_count(), flips);
    EXPECT_LT(clock_ms() - start, 50);
    select_font(nullptr);
    free_font(font);
}
