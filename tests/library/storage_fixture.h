// A fixture for the storage tests: a temporary working folder holding a
// jigsaws/ library and players/default/, small jigsaw folders written
// into it (piece PNGs through save_pixmap_png, pieces.txt in CR LF) and
// an 800x600 null display. Failures are read from the quiet cores
// (read_jigsaw and the like), since a "press any key" would wait forever.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "library/library.h"
#include "media/media_internal.h"
#include "media/null/null_backend.h"
#include "play/play.h"
#include "shell/shell.h"
#include "tests/support/files.h"
#include "tests/support/images.h"
#include "tests/support/jigsaw_files.h"
#include "tests/support/temp_folder.h"

struct StorageFixture : ::testing::Test {
    static constexpr int SIDE = 30;  // piece images are SIDE x SIDE
    support::TempFolder temp{"tessellon-storage"};
    std::string root;  // temp.path, the working folder

    void SetUp() override {
        root = temp.path;
        ASSERT_TRUE(temp.enter());
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
        if (!white_image) white_image = support::solid_image(2, 2, 0xFFFFFFFF);
        while (events_waiting() > 0) wait_event();
    }

    void TearDown() override {
        file_faults = TFileFaults();
        if (!temp.leave()) ADD_FAILURE() << "could not go back";
    }

    static void write_text(const std::string& path, const std::string& text) { support::write_text(path, text); }
    static std::string read_text(const std::string& path) { return support::read_text(path); }
    static bool write_png(const std::string& path, int w, int h, uint32_t argb) {
        return support::write_solid_png(path, w, h, argb);
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

    static std::string crlf(const std::vector<std::string>& lines) { return support::crlf_lines(lines); }

    // A jigsaw folder jigsaws/<name> with the given pieces file text, piece
    // images 1..count (all but `missing`) and, when with_picture, tn.png.
    static void make_jigsaw(const std::string& name, const std::string& pieces_text, int count, int missing = 0,
                            bool with_picture = true) {
        support::JigsawFiles jigsaw;
        jigsaw.side = SIDE;
        jigsaw.images = count;
        jigsaw.missing = missing;
        jigsaw.picture_width = with_picture ? 300 : 0;
        jigsaw.picture_height = 225;
        ASSERT_TRUE(support::write_jigsaw("jigsaws/" + name, jigsaw, pieces_text));
    }

    static void make_grid_jigsaw(const std::string& name, int r, int c) {
        make_jigsaw(name, crlf(pieces_lines(r, c)), r * c);
    }

    // Arms one key for a "press any key" message, so that a step that
    // fails reports and returns instead of waiting for ever.
    static void arm_message_answer() {
        TEvent key;
        key.id = EVENT_KEY_DOWN;
        key.data = ' ';
        null_push_event_for_wait(key);
    }
    // Whether a message took the armed key; takes it back when none did.
    static bool message_was_shown() {
        bool shown = events_waiting() > 0;
        while (events_waiting() > 0) wait_event();
        if (!shown) wait_event();
        return shown;
    }

    // The names in a folder, sorted, without "." and "..": a failed save
    // must leave no temporary file behind.
    static std::vector<std::string> entries_of(const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
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
