// The null display: opening rules, and the software rasteriser that other
// tests read screenshots from (coverage of axis-aligned draws, blending,
// the mask cut, rotation, viewport clipping, grabbing).
#include <gtest/gtest.h>

#include "media/media_internal.h"
#include "media/null/null_backend.h"

namespace {

struct Rgb {
    int r, g, b;
};

Rgb back_pixel(int x, int y) {
    uint32_t p = read_pixel(null_back_buffer(), x, y);
    return {(int)(p >> 16 & 255), (int)(p >> 8 & 255), (int)(p & 255)};
}

#define EXPECT_RGB(pixel, R, G, B) \
    do {                           \
        Rgb p_ = (pixel);          \
        EXPECT_EQ(p_.r, R);        \
        EXPECT_EQ(p_.g, G);        \
        EXPECT_EQ(p_.b, B);        \
    } while (0)

// A small RGBA image whose pixels are given as 0xAARRGGBB, row by row.
TImage* rgba_image(int w, int h, const std::vector<uint32_t>& pixels) {
    TImage* image = create_image(w, h, 1, 0);
    EXPECT_NE(image, nullptr);
    TPixmap* p = lock_image(image, 0, false, true);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) write_pixel(p, x, y, pixels[(size_t)(y * w + x)]);
    return image;
}

class NullDisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        null_set_display_modes({{800, 600, 32, 60}, {800, 600, 32, 75}});
        ASSERT_NE(open_screen(64, 48, 0, 60, 0), nullptr);
        while (events_waiting() > 0) wait_event();
    }
    void fill(int r, int g, int b) {
        set_clear_color(r, g, b);
        clear_screen();
    }
};

TEST_F(NullDisplayTest, OpeningResetsTheDrawingStateAndClearsBothBuffers) {
    set_color(1, 2, 3);
    set_alpha(0.25f);
    set_blend(BLEND_ALPHA);
    set_rotation(30);
    set_viewport(1, 1, 2, 2);
    set_clear_color(200, 0, 0);
    clear_screen();
    flip(1);
    int generation = display_generation;
    ASSERT_NE(open_screen(32, 16, 0, 0, 0), nullptr);
    EXPECT_EQ(display_generation, generation + 1);
    EXPECT_EQ(draw_state.color_red, 255);
    EXPECT_EQ(draw_state.color_blue, 255);
    EXPECT_EQ(draw_state.color_alpha, 1.0f);
    EXPECT_EQ(draw_state.blend_mode, BLEND_MASK);
    EXPECT_EQ(draw_state.tform_ix, 1.0f);
    EXPECT_EQ(draw_state.tform_iy, 0.0f);
    EXPECT_EQ(draw_state.clscolor_red, 0);
    EXPECT_EQ(draw_state.viewport_w, 32);
    EXPECT_EQ(draw_state.viewport_h, 16);
    EXPECT_EQ(draw_state.g_width, 32);
    EXPECT_EQ(draw_state.vres_height, 16.0f);
    EXPECT_EQ(display_width(), 32);
    EXPECT_EQ(display_height(), 16);
    ASSERT_EQ(null_back_buffer()->width, 32);
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 32; x++) {
            ASSERT_EQ(read_pixel(null_back_buffer(), x, y), 0xff000000u);
            ASSERT_EQ(read_pixel(null_front_buffer(), x, y), 0xff000000u);
        }
}

TEST_F(NullDisplayTest, FullScreenNeedsAListedSizeAndCentresThePointer) {
    int calls = null_last_open().calls;
    EXPECT_EQ(open_screen(1024, 768, 32, 60, 0), nullptr);
    EXPECT_EQ(null_last_open().calls, calls + 1);
    EXPECT_EQ(null_last_open().width, 1024);
    ASSERT_NE(open_screen(800, 600, 32, 75, 0), nullptr);
    EXPECT_EQ(display_hertz(), 75);
    EXPECT_EQ(display_depth(), 32);
    EXPECT_EQ(pointer_x(), 400);
    EXPECT_EQ(pointer_y(), 300);
    // A window of any size opens.
    EXPECT_NE(open_screen(1024, 768, 0, 60, 0), nullptr);
    EXPECT_EQ(open_screen(0, 768, 0, 60, 0), nullptr);
}

