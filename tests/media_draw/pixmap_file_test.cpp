// Image files: PNG save and reload round trips, BMP and TGA files written
// byte by byte, images loaded with and without the mask, and files that
// are truncated or claim absurd sizes.
#include <gtest/gtest.h>

#include "draw_test_util.h"
#include "media/media_internal.h"

namespace {

// Pixels equal, as ARGB, over the whole pixmap.
void expect_same_pixels(const TPixmap* a, const TPixmap* b) {
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(a->width, b->width);
    ASSERT_EQ(a->height, b->height);
    for (int y = 0; y < a->height; y++)
        for (int x = 0; x < a->width; x++) ASSERT_EQ(read_pixel(a, x, y), read_pixel(b, x, y)) << x << "," << y;
}

// A test pattern with some structure (so compression levels differ).
TPixmap* pattern(int width, int height, int format) {
    TPixmap* p = create_pixmap(width, height, format);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            uint32_t a = static_cast<uint32_t>((x * 16) & 255), r = static_cast<uint32_t>((x * 7 + y) & 255);
            uint32_t g = static_cast<uint32_t>((y * 5) & 255), b = static_cast<uint32_t>(((x / 8) * 40) & 255);
            write_pixel(p, x, y, (a << 24) | (r << 16) | (g << 8) | b);
        }
    return p;
}

// BMP with a 40-byte header; `rows` top row first, each already padded.
std::vector<uint8_t> bmp_file(int width, int height, int bpp, bool top_down, const std::vector<uint8_t>& palette,
                              std::vector<std::vector<uint8_t>> rows) {
    std::vector<uint8_t> b = {'B', 'M'};
    size_t data_size = 0;
    for (const auto& row : rows) data_size += row.size();
    uint32_t offset = static_cast<uint32_t>(14 + 40 + palette.size());
    put32(&b, static_cast<uint32_t>(offset + data_size));
    put32(&b, 0);
    put32(&b, offset);
    put32(&b, 40);
    put32(&b, static_cast<uint32_t>(width));
    put32(&b, static_cast<uint32_t>(top_down ? -height : height));
    put16(&b, 1);
    put16(&b, static_cast<unsigned>(bpp));
    put32(&b, 0);  // no compression
    put32(&b, static_cast<uint32_t>(data_size));
    put32(&b, 2835);
    put32(&b, 2835);
    put32(&b, static_cast<uint32_t>(palette.size() / 4));
    put32(&b, 0);
    b.insert(b.end(), palette.begin(), palette.end());
    if (!top_down) std::reverse(rows.begin(), rows.end());
    for (const auto& row : rows) b.insert(b.end(), row.begin(), row.end());
    return b;
}

// Uncompressed or RLE TGA; `data` as it goes into the file.
std::vector<uint8_t> tga_file(int type, int width, int height, int depth, uint8_t descriptor,
                              const std::vector<uint8_t>& data) {
    std::vector<uint8_t> b = {0, 0, static_cast<uint8_t>(type), 0, 0, 0, 0, 0, 0, 0, 0, 0};
    put16(&b, static_cast<unsigned>(width));
    put16(&b, static_cast<unsigned>(height));
    b.push_back(static_cast<uint8_t>(depth));
    b.push_back(descriptor);
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

}  // namespace

TEST(SavePixmapPng, GreyRgbAndRgbaRoundTripAtBothEndsOfTheLevelRange) {
    support::TempFolder dir;
    const int formats[] = {PF_GREY8, PF_RGB888, PF_RGBA8888};
    for (int format : formats) {
        TPixmap* p = pattern(64, 48, format);
        std::string fast = dir.file("fast.png"), small = dir.file("small.png");
        ASSERT_TRUE(save_pixmap_png(p, fast, 0));
        ASSERT_TRUE(save_pixmap_png(p, small, 9));
        TPixmap* back = load_pixmap(small);
        ASSERT_NE(back, nullptr) << "format " << format;
        EXPECT_EQ(back->format, format);
        EXPECT_EQ(back->_source, small);
        expect_same_pixels(p, back);
        TPixmap* back_fast = load_pixmap(fast);
        expect_same_pixels(p, back_fast);
        EXPECT_GT(support::read_bytes(fast).size(), support::read_bytes(small).size())
            << "level 0 stores, level 9 compresses";
        free_pixmap(p);
        free_pixmap(back);
        free_pixmap(back_fast);
    }
}

