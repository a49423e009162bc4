// A whole starter jigsaw solved as a player would: a fresh deal, the loose
// pieces tidied apart, then every piece turned upright with right clicks,
// picked up by its centre, carried to its home and dropped, with the
// grouped pieces hidden (G) while the next loose one is picked. The last
// drop completes the jigsaw and the flight plays.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "media/draw/draw.h"
#include "tests/e2e/harness.h"

namespace fs = std::filesystem;

namespace {

const char* title = "Tessellon v3.3";
const char* starter = "sunflower";  // the smallest of the starter library, 3 x 4
// A window, sound off, no help prompt.
const char* prefer = "0\r\n0\r\n0\r\n1\r\n0\r\n1\r\n0\r\n";

struct Saved {
    int x, y, a, visible, gp;
};

struct Board {
    std::vector<Saved> pieces;  // 1..count
    std::vector<int> order;     // drawing order, bottom to top
};

// Presses S and reads the saved game of the reserved jigsaw afresh.
bool save_and_read(e2e::Session& game, int count, Board* board) {
    std::string path = game.game_dir + "/players/default/0000bexil.txt";
    fs::remove(path);
    game.key("s");
    for (int waited = 0; waited < 10000; waited += 100) {
        std::vector<int> v = e2e::read_numbers(path);
        if (static_cast<int>(v.size()) == 7 * count + 5) {
            board->pieces.assign(count + 1, Saved());
            board->order.assign(count + 1, 0);
            for (int i = 1; i <= count; i++) {
                size_t b = static_cast<size_t>(7 * (i - 1));
                board->pieces[i] = {v[b], v[b + 1], v[b + 2], v[b + 3], v[b + 4]};
                board->order[i] = v[b + 5];
            }
            return true;
        }
        game.pause(100);
    }
    return false;
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
bool free_point(const Board& board, const std::vector<TPixmap*>& images, int p, int* px, int* py,
                int stride = 3) {
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
    // The starter jigsaw stands in for the opening one, so the game opens on it.
    options.prepare = [](const std::string& game_dir) {
        fs::path reserved = fs::path(game_dir) / "jigsaws" / "0000bexil";
        fs::remove_all(reserved);
        fs::copy(fs::path(game_dir) / "jigsaws" / starter, reserved, fs::copy_options::recursive);
    };
    e2e::Session game(options);
    ASSERT_TRUE(game.ok()) << game.error;
    ASSERT_NE(game.wait_for_window(title, 20000), 0u);
    const std::string dir = game.game_dir + "/jigsaws/0000bexil/";
    std::vector<int> homes = e2e::read_numbers(dir + "pieces.txt");
    ASSERT_GE(homes.size(), 4u);
    const int count = homes[0] * homes[1];
    ASSERT_EQ(count, 12);
    std::vector<TPixmap*> images(count + 1, nullptr);
    for (int i = 1; i <= count; i++) {
        images[i] = load_pixmap(dir + std::to_string(i) + ".png");
        ASSERT_NE(images[i], nullptr);
    }
    auto home_x = [&](int i) { return homes[4 + 2 * (i - 1)]; };
    auto home_y = [&](int i) { return homes[5 + 2 * (i - 1)]; };

    // Wait out the opening; a click cuts it short. Then a fresh deal
    // (restart, yes).
    game.pause(1500);
    game.click(790, 590);
    game.pause(1000);
    game.key("r");
    game.key("y");
    game.pause(1500);

    // The placed pieces form one group, which may be carried aside to
    // uncover the pieces beneath it; offset is where it lies from home.
    std::vector<bool> placed(count + 1, false);
    Board board;
    int moves = 0;
    for (int step = 1; step <= count;) {
        ASSERT_TRUE(save_and_read(game, count, &board));
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
            int r = (i - 1) / homes[1], c = (i - 1) % homes[1];
            bool beside = (r > 0 && placed[i - homes[1]]) || (r + 1 < homes[0] && placed[i + homes[1]]) ||
                          (c > 0 && placed[i - 1]) || (c + 1 < homes[1] && placed[i + 1]);
            if ((step == 1 || beside) && free_point(board, images, i, &px, &py)) p = i;
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
                            if (placed[i]) continue;
                            int cx = 0, cy = 0;
                            if (!free_point(after, images, i, &cx, &cy, 6)) continue;
                            int r = (i - 1) / homes[1], c = (i - 1) % homes[1];
                            bool beside = (r > 0 && placed[i - homes[1]]) ||
                                          (r + 1 < homes[0] && placed[i + homes[1]]) ||
                                          (c > 0 && placed[i - 1]) || (c + 1 < homes[1] && placed[i + 1]);
                            int ex = home_x(i) + offset_x + (tx - gx) + (cx - board.pieces[i].x);
                            int ey = home_y(i) + offset_y + (ty - gy) + (cy - board.pieces[i].y);
                            if (beside && ex >= 2 && ey >= 2 && ex <= 797 && ey <= 597) {
                                to_x = tx;
                                to_y = ty;
                            }
                        }
                    }
                }
            }
            ASSERT_GE(to_x, 0) << "no place for the group uncovers a piece at step " << step;
            game.click(gx, gy);
            game.move(to_x, to_y);
            game.pause(150);
            game.click(to_x, to_y);
            continue;
        }
        const Saved& me = board.pieces[p];
        game.click(px, py);  // picked up; the grab offset is kept while carried
        for (int turns = (4 - me.a) % 4; turns > 0; turns--) game.click(px, py, 3);
        game.move(drop_x, drop_y);
        game.pause(150);
        game.click(drop_x, drop_y);
        placed[p] = true;
        step++;
    }

    // The completion flight plays; afterwards the puzzle is one upright group.
    game.pause(6000);
    ASSERT_TRUE(save_and_read(game, count, &board));
    for (int i = 1; i <= count; i++) {
        EXPECT_EQ(board.pieces[i].a, 0) << "piece " << i;
        EXPECT_EQ(board.pieces[i].gp, board.pieces[1].gp) << "piece " << i;
        EXPECT_EQ(board.pieces[i].x, home_x(i)) << "piece " << i;
        EXPECT_EQ(board.pieces[i].y, home_y(i)) << "piece " << i;
    }
    EXPECT_NE(board.pieces[1].gp, 0);
    if (const char* shots = std::getenv("TESSELLON_E2E_SHOTS")) game.grab().save_png(shots);
    EXPECT_TRUE(game.running());
    for (TPixmap* image : images) free_pixmap(image);
}

}  // namespace