// With a screen known, full screen without the mode (or keeping the
// resolution) scales to it and windows take a whole factor that fits.
TEST_F(NullDisplayTest, WithAScreenFullScreenScalesAndWindowsTakeAFactor) {
    null_set_screen_size(1920, 1080);
    int w = 0, h = 0;
    screen_size(&w, &h);
    EXPECT_EQ(w, 1920);
    EXPECT_EQ(h, 1080);
    ASSERT_NE(open_screen(1024, 768, 32, 60, 0), nullptr);
    EXPECT_EQ(display_width(), 1024);
    EXPECT_FLOAT_EQ(display_scale(), 1440.0f / 1024.0f);
    ASSERT_NE(open_screen(800, 600, 32, 60, 0), nullptr);
    EXPECT_FLOAT_EQ(display_scale(), 1.0f) << "the listed mode still switches";
    set_keep_screen_resolution(true);
    ASSERT_NE(open_screen(800, 600, 32, 60, 0), nullptr);
    EXPECT_FLOAT_EQ(display_scale(), 1.8f);
    set_keep_screen_resolution(false);
    ASSERT_NE(open_screen(640, 480, 0, 60, 0), nullptr);
    EXPECT_FLOAT_EQ(display_scale(), 2.0f);
    null_set_screen_size(0, 0);
    close_screen();
    EXPECT_FLOAT_EQ(display_scale(), 0.0f);
}

// The fit, the window factor and the mappings both ways, on the screens
// players have: bars where the aspect differs, pixel-exact round trips.
TEST(ScaleFit, FitsFactorsAndMappings) {
    struct Fit {
        int bw, bh, ww, wh, x, y, w, h;
        bool integer;
    };
    for (const Fit& c : {Fit{800, 600, 1920, 1080, 240, 0, 1440, 1080, false},
                         Fit{1024, 768, 3840, 2160, 480, 0, 2880, 2160, false},
                         Fit{800, 600, 1600, 1200, 0, 0, 1600, 1200, true},
                         Fit{800, 600, 800, 600, 0, 0, 800, 600, true}, Fit{800, 400, 1024, 768, 0, 128, 1024, 512, false},
                         Fit{800, 600, 2560, 1600, 213, 0, 2133, 1600, false}}) {
        SCOPED_TRACE(std::to_string(c.ww) + "x" + std::to_string(c.wh));
        TScaleFit f = scale_fit(c.bw, c.bh, c.ww, c.wh);
        EXPECT_EQ(f.x, c.x);
        EXPECT_EQ(f.y, c.y);
        EXPECT_EQ(f.w, c.w);
        EXPECT_EQ(f.h, c.h);
        EXPECT_EQ(f.integer, c.integer);
        EXPECT_EQ(scale_is_identity(f), c.ww == c.bw && c.wh == c.bh);
        // Every board pixel's centre maps back onto it, and every window
        // pixel maps into the board exactly when it is off the bars.
        for (int b = 0; b < c.bw; b += 7) {
            int wx = 0, wy = 0, bx = -1, by = -1;
            scale_board_to_window(f, b, b % c.bh, &wx, &wy);
            EXPECT_TRUE(scale_window_to_board(f, wx, wy, &bx, &by));
            EXPECT_EQ(bx, b);
            EXPECT_EQ(by, b % c.bh);
        }
        int bx = 0, by = 0;
        EXPECT_FALSE(scale_window_to_board(f, f.x - 1, f.y, &bx, &by));
        EXPECT_EQ(bx, 0);
        EXPECT_FALSE(scale_window_to_board(f, f.x + f.w, f.y + f.h - 1, &bx, &by));
        EXPECT_EQ(bx, c.bw - 1);
        EXPECT_TRUE(scale_window_to_board(f, f.x + f.w - 1, f.y + f.h - 1, &bx, &by));
        EXPECT_EQ(by, c.bh - 1);
        // A changed board rectangle covers every window pixel that maps into it.
        TDamageRect board = {c.bw / 3, c.bh / 4, c.bw / 3 + 5, c.bh / 4 + 3};
        TDamageRect shown = scale_rect_to_window(f, board);
        for (int wy2 = f.y; wy2 < f.y + f.h; wy2++)
            for (int wx2 = f.x; wx2 < f.x + f.w; wx2 += 3) {
                scale_window_to_board(f, wx2, wy2, &bx, &by);
                bool in_board = bx >= board.x0 && bx < board.x1 && by >= board.y0 && by < board.y1;
                bool in_shown = wx2 >= shown.x0 && wx2 < shown.x1 && wy2 >= shown.y0 && wy2 < shown.y1;
                if (in_board) {
                    ASSERT_TRUE(in_shown) << wx2 << "," << wy2;
                }
            }
        EXPECT_LE(shown.x1 - shown.x0, (int)((5 + (c.integer ? 0 : 2)) * (double)f.w / c.bw) + 2);
    }
    EXPECT_EQ(scale_window_factor(800, 600, 1920, 1080), 1);
    EXPECT_EQ(scale_window_factor(800, 600, 1600, 1200), 2);
    EXPECT_EQ(scale_window_factor(1024, 768, 3840, 2160), 2);
    EXPECT_EQ(scale_window_factor(800, 600, 3840, 2160), 3);
    EXPECT_EQ(scale_window_factor(800, 600, 8000, 6000), 3);
    EXPECT_EQ(scale_window_factor(800, 600, 640, 480), 1);
}

