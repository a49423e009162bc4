// Frames drawn over the kept copy of the board on the null display: a
// restore repaints only what the last frames drew, a flip shows only what
// changed, and still every frame on the screen (and in the back buffer)
// has the pixels of drawing the whole board and what lies over it, with no
// trail of a carried group, a status line or a pointer. Anything without
// bounds (a clear, an expose, a display without region copies) shows the
// whole frame.
#include <gtest/gtest.h>

#include "media/media_internal.h"
#include "media/null/null_backend.h"
#include "tests/media_null/kept_board_scene.h"

namespace {

struct KeptRegion : testing::Test {
    void SetUp() override {
        ASSERT_NE(open_screen(kSceneWidth, kSceneHeight, 0, 60, 0), nullptr);
        make_scene(&scene);
        // Each frame drawn whole, the reference.
        for (int frame = 0; frame < kSceneFrames; frame++) {
            draw_scene_board(scene);
            draw_scene_overlay(scene, frame);
            whole.push_back(null_back_buffer()->pixels);
        }
    }
    void TearDown() override {
        free_scene(&scene);
        null_set_region_presents(true);
        close_screen();
    }

    // The frame drawn over the kept board (kept first on frame `first`).
    void compose(int frame, int first) {
        if (frame == first) {
            draw_scene_board(scene);
            ASSERT_TRUE(save_back_buffer());
        } else {
            ASSERT_TRUE(restore_back_buffer());
        }
        draw_scene_overlay(scene, frame);
        flip(1);
    }
    int present(TDamageRect* r) { return null_last_present(&r->x0, &r->y0, &r->x1, &r->y1); }
    ::testing::AssertionResult shows_whole(int frame) {
        if (null_front_buffer()->pixels != whole[(size_t)frame])
            return ::testing::AssertionFailure() << "the screen differs at frame " << frame;
        if (null_back_buffer()->pixels != whole[(size_t)frame])
            return ::testing::AssertionFailure() << "the back buffer differs at frame " << frame;
        return ::testing::AssertionSuccess();
    }

    KeptBoardScene scene;
    std::vector<std::vector<uint8_t>> whole;
};

TEST_F(KeptRegion, EveryFrameShowsTheWholeDrawingWhilePresentingOnlyWhatChanged) {
    for (int frame = 0; frame < kSceneFrames; frame++) {
        compose(frame, 0);
        ASSERT_TRUE(shows_whole(frame));
        TDamageRect r;
        int how = present(&r);
        if (frame == 0) {
            // The board was drawn: all of it goes, and the back buffer stays.
            EXPECT_EQ(how, PRESENT_WHOLE);
            continue;
        }
        EXPECT_EQ(how, PRESENT_REGION) << "frame " << frame;
        // Where neither this frame nor the last shows the status line,
        // only the old and new places of the group or pointer are copied.
        if (scene_shows_status(frame) || scene_shows_status(frame - 1) || frame == kScenePointerOnly) continue;
        int area = (r.x1 - r.x0) * (r.y1 - r.y0);
        EXPECT_LT(area, frame < kScenePointerOnly ? 200 * 160 : 60 * 60) << "frame " << frame;
    }
}

TEST_F(KeptRegion, TheKeptCopyEnlargedShowsEachKeptPixelZoomTimesLarger) {
    check_kept_enlarged(scene, [] { return null_back_buffer()->pixels; });
    // A flip after it shows the square: it was noted as drawn.
    flip(1);
    EXPECT_TRUE(null_front_buffer()->pixels == null_back_buffer()->pixels);
    close_screen();
    ASSERT_NE(open_screen(kSceneWidth, kSceneHeight, 0, 60, 0), nullptr);
    EXPECT_FALSE(draw_kept_enlarged(400, 300, 120, 2)) << "a new display has nothing kept";
}

TEST_F(KeptRegion, AFrameThatRepeatsTheLastPresentsNothing) {
    compose(0, 0);
    compose(kScenePointerOnly + 2, 0);
    ASSERT_TRUE(restore_back_buffer());
    flip(1);  // the overlay was taken off: the board alone
    draw_scene_board(scene);
    std::vector<uint8_t> board = null_back_buffer()->pixels;
    ASSERT_TRUE(save_back_buffer());
    flip(1);
    ASSERT_TRUE(restore_back_buffer());
    flip(1);
    TDamageRect r;
    EXPECT_EQ(present(&r), PRESENT_REGION);
    EXPECT_TRUE(damage_rect_empty(r));
    EXPECT_TRUE(null_front_buffer()->pixels == board);
}

TEST_F(KeptRegion, AClearAnExposeOrAMissingRegionCopyShowsTheWholeFrame) {
    TDamageRect r;
    compose(0, 0);
    compose(1, 0);
    ASSERT_EQ(present(&r), PRESENT_REGION);

    // Something else drawn between frames, then the board kept again.
    set_clear_color(255, 0, 0);
    clear_screen();
    flip(1);
    EXPECT_EQ(present(&r), PRESENT_SWAP);
    compose(2, 2);
    EXPECT_EQ(present(&r), PRESENT_WHOLE);
    EXPECT_TRUE(shows_whole(2));
    compose(3, 2);
    EXPECT_EQ(present(&r), PRESENT_REGION);
    EXPECT_TRUE(shows_whole(3));

    // The window lost what it showed: the frame after goes whole.
    display_shown_serial++;
    null_front_buffer()->pixels.assign(null_front_buffer()->pixels.size(), 0);
    compose(4, 2);
    EXPECT_EQ(present(&r), PRESENT_WHOLE);
    EXPECT_TRUE(shows_whole(4));
    compose(5, 2);
    EXPECT_EQ(present(&r), PRESENT_REGION);

    // A display that cannot copy a region swaps, and restores the whole copy.
    null_set_region_presents(false);
    for (int frame = 6; frame < kSceneFrames; frame++) {
        compose(frame, 6);
        EXPECT_EQ(present(&r), PRESENT_SWAP);
        ASSERT_TRUE(shows_whole(frame));
    }
}

TEST_F(KeptRegion, AReopenedDisplayStartsWhole) {
    compose(0, 0);
    compose(1, 0);
    ASSERT_NE(open_screen(kSceneWidth, kSceneHeight, 0, 60, 0), nullptr);
    EXPECT_FALSE(restore_back_buffer());
    compose(2, 2);
    TDamageRect r;
    EXPECT_EQ(present(&r), PRESENT_WHOLE);
    EXPECT_TRUE(shows_whole(2));
}

}  // namespace