TEST(SavePixmapPng, ClampsTheLevelAndConvertsOtherFormats) {
    support::TempFolder dir;
    TPixmap* p = pattern(64, 48, PF_BGR888);
    ASSERT_TRUE(save_pixmap_png(p, dir.file("a.png"), 0));
    ASSERT_TRUE(save_pixmap_png(p, dir.file("b.png"), -7));
    ASSERT_TRUE(save_pixmap_png(p, dir.file("c.png"), 9));
    ASSERT_TRUE(save_pixmap_png(p, dir.file("d.png"), 42));
    EXPECT_EQ(support::read_bytes(dir.file("a.png")), support::read_bytes(dir.file("b.png")));
    EXPECT_EQ(support::read_bytes(dir.file("c.png")), support::read_bytes(dir.file("d.png")));
    TPixmap* back = load_pixmap(dir.file("c.png"));
    EXPECT_EQ(back->format, PF_RGB888);  // BGR is written as RGB
    expect_same_pixels(p, back);
    free_pixmap(back);
    free_pixmap(p);

    TPixmap* bgra = pattern(8, 8, PF_BGRA8888);
    ASSERT_TRUE(save_pixmap_png(bgra, dir.file("bgra.png"), 5));
    back = load_pixmap(dir.file("bgra.png"));
    EXPECT_EQ(back->format, PF_RGBA8888);
    expect_same_pixels(bgra, back);
    free_pixmap(back);
    free_pixmap(bgra);

    TPixmap* alpha = pixmap_of(2, 1, PF_ALPHA8, {0x40000000, 0xFF000000});
    ASSERT_TRUE(save_pixmap_png(alpha, dir.file("alpha.png"), 5));
    back = load_pixmap(dir.file("alpha.png"));
    EXPECT_EQ(back->format, PF_RGBA8888);
    EXPECT_EQ(read_pixel(back, 0, 0), 0x40FFFFFFu);
    free_pixmap(back);
    free_pixmap(alpha);
}

TEST(SavePixmapPng, FailsWhenTheFileCannotBeWritten) {
    support::TempFolder dir;
    TPixmap* p = pattern(4, 4, PF_RGB888);
    EXPECT_FALSE(save_pixmap_png(p, dir.file("no/such/folder.png"), 5));
    EXPECT_FALSE(save_pixmap_png(nullptr, dir.file("null.png"), 5));
    free_pixmap(p);
}

TEST(SavePixmapPng, TheFileIsSyncedToDiskBeforeItIsClosed) {
    // A thumbnail replaces the old one by a rename once it is written;
    // unsynced, a power cut could leave the new name on an empty file.
    support::TempFolder dir;
    TPixmap* p = pattern(8, 8, PF_RGBA8888);
    int before = files_synced;
    ASSERT_TRUE(save_pixmap_png(p, dir.file("t.png"), 5));
    EXPECT_EQ(files_synced, before + 2) << "the file, then its folder";
    EXPECT_FALSE(save_pixmap_png(p, dir.file("no/such/folder.png"), 5));
    EXPECT_EQ(files_synced, before + 2);
    // A disk that fills up part way through the PNG keeps the old file.
    std::string old_bytes = support::read_text(dir.file("t.png"));
    TPixmap* other = pattern(64, 64, PF_RGB888);
    file_faults.fail_after_bytes = 60;
    EXPECT_FALSE(save_pixmap_png(other, dir.file("t.png"), 5));
    file_faults = TFileFaults();
    EXPECT_EQ(support::read_text(dir.file("t.png")), old_bytes);
    free_pixmap(other);
    free_pixmap(p);
    TPixmap* back = load_pixmap(dir.file("t.png"));
    EXPECT_NE(back, nullptr);
    free_pixmap(back);
}

TEST(LoadImage, PngWithItsOwnAlphaKeepsItUnderDefaultFlags) {
    support::TempFolder dir;
    // Opaque black must survive: the mask applies only to pixmaps without alpha.
    TPixmap* p = pixmap_of(3, 1, PF_RGBA8888, {0xFF000000, 0x40102030, 0x00FFFFFF});
    ASSERT_TRUE(save_pixmap_png(p, dir.file("alpha.png"), 5));
    TImage* image = load_image(dir.file("alpha.png"), -1);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->flags, IMG_DEFAULT_FLAGS);
    EXPECT_EQ(image_width(image), 3);
    EXPECT_EQ(image_height(image), 1);
    TPixmap* frame = lock_image(image, 0, true, false);
    expect_same_pixels(p, frame);
    free_image(image);
    free_pixmap(p);
}

