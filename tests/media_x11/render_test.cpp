// GL drawing of the X11 backend, read back from the server: clearing
// within the viewport, quad placement, blend modes, texture building and
// rebuilding, and grabbing the back buffer.
#include <gtest/gtest.h>

#include "media/draw/x11_backend.h"
#include "media/media_internal.h"
#include "tests/media_x11/xvfb_server.h"

static int red_of(unsigned long p) { return (int)(p >> 16) & 255; }
static int green_of(unsigned long p) { return (int)(p >> 8) & 255; }
static int blue_of(unsigned long p) { return (int)p & 255; }

// An RGBA pixmap of one colour (0xAARRGGBB).
static TPixmap* filled(int w, int h, uint32_t argb) {
    TPixmap* pixmap = create_pixmap(w, h, PF_RGBA8888);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) write_pixel(pixmap, x, y, argb);
    return pixmap;
}

static TImage* image_of(TPixmap* pixmap, int flags) {
    TImage* image = image_from_pixmap(pixmap, flags);
    free_pixmap(pixmap);
    return image;
}

struct X11Render : testing::Test {
    void SetUp() override {
        ASSERT_NE(open_screen(800, 600, 0, 60, 0), nullptr);
        set_clear_color(0, 0, 255);
        clear_screen();
    }
    void TearDown() override { close_screen(); }
};

TEST_F(X11Render, ClearFillsOnlyTheViewport) {
    set_viewport(10, 20, 30, 40);
    set_clear_color(255, 0, 0);
    clear_screen();
    set_viewport(0, 0, 800, 600);
    flip(0);
    EXPECT_EQ(window_pixel(10, 20), 0xff0000u);
    EXPECT_EQ(window_pixel(39, 59), 0xff0000u);
    EXPECT_EQ(window_pixel(40, 30), 0x0000ffu);
    EXPECT_EQ(window_pixel(20, 60), 0x0000ffu);
    EXPECT_EQ(window_pixel(20, 19), 0x0000ffu);
}

TEST_F(X11Render, RectangleTurnsClockwiseAboutItsHandleAndMovesWithTheOrigin) {
    set_color(255, 255, 0);
    set_handle(10, 5);
    set_origin(100, 0);
    set_rotation(90);
    // Image space x -10..30 runs down the screen, y -5..5 runs leftwards.
    draw_rect(100, 100, 40, 10);
    flip(0);
    EXPECT_EQ(window_pixel(200, 125), 0xffff00u);
    EXPECT_EQ(window_pixel(196, 92), 0xffff00u);
    EXPECT_EQ(window_pixel(200, 85), 0x0000ffu);
    EXPECT_EQ(window_pixel(200, 135), 0x0000ffu);
    EXPECT_EQ(window_pixel(210, 100), 0x0000ffu);
}

TEST_F(X11Render, MaskModeCutsOutTransparentTexelsAndSolidModeDoesNot) {
    TPixmap* pixmap = filled(8, 8, 0xffff0000u);
    for (int y = 0; y < 8; y++)
        for (int x = 4; x < 8; x++) write_pixel(pixmap, x, y, 0x00ff0000u);
    TImage* image = image_of(pixmap, 0);
    ASSERT_NE(image, nullptr);
    draw_image(image, 50, 50, 0);
    set_blend(BLEND_SOLID);
    draw_image(image, 50, 70, 0);
    flip(0);
    EXPECT_EQ(window_pixel(51, 51), 0xff0000u);
    EXPECT_EQ(window_pixel(56, 51), 0x0000ffu);
    EXPECT_EQ(window_pixel(56, 71), 0xff0000u);
    free_image(image);
}

TEST_F(X11Render, MaskedImageWithoutAlphaLosesItsBlackPixels) {
    TPixmap* rgb = create_pixmap(8, 8, PF_RGB888);
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 8; x++) write_pixel(rgb, x, y, x < 4 ? 0xff00ff00u : 0xff000000u);
    TImage* image = image_of(rgb, IMG_MASKED);
    ASSERT_NE(image, nullptr);
    draw_image(image, 200, 200, 0);
    flip(0);
    EXPECT_EQ(window_pixel(201, 203), 0x00ff00u);
    EXPECT_EQ(window_pixel(206, 203), 0x0000ffu);
    free_image(image);
}

TEST_F(X11Render, AlphaIsClampedAndBlendsHalfway) {
    set_clear_color(0, 0, 0);
    clear_screen();
    set_blend(BLEND_ALPHA);
    set_alpha(0.5f);
    draw_rect(0, 0, 10, 10);
    set_alpha(1.5f);
    draw_rect(20, 0, 10, 10);
    set_alpha(-1.0f);
    draw_rect(40, 0, 10, 10);
    flip(0);
    EXPECT_NEAR(red_of(window_pixel(5, 5)), 127, 2);
    EXPECT_EQ(window_pixel(25, 5), 0xffffffu);
    EXPECT_EQ(window_pixel(45, 5), 0x000000u);
    EXPECT_EQ(draw_state.color_alpha, -1.0f);
}

