// Pixel buffers in memory: pixel reads per format, format conversion, the
// masking rule, bilinear resampling values and the texture edge copy.
#include <gtest/gtest.h>

#include "draw_test_util.h"
#include "media/media_internal.h"

TEST(ReadPixel, EachFormatGivesArgbWithItsAlphaRule) {
    struct Case {
        int format;
        std::vector<uint8_t> bytes;
        uint32_t expected;
    } cases[] = {
        {PF_GREY8, {90}, 0xFF5A5A5A},
        {PF_ALPHA8, {40}, 0x28FFFFFF},
        {PF_BGR888, {1, 2, 3}, 0xFF030201},
        {PF_RGB888, {1, 2, 3}, 0xFF010203},
        {PF_BGRA8888, {1, 2, 3, 4}, 0x04030201},
        {PF_RGBA8888, {1, 2, 3, 4}, 0x04010203},
    };
    for (const Case& c : cases) {
        TPixmap* p = create_pixmap(2, 1, c.format);
        ASSERT_NE(p, nullptr);
        std::copy(c.bytes.begin(), c.bytes.end(), p->pixels.begin() + p->pitch - c.bytes.size());
        EXPECT_EQ(read_pixel(p, 1, 0), c.expected) << "format " << c.format;
        EXPECT_EQ(read_pixel(p, 2, 0), 0u) << "outside, format " << c.format;
        EXPECT_EQ(read_pixel(p, 0, -1), 0u) << "outside, format " << c.format;
        free_pixmap(p);
    }
}

TEST(WritePixel, RoundTripsThroughEveryColourFormat) {
    const int formats[] = {PF_BGR888, PF_RGB888, PF_BGRA8888, PF_RGBA8888};
    for (int format : formats) {
        TPixmap* p = create_pixmap(3, 3, format);
        write_pixel(p, 2, 1, 0x80C01020);
        uint32_t alpha = pixmap_has_alpha(format) ? 0x80000000u : 0xFF000000u;
        EXPECT_EQ(read_pixel(p, 2, 1), alpha | 0xC01020u) << "format " << format;
        EXPECT_EQ(read_pixel(p, 1, 1), pixmap_has_alpha(format) ? 0u : 0xFF000000u);
        write_pixel(p, 3, 0, 0xFFFFFFFF);  // outside: ignored
        free_pixmap(p);
    }
}

TEST(CreatePixmap, RefusesEmptyAbsurdAndUnknown) {
    EXPECT_EQ(create_pixmap(0, 5, PF_RGBA8888), nullptr);
    EXPECT_EQ(create_pixmap(5, -1, PF_RGBA8888), nullptr);
    EXPECT_EQ(create_pixmap(PIXMAP_MAX_SIDE + 1, 1, PF_GREY8), nullptr);
    EXPECT_EQ(create_pixmap(PIXMAP_MAX_SIDE, PIXMAP_MAX_SIDE, PF_GREY8), nullptr);  // too many pixels
    EXPECT_EQ(create_pixmap(4, 4, 99), nullptr);
    TPixmap* p = create_pixmap(5, 3, PF_RGB888);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->pitch, 15);
    EXPECT_EQ(p->pixels.size(), 45u);
    free_pixmap(p);
}

TEST(ConvertPixmap, KeepsColoursAcrossFormats) {
    TPixmap* rgb = pixmap_of(2, 1, PF_RGB888, {0xFF102030, 0xFFFFFFFF});
    TPixmap* bgra = convert_pixmap(rgb, PF_BGRA8888);
    ASSERT_NE(bgra, nullptr);
    EXPECT_EQ(bgra->format, PF_BGRA8888);
    EXPECT_EQ(read_pixel(bgra, 0, 0), 0xFF102030u);
    TPixmap* grey = convert_pixmap(rgb, PF_GREY8);
    EXPECT_EQ(read_pixel(grey, 1, 0), 0xFFFFFFFFu);
    free_pixmap(rgb);
    free_pixmap(bgra);
    free_pixmap(grey);
}

TEST(MaskPixmap, MaskPixelsVanishAndTakeTheirNeighboursAverageColour) {
    // Black centre among coloured pixels; a black corner with black
    // neighbours on two sides.
    const uint32_t K = 0xFF000000;
    TPixmap* src = pixmap_of(3, 3, PF_RGB888,
                             {K, K, 0xFF0A1428,  //
                              K, K, 0xFF1E0000,  //
                              0xFF000300, 0xFF060000, 0xFF000009});
    TPixmap* m = mask_pixmap(src, 0, 0, 0);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->format, PF_RGBA8888);
    // Centre: non-mask neighbours are (10,20,40), (30,0,0), (0,3,0), (6,0,0), (0,0,9).
    EXPECT_EQ(read_pixel(m, 1, 1), 0x00090409u);  // (46/5, 23/5, 49/5) truncated
    // Top-left: neighbours (0,0),(1,0),(0,1),(1,1) are all black: colour 0.
    EXPECT_EQ(read_pixel(m, 0, 0), 0x00000000u);
    // Top-middle: non-mask neighbours (10,20,40) and (30,0,0).
    EXPECT_EQ(read_pixel(m, 1, 0), 0x00140A14u);
    // Other pixels keep their colour, opaque.
    EXPECT_EQ(read_pixel(m, 2, 0), 0xFF0A1428u);
    EXPECT_EQ(read_pixel(m, 1, 2), 0xFF060000u);
    free_pixmap(src);
    free_pixmap(m);
}