TEST(LoadImage, MaskedBmpLosesItsBlackAndFillsItsColour) {
    support::TempFolder dir;
    // 3 x 2, 24-bit: black in the top-left, colours elsewhere (BGR bytes, rows padded to 12).
    std::vector<std::vector<uint8_t>> rows = {
        {0, 0, 0, 0, 0, 200, 0, 0, 100, 0, 0, 0},
        {50, 0, 0, 0, 100, 0, 10, 10, 10, 0, 0, 0},
    };
    ASSERT_TRUE(support::write_bytes(dir.file("m.bmp"), bmp_file(3, 2, 24, false, {}, rows)));
    TImage* masked = load_image(dir.file("m.bmp"), -1);
    ASSERT_NE(masked, nullptr);
    TPixmap* frame = lock_image(masked, 0, true, false);
    // Neighbours of (0,0): (200,0,0), (0,0,50), (0,100,0).
    EXPECT_EQ(read_pixel(frame, 0, 0), 0x00422110u);  // (66, 33, 16), alpha 0
    EXPECT_EQ(read_pixel(frame, 1, 0), 0xFFC80000u);
    free_image(masked);

    TImage* plain = load_image(dir.file("m.bmp"), 0);
    EXPECT_EQ(read_pixel(lock_image(plain, 0, true, false), 0, 0), 0xFF000000u);
    free_image(plain);
}

TEST(LoadPixmap, BmpTwentyFourBitBottomUp) {
    support::TempFolder dir;
    std::vector<std::vector<uint8_t>> rows = {
        {1, 2, 3, 4, 5, 6, 0, 0},  // top row: BGR (1,2,3), (4,5,6)
        {7, 8, 9, 10, 11, 12, 0, 0},
    };
    ASSERT_TRUE(support::write_bytes(dir.file("a.bmp"), bmp_file(2, 2, 24, false, {}, rows)));
    TPixmap* p = load_pixmap(dir.file("a.bmp"));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(read_pixel(p, 0, 0), 0xFF030201u);
    EXPECT_EQ(read_pixel(p, 1, 0), 0xFF060504u);
    EXPECT_EQ(read_pixel(p, 1, 1), 0xFF0C0B0Au);
    free_pixmap(p);
}

TEST(LoadPixmap, BmpEightBitPalettedTopDown) {
    support::TempFolder dir;
    std::vector<uint8_t> palette = {0, 0, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 0, 0, 255, 0};  // BGRx
    std::vector<std::vector<uint8_t>> rows = {{1, 2, 3, 0}, {3, 0, 9, 0}};                  // 9 is beyond the palette
    ASSERT_TRUE(support::write_bytes(dir.file("p.bmp"), bmp_file(3, 2, 8, true, palette, rows)));
    TPixmap* p = load_pixmap(dir.file("p.bmp"));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->width, 3);
    EXPECT_EQ(p->height, 2);
    EXPECT_EQ(read_pixel(p, 0, 0), 0xFF0000FFu);
    EXPECT_EQ(read_pixel(p, 1, 0), 0xFF00FF00u);
    EXPECT_EQ(read_pixel(p, 2, 0), 0xFFFF0000u);
    EXPECT_EQ(read_pixel(p, 0, 1), 0xFFFF0000u);
    EXPECT_EQ(read_pixel(p, 2, 1), 0xFF000000u);
    free_pixmap(p);
}

TEST(LoadPixmap, BmpThirtyTwoBitIsOpaqueWithoutAnAlphaMask) {
    support::TempFolder dir;
    std::vector<std::vector<uint8_t>> rows = {{1, 2, 3, 0, 4, 5, 6, 0}};
    ASSERT_TRUE(support::write_bytes(dir.file("w.bmp"), bmp_file(2, 1, 32, false, {}, rows)));
    TPixmap* p = load_pixmap(dir.file("w.bmp"));
    ASSERT_NE(p, nullptr);
    EXPECT_FALSE(pixmap_has_alpha(p->format));
    EXPECT_EQ(read_pixel(p, 1, 0), 0xFF060504u);
    free_pixmap(p);
}

