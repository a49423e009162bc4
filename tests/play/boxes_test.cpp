// The boxes and the box screen: which pieces the tray takes, its rows and
// its corner stack, moving pieces between a box's strip and the tray,
// grouped pieces leaving the box lists, box lists rebuilt from a saved
// game, right-click turns, and keys 1..5 on the board through the loop.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "play_fixture.h"
#include "tests/library/storage_fixture.h"
#include "tests/shell/loop_fixture.h"

namespace {

struct Boxes : PlayFixture {
    void SetUp() override {
        PlayFixture::SetUp();
        ASSERT_NE(open_screen(800, 600, 0, 60, 0), nullptr);
        large_display = 0;
        current_box = 1;
        tray_count = tray_overflow = 0;
        screen_state = SCREEN_BOX;
        jigsaw_image = nullptr;
    }
    // Puts the pieces into box b's list, in that order.
    static void box_up(int b, std::initializer_list<int> members) {
        for (int p : members) {
            pieces[p].box = b;
            box_contents[b][++box_count[b]].n = p;
        }
    }
    static std::set<int> tray_pieces() {
        std::set<int> in;
        for (int j = 1; j <= tray_count; j++)
            if (tray[j].n > 0) in.insert(tray[j].n);
        return in;
    }
    static int slot_of(int p) {
        for (int j = 1; j <= tray_count; j++)
            if (tray[j].n == p) return j;
        return 0;
    }
};

// --- which pieces go where -------------------------------------------------

TEST_F(Boxes, TrayTakesOnlyLooseInteriorPiecesInNoBox) {
    make_grid(4, 4);  // interior: 6, 7, 10, 11
    group({6, 7}, 1, 6);
    box_up(2, {10});
    fill_tray();
    EXPECT_EQ(tray_count, 1);
    EXPECT_EQ(tray_pieces(), std::set<int>({11}));
    EXPECT_EQ(tray_overflow, 0);
}

TEST_F(Boxes, FillTrayShufflesTheOrder) {
    make_grid(12, 12);  // 100 interior pieces
    seed_random(7);
    fill_tray();
    ASSERT_EQ(tray_count, 100);
    int in_number_order = 0;
    for (int j = 2; j <= tray_count; j++) in_number_order += tray[j].n > tray[j - 1].n;
    EXPECT_LT(in_number_order, 90);
    EXPECT_EQ(tray_pieces().size(), 100u);  // each once
}

TEST_F(Boxes, GroupedPiecesLeaveTheCurrentBoxButKeepTheirBox) {
    make_grid(4, 4);
    box_up(1, {6, 7, 10, 11});
    group({7, 11}, 1, 7);  // joined after being boxed
    purge_grouped_from_box();
    ASSERT_EQ(box_count[1], 2);
    EXPECT_EQ(box_contents[1][1].n, 6);
    EXPECT_EQ(box_contents[1][2].n, 10);
    EXPECT_EQ(box_contents[1][3].n, 0);  // the old last entry is cleared
    EXPECT_EQ(pieces[7].box, 1);
    // Box 2 keeps a piece that joined a group until the box is shown.
    box_up(2, {5});
    group({5, 9}, 2, 5);
    EXPECT_EQ(box_count[2], 1);
    next_box();
    EXPECT_EQ(current_box, 2);
    EXPECT_EQ(box_count[2], 0);
}

TEST_F(Boxes, ShowCurrentBoxShowsOnlyItsLoosePieces) {
    make_grid(4, 4);
    box_up(3, {6, 7, 10});
    box_up(1, {11});
    group({7, 6}, 1, 6);
    for (int i = 1; i <= piece_count; i++) pieces[i].visible = 0;
    current_box = 3;
    show_current_box();
    EXPECT_EQ(pieces[10].visible, 1);
    EXPECT_EQ(pieces[6].visible + pieces[7].visible + pieces[11].visible, 0);
    EXPECT_EQ(box_shown[3], 1);
    EXPECT_EQ(box_shown[1], 0);
}

// --- the tray's layout -----------------------------------------------------

TEST_F(Boxes, TrayRowsAndTheCornerStackOnTheSmallDisplay) {
    // 230 interior pieces 40 wide: 18 to a row (a 19th would reach past
    // the right edge), nine rows fit, the other 68 are stacked in the corner.
    make_grid(12, 25);
    fill_tray();
    ASSERT_EQ(tray_count, 230);
    EXPECT_EQ(tray_overflow, 68);
    int in_rows = 0, stacked = 0;
    for (int j = 1; j <= tray_count; j++) {
        if (tray[j].x == 771 && tray[j].y == 571)
            stacked++;
        else if (tray[j].y <= 571 && (tray[j].x - 29) % 42 == 0 && (tray[j].y - 106) % 58 == 0)
            in_rows++;
    }
    EXPECT_EQ(in_rows, 162);
    EXPECT_EQ(stacked, 68);
    EXPECT_EQ(tray[18].x, 29 + 17 * 42);  // the last of the first row
    EXPECT_EQ(tray[19].x, 29);
    EXPECT_EQ(tray[19].y, 164);
}

TEST_F(Boxes, RelayoutLetsFurtherSlotsRunBelowTheTray) {
    make_grid(12, 25);
    fill_tray();
    tray_overflow = 7;
    relayout_tray();
    EXPECT_EQ(tray[162].y, 570);
    EXPECT_EQ(tray[163].x, 29);
    EXPECT_EQ(tray[163].y, 686);  // one row below the last, and once more
    EXPECT_EQ(tray[164].x, 71);
    EXPECT_EQ(tray[164].y, 744);
    EXPECT_EQ(tray_overflow, 7);  // untouched: nothing is stacked
}

TEST_F(Boxes, TrayRowsFollowTheLargeDisplay) {
    ASSERT_NE(open_screen(1024, 768, 0, 60, 0), nullptr);
    large_display = 1;
    make_grid(12, 25);
    fill_tray();
    // 24 to a row of 1024 and eleven rows down to 739: all 230 fit.
    EXPECT_EQ(tray[24].x, 29 + 23 * 42);
    EXPECT_EQ(tray[25].x, 29);
    EXPECT_EQ(tray[25].y, 164);
    EXPECT_EQ(tray[230].y, 106 + 9 * 58);
    EXPECT_EQ(tray_overflow, 0);
}

// --- pieces larger than a cell ----------------------------------------------

// The starter library's jigsaws, as the build makes them.
std::vector<std::string> starter_names() {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(TEST_GAME_DIR) + "/jigsaws", ec))
        if (entry.is_directory()) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

