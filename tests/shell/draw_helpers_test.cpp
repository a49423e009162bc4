// The shared text and drawing helpers, read back from the null backend's
// CPU back buffer: the message box's rectangles and colours, the wrap of
// long messages, the centred
// image and its shadow, the thick frame, the inclusive hit tests and the
// saved-game thumbnail grab.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "media/null/null_backend.h"
#include "tests/shell/loop_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

struct Rgb {
    int r, g, b;
};

Rgb back_pixel(int x, int y) {
    uint32_t p = read_pixel(null_back_buffer(), x, y);
    return {int((p >> 16) & 255), int((p >> 8) & 255), int(p & 255)};
}

// Within 3 of the wanted colour on every channel (blending rounds).
::testing::AssertionResult near(Rgb got, int r, int g, int b) {
    if (std::abs(got.r - r) <= 3 && std::abs(got.g - g) <= 3 && std::abs(got.b - b) <= 3)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << got.r << ", " << got.g << ", " << got.b << ") is not near (" << r
                                         << ", " << g << ", " << b << ")";
}

void clear_to(int r, int g, int b) {
    set_clear_color(r, g, b);
    clear_screen();
}

struct Helpers : LoopFixture {
    void SetUp() override {
        LoopFixture::SetUp();
        set_blend(BLEND_SOLID);
        set_color(255, 255, 255);
        set_alpha(1);
    }
    // Leaves the drawing state as the helpers promise to.
    void expect_state_restored(int blend) {
        EXPECT_EQ(get_blend(), blend);
        int r, g, b;
        get_color(&r, &g, &b);
        EXPECT_EQ(r + g + b, 3 * 255);
        EXPECT_FLOAT_EQ(get_alpha(), 1.0f);
    }
};

TEST_F(Helpers, OpaqueMessageBoxHasABlueRimAndANavyInside) {
    clear_to(0, 0, 0);
    show_message("Hello", 100, 1.0f);
    select_font(font_large);
    int tw = text_width("Hello"), th = text_height("Hello");
    int left = 400 - tw / 2 - 12, top = 100 - th / 2 - 12;
    int right = left + tw + 23, bottom = top + th + 23;  // last pixels of the box

    EXPECT_TRUE(near(back_pixel(left, top), 64, 64, 255));
    EXPECT_TRUE(near(back_pixel(left + 1, top + 1), 64, 64, 255));
    EXPECT_TRUE(near(back_pixel(right, bottom), 64, 64, 255));
    EXPECT_TRUE(near(back_pixel(left + 2, top + 2), 0, 0, 128));
    EXPECT_TRUE(near(back_pixel(right - 2, bottom - 2), 0, 0, 128));
    EXPECT_TRUE(near(back_pixel(left - 1, top), 0, 0, 0));
    EXPECT_TRUE(near(back_pixel(right + 1, bottom), 0, 0, 0));
    EXPECT_TRUE(near(back_pixel(left, bottom + 1), 0, 0, 0));
    expect_state_restored(BLEND_SOLID);
}

TEST_F(Helpers, TranslucentMessageBoxIsDarkTealAndCentredOnTheScreen) {
    clear_to(0, 0, 0);
    show_message("Hello", 0, 0.5f);
    select_font(font_large);
    int tw = text_width("Hello"), th = text_height("Hello");
    int left = 400 - tw / 2 - 12, top = 300 - th / 2 - 12;
    // Half of the rim colour over black, then mostly dark teal over that.
    EXPECT_TRUE(near(back_pixel(left, top), 32, 32, 127));
    EXPECT_TRUE(near(back_pixel(left + 2, top + 2), 5, 56, 90));
    EXPECT_TRUE(near(back_pixel(left - 1, top - 1), 0, 0, 0));
    expect_state_restored(BLEND_SOLID);
}

// Relative luminance of a display colour, 0 (black) .. 1 (white).
double luminance(Rgb c) {
    auto channel = [](int v) {
        double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.r) + 0.7152 * channel(c.g) + 0.0722 * channel(c.b);
}

TEST_F(Helpers, MessageTextStandsOutOnWhiteBlackAndGreyBoards) {
    const int boards[3] = {255, 0, 128};
    for (int board : boards) {
        SCOPED_TRACE(board);
        clear_to(board, board, board);
        show_message("Readable on any board", 0, 0.5f);
        select_font(font_large);
        int tw = text_width("Readable on any board"), th = text_height("Readable on any board");
        int left = 400 - tw / 2 - 12, top = 300 - th / 2 - 12;
        double box = luminance(back_pixel(left + 5, top + 5));
        int text = 0;
        double darkest_text = 1;
        for (int y = 300 - th / 2; y < 300 + th / 2; y++)
            for (int x = 400 - tw / 2; x < 400 + tw / 2; x++) {
                Rgb p = back_pixel(x, y);
                if (!near(p, 255, 255, 192)) continue;
                text++;
                darkest_text = std::min(darkest_text, luminance(p));
            }
        EXPECT_GT(text, 100);
        // The usual measure of legible text: a contrast ratio of 4.5 or more.
        EXPECT_GE((darkest_text + 0.05) / (box + 0.05), 4.5);
    }
}

