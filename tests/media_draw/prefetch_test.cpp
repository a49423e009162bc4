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
    prefetch_images(paths, IMAGE_LIMITS_GAME_FILE, 0);
    for (int i = 0; i < 40; i++) {
        TPixmap* loaded = load_pixmap(paths[static_cast<size_t>(i)]);
        expect_pattern(loaded, 20 + i, 10 + i % 7, i);
        free_pixmap(loaded);
    }
    // Loads after the worker is done: every file is the worker's.
    int taken = prefetched_images_taken;
    prefetch_images(paths, IMAGE_LIMITS_GAME_FILE, 0);
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
    prefetch_images({a, b}, IMAGE_LIMITS_GAME_FILE, 0);
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
    prefetch_images({big, gone, b}, IMAGE_LIMITS_GAME_FILE, 0);
    wait_for_prefetch();
    TImageLimits limits = {20, 100, 10000};
    TImageClaim claim;
    EXPECT_EQ(load_pixmap_within(big, limits, &claim), nullptr);
    EXPECT_EQ(claim.width, 40);
    EXPECT_EQ(claim.height, 30);
    EXPECT_FALSE(claim.no_memory);
    claim = TImageClaim();
    EXPECT_EQ(load_pixmap_within(gone, IMAGE_LIMITS_GAME_FILE, &claim), nullptr);
    EXPECT_EQ(claim.width, 0);
    // An image load goes through the same path and masks as before.
    prefetch_images({big}, IMAGE_LIMITS_GAME_FILE, 0);
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
    prefetch_images({a, b}, IMAGE_LIMITS_GAME_FILE, 0);
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
    prefetch_images(many, IMAGE_LIMITS_GAME_FILE, 0);
    drop_prefetched_images();
    wait_for_prefetch();
    loaded = load_pixmap(a);
    expect_pattern(loaded, 12, 12, 6);
    free_pixmap(loaded);
    EXPECT_EQ(prefetched_images_taken, taken);
}

// A jigsaw's pieces share a budget: the worker decodes each within what
// the ones before it left, hands a refusal over to the load that asks the
// same limits, decodes nothing after it, and never decodes a file whose
// header its limits refuse (a load asking more decodes it afresh).
TEST_F(Prefetch, TheWorkerDecodesUnderTheLoadsLimitsAndBudget) {
    std::vector<std::string> p;
    for (int i = 0; i < 4; i++) {
        p.push_back(folder.file("piece" + std::to_string(i) + ".png"));
        ASSERT_TRUE(write_pattern(p.back(), 10, 10, i));
    }
    std::string bomb = folder.file("bomb.png");
    ASSERT_TRUE(write_pattern(bomb, 300, 200, 9));
    prefetch_images({p[0], p[1], p[2], p[3]}, {100, 100, 250}, 250);
    prefetch_images({bomb}, {100, 100, 10000}, 0);
    wait_for_prefetch();
    int taken = prefetched_images_taken;
    TImageClaim claim;
    TPixmap* loaded = load_pixmap_within(p[0], {100, 100, 250}, &claim);
    expect_pattern(loaded, 10, 10, 0);
    free_pixmap(loaded);
    loaded = load_pixmap_within(p[1], {100, 100, 150}, &claim);
    expect_pattern(loaded, 10, 10, 1);
    free_pixmap(loaded);
    EXPECT_EQ(prefetched_images_taken, taken + 2);
    // 100 pixels over the 50 left: refused by the worker, and the load
    // gets that refusal with the header's claim.
    EXPECT_EQ(load_pixmap_within(p[2], {100, 100, 50}, &claim), nullptr);
    EXPECT_EQ(claim.width, 10);
    EXPECT_EQ(prefetched_images_taken, taken + 3);
    // Not decoded after the refusal: a load with room decodes it itself.
    loaded = load_pixmap_within(p[3], {100, 100, 250}, &claim);
    expect_pattern(loaded, 10, 10, 3);
    free_pixmap(loaded);
    EXPECT_EQ(prefetched_images_taken, taken + 3);
    // The oversized file was refused unread, not decoded and kept.
    loaded = load_pixmap_within(bomb, {400, 400, 160000}, &claim);
    expect_pattern(loaded, 300, 200, 9);
    free_pixmap(loaded);
    EXPECT_EQ(prefetched_images_taken, taken + 3);
}

}  // namespace