struct BigPieces : Boxes {
    // The grid of a starter jigsaw with its real interior piece images (the
    // tray takes no others), each turned as i % 4.
    bool load_starter(const std::string& name) {
        std::string dir = std::string(TEST_GAME_DIR) + "/jigsaws/" + name + "/";
        std::ifstream in(dir + "pieces.txt");
        int r = 0, c = 0;
        in >> r >> c;
        if (r < 3 || c < 3 || r * c > MAX_PIECES) return false;
        make_grid(r, c);
        for (int i = 1; i <= piece_count; i++) {
            if (pieces[i].edge) continue;
            free_image(pieces[i].img);
            pieces[i].img = load_image(dir + std::to_string(i) + ".png", -1);
            if (!pieces[i].img) return false;
            centre_image_handle(pieces[i].img);
            pieces[i].wd = image_width(pieces[i].img);
            pieces[i].ht = image_height(pieces[i].img);
            pieces[i].a = i % 4;
        }
        return true;
    }

    // A display point over an opaque pixel of slot j's piece as drawn:
    // the opaque pixel farthest from the centre whose whole neighbourhood
    // (wide enough for the pointer's step at this scale) is opaque, carried
    // through the scale and the turn.
    static bool solid_point(int j, int* px, int* py) {
        const piece_type& pc = pieces[tray[j].n];
        TPixmap* pm = lock_image(pc.img, 0, true, false);
        float s = box_piece_scale(tray[j].n);
        int r = static_cast<int>(std::ceil(2.0f / s)) + 2;
        auto solid = [&](int x, int y) { return (read_pixel(pm, x, y) >> 24) >= 128; };
        int best = -1, bx = 0, by = 0;
        for (int y = r; y < pm->height - r; y += 2)
            for (int x = r; x < pm->width - r; x += 2) {
                bool deep = true;
                for (int k = -r; k <= r && deep; k += 2)
                    deep = solid(x + k, y - r) && solid(x + k, y + r) && solid(x - r, y + k) && solid(x + r, y + k) &&
                           solid(x + k, y);
                int d = (x - pm->width / 2) * (x - pm->width / 2) + (y - pm->height / 2) * (y - pm->height / 2);
                if (deep && d > best) best = d, bx = x, by = y;
            }
        if (best < 0) return false;
        int tx, ty;
        turn_offset(pc.a, bx - pm->width / 2, by - pm->height / 2, &tx, &ty);
        *px = tray[j].x + static_cast<int>(std::lround(tx * s));
        *py = tray[j].y + static_cast<int>(std::lround(ty * s));
        return true;
    }

