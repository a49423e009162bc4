// The tools' drawing kit and the cutter's planning: coverage is exact
// area (so neighbouring pieces add up to solid pixels), files written by
// the kit read back through the game's loaders, and the grid chooser keeps
// within the game's 300 pieces.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "media/draw/draw.h"
#include "tests/resources/jigsaw_files.h"
#include "tools/jigsaw_maker/jigsaw_cut.h"

namespace {

double total(const kit::Coverage& c) {
    double s = 0;
    for (float v : c.a) s += v;
    return s;
}

TEST(Coverage, RasterisedAreaIsTheShapesArea) {
    kit::Path rect;
    rect.contours.push_back({{3.3, 2.7}, {13.6, 2.7}, {13.6, 10.3}, {3.3, 10.3}});
    EXPECT_NEAR(total(kit::rasterize(rect, 0, 0, 20, 20)), 10.3 * 7.6, 1e-3);
    kit::Path circle;
    kit::add_circle(circle, 25.5, 24.2, 20);
    EXPECT_NEAR(total(kit::rasterize_bounds(circle, 1)), M_PI * 400, M_PI * 400 * 0.003);
}

TEST(Coverage, TwoShapesSharingAWavyEdgeAddUpToOneEverywhere) {
    // A rectangle cut in two by a wavy line; each half traced clockwise.
    std::vector<kit::Point> wave;
    for (int i = 0; i <= 60; i++) wave.push_back({i * 0.5, 12 + 5 * std::sin(i * 0.37)});
    kit::Path top, bottom;
    top.contours.push_back({{0, 0}, {30, 0}});
    for (auto it = wave.rbegin(); it != wave.rend(); ++it) top.contours[0].push_back(*it);
    bottom.contours.push_back(wave);
    bottom.contours[0].push_back({30, 24});
    bottom.contours[0].push_back({0, 24});
    // Rasterised over different windows, as pieces are, the halves still meet exactly.
    kit::Coverage a = kit::rasterize(top, -2, -1, 40, 30), b = kit::rasterize(bottom, 1, 3, 35, 30);
    double worst = 0;
    for (int y = 0; y < 24; y++)
        for (int x = 1; x < 30; x++)
            worst = std::max(worst, std::fabs(kit::coverage_at(a, x, y) + kit::coverage_at(b, x, y) - 1.0));
    EXPECT_LT(worst, 1e-4);
}

TEST(Coverage, ShapesReachingPastTheWindowStillFillIt) {
    kit::Path wide;
    wide.contours.push_back({{-50, 2}, {80, 2}, {80, 8}, {-50, 8}});
    kit::Coverage c = kit::rasterize(wide, 0, 0, 10, 10);
    for (int x = 0; x < 10; x++) {
        EXPECT_NEAR(kit::coverage_at(c, x, 5), 1.0, 1e-5);
        EXPECT_NEAR(kit::coverage_at(c, x, 0), 0.0, 1e-5);
    }
}

TEST(KitFiles, PngAndBmpReadBackThroughTheGameLoader) {
    support::TempFolder temp("tessellon-res");
    std::string dir = temp.path;
    ASSERT_FALSE(dir.empty());
    kit::Canvas c = kit::make_canvas(7, 5, kit::Color{0, 0, 0, 0});
    kit::blend_pixel(c, 1, 1, kit::rgb(200, 100, 50), 1.0f);
    kit::blend_pixel(c, 6, 4, kit::rgb(10, 250, 30, 0.5f), 1.0f);
    ASSERT_TRUE(kit::save_png(c, dir + "/a.png", true));
    ASSERT_TRUE(kit::save_bmp(c, dir + "/a.bmp"));
    TPixmap* png = load_pixmap(dir + "/a.png");
    TPixmap* bmp = load_pixmap(dir + "/a.bmp");
    ASSERT_NE(png, nullptr);
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(png->width, 7);
    EXPECT_EQ(bmp->height, 5);
    EXPECT_EQ(read_pixel(png, 1, 1), 0xFFC86432u);
    EXPECT_EQ(read_pixel(png, 0, 0) >> 24, 0u);
    EXPECT_EQ(read_pixel(png, 6, 4) >> 24, 128u);
    // BMP has no alpha: colour over black, rows in the right order.
    EXPECT_EQ(read_pixel(bmp, 1, 1), 0xFFC86432u);
    EXPECT_EQ(read_pixel(bmp, 0, 0), 0xFF000000u);
    free_pixmap(png);
    free_pixmap(bmp);
}

TEST(CutPlanning, GridsStayNearTheAskedCountAndWithinTheGame) {
    int r, c;
    cut::choose_grid(300, 4.0 / 3.0, &r, &c);
    EXPECT_EQ(r * c, 300);
    EXPECT_EQ(c, 20);
    cut::choose_grid(12, 4.0 / 3.0, &r, &c);
    EXPECT_EQ(r, 3);
    EXPECT_EQ(c, 4);
    for (double aspect : {0.1, 0.5, 1.0, 2.5, 12.0})
        for (int n : {2, 24, 150, 299, 300}) {
            cut::choose_grid(n, aspect, &r, &c);
            EXPECT_LE(r * c, 300) << n << " at " << aspect;
            EXPECT_GE(r * c, 2);
        }
}

TEST(CutPlanning, LayoutCentresThePictureAndRefusesTooFinePieces) {
    cut::CutOptions options;
    cut::Layout layout;
    options.pieces = 48;
    EXPECT_EQ(cut::plan_layout(400, 400, options, &layout), "");
    EXPECT_EQ(layout.picture_w, 600);
    EXPECT_EQ(layout.picture_h, 600);
    EXPECT_EQ(layout.picture_x, 100);
    EXPECT_EQ(layout.picture_y, 0);
    options.fill = 0.5;
    EXPECT_EQ(cut::plan_layout(1600, 1200, options, &layout), "");
    EXPECT_EQ(layout.picture_w, 400);
    EXPECT_EQ(layout.picture_x, 200);
    // A long strip: 300 pieces would be thinner than the board allows.
    options.fill = 1.0;
    options.rows = 2;
    options.columns = 150;
    EXPECT_NE(cut::plan_layout(8000, 200, options, &layout).find("narrower"), std::string::npos);
}

}  // namespace
