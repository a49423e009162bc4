// The board kept under a carried group: every frame gives the pixels of
// drawing the whole board (turned, hidden, boxed and overlapping pieces,
// the picture, the swatch, the tidy count and the help prompt), whatever
// changes while the group is carried; and the kept board is really reused,
// also for a saved game's thumbnail when it shows just the board.
#include "tests/play/play_fixture.h"

namespace {

struct Compose : PlayFixture {
    void SetUp() override {
        PlayFixture::SetUp();
        if (!open_screen(800, 600, 0, 60, 0)) FAIL() << "the null display did not open";
        if (!font_large) font_large = load_font(TEST_GAME_DIR "/fonts/Tahoma.ttf", 22, 4);
        ASSERT_NE(font_large, nullptr);
        make_grid(3, 4);
        // Pieces of their own colours, wider than tall, with a see-through
        // corner, laid over each other so that the drawing order shows.
        for (int i = 1; i <= piece_count; i++) {
            free_image(pieces[i].img);
            pieces[i].img = support::solid_image(48, 32, 0xFF000000u | (uint32_t)(i * 0x1F3A57));
            TPixmap* pixels = lock_image(pieces[i].img, 0, true, true);
            for (int y = 0; y < 8; y++)
                for (int x = 0; x < 8; x++) write_pixel(pixels, x, y, 0);
            centre_image_handle(pieces[i].img);
            pieces[i].x = 150 + 37 * i;
            pieces[i].y = 200 + 9 * (i % 5);
            pieces[i].a = i % 4;
        }
        pieces[5].visible = 0;  // hidden by a filter
        pieces[6].box = 2;      // boxed and hidden
        pieces[6].visible = 0;
        pieces[7].box = 3;    // boxed and shown
        group({2, 3}, 1, 2);  // a group to carry
        picture = support::solid_image(80, 60, 0xFFE0E000);
        picture_x = 300, picture_y = 190, picture_w = 80, picture_h = 60;
        picture_shown = 1;
        swatch = support::solid_image(60, 40, 0xFF102030);
        swatch_image = swatch;
        swatch_x = 180, swatch_y = 210;
        swatch_shown = 1;
        tidy_state.k = 7;
        tidy_state.x = 400;
        tidy_state.y = 220;
        pref_help_prompt = 1;
        help_prompt_active = 1;
        bg_red = 30, bg_green = 60, bg_blue = 90;
        board_composing = 1;
    }
    void TearDown() override {
        board_composing = 1;
        held_piece = 0;
        swatch_image = nullptr;
        free_image(swatch);
        pref_help_prompt = 0;
        PlayFixture::TearDown();
    }

