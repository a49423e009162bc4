// Full screen on screens larger than the game's display, on the real
// binary: the board covers the screen's height scaled and centred with
// black bars, a click on a screen pixel picks the piece drawn there (also
// a turned one, at its very edge), help lines and browser thumbnails hit
// where they are drawn, and F and W never leave a small window. The
// reserved jigsaw is 3 x 3 solid squares, so the screen tells where each lies.
// Set TESSELLON_E2E_SHOTS_DIR to keep the scaled screens as PNGs.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "media/draw/draw.h"
#include "tests/e2e/harness.h"
#include "tests/support/e2e_setup.h"
#include "tests/support/jigsaw_files.h"

namespace {

const char* const title = support::GAME_TITLE;
const int SIDE = 50, PIECES = 9;
const uint32_t RED = 0xE02020, BLUE = 0x2020E0, GREEN = 0x20E020, GREY = 0xA0A0A0, BACKGROUND = 0x0A141E;
// The saved game the tests start from: piece 1 turned a quarter, piece 2
// not, the others in a row along the bottom; piece 5 (green) is the only
// interior one.
const int P1_X = 250, P1_Y = 250, P2_X = 550, P2_Y = 380;

void prepare(const std::string& game_dir) {
    support::JigsawFiles jigsaw;
    jigsaw.rows = 3;
    jigsaw.columns = 3;
    jigsaw.homes = support::grid_homes(3, 3, 300, 200, SIDE);
    jigsaw.background = {10, 20, 30};
    jigsaw.side = SIDE;
    jigsaw.piece_colour = [](int i) { return 0xFF000000u | (i == 1 ? RED : i == 2 ? BLUE : i == 5 ? GREEN : GREY); };
    jigsaw.picture_width = 200;
    jigsaw.picture_height = 150;
    ASSERT_TRUE(support::replace_reserved_jigsaw(game_dir, jigsaw));
    std::vector<support::SavedPiece> pieces(PIECES);
    for (int i = 0; i < PIECES; i++) {
        pieces[i].x = 100 + 70 * i, pieces[i].y = 540, pieces[i].order = i + 1;
    }
    pieces[0].x = P1_X, pieces[0].y = P1_Y, pieces[0].turns = 1;
    pieces[1].x = P2_X, pieces[1].y = P2_Y;
    ASSERT_TRUE(support::write_reserved_saved_game(game_dir, pieces, 10, 20, 30));
}

// A quiet full-screen game of the small display on a screen of that size.
e2e::GameOptions full_screen_on(int width, int height, int large = 0) {
    support::Preferences prefer;
    prefer.windowed = 0;
    prefer.large = large;
    e2e::GameOptions options;
    options.screen_width = width;
    options.screen_height = height;
    options.prefer = prefer.text();
    options.prepare = prepare;
    return options;
}

// The game's window once it has that size (a toggle's old one may linger).
unsigned long window_of_size(e2e::Session& game, int width, int height) {
    unsigned long window = 0;
    int w = 0, h = 0;
    e2e::poll_until(
        [&] {
            window = game.wait_for_window(title, 100, &w, &h);
            return window && w == width && h == height;
        },
        30000, 50, [&] { return !game.running(); });
    EXPECT_EQ(w, width);
    EXPECT_EQ(h, height);
    return window && w == width && h == height ? window : 0;
}

bool covers_screen(e2e::Session& game, unsigned long window) {
    XWindowAttributes attributes;
    return window && XGetWindowAttributes(game.display, window, &attributes) && attributes.override_redirect &&
           attributes.x == 0 && attributes.y == 0;
}

// The saved game is on the board: both squares where it put them.
bool saved_game_shown(const e2e::ScaledBoard& view, const e2e::Shot& s) {
    return e2e::near_colour(view.at(s, P1_X, P1_Y), RED, 8) && e2e::near_colour(view.at(s, P2_X, P2_Y), BLUE, 8) &&
           e2e::near_colour(view.at(s, 400, 40), BACKGROUND, 8);
}

// From start-up to the saved game through the L browser's first thumbnail,
// clicked where the scaled screen shows it.
void open_saved_game(e2e::Session& game, const e2e::ScaledBoard& view, int screen_w, int screen_h) {
    ASSERT_TRUE(game.ok()) << game.error;
    unsigned long window = window_of_size(game, screen_w, screen_h);
    ASSERT_TRUE(covers_screen(game, window)) << "not full screen";
    ASSERT_TRUE(game.wait_for_focus(window, 10000));
    ASSERT_TRUE(game.keyboard_grabbed_elsewhere()) << "full screen without the keyboard grabbed";
    ASSERT_TRUE(game.wait_for_screen([](const e2e::Shot& s) { return s.drawn(); }, 20000));
    view.click(game, 790, 590);  // cuts the opening short
    ASSERT_TRUE(game.wait_until_still(20000));
    e2e::Shot before = game.grab();
    game.key("l");
    ASSERT_TRUE(game.wait_for_change(before, 10000)) << "no saved-game page";
    view.click(game, 106, 140);  // the first thumbnail of the page
    e2e::Shot shot;
    ASSERT_TRUE(game.wait_for_screen([&](const e2e::Shot& s) { return saved_game_shown(view, s); }, 20000, &shot))
        << "the thumbnail click did not load the saved game";
}

int distance(uint32_t a, uint32_t b) {
    return std::abs(e2e::red(a) - e2e::red(b)) + std::abs(e2e::green(a) - e2e::green(b)) +
           std::abs(e2e::blue(a) - e2e::blue(b));
}

struct Piece {
    int x, y, turns;
};
Piece saved_piece(const std::vector<int>& saved, int i) {
    size_t b = (size_t)(7 * (i - 1));
    return b + 2 < saved.size() ? Piece{saved[b], saved[b + 1], saved[b + 2]} : Piece{-1, -1, -1};
}

TEST(ScaleE2e, FullScreenCoversLargeScreensWithTheBoardScaledAndCentred) {
    for (int screen : {1080, 2160}) {
        int sw = screen * 16 / 9, sh = screen;
        SCOPED_TRACE(std::to_string(sw) + "x" + std::to_string(sh));
        e2e::Session game(full_screen_on(sw, sh));
        e2e::ScaledBoard view(800, 600, sw, sh);
        open_saved_game(game, view, sw, sh);
        e2e::Shot shot;
        ASSERT_TRUE(game.wait_until_still(20000, &shot));
        support::keep_shot(shot, "scaled_" + std::to_string(sh));
        // The board fills the height; the bars left and right are black.
        EXPECT_EQ(view.h, sh);
        for (int y = 0; y < sh; y += 37) {
            EXPECT_EQ(shot.at(view.x - 1, y), 0u) << "left bar at " << y;
            EXPECT_EQ(shot.at(view.x + view.w, y), 0u) << "right bar at " << y;
            EXPECT_TRUE(e2e::near_colour(shot.at(view.x + 2, y), BACKGROUND, 8)) << "board's left edge at " << y;
            EXPECT_TRUE(e2e::near_colour(shot.at(view.x + view.w - 3, y), BACKGROUND, 8)) << y;
        }
        EXPECT_TRUE(e2e::near_colour(shot.at(sw / 2, 0), BACKGROUND, 8));
        EXPECT_TRUE(e2e::near_colour(shot.at(sw / 2, sh - 1), BACKGROUND, 8));
        // Piece 2 (unturned) spans board columns P2_X - 25 .. P2_X + 24.
        EXPECT_TRUE(e2e::near_colour(view.at(shot, P2_X - 24, P2_Y), BLUE, 8));
        EXPECT_TRUE(e2e::near_colour(view.at(shot, P2_X + 23, P2_Y), BLUE, 8));
        EXPECT_TRUE(e2e::near_colour(view.at(shot, P2_X - 27, P2_Y), BACKGROUND, 8));
        EXPECT_TRUE(e2e::near_colour(view.at(shot, P2_X + 26, P2_Y), BACKGROUND, 8));
        // The bars take no clicks: the browser does not open from there.
        game.click(view.x / 2, sh / 2);
        game.pause(300);  // a check that nothing happens
        EXPECT_TRUE(saved_game_shown(view, game.grab()));
        EXPECT_TRUE(game.running());
    }
}

TEST(ScaleE2e, AClickPicksThePieceDrawnOnThatScreenPixelAlsoTurnedAtItsEdge) {
    const int sw = 1920, sh = 1080;
    e2e::Session game(full_screen_on(sw, sh));
    e2e::ScaledBoard view(800, 600, sw, sh);
    open_saved_game(game, view, sw, sh);
    ASSERT_TRUE(game.wait_until_still(20000));
    struct Case {
        int piece;
        uint32_t colour;
        int dx, dy;  // the way from its centre to the edge tried
        int drag;    // how far down (up when negative) the pick carries it
    };
    // The right and left edges of the unturned piece, the bottom, right and
    // left ones of the turned; each pick carries the piece 60 pixels down
    // or back up, so the pieces stay clear of the others.
    int px[3] = {0, P1_X, P2_X}, py[3] = {0, P1_Y, P2_Y};
    for (const Case& c : {Case{2, BLUE, 1, 0, 60}, Case{2, BLUE, -1, 0, -60}, Case{1, RED, 0, 1, 60},
                          Case{1, RED, 1, 0, -60}, Case{1, RED, -1, 0, 60}}) {
        SCOPED_TRACE(std::to_string(c.piece) + " towards " + std::to_string(c.dx) + "," + std::to_string(c.dy));
        const int x = px[c.piece], y = py[c.piece];
        // The edge as drawn: the last board pixel that way whose screen
        // pixel shows more of the piece than of the background.
        e2e::Shot shot = game.grab();
        auto shows_piece = [&](int k) {
            uint32_t p = view.at(shot, x + c.dx * k, y + c.dy * k);
            return distance(p, c.colour) < distance(p, BACKGROUND);
        };
        int k = 0;
        while (k < SIDE && shows_piece(k + 1)) k++;
        EXPECT_GE(k, SIDE / 2 - 1);
        EXPECT_LE(k, SIDE / 2);
        int ex = x + c.dx * k, ey = y + c.dy * k;
        // One pixel past the edge a click picks nothing: the click there
        // and the one where the drag ends leave the piece where it is.
        view.click(game, ex + c.dx, ey + c.dy);
        view.click(game, ex + c.dx, ey + c.dy + c.drag);
        std::vector<int> saved = support::save_and_read_reserved(game, PIECES);
        ASSERT_EQ(saved.size(), 7u * PIECES + 5);
        EXPECT_EQ(saved_piece(saved, c.piece).x, x);
        EXPECT_EQ(saved_piece(saved, c.piece).y, y) << "a click past the edge picked the piece";
        // On the edge pixel the click picks it; it goes where the drag ends.
        view.click(game, ex, ey);
        for (int step = 1; step <= 6; step++) {
            view.move(game, ex, ey + c.drag * step / 6);
            game.pause(40);  // input pacing: a hand's motion, not a wait
        }
        view.click(game, ex, ey + c.drag);
        std::vector<int> moved;
        e2e::poll_until(
            [&] {
                moved = support::save_and_read_reserved(game, PIECES);
                return saved_piece(moved, c.piece).y == y + c.drag;
            },
            10000, 100);
        EXPECT_EQ(saved_piece(moved, c.piece).x, x);
        ASSERT_EQ(saved_piece(moved, c.piece).y, y + c.drag) << "the edge pixel did not pick the piece";
        EXPECT_EQ(saved_piece(moved, 1).turns, 1);
        py[c.piece] = y + c.drag;
    }
}

TEST(ScaleE2e, HelpLinesAndTheBoxScreensTrayHitWhereTheyAreDrawn) {
    const int sw = 1920, sh = 1080;
    e2e::Session game(full_screen_on(sw, sh));
    e2e::ScaledBoard view(800, 600, sw, sh);
    open_saved_game(game, view, sw, sh);
    ASSERT_TRUE(game.wait_until_still(20000));
    std::string saved = game.game_dir + "/players/default/0000bexil.txt";
    std::filesystem::remove(saved);
    e2e::Shot before = game.grab();
    game.key("h");
    ASSERT_TRUE(game.wait_for_change(before, 10000)) << "no help page";
    // The S line of the board's help page (its 18th line, the second
    // column's third), as the 800x600 page places it.
    TPixmap* page = load_pixmap(game.game_dir + "/images/help0.png");
    ASSERT_NE(page, nullptr);
    int left = (800 - page->width) / 2, top = (600 - page->height) / 2;
    free_pixmap(page);
    int x = left + 327 + 150, y = top + 12 + 29 * 2 + 14;
    view.click(game, x, y);
    EXPECT_TRUE(game.wait_for_file(
        saved, [](const std::string&) { return true; }, 10000))
        << "the click on the S line did not save";

    // The box screen's tray holds the one interior piece in its first slot;
    // a click there puts it into box 1.
    game.key("b");
    ASSERT_TRUE(game.wait_for_screen(
        [&](const e2e::Shot& s) { return e2e::near_colour(view.at(s, 29, 106), GREEN, 8); }, 20000))
        << "no tray with the interior piece";
    view.click(game, 29, 106);
    game.key("j");
    std::vector<int> boxed;
    e2e::poll_until(
        [&] {
            boxed = support::save_and_read_reserved(game, PIECES);
            return boxed.size() == 7u * PIECES + 5 && boxed[7 * 4 + 6] == 1;
        },
        10000, 100);
    ASSERT_EQ(boxed.size(), 7u * PIECES + 5);
    EXPECT_EQ(boxed[7 * 4 + 6], 1) << "the click on the tray did not box piece 5";
}

TEST(ScaleE2e, FAndWNeverLeaveASmallWindowOnALargeScreen) {
    const int sw = 3840, sh = 2160;
    e2e::Session game(full_screen_on(sw, sh));
    e2e::ScaledBoard view(800, 600, sw, sh);
    open_saved_game(game, view, sw, sh);
    struct Step {
        const char* key;
        int width, height;  // the window after it
        bool full;
    };
    // Windows take the largest whole factor that fits: 3x the small
    // display, 2x the large one.
    for (const Step& step : {Step{"f", sw, sh, true}, Step{"w", 2048, 1536, false}, Step{"f", 2400, 1800, false},
                             Step{"w", sw, sh, true}}) {
        SCOPED_TRACE(step.key);
        game.key(step.key);
        unsigned long window = window_of_size(game, step.width, step.height);
        ASSERT_NE(window, 0u);
        EXPECT_EQ(covers_screen(game, window), step.full);
        ASSERT_TRUE(game.wait_for_focus(window, 10000));
    }
    EXPECT_TRUE(game.running());
}

}  // namespace
