// Skipping identical frames: a still screen is not drawn again on plain
// ticks, every key, click and pointer motion still gets its frame, the
// screens that move with time are drawn on every tick, and what the
// screen shows after any input is what drawing every frame would show.
#include "media/null/null_backend.h"
#include "tests/shell/library_loop.h"
#include "tests/support/files.h"

namespace {

struct FrameSkip : LibraryLoop {
    void SetUp() override {
        LibraryLoop::SetUp();
        base_dir = TEST_GAME_DIR "/";  // the real pages and buttons
        pointer_image = load_image(base_dir + "images/pointer.bmp", -1);
        made_images.push_back(pointer_image);
        white_image = solid_image(2, 2, 0xFFFFFFFF);
        // Three pieces of different colours, the last one turned.
        const uint32_t colours[3] = {0xFFC04040, 0xFF40C040, 0xFF4040C0};
        piece_count = 3;
        rows = 1;
        columns = 3;
        for (int i = 1; i <= 3; i++) {
            pieces[i] = piece_type();
            pieces[i].img = unlisted_image(40, 30, colours[i - 1]);
            centre_image_handle(pieces[i].img);
            pieces[i].wd = 40;
            pieces[i].ht = 30;
            pieces[i].x = pieces[i].x0 = 200 + 100 * i;
            pieces[i].y = pieces[i].y0 = 300;
            pieces[i].visible = 1;
            draw_order[i] = i;
        }
        pieces[3].a = 1;
        picture = unlisted_image(80, 60, 0xFFE0E000);
        picture_x = 600;
        picture_y = 100;
        picture_w = 80;
        picture_h = 60;
        swatch_image = solid_image(60, 40, 0xFF102030);
        // The fixture's saved game of "alpha": its one piece, then the
        // colour, the display size and the group counter.
        support::write_text("players/default/alpha.txt",
                            support::saved_game_text({{400, 300, 0, 1, 0, 1, 0}}, 10, 20, 30));
        frame_skipping = 1;
        mark_frame_stale();  // the globals above changed without input
        move_to(100, 100);
        run(3);
    }
    void TearDown() override {
        // The help pages the game loaded from the real images.
        for (TImage*& page : help_images) {
            if (page) free_image(page);
            page = nullptr;
        }
        frame_skipping = 1;
        base_dir = "";
        swatch_image = nullptr;
        white_image = nullptr;
        LibraryLoop::TearDown();
    }

    // An image the fixture's tear-down frees only if the game still holds
    // it: loading a jigsaw frees the pieces and the picture itself.
    static TImage* unlisted_image(int w, int h, uint32_t argb) { return support::solid_image(w, h, argb); }

