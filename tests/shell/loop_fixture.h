// A fixture for tests that drive the main loop on the null backend: an
// 800x600 window, the game's fonts, the loop's globals back at their
// start values (on the board), and small helpers that queue keys and
// clicks and run iterations.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "library/library.h"
#include "play/play.h"
#include "screens/screens.h"
#include "shell/shell.h"
#include "tests/support/images.h"

struct LoopFixture : ::testing::Test {
    std::vector<TImage*> made_images;  // freed after each test
    void SetUp() override {
        if (!open_screen(800, 600, 0, 60, 0)) FAIL() << "the null display did not open";
        large_display = 0;
        windowed = 1;
        if (!font_large) font_large = load_font(TEST_GAME_DIR "/fonts/Tahoma.ttf", 22, 4);
        if (!font_small) font_small = load_font(TEST_GAME_DIR "/fonts/Tahoma.ttf", 14, 4);
        ASSERT_NE(font_large, nullptr);
        app_title = "Tessellon v3.3";
        while (events_waiting() > 0) wait_event();

        install_shell_hooks();
        reset_play_state();
        forget_interaction();
        screen_state = SCREEN_JIGSAW;
        previous_screen = "";
        status_message = "";
        help_prompt_active = 0;
        pointer_visible = 1;
        click_x = -1;
        click_y = 0;
        ctrl_down = 0;
        intro_pending = 0;
        key7_count = 0;
        pref_click_help = 0;
        pref_sound = 0;
        pref_help_prompt = 0;

        piece_count = 0;
        completion_seen = 1;
        picture = nullptr;
        tidy_state = tidy_type();
        jigsaw_name = "";
        exit_image = do_new_image = quick_pick_image = reload_image = nullptr;
        help_images[0] = nullptr;
        pointer_image = nullptr;
    }

    // Frees the images a test made and forgets every global that held one.
    void TearDown() override {
        exit_image = do_new_image = quick_pick_image = reload_image = nullptr;
        help_images[0] = nullptr;
        pointer_image = nullptr;
        // What the game itself loaded (piece images, the picture) is freed
        // here; what the test made is freed once, below.
        auto made = [this](TImage* image) {
            return std::find(made_images.begin(), made_images.end(), image) != made_images.end();
        };
        if (picture && !made(picture)) free_image(picture);
        picture = nullptr;
        for (int i = 1; i <= MAX_PIECES; i++) {
            if (pieces[i].img && !made(pieces[i].img)) free_image(pieces[i].img);
            pieces[i].img = nullptr;
        }
        for (TImage* image : made_images) free_image(image);
        made_images.clear();
    }

    static void queue(int id, int data, int x = 0, int y = 0) {
        TEvent e;
        e.id = id;
        e.data = data;
        e.x = x;
        e.y = y;
        emit_event(e);
    }
    // Moves the pointer; takes effect at once for the live position.
    static void move_to(int x, int y) { queue(EVENT_MOUSE_MOVE, 0, x, y); }
    // Queues a key press and runs the iteration that handles it.
    static void press(int key) {
        queue(EVENT_KEY_DOWN, key);
        main_loop_iteration();
        queue(EVENT_KEY_UP, key);
        main_loop_iteration();
    }
    // Queues a click at (x, y) and runs the iteration that handles it.
    static void click(int x, int y, int button = 1) {
        move_to(x, y);
        main_loop_iteration();
        queue(EVENT_MOUSE_DOWN, button, x, y);
        main_loop_iteration();
    }
    static void run(int iterations) {
        for (int i = 0; i < iterations; i++) main_loop_iteration();
    }
    // A plain image of that size and colour (opaque), as a stand-in for a
    // confirmation box or a help page.
    TImage* solid_image(int w, int h, uint32_t argb) {
        made_images.push_back(support::solid_image(w, h, argb));
        return made_images.back();
    }
};