TEST_F(NullDisplayTest, HiddenPointerBelongsToTheDisplayOfTheCall) {
    EXPECT_FALSE(null_mouse_hidden());
    hide_mouse();
    EXPECT_TRUE(null_mouse_hidden());
    ASSERT_NE(open_screen(64, 48, 0, 60, 0), nullptr);
    EXPECT_FALSE(null_mouse_hidden());
}

TEST_F(NullDisplayTest, UnscaledRectangleCoversExactlyItsPixels) {
    fill(0, 0, 0);
    set_color(255, 0, 0);
    draw_rect(10, 20, 3, 2);
    for (int y = 19; y <= 22; y++)
        for (int x = 9; x <= 13; x++) {
            bool inside = x >= 10 && x <= 12 && y >= 20 && y <= 21;
            Rgb p = back_pixel(x, y);
            EXPECT_EQ(p.r, inside ? 255 : 0) << x << "," << y;
        }
    // The drawing handle and the origin shift the rectangle.
    fill(0, 0, 0);
    set_handle(1, 1);
    set_origin(5, 0);
    draw_rect(10, 20, 1, 1);
    EXPECT_RGB(back_pixel(14, 19), 255, 0, 0);
    EXPECT_RGB(back_pixel(15, 20), 0, 0, 0);
}

TEST_F(NullDisplayTest, CentredImageLandsAroundItsPosition) {
    TImage* image = rgba_image(4, 2, std::vector<uint32_t>(8, 0xff00ff00u));
    centre_image_handle(image);
    fill(0, 0, 0);
    draw_image(image, 20, 10, 0);
    EXPECT_RGB(back_pixel(18, 9), 0, 255, 0);
    EXPECT_RGB(back_pixel(21, 10), 0, 255, 0);
    EXPECT_RGB(back_pixel(17, 9), 0, 0, 0);
    EXPECT_RGB(back_pixel(22, 10), 0, 0, 0);
    EXPECT_RGB(back_pixel(18, 8), 0, 0, 0);
    EXPECT_RGB(back_pixel(18, 11), 0, 0, 0);
    free_image(image);
}

