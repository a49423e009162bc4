// The starter library in the game folder: the reserved jigsaws are there,
// every jigsaw loads through the game's loaders, sizes stay within what the
// game holds, and each one's pieces interlock.
#include <gtest/gtest.h>

#include <set>

#include "media/system/system.h"
#include "tests/resources/jigsaw_files.h"

namespace {

std::vector<std::string> library_folders() {
    std::vector<std::string> names;
    void* dir = open_dir(std::string(TEST_GAME_DIR) + "/jigsaws");
    if (!dir) return names;
    for (std::string name = next_dir_entry(dir); !name.empty(); name = next_dir_entry(dir))
        if (name != "." && name != ".." && path_kind(std::string(TEST_GAME_DIR) + "/jigsaws/" + name) == 2)
            names.push_back(name);
    close_dir(dir);
    return names;
}

TEST(StarterLibrary, HoldsTheReservedJigsawsAndAtLeastTenMore) {
    std::vector<std::string> names = library_folders();
    std::set<std::string> set(names.begin(), names.end());
    EXPECT_TRUE(set.count("0000bexil"));
    EXPECT_TRUE(set.count("4975red_mixer"));
    EXPECT_GE(names.size(), 12u);
}

TEST(StarterLibrary, EveryJigsawLoadsAndItsPiecesCoverThePictureOnce) {
    for (const std::string& name : library_folders()) {
        SCOPED_TRACE(name);
        std::string folder = std::string(TEST_GAME_DIR) + "/jigsaws/" + name;
        LoadedJigsaw j;
        ASSERT_TRUE(load_jigsaw_folder(folder, &j));
        int n = j.rows * j.columns;
        EXPECT_GE(n, 12);
        EXPECT_LE(n, 300);
        if (name == "0000bexil") {
            EXPECT_GE(n, 24);
            EXPECT_LE(n, 48);
        }
        ASSERT_EQ(static_cast<int>(j.pieces.size()), n);
        EXPECT_TRUE(j.lines == 4 + 2 * n || j.lines == 7 + 2 * n);
        for (int i = 0; i < n; i++) {
            ASSERT_NE(j.pieces[i], nullptr) << "piece " << i + 1;
            TImage* image = load_image(folder + "/" + std::to_string(i + 1) + ".png", -1);
            ASSERT_NE(image, nullptr) << "piece " << i + 1;
            free_image(image);
        }
        // The picture fills the board in one direction and is centred.
        std::vector<int> sums = alpha_sums(j);
        int left, top, right, bottom;
        covered_bounds(sums, &left, &top, &right, &bottom);
        EXPECT_TRUE((left == 0 && right == 800) || (top == 0 && bottom == 600));
        EXPECT_LE(std::abs(left - (800 - right)), 1);
        EXPECT_LE(std::abs(top - (600 - bottom)), 1);
        int bad = 0;
        for (int y = top; y < bottom; y++)
            for (int x = left; x < right; x++)
                if (std::abs(sums[y * 800 + x] - 255) > 4) bad++;
        EXPECT_EQ(bad, 0) << "pixels not covered exactly once";
        TImage* tn = load_image(folder + "/tn.png", 0);
        ASSERT_NE(tn, nullptr);
        EXPECT_EQ(image_width(tn), 264);
        EXPECT_EQ(image_height(tn), 198);
        free_image(tn);
        free_jigsaw(&j);
    }
}

}  // namespace
