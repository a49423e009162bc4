// The drawing state (alpha kept as given, the matrix, blend, points mapped
// through the matrix and origin) and TrueType text: glyph images, widths,
// missing characters, the built-in default font.
#include <algorithm>

#include <gtest/gtest.h>

#include "draw_test_util.h"
#include "media/media_internal.h"
#include "media/null/null_backend.h"

TEST(DrawState, AlphaIsStoredUnclamped) {
    set_alpha(1.5f);
    EXPECT_FLOAT_EQ(get_alpha(), 1.5f);
    EXPECT_FLOAT_EQ(draw_state.color_alpha, 1.5f);
    set_alpha(-1);
    EXPECT_FLOAT_EQ(get_alpha(), -1.0f);
    set_alpha(1);
}

TEST(DrawState, QuarterTurnMatrixIsExact) {
    set_scale(2, 3);
    set_rotation(90);
    EXPECT_EQ(draw_state.tform_ix, 0.0f);
    EXPECT_EQ(draw_state.tform_iy, -3.0f);
    EXPECT_EQ(draw_state.tform_jx, 2.0f);
    EXPECT_EQ(draw_state.tform_jy, 0.0f);
    set_origin(10, 20);
    float x, y;
    transform_point(5, 5, 1, 0, &x, &y);  // one step along the image's x axis goes down
    EXPECT_FLOAT_EQ(x, 15);
    EXPECT_FLOAT_EQ(y, 27);
    transform_point(5, 5, 0, 1, &x, &y);
    EXPECT_FLOAT_EQ(x, 12);
    EXPECT_FLOAT_EQ(y, 25);
    set_rotation(-90);
    EXPECT_EQ(draw_state.tform_iy, 3.0f);
    EXPECT_EQ(draw_state.tform_jx, -2.0f);
    set_rotation(30);
    EXPECT_NEAR(draw_state.tform_ix, 2 * 0.8660254f, 1e-5f);
    EXPECT_NEAR(draw_state.tform_iy, -3 * 0.5f, 1e-5f);
    EXPECT_FLOAT_EQ(get_rotation(), 30);
    float sx, sy;
    get_scale(&sx, &sy);
    EXPECT_FLOAT_EQ(sx, 2);
    EXPECT_FLOAT_EQ(sy, 3);
    set_rotation(0);
    set_scale(1, 1);
    set_origin(0, 0);
    EXPECT_EQ(draw_state.tform_ix, 1.0f);
    EXPECT_EQ(draw_state.tform_jy, 1.0f);
}

TEST(DrawState, BlendAndColourRoundTrip) {
    int old = get_blend();
    set_blend(BLEND_ALPHA);
    EXPECT_EQ(get_blend(), BLEND_ALPHA);
    set_blend(old);
    EXPECT_EQ(get_blend(), old);
    set_color(1, 2, 3);
    int r, g, b;
    get_color(&r, &g, &b);
    EXPECT_EQ(r * 100 + g * 10 + b, 123);
    set_color(255, 255, 255);
}

namespace {

struct Text : ::testing::Test {
    TImageFont* font = nullptr;
    void SetUp() override {
        font = load_font(TEST_FONT, 22, 4);
        ASSERT_NE(font, nullptr) << TEST_FONT;
        select_font(font);
    }
    void TearDown() override {
        select_font(nullptr);
        free_font(font);
    }
};

}  // namespace

TEST_F(Text, EmptyTextHasNoWidthAndMissingCharactersAddNothing) {
    EXPECT_EQ(text_width(""), 0);
    int a = text_width("A");
    EXPECT_GT(a, 0);
    ASSERT_EQ(font_glyph(font, 1), nullptr) << "control character 1 has no glyph";
    EXPECT_EQ(text_width("\x01"), 0);
    EXPECT_EQ(text_width("A\x01"
                         "A"),
              text_width("AA"));
    EXPECT_EQ(text_width("AA"), static_cast<int>(2 * font_glyph(font, 'A')->_advance));
    EXPECT_GT(text_width("A B"), text_width("AB")) << "a blank glyph still advances";
}

TEST_F(Text, HeightIsTheFontsWhateverTheText) {
    EXPECT_GT(font->_height, 20);
    EXPECT_EQ(text_height(""), font->_height);
    EXPECT_EQ(text_height("Wg"), font->_height);
    EXPECT_GT(font->_ascent, 0);
}

TEST_F(Text, SmoothGlyphsAreWhiteCoverageWithATransparentBorder) {
    TImageGlyph* g = font_glyph(font, 'O');
    ASSERT_NE(g, nullptr);
    ASSERT_NE(g->_image, nullptr);
    EXPECT_EQ(font->_imageFlags, IMG_FILTERED | IMG_MIPMAPPED);
    EXPECT_EQ(g->_image->flags, IMG_FILTERED | IMG_MIPMAPPED);
    TPixmap* p = lock_image(g->_image, 0, true, false);
    EXPECT_EQ(p->width, g->_w);
    EXPECT_EQ(p->height, g->_h);
    bool partial = false, inside = false;
    for (int y = 0; y < p->height; y++)
        for (int x = 0; x < p->width; x++) {
            uint32_t v = read_pixel(p, x, y);
            ASSERT_EQ(v & 0xFFFFFF, 0xFFFFFFu);
            uint32_t a = v >> 24;
            if (x == 0 || y == 0 || x == p->width - 1 || y == p->height - 1) {
                ASSERT_EQ(a, 0u) << "border at " << x << "," << y;
            }
            if (a > 0 && a < 255) partial = true;
            if (a > 0) inside = true;
        }
    EXPECT_TRUE(inside);
    EXPECT_TRUE(partial) << "anti-aliased";
    EXPECT_EQ(font_glyph(font, 'O'), g) << "made once and kept";
    // The space has a glyph but no pixels.
    TImageGlyph* space = font_glyph(font, ' ');
    ASSERT_NE(space, nullptr);
    EXPECT_EQ(space->_image, nullptr);
    EXPECT_GT(space->_advance, 0);
}

