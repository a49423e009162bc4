// The loop fixture with the real game folder's images (the help pages,
// the preferences page and its buttons) and a temporary player folder, for
// the help and preferences screens' tests. Also small pixel helpers.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "media/null/null_backend.h"
#include "tests/shell/loop_fixture.h"

struct ScreensFixture : LoopFixture {
    std::string player_root;  // temporary working and player folder, removed afterwards
    std::string old_cwd;

    void SetUp() override {
        LoopFixture::SetUp();
        base_dir = TEST_GAME_DIR "/";
        std::string pattern = (std::filesystem::temp_directory_path() / "tessellon-screens-XXXXXX").string();
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back(0);
        ASSERT_NE(mkdtemp(buf.data()), nullptr);
        player_root = buf.data();
        player_dir = player_root + "/";
        // An empty library beside it, so that the browsers under the help
        // pages list a real folder.
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        old_cwd = cwd;
        std::filesystem::create_directory(player_root + "/jigsaws");
        ASSERT_EQ(chdir(player_root.c_str()), 0);
        bg_red = 10;
        bg_green = 20;
        bg_blue = 30;
    }

    void TearDown() override {
        for (TImage*& page : help_images) {
            if (page) free_image(page);
            page = nullptr;
        }
        base_dir = "";
        player_dir = "";
        if (!old_cwd.empty() && chdir(old_cwd.c_str()) != 0) ADD_FAILURE() << "chdir back";
        std::filesystem::remove_all(player_root);
        LoopFixture::TearDown();
    }

    static uint32_t back_pixel(int x, int y) { return read_pixel(null_back_buffer(), x, y) & 0xFFFFFF; }

    // Pure green, as the help screen frames the line under the mouse.
    static bool green_at(int x, int y) { return back_pixel(x, y) == 0x00FF00; }

    // Fills the back buffer with one colour, to see what a frame drew.
    static void paint_back(uint32_t rgb) {
        TPixmap* back = null_back_buffer();
        for (int y = 0; y < back->height; y++)
            for (int x = 0; x < back->width; x++) write_pixel(back, x, y, 0xFF000000u | rgb);
    }

    static std::string file_bytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
};