    // Slots laid out in rows, not stacked in the corner.
    static bool in_rows(int j) { return tray[j].x != display_width() - 29 || tray[j].y != display_height() - 29; }
};

TEST_F(BigPieces, ACellScalesOnlyPiecesLargerThanItAndKeepsTheirShape) {
    make_grid(3, 3);
    pieces[5].wd = pieces[5].ht = BOX_CELL;
    EXPECT_EQ(box_piece_scale(5), 1.0f);  // never scaled up
    EXPECT_EQ(box_piece_side(5), BOX_CELL);
    pieces[5].wd = 30;
    pieces[5].ht = 2 * BOX_CELL;
    EXPECT_FLOAT_EQ(box_piece_scale(5), 0.5f);  // by the longer side
    EXPECT_EQ(box_piece_side(5), BOX_CELL);
    pieces[5].wd = 20;
    pieces[5].ht = 10;
    EXPECT_EQ(box_piece_side(5), 20);
}

TEST_F(BigPieces, AWidePieceIsDrawnAndPickedAtItsScaledShape) {
    make_grid(3, 3);
    free_image(pieces[5].img);
    pieces[5].img = support::solid_image(4 * BOX_CELL, 2 * BOX_CELL, 0xFF30C060);  // drawn 56 x 28
    centre_image_handle(pieces[5].img);
    pieces[5].wd = 4 * BOX_CELL;
    pieces[5].ht = 2 * BOX_CELL;
    fill_tray();
    ASSERT_EQ(tray_count, 1);
    int x = tray[1].x, y = tray[1].y;
    bg_red = bg_green = bg_blue = 0;
    draw_box_screen();
    TPixmap* screen = null_back_buffer();
    ASSERT_NE(screen, nullptr);
    int lit = 0, outside = 0;
    for (int py = 77; py < 600; py++)
        for (int px = 0; px < 800; px++) {
            if ((read_pixel(screen, px, py) & 0xFFFFFF) == 0) continue;
            lit++;
            outside += px < x - 28 || px >= x + 28 || py < y - 14 || py >= y + 14;
        }
    EXPECT_NEAR(lit, 56 * 28, 56 + 28);
    EXPECT_EQ(outside, 0);

    // Inside the drawn shape it is taken; beyond it, where the piece at
    // its own size would reach, the click finds nothing.
    mouse_at(x, y + 20);
    EXPECT_FALSE(box_screen_click());
    mouse_at(x - 40, y);
    EXPECT_FALSE(box_screen_click());
    pieces[5].a = 1;  // turned: 28 wide, 56 tall
    mouse_at(x + 20, y);
    EXPECT_FALSE(box_screen_click());
    mouse_at(x - 2, y + 24);
    EXPECT_TRUE(box_screen_click());
    EXPECT_EQ(pieces[5].box, 1);

    // In the strip as well.
    draw_box_screen();
    ASSERT_EQ(box_contents[1][1].x, 105);
    mouse_at(105 + 24, 40);
    EXPECT_FALSE(box_screen_click());
    mouse_at(105 + 10, 40 - 24);
    EXPECT_TRUE(box_screen_click());
    EXPECT_EQ(pieces[5].box, 0);
}

