// The preferences screen with its real page and buttons: the staged copy
// taken on entry, rows that toggle staged values (1..5, 8) or the
// preferences themselves (6, 7), OK writing prefer.txt, Cancel and Escape
// dropping the staged edits, consumed clicks, and what the page looks like.
#include "screens/ui_geometry.h"
#include "tests/screens/screens_fixture.h"

namespace {

struct PreferScreen : ScreensFixture {
    TImage* page = nullptr;
    TImage* yes = nullptr;
    TImage* yes_grey = nullptr;
    int left = 0, top = 0;

    void SetUp() override {
        ScreensFixture::SetUp();
        page = load_image(TEST_GAME_DIR "/images/prefer.png", 0);
        yes = load_image(TEST_GAME_DIR "/images/yes.png", 0);
        yes_grey = load_image(TEST_GAME_DIR "/images/yes_grey.png", 0);
        ASSERT_NE(page, nullptr);
        ASSERT_NE(yes, nullptr);
        ASSERT_NE(yes_grey, nullptr);
        made_images.insert(made_images.end(), {page, yes, yes_grey});
        left = (800 - image_width(page)) / 2;
        top = (600 - image_height(page)) / 2;

        prefer_state = -1;
        pref_click_help = 0;
        pref_large_display = 0;
        pref_sound = 1;
        pref_windowed = 1;
        pref_help_prompt = 1;
        pref_save_message = 1;
        pref_custom_colour = 0;
        pref_save_on_leave = 0;
        pref_keep_resolution = 0;
        screen_state = SCREEN_PREFER;
    }

    // A frame with a pending click at (x, y).
    static void click_frame(int x, int y) {
        move_to(x, y);
        click_pending = 1;
        prefer_screen_frame();
    }
    int row_y(int row) const { return top + PREFER_ROW_TOP + PREFER_ROW_PITCH * (row - 1); }
    void click_yes(int row) { click_frame(left + PREFER_YES_X + 10, row_y(row) + 10); }
    void click_no(int row) { click_frame(left + PREFER_YES_X + PREFER_NO_GAP + 10, row_y(row) + 10); }
    // The middle of a rectangle of the page.
    void click_page(const ui_rect& r) { click_frame(left + (r.x1 + r.x2) / 2, top + (r.y1 + r.y2) / 2); }
    void click_ok() { click_page(PREFER_OK); }
    void click_cancel() { click_page(PREFER_CANCEL); }

    std::string prefer_file() const { return player_dir + "prefer.txt"; }

