// The pixel-exact overlap test: solid against solid, transparent parts,
// quarter and eighth turns, scale and origin, as the game uses it to find
// the piece under the pointer with a one-pixel probe image.
#include <gtest/gtest.h>

#include <algorithm>

#include "draw_test_util.h"
#include "media/media_internal.h"

namespace {

struct Overlap : ::testing::Test {
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }
    static void reset() {
        set_rotation(0);
        set_scale(1, 1);
        set_origin(0, 0);
    }
};

// An image of one colour, fully solid (RGB: no alpha channel).
TImage* solid_image(int width, int height) {
    TPixmap* p = create_pixmap(width, height, PF_RGB888);
    for (size_t i = 0; i < p->pixels.size(); i++) p->pixels[i] = 200;
    return image_adopt_pixmap(p, 0);
}

// An RGBA image whose pixel (x, y) has alpha given by `alpha(x, y)`.
template <typename F>
TImage* alpha_image(int width, int height, F alpha) {
    TPixmap* p = create_pixmap(width, height, PF_RGBA8888);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) write_pixel(p, x, y, (static_cast<uint32_t>(alpha(x, y)) << 24) | 0xFFFFFF);
    return image_adopt_pixmap(p, 0);
}

}  // namespace

TEST_F(Overlap, SolidSquaresOverlapOnlyWhenTheyShareAPixel) {
    TImage* a = solid_image(10, 10);
    TImage* b = solid_image(10, 10);
    EXPECT_TRUE(images_overlap(a, 0, 0, 0, b, 5, 5, 0));
    EXPECT_TRUE(images_overlap(a, 0, 0, 0, b, 9, 9, 0));
    EXPECT_FALSE(images_overlap(a, 0, 0, 0, b, 10, 0, 0)) << "edges touch, no pixel shared";
    EXPECT_FALSE(images_overlap(a, 0, 0, 0, b, 0, -10, 0));
    EXPECT_FALSE(images_overlap(a, 0, 0, 0, b, 40, 40, 0));
    EXPECT_FALSE(images_overlap(a, 0, 0, 1, b, 5, 5, 0)) << "no such frame";
    EXPECT_FALSE(images_overlap(nullptr, 0, 0, 0, b, 5, 5, 0));
    free_image(a);
    free_image(b);
}

TEST_F(Overlap, TransparentPixelsDoNotCount) {
    // Left half solid, right half alpha 127; the threshold is 128.
    TImage* half = alpha_image(10, 10, [](int x, int) { return x < 5 ? 128 : 127; });
    TImage* b = solid_image(10, 10);
    EXPECT_FALSE(images_overlap(half, 0, 0, 0, b, 5, 0, 0)) << "touches only the transparent half";
    EXPECT_FALSE(images_overlap(b, 5, 0, 0, half, 0, 0, 0)) << "either order";
    EXPECT_TRUE(images_overlap(half, 0, 0, 0, b, 4, 0, 0));
    // Two images whose solid parts sit in opposite corners of the shared area.
    TImage* top_left = alpha_image(10, 10, [](int x, int y) { return x < 3 && y < 3 ? 255 : 0; });
    TImage* bottom_right = alpha_image(10, 10, [](int x, int y) { return x > 6 && y > 6 ? 255 : 0; });
    EXPECT_FALSE(images_overlap(top_left, 0, 0, 0, bottom_right, 0, 0, 0));
    EXPECT_TRUE(images_overlap(top_left, 0, 0, 0, bottom_right, -7, -7, 0));
    free_image(half);
    free_image(b);
    free_image(top_left);
    free_image(bottom_right);
}

TEST_F(Overlap, QuarterTurnMovesTheSolidStrip) {
    // Only the leftmost column is solid; turned 90 degrees clockwise about
    // its centre it becomes the top row.
    TImage* piece = alpha_image(10, 10, [](int x, int) { return x == 0 ? 255 : 0; });
    centre_image_handle(piece);
    TImage* probe = solid_image(1, 1);
    EXPECT_TRUE(images_overlap(piece, 50, 50, 0, probe, 45, 50, 0));
    EXPECT_FALSE(images_overlap(piece, 50, 50, 0, probe, 50, 45, 0));
    set_rotation(90);
    EXPECT_FALSE(images_overlap(piece, 50, 50, 0, probe, 45, 50, 0));
    EXPECT_TRUE(images_overlap(piece, 50, 50, 0, probe, 50, 45, 0));
    EXPECT_TRUE(images_overlap(piece, 50, 50, 0, probe, 54, 45, 0));
    EXPECT_FALSE(images_overlap(piece, 50, 50, 0, probe, 50, 46, 0));
    set_rotation(270);
    // Now the bottom row is solid; the probe turns too and covers the
    // pixel above its drawing position.
    EXPECT_TRUE(images_overlap(piece, 50, 50, 0, probe, 50, 55, 0));
    EXPECT_FALSE(images_overlap(piece, 50, 50, 0, probe, 50, 54, 0));
    free_image(piece);
    free_image(probe);
}