TEST(MaskPixmap, UsesTheGivenMaskColour) {
    TPixmap* src = pixmap_of(2, 1, PF_BGR888, {0xFFFF00FF, 0xFF000000});
    TPixmap* m = mask_pixmap(src, 255, 0, 255);
    EXPECT_EQ(read_pixel(m, 0, 0), 0x00000000u);  // its only neighbour is black
    EXPECT_EQ(read_pixel(m, 1, 0), 0xFF000000u);  // black is an ordinary colour here
    free_pixmap(src);
    free_pixmap(m);
}

TEST(ResizePixmap, BlendsBilinearlyAndUsesEdgePixelsOutsideTheCentres) {
    TPixmap* src = pixmap_of(2, 1, PF_RGBA8888, {0x00000000, 0xFF64C832});  // (100,200,50,255)
    TPixmap* r = resize_pixmap(src, 4, 1);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->format, PF_RGBA8888);
    EXPECT_EQ(read_pixel(r, 0, 0), 0x00000000u);  // x = -0.25: left edge pixel
    EXPECT_EQ(read_pixel(r, 1, 0), 0x3F19320Cu);  // x = 0.25: 25, 50, 12.5, 63.75 truncated
    EXPECT_EQ(read_pixel(r, 2, 0), 0xBF4B9625u);  // x = 0.75: 75, 150, 37.5, 191.25 truncated
    EXPECT_EQ(read_pixel(r, 3, 0), 0xFF64C832u);  // x = 1.25: right edge pixel
    free_pixmap(src);
    free_pixmap(r);
}

TEST(ResizePixmap, TwoDimensionalSamplesAndShrinking) {
    TPixmap* src = pixmap_of(2, 2, PF_GREY8, {0xFF000000, 0xFF646464, 0xFFC8C8C8, 0xFFFFFFFF});
    TPixmap* r = resize_pixmap(src, 3, 3);  // samples at -1/6, 1/2, 7/6 on both axes
    EXPECT_EQ(read_pixel(r, 0, 0), 0xFF000000u);
    EXPECT_EQ(read_pixel(r, 1, 0), 0xFF323232u);  // (0 + 100) / 2
    EXPECT_EQ(read_pixel(r, 1, 1), 0xFF8A8A8Au);  // (0 + 100 + 200 + 255) / 4 = 138.75
    EXPECT_EQ(read_pixel(r, 2, 1), 0xFFB1B1B1u);  // (100 + 255) / 2 = 177.5
    EXPECT_EQ(read_pixel(r, 2, 2), 0xFFFFFFFFu);
    free_pixmap(r);
    TPixmap* wide = pixmap_of(4, 1, PF_RGB888, {0xFF000000, 0xFF0A0A0A, 0xFF141414, 0xFF1E1E1E});
    TPixmap* half = resize_pixmap(wide, 2, 1);  // samples at 0.5 and 2.5
    EXPECT_EQ(read_pixel(half, 0, 0), 0xFF050505u);
    EXPECT_EQ(read_pixel(half, 1, 0), 0xFF191919u);
    free_pixmap(src);
    free_pixmap(wide);
    free_pixmap(half);
}

TEST(ResizePixmap, UniformColourSurvivesExactly) {
    // Truncation must not turn 77 into 76 through rounding error.
    TPixmap* src = create_pixmap(3, 3, PF_RGBA8888);
    for (int y = 0; y < 3; y++)
        for (int x = 0; x < 3; x++) write_pixel(src, x, y, 0x4D4D4D4D);
    TPixmap* r = resize_pixmap(src, 7, 5);
    for (int y = 0; y < 5; y++)
        for (int x = 0; x < 7; x++) ASSERT_EQ(read_pixel(r, x, y), 0x4D4D4D4Du) << x << "," << y;
    EXPECT_EQ(resize_pixmap(src, 0, 3), nullptr);
    free_pixmap(src);
    free_pixmap(r);
}

TEST(TexturePixmap, CopiesTheLastColumnAndRowOnceIntoTheSpareRoom) {
    TPixmap* src = pixmap_of(3, 2, PF_RGB888,
                             {0xFF010101, 0xFF020202, 0xFF030303,  //
                              0xFF040404, 0xFF050505, 0xFF060606});
    TPixmap* t = texture_pixmap(src, 4, 4);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->format, PF_RGBA8888);
    EXPECT_EQ(t->width, 4);
    EXPECT_EQ(t->height, 4);
    EXPECT_EQ(read_pixel(t, 0, 0), 0xFF010101u);
    EXPECT_EQ(read_pixel(t, 3, 0), 0xFF030303u);  // right of the last column
    EXPECT_EQ(read_pixel(t, 3, 1), 0xFF060606u);
    EXPECT_EQ(read_pixel(t, 0, 2), 0xFF040404u);  // below the last row
    EXPECT_EQ(read_pixel(t, 2, 2), 0xFF060606u);
    EXPECT_EQ(read_pixel(t, 3, 2), 0xFF060606u);  // the corner
    for (int x = 0; x < 4; x++) EXPECT_EQ(read_pixel(t, x, 3), 0u) << "beyond the copy: transparent";
    free_pixmap(t);

    TPixmap* big = texture_pixmap(src, 2, 1);  // larger than the texture: resized to fit
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->width, 2);
    EXPECT_EQ(big->height, 1);
    free_pixmap(big);
    free_pixmap(src);
}

TEST(NextPowerOfTwo, RoundsUp) {
    EXPECT_EQ(next_power_of_two(1), 1);
    EXPECT_EQ(next_power_of_two(2), 2);
    EXPECT_EQ(next_power_of_two(3), 4);
    EXPECT_EQ(next_power_of_two(80), 128);
    EXPECT_EQ(next_power_of_two(1024), 1024);
}
