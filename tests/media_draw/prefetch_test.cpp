// Decoding ahead: a load takes what the worker decoded only for the same,
// unchanged file, with the load's own limits, and gives the pixels a load
// of its own gives; what no load took is let go.
#include <gtest/gtest.h>

#include "media/media_internal.h"
#include "tests/support/temp_folder.h"

namespace {

// A pattern that differs per seed, so that two files never decode alike.
TPixmap* pattern(int width, int height, int seed) {
    TPixmap* p = create_pixmap(width, height, PF_RGBA8888);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            uint32_t a = static_cast<uint32_t>((x * 16 + seed) & 255), r = static_cast<uint32_t>((x * 7 + y) & 255);
            uint32_t g = static_cast<uint32_t>((y * 5 + seed * 3) & 255), b = static_cast<uint32_t>(seed & 255);
            write_pixel(p, x, y, (a << 24) | (r << 16) | (g << 8) | b);
        }
    return p;
}

bool write_pattern(const std::string& path, int width, int height, int seed) {
    TPixmap* p = pattern(width, height, seed);
    bool ok = save_pixmap_png(p, path, 6);
    free_pixmap(p);
    return ok;
}

void expect_pattern(const TPixmap* loaded, int width, int height, int seed) {
    ASSERT_NE(loaded, nullptr);
    ASSERT_EQ(loaded->width, width);
    ASSERT_EQ(loaded->height, height);
    TPixmap* want = pattern(width, height, seed);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) ASSERT_EQ(read_pixel(loaded, x, y), read_pixel(want, x, y)) << x << "," << y;
    free_pixmap(want);
}

class Prefetch : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(folder.path.empty()); }
    void TearDown() override { drop_prefetched_images(); }
    support::TempFolder folder{"tessellon-prefetch"};
};

TEST_F(Prefetch, LoadsTakeTheDecodedFilesWithTheirOwnPixels) {
    std::vector<std::string> paths;
    for (int i = 0; i < 40; i++) {
        paths.push_back(folder.file(std::to_string(i) + ".png"));
        ASSERT_TRUE(write_pattern(paths.back(), 20 + i, 10 + i % 7, i));
    }
    // Loads racing the worker: each file is the worker's or the load's own.
    prefetch_images(paths);
    for (int i = 0; i < 40; i++) {
        TPixmap* loaded = load_pixmap(paths[static_cast<size_t>(i)]);
        expect_pattern(loaded, 20 + i, 10 + i % 7, i);
        free_pixmap(loaded);
    }
    // Loads after the worker is done: every file is the worker's.
    int taken = prefetched_images_taken;
    prefetch_images(paths);
    wait_for_prefetch();
    for (int i = 0; i < 40; i++) {
        TPixmap* loaded = load_pixmap(paths[static_cast<size_t>(i)]);
        expect_pattern(loaded, 20 + i, 10 + i % 7, i);
        EXPECT_EQ(loaded->_source, paths[static_cast<size_t>(i)]);
        free_pixmap(loaded);
    }
    EXPECT_EQ(prefetched_images_taken - taken, 40);
    // Each is taken once: a second load decodes for itself.
    taken = prefetched_images_taken;
    TPixmap* again = load_pixmap(paths[39]);
    expect_pattern(again, 59, 10 + 39 % 7, 39);
    free_pixmap(again);
    EXPECT_EQ(prefetched_images_taken, taken);
}

TEST_F(Prefetch, AFileChangedAfterItsDecodingIsReadAgain) {
    std::string a = folder.file("a.png"), b = folder.file("b.png");
    ASSERT_TRUE(write_pattern(a, 16, 16, 1));
    ASSERT_TRUE(write_pattern(b, 8, 8, 2));
    prefetch_images({a, b});
    wait_for_prefetch();
    ASSERT_TRUE(write_pattern(a, 24, 12, 3));
    int taken = prefetched_images_taken;
    TPixmap* loaded = load_pixmap(a);
    expect_pattern(loaded, 24, 12, 3);
    free_pixmap(loaded);
    EXPECT_EQ(prefetched_images_taken, taken);
}

TEST_F(Prefetch, TheLoadsLimitsAndClaimsHoldAsForALoadOfItsOwn) {
    std::string big = folder.file("big.png"), gone = folder.file("gone.png"), b = folder.file("b.png");
    ASSERT_TRUE(write_pattern(big, 40, 30, 4));
    ASSERT_TRUE(write_pattern(b, 8, 8, 5));
    prefetch_images({big, gone, b});
    wait_for_prefetch();
    TImageLimits limits = {20, 0, 0};
    TImageClaim claim;
    EXPECT_EQ(load_pixmap_within(big, limits, &claim), nullptr);
    EXPECT_EQ(claim.width, 40);
    EXPECT_EQ(claim.height, 30);
    EXPECT_FALSE(claim.no_memory);
    claim = TImageClaim();
    EXPECT_EQ(load_pixmap_within(gone, TImageLimits(), &claim), nullptr);
    EXPECT_EQ(claim.width, 0);
    // An image load goes through the same path and masks as before.
    prefetch_images({big});
    wait_for_prefetch();
    int taken = prefetched_images_taken;
    TImage* image = load_image(big, -1);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(prefetched_images_taken, taken + 1);
    expect_pattern(image->pixmaps[0], 40, 30, 4);
    free_image(image);
}

TEST_F(Prefetch, DroppedFilesAreDecodedByTheirLoads) {
    std::string a = folder.file("a.png"), b = folder.file("b.png");
    ASSERT_TRUE(write_pattern(a, 12, 12, 6));
    ASSERT_TRUE(write_pattern(b, 9, 9, 7));
    prefetch_images({a, b});
    wait_for_prefetch();
    drop_prefetched_images();
    int taken = prefetched_images_taken;
    TPixmap* loaded = load_pixmap(a);
    expect_pattern(loaded, 12, 12, 6);
    free_pixmap(loaded);
    loaded = load_pixmap(b);
    expect_pattern(loaded, 9, 9, 7);
    free_pixmap(loaded);
    EXPECT_EQ(prefetched_images_taken, taken);
    // Dropped while the worker decodes: it lets go of that file itself.
    std::vector<std::string> many(30, a);
    prefetch_images(many);
    drop_prefetched_images();
    wait_for_prefetch();
    loaded = load_pixmap(a);
    expect_pattern(loaded, 12, 12, 6);
    free_pixmap(loaded);
    EXPECT_EQ(prefetched_images_taken, taken);
}

}  // namespace