TEST_F(Overlap, EighthTurnMakesADiamond) {
    TImage* square = solid_image(10, 10);
    centre_image_handle(square);
    TImage* probe = solid_image(1, 1);
    // Upright, the square covers x, y in [45, 55).
    EXPECT_FALSE(images_overlap(square, 50, 50, 0, probe, 56, 50, 0));
    EXPECT_TRUE(images_overlap(square, 50, 50, 0, probe, 54, 54, 0));
    set_rotation(45);
    // Turned, the probe's pixel lies inside it when |dx| + |dy| < 7.07.
    EXPECT_TRUE(images_overlap(square, 50, 50, 0, probe, 56, 50, 0));
    EXPECT_FALSE(images_overlap(square, 50, 50, 0, probe, 54, 54, 0));
    free_image(square);
    free_image(probe);
}

TEST_F(Overlap, ScaleEnlargesBothImages) {
    TImage* a = alpha_image(10, 10, [](int x, int y) { return x >= 5 && y >= 5 ? 255 : 0; });
    TImage* probe = solid_image(1, 1);
    EXPECT_FALSE(images_overlap(a, 0, 0, 0, probe, 15, 15, 0));
    EXPECT_TRUE(images_overlap(a, 0, 0, 0, probe, 9, 9, 0));
    set_scale(2, 2);
    EXPECT_TRUE(images_overlap(a, 0, 0, 0, probe, 15, 15, 0));
    // The probe grows to 2 x 2 too: at (8, 8) it stays in the transparent part.
    EXPECT_FALSE(images_overlap(a, 0, 0, 0, probe, 8, 8, 0));
    EXPECT_TRUE(images_overlap(a, 0, 0, 0, probe, 9, 9, 0));
    set_scale(0, 0);
    EXPECT_FALSE(images_overlap(a, 0, 0, 0, probe, 15, 15, 0)) << "a degenerate quad covers nothing";
    free_image(a);
    free_image(probe);
}

TEST_F(Overlap, OriginMovesBothImagesAlike) {
    TImage* a = alpha_image(10, 10, [](int x, int) { return x < 5 ? 255 : 0; });
    TImage* probe = solid_image(1, 1);
    set_origin(100.5f, -37.25f);
    EXPECT_TRUE(images_overlap(a, 0, 0, 0, probe, 4, 4, 0));
    EXPECT_FALSE(images_overlap(a, 0, 0, 0, probe, 5, 4, 0));
    EXPECT_FALSE(images_overlap(a, 0, 0, 0, probe, 10, 0, 0));
    set_rotation(90);
    centre_image_handle(a);
    // Turned a quarter, the solid left half becomes the top half.
    EXPECT_TRUE(images_overlap(a, 50, 50, 0, probe, 52, 46, 0));
    EXPECT_FALSE(images_overlap(a, 50, 50, 0, probe, 52, 52, 0));
    free_image(a);
    free_image(probe);
}

