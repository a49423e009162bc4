// The kept copy of the back buffer on the real backend: put back pixel for
// pixel whatever the drawing state, drawing afterwards still honours that
// state, and a re-opened display has no copy until one is kept again.
#include <gtest/gtest.h>

#include "media/media_internal.h"
#include "tests/media_x11/xvfb_server.h"

// A frame of many colours: every pixel differs from its neighbours, so a
// copy put back one row or column off cannot match.
static TImage* noise_image(int w, int h)
{
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
static std::vector<uint8_t> back_buffer_pixels(TImage* grab)
{
    grab_image(grab, 0, 0, 0);
    return lock_image(grab, 0, true, false)->pixels;
}

struct X11BackBuffer : testing::Test {
    void SetUp() override { ASSERT_NE(open_screen(800, 600, 0, 60, 0), nullptr); }
    void TearDown() override { close_screen(); }
};

TEST_F(X11BackBuffer, TheKeptCopyComesBackPixelForPixelWhateverTheState)
{
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

TEST_F(X11BackBuffer, AReopenedDisplayHasNoCopyUntilOneIsKept)
{
    ASSERT_TRUE(save_back_buffer());
    ASSERT_NE(open_screen(800, 600, 0, 60, 0), nullptr);
    EXPECT_FALSE(restore_back_buffer());
    EXPECT_TRUE(save_back_buffer());
    EXPECT_TRUE(restore_back_buffer());
}
