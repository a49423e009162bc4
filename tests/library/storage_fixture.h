// A fixture for the storage tests: a temporary working folder holding a
// jigsaws/ library and players/default/, small jigsaw folders written
// into it (piece PNGs through save_pixmap_png, pieces.txt in CR LF) and
// an 800x600 null display. Failures are read from the quiet cores
// (read_jigsaw and the like), since a "press any key" would wait forever.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "library/library.h"
#include "media/null/null_backend.h"
#include "play/play.h"
#include "shell/shell.h"

struct StorageFixture : ::testing::Test {
    static constexpr int SIDE = 30;  // piece images are SIDE x SIDE
    std::string old_cwd;
    std::string root;

    void SetUp() override {
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        old_cwd = cwd;
        std::string pattern = (std::filesystem::temp_directory_path() / "tessellon-storage-XXXXXX").string();
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back(0);
        ASSERT_NE(mkdtemp(buf.data()), nullptr);
        root = buf.data();
        ASSERT_EQ(chdir(root.c_str()), 0);
        std::filesystem::create_directories("players/default");
        std::filesystem::create_directories("jigsaws");
        player_dir = "players/default/";
        ASSERT_NE(open_screen(800, 600, 0, 60, 0), nullptr);
        large_display = 0;
        windowed = 1;
        pref_custom_colour = 0;
        pref_save_message = 1;
        pref_sound = 0;
        pref_help_prompt = 0;
        bg_red = bg_green = bg_blue = 1;
        status_message = "";
        jigsaw_name = "";
        jigsaw_dir = "";
        install_shell_hooks();
        create_puzzle_tables();
        forget_interaction();
        if (!white_image) {
            white_image = create_image(2, 2, 1, 0);
            TPixmap* px = lock_image(white_image, 0, true, true);
            for (int y = 0; y < 2; y++)
                for (int x = 0; x < 2; x++) write_pixel(px, x, y, 0xFFFFFFFF);
        }
        while (events_waiting() > 0) wait_event();
    }

    void TearDown() override {
        if (chdir(old_cwd.c_str()) != 0) ADD_FAILURE() << "could not go back";
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }

    static void write_text(const std::string& path, const std::string& text) {
        std::ofstream out(path, std::ios::binary);
        out << text;
    }

    static std::string read_text(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    static bool write_png(const std::string& path, int w, int h, uint32_t argb) {
        TPixmap* px = create_pixmap(w, h, PF_RGBA8888);
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) write_pixel(px, x, y, argb);
        bool ok = save_pixmap_png(px, path, 5);
        free_pixmap(px);
        return ok;
    }

    // Lines of a pieces file: the grid, two uninterpreted lines, the homes.
    static std::vector<std::string> pieces_lines(int r, int c) {
        std::vector<std::string> lines = {std::to_string(r), std::to_string(c), "7", "8"};
        for (int i = 1; i <= r * c; i++) {
            lines.push_back(std::to_string(100 + ((i - 1) % c) * SIDE));
            lines.push_back(std::to_string(100 + ((i - 1) / c) * SIDE));
        }
        return lines;
    }

    static std::string crlf(const std::vector<std::string>& lines) {
        std::string text;
        for (const std::string& l : lines) text += l + "\r\n";
        return text;
    }

    // A jigsaw folder jigsaws/<name> with the given pieces file text, piece
    // images 1..count (all but `missing`) and, when with_picture, tn.png.
    static void make_jigsaw(const std::string& name, const std::string& pieces_text, int count,
                            int missing = 0, bool with_picture = true) {
        std::string dir = "jigsaws/" + name;
        std::filesystem::create_directories(dir);
        write_text(dir + "/pieces.txt", pieces_text);
        for (int i = 1; i <= count; i++) {
            if (i != missing) {
                ASSERT_TRUE(write_png(dir + "/" + std::to_string(i) + ".png", SIDE, SIDE, 0xFF4080C0));
            }
        }
        if (with_picture) {
            ASSERT_TRUE(write_png(dir + "/tn.png", 300, 225, 0xFF20A040));
        }
    }

    static void make_grid_jigsaw(const std::string& name, int r, int c) {
        make_jigsaw(name, crlf(pieces_lines(r, c)), r * c);
    }

    static int mode_of(const std::string& path) {
        struct stat st;
        if (stat(path.c_str(), &st) != 0) return -1;
        return st.st_mode & 0777;
    }

    static std::vector<std::string> split_crlf(const std::string& text, bool* all_crlf) {
        std::vector<std::string> lines;
        *all_crlf = true;
        size_t start = 0;
        while (start < text.size()) {
            size_t lf = text.find('\n', start);
            if (lf == std::string::npos) {
                *all_crlf = false;
                lines.push_back(text.substr(start));
                break;
            }
            if (lf == start || text[lf - 1] != '\r') *all_crlf = false;
            size_t end = (lf > start && text[lf - 1] == '\r') ? lf - 1 : lf;
            lines.push_back(text.substr(start, end - start));
            start = lf + 1;
        }
        return lines;
    }
};