TEST(LoadPixmap, TgaRawBottomUpAndRleTopDown) {
    support::TempFolder dir;
    // 2 x 2, 24-bit, bottom row first.
    ASSERT_TRUE(
        support::write_bytes(dir.file("raw.tga"), tga_file(2, 2, 2, 24, 0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12})));
    TPixmap* p = load_pixmap(dir.file("raw.tga"));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(read_pixel(p, 0, 0), 0xFF090807u);
    EXPECT_EQ(read_pixel(p, 1, 1), 0xFF060504u);
    free_pixmap(p);
    // 3 x 1, 32-bit with 8 alpha bits, top-left origin: a run of 2 then one raw pixel.
    ASSERT_TRUE(support::write_bytes(dir.file("rle.tga"),
                                     tga_file(10, 3, 1, 32, 0x28, {0x81, 10, 20, 30, 128, 0x00, 1, 2, 3, 4})));
    p = load_pixmap(dir.file("rle.tga"));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(read_pixel(p, 0, 0), 0x801E140Au);
    EXPECT_EQ(read_pixel(p, 1, 0), 0x801E140Au);
    EXPECT_EQ(read_pixel(p, 2, 0), 0x04030201u);
    free_pixmap(p);
}

TEST(LoadPixmap, TruncatedFilesGiveNull) {
    support::TempFolder dir;
    std::vector<uint8_t> png = png_bytes(pattern(40, 30, PF_RGBA8888), dir.file("whole.png"));
    ASSERT_GT(png.size(), 20u);
    for (size_t keep : {png.size() / 2, png.size() - 13, size_t(20), size_t(8)}) {
        ASSERT_TRUE(support::write_bytes(dir.file("cut.png"), std::vector<uint8_t>(png.begin(), png.begin() + keep)));
        EXPECT_EQ(load_pixmap(dir.file("cut.png")), nullptr) << "PNG cut to " << keep;
    }
    std::vector<std::vector<uint8_t>> rows(4, std::vector<uint8_t>(12, 77));
    std::vector<uint8_t> bmp = bmp_file(4, 4, 24, false, {}, rows);
    bmp.resize(bmp.size() - 5);
    ASSERT_TRUE(support::write_bytes(dir.file("cut.bmp"), bmp));
    EXPECT_EQ(load_pixmap(dir.file("cut.bmp")), nullptr);
    ASSERT_TRUE(support::write_bytes(dir.file("cut.tga"), tga_file(2, 2, 2, 24, 0, {1, 2, 3, 4, 5, 6, 7})));
    EXPECT_EQ(load_pixmap(dir.file("cut.tga")), nullptr);
    ASSERT_TRUE(support::write_bytes(dir.file("cut.jpg"), {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F'}));
    EXPECT_EQ(load_pixmap(dir.file("cut.jpg")), nullptr);
    ASSERT_TRUE(support::write_bytes(dir.file("empty.png"), {}));
    EXPECT_EQ(load_pixmap(dir.file("empty.png")), nullptr);
    EXPECT_EQ(load_pixmap(dir.file("missing.png")), nullptr);
    EXPECT_EQ(load_image(dir.file("missing.png"), -1), nullptr);
}

TEST(LoadPixmap, AbsurdSizesGiveNull) {
    support::TempFolder dir;
    // A complete, valid BMP one pixel wider than any pixmap may be.
    std::vector<std::vector<uint8_t>> wide = {std::vector<uint8_t>(((PIXMAP_MAX_SIDE + 1) * 3 + 3) / 4 * 4, 9)};
    ASSERT_TRUE(support::write_bytes(dir.file("wide.bmp"), bmp_file(PIXMAP_MAX_SIDE + 1, 1, 24, false, {}, wide)));
    EXPECT_EQ(load_pixmap(dir.file("wide.bmp")), nullptr);
    std::vector<std::vector<uint8_t>> edge = {std::vector<uint8_t>(PIXMAP_MAX_SIDE * 3, 9)};
    ASSERT_TRUE(support::write_bytes(dir.file("edge.bmp"), bmp_file(PIXMAP_MAX_SIDE, 1, 24, false, {}, edge)));
    TPixmap* ok = load_pixmap_within(dir.file("edge.bmp"), IMAGE_LIMITS_LARGEST, nullptr);
    EXPECT_NE(ok, nullptr) << "the largest side is still accepted";
    free_pixmap(ok);
    // Headers claiming 100000 x 100000 with almost no data.
    std::vector<uint8_t> bmp = bmp_file(100000, 100000, 24, false, {}, {{0, 0, 0, 0}});
    ASSERT_TRUE(support::write_bytes(dir.file("huge.bmp"), bmp));
    EXPECT_EQ(load_pixmap(dir.file("huge.bmp")), nullptr);
    ASSERT_TRUE(support::write_bytes(dir.file("huge.tga"), tga_file(2, 65535, 65535, 24, 0, {1, 2, 3})));
    EXPECT_EQ(load_pixmap(dir.file("huge.tga")), nullptr);
    // A PNG whose header (with a correct checksum) claims 100000 x 100000.
    std::vector<uint8_t> png = png_bytes(pattern(4, 4, PF_RGB888), dir.file("small.png"));
    ASSERT_GT(png.size(), 33u);
    claim_png_size(&png, 100000, 100000);
    ASSERT_TRUE(support::write_bytes(dir.file("huge.png"), png));
    EXPECT_EQ(load_pixmap(dir.file("huge.png")), nullptr);
}

TEST(Images, CreateImageGivesTransparentDynamicFrames) {
    TImage* image = create_image(5, 4, 2, -1);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->flags, IMG_DEFAULT_FLAGS | IMG_DYNAMIC);
    EXPECT_EQ(image->pixmaps.size(), 2u);
    TPixmap* frame = lock_image(image, 1, true, false);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->format, PF_RGBA8888);
    EXPECT_EQ(read_pixel(frame, 4, 3), 0u);
    EXPECT_EQ(lock_image(image, 2, true, true), nullptr);
    EXPECT_EQ(lock_image(image, -1, true, true), nullptr);
    EXPECT_EQ(create_image(5, 4, 0, 0), nullptr);
    centre_image_handle(image);
    EXPECT_FLOAT_EQ(image->handle_x, 2.5f);
    EXPECT_FLOAT_EQ(image->handle_y, 2.0f);
    free_image(image);
}

TEST(Images, WriteLockAndGrabMarkTheFrameForANewTexture) {
    TImage* image = create_image(2, 2, 1, 0);
    ASSERT_TRUE(image_frame_needs_texture(image, 0));
    image_frame_set_texture(image, 0, 7, 0.5f, 0.5f);
    EXPECT_FALSE(image_frame_needs_texture(image, 0));
    lock_image(image, 0, true, false);
    EXPECT_FALSE(image_frame_needs_texture(image, 0)) << "reading changes nothing";
    lock_image(image, 0, false, true);
    EXPECT_TRUE(image_frame_needs_texture(image, 0));
    image_frame_set_texture(image, 0, 7, 0.5f, 0.5f);
    display_generation++;
    EXPECT_TRUE(image_frame_needs_texture(image, 0)) << "a new display needs new textures";
    image_frame_set_texture(image, 0, 9, 0.5f, 0.5f);

    TPixmap* grabbed = pixmap_of(2, 2, PF_RGBA8888, {0xFF000000, 0xFF102030, 0xFF102030, 0xFF102030});
    image_store_grab(image, 0, grabbed);
    EXPECT_TRUE(image_frame_needs_texture(image, 0));
    EXPECT_EQ(read_pixel(lock_image(image, 0, true, false), 1, 1), 0xFF102030u);
    EXPECT_EQ(read_pixel(lock_image(image, 0, true, false), 0, 0), 0xFF000000u) << "unmasked: kept";
    free_pixmap(grabbed);

    released_textures.clear();
    free_image(image);
    ASSERT_EQ(released_textures.size(), 1u);
    EXPECT_EQ(released_textures[0], 9u);
    released_textures.clear();
}

TEST(Images, GrabIntoAMaskedImageAppliesTheMask) {
    TImage* image = create_image(2, 1, 1, IMG_MASKED);
    TPixmap* grabbed = pixmap_of(2, 1, PF_RGBA8888, {0xFF000000, 0xFF204060});
    image_store_grab(image, 0, grabbed);
    EXPECT_EQ(read_pixel(lock_image(image, 0, true, false), 0, 0), 0x00204060u);
    free_pixmap(grabbed);
    free_image(image);
}