TEST_F(BigPieces, SmallPiecesAreDrawnAtTheirOwnSize) {
    make_grid(3, 3);  // one interior piece, 40 x 40
    fill_tray();
    bg_red = bg_green = bg_blue = 0;
    draw_box_screen();
    TPixmap* screen = null_back_buffer();
    ASSERT_NE(screen, nullptr);
    int lit = 0;
    for (int py = 77; py < 600; py++)
        for (int px = 0; px < 800; px++) lit += (read_pixel(screen, px, py) & 0xFFFFFF) != 0;
    EXPECT_EQ(lit, 40 * 40);
    EXPECT_EQ(read_pixel(screen, 29 - 20, 106 - 20) & 0xFFFFFF, 0x808080u);
    EXPECT_EQ(read_pixel(screen, 29 + 19, 106 + 19) & 0xFFFFFF, 0x808080u);
}

TEST_F(BigPieces, StarterJigsawTrayPiecesKeepToTheirOwnCells) {
    std::vector<std::string> names = starter_names();
    ASSERT_GE(names.size(), 10u);
    for (bool large : {false, true}) {
        ASSERT_NE(open_screen(large ? 1024 : 800, large ? 768 : 600, 0, 60, 0), nullptr);
        large_display = large;
        int w = display_width(), h = display_height();
        for (const std::string& name : names) {
            SCOPED_TRACE(name + (large ? " at 1024x768" : " at 800x600"));
            ASSERT_TRUE(load_starter(name));
            fill_tray();
            ASSERT_GT(tray_count, 0);
            for (int j = 1; j <= tray_count; j++) {
                int half = box_piece_side(tray[j].n) / 2;
                EXPECT_LE(half, BOX_CELL / 2);
                EXPECT_GE(tray[j].x - half, 0) << j;
                EXPECT_LE(tray[j].x + half, w) << j;
                EXPECT_GE(tray[j].y - half, 77) << j;
                EXPECT_LE(tray[j].y + half, h) << j;
                for (int k = 1; k < j; k++) {
                    if (!in_rows(j) || !in_rows(k)) continue;
                    int reach = (box_piece_side(tray[j].n) + box_piece_side(tray[k].n)) / 2;
                    bool apart = std::abs(tray[j].x - tray[k].x) >= reach || std::abs(tray[j].y - tray[k].y) >= reach;
                    EXPECT_TRUE(apart) << j << " and " << k;
                }
            }
            // What is drawn stays inside the cells (the corner, with its
            // count, aside).
            bg_red = 1, bg_green = 2, bg_blue = 3;
            draw_box_screen();
            TPixmap* screen = null_back_buffer();
            ASSERT_NE(screen, nullptr);
            int stray = 0;
            for (int py = 77; py < h; py++)
                for (int px = 0; px < w; px++) {
                    if ((read_pixel(screen, px, py) & 0xFFFFFF) == 0x010203) continue;
                    if (tray_overflow > 0 && px >= w - 80 && py >= h - 80) continue;
                    bool in_a_cell = false;
                    for (int j = 1; j <= tray_count && !in_a_cell; j++) {
                        int half = box_piece_side(tray[j].n) / 2 + 1;
                        in_a_cell = std::abs(px - tray[j].x) <= half && std::abs(py - tray[j].y) <= half;
                    }
                    stray += !in_a_cell;
                }
            EXPECT_EQ(stray, 0);
        }
    }
}