TEST_F(X11Render, LightAddsAndShadeMultiplies) {
    set_clear_color(100, 100, 100);
    clear_screen();
    set_blend(BLEND_LIGHT);
    set_color(100, 50, 0);
    draw_rect(0, 0, 10, 10);
    set_blend(BLEND_SHADE);
    set_color(255, 128, 0);
    draw_rect(20, 0, 10, 10);
    flip(0);
    unsigned long light = window_pixel(5, 5), shade = window_pixel(25, 5);
    EXPECT_NEAR(red_of(light), 200, 2);
    EXPECT_NEAR(green_of(light), 150, 2);
    EXPECT_NEAR(blue_of(light), 100, 2);
    EXPECT_NEAR(red_of(shade), 100, 2);
    EXPECT_NEAR(green_of(shade), 50, 2);
    EXPECT_EQ(blue_of(shade), 0);
}

TEST_F(X11Render, QuarterTurnedImagePutsItsTopLeftTexelTopRight) {
    TPixmap* pixmap = filled(8, 4, 0xffff0000u);
    write_pixel(pixmap, 0, 0, 0xff00ff00u);
    TImage* image = image_of(pixmap, 0);
    centre_image_handle(image);
    set_rotation(90);
    draw_image(image, 100, 100, 0);
    flip(0);
    EXPECT_EQ(window_pixel(101, 96), 0x00ff00u);
    EXPECT_EQ(window_pixel(98, 96), 0xff0000u);
    EXPECT_EQ(window_pixel(101, 103), 0xff0000u);
    free_image(image);
}

// The pixel test of the pointer answers true for exactly the pixels the
// GL fills with a turned image, at every quarter turn: an even-sized one
// with transparent texels at two corners, and the edges of an odd-sized
// one, whose pixel centres lie on its edges. (Inside an odd-sized image
// the centres lie on texel borders, where the texel the GL samples
// depends on its rounding.)
TEST_F(X11Render, ThePixelTestAnswersForExactlyThePixelsDrawnAtEveryTurn) {
    set_blend(BLEND_MASK);
    for (int w : {8, 7}) {
        int h = w - 2, corners = w % 2 ? 0 : 2;
        TPixmap* pixmap = filled(w, h, 0xffff0000u);
        if (corners) write_pixel(pixmap, 0, 0, 0x00ff0000u);
        if (corners) write_pixel(pixmap, w - 1, 1, 0x00ff0000u);
        TImage* image = image_of(pixmap, 0);
        centre_image_handle(image);
        for (int a = 0; a < 4; a++) {
            set_rotation(static_cast<float>(a * 90));
            clear_screen();
            draw_image(image, 100, 100, 0);
            flip(0);
            int drawn = 0;
            for (int y = 90; y < 110; y++)
                for (int x = 90; x < 110; x++) {
                    bool shown = window_pixel(x, y) != 0x0000ffu;
                    drawn += shown;
                    EXPECT_EQ(image_solid_at(image, 100, 100, 0, x, y), shown)
                        << w << "x" << h << " turned " << a << " at " << x << "," << y;
                }
            EXPECT_EQ(drawn, w * h - corners) << w << "x" << h << " turned " << a;
        }
        set_rotation(0);
        free_image(image);
    }
}

TEST_F(X11Render, ScaledOddSizedImageShowsNoTexturePadding) {
    TImage* image = image_of(filled(3, 5, 0xffffff00u), 0);
    set_scale(10, 10);
    draw_image(image, 50, 50, 0);
    flip(0);
    EXPECT_EQ(window_pixel(50, 50), 0xffff00u);
    EXPECT_EQ(window_pixel(79, 99), 0xffff00u);
    EXPECT_EQ(window_pixel(81, 60), 0x0000ffu);
    EXPECT_EQ(window_pixel(60, 101), 0x0000ffu);
    free_image(image);
}

TEST_F(X11Render, ImagesDrawAgainAfterReopeningAndAfterAWriteLock) {
    TImage* image = image_of(filled(4, 4, 0xffff0000u), IMG_FILTERED | IMG_MIPMAPPED);
    draw_image(image, 10, 10, 0);
    flip(0);
    EXPECT_EQ(window_pixel(11, 11), 0xff0000u);

    ASSERT_NE(open_screen(800, 600, 0, 60, 0), nullptr);
    draw_image(image, 10, 10, 0);
    flip(0);
    EXPECT_EQ(window_pixel(11, 11), 0xff0000u) << "the texture must be rebuilt for the new display";

    TPixmap* pixels = lock_image(image, 0, false, true);
    ASSERT_NE(pixels, nullptr);
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 4; x++) write_pixel(pixels, x, y, 0xff00ff00u);
    draw_image(image, 10, 10, 0);
    flip(0);
    EXPECT_EQ(window_pixel(11, 11), 0x00ff00u) << "a write lock must rebuild the texture";
    free_image(image);
}

