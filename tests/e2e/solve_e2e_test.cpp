// A whole starter jigsaw solved as a player would, from a saved game the
// test writes (so every run plays the same layout): the saved game is
// resumed from the L browser, then every piece is picked up by a point no
// other piece covers, turned upright with right clicks, carried beside the
// pieces already placed and dropped, and each drop must join; the placed
// group is carried aside when it covers the next piece. The last drop
// completes the jigsaw and the flight plays. After every click the test
// saves (S) and reads the game back, so it never acts before the game has.
// And a jigsaw of twelve squares solved with keys alone, no pointer event
// sent: the keypad steps the game's pointer onto each piece, picks it,
// turns it upright, carries it home and drops it, until the whole jigsaw
// flies home.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "media/draw/draw.h"
#include "tests/e2e/harness.h"
#include "tests/support/e2e_setup.h"
#include "tests/support/jigsaw_files.h"

namespace fs = std::filesystem;

namespace {

const char* const title = support::GAME_TITLE;
const char* starter = "sunflower";  // the smallest of the starter library, 3 x 4
const std::string prefer = support::Preferences().text();

struct Saved {
    int x, y, a, visible, gp;
};

struct Board {
    std::vector<Saved> pieces;  // 1..count
    std::vector<int> order;     // drawing order, bottom to top
};

const char* saved_name = "0000bexil";  // the starter stands in for the reserved jigsaw

// Presses S and reads the saved game afresh. The save is also the test's
// way to wait for the game: it is written after every earlier event.
bool save_and_read(e2e::Session& game, int count, Board* board) {
    std::vector<int> v = support::save_and_read_reserved(game, count, 30000);
    if (v.empty()) return false;
    board->pieces.assign(count + 1, Saved());
    board->order.assign(count + 1, 0);
    for (int i = 1; i <= count; i++) {
        size_t b = static_cast<size_t>(7 * (i - 1));
        board->pieces[i] = {v[b], v[b + 1], v[b + 2], v[b + 3], v[b + 4]};
        board->order[i] = v[b + 5];
    }
    return true;
}

// The layout the test starts from: every piece loose, turned and spread
// over the board by a fixed sequence, drawn in number order.
std::vector<Saved> start_layout(int count) {
    std::vector<Saved> layout(count + 1, Saved());
    unsigned state = 12345;
    auto next = [&state](int range) {
        state = state * 1103515245u + 12345u;
        return static_cast<int>((state >> 16) % static_cast<unsigned>(range));
    };
    for (int i = 1; i <= count; i++) layout[i] = {130 + next(540), 110 + next(380), next(4), 1, 0};
    return layout;
}

void write_saved_game(const std::string& game_dir, const std::vector<Saved>& layout) {
    std::vector<support::SavedPiece> pieces;
    for (size_t i = 1; i < layout.size(); i++) {
        const Saved& p = layout[i];
        pieces.push_back({p.x, p.y, p.a, p.visible, p.gp, static_cast<int>(i), 0});
    }
    support::write_saved_game(game_dir + "/players/default/", saved_name, support::saved_game_text(pieces, 30, 70, 40),
                              0xFFC08020);
}

bool beside_placed(int i, int rows, int columns, const std::vector<bool>& placed) {
    int r = (i - 1) / columns, c = (i - 1) % columns;
    return (r > 0 && placed[i - columns]) || (r + 1 < rows && placed[i + columns]) || (c > 0 && placed[i - 1]) ||
           (c + 1 < columns && placed[i + 1]);
}

// Whether board point (bx, by) is on an opaque pixel of piece q as it lies.
bool covers(const TPixmap* image, const Saved& q, int bx, int by) {
    int dx = bx - q.x, dy = by - q.y, du = dx, dv = dy;
    // Undo q's quarter turns clockwise.
    for (int t = 0; t < q.a % 4; t++) {
        int u = dv, v = -du;
        du = u;
        dv = v;
    }
    int u = du + image->width / 2, v = dv + image->height / 2;
    if (u < 0 || v < 0 || u >= image->width || v >= image->height) return false;
    return (read_pixel(image, u, v) >> 24) >= 128;
}

// A board point on piece p that no shown piece drawn above it covers,
// nearest to p's centre, at least 3 pixels inside its outline; false if none.
bool free_point(const Board& board, const std::vector<TPixmap*>& images, int p, int* px, int* py, int stride = 3) {
    int rank = 0;
    for (size_t k = 1; k < board.order.size(); k++)
        if (board.order[k] == p) rank = static_cast<int>(k);
    const Saved& me = board.pieces[p];
    int best = -1;
    for (int dy = -120; dy <= 120; dy += stride) {
        for (int dx = -150; dx <= 150; dx += stride) {
            int bx = me.x + dx, by = me.y + dy;
            if (bx < 4 || by < 4 || bx > 795 || by > 595) continue;
            bool solid = true;
            for (int ex = -3; ex <= 3 && solid; ex += 3)
                for (int ey = -3; ey <= 3 && solid; ey += 3) solid = covers(images[p], me, bx + ex, by + ey);
            if (!solid) continue;
            bool hidden = false;
            for (size_t k = rank + 1; k < board.order.size() && !hidden; k++) {
                int q = board.order[k];
                if (q >= 1 && q < static_cast<int>(images.size()) && board.pieces[q].visible)
                    for (int ex = -3; ex <= 3 && !hidden; ex += 3)
                        for (int ey = -3; ey <= 3 && !hidden; ey += 3)
                            hidden = covers(images[q], board.pieces[q], bx + ex, by + ey);
            }
            if (hidden) continue;
            int d = dx * dx + dy * dy;
            if (best < 0 || d < best) {
                best = d;
                *px = bx;
                *py = by;
            }
        }
    }
    return best >= 0;
}

// The board after the placed group is carried by (dx, dy): carried pieces
// are drawn on top of the others.
Board carried(const Board& board, const std::vector<bool>& placed, int dx, int dy) {
    Board after = board;
    std::vector<int> order(1, 0);
    for (size_t k = 1; k < board.order.size(); k++)
        if (board.order[k] >= 1 && !placed[board.order[k]]) order.push_back(board.order[k]);
    for (size_t k = 1; k < board.order.size(); k++)
        if (board.order[k] >= 1 && placed[board.order[k]]) order.push_back(board.order[k]);
    after.order = order;
    for (size_t q = 1; q < placed.size(); q++) {
        if (!placed[q]) continue;
        after.pieces[q].x += dx;
        after.pieces[q].y += dy;
    }
    return after;
}

TEST(SolveE2e, AStarterJigsawIsSolvedPieceByPieceAndCompletes) {
    e2e::GameOptions options;
    options.prefer = prefer;
    const int count = 12;
    const std::vector<Saved> layout = start_layout(count);
    // The starter jigsaw stands in for the opening one, so the game opens
    // on it, and its saved game is the one the L browser offers.
    options.prepare = [&layout](const std::string& game_dir) {
        support::use_starter_as_reserved(game_dir, starter);
        write_saved_game(game_dir, layout);
    };
    e2e::Session game(options);
    ASSERT_TRUE(game.ok()) << game.error;
    ASSERT_NE(game.wait_for_window(title, 20000), 0u);
    const std::string dir = game.game_dir + "/jigsaws/" + saved_name + "/";
    std::vector<int> homes = e2e::read_numbers(dir + "pieces.txt");
    ASSERT_GE(homes.size(), 4u);
    const int rows = homes[0], columns = homes[1];
    ASSERT_EQ(rows * columns, count);
    std::vector<TPixmap*> images(count + 1, nullptr);
    for (int i = 1; i <= count; i++) {
        images[i] = load_pixmap(dir + std::to_string(i) + ".png");
        ASSERT_NE(images[i], nullptr);
    }
    auto home_x = [&](int i) { return homes[4 + 2 * (i - 1)]; };
    auto home_y = [&](int i) { return homes[5 + 2 * (i - 1)]; };

    // The opening flight shows the board's colour between the pieces; a
    // click cuts it short, and the board then stands still.
    const uint32_t board_colour = 0x1E4628;
    ASSERT_TRUE(game.wait_for_screen(
        [&](const e2e::Shot& s) {
            for (size_t k = 0; k < s.pixels.size(); k += 97)
                if (s.pixels[k] == board_colour) return true;
            return false;
        },
        30000))
        << "the opening flight never showed";
    game.click(790, 590);
    ASSERT_TRUE(game.wait_until_still(30000)) << "the board never stood still after the opening";

    // L, then the saved game's thumbnail: the known layout is resumed.
    const uint32_t browser = 0xE0FFFF;
    game.key("l");
    ASSERT_TRUE(game.wait_for_screen(
        [&](const e2e::Shot& s) {
            return s.at(400, 592) == browser && s.at(4, 300) == browser && s.at(8 + 96, 66 + 72) != browser;
        },
        30000))
        << "the saved-game browser never showed";
    game.click(8 + 96, 66 + 72);
    Board board;
    ASSERT_TRUE(save_and_read(game, count, &board));
    for (int i = 1; i <= count; i++) {
        ASSERT_EQ(board.pieces[i].x, layout[i].x) << "piece " << i << " was not resumed";
        ASSERT_EQ(board.pieces[i].y, layout[i].y) << "piece " << i;
        ASSERT_EQ(board.pieces[i].a, layout[i].a) << "piece " << i;
        ASSERT_EQ(board.pieces[i].gp, 0) << "piece " << i;
    }

    // The placed pieces form one group, which may be carried aside to
    // uncover the pieces beneath it; offset is where it lies from home.
    std::vector<bool> placed(count + 1, false);
    int moves = 0;
    for (int step = 1; step <= count;) {
        int offset_x = 0, offset_y = 0;
        for (int q = 1; q <= count; q++) {
            if (placed[q]) {
                offset_x = board.pieces[q].x - home_x(q);
                offset_y = board.pieces[q].y - home_y(q);
                break;
            }
        }
        // Next: a piece beside one already placed (so that it joins), that
        // can be taken by some uncovered point; the first is any piece.
        int p = 0, px = 0, py = 0;
        for (int i = 1; i <= count && !p; i++) {
            if (placed[i]) continue;
            if ((step == 1 || beside_placed(i, rows, columns, placed)) && free_point(board, images, i, &px, &py)) p = i;
        }
        const int drop_x = p ? home_x(p) + offset_x + (px - board.pieces[p].x) : 0;
        const int drop_y = p ? home_y(p) + offset_y + (py - board.pieces[p].y) : 0;
        if (!p || drop_x < 2 || drop_y < 2 || drop_x > 797 || drop_y > 597) {
            // Every candidate is covered, or its place lies off the window:
            // carry the group where a candidate is free and its place inside.
            ASSERT_LT(++moves, 20) << "the group never uncovered a piece at step " << step;
            int q = 0, gx = 0, gy = 0;
            for (int i = 1; i <= count && !q; i++)
                if (placed[i] && free_point(board, images, i, &gx, &gy)) q = i;
            ASSERT_NE(q, 0) << "the group cannot be taken at step " << step;
            int to_x = -1, to_y = -1;
            for (int reach = 100; reach <= 700 && to_x < 0; reach += 100) {
                for (int sx = -1; sx <= 1 && to_x < 0; sx++) {
                    for (int sy = -1; sy <= 1 && to_x < 0; sy++) {
                        int tx = std::min(795, std::max(4, gx + sx * reach));
                        int ty = std::min(595, std::max(4, gy + sy * reach));
                        if (tx == gx && ty == gy) continue;
                        Board after = carried(board, placed, tx - gx, ty - gy);
                        for (int i = 1; i <= count && to_x < 0; i++) {
                            if (placed[i] || !beside_placed(i, rows, columns, placed)) continue;
                            int cx = 0, cy = 0;
                            if (!free_point(after, images, i, &cx, &cy, 6)) continue;
                            int ex = home_x(i) + offset_x + (tx - gx) + (cx - board.pieces[i].x);
                            int ey = home_y(i) + offset_y + (ty - gy) + (cy - board.pieces[i].y);
                            if (ex >= 2 && ey >= 2 && ex <= 797 && ey <= 597) {
                                to_x = tx;
                                to_y = ty;
                            }
                        }
                    }
                }
            }
            ASSERT_GE(to_x, 0) << "no place for the group uncovers a piece at step " << step;
            Board before = board;
            game.click(gx, gy);
            ASSERT_TRUE(save_and_read(game, count, &board));
            ASSERT_TRUE(placed[board.order[count]]) << "the group was not picked up at step " << step;
            game.move(to_x, to_y);
            game.click(to_x, to_y);
            ASSERT_TRUE(save_and_read(game, count, &board));
            for (int i = 1; i <= count; i++) {
                if (!placed[i]) continue;
                ASSERT_EQ(board.pieces[i].x, before.pieces[i].x + to_x - gx) << "piece " << i << " at step " << step;
                ASSERT_EQ(board.pieces[i].y, before.pieces[i].y + to_y - gy) << "piece " << i << " at step " << step;
            }
            continue;
        }
        const Saved me = board.pieces[p];
        game.click(px, py);  // picked up; the grab offset is kept while carried
        ASSERT_TRUE(save_and_read(game, count, &board));
        ASSERT_EQ(board.order[count], p) << "piece " << p << " was not picked up at step " << step;
        for (int turns = (4 - me.a) % 4; turns > 0; turns--) game.click(px, py, 3);
        ASSERT_TRUE(save_and_read(game, count, &board));
        ASSERT_EQ(board.pieces[p].a, 0) << "piece " << p << " was not turned upright at step " << step;
        game.move(drop_x, drop_y);
        game.click(drop_x, drop_y);
        ASSERT_TRUE(save_and_read(game, count, &board));
        placed[p] = true;
        // The last drop completes the jigsaw, which is dealt again for the
        // flight: the check below is the completion's.
        if (step == count) break;
        // Dropped where it was carried; from the second piece on it joins
        // the placed group, which takes its number.
        EXPECT_EQ(board.pieces[p].x, home_x(p) + offset_x) << "piece " << p << " at step " << step;
        EXPECT_EQ(board.pieces[p].y, home_y(p) + offset_y) << "piece " << p << " at step " << step;
        if (step > 1) {
            ASSERT_NE(board.pieces[p].gp, 0) << "piece " << p << " did not join at step " << step;
            for (int q = 1; q <= count; q++) {
                if (!placed[q]) continue;
                ASSERT_EQ(board.pieces[q].gp, board.pieces[p].gp) << "piece " << q << " at step " << step;
            }
        }
        step++;
    }

    // The completion flight plays and ends with every piece home, upright,
    // in group 1 (its last frame groups them all).
    bool read = true;
    e2e::poll_until(
        [&] {
            read = save_and_read(game, count, &board);
            bool home = read;
            for (int i = 1; i <= count && home; i++)
                home = board.pieces[i].gp == 1 && board.pieces[i].a == 0 && board.pieces[i].x == home_x(i) &&
                       board.pieces[i].y == home_y(i);
            return home;
        },
        30000, 500, [&] { return !read; });
    ASSERT_TRUE(read) << "the game was not saved";
    for (int i = 1; i <= count; i++) {
        EXPECT_EQ(board.pieces[i].a, 0) << "piece " << i;
        EXPECT_EQ(board.pieces[i].gp, 1) << "piece " << i;
        EXPECT_EQ(board.pieces[i].x, home_x(i)) << "piece " << i;
        EXPECT_EQ(board.pieces[i].y, home_y(i)) << "piece " << i;
    }
    if (const char* shots = std::getenv("TESSELLON_E2E_SHOTS")) game.grab().save_png(shots);
    EXPECT_TRUE(game.running());
    for (TPixmap* image : images) free_pixmap(image);
}

// --- by keys alone ------------------------------------------------------------

const int SQUARE = 50;                         // the squares' side
const int ROWS = 3, COLUMNS = 4;               // twelve pieces
const int HOME_X = 325, HOME_Y = 250;          // piece 1's home; the rest SQUARE apart
const uint32_t SQUARES_BACKGROUND = 0x0A141E;  // the board's colour

// Twelve colours apart from each other, the board's and the pointer's.
uint32_t square_colour(int i) {
    static const uint32_t colours[12] = {0xE02020, 0x20E020, 0x2020E0, 0xE0E020, 0xE020E0, 0x20E0E0,
                                         0xE08020, 0x8020E0, 0x20E080, 0xC06080, 0x806040, 0x60A0F0};
    return i >= 1 && i <= 12 ? colours[i - 1] : 0;
}

// The squares' start: six above and six below the homes, far apart and
// shuffled so that no piece lies beside its neighbour, turned 0 to 3.
std::vector<Saved> squares_layout() {
    const int slots[12] = {7, 2, 10, 5, 0, 8, 3, 11, 6, 1, 9, 4};
    std::vector<Saved> layout(ROWS * COLUMNS + 1, Saved());
    for (int i = 1; i <= ROWS * COLUMNS; i++) {
        int slot = slots[i - 1];
        layout[i] = {90 + 120 * (slot % 6), slot < 6 ? 80 : 520, (i * 3) % 4, 1, 0};
    }
    return layout;
}

void prepare_squares(const std::string& game_dir) {
    support::JigsawFiles jigsaw;
    jigsaw.rows = ROWS;
    jigsaw.columns = COLUMNS;
    jigsaw.homes = support::grid_homes(ROWS, COLUMNS, HOME_X, HOME_Y, SQUARE);
    jigsaw.background = {10, 20, 30};
    jigsaw.side = SQUARE;
    jigsaw.piece_colour = [](int i) { return 0xFF000000u | square_colour(i); };
    support::replace_reserved_jigsaw(game_dir, jigsaw);
    std::vector<support::SavedPiece> pieces;
    const std::vector<Saved> layout = squares_layout();
    for (int i = 1; i <= ROWS * COLUMNS; i++) pieces.push_back({layout[i].x, layout[i].y, layout[i].a, 1, 0, i, 0});
    support::write_reserved_saved_game(game_dir, pieces, 10, 20, 30);
}

// Each square shows its colour around its home (away from the pointer's
// arrow, which hangs below and right of its tip), the board beside the jigsaw.
bool squares_home(const e2e::Shot& s) {
    for (int i = 1; i <= ROWS * COLUMNS; i++) {
        int x = HOME_X + SQUARE * ((i - 1) % COLUMNS), y = HOME_Y + SQUARE * ((i - 1) / COLUMNS);
        if (s.at(x - 15, y - 15) != square_colour(i) || s.at(x - 24, y + 20) != square_colour(i)) return false;
    }
    return s.at(HOME_X - SQUARE / 2 - 1, HOME_Y) == SQUARES_BACKGROUND &&
           s.at(HOME_X + SQUARE * COLUMNS - SQUARE / 2, HOME_Y) == SQUARES_BACKGROUND &&
           s.at(HOME_X, HOME_Y - SQUARE / 2 - 1) == SQUARES_BACKGROUND;
}

TEST(SolveE2e, TwelveSquaresAreSolvedWithTheKeypadAloneFromATurnedLayout) {
    const int count = ROWS * COLUMNS;
    // Without the save message, which would cover the middle of the squares.
    e2e::GameOptions options = support::quiet_game(false, prepare_squares);
    support::Preferences no_message;
    no_message.save_message = 0;
    options.prefer = no_message.text();
    e2e::Session game(options);
    ASSERT_TRUE(game.ok()) << game.error;
    int started = e2e::now_ms();
    ASSERT_TRUE(support::open_first_saved_game(game, true));
    const std::vector<Saved> layout = squares_layout();
    Board board;
    ASSERT_TRUE(e2e::poll_until(
        [&] {
            if (!save_and_read(game, count, &board)) return false;
            for (int i = 1; i <= count; i++)
                if (board.pieces[i].x != layout[i].x || board.pieces[i].y != layout[i].y) return false;
            return true;
        },
        10000, 100))
        << "the saved layout was not resumed";
    for (int i = 1; i <= count; i++) ASSERT_EQ(board.pieces[i].a, layout[i].a) << "piece " << i;

    // Row by row, so that each piece but the first has a placed neighbour.
    for (int p = 1; p <= count; p++) {
        SCOPED_TRACE("piece " + std::to_string(p));
        const Saved me = board.pieces[p];
        ASSERT_TRUE(support::keypad_pointer_to(game, me.x, me.y));
        int grab_x = 0, grab_y = 0;
        ASSERT_TRUE(game.pointer(&grab_x, &grab_y));
        game.key(support::keypad_key(0, 0));  // picked up
        for (int turns = (4 - me.a) % 4; turns > 0; turns--) game.key("KP_Delete");
        // Held and upright; a turn the game took for a key's repeat (a
        // busy X server can stamp two presses alike) is pressed again.
        ASSERT_TRUE(save_and_read(game, count, &board));
        ASSERT_EQ(board.order[count], p) << "not picked up";
        for (int again = 0; again < 3 && board.pieces[p].a != 0; again++) {
            game.key("KP_Delete");
            ASSERT_TRUE(save_and_read(game, count, &board));
        }
        ASSERT_EQ(board.pieces[p].a, 0) << "not turned upright";
        // Where the placed group lies from its homes; the first piece goes home.
        int off_x = 0, off_y = 0;
        if (p > 1) {
            off_x = board.pieces[1].x - HOME_X;
            off_y = board.pieces[1].y - HOME_Y;
        }
        const int to_x = HOME_X + SQUARE * ((p - 1) % COLUMNS) + off_x;
        const int to_y = HOME_Y + SQUARE * ((p - 1) / COLUMNS) + off_y;
        ASSERT_TRUE(support::keypad_pointer_to(game, to_x + grab_x - me.x, to_y + grab_y - me.y));
        game.key(support::keypad_key(0, 0));  // put down
        ASSERT_TRUE(save_and_read(game, count, &board));
        // The last drop finishes the jigsaw, which is dealt again for the
        // flight: the check below is the completion's.
        if (p == count) break;
        EXPECT_EQ(board.pieces[p].a, 0);
        EXPECT_LE(std::abs(board.pieces[p].x - to_x), 1);
        EXPECT_LE(std::abs(board.pieces[p].y - to_y), 1);
        if (p == 1) continue;
        ASSERT_NE(board.pieces[p].gp, 0) << "did not join";
        for (int q = 1; q < p; q++) {
            ASSERT_EQ(board.pieces[q].gp, board.pieces[p].gp) << "piece " << q;
            EXPECT_EQ(board.pieces[p].x - board.pieces[q].x, SQUARE * ((p - 1) % COLUMNS - (q - 1) % COLUMNS));
            EXPECT_EQ(board.pieces[p].y - board.pieces[q].y, SQUARE * ((p - 1) / COLUMNS - (q - 1) / COLUMNS));
        }
    }

    // Complete: the flight brings every square home, which the screen
    // shows, and its last frame puts them in group 1, upright.
    e2e::Shot shot;
    bool shown = game.wait_for_screen(squares_home, 30000, &shot);
    support::keep_shot(shot, "keys_solved");
    ASSERT_TRUE(shown) << "the finished jigsaw never showed at home";
    bool whole = e2e::poll_until(
        [&] {
            if (!save_and_read(game, count, &board)) return false;
            for (int i = 1; i <= count; i++)
                if (board.pieces[i].gp != 1 || board.pieces[i].a != 0) return false;
            return true;
        },
        30000, 200);
    ASSERT_TRUE(whole) << "the pieces never ended in one group";
    for (int i = 1; i <= count; i++) {
        EXPECT_EQ(board.pieces[i].x, HOME_X + SQUARE * ((i - 1) % COLUMNS)) << "piece " << i;
        EXPECT_EQ(board.pieces[i].y, HOME_Y + SQUARE * ((i - 1) / COLUMNS)) << "piece " << i;
    }
    EXPECT_TRUE(game.running());
    std::printf("solved by keys in %d ms\n", e2e::now_ms() - started);
}

}  // namespace