TEST_F(Helpers, MessageTextIsLightYellowOverItsShadow) {
    clear_to(0, 0, 0);
    show_message("MMMM", 100, 1.0f);
    select_font(font_large);
    int tw = text_width("MMMM"), th = text_height("MMMM");
    int yellow = 0;
    for (int y = 100 - th / 2; y < 100 + th / 2; y++)
        for (int x = 400 - tw / 2; x < 400 + tw / 2; x++)
            if (near(back_pixel(x, y), 255, 255, 192)) yellow++;
    EXPECT_GT(yellow, 20);
}

TEST_F(Helpers, EmptyTextShowsTheStatusLine) {
    clear_to(0, 0, 0);
    status_message = "a rather long status line for the box";
    show_message("", 0, 0.5f);
    select_font(font_large);
    int tw = text_width(status_message);
    EXPECT_TRUE(near(back_pixel(400 - tw / 2 - 12, 300), 32, 32, 127));
}

// Wrapping: every line within the width and as full as the next word
// allows, the words in order; a word is cut only when it is longer than a
// line, and then nothing of it is lost.
TEST_F(Helpers, WrapKeepsLinesWithinTheWidthAndBreaksOnlyOverlongWords) {
    select_font(font_large);
    std::string word(60, 'W');  // far wider than 300 pixels
    auto without_spaces = [](std::string t) {
        t.erase(std::remove(t.begin(), t.end(), ' '), t.end());
        return t;
    };
    for (const std::string& text :
         {std::string("Unable to save to players/default/a long jigsaw name.txt - press any key"), std::string("short"),
          "one " + word + " two", word, std::string()}) {
        SCOPED_TRACE(text);
        std::vector<std::string> lines = wrap_text(text, 300);
        ASSERT_FALSE(lines.empty());
        std::string spaced, packed;
        for (size_t i = 0; i < lines.size(); i++) {
            EXPECT_LE(text_width(lines[i]), 300) << lines[i];
            spaced += (i ? " " : "") + lines[i];
            packed += lines[i];
            // Whole words: the line could not have held the next one too.
            if (i + 1 < lines.size() && text.find(word) == std::string::npos) {
                std::string next = lines[i + 1].substr(0, lines[i + 1].find(' '));
                EXPECT_GT(text_width(lines[i] + " " + next), 300) << "line " << i << " could hold " << next;
            }
        }
        if (text.find(word) == std::string::npos)
            EXPECT_EQ(spaced, text);  // broken at spaces only
        else
            EXPECT_EQ(packed, without_spaces(text));  // the long word cut, not lost
    }
    EXPECT_EQ(wrap_text("fits  as  it  is", 800), std::vector<std::string>{"fits  as  it  is"});
}

// A status line wider than the screen is drawn as a box within it, taller
// than one line, and its text still shows.
TEST_F(Helpers, LongMessageBoxStaysWithinTheScreen) {
    clear_to(0, 0, 0);
    std::string text;
    for (int i = 0; i < 12; i++) text += "a long status line ";
    select_font(font_large);
    ASSERT_GT(text_width(text), 800);
    show_message(text, 0, 1.0f);
    // The frame's blue at both sides inside the screen, black beyond it.
    int rim_left = -1, rim_right = -1;
    for (int x = 0; x < 800; x++) {
        if (!near(back_pixel(x, 300), 64, 64, 255)) continue;
        if (rim_left < 0) rim_left = x;
        rim_right = x;
    }
    EXPECT_GE(rim_left, 16);
    EXPECT_LE(rim_right, 800 - 16);
    EXPECT_TRUE(near(back_pixel(8, 300), 0, 0, 0));
    int box_top = -1;
    for (int y = 0; y < 600 && box_top < 0; y++)
        if (near(back_pixel(400, y), 64, 64, 255)) box_top = y;
    EXPECT_LT(box_top, 300 - text_height("Mg"));  // more than one line
    int yellow = 0;
    for (int y = box_top; y < 600 - box_top; y++)
        for (int x = rim_left; x <= rim_right; x++)
            if (near(back_pixel(x, y), 255, 255, 192)) yellow++;
    EXPECT_GT(yellow, 200);
}

TEST_F(Helpers, CentredImageAndItsSoftShadow) {
    clear_to(200, 200, 200);
    TImage* image = solid_image(300, 200, 0xFFFF0000);
    draw_centred_image(image, 1);
    EXPECT_TRUE(near(back_pixel(250, 200), 255, 0, 0));
    EXPECT_TRUE(near(back_pixel(549, 399), 255, 0, 0));
    EXPECT_TRUE(near(back_pixel(249, 200), 200, 200, 200));
    // The shadow stands 7 right and 7 down: half black over the board.
    EXPECT_TRUE(near(back_pixel(556, 406), 100, 100, 100));
    EXPECT_TRUE(near(back_pixel(555, 207), 100, 100, 100));
    EXPECT_TRUE(near(back_pixel(557, 406), 200, 200, 200));
    EXPECT_TRUE(near(back_pixel(256, 403), 200, 200, 200));
    expect_state_restored(BLEND_SOLID);

    clear_to(200, 200, 200);
    draw_centred_image(image, 0);
    EXPECT_TRUE(near(back_pixel(556, 406), 200, 200, 200));
}