TEST_F(X11Render, GrabKeepsTheTopRowFirstAndMasksBlack) {
    set_clear_color(0, 0, 0);
    clear_screen();
    set_color(255, 0, 0);
    draw_rect(100, 100, 20, 5);
    set_color(0, 255, 0);
    draw_rect(100, 105, 10, 15);

    TImage* plain = create_image(20, 20, 1, 0);
    TImage* masked = create_image(20, 20, 1, IMG_MASKED);
    grab_image(plain, 100, 100, 0);
    grab_image(masked, 100, 100, 0);
    TPixmap* p = lock_image(plain, 0, true, false);
    TPixmap* m = lock_image(masked, 0, true, false);
    ASSERT_NE(p, nullptr);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(read_pixel(p, 0, 0), 0xffff0000u);
    EXPECT_EQ(read_pixel(p, 5, 19), 0xff00ff00u);
    EXPECT_EQ(read_pixel(p, 15, 19), 0xff000000u);
    EXPECT_EQ(read_pixel(m, 5, 19) >> 24, 255u);
    EXPECT_EQ(read_pixel(m, 15, 19) >> 24, 0u);

    // The grabbed frame draws like any other image.
    clear_screen();
    set_color(255, 255, 255);
    draw_image(plain, 300, 300, 0);
    flip(0);
    EXPECT_EQ(window_pixel(300, 300), 0xff0000u);
    EXPECT_EQ(window_pixel(305, 319), 0x00ff00u);
    free_image(plain);
    free_image(masked);
}

// Pixels of every format, in a texture of its own and on an atlas page:
// once drawn, a frame holds no pixel bytes; a lock, and a re-open of the
// display, bring back exactly what it held.
TEST_F(X11Render, DrawnFramesLetGoOfTheirPixelsAndGetThemBackExactly) {
    struct Case {
        int format, width, height;
    };
    const Case cases[] = {{PF_RGBA8888, 13, 7}, {PF_RGB888, 9, 11},      {PF_GREY8, 5, 5},
                          {PF_ALPHA8, 6, 3},    {PF_BGRA8888, 300, 170}, {PF_RGB888, 200, 90}};
    std::vector<TImage*> images;
    std::vector<TPixmap*> originals;
    for (const Case& c : cases) {
        TPixmap* pixmap = create_pixmap(c.width, c.height, c.format);
        ASSERT_NE(pixmap, nullptr);
        for (size_t i = 0; i < pixmap->pixels.size(); i++) pixmap->pixels[i] = (uint8_t)(i * 37 + i / 7);
        originals.push_back(copy_pixmap(pixmap));
        images.push_back(image_of(pixmap, 0));
    }
    for (size_t i = 0; i < images.size(); i++) draw_image(images[i], 10, 10, 0);
    flip(0);
    for (size_t i = 0; i < images.size(); i++) {
        ASSERT_EQ(images[i]->in_texture[0], 1) << "case " << i;
        EXPECT_TRUE(images[i]->pixmaps[0]->pixels.empty()) << "case " << i;
    }

    // A lock reads one frame back; the others stay in their textures.
    TPixmap* locked = lock_image(images[0], 0, true, false);
    ASSERT_NE(locked, nullptr);
    EXPECT_EQ(locked->pixels, originals[0]->pixels);
    EXPECT_EQ(images[1]->in_texture[0], 1);

    // Before the display goes every frame takes its pixels back.
    ASSERT_NE(open_screen(800, 600, 0, 60, 0), nullptr);
    for (size_t i = 0; i < images.size(); i++) {
        EXPECT_EQ(images[i]->in_texture[0], 0) << "case " << i;
        EXPECT_EQ(images[i]->pixmaps[0]->format, originals[i]->format) << "case " << i;
        EXPECT_EQ(images[i]->pixmaps[0]->pixels, originals[i]->pixels) << "case " << i;
    }

    // A dynamic frame is written often and keeps its pixels.
    TImage* dynamic = create_image(8, 8, 1, 0);
    draw_image(dynamic, 10, 10, 0);
    EXPECT_EQ(dynamic->in_texture[0], 0);
    EXPECT_EQ(dynamic->pixmaps[0]->pixels.size(), 8u * 8 * 4);
    free_image(dynamic);
    for (size_t i = 0; i < images.size(); i++) {
        free_image(images[i]);
        free_pixmap(originals[i]);
    }
}