    // The button drawn at (x, y) is that image, pixel for pixel where it
    // is opaque.
    static bool shows(TImage* button, int x, int y) {
        TPixmap* pixels = lock_image(button, 0, true, false);
        for (int j = 0; j < image_height(button); j++) {
            for (int i = 0; i < image_width(button); i++) {
                uint32_t p = read_pixel(pixels, i, j);
                if ((p >> 24) == 255 && back_pixel(x + i, y + j) != (p & 0xFFFFFF)) return false;
            }
        }
        return true;
    }
};

TEST_F(PreferScreen, EntryCopiesThePreferencesIntoTheStagedRows) {
    pref_click_help = 1;
    pref_large_display = 1;
    pref_sound = 0;
    pref_windowed = 0;
    pref_help_prompt = 0;
    prefer_screen_frame();
    EXPECT_EQ(prefer_state, 1);
    EXPECT_EQ(staged_large_display, 1);
    EXPECT_EQ(staged_sound, 0);
    EXPECT_EQ(staged_windowed, 0);
    EXPECT_EQ(staged_help_prompt, 0);
    // Later frames keep the staged values.
    pref_sound = 1;
    prefer_screen_frame();
    EXPECT_EQ(staged_sound, 0);
}

TEST_F(PreferScreen, AnyOnValueFromTheFileIsStagedAsOne) {
    // prefer.txt may say "on" with any non-zero number, -1 included.
    pref_click_help = -1;
    pref_large_display = 7;
    pref_sound = -1;
    pref_windowed = 0;
    pref_help_prompt = -5;
    prefer_screen_frame();
    EXPECT_EQ(prefer_state, 1);
    EXPECT_EQ(staged_large_display, 1);
    EXPECT_EQ(staged_sound, 1);
    EXPECT_EQ(staged_windowed, 0);
    EXPECT_EQ(staged_help_prompt, 1);
    // The screen is being edited: row clicks stay and are not copied over.
    click_no(1);
    click_no(3);
    prefer_screen_frame();
    EXPECT_EQ(prefer_state, 0);
    EXPECT_EQ(staged_sound, 0);
    click_yes(1);
    click_ok();
    EXPECT_EQ(pref_click_help, 1);
    EXPECT_EQ(file_bytes(prefer_file()), "1\r\n1\r\n0\r\n0\r\n1\r\n1\r\n0\r\n0\r\n0\r\n");
}

TEST_F(PreferScreen, RowsOneToFiveChangeOnlyTheStagedValues) {
    prefer_screen_frame();
    click_yes(1);
    click_yes(2);
    click_no(3);
    click_no(4);
    click_no(5);
    EXPECT_EQ(prefer_state, 1);
    EXPECT_EQ(staged_large_display, 1);
    EXPECT_EQ(staged_sound, 0);
    EXPECT_EQ(staged_windowed, 0);
    EXPECT_EQ(staged_help_prompt, 0);
    EXPECT_EQ(pref_click_help, 0);
    EXPECT_EQ(pref_large_display, 0);
    EXPECT_EQ(pref_sound, 1);
    EXPECT_EQ(pref_windowed, 1);
    EXPECT_EQ(pref_help_prompt, 1);
    EXPECT_EQ(screen_state, "prefer");
}

TEST_F(PreferScreen, RowsSixAndSevenActAtOnce) {
    prefer_screen_frame();
    click_no(6);
    EXPECT_EQ(pref_save_message, 0);
    click_yes(7);
    EXPECT_EQ(pref_custom_colour, 1);
    click_no(7);
    EXPECT_EQ(pref_custom_colour, 0);
}

TEST_F(PreferScreen, OkStoresEveryRowInPreferTxt) {
    prefer_screen_frame();
    click_yes(1);
    click_yes(2);  // yes, then no, before OK: 0 is stored
    click_no(2);
    click_no(3);
    click_no(6);
    click_ok();
    EXPECT_EQ(screen_state, "jigsaw");
    EXPECT_EQ(pref_click_help, 1);
    EXPECT_EQ(pref_large_display, 0);
    EXPECT_EQ(pref_sound, 0);
    EXPECT_EQ(file_bytes(prefer_file()), "1\r\n0\r\n0\r\n1\r\n1\r\n0\r\n0\r\n0\r\n0\r\n");
    // The next visit starts from the committed values without copying.
    EXPECT_EQ(prefer_state, 1);
    screen_state = SCREEN_PREFER;
    prefer_screen_frame();
    EXPECT_EQ(staged_sound, 0);
}

TEST_F(PreferScreen, OkWithTheOwnColourAlsoStoresTheBackground) {
    prefer_screen_frame();
    click_yes(7);
    click_ok();
    EXPECT_EQ(file_bytes(prefer_file()), "0\r\n0\r\n1\r\n1\r\n1\r\n1\r\n1\r\n10\r\n20\r\n30\r\n0\r\n0\r\n");
}

TEST_F(PreferScreen, CancelDropsTheStagedRowsButKeepsSixAndSevenInMemory) {
    prefer_screen_frame();
    click_yes(1);
    click_no(3);
    click_no(6);
    click_cancel();
    EXPECT_EQ(screen_state, "jigsaw");
    EXPECT_EQ(prefer_state, -1);
    EXPECT_EQ(pref_click_help, 0);
    EXPECT_EQ(pref_sound, 1);
    EXPECT_EQ(pref_save_message, 0);  // until the program ends
    EXPECT_FALSE(std::filesystem::exists(prefer_file()));
    // The next visit copies the preferences afresh.
    screen_state = SCREEN_PREFER;
    prefer_screen_frame();
    EXPECT_EQ(prefer_state, 0);
    EXPECT_EQ(staged_sound, 1);
}

TEST_F(PreferScreen, EscapeThroughTheLoopDropsTheEdits) {
    run(1);
    click(left + 410, row_y(3) + 10);  // row 3's yes... then no
    click(left + 472, row_y(3) + 10);
    run(1);
    EXPECT_EQ(staged_sound, 0);
    press(27);
    EXPECT_EQ(screen_state, "jigsaw");
    EXPECT_EQ(pending_confirm, "");
    EXPECT_EQ(pref_sound, 1);
    EXPECT_FALSE(std::filesystem::exists(prefer_file()));
    press(73);  // I: back on the preferences screen, copied afresh
    run(1);
    EXPECT_EQ(screen_state, "prefer");
    EXPECT_EQ(staged_sound, 1);
}

TEST_F(PreferScreen, ARowClickAndOkThroughTheLoopWriteTheFile) {
    screen_state = SCREEN_JIGSAW;
    press(73);  // I
    ASSERT_EQ(screen_state, "prefer");
    click(left + 410, row_y(5) + 10);
    click(left + 472, row_y(5) + 10);                    // row 5: no
    click(left + PREFER_OK.x1 + 1, top + PREFER_OK.y2);  // OK's far corner
    run(1);
    EXPECT_EQ(screen_state, "jigsaw");
    EXPECT_EQ(pref_help_prompt, 0);
    EXPECT_EQ(file_bytes(prefer_file()), "0\r\n0\r\n1\r\n1\r\n0\r\n1\r\n0\r\n0\r\n0\r\n");
}

TEST_F(PreferScreen, ClicksBesideTheButtonsAreConsumedAndChangeNothing) {
    prefer_screen_frame();
    const int between_x = left + (PREFER_OK.x2 + PREFER_CANCEL.x1) / 2;
    const int misses[][2] = {
        {left + 458, row_y(1) + 10},           // between yes and no
        {left + 60, row_y(2) + 12},            // on the row's label
        {left + 400 + 57, row_y(4)},           // just right of yes
        {left + 420, row_y(2) - 4},            // between two rows
        {between_x, top + PREFER_OK.y1 + 10},  // between OK and Cancel
    };
    for (const auto& miss : misses) {
        click_frame(miss[0], miss[1]);
        EXPECT_EQ(click_pending, 0);
        EXPECT_EQ(screen_state, "prefer");
        EXPECT_EQ(prefer_state, 0);
        EXPECT_EQ(staged_large_display, 0);
        EXPECT_EQ(staged_sound, 1);
        EXPECT_EQ(staged_windowed, 1);
        EXPECT_EQ(staged_help_prompt, 1);
        EXPECT_EQ(pref_save_message, 1);
        EXPECT_EQ(pref_custom_colour, 0);
        EXPECT_EQ(staged_save_on_leave, 0);
    }
    // A button's far edges still belong to it.
    click_frame(left + 400 + 56, row_y(2) + 34);
    EXPECT_EQ(staged_large_display, 1);
}

TEST_F(PreferScreen, ThePageStandsOnTheBackgroundWithTheChoicesLit) {
    paint_back(0xFFFFFF);
    pref_save_message = 1;
    pref_custom_colour = 0;
    prefer_screen_frame();
    EXPECT_EQ(back_pixel(3, 3), 0x0A141Eu);  // cleared to bg_red, bg_green, bg_blue
    EXPECT_EQ(back_pixel(796, 596), 0x0A141Eu);
    EXPECT_TRUE(shows(yes, left + 400, row_y(6)));
    EXPECT_TRUE(shows(yes_grey, left + 400, row_y(7)));
    EXPECT_FALSE(shows(yes, left + 400, row_y(7)));
}

// --- row 8: save the game when I leave ---

TEST_F(PreferScreen, RowsEightAndNineAreStagedUntilOk) {
    pref_save_on_leave = 1;
    prefer_screen_frame();
    EXPECT_EQ(staged_save_on_leave, 1);  // copied on entry
    click_no(8);
    EXPECT_EQ(staged_save_on_leave, 0);
    EXPECT_EQ(pref_save_on_leave, 1);  // nothing changes before OK
    click_yes(8);
    click_no(8);
    click_ok();
    EXPECT_EQ(pref_save_on_leave, 0);
    EXPECT_EQ(file_bytes(prefer_file()), "0\r\n0\r\n1\r\n1\r\n1\r\n1\r\n0\r\n0\r\n0\r\n");
    screen_state = SCREEN_PREFER;
    prefer_screen_frame();
    click_yes(8);
    click_yes(9);
    EXPECT_EQ(pref_keep_resolution, 0);  // row 9 is staged as well
    click_ok();
    EXPECT_EQ(pref_save_on_leave, 1);
    EXPECT_EQ(pref_keep_resolution, 1);
    EXPECT_EQ(file_bytes(prefer_file()), "0\r\n0\r\n1\r\n1\r\n1\r\n1\r\n0\r\n1\r\n1\r\n");
}

TEST_F(PreferScreen, CancelDropsRowsEightAndNine) {
    prefer_screen_frame();
    click_yes(8);
    click_yes(9);
    EXPECT_EQ(staged_save_on_leave, 1);
    click_cancel();
    EXPECT_EQ(pref_save_on_leave, 0);
    EXPECT_EQ(pref_keep_resolution, 0);
    EXPECT_FALSE(std::filesystem::exists(prefer_file()));
    screen_state = SCREEN_PREFER;
    prefer_screen_frame();
    EXPECT_EQ(staged_save_on_leave, 0);  // copied afresh
}

TEST_F(PreferScreen, RowsEightAndNineStandBetweenRowSevenAndOk) {
    // The page fits the small display with room to spare, and the last
    // row's buttons are drawn on the page above OK and Cancel.
    EXPECT_GE(top, 20);
    EXPECT_GE(left, 20);
    prefer_screen_frame();
    EXPECT_TRUE(shows(yes_grey, left + PREFER_YES_X, row_y(8)));
    EXPECT_TRUE(shows(yes_grey, left + PREFER_YES_X, row_y(9)));
    EXPECT_GT(row_y(8), row_y(7) + image_height(yes));
    EXPECT_GT(row_y(9), row_y(8) + image_height(yes));
    EXPECT_LT(row_y(9) + image_height(yes), top + PREFER_OK.y1);
    EXPECT_LE(top + PREFER_OK.y2, top + image_height(page));
    staged_save_on_leave = 1;
    prefer_screen_frame();
    EXPECT_TRUE(shows(yes, left + PREFER_YES_X, row_y(8)));
}

}  // namespace