TEST_F(BigPieces, AClickOnEachStarterPieceTakesThatPiece) {
    for (bool large : {false, true}) {
        ASSERT_NE(open_screen(large ? 1024 : 800, large ? 768 : 600, 0, 60, 0), nullptr);
        large_display = large;
        for (const std::string& name : starter_names()) {
            SCOPED_TRACE(name + (large ? " at 1024x768" : " at 800x600"));
            ASSERT_TRUE(load_starter(name));
            for (int b = 1; b <= BOX_COUNT; b++) box_count[b] = 0;
            fill_tray();
            // Slots in rows, then the top of the corner stack (the last
            // slot, which the test from the last slot down meets first).
            std::vector<int> order;
            for (int j = 1; j <= tray_count; j++)
                if (in_rows(j)) order.push_back(j);
            if (tray_overflow > 0) order.push_back(tray_count);
            int taken = 0;
            for (int j : order) {
                int p = tray[j].n, x, y;
                ASSERT_TRUE(solid_point(j, &x, &y)) << p;
                mouse_at(x, y);
                ASSERT_TRUE(box_screen_click()) << "slot " << j << " piece " << p << " at " << x << "," << y;
                taken++;
                ASSERT_EQ(box_count[1], taken);
                EXPECT_EQ(box_contents[1][taken].n, p) << "slot " << j;
                EXPECT_EQ(tray[j].n, 0);
            }
        }
    }
}

TEST_F(BigPieces, APieceTakenOutSkipsAFreeSlotTooSmallForIt) {
    make_grid(4, 4);  // interior 6, 7, 10, 11, 40 wide
    seed_random(3);
    fill_tray();
    pieces[11].wd = 90;  // will take a whole cell
    int j = slot_of(6);
    mouse_at(tray[j].x, tray[j].y);
    ASSERT_TRUE(box_screen_click());  // 6 into box 1
    int k = slot_of(11);
    mouse_at(tray[k].x, tray[k].y);
    ASSERT_TRUE(box_screen_click());  // 11 into box 1, after 6
    // Two free slots 42 apart; between 40-wide neighbours neither has room
    // for a cell of 56 unless it lies at an end of the row.
    draw_box_screen();
    mouse_at(box_contents[1][2].x, 40);
    ASSERT_TRUE(box_screen_click());
    int now = slot_of(11);
    ASSERT_GT(now, 0);
    for (int q = 1; q <= tray_count; q++) {
        if (q == now || tray[q].n <= 0) continue;
        int reach = (box_piece_side(11) + box_piece_side(tray[q].n)) / 2;
        EXPECT_TRUE(std::abs(tray[q].x - tray[now].x) >= reach || std::abs(tray[q].y - tray[now].y) >= reach) << q;
    }
}

// --- moving pieces between the strip and the tray ---------------------------

TEST_F(Boxes, AClickOnATrayPiecePutsItInTheCurrentBoxAndShowsIt) {
    make_grid(4, 4);
    fill_tray();
    current_box = 4;
    int j = slot_of(10);
    ASSERT_GT(j, 0);
    pieces[10].visible = 0;
    mouse_at(tray[j].x, tray[j].y);
    EXPECT_TRUE(box_screen_click());
    EXPECT_EQ(tray[j].n, 0);
    ASSERT_EQ(box_count[4], 1);
    EXPECT_EQ(box_contents[4][1].n, 10);
    EXPECT_EQ(pieces[10].box, 4);
    EXPECT_EQ(pieces[10].visible, 1);
    mouse_at(5, 590);
    EXPECT_FALSE(box_screen_click());  // empty space
}

TEST_F(Boxes, APieceTakenOutFillsAFreeSlotWithoutMovingTheOthers) {
    make_grid(4, 4);
    fill_tray();
    int j = slot_of(7);
    int old_x = tray[j].x, old_y = tray[j].y;
    mouse_at(old_x, old_y);
    ASSERT_TRUE(box_screen_click());  // 7 into box 1, slot j free
    std::vector<std::pair<int, int>> others;
    for (int k = 1; k <= tray_count; k++) others.push_back({tray[k].x, tray[k].y});
    draw_box_screen();  // the strip is laid out by drawing it
    ASSERT_EQ(box_contents[1][1].x, 105);
    mouse_at(105, 40);
    EXPECT_TRUE(box_screen_click());
    EXPECT_EQ(tray[j].n, 7);
    for (int k = 1; k <= tray_count; k++) {
        EXPECT_EQ(tray[k].x, others[k - 1].first) << k;
        EXPECT_EQ(tray[k].y, others[k - 1].second) << k;
    }
    EXPECT_EQ(box_count[1], 0);
    EXPECT_EQ(pieces[7].box, 0);
    EXPECT_EQ(pieces[7].visible, 0);  // hidden on the board
}