TEST_F(Helpers, ThickFrameLiesInsideItsRectangle) {
    clear_to(0, 0, 0);
    set_color(0, 255, 0);
    draw_thick_frame(10, 10, 50, 30, 3);
    EXPECT_TRUE(near(back_pixel(10, 10), 0, 255, 0));
    EXPECT_TRUE(near(back_pixel(59, 39), 0, 255, 0));
    EXPECT_TRUE(near(back_pixel(12, 25), 0, 255, 0));
    EXPECT_TRUE(near(back_pixel(13, 25), 0, 0, 0));
    EXPECT_TRUE(near(back_pixel(57, 25), 0, 255, 0));
    EXPECT_TRUE(near(back_pixel(56, 25), 0, 0, 0));
    EXPECT_TRUE(near(back_pixel(30, 37), 0, 255, 0));
    EXPECT_TRUE(near(back_pixel(30, 36), 0, 0, 0));
    EXPECT_TRUE(near(back_pixel(60, 25), 0, 0, 0));
}

TEST_F(Helpers, HitTestsIncludeBothEnds) {
    move_to(20, 20);
    EXPECT_EQ(mouse_in_rect(10, 10, 20, 20), 1);
    move_to(10, 10);
    EXPECT_EQ(mouse_in_rect(10, 10, 20, 20), 1);
    move_to(21, 20);
    EXPECT_EQ(mouse_in_rect(10, 10, 20, 20), 0);
    move_to(15, 9);
    EXPECT_EQ(mouse_in_rect(10, 10, 20, 20), 0);

    click_x = 20;
    click_y = 10;
    EXPECT_EQ(click_in_rect(10, 10, 20, 20), 1);
    click_x = -1;
    EXPECT_EQ(click_in_rect(10, 10, 20, 20), 0);

    TImage* image = solid_image(300, 200, 0xFFFFFFFF);
    move_to(250, 200);
    EXPECT_EQ(mouse_in_centred_image(image, 0, 0, 10, 10), 1);
    move_to(249, 200);
    EXPECT_EQ(mouse_in_centred_image(image, 0, 0, 10, 10), 0);
    move_to(260, 210);
    EXPECT_EQ(mouse_in_centred_image(image, 0, 0, 10, 10), 1);
    EXPECT_EQ(mouse_in_centred_image(nullptr, 0, 0, 800, 600), 0);
}

struct Thumbnails : LoopFixture {
    support::TempFolder temp{"thumbnail"};
    std::string folder;
    void SetUp() override {
        LoopFixture::SetUp();
        folder = temp.path;
        ASSERT_FALSE(folder.empty());
    }
};

TEST_F(Thumbnails, SmallDisplayGivesA264By198Picture) {
    clear_to(10, 120, 230);
    grab_screen_thumbnail(folder + "/t.png", 0.33f, 800, 600);
    TPixmap* saved = load_pixmap(folder + "/t.png");
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->width, 264);
    EXPECT_EQ(saved->height, 198);
    uint32_t p = read_pixel(saved, 100, 100);
    EXPECT_TRUE(near({int((p >> 16) & 255), int((p >> 8) & 255), int(p & 255)}, 10, 120, 230));
    free_pixmap(saved);
}

TEST_F(Thumbnails, LargeDisplayGrabsOnlyTheTopLeft800By600) {
    ASSERT_NE(open_screen(1024, 768, 0, 60, 0), nullptr);
    clear_to(0, 200, 0);
    set_blend(BLEND_SOLID);
    set_color(200, 0, 0);
    draw_rect(0, 0, 800, 600);
    set_color(255, 255, 255);
    grab_screen_thumbnail(folder + "/t.png", 0.33f, 800, 600);
    TPixmap* saved = load_pixmap(folder + "/t.png");
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->width, 264);
    EXPECT_EQ(saved->height, 198);
    // Red right into the far corner: nothing of the green beyond 800x600.
    uint32_t p = read_pixel(saved, 263, 197);
    EXPECT_TRUE(near({int((p >> 16) & 255), int((p >> 8) & 255), int(p & 255)}, 200, 0, 0));
    free_pixmap(saved);
}

TEST_F(Thumbnails, ScaleOneKeepsTheFullGrab) {
    clear_to(10, 120, 230);
    grab_screen_thumbnail(folder + "/t.png", 1.0f, 800, 600);
    TPixmap* saved = load_pixmap(folder + "/t.png");
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->width, 800);
    EXPECT_EQ(saved->height, 600);
    free_pixmap(saved);
}

}  // namespace