    // The frame on the screen against the one that drawing every frame
    // would show now: one more iteration (a plain tick) with skipping off.
    static void expect_shown_frame_is_current(const std::string& after) {
        std::vector<uint8_t> shown = null_front_buffer()->pixels;
        frame_skipping = 0;
        main_loop_iteration();
        frame_skipping = 1;
        EXPECT_TRUE(shown == null_front_buffer()->pixels) << "after " << after << " on " << screen_state;
    }
    // Flips during n plain ticks.
    static int flips_over_ticks(int n) {
        int before = null_flip_count();
        run(n);
        return null_flip_count() - before;
    }
};

TEST_F(FrameSkip, StillScreensCostNoFlipsWhileNothingHappens) {
    EXPECT_EQ(flips_over_ticks(50), 0) << "board";
    for (int key : {KEY_B, KEY_ESCAPE, KEY_H, KEY_ESCAPE, KEY_I, KEY_ESCAPE, KEY_N, KEY_ESCAPE, KEY_L, KEY_ESCAPE,
                    KEY_K, KEY_ESCAPE}) {
        press(key);
        run(3);  // settles on the screen the key opened
        EXPECT_EQ(flips_over_ticks(50), 0) << "on " << screen_state;
    }
}

// The loupe follows the pointer through the same frames: one a motion,
// each the frame drawing everything shows, and none while all is still.
TEST_F(FrameSkip, TheLoupeCostsOneFrameAMotionAndNoneWhileStill) {
    press(KEY_0);
    run(3);
    ASSERT_EQ(loupe_zoom, 2);
    EXPECT_EQ(flips_over_ticks(50), 0);
    for (int step = 1; step <= 4; step++) {
        int flips = null_flip_count();
        move_to(100 + 30 * step, 120 + 10 * step);
        run(2);
        EXPECT_EQ(null_flip_count() - flips, 1) << "motion " << step;
        expect_shown_frame_is_current("a motion with the loupe");
        int rim_x = 100 + 30 * step - loupe_size() / 2 - 3, rim_y = 120 + 10 * step;
        EXPECT_EQ(read_pixel(null_front_buffer(), rim_x, rim_y) & 0xffffff, 0xe0e0e0u) << "the rim, motion " << step;
        EXPECT_EQ(flips_over_ticks(20), 0) << "motion " << step;
    }
    press(KEY_PAD_MULTIPLY);
    run(3);
    EXPECT_EQ(loupe_zoom, 3);
    press(KEY_0);
    run(3);
    EXPECT_EQ(loupe_zoom, 0);
}

TEST_F(FrameSkip, EveryKeyClickAndMotionGetsItsFrame) {
    // Each motion: the iteration that takes it draws nothing new, the next
    // one draws the pointer at its new place.
    for (int step = 1; step <= 5; step++) {
        int flips = null_flip_count();
        move_to(100 + 20 * step, 120);
        run(1);
        run(1);
        EXPECT_EQ(null_flip_count() - flips, 1) << "motion " << step;
        expect_shown_frame_is_current("motion");
    }
    // A key that changes nothing on the board still gets its frame.
    int flips = null_flip_count();
    queue(EVENT_KEY_DOWN, 'V');
    run(2);
    EXPECT_EQ(null_flip_count() - flips, 1);
    // A click on empty board, a button let up, a key let up: one frame each.
    for (int id : {EVENT_MOUSE_DOWN, EVENT_MOUSE_UP, EVENT_KEY_UP}) {
        flips = null_flip_count();
        queue(id, id == EVENT_KEY_UP ? 'V' : 1, 120, 120);
        run(2);
        EXPECT_GE(null_flip_count() - flips, 1) << "event " << id;
        // A click may change what its frame showed after drawing it: one
        // more frame at most, then none.
        EXPECT_LE(flips_over_ticks(10), 1) << "event " << id;
        EXPECT_EQ(flips_over_ticks(10), 0) << "event " << id;
    }
}

TEST_F(FrameSkip, TheShownFrameIsCurrentAfterEveryKindOfInput) {
    struct step_type {
        const char* what;
        int key;   // a key to press, or 0
        int x, y;  // else a click here (button in `button`); x < 0: a motion only
        int button;
    };
    const step_type steps[] = {
        {"pick up", 0, 300, 300, 1},
        {"carry", 0, -1, 0, 0},
        {"turn while held", 0, 350, 320, 2},
        {"drop", 0, 360, 330, 1},
        {"turn the piece under the mouse", 0, 500, 300, 2},
        {"swatch", KEY_C, 0, 0, 0},
        {"swatch colour", 0, 20, 470, 1},
        {"picture", KEY_P, 0, 0, 0},
        {"take the picture", 0, 620, 120, 1},
        {"drag the picture", 0, -1, 0, 0},
        {"put it down", 0, 500, 200, 1},
        {"status line", KEY_X, 0, 0, 0},
        {"display info", KEY_F2, 0, 0, 0},
        {"exit question", KEY_ESCAPE, 0, 0, 0},
        {"no", 0, 10, 10, 1},
        {"box screen", KEY_B, 0, 0, 0},
        {"next box", 0, 20, 20, 1},
        {"back", KEY_J, 0, 0, 0},
        {"help", KEY_H, 0, 0, 0},
        {"help line", 0, -1, 0, 0},
        {"close help", KEY_H, 0, 0, 0},
        {"preferences", KEY_I, 0, 0, 0},
        {"a row", 0, 462, 130, 1},
        {"leave", KEY_ESCAPE, 0, 0, 0},
        {"new browser", KEY_N, 0, 0, 0},
        {"next page", KEY_RIGHT, 0, 0, 0},
        {"leave", KEY_ESCAPE, 0, 0, 0},
        {"kill browser", KEY_K, 0, 0, 0},
        {"mark", 0, 150, 150, 1},
        {"leave", KEY_ESCAPE, 0, 0, 0},
        {"load browser", KEY_L, 0, 0, 0},
        {"load", 0, 150, 150, 1},
    };
    int motion = 0;
    for (const step_type& step : steps) {
        if (step.key) {
            press(step.key);
        } else if (step.x < 0) {
            // As the window system mostly delivers it: while the loop waits,
            // after it sampled the mouse for the held piece.
            motion++;
            TEvent e;
            e.id = EVENT_MOUSE_MOVE;
            e.x = 330 + 7 * motion;
            e.y = 250 + 5 * motion;
            null_push_event_for_wait(e);
            run(1);
        } else {
            click(step.x, step.y, step.button);
        }
        run(3);
        expect_shown_frame_is_current(step.what);
    }
    EXPECT_EQ(jigsaw_name, "alpha");  // the last click resumed the saved game
}

TEST_F(FrameSkip, ScreensThatMoveWithTimeDrawEveryTick) {
    // The flight home: every tick a frame, and the pieces move between them.
    pieces[1].x = 50;
    start_completion_animation();
    int flips = null_flip_count();
    int changes = 0;
    for (int i = 0; i < 20 && screen_state == SCREEN_ANIM; i++) {
        delay(anim_tick_ms + 2);  // each step is due
        std::vector<uint8_t> before = null_front_buffer()->pixels;
        run(1);
        if (null_front_buffer()->pixels != before) changes++;
    }
    EXPECT_EQ(null_flip_count() - flips, 20);
    EXPECT_GE(changes, 10);

    // The unrotate screen turns one piece per frame, each one drawn.
    screen_state = SCREEN_JIGSAW;
    for (int i = 1; i <= 3; i++) pieces[i].a = 2;
    press(KEY_U);  // its key-up iteration drew the first frame
    flips = null_flip_count();
    int iterations = 0;
    for (; screen_state == SCREEN_UNROTATE && iterations < 20; iterations++) run(1);
    EXPECT_EQ(screen_state, "jigsaw");
    EXPECT_GE(iterations, 3);
    EXPECT_EQ(null_flip_count() - flips, iterations);
    expect_shown_frame_is_current("unrotate");  // the board after it, upright
}

TEST_F(FrameSkip, AFrameDrawnByAnyoneElseIsReplaced) {
    // A long operation's held message, and a lost window content.
    show_message_held("please wait");
    run(1);
    expect_shown_frame_is_current("a held message");
    int flips = null_flip_count();
    display_shown_serial++;  // as an expose does
    run(1);
    EXPECT_EQ(null_flip_count() - flips, 1);
    // A change no input made, announced by its maker.
    bg_red = 200;
    mark_frame_stale();
    run(1);
    expect_shown_frame_is_current("a marked change");
    EXPECT_EQ(flips_over_ticks(10), 0);
}

}  // namespace