TEST_F(Boxes, WithNoFreeSlotAPieceTakenOutIsAppendedAndTheTrayFlowsAgain) {
    make_grid(4, 4);
    box_up(1, {6});
    fill_tray();  // 7, 10, 11
    ASSERT_EQ(tray_count, 3);
    for (int k = 1; k <= 3; k++) tray[k].x = tray[k].y = 500;  // out of place
    draw_box_screen();
    mouse_at(105, 40);
    ASSERT_TRUE(box_screen_click());
    ASSERT_EQ(tray_count, 4);
    EXPECT_EQ(tray[4].n, 6);
    EXPECT_EQ(tray[1].x, 29);
    EXPECT_EQ(tray[4].x, 29 + 3 * 42);
    EXPECT_EQ(tray[4].y, 106);
}

TEST_F(Boxes, CrowdedStripSpreadsEvenlyAndHitsTheLeftmostPiece) {
    make_grid(7, 7);  // 25 interior pieces: 25 * 42 exceeds the strip's 712
    std::initializer_list<int> interior = {9,  10, 11, 12, 13, 16, 17, 18, 19, 20, 23, 24, 25,
                                           26, 27, 30, 31, 32, 33, 34, 37, 38, 39, 40, 41};
    box_up(1, interior);
    draw_box_screen();
    int step = (800 - 111) / 25;
    EXPECT_EQ(box_contents[1][2].x, 105 + step);
    EXPECT_EQ(box_contents[1][25].x, 105 + 24 * step);
    // That point lies over entries 2 and 3; the leftmost is taken out.
    mouse_at(105 + step + 15, 40);
    ASSERT_TRUE(box_screen_click());
    EXPECT_EQ(pieces[10].box, 0);
    EXPECT_EQ(pieces[11].box, 1);
    EXPECT_EQ(box_count[1], 24);
    EXPECT_EQ(box_contents[1][2].n, 11);
}

TEST_F(Boxes, CellsSideBySideWhenTheStripHasRoom) {
    make_grid(4, 4);
    box_up(1, {6, 7, 10});
    pieces[7].wd = 50;   // the spacing reads wd, not the image
    pieces[10].ht = 90;  // larger than a cell: it takes a cell's side
    draw_box_screen();
    EXPECT_EQ(box_contents[1][1].x, 105);
    EXPECT_EQ(box_contents[1][2].x, 105 + (40 + 50) / 2 + 2);
    EXPECT_EQ(box_contents[1][3].x, 105 + 47 + (50 + BOX_CELL) / 2 + 2);
    EXPECT_EQ(box_contents[1][2].y, 40);
}

// --- the frame: clicks and turns --------------------------------------------

TEST_F(Boxes, AnySuccessfulClickRemovesTheCornerCount) {
    make_grid(4, 4);
    fill_tray();
    tray_overflow = 12;
    mouse_at(5, 590);
    click_pending = 1;
    box_screen_frame();
    EXPECT_EQ(tray_overflow, 12);  // a miss leaves it
    EXPECT_EQ(click_pending, 1);
    mouse_at(tray[1].x, tray[1].y);
    box_screen_frame();
    EXPECT_EQ(click_pending, 0);
    EXPECT_EQ(tray_overflow, 0);
}

TEST_F(Boxes, TheLabelStepsToTheNextBoxAndTheButtonGoesToTheBoard) {
    make_grid(4, 4);
    box_up(2, {6});
    pieces[6].visible = 0;
    mouse_at(30, 20);
    click_pending = 1;
    box_screen_frame();
    EXPECT_EQ(current_box, 2);
    EXPECT_EQ(click_pending, 0);
    jigsaw_image = support::solid_image(60, 32, 0xFFFFFFFF);
    mouse_at(67, 73);  // the far corner is inside
    click_pending = 1;
    box_screen_frame();
    EXPECT_EQ(screen_state, "jigsaw");
    EXPECT_EQ(pieces[6].visible, 1);
    free_image(jigsaw_image);
    jigsaw_image = nullptr;
}

