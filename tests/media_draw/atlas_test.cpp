// Atlas pages: cells of small frames never overlap and stay inside their
// page, a cell takes the lowest shelf it fits under, kinds keep apart, a page goes when its last cell is released, and
// a cell's border repeats the frame's edges; freeing an image hands its
// atlas page, not a texture of its own, to the backend.
#include <gtest/gtest.h>

#include "draw_test_util.h"
#include "media/media_internal.h"

namespace {

struct Cell {
    int page, x, y, w, h;
};

bool cells_overlap(const Cell& a, const Cell& b) {
    return a.page == b.page && a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

TEST(Atlas, CellsOfManySizesNeverOverlapAndStayOnTheirPage) {
    atlas_reset(256);
    std::vector<Cell> cells;
    for (int i = 0; i < 200; i++) {
        int w = 5 + (i * 37) % 55, h = 5 + (i * 53) % 55;  // up to 59 + 2 <= 256 / 4
        Cell c{0, 0, 0, w + 2, h + 2};
        ASSERT_TRUE(atlas_place(0, w, h, &c.page, &c.x, &c.y)) << i;
        ASSERT_GE(c.page, 0);
        ASSERT_LT(static_cast<size_t>(c.page), atlas_pages.size());
        EXPECT_GE(c.x, 0);
        EXPECT_GE(c.y, 0);
        EXPECT_LE(c.x + c.w, 256) << i;
        EXPECT_LE(c.y + c.h, 256) << i;
        for (const Cell& other : cells) ASSERT_FALSE(cells_overlap(c, other)) << i;
        cells.push_back(c);
    }
    EXPECT_GT(atlas_pages.size(), 1u) << "200 cells of up to 61 x 61 need more than one 256 x 256 page";
    int live = 0;
    for (const TAtlasPage& pg : atlas_pages) live += pg.live;
    EXPECT_EQ(live, 200);
    atlas_reset(0);
}

TEST(Atlas, TooLargeFramesAndKindsKeepApart) {
    atlas_reset(256);
    int page = -1, x = 0, y = 0;
    EXPECT_FALSE(atlas_fits(63, 10)) << "63 + 2 is more than a quarter of 256";
    EXPECT_FALSE(atlas_place(0, 63, 10, &page, &x, &y));
    EXPECT_TRUE(atlas_fits(62, 62));
    ASSERT_TRUE(atlas_place(0, 10, 10, &page, &x, &y));
    EXPECT_EQ(page, 0);
    ASSERT_TRUE(atlas_place(1, 10, 10, &page, &x, &y));
    EXPECT_EQ(page, 1) << "another kind samples differently: a page of its own";
    ASSERT_TRUE(atlas_place(0, 10, 10, &page, &x, &y));
    EXPECT_EQ(page, 0);
    EXPECT_EQ(x, 12) << "beside the first cell, border included";
    atlas_reset(0);
    EXPECT_FALSE(atlas_fits(1, 1)) << "no atlas on a display that has none";
}

// Pieces of a jigsaw differ in height by their tabs: a taller piece opens
// a shelf of its own, and the shorter pieces after it still fill the lower
// shelves opened before, so a page fills instead of stranding shelves.
TEST(Atlas, ACellTakesTheLowestShelfItFitsUnder) {
    atlas_reset(256);
    int page = 0, x = 0, y = 0;
    ASSERT_TRUE(atlas_place(0, 10, 20, &page, &x, &y));  // shelf of 22 at the top
    ASSERT_TRUE(atlas_place(0, 10, 30, &page, &x, &y));  // too tall for it: a shelf of 32 below
    EXPECT_EQ(y, 22);
    ASSERT_TRUE(atlas_place(0, 10, 18, &page, &x, &y));
    EXPECT_EQ(y, 0) << "a short cell goes back to the low shelf";
    EXPECT_EQ(x, 12);
    ASSERT_TRUE(atlas_place(0, 10, 25, &page, &x, &y));
    EXPECT_EQ(y, 22) << "a cell the low shelf cannot take goes onto the high one";
    EXPECT_EQ(x, 12);
    // A full shelf sends an equal cell on: 256 holds 21 cells of 12 wide.
    for (int i = 0; i < 19; i++) ASSERT_TRUE(atlas_place(0, 10, 20, &page, &x, &y));
    EXPECT_EQ(y, 0);
    EXPECT_EQ(x, 240);
    ASSERT_TRUE(atlas_place(0, 10, 20, &page, &x, &y));
    EXPECT_EQ(y, 22) << "the low shelf is full; the higher shelf still has room";
    EXPECT_EQ(atlas_pages.size(), 1u);
    atlas_reset(0);
}

TEST(Atlas, APageGoesWithItsLastCell) {
    atlas_reset(256);
    int page = 0, x = 0, y = 0;
    ASSERT_TRUE(atlas_place(0, 10, 10, &page, &x, &y));
    ASSERT_TRUE(atlas_place(0, 10, 10, &page, &x, &y));
    atlas_pages[0].texture = 5;
    EXPECT_EQ(atlas_release({5, {0, 0, 12, 12}}), 0u) << "one cell still uses the page";
    EXPECT_EQ(atlas_release({5, {12, 0, 12, 12}}), 5u);
    EXPECT_TRUE(atlas_pages.empty());
    EXPECT_EQ(atlas_release({5, {0, 0, 12, 12}}), 0u) << "an unknown page is nothing to delete";
    ASSERT_TRUE(atlas_place(0, 10, 10, &page, &x, &y));
    EXPECT_EQ(x, 0) << "a new page starts at its corner";
    atlas_reset(0);
}

TEST(Atlas, FramesComingAndGoingBesideALastingOneReuseTheirRoom) {
    atlas_reset(256);
    int page = 0, x = 0, y = 0;
    ASSERT_TRUE(atlas_place(0, 8, 8, &page, &x, &y));  // lasts, like a glyph
    atlas_pages[0].texture = 3;
    for (int round = 0; round < 100; round++) {
        std::vector<TAtlasCell> cells;
        for (int i = 0; i < 20; i++) {
            int w = 20 + (round + i) % 7;  // sizes vary a little from round to round
            ASSERT_TRUE(atlas_place(0, w, 30, &page, &x, &y));
            ASSERT_LT(static_cast<size_t>(page), atlas_pages.size());
            if (atlas_pages[static_cast<size_t>(page)].texture == 0)
                atlas_pages[static_cast<size_t>(page)].texture = 10 + page;
            cells.push_back({atlas_pages[static_cast<size_t>(page)].texture, {x, y, w + 2, 32}});
        }
        for (const TAtlasCell& c : cells) atlas_release(c);
    }
    EXPECT_EQ(atlas_pages.size(), 1u) << "the first page never fills with dead room";
    atlas_reset(0);
}

TEST(Atlas, ACellIsFoundAgainFromItsTextureCoordinates) {
    atlas_reset(512);
    TAtlasRect r = atlas_cell_rect(101 / 512.0f, 7 / 512.0f, (101 + 45) / 512.0f, (7 + 33) / 512.0f);
    EXPECT_EQ(r.x, 100);
    EXPECT_EQ(r.y, 6);
    EXPECT_EQ(r.w, 47);
    EXPECT_EQ(r.h, 35);
    atlas_reset(0);
}

TEST(Atlas, TheCellBorderRepeatsTheFrameEdges) {
    TPixmap* frame = create_pixmap(3, 2, PF_RGBA8888);
    for (int y = 0; y < 2; y++)
        for (int x = 0; x < 3; x++) write_pixel(frame, x, y, 0x80000000u | static_cast<uint32_t>(y * 16 + x));
    TPixmap* cell = atlas_cell_pixmap(frame);
    ASSERT_NE(cell, nullptr);
    ASSERT_EQ(cell->width, 5);
    ASSERT_EQ(cell->height, 4);
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 5; x++) {
            int fx = std::min(std::max(x - 1, 0), 2), fy = std::min(std::max(y - 1, 0), 1);
            EXPECT_EQ(read_pixel(cell, x, y), read_pixel(frame, fx, fy)) << x << "," << y;
        }
    free_pixmap(cell);
    TPixmap* grey = convert_pixmap(frame, PF_GREY8);
    TPixmap* grey_cell = atlas_cell_pixmap(grey);
    ASSERT_NE(grey_cell, nullptr);
    EXPECT_EQ(grey_cell->format, PF_RGBA8888);
    EXPECT_EQ(read_pixel(grey_cell, 0, 0), read_pixel(grey, 0, 0));
    free_pixmap(grey_cell);
    free_pixmap(grey);
    free_pixmap(frame);
    EXPECT_EQ(atlas_cell_pixmap(nullptr), nullptr);
}

TEST(Atlas, FreeingAnAtlasFrameReleasesItsCell) {
    TImage* image = create_image(4, 4, 1, 0);
    ASSERT_NE(image, nullptr);
    image_frame_set_atlas_cell(image, 0, 11, 0.25f, 0.5f, 0.75f, 1.0f);
    EXPECT_FALSE(image_frame_needs_texture(image, 0));
    EXPECT_EQ(image->tex_x0[0], 0.25f);
    EXPECT_EQ(image->tex_v[0], 1.0f);
    released_textures.clear();
    released_atlas_cells.clear();
    free_image(image);
    EXPECT_TRUE(released_textures.empty()) << "the page is shared: not for deletion";
    ASSERT_EQ(released_atlas_cells.size(), 1u);
    EXPECT_EQ(released_atlas_cells[0].texture, 11u);
    released_atlas_cells.clear();

    TImage* own = create_image(4, 4, 1, 0);
    image_frame_set_atlas_cell(own, 0, 12, 0, 0, 1, 1);
    image_frame_set_texture(own, 0, 13, 1, 1);
    free_image(own);
    EXPECT_TRUE(released_atlas_cells.empty()) << "a frame that got a texture of its own left the atlas";
    ASSERT_EQ(released_textures.size(), 1u);
    EXPECT_EQ(released_textures[0], 13u);
    released_textures.clear();
}

}  // namespace
