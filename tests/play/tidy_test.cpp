// Tidying: the region chosen by the live pointer or by where help was
// opened, the five layouts and their stacking points, which pieces are
// moved and which stay, and the stacked count drawn on the board.
#include <set>
#include <utility>

#include "play_fixture.h"

namespace {

using Spot = std::pair<int, int>;

struct Tidy : PlayFixture {
    void SetUp() override {
        PlayFixture::SetUp();
        ASSERT_NE(open_screen(800, 600, 0, 60, 0), nullptr);
        click_x = -1;
        click_y = 0;
    }
    // Every piece loose (edge pieces included) and shown at (400, 300).
    static void loose_grid(int r, int c) {
        make_grid(r, c);
        for (int i = 1; i <= piece_count; i++) pieces[i].x = 400, pieces[i].y = 300;
    }
    static std::set<Spot> spots() {
        std::set<Spot> s;
        for (int i = 1; i <= piece_count; i++) s.insert({pieces[i].x, pieces[i].y});
        return s;
    }
    static int pieces_at(int x, int y) {
        int k = 0;
        for (int i = 1; i <= piece_count; i++) k += pieces[i].x == x && pieces[i].y == y;
        return k;
    }
    static void tidy_at(int x, int y) {
        mouse_at(x, y);
        tidy_pieces();
    }
};

// --- the region ---------------------------------------------------------------

TEST_F(Tidy, EachRegionStartsWhereItsLayoutBegins) {
    loose_grid(1, 2);  // two pieces 40 wide
    tidy_at(400, 300);
    EXPECT_EQ(spots(), std::set<Spot>({{229, 179}, {271, 179}}));  // middle, in a row
    tidy_at(400, 20);
    EXPECT_EQ(spots(), std::set<Spot>({{29, 29}, {71, 29}}));  // top
    tidy_at(400, 590);
    EXPECT_EQ(spots(), std::set<Spot>({{29, 571}, {71, 571}}));  // bottom
    tidy_at(20, 300);
    EXPECT_EQ(spots(), std::set<Spot>({{29, 29}, {29, 71}}));  // left, in a column
    tidy_at(780, 300);
    EXPECT_EQ(spots(), std::set<Spot>({{771, 29}, {771, 71}}));  // right
}

TEST_F(Tidy, TheMiddleOwnsItsBorderAndTheCornersBelongToTopAndBottom) {
    loose_grid(1, 1);
    tidy_at(200, 150);  // the middle rectangle's corner
    EXPECT_EQ(pieces[1].x, 229);
    tidy_at(0, 150);  // the top band reaches down to 150 at the left edge
    EXPECT_EQ(pieces[1].y, 29);
    tidy_at(800, 600);
    EXPECT_EQ(pieces[1].y, 571);
}

TEST_F(Tidy, HelpsRememberedClickChoosesTheRegionUnlessItIsMinusOne) {
    loose_grid(1, 1);
    mouse_at(400, 300);  // the live pointer in the middle
    click_x = 10;
    click_y = 300;  // help was opened at the left
    tidy_pieces();
    EXPECT_EQ(pieces[1].x, 29);
    EXPECT_EQ(pieces[1].y, 29);
    click_x = -1;
    tidy_pieces();
    EXPECT_EQ(pieces[1].x, 229);
}

TEST_F(Tidy, APointOffTheScreenChangesNothing) {
    loose_grid(1, 1);
    tidy_state = {3, 50, 60};
    click_x = 900;
    click_y = 300;
    tidy_pieces();
    EXPECT_EQ(pieces[1].x, 400);
    EXPECT_EQ(tidy_state.k, 3);
}

// --- which pieces move ---------------------------------------------------------

TEST_F(Tidy, GroupedAndHiddenPiecesKeepTheirPlacesBoxedAndEdgePiecesMove) {
    make_grid(3, 3);
    group({1, 2}, 1, 1);
    pieces[3].visible = 0;
    pieces[5].box = 2;  // boxed and interior; 4 is an edge piece
    int x1 = pieces[1].x, x2 = pieces[2].x, x3 = pieces[3].x;
    tidy_at(400, 300);
    EXPECT_EQ(pieces[1].x, x1);
    EXPECT_EQ(pieces[2].x, x2);
    EXPECT_EQ(pieces[3].x, x3);
    for (int p : {4, 5, 6, 7, 8, 9}) EXPECT_EQ(pieces[p].y, 179) << p;  // one row of six
    EXPECT_EQ(tidy_state.k, 0);
}

TEST_F(Tidy, NothingToTidyOnlyClearsTheCount) {
    make_grid(1, 2);
    pieces[1].visible = pieces[2].visible = 0;
    tidy_state = {5, 50, 60};
    tidy_at(400, 300);
    EXPECT_EQ(tidy_state.k, 0);
    EXPECT_EQ(pieces[1].x, 100);
}

// --- overflow ----------------------------------------------------------------------

TEST_F(Tidy, MiddleStacksPastTheLastRowBesideItsLastPiece) {
    // Pieces 40 wide: nine to a row of the middle (the tenth would start
    // at 607, past 590), rows 179 .. 411: 45 placed, 15 stacked.
    loose_grid(6, 10);
    tidy_at(400, 300);
    EXPECT_EQ(pieces_at(229 + 8 * 42, 411), 1);  // the last placed
    EXPECT_EQ(pieces_at(229 + 8 * 42 + 10, 421), 15);
    EXPECT_EQ(tidy_state.k, 15);
    EXPECT_EQ(tidy_state.x, 575);
    EXPECT_EQ(tidy_state.y, 421);
}

TEST_F(Tidy, TopStackIsPastTheEdgeButItsCountIsKeptOnScreen) {
    // 19 to a row of 800, five rows (29 .. 261): 95 placed, 5 stacked 10
    // right of the last piece at 785, beyond the count's limit of 771.
    loose_grid(10, 10);
    tidy_at(400, 10);
    EXPECT_EQ(pieces_at(795, 271), 5);
    EXPECT_EQ(tidy_state.k, 5);
    EXPECT_EQ(tidy_state.x, 771);
    EXPECT_EQ(tidy_state.y, 271);
}

TEST_F(Tidy, BottomAndRightStackInTheCorner) {
    // Bottom: six rows of 19, from 571 up to 281 (the last row is begun
    // while the previous one still lies below 329): 114 placed.
    loose_grid(12, 10);
    tidy_at(400, 590);
    EXPECT_EQ(pieces_at(29, 281), 1);
    EXPECT_EQ(pieces_at(771, 571), 6);
    EXPECT_EQ(tidy_state.k, 6);
    EXPECT_EQ(tidy_state.x, 771);
    EXPECT_EQ(tidy_state.y, 571);
    // Right: 14 to a column (29 .. 575), seven columns 771 down to 423:
    // 98 placed.
    tidy_at(790, 300);
    EXPECT_EQ(tidy_state.k, 22);
    EXPECT_EQ(tidy_state.x, 771);
    EXPECT_EQ(tidy_state.y, 571);
    EXPECT_EQ(pieces_at(423, 29 + 13 * 42), 1);
}

TEST_F(Tidy, LeftStacksBesideTheMiddleAtTheLastPiecesHeight) {
    // 14 to a column, seven columns 29 .. 377: 98 placed.
    loose_grid(10, 10);
    tidy_at(10, 300);
    EXPECT_EQ(pieces_at(377, 29 + 13 * 42), 1);
    EXPECT_EQ(pieces_at(371, 29 + 13 * 42), 2);
    EXPECT_EQ(tidy_state.k, 2);
    EXPECT_EQ(tidy_state.x, 371);
    EXPECT_EQ(tidy_state.y, 575);
}

TEST_F(Tidy, TheBoardShowsTheStackedCountUntilItIsCleared) {
    if (!font_large) font_large = load_font(TEST_GAME_DIR "/fonts/Tahoma.ttf", 22, 4);
    ASSERT_NE(font_large, nullptr);
    loose_grid(6, 10);
    tidy_at(400, 300);
    ASSERT_EQ(tidy_state.k, 15);
    // Hide the pieces so only the count can differ near its point.
    for (int i = 1; i <= piece_count; i++) pieces[i].visible = 0;
    auto count_pixels = []() {
        int k = 0;
        for (int y = tidy_state.y - 12; y <= tidy_state.y + 12; y++)
            for (int x = tidy_state.x - 15; x <= tidy_state.x + 15; x++)
                k += (read_pixel(null_back_buffer(), x, y) & 0xFFFFFF) == 0xFFFFFF;
        return k;
    };
    bg_red = 40;
    bg_green = 80;
    bg_blue = 120;
    draw_board();
    EXPECT_GT(count_pixels(), 10);  // the white figures
    tidy_state.k = 0;
    draw_board();
    EXPECT_EQ(count_pixels(), 0);
}

}  // namespace