TEST_F(Boxes, RightClickTurnsAStripOrTrayPieceAndIsNeverKept) {
    make_grid(4, 4);
    box_up(1, {6});
    fill_tray();
    box_screen_frame();  // lays the strip out
    mouse_at(105, 40);
    right_click_pending = 1;
    box_screen_frame();
    EXPECT_EQ(pieces[6].a, 1);
    EXPECT_EQ(right_click_pending, 0);
    int p = tray[1].n;
    pieces[p].a = 3;
    mouse_at(tray[1].x, tray[1].y);
    right_click_pending = 1;
    box_screen_frame();
    EXPECT_EQ(pieces[p].a, 0);  // 4 becomes 0
    mouse_at(5, 590);
    right_click_pending = 1;
    box_screen_frame();
    EXPECT_EQ(right_click_pending, 0);
}

// --- box lists from a saved game --------------------------------------------

struct SavedBoxes : StorageFixture {};

TEST_F(SavedBoxes, ListsAreRebuiltFromTheSavedBoxField) {
    make_grid_jigsaw("grid", 3, 3);
    ASSERT_TRUE(start_jigsaw("grid"));
    pieces[2].box = 2;
    pieces[4].box = 2;
    pieces[5].box = 5;
    pieces[5].visible = 0;
    pieces[6].box = 2;
    pieces[6].gp = 1;  // joined after boxing: not listed again
    pieces[3].gp = 1;
    group_counter = 1;
    ASSERT_TRUE(save_game());

    ASSERT_TRUE(start_jigsaw("grid"));  // a new deal empties the boxes
    EXPECT_EQ(box_count[2], 0);
    box_shown[1] = 1;
    ASSERT_TRUE(load_saved_game());
    ASSERT_EQ(box_count[2], 2);
    EXPECT_EQ(box_contents[2][1].n, 2);
    EXPECT_EQ(box_contents[2][2].n, 4);
    EXPECT_EQ(box_count[5], 1);
    EXPECT_EQ(box_shown[2], 1);
    EXPECT_EQ(box_shown[5], 0);  // its only piece was hidden
    EXPECT_EQ(box_shown[1], 0);
    EXPECT_EQ(box_count[1] + box_count[3] + box_count[4], 0);
    EXPECT_EQ(pieces[6].box, 2);
}

// --- through the loop ---------------------------------------------------------

struct BoxLoop : LoopFixture {};

TEST_F(BoxLoop, BoxScreenSortsAPieceAndItsKeyHidesAndShowsIt) {
    if (!white_image) white_image = solid_image(2, 2, 0xFFFFFFFF);
    piece_count = 1;
    pieces[1] = piece_type();
    pieces[1].img = solid_image(40, 40, 0xFF808080);
    centre_image_handle(pieces[1].img);
    pieces[1].wd = pieces[1].ht = 40;
    pieces[1].visible = 1;
    draw_order[1] = 1;
    for (int b = 1; b <= BOX_COUNT; b++) box_count[b] = box_shown[b] = 0;
    current_box = 1;
    press(KEY_B);
    ASSERT_EQ(screen_state, "box");
    ASSERT_EQ(tray_count, 1);
    EXPECT_EQ(tray[1].x, 29);
    click(29, 106);
    run(1);
    EXPECT_EQ(pieces[1].box, 1);
    EXPECT_EQ(box_count[1], 1);
    press(KEY_J);
    EXPECT_EQ(screen_state, "jigsaw");
    EXPECT_EQ(pieces[1].visible, 1);
    press(KEY_1);
    EXPECT_EQ(pieces[1].visible, 0);
    press(KEY_1);
    EXPECT_EQ(pieces[1].visible, 1);
}

}  // namespace
