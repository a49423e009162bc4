// The opening and the celebration: the title's first frame loads and deals
// the reserved jigsaw and starts its flight; a flashed letter ends up in
// both display buffers, a blank only moves the pen, and the celebration's
// line stands in the middle of the screen.
#include <algorithm>
#include <filesystem>

#include "media/null/null_backend.h"
#include "tests/library/storage_fixture.h"

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
    EXPECT_LT(clock_ms() - start, 9 * 50);  // no flash's wait, even on a loaded machine
    select_font(nullptr);
    free_font(font);
}

TEST_F(Title, TheCelebrationLineIsCentredOnTheScreen) {
    // The celebration reads its font and flash frames from the game folder.
    std::filesystem::create_symlink(TEST_GAME_DIR "/fonts", "fonts");
    std::filesystem::create_symlink(TEST_GAME_DIR "/images", "images");
    set_clear_color(0, 0, 0);
    clear_screen();
    celebrate("WM");
    // The letters' ink: light yellow, well apart from the tinted black.
    int x0 = 800, x1 = -1, y0 = 600, y1 = -1;
    for (int y = 0; y < 600; y++)
        for (int x = 0; x < 800; x++) {
            uint32_t p = read_pixel(null_back_buffer(), x, y);
            int r = (p >> 16) & 255, b = p & 255;
            if (r < 160 || r - b < 60) continue;
            x0 = std::min(x0, x), x1 = std::max(x1, x);
            y0 = std::min(y0, y), y1 = std::max(y1, y);
        }
    ASSERT_GE(x1, x0);
    EXPECT_NEAR((x0 + x1 + 1) / 2.0, 400, 3);
    // On the middle line: the ink lies within the line's height about y 300.
    TImageFont* font = load_font("fonts/courbi.ttf", 28, 4);
    ASSERT_NE(font, nullptr);
    select_font(font);
    int lh = text_height("WM");
    select_font(nullptr);
    free_font(font);
    EXPECT_GE(y0, 300 - lh / 2 - 1);
    EXPECT_LE(y1, 300 + lh / 2 + 1);
}
