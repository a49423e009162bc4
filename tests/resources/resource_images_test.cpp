// The images and sounds of the game folder fit the places the screens draw
// them and the rectangles they test: every file loads through the game's
// loaders, help lines sit one per item with clear gaps between them, the
// yes rectangles lie on the yes buttons, and the sounds have their lengths.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "media/draw/draw.h"
#include "media/system/system.h"
#include "screens/ui_geometry.h"

namespace {

std::string game_file(const std::string& name) { return std::string(TEST_GAME_DIR) + "/" + name; }

struct Rgba {
    int r, g, b, a;
};

Rgba pixel(const TPixmap* p, int x, int y) {
    uint32_t v = read_pixel(p, x, y);
    return Rgba{static_cast<int>((v >> 16) & 255), static_cast<int>((v >> 8) & 255), static_cast<int>(v & 255),
                static_cast<int>(v >> 24)};
}

// Dark, opaque pixels: the text and key caps on the light help pages.
bool ink(const TPixmap* p, int x, int y) {
    Rgba c = pixel(p, x, y);
    return c.a > 128 && (c.r * 299 + c.g * 587 + c.b * 114) / 1000 < 140;
}

bool green(const Rgba& c) { return c.a > 128 && c.g > c.r + 30 && c.g > c.b + 20; }

TEST(ResourceFiles, EveryImageTheGameNamesLoads) {
    const char* files[] = {
        "images/exit.png",      "images/reload.png",    "images/quick_pick.png", "images/do_new.png",
        "images/help0.png",     "images/help1.png",     "images/help2.png",      "images/help3.png",
        "images/help4.png",     "images/prefer.png",    "images/yes.png",        "images/no.png",
        "images/yes_grey.png",  "images/no_grey.png",   "images/box.png",        "images/boxf.png",
        "images/jigsaw.png",    "images/arrow1.png",    "images/arrow2.png",     "images/arrow3.png",
        "images/arrow4.png",    "images/cross.png",     "images/pointer.bmp",    "images/white.bmp",
        "images/swatch.bmp",    "images/flash/1/1.png", "images/flash/1/2.png",  "images/flash/1/3.png",
        "images/flash/1/4.png", "images/flash/1/5.png", "images/flash/1/6.png",  "images/flash/1/7.png"};
    for (const char* f : files) {
        TImage* image = load_image(game_file(f), -1);
        EXPECT_NE(image, nullptr) << f;
        if (image) free_image(image);
    }
}

TEST(ResourceFiles, SmallImagesHaveTheSizesTheScreensUse) {
    struct Size {
        const char* file;
        int w, h;
    };
    const Size sizes[] = {{"images/arrow1.png", 84, 40}, {"images/arrow2.png", 84, 40}, {"images/arrow3.png", 84, 40},
                          {"images/arrow4.png", 84, 40}, {"images/cross.png", 95, 71},  {"images/box.png", 724, 70},
                          {"images/boxf.png", 948, 70}};
    for (const Size& s : sizes) {
        TPixmap* p = load_pixmap(game_file(s.file));
        ASSERT_NE(p, nullptr) << s.file;
        EXPECT_EQ(p->width, s.w) << s.file;
        EXPECT_EQ(p->height, s.h) << s.file;
        free_pixmap(p);
    }
    // The strip frames leave the strip itself (76, 11, S, 58) see-through.
    TPixmap* box = load_pixmap(game_file("images/box.png"));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(pixel(box, 6 + 356, 6 + 29).a, 0);
    EXPECT_EQ(pixel(box, 2, 35).a, 255);
    free_pixmap(box);
    // The button back to the board stays left of the strip and above the tray.
    TPixmap* button = load_pixmap(game_file("images/jigsaw.png"));
    ASSERT_NE(button, nullptr);
    EXPECT_LE(7 + button->width, 70);
    EXPECT_LE(41 + button->height, 77);
    free_pixmap(button);
    // The swatch fits at (10, 463) on 800 x 600 and is opaque colour throughout.
    TPixmap* swatch = load_pixmap(game_file("images/swatch.bmp"));
    ASSERT_NE(swatch, nullptr);
    EXPECT_LE(10 + swatch->width, 800);
    EXPECT_LE(463 + swatch->height, 600);
    free_pixmap(swatch);
    // The pick probe is small, white and opaque.
    TPixmap* white = load_pixmap(game_file("images/white.bmp"));
    ASSERT_NE(white, nullptr);
    EXPECT_LE(white->width, 4);
    EXPECT_EQ(read_pixel(white, 0, 0), 0xFFFFFFFFu);
    free_pixmap(white);
}

TEST(ResourceFiles, PointerTipIsTheTopLeftPixelAndItsBackgroundMasksAway) {
    TImage* pointer = load_image(game_file("images/pointer.bmp"), -1);
    ASSERT_NE(pointer, nullptr);
    TPixmap* p = lock_image(pointer, 0, true, false);
    ASSERT_NE(p, nullptr);
    EXPECT_GE(pixel(p, 0, 0).a, 128) << "the tip must be drawn";
    EXPECT_EQ(pixel(p, p->width - 1, 0).a, 0) << "black around the arrow is transparent";
    EXPECT_EQ(pixel(p, 0, p->height - 1).a, 0);
    free_image(pointer);
}

// ---------------------------------------------------------------------------
// Help pages
// ---------------------------------------------------------------------------

int ink_in(const TPixmap* p, int x0, int y0, int x1, int y1) {
    int count = 0;
    for (int y = std::max(0, y0); y <= std::min(p->height - 1, y1); y++)
        for (int x = std::max(0, x0); x <= std::min(p->width - 1, x1); x++)
            if (ink(p, x, y)) count++;
    return count;
}

TEST(HelpPages, EachItemHoldsOneLineAndTheHighlightNeverTakesInANeighbour) {
    for (int k = 0; k < HELP_PAGE_COUNT; k++) {
        const std::string file = "images/help" + std::to_string(k) + ".png";
        SCOPED_TRACE(file);
        TPixmap* p = load_pixmap(game_file(file));
        ASSERT_NE(p, nullptr);
        EXPECT_LE(p->width, 800);
        EXPECT_LE(p->height, 600);
        const int w = HELP_LINE_W, h = HELP_LINE_H, m = HELP_FRAME_MARGIN;
        int items = static_cast<int>(std::string(HELP_LAYOUTS[k].letters).size());
        for (int i = 0; i < items; i++) {
            int x, y;
            help_line_corner(HELP_LAYOUTS[k], i, &x, &y);
            SCOPED_TRACE("item " + std::to_string(i + 1));
            // The whole highlight frame (m pixels outside the item) is on the page.
            ASSERT_LE(x + w + m, p->width);
            ASSERT_LE(y + h + m, p->height);
            EXPECT_GT(ink_in(p, x, y, x + w, y + h), 60) << "the item's line is printed";
            // Nothing inside the frame's reach above or below the line: the
            // frame spans y - m .. y + h, the previous line ends above it.
            EXPECT_EQ(ink_in(p, x - m, y - m, x + w + m, y + 2), 0) << "ink at the item's top edge";
            EXPECT_EQ(ink_in(p, x - m, y + h - 4, x + w + m, y + h), 0) << "ink at the item's bottom edge";
        }
        free_pixmap(p);
    }
}

// Lines only ever join a page at the end of its letters: every line the
// pages had keeps its box, and below the lines every page tells the
// keypad's keys in both columns, clear of the last lines' frames.
TEST(HelpPages, EarlierLinesKeepTheirBoxesAndTheKeypadKeysStandBelowThem) {
    const struct {
        const char* letters;
        int first_column, first_row;
    } earlier[HELP_PAGE_COUNT] = {{"ABCDEFGHIKLMNOPQRSTUVWZ12345-", 15, 12},
                                  {"BDFHIKLNPQSVZ12345-", 10, 14},
                                  {"DFHKNQS-", 4, 16},
                                  {"DFHKLQS-", 4, 16},
                                  {"ADFHKLNQSU-", 6, 16}};
    EXPECT_EQ(std::string(HELP_LAYOUTS[HELP_PAGE_BOARD].letters).find('0'), std::string(earlier[0].letters).size());
    for (int k = 0; k < HELP_PAGE_COUNT; k++) {
        const std::string file = "images/help" + std::to_string(k) + ".png";
        SCOPED_TRACE(file);
        const std::string letters = earlier[k].letters;
        ASSERT_EQ(std::string(HELP_LAYOUTS[k].letters).compare(0, letters.size(), letters), 0);
        for (int i = 0; i < static_cast<int>(letters.size()); i++) {
            int x, y;
            help_line_corner(HELP_LAYOUTS[k], i, &x, &y);
            bool first = i < earlier[k].first_column;
            EXPECT_EQ(x, first ? 15 : 327) << letters[i];
            EXPECT_EQ(y, earlier[k].first_row + 29 * (first ? i : i - earlier[k].first_column)) << letters[i];
        }
        TPixmap* p = load_pixmap(game_file(file));
        ASSERT_NE(p, nullptr);
        int lines_end = HELP_LAYOUTS[k].first_row + HELP_LINE_H * HELP_LAYOUTS[k].first_column;
        // The heading and two rows of keys, then the footer's 34 rows.
        EXPECT_EQ(ink_in(p, 12, lines_end, p->width - 13, lines_end + 5), 0);  // inside the rim
        EXPECT_GT(ink_in(p, 15, lines_end + 8, 317, lines_end + 22), 200) << "no heading";
        for (int column : {15, 327})
            for (int row = 0; row < 2; row++)
                EXPECT_GT(ink_in(p, column, lines_end + 26 + 26 * row, column + 302, lines_end + 50 + 26 * row), 200)
                    << "no keypad keys in the column at " << column << ", row " << row;
        EXPECT_EQ(p->height, lines_end + 26 + 2 * 26 + 34);
        free_pixmap(p);
    }
}

// ---------------------------------------------------------------------------
// Question boxes and the preferences page
// ---------------------------------------------------------------------------

// Share of pixels in the inclusive rectangle that pass the test.
template <typename Test>
double share(const TPixmap* p, int x0, int y0, int x1, int y1, Test test) {
    int hit = 0, all = 0;
    for (int y = y0; y <= y1; y++)
        for (int x = x0; x <= x1; x++) {
            if (x < 0 || y < 0 || x >= p->width || y >= p->height) continue;
            all++;
            if (test(pixel(p, x, y))) hit++;
        }
    return all ? static_cast<double>(hit) / all : 0.0;
}

// Share of the ring between the rectangle grown by `inner` and by `outer`.
double green_ring(const TPixmap* p, int x0, int y0, int x1, int y1, int inner, int outer) {
    int hit = 0, all = 0;
    for (int y = y0 - outer; y <= y1 + outer; y++)
        for (int x = x0 - outer; x <= x1 + outer; x++) {
            bool in_inner = x >= x0 - inner && x <= x1 + inner && y >= y0 - inner && y <= y1 + inner;
            if (in_inner || x < 0 || y < 0 || x >= p->width || y >= p->height) continue;
            all++;
            if (green(pixel(p, x, y))) hit++;
        }
    return all ? static_cast<double>(hit) / all : 0.0;
}

TEST(QuestionBoxes, TheYesRectangleLiesOnTheYesButton) {
    struct Box {
        const char* file;
        ui_rect yes;
    };
    const Box boxes[] = {{"images/exit.png", EXIT_BOX_YES},
                         {"images/reload.png", QUESTION_BOX_YES},
                         {"images/quick_pick.png", QUESTION_BOX_YES},
                         {"images/do_new.png", QUESTION_BOX_YES}};
    for (const Box& b : boxes) {
        SCOPED_TRACE(b.file);
        const ui_rect& r = b.yes;
        TPixmap* p = load_pixmap(game_file(b.file));
        ASSERT_NE(p, nullptr);
        ASSERT_LT(r.x2, p->width);
        ASSERT_LT(r.y2, p->height);
        EXPECT_LE(p->width, 800);
        EXPECT_LE(p->height, 600);
        // The rectangle is button (green, with its white label)...
        EXPECT_GT(share(p, r.x1, r.y1, r.x2, r.y2, green), 0.8);
        // ...and the button does not spill far beyond it.
        EXPECT_LT(green_ring(p, r.x1, r.y1, r.x2, r.y2, 2, 6), 0.02);
        free_pixmap(p);
    }
}

TEST(PreferencesPage, RowsButtonsAndOkCancelFitTheirRectangles) {
    TPixmap* page = load_pixmap(game_file("images/prefer.png"));
    TPixmap* yes = load_pixmap(game_file("images/yes.png"));
    TPixmap* no = load_pixmap(game_file("images/no.png"));
    ASSERT_NE(page, nullptr);
    ASSERT_NE(yes, nullptr);
    ASSERT_NE(no, nullptr);
    EXPECT_LE(page->width, 800);
    EXPECT_LE(page->height, 600);
    for (const char* f : {"images/yes_grey.png", "images/no_grey.png", "images/no.png"}) {
        TPixmap* p = load_pixmap(game_file(f));
        ASSERT_NE(p, nullptr) << f;
        EXPECT_EQ(p->width, yes->width) << f;
        EXPECT_EQ(p->height, yes->height) << f;
        free_pixmap(p);
    }
    // Yes and no stand side by side without touching, and the last row
    // stays clear of OK and Cancel.
    const int no_x = PREFER_YES_X + PREFER_NO_GAP;
    const int last_row_y = PREFER_ROW_TOP + PREFER_ROW_PITCH * (PREFER_ROWS - 1);
    EXPECT_LT(PREFER_YES_X + yes->width, no_x);
    EXPECT_LT(last_row_y + no->height, PREFER_OK.y1);
    EXPECT_LT(last_row_y + no->height, PREFER_CANCEL.y1);
    EXPECT_LE(no_x + no->width, page->width);
    // OK and Cancel are drawn buttons: opaque and unlike the panel around
    // them, with a gap between them.
    const ui_rect& ok = PREFER_OK;
    const ui_rect& cancel = PREFER_CANCEL;
    ASSERT_LT(ok.x2 + 2, cancel.x1 - 2);
    auto bright_button = [](const Rgba& c) { return c.a > 128 && (c.r + c.g + c.b) > 3 * 95; };
    EXPECT_GT(share(page, ok.x1 + 2, ok.y1 + 2, ok.x2 - 2, ok.y2 - 2, bright_button), 0.6);
    EXPECT_GT(share(page, cancel.x1 + 2, cancel.y1 + 2, cancel.x2 - 2, cancel.y2 - 2, bright_button), 0.6);
    EXPECT_LT(share(page, ok.x2 + 2, ok.y1 + 2, cancel.x1 - 2, ok.y2 - 2, bright_button), 0.1)
        << "a gap between OK and Cancel";
    free_pixmap(page);
    free_pixmap(yes);
    free_pixmap(no);
}

// ---------------------------------------------------------------------------
// Sounds
// ---------------------------------------------------------------------------

double seconds(const TSound* s) {
    return s->sample.hertz > 0 ? static_cast<double>(s->sample.length) / s->sample.hertz : 0.0;
}

TEST(Sounds, EffectsAreShortAndTheTuneLastsHalfAMinuteToAMinuteAndAHalf) {
    TSound* click = load_sound(game_file("sounds/click.wav"), 0);
    TSound* magic = load_sound(game_file("sounds/magic.wav"), 0);
    TSound* music = load_sound(game_file("sounds/music.ogg"), SOUND_DECODE_WHOLE);  // the samples are looked at
    ASSERT_NE(click, nullptr);
    ASSERT_NE(magic, nullptr);
    ASSERT_NE(music, nullptr);
    EXPECT_GT(seconds(click), 0.03);
    EXPECT_LT(seconds(click), 0.3);
    EXPECT_GT(seconds(magic), 0.7);
    EXPECT_LT(seconds(magic), 1.6);
    EXPECT_GE(seconds(music), 30.0);
    EXPECT_LE(seconds(music), 90.0);
    // Not silence: the tune reaches a healthy level somewhere.
    int peak = 0;
    for (int i = 0; i < music->sample.length * 2; i += 7)
        peak = std::max(peak, std::abs(static_cast<int>(music->sample.samples[i])));
    EXPECT_GT(peak, 16000);
    free_sound(click);
    free_sound(magic);
    free_sound(music);
}

}  // namespace
