// A fixture for the play tests: a grid jigsaw of solid square pieces built
// straight into the tables (no files), the pixel probe under the mouse,
// and a fake sound device whose mixed output counts the join clicks.
#pragma once

#include <gtest/gtest.h>

#include "media/null/null_backend.h"
#include "play/play.h"
#include "shell/shell.h"
#include "tests/support/images.h"

struct PlayFixture : ::testing::Test {
    static constexpr int SIDE = 40;                   // piece images are SIDE x SIDE
    static constexpr int HOME_X = 100, HOME_Y = 100;  // home of piece 1
    static constexpr int16_t CLICK_LEVEL = 100;       // sample value of the fake click

    void SetUp() override {
        create_puzzle_tables();
        reset_play_state();
        forget_interaction();
        group_counter = 0;
        completion_seen = 1;
        tidy_state = tidy_type();
        if (picture) free_image(picture);
        picture = nullptr;
        mouse_x = mouse_y = 0;
        pref_sound = 0;
        help_prompt_active = 0;
        if (!white_image) white_image = support::solid_image(2, 2, 0xFFFFFFFF);
    }

    void TearDown() override { pref_sound = 0; }

    // A rows x cols jigsaw of opaque squares, homes SIDE apart from
    // (HOME_X, HOME_Y), every piece loose, upright, shown and at home.
    static void make_grid(int r, int c) {
        rows = r;
        columns = c;
        piece_count = r * c;
        int i = 1;
        for (int row = 1; row <= r; row++) {
            for (int col = 1; col <= c; col++, i++) {
                piece_type& p = pieces[i];
                if (p.img) free_image(p.img);  // a second grid in the same test
                p.img = support::solid_image(SIDE, SIDE, 0xFF808080);
                centre_image_handle(p.img);
                p.wd = p.ht = SIDE;
                p.x0 = p.x = HOME_X + (col - 1) * SIDE;
                p.y0 = p.y = HOME_Y + (row - 1) * SIDE;
                p.n = row > 1 ? i - c : 0;
                p.s = row < r ? i + c : 0;
                p.w = col > 1 ? i - 1 : 0;
                p.e = col < c ? i + 1 : 0;
                p.edge = (row == 1 || row == r || col == 1 || col == c) ? 1 : 0;
                p.visible = 1;
                draw_order[i] = i;
            }
        }
    }

    // Puts the pieces into group g, laid out rigidly around `around`.
    static void group(std::initializer_list<int> members, int g, int around) {
        for (int m : members) pieces[m].gp = g;
        if (g > group_counter) group_counter = g;
        place_group(around);
    }

    // The sampled position and the live pointer (the rectangle hit tests
    // read the live one).
    static void mouse_at(int x, int y) {
        mouse_x = x;
        mouse_y = y;
        TEvent move;
        move.id = EVENT_MOUSE_MOVE;
        move.x = x;
        move.y = y;
        emit_event(move);
        while (events_waiting() > 0) wait_event();
    }

    // Picks p up by its centre (as a click there would) and moves it so
    // that its centre lies at (x, y), its group following.
    static void carry(int p, int x, int y) {
        mouse_at(pieces[p].x, pieces[p].y);
        click_pending = 1;
        pick_up_piece();
        ASSERT_EQ(held_piece, p);
        pieces[p].x = x;
        pieces[p].y = y;
        place_group(p);
    }

    static void drop() {
        drop_held_piece();
        held_piece = 0;
    }

    // Switches the click cue to a one-frame sample on a fake device.
    void listen_for_clicks() {
        null_set_audio_device(true);
        static TSound sound;
        static int16_t frame[2] = {CLICK_LEVEL, CLICK_LEVEL};
        sound.sample.samples = frame;
        sound.sample.length = 1;
        sound.sample.hertz = 44100;
        sound.sample.format = 2;
        click_sound = &sound;
        pref_sound = 1;
        clicks_heard();  // anything still sounding is drained
    }

    // Clicks started since the last call: each adds CLICK_LEVEL to the
    // single mixed frame.
    static int clicks_heard() {
        int16_t out[2] = {0, 0};
        mix_audio(out, 1);
        return out[0] / CLICK_LEVEL;
    }
};