TEST_F(NullDisplayTest, HalfAlphaRectangleBlendsOverTheBackground) {
    fill(100, 0, 200);
    set_blend(BLEND_ALPHA);
    set_alpha(0.5f);
    draw_rect(0, 0, 4, 4);
    // Alpha is drawn as the byte trunc(0.5 * 255) = 127.
    double a = 127.0 / 255.0;
    Rgb p = back_pixel(1, 1);
    EXPECT_NEAR(p.r, 255 * a + 100 * (1 - a), 1.0);
    EXPECT_NEAR(p.g, 255 * a, 1.0);
    EXPECT_NEAR(p.b, 255 * a + 200 * (1 - a), 1.0);
    EXPECT_RGB(back_pixel(4, 4), 100, 0, 200);
    // Alpha beyond 1 draws fully opaque, below 0 not at all.
    set_alpha(1.5f);
    draw_rect(10, 0, 1, 1);
    EXPECT_RGB(back_pixel(10, 0), 255, 255, 255);
    set_alpha(-1.0f);
    draw_rect(12, 0, 1, 1);
    EXPECT_RGB(back_pixel(12, 0), 100, 0, 200);
}

TEST_F(NullDisplayTest, MaskBlendCutsPixelsBelowHalfAlphaAndDoesNotBlend) {
    TImage* image = rgba_image(3, 1, {0x70ff0000u, 0x80ff0000u, 0xc0ff0000u});
    fill(0, 0, 255);
    draw_image(image, 0, 0, 0);               // the initial blend mode is mask
    EXPECT_RGB(back_pixel(0, 0), 0, 0, 255);  // alpha 0x70 < 0.5: cut
    EXPECT_RGB(back_pixel(1, 0), 255, 0, 0);  // alpha 0x80 passes, unblended
    EXPECT_RGB(back_pixel(2, 0), 255, 0, 0);
    // The drawing alpha multiplies before the test.
    fill(0, 0, 255);
    set_alpha(0.5f);
    draw_image(image, 0, 0, 0);
    EXPECT_RGB(back_pixel(1, 0), 0, 0, 255);
    free_image(image);
}

TEST_F(NullDisplayTest, SolidBlendDrawsEvenTransparentPixels) {
    TImage* image = rgba_image(1, 1, {0x00123456u});
    fill(0, 0, 0);
    set_blend(BLEND_SOLID);
    draw_image(image, 3, 3, 0);
    EXPECT_RGB(back_pixel(3, 3), 0x12, 0x34, 0x56);
    free_image(image);
}

TEST_F(NullDisplayTest, LightAddsAndShadeMultiplies) {
    fill(100, 100, 100);
    set_blend(BLEND_LIGHT);
    set_color(50, 200, 0);
    draw_rect(0, 0, 1, 1);
    EXPECT_RGB(back_pixel(0, 0), 150, 255, 100);  // clamped at 255
    set_blend(BLEND_SHADE);
    set_color(128, 255, 0);
    draw_rect(1, 0, 1, 1);
    Rgb p = back_pixel(1, 0);
    EXPECT_NEAR(p.r, 100 * 128 / 255.0, 1.0);
    EXPECT_EQ(p.g, 100);
    EXPECT_EQ(p.b, 0);
}

TEST_F(NullDisplayTest, ColourMultipliesImagePixels) {
    TImage* image = rgba_image(1, 1, {0xff80ff40u});
    fill(0, 0, 0);
    set_color(255, 128, 0);
    draw_image(image, 0, 0, 0);
    Rgb p = back_pixel(0, 0);
    EXPECT_EQ(p.r, 0x80);
    EXPECT_NEAR(p.g, 128, 1.0);
    EXPECT_EQ(p.b, 0);
    free_image(image);
}

TEST_F(NullDisplayTest, QuarterTurnStandsATwoByOneImageUpright) {
    // Red then green, left to right; turned 90 degrees clockwise about its
    // top-left corner the red pixel is on top, just left of the position.
    TImage* image = rgba_image(2, 1, {0xffff0000u, 0xff00ff00u});
    fill(0, 0, 0);
    set_rotation(90);
    draw_image(image, 10, 10, 0);
    EXPECT_RGB(back_pixel(9, 10), 255, 0, 0);
    EXPECT_RGB(back_pixel(9, 11), 0, 255, 0);
    EXPECT_RGB(back_pixel(10, 10), 0, 0, 0);
    EXPECT_RGB(back_pixel(9, 12), 0, 0, 0);
    EXPECT_RGB(back_pixel(9, 9), 0, 0, 0);
    EXPECT_RGB(back_pixel(8, 10), 0, 0, 0);
    free_image(image);
}