    // One frame with the kept board, then the same frame drawn whole.
    static void expect_composed_frame_is_whole(const char* after) {
        jigsaw_screen_frame();
        std::vector<uint8_t> composed = null_back_buffer()->pixels;
        board_composing = 0;
        jigsaw_screen_frame();
        board_composing = 1;
        EXPECT_TRUE(composed == null_back_buffer()->pixels) << "after " << after;
    }
    static void carry_to(int x, int y) {
        pieces[held_piece].x = x;
        pieces[held_piece].y = y;
        place_group(held_piece);
    }
    TImage* swatch = nullptr;
};

TEST_F(Compose, EveryCarriedFrameHasThePixelsOfTheWholeBoard) {
    carry(2, 260, 230);  // the group of 2 and 3, over the swatch and the picture
    ASSERT_EQ(held_piece, 2);
    expect_composed_frame_is_whole("the pick-up");
    for (int step = 1; step <= 6; step++) {
        carry_to(260 + 23 * step, 230 - 7 * step);
        expect_composed_frame_is_whole("a motion");
    }
    turn_piece(2);
    expect_composed_frame_is_whole("a turn of the carried group");

    // Changes under the carried group.
    pieces[5].visible = 1;
    expect_composed_frame_is_whole("a filter");
    pieces[9].a = (pieces[9].a + 1) % 4;
    expect_composed_frame_is_whole("another piece turned");
    pieces[10].x += 5;
    expect_composed_frame_is_whole("another piece moved");
    raise_piece(1);
    expect_composed_frame_is_whole("a change of drawing order");
    bg_green = 200;
    expect_composed_frame_is_whole("a new colour");
    tidy_state.k = 0;
    expect_composed_frame_is_whole("the tidy count hidden");
    help_prompt_active = 0;
    expect_composed_frame_is_whole("the prompt gone");
    picture_x += 40;
    expect_composed_frame_is_whole("the picture moved");
    swatch_shown = 0;
    expect_composed_frame_is_whole("the swatch hidden");
    set_color(200, 100, 50);
    expect_composed_frame_is_whole("another drawing colour");
    set_color(255, 255, 255);
    expect_composed_frame_is_whole("white again");
}

TEST_F(Compose, ALoosePieceCarriedAloneLeavesItsOldGroupOnTheBoard) {
    carry(4, 330, 215);  // loose: only it is carried
    expect_composed_frame_is_whole("a loose pick-up");
    carry_to(350, 240);
    expect_composed_frame_is_whole("a motion");
    held_piece = 0;
    expect_composed_frame_is_whole("the drop");
}

TEST_F(Compose, TheKeptBoardIsReusedWhileNothingItShowsChanged) {
    carry(2, 260, 230);
    jigsaw_screen_frame();
    // A change no input of the board covers: the kept board still shows
    // the old colour of piece 9, the whole board the new one.
    TPixmap* pixels = lock_image(pieces[9].img, 0, true, true);
    for (int y = 8; y < pixels->height; y++)
        for (int x = 8; x < pixels->width; x++) write_pixel(pixels, x, y, 0xFFFFFFFF);
    jigsaw_screen_frame();
    uint32_t kept = read_pixel(null_back_buffer(), pieces[9].x, pieces[9].y);
    board_composing = 0;
    jigsaw_screen_frame();
    uint32_t whole = read_pixel(null_back_buffer(), pieces[9].x, pieces[9].y);
    EXPECT_NE(kept, whole);
    EXPECT_EQ(whole & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(Compose, TheKeptBoardStandsForTheShownBoardOnlyWhenItShowsJustThat) {
    // What the thumbnail of a saved game is grabbed from: the board and
    // the picture, no swatch, nothing carried.
    swatch_shown = 0;
    jigsaw_screen_frame();
    set_clear_color(0, 0, 0);
    clear_screen();
    ASSERT_TRUE(restore_shown_board());
    std::vector<uint8_t> restored = null_back_buffer()->pixels;
    draw_board();
    draw_image(picture, static_cast<float>(picture_x), static_cast<float>(picture_y), 0);
    EXPECT_TRUE(restored == null_back_buffer()->pixels);

    struct refused_case {
        const char* name;
        bool before_frame;  // the change comes before the board is kept, else after
        void (*change)();
        void (*undo)();
    };
    const refused_case cases[] = {
        {"the swatch shown", true, [] { swatch_shown = 1; }, [] { swatch_shown = 0; }},
        {"a piece carried", true, [] { held_piece = 4; }, [] { held_piece = 0; }},
        {"a piece moved since", false, [] { pieces[10].x += 5; }, [] { pieces[10].x -= 5; }},
        {"the board drawn whole", true, [] { board_composing = 0; }, [] { board_composing = 1; }},
    };
    for (const refused_case& c : cases) {
        if (c.before_frame) c.change();
        jigsaw_screen_frame();
        if (!c.before_frame) c.change();
        set_clear_color(0, 0, 0);
        clear_screen();
        std::vector<uint8_t> cleared = null_back_buffer()->pixels;
        EXPECT_FALSE(restore_shown_board()) << c.name;
        EXPECT_TRUE(cleared == null_back_buffer()->pixels) << c.name << ": nothing drawn";
        c.undo();
    }
}

}  // namespace