TEST_F(Text, PlainStyleGlyphsAreOneBit) {
    TImageFont* plain = load_font(TEST_FONT, 14, 0);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->_imageFlags, 0);
    TImageGlyph* g = font_glyph(plain, 'e');
    ASSERT_NE(g, nullptr);
    ASSERT_NE(g->_image, nullptr);
    TPixmap* p = lock_image(g->_image, 0, true, false);
    for (int y = 0; y < p->height; y++)
        for (int x = 0; x < p->width; x++) {
            uint32_t a = read_pixel(p, x, y) >> 24;
            ASSERT_TRUE(a == 0 || a == 255) << a;
        }
    free_font(plain);
}

TEST_F(Text, LatinOneBytesMapToTheirCodePoints) {
    EXPECT_NE(font_glyph(font, 0xE9), nullptr);  // e acute
    EXPECT_EQ(text_width("\xE9"), static_cast<int>(font_glyph(font, 0xE9)->_advance));
}

namespace {

// The box of lit (non-black) pixels of the null display's back buffer.
struct Box {
    int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;  // x1, y1 exclusive
    bool empty() const { return x1 < 0; }
};

Box lit_box() {
    Box box;
    TPixmap* back = null_back_buffer();
    for (int y = 0; y < back->height; y++)
        for (int x = 0; x < back->width; x++)
            if (read_pixel(back, x, y) & 0xFFFFFF) {
                box.x0 = std::min(box.x0, x);
                box.y0 = std::min(box.y0, y);
                box.x1 = std::max(box.x1, x + 1);
                box.y1 = std::max(box.y1, y + 1);
            }
    return box;
}

}  // namespace

TEST(DrawText, GlyphsSitAtThePenPlusTheirOffsetsAlongTheMatrix) {
    ASSERT_NE(open_screen(200, 120, 0, 0, 0), nullptr);
    TImageFont* font = load_font(TEST_FONT, 22, 4);
    ASSERT_NE(font, nullptr);
    select_font(font);
    set_blend(BLEND_ALPHA);
    TImageGlyph* g = font_glyph(font, 'H');
    ASSERT_NE(g->_image, nullptr);
    const int advance = static_cast<int>(g->_advance);

    // Upright: two glyphs side by side from the pen at (20, 30), the top of the line.
    draw_text("HH", 20, 30);
    Box box = lit_box();
    ASSERT_FALSE(box.empty());
    EXPECT_GE(box.x0, 20 + g->_x);
    EXPECT_LE(box.x1, 20 + advance + g->_x + g->_w);
    EXPECT_GT(box.x1, 20 + advance + g->_x) << "the second glyph is drawn one advance on";
    EXPECT_GE(box.y0, 30 + g->_y);
    EXPECT_LE(box.y1, 30 + g->_y + g->_h);
    EXPECT_GT(box.y0, 30) << "capitals start below the top of the line";

    // A quarter turn: the line runs downwards and the glyphs' tops face right.
    clear_screen();
    set_rotation(90);
    draw_text("HH", 100, 10);
    set_rotation(0);
    box = lit_box();
    ASSERT_FALSE(box.empty());
    EXPECT_GE(box.y0, 10 + g->_x);
    EXPECT_LE(box.y1, 10 + advance + g->_x + g->_w);
    EXPECT_GT(box.y1, 10 + advance + g->_x);
    EXPECT_LE(box.x1, 100 - g->_y);
    EXPECT_GE(box.x0, 100 - g->_y - g->_h);

    select_font(nullptr);
    free_font(font);
    close_screen();
}

TEST(Fonts, BadFilesGiveNullAndTheDefaultFontMeasuresNothing) {
    support::TempFolder dir;
    EXPECT_EQ(load_font(dir.file("missing.ttf"), 22, 4), nullptr);
    ASSERT_TRUE(support::write_bytes(dir.file("junk.ttf"), std::vector<uint8_t>(300, 0x41)));
    EXPECT_EQ(load_font(dir.file("junk.ttf"), 22, 4), nullptr);
    EXPECT_EQ(load_font(TEST_FONT, 0, 4), nullptr);
    select_font(nullptr);
    EXPECT_EQ(text_width("abc"), 0);
    EXPECT_EQ(text_height("abc"), 0);
    draw_text("abc", 0, 0);  // draws nothing, needs no display
    TImageFont* font = load_font(TEST_FONT, 14, 4);
    select_font(font);
    EXPECT_GT(text_width("abc"), 0);
    free_font(font);
    EXPECT_EQ(draw_state.image_font, nullptr) << "freeing the selected font selects the default";
}