TEST_F(NullDisplayTest, DoubleScaleDrawsEachTexelTwice) {
    TImage* image = rgba_image(2, 1, {0xffff0000u, 0xff00ff00u});
    fill(0, 0, 0);
    set_scale(2, 2);
    draw_image(image, 0, 0, 0);
    EXPECT_RGB(back_pixel(1, 1), 255, 0, 0);
    EXPECT_RGB(back_pixel(2, 0), 0, 255, 0);
    EXPECT_RGB(back_pixel(3, 1), 0, 255, 0);
    EXPECT_RGB(back_pixel(4, 0), 0, 0, 0);
    EXPECT_RGB(back_pixel(0, 2), 0, 0, 0);
    free_image(image);
}

TEST_F(NullDisplayTest, ViewportClipsDrawingAndClearing) {
    fill(0, 0, 0);
    set_viewport(5, 6, 4, 3);
    fill(0, 0, 200);
    set_color(255, 0, 0);
    draw_rect(0, 0, 64, 48);
    EXPECT_RGB(back_pixel(5, 6), 255, 0, 0);
    EXPECT_RGB(back_pixel(8, 8), 255, 0, 0);
    EXPECT_RGB(back_pixel(4, 6), 0, 0, 0);
    EXPECT_RGB(back_pixel(9, 6), 0, 0, 0);
    EXPECT_RGB(back_pixel(5, 9), 0, 0, 0);
    set_viewport(0, 0, 64, 48);
    draw_rect(40, 40, 100, 100);  // runs off the buffer without harm
    EXPECT_RGB(back_pixel(63, 47), 255, 0, 0);
}

TEST_F(NullDisplayTest, FlipShowsTheBackBufferAndRecordsTheSync) {
    fill(10, 20, 30);
    EXPECT_EQ(read_pixel(null_front_buffer(), 0, 0), 0xff000000u);
    flip(-1);
    EXPECT_EQ(null_last_flip_sync(), -1);
    EXPECT_EQ(read_pixel(null_front_buffer(), 0, 0), 0xff0a141eu);
    flip(1);
    EXPECT_EQ(null_last_flip_sync(), 1);
}

TEST_F(NullDisplayTest, GrabCopiesTheBackBufferAndMasksBlack) {
    fill(0, 0, 0);
    set_color(0, 0, 255);
    draw_rect(11, 21, 2, 2);
    TImage* grab = create_image(4, 4, 1, IMG_MASKED);
    grab_image(grab, 10, 20, 0);
    const TPixmap* p = lock_image(grab, 0, true, false);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(read_pixel(p, 1, 1), 0xff0000ffu);
    EXPECT_EQ(read_pixel(p, 2, 2), 0xff0000ffu);
    EXPECT_EQ(read_pixel(p, 0, 0) >> 24, 0u);  // black became transparent
    EXPECT_EQ(read_pixel(p, 3, 3) >> 24, 0u);
    free_image(grab);

    TImage* plain = create_image(2, 1, 1, 0);
    grab_image(plain, 10, 21, 0);
    EXPECT_EQ(read_pixel(lock_image(plain, 0, true, false), 0, 0), 0xff000000u);
    EXPECT_EQ(read_pixel(lock_image(plain, 0, true, false), 1, 0), 0xff0000ffu);
    free_image(plain);
}

TEST_F(NullDisplayTest, PushedWindowEventsArriveWithTheNextPump) {
    TEvent press;
    press.id = EVENT_KEY_DOWN;
    press.data = KEY_S;
    null_push_window_event(press);
    EXPECT_EQ(events_waiting(), 0);
    flip(1);  // a flip processes pending window events
    EXPECT_EQ(events_waiting(), 1);
    EXPECT_EQ(key_presses(KEY_S), 1);
    EXPECT_EQ(wait_event(), EVENT_KEY_DOWN);
}

}  // namespace
