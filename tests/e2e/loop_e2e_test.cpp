// The main loop on a real X server, played as a player would: Escape
// twice leaves, the exit question is drawn centred with its shadow and
// its yes area ends the game, and the X and F2 messages stand in the
// middle of the board until the next key or click.
#include <gtest/gtest.h>

#include <cstdlib>

#include "media/draw/draw.h"
#include "tests/e2e/harness.h"
#include "tests/support/e2e_setup.h"

namespace {

const char* const title = support::GAME_TITLE;

bool same_shot(const e2e::Shot& a, const e2e::Shot& b) {
    return a.width == b.width && a.height == b.height && a.pixels == b.pixels;
}

// A two-piece opening jigsaw whose pieces come home in the bottom-left
// corner, on a green board, so the middle of the screen shows only board.
void make_opening_jigsaw(const std::string& game_dir) {
    support::replace_reserved_jigsaw(game_dir, support::opening_jigsaw({100, 500, 140, 500}));
}

// Whether the game draws its own pointer at (790, 20): it does so only
// once the opening flight is over, so a still moment of the flight (when
// Escape would end the game) is not taken for the board.
bool pointer_drawn(const e2e::Shot& shot) {
    for (int y = 20; y < 36; y++)
        for (int x = 790; x < 794; x++)
            if (e2e::green(shot.at(x, y)) != 90) return true;
    return false;
}

// Waits out the opening flight until the board stays still.
bool reach_still_board(e2e::Session& game, e2e::Shot* board) {
    if (!game.wait_for_window(title, 20000)) return false;
    e2e::Shot last = game.grab();
    // Each check moves the game's pointer out of the middle again: the
    // start-up places the pointer itself once its window is up.
    return e2e::poll_until(
        [&] {
            game.move(790, 20);
            e2e::Shot now = game.grab();
            bool still = same_shot(now, last) && e2e::green(now.at(400, 300)) == 90 && pointer_drawn(now);
            last = now;
            if (still) *board = now;
            return still;
        },
        30000, 400);
}

// The first and last x of row y where the two shots differ; false when none.
bool changed_span(const e2e::Shot& before, const e2e::Shot& after, int y, int* first, int* last) {
    *first = -1;
    for (int x = 0; x < after.width; x++) {
        if (after.at(x, y) != before.at(x, y)) {
            if (*first < 0) *first = x;
            *last = x;
        }
    }
    return *first >= 0;
}

// A small window, no help prompt over the board (it would hide the
// middle of the screen that these tests look at).
struct LoopE2E : ::testing::Test {
    e2e::GameOptions options = support::quiet_game(false, make_opening_jigsaw);
};

TEST_F(LoopE2E, EscapeTwiceAsksThenEndsWithStatusZero) {
    e2e::Session game(options);
    ASSERT_TRUE(game.ok()) << game.error;
    e2e::Shot board;
    ASSERT_TRUE(reach_still_board(game, &board));
    game.key("Escape");
    EXPECT_TRUE(game.wait_for_screen([&](const e2e::Shot& s) { return s.at(400, 300) != board.at(400, 300); }, 5000));
    EXPECT_TRUE(game.running());
    game.key("Escape");
    EXPECT_EQ(game.wait_exit(10000), 0);
}

TEST_F(LoopE2E, ExitBoxIsCentredWithItsShadowAndItsYesAreaEnds) {
    e2e::Session game(options);
    ASSERT_TRUE(game.ok()) << game.error;
    TPixmap* box = load_pixmap(std::string(TEST_GAME_DIR) + "/images/exit.png");
    ASSERT_NE(box, nullptr);
    int w = box->width, h = box->height;
    int left = (800 - w) / 2, top = (600 - h) / 2;

    e2e::Shot board;
    ASSERT_TRUE(reach_still_board(game, &board));
    game.key("Escape");
    e2e::Shot shot;
    ASSERT_TRUE(
        game.wait_for_screen([&](const e2e::Shot& s) { return s.at(400, 300) != board.at(400, 300); }, 5000, &shot));

    // The box's own opaque pixels, across its whole area.
    int compared = 0;
    for (int y = 5; y < h - 5; y += 9) {
        for (int x = 5; x < w - 5; x += 13) {
            uint32_t want = read_pixel(box, x, y);
            if ((want >> 24) != 255) continue;
            compared++;
            EXPECT_TRUE(e2e::near_colour(shot.at(left + x, top + y), want & 0xFFFFFF, 8))
                << x << "," << y << " shows " << std::hex << shot.at(left + x, top + y) << " for " << (want & 0xFFFFFF)
                << std::dec;
        }
    }
    EXPECT_GT(compared, 100);
    // Just outside the box: the board on the top and left, the half-dark
    // shadow 7 pixels deep on the right and bottom.
    EXPECT_EQ(shot.at(left - 1, top + h / 2), board.at(left - 1, top + h / 2));
    EXPECT_EQ(shot.at(left + w / 2, top - 1), board.at(left + w / 2, top - 1));
    for (auto [x, y] :
         {std::pair<int, int>{left + w + 3, top + h / 2}, {left + w / 2, top + h + 3}, {left + w / 3, top + h + 6}}) {
        uint32_t under = board.at(x, y);
        uint32_t half =
            uint32_t(e2e::red(under) / 2) << 16 | uint32_t(e2e::green(under) / 2) << 8 | uint32_t(e2e::blue(under) / 2);
        EXPECT_TRUE(e2e::near_colour(shot.at(x, y), half, 3)) << x << "," << y;
    }
    EXPECT_EQ(shot.at(left + w + 7, top + h / 2), board.at(left + w + 7, top + h / 2));
    EXPECT_EQ(shot.at(left + w / 2, top + h + 7), board.at(left + w / 2, top + h + 7));
    free_pixmap(box);

    // The middle of the yes rectangle.
    game.click(left + (149 + 226) / 2, top + (29 + 79) / 2);
    EXPECT_EQ(game.wait_exit(10000), 0);
}

TEST_F(LoopE2E, XShowsTheTitleAndAddressUntilTheNextClick) {
    e2e::Session game(options);
    ASSERT_TRUE(game.ok()) << game.error;
    e2e::Shot board;
    ASSERT_TRUE(reach_still_board(game, &board));

    TImageFont* font = load_font(std::string(TEST_GAME_DIR) + "/fonts/Tahoma.ttf", 22, 4);
    ASSERT_NE(font, nullptr);
    select_font(font);
    int tw = text_width(std::string(support::GAME_TITLE) + " from https://tessellon.example.org");

    game.key("x");
    e2e::Shot shot;
    ASSERT_TRUE(game.wait_for_screen(
        [&](const e2e::Shot& s) { return s.at(400 - tw / 2 - 12, 300) != board.at(400 - tw / 2 - 12, 300); }, 5000,
        &shot));
    int first = 0, last = 0;
    ASSERT_TRUE(changed_span(board, shot, 300, &first, &last));
    EXPECT_EQ(first, 400 - tw / 2 - 12);
    EXPECT_EQ(last, 400 - tw / 2 - 12 + tw + 23);
    game.pause(1000);  // a check that it stays over the following frames: a plain wait
    EXPECT_EQ(game.grab().at(first, 300), shot.at(first, 300));

    game.click(5, 5);
    EXPECT_TRUE(
        game.wait_for_screen([&](const e2e::Shot& s) { return s.at(first, 300) == board.at(first, 300); }, 5000));
}

TEST_F(LoopE2E, F2ShowsTheDisplayInfoCentredUntilTheNextKey) {
    e2e::Session game(options);
    ASSERT_TRUE(game.ok()) << game.error;
    e2e::Shot board;
    ASSERT_TRUE(reach_still_board(game, &board));

    game.key("F2");
    e2e::Shot shot;
    ASSERT_TRUE(
        game.wait_for_screen([&](const e2e::Shot& s) { return s.at(400, 300) != board.at(400, 300); }, 5000, &shot));
    int first = 0, last = 0;
    ASSERT_TRUE(changed_span(board, shot, 300, &first, &last));
    // "width:800 height:600 depth:.. freq:.." in a box centred across.
    EXPECT_LE(std::abs((first + last + 1) / 2 - 400), 1);
    EXPECT_GT(last - first, 200);
    // Its rim: half blue over the board.
    uint32_t under = board.at(first, 300);
    uint32_t rim = uint32_t((64 + e2e::red(under)) / 2) << 16 | uint32_t((64 + e2e::green(under)) / 2) << 8 |
                   uint32_t((255 + e2e::blue(under)) / 2);
    EXPECT_TRUE(e2e::near_colour(shot.at(first, 300), rim, 3));

    game.key("space");
    EXPECT_TRUE(
        game.wait_for_screen([&](const e2e::Shot& s) { return s.at(first, 300) == board.at(first, 300); }, 5000));
    EXPECT_TRUE(game.running());
}

}  // namespace
