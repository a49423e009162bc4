// The jigsaw maker cuts pictures into folders the game can load, whose
// pieces interlock: laid at their home positions they cover the picture
// exactly once, and grid neighbours meet along a shared edge.
#include <gtest/gtest.h>

#include "media/system/system.h"
#include "tests/resources/jigsaw_files.h"
#include "tests/support/files.h"

namespace {

// Each piece's alpha is exact coverage rounded to a byte, so a pixel on a
// rim shared by up to four pieces may be off by a few units of 255.
const int RIM_TOLERANCE = 4;

struct CutFolder {
    support::TempFolder temp{"tessellon-res"};
    std::string dir = temp.path;
};

std::string cut_command(const std::string& options, const std::string& picture, const std::string& folder) {
    return std::string(TESSELLON_CUT) + " " + options + " " + picture + " " + folder;
}

// Every pixel of the picture's place is covered once; no ink elsewhere.
void expect_single_cover(const LoadedJigsaw& j, int left, int top, int right, int bottom) {
    std::vector<int> sums = alpha_sums(j);
    int gaps = 0, overlaps = 0, stray = 0;
    for (int y = 0; y < 600; y++)
        for (int x = 0; x < 800; x++) {
            int s = sums[y * 800 + x];
            bool inside = x >= left && x < right && y >= top && y < bottom;
            if (inside && s < 255 - RIM_TOLERANCE) gaps++;
            if (s > 255 + RIM_TOLERANCE) overlaps++;
            if (!inside && s > 0) stray++;
        }
    EXPECT_EQ(gaps, 0) << "pixels of the picture no piece covers";
    EXPECT_EQ(overlaps, 0) << "pixels covered by more than one piece beyond the rim";
    EXPECT_EQ(stray, 0) << "piece ink outside the picture's place";
}

TEST(JigsawMaker, PiecesLoadAndCoverTheBoardFillingPictureOnce) {
    CutFolder tmp;
    std::string picture = tmp.dir + "/picture.png", out = tmp.dir + "/jigsaw";
    ASSERT_TRUE(write_test_picture(picture, 1024, 768));
    std::string output;
    ASSERT_EQ(run_command(cut_command("--quiet --rows 6 --columns 8 --seed 9", picture, out), &output), 0) << output;
    LoadedJigsaw j;
    ASSERT_TRUE(load_jigsaw_folder(out, &j));
    EXPECT_EQ(j.rows, 6);
    EXPECT_EQ(j.columns, 8);
    EXPECT_EQ(j.lines, 4 + 2 * 48) << "no colour lines unless asked for";
    ASSERT_EQ(j.pieces.size(), 48u);
    for (size_t i = 0; i < j.pieces.size(); i++) {
        ASSERT_NE(j.pieces[i], nullptr) << "piece " << i + 1 << " does not load";
        // Even sizes put a centre-handled image on whole pixels.
        EXPECT_EQ(j.pieces[i]->width % 2, 0);
        EXPECT_EQ(j.pieces[i]->height % 2, 0);
        // Transparent outside the outline: the image's corners are clear.
        EXPECT_EQ(read_pixel(j.pieces[i], 0, 0) >> 24, 0u);
    }
    expect_single_cover(j, 0, 0, 800, 600);
    TPixmap* tn = load_pixmap(out + "/tn.png");
    ASSERT_NE(tn, nullptr);
    EXPECT_EQ(tn->width, 264);
    EXPECT_EQ(tn->height, 198);
    free_pixmap(tn);
    free_jigsaw(&j);
}

TEST(JigsawMaker, WidePictureIsCentredWithHomesToMatch) {
    CutFolder tmp;
    std::string picture = tmp.dir + "/wide.png", out = tmp.dir + "/wide";
    ASSERT_TRUE(write_test_picture(picture, 1000, 500));
    std::string output;
    ASSERT_EQ(run_command(cut_command("--quiet --pieces 50 --background 10,20,30", picture, out), &output), 0)
        << output;
    LoadedJigsaw j;
    ASSERT_TRUE(load_jigsaw_folder(out, &j));
    ASSERT_EQ(static_cast<int>(j.pieces.size()), j.rows * j.columns);
    EXPECT_GE(j.rows * j.columns, 40);
    EXPECT_LE(j.rows * j.columns, 60);
    // 1000 x 500 scales to 800 x 400, centred: rows 100..499.
    expect_single_cover(j, 0, 100, 800, 500);
    ASSERT_EQ(j.colour.size(), 3u);
    EXPECT_EQ(j.colour[0], 10);
    EXPECT_EQ(j.colour[1], 20);
    EXPECT_EQ(j.colour[2], 30);
    free_jigsaw(&j);
}

TEST(JigsawMaker, NeighboursShareTheirEdgeAndOthersOnlyTouchAtCorners) {
    CutFolder tmp;
    std::string picture = tmp.dir + "/picture.png", out = tmp.dir + "/jigsaw";
    ASSERT_TRUE(write_test_picture(picture, 800, 600));
    std::string output;
    ASSERT_EQ(run_command(cut_command("--quiet --rows 4 --columns 5 --seed 3", picture, out), &output), 0) << output;
    LoadedJigsaw j;
    ASSERT_TRUE(load_jigsaw_folder(out, &j));
    ASSERT_EQ(j.pieces.size(), 20u);
    auto id = [&](int r, int c) { return (r - 1) * 5 + c; };
    for (int r = 1; r <= 4; r++)
        for (int c = 1; c <= 5; c++) {
            // A shared rim at least as long as the cell side (120 x 150 here).
            if (c < 5) {
                EXPECT_GT(shared_pixels(j, id(r, c), id(r, c + 1)), 100)
                    << "piece " << id(r, c) << " and its east neighbour";
            }
            if (r < 4) {
                EXPECT_GT(shared_pixels(j, id(r, c), id(r + 1, c)), 100)
                    << "piece " << id(r, c) << " and its south neighbour";
            }
            // Diagonal neighbours meet in a point; pieces two apart never touch.
            if (r < 4 && c < 5) {
                EXPECT_LE(shared_pixels(j, id(r, c), id(r + 1, c + 1)), 6);
            }
            if (c < 4) {
                EXPECT_EQ(shared_pixels(j, id(r, c), id(r, c + 2)), 0);
            }
        }
    free_jigsaw(&j);
}

TEST(JigsawMaker, SameSeedCutsTheSameBytesAndAnotherSeedOtherShapes) {
    CutFolder tmp;
    std::string picture = tmp.dir + "/picture.png";
    ASSERT_TRUE(write_test_picture(picture, 640, 480));
    std::string output;
    for (const char* name : {"a", "b", "c"}) {
        std::string seed = std::string(name) == "c" ? "8" : "7";
        ASSERT_EQ(
            run_command(cut_command("--quiet --pieces 30 --seed " + seed, picture, tmp.dir + "/" + name), &output), 0)
            << output;
    }
    auto bytes = support::read_text;
    int differing = 0;
    for (int i = 1; i <= 30; i++) {
        std::string piece = "/" + std::to_string(i) + ".png";
        std::string a = bytes(tmp.dir + "/a" + piece);
        ASSERT_FALSE(a.empty());
        EXPECT_EQ(a, bytes(tmp.dir + "/b" + piece)) << "piece " << i;
        if (a != bytes(tmp.dir + "/c" + piece)) differing++;
    }
    EXPECT_EQ(bytes(tmp.dir + "/a/pieces.txt"), bytes(tmp.dir + "/b/pieces.txt"));
    EXPECT_GT(differing, 20) << "a new seed should give new shapes";
}

TEST(JigsawMaker, RefusesWhatTheGameCouldNotPlayWithAClearMessage) {
    CutFolder tmp;
    std::string text = tmp.dir + "/notes.txt", small = tmp.dir + "/small.png", big = tmp.dir + "/big.png";
    ASSERT_TRUE(support::write_text(text, "not a picture\n"));
    ASSERT_TRUE(write_test_picture(small, 60, 45));
    ASSERT_TRUE(write_test_picture(big, 800, 600));
    std::string output;
    EXPECT_NE(run_command(cut_command("", text, tmp.dir + "/x"), &output), 0);
    EXPECT_NE(output.find("cannot read the picture"), std::string::npos) << output;
    EXPECT_NE(run_command(cut_command("", tmp.dir + "/missing.png", tmp.dir + "/x"), &output), 0);
    EXPECT_NE(output.find("cannot read the picture"), std::string::npos) << output;
    EXPECT_NE(run_command(cut_command("--pieces 301", big, tmp.dir + "/x"), &output), 0);
    EXPECT_NE(output.find("at most 300"), std::string::npos) << output;
    EXPECT_NE(run_command(cut_command("--rows 20 --columns 16", big, tmp.dir + "/x"), &output), 0);
    EXPECT_NE(output.find("at most 300"), std::string::npos) << output;
    EXPECT_NE(run_command(cut_command("--pieces 300", small, tmp.dir + "/x"), &output), 0);
    EXPECT_NE(output.find("too small"), std::string::npos) << output;
    EXPECT_EQ(path_kind(tmp.dir + "/x"), 0) << "a refused cut leaves no folder behind";
    EXPECT_EQ(run_command(std::string(TESSELLON_CUT) + " --help", &output), 0);
    EXPECT_NE(output.find("Usage: tessellon-cut"), std::string::npos);
    // The largest jigsaw the game holds is accepted.
    EXPECT_EQ(run_command(cut_command("--quiet --rows 15 --columns 20", big, tmp.dir + "/max"), &output), 0) << output;
}

}  // namespace