// A frame whose pixels only its texture holds is tested against the bits
// kept of its opaque pixels: the answers are those the pixels gave, alpha
// 127 and 128 included, turned, scaled and for a frame without alpha.
TEST_F(Overlap, AFrameGivenUpToItsTextureAnswersAsItsPixelsDid) {
    TImage* ragged =
        alpha_image(13, 9, [](int x, int y) { return (x * 29 + y * 71) % 3 == 0 ? 127 + (x & 1) : 255 * (y & 1); });
    TImage* solid = solid_image(7, 5);
    TImage* probe = solid_image(1, 1);
    for (TImage* image : {ragged, solid}) {
        std::vector<bool> before;
        for (int turn : {0, 30}) {
            set_rotation(static_cast<float>(turn));
            set_scale(turn ? 1.5f : 1.0f, 1.0f);
            for (int y = -3; y < 16; y++)
                for (int x = -3; x < 22; x++)
                    before.push_back(
                        images_overlap(image, 0, 0, 0, probe, static_cast<float>(x), static_cast<float>(y), 0));
        }
        reset();
        image_frame_drop_pixels(image, 0);
        ASSERT_EQ(image->in_texture[0], 1);
        EXPECT_TRUE(image->pixmaps[0]->pixels.empty());
        size_t at = 0;
        for (int turn : {0, 30}) {
            set_rotation(static_cast<float>(turn));
            set_scale(turn ? 1.5f : 1.0f, 1.0f);
            for (int y = -3; y < 16; y++)
                for (int x = -3; x < 22; x++, at++)
                    EXPECT_EQ(images_overlap(image, 0, 0, 0, probe, static_cast<float>(x), static_cast<float>(y), 0),
                              before[at])
                        << "at " << x << "," << y << " turned " << turn;
        }
        reset();
        EXPECT_NE(std::count(before.begin(), before.end(), true), 0);
        EXPECT_NE(std::count(before.begin(), before.end(), false), 0);
    }
    // Dynamic frames are written often and keep their pixels.
    TImage* dynamic = create_image(4, 4, 1, 0);
    image_frame_drop_pixels(dynamic, 0);
    EXPECT_EQ(dynamic->in_texture[0], 0);
    EXPECT_EQ(dynamic->pixmaps[0]->pixels.size(), 4u * 4 * 4);
    free_image(ragged);
    free_image(solid);
    free_image(probe);
    free_image(dynamic);
}

// The pixel test answers for exactly the display pixels a turned image
// fills: each texel's pixel where the quarter turn carries it, and no
// pixel beside the turned image's edges, for all four turns of a
// non-square image with transparent texels at two corners.
TEST_F(Overlap, ThePixelTestAnswersForThePixelsDrawnAtEveryTurn) {
    const int w = 10, h = 6, at = 50;
    auto alpha = [](int x, int y) { return (x == 0 && y == 0) || (x == w - 1 && y == 1) ? 0 : 255; };
    TImage* image = alpha_image(w, h, alpha);
    centre_image_handle(image);
    for (int a = 0; a < 4; a++) {
        SCOPED_TRACE(a);
        set_rotation(static_cast<float>(a * 90));
        int shown = 0;
        for (int ty = 0; ty < h; ty++)
            for (int tx = 0; tx < w; tx++) {
                // Texel centre from the image centre, doubled to stay whole,
                // turned clockwise (y down) a quarter turns.
                int dx = 2 * tx + 1 - w, dy = 2 * ty + 1 - h;
                for (int k = 0; k < a; k++) {
                    int t = dx;
                    dx = -dy;
                    dy = t;
                }
                int c = (2 * at + dx - 1) / 2, r = (2 * at + dy - 1) / 2;
                EXPECT_EQ(image_solid_at(image, at, at, 0, c, r), alpha(tx, ty) >= 128) << tx << "," << ty;
                shown += alpha(tx, ty) >= 128;
            }
        // Nothing beside the drawn pixels answers: the count over a wide
        // square is the count of solid texels.
        int hits = 0;
        for (int r = at - 2 * w; r < at + 2 * w; r++)
            for (int c = at - 2 * w; c < at + 2 * w; c++) hits += image_solid_at(image, at, at, 0, c, r);
        EXPECT_EQ(hits, shown);
    }
    // An odd-sized image has pixel centres on its edges: those on a left or
    // a bottom edge are filled (the GL's rule), those on a right or a top
    // edge are not, at every turn.
    TImage* odd = solid_image(7, 5);
    centre_image_handle(odd);
    for (int a = 0; a < 4; a++) {
        set_rotation(static_cast<float>(a * 90));
        double half_w = (a % 2 ? 5 : 7) / 2.0, half_h = (a % 2 ? 7 : 5) / 2.0;
        for (int r = at - 6; r < at + 6; r++)
            for (int c = at - 6; c < at + 6; c++) {
                bool filled = at - half_w <= c + 0.5 && c + 0.5 < at + half_w && at - half_h < r + 0.5 &&
                              r + 0.5 <= at + half_h;
                EXPECT_EQ(image_solid_at(odd, at, at, 0, c, r), filled) << "turned " << a << " at " << c << "," << r;
            }
    }
    free_image(odd);
    reset();
    EXPECT_FALSE(image_solid_at(nullptr, at, at, 0, at, at));
    EXPECT_FALSE(image_solid_at(image, at, at, 1, at, at)) << "no such frame";
    free_image(image);
}
