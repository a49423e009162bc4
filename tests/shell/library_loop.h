// The loop fixture in a temporary working folder with a small library,
// for tests whose keys reach the browsers and the flows.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/shell/loop_fixture.h"

// The loop in a temporary working folder with a small library (the
// reserved jigsaw, "alpha" and "beta", one piece each) and one saved game
// ("alpha"), so that the browsers and the flows reached by the keys work
// on real folders and no listing fails.
struct LibraryLoop : LoopFixture {
    std::string old_cwd;
    std::string root;

    void SetUp() override {
        LoopFixture::SetUp();
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        old_cwd = cwd;
        std::string pattern = (std::filesystem::temp_directory_path() / "tessellon-loop-XXXXXX").string();
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back(0);
        ASSERT_NE(mkdtemp(buf.data()), nullptr);
        root = buf.data();
        ASSERT_EQ(chdir(root.c_str()), 0);
        std::filesystem::create_directories("players/default");
        for (const char* name : {"0000bexil", "alpha", "beta"}) make_jigsaw(name);
        ASSERT_TRUE(write_png("players/default/alpha.png", 264, 198));
        player_dir = "players/default/";
        jigsaw_page = saved_page = 0;
        list_clear(jigsaw_list);
        list_clear(saved_list);
    }
    void TearDown() override {
        for (TList<tn3_type>* list : {jigsaw_list, saved_list}) {
            for (tn3_type& entry : *list)
                if (entry.img) free_image(entry.img);
            list_clear(list);
        }
        jigsaw_page = saved_page = 0;
        player_dir.clear();
        if (chdir(old_cwd.c_str()) != 0) ADD_FAILURE() << "could not go back";
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
        LoopFixture::TearDown();
    }
    static bool write_png(const std::string& path, int w, int h) {
        TPixmap* px = create_pixmap(w, h, PF_RGBA8888);
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) write_pixel(px, x, y, 0xFF3060A0);
        bool ok = save_pixmap_png(px, path, 5);
        free_pixmap(px);
        return ok;
    }
    static void make_jigsaw(const std::string& name) {
        std::string dir = "jigsaws/" + name;
        std::filesystem::create_directories(dir);
        std::ofstream(dir + "/pieces.txt", std::ios::binary) << "1\r\n1\r\n0\r\n0\r\n400\r\n300\r\n";
        ASSERT_TRUE(write_png(dir + "/1.png", 40, 40));
        ASSERT_TRUE(write_png(dir + "/tn.png", 80, 60));
    }
};
