// The kept copy of the back buffer on the real backend: put back pixel for
// pixel whatever the drawing state, drawing afterwards still honours that
// state, a re-opened display has no copy until one is kept again, and
// frames drawn over it (repainting and showing only what changed where the
// GLX can copy part of the back buffer) show what drawing everything shows.
#include <gtest/gtest.h>

#include "media/media_internal.h"
#include "tests/media_null/kept_board_scene.h"
#include "tests/media_x11/xvfb_server.h"

// A frame of many colours: every pixel differs from its neighbours, so a
// copy put back one row or column off cannot match.
static TImage* noise_image(int w, int h) {
    TImage* image = create_image(w, h, 1, 0);
    TPixmap* pixels = lock_image(image, 0, false, true);
    uint32_t state = 12345;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            state = state * 1103515245u + 12345u;
            write_pixel(pixels, x, y, 0xFF000000u | (state >> 8));
        }
    return image;
}

// The whole back buffer as the grab reads it.
static std::vector<uint8_t> back_buffer_pixels(TImage* grab) {
    grab_image(grab, 0, 0, 0);
    return lock_image(grab, 0, true, false)->pixels;
}

struct X11BackBuffer : testing::Test {
    void SetUp() override { ASSERT_NE(open_screen(800, 600, 0, 60, 0), nullptr); }
    void TearDown() override { close_screen(); }
};

TEST_F(X11BackBuffer, TheKeptCopyComesBackPixelForPixelWhateverTheState) {
    TImage* noise = noise_image(800, 600);
    TImage* piece = noise_image(61, 37);
    TImage* grab = create_image(800, 600, 1, 0);
    set_blend(BLEND_SOLID);
    draw_image(noise, 0, 0, 0);
    set_blend(BLEND_MASK);
    centre_image_handle(piece);
    set_rotation(90);
    draw_image(piece, 301, 207, 0);
    set_rotation(0);
    std::vector<uint8_t> drawn = back_buffer_pixels(grab);
    ASSERT_TRUE(save_back_buffer());

    // Something else over it, and a state that would tint, blend and clip.
    set_clear_color(0, 255, 0);
    clear_screen();
    set_color(40, 80, 120);
    set_alpha(0.5f);
    set_blend(BLEND_ALPHA);
    set_viewport(100, 100, 50, 50);
    set_rotation(30);
    ASSERT_TRUE(restore_back_buffer());
    set_viewport(0, 0, 800, 600);
    set_rotation(0);
    EXPECT_TRUE(back_buffer_pixels(grab) == drawn);

    // Drawing after it still clips and blends as the state says.
    set_viewport(10, 10, 20, 20);
    set_clear_color(255, 0, 0);
    clear_screen();
    set_viewport(0, 0, 800, 600);
    set_color(255, 255, 255);
    set_alpha(1);
    set_blend(BLEND_MASK);
    flip(0);
    EXPECT_EQ(window_pixel(15, 15), 0xff0000u);
    EXPECT_NE(window_pixel(35, 35), 0xff0000u);
    free_image(noise);
    free_image(piece);
    free_image(grab);
}

TEST_F(X11BackBuffer, TheKeptCopyEnlargedShowsEachKeptPixelZoomTimesLarger) {
    KeptBoardScene scene;
    make_scene(&scene);
    TImage* grab = create_image(kSceneWidth, kSceneHeight, 1, 0);
    check_kept_enlarged(scene, [grab] { return back_buffer_pixels(grab); });
    free_image(grab);
    free_scene(&scene);
}

TEST_F(X11BackBuffer, AReopenedDisplayHasNoCopyUntilOneIsKept) {
    ASSERT_TRUE(save_back_buffer());
    ASSERT_NE(open_screen(800, 600, 0, 60, 0), nullptr);
    EXPECT_FALSE(restore_back_buffer());
    EXPECT_TRUE(save_back_buffer());
    EXPECT_TRUE(restore_back_buffer());
}

// The first pixel where the window differs from the reference, for the message.
static std::string first_difference(const std::vector<uint32_t>& shown, const std::vector<uint32_t>& whole) {
    if (shown.size() != whole.size()) return "sizes differ";
    for (size_t i = 0; i < shown.size(); i++)
        if (shown[i] != whole[i])
            return "pixel " + std::to_string(i % kSceneWidth) + "," + std::to_string(i / kSceneWidth);
    return "none";
}

TEST_F(X11BackBuffer, FramesOverTheKeptBoardShowWhatDrawingEverythingShows) {
    KeptBoardScene scene;
    make_scene(&scene);
    std::vector<std::vector<uint32_t>> whole;
    for (int frame = 0; frame < kSceneFrames; frame++) {
        draw_scene_board(scene);
        draw_scene_overlay(scene, frame);
        flip(0);
        whole.push_back(window_pixels(kSceneWidth, kSceneHeight));
    }
    // Twice: once after a swap, once more over the same kept board after
    // the expose of a window laid over the game's and taken away.
    for (int pass = 0; pass < 2; pass++) {
        for (int frame = pass; frame < kSceneFrames; frame++) {
            if (frame == 0) {
                draw_scene_board(scene);
                ASSERT_TRUE(save_back_buffer());
            } else {
                ASSERT_TRUE(restore_back_buffer());
            }
            draw_scene_overlay(scene, frame);
            flip(0);
            std::vector<uint32_t> shown = window_pixels(kSceneWidth, kSceneHeight);
            ASSERT_TRUE(shown == whole[(size_t)frame])
                << "pass " << pass << " frame " << frame << ": " << first_difference(shown, whole[(size_t)frame]);
        }
        Display* other = observer();
        Window cover = XCreateSimpleWindow(other, DefaultRootWindow(other), 100, 100, 300, 200, 0, 0, 0xff00ff);
        XMapRaised(other, cover);
        XSync(other, False);
        XDestroyWindow(other, cover);
        XSync(other, False);
        collect_events(100);  // the expose comes in
    }
    free_scene(&scene);
}
