// Playing on the real binary: the opening flight of the reserved jigsaw,
// a click that cuts it short, S writing the saved game and its thumbnail,
// and a piece dragged with real mouse events to within 9 pixels of its
// neighbour, which joins them and, the jigsaw being whole, plays the flight;
// and a piece picked, turned, carried and dropped with the keypad alone.
// The reserved jigsaw is replaced by a 1 x 2 one of two solid squares, so
// the screen tells where each piece lies.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "media/draw/draw.h"
#include "tests/e2e/harness.h"
#include "tests/support/e2e_setup.h"
#include "tests/support/images.h"
#include "tests/support/jigsaw_files.h"

namespace {

namespace fs = std::filesystem;

const char* const title = support::GAME_TITLE;
const int SIDE = 100;  // piece side
const int HOME1_X = 300, HOME2_X = 400, HOME_Y = 300;
const uint32_t RED = 0xE02020, BLUE = 0x2020E0, BACKGROUND = 0x0A141E;

// The reserved jigsaw as two squares side by side, on a dark background.
void prepare_reserved_jigsaw(const std::string& game_dir) {
    support::JigsawFiles jigsaw;
    jigsaw.rows = 1;
    jigsaw.columns = 2;
    jigsaw.homes = {HOME1_X, HOME_Y, HOME2_X, HOME_Y};
    jigsaw.background = {10, 20, 30};
    jigsaw.side = SIDE;
    jigsaw.piece_colour = [](int i) { return 0xFF000000u | (i == 1 ? RED : BLUE); };
    jigsaw.picture_width = 200;
    jigsaw.picture_height = 150;
    support::replace_reserved_jigsaw(game_dir, jigsaw);
}

e2e::GameOptions options() { return support::quiet_game(false, prepare_reserved_jigsaw); }

// Both squares exactly in place: each edge has its colour one pixel inside
// and the background one pixel outside.
bool whole_at_home(const e2e::Shot& s) {
    const int left = HOME1_X - SIDE / 2, right = HOME2_X + SIDE / 2 - 1;
    const int top = HOME_Y - SIDE / 2, bottom = HOME_Y + SIDE / 2 - 1;
    return s.at(left, HOME_Y) == RED && s.at(left - 1, HOME_Y) == BACKGROUND && s.at(right, HOME_Y) == BLUE &&
           s.at(right + 1, HOME_Y) == BACKGROUND && s.at(HOME1_X, top) == RED && s.at(HOME1_X, top - 1) == BACKGROUND &&
           s.at(HOME2_X, bottom) == BLUE && s.at(HOME2_X, bottom + 1) == BACKGROUND &&
           s.at(HOME1_X + SIDE / 2 - 1, HOME_Y) == RED && s.at(HOME2_X - SIDE / 2, HOME_Y) == BLUE;
}

int now_ms() {
    using namespace std::chrono;
    return static_cast<int>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// Presses S and waits for a saved game that was written afresh.
std::vector<int> save_and_read(e2e::Session& game) {
    std::string path = game.game_dir + "/players/default/0000bexil.txt";
    std::string thumb = game.game_dir + "/players/default/0000bexil.png";
    fs::remove(path);
    fs::remove(thumb);
    game.key("s");
    std::vector<int> values;
    game.wait_for_file(
        path,
        [&](const std::string&) {
            values = e2e::read_numbers(path);
            return values.size() == 19;
        },
        10000);
    // The thumbnail is put in place after the game file.
    if (!game.wait_for_file(
            thumb, [](const std::string&) { return true; }, 10000))
        return {};
    return values.size() == 19 ? values : std::vector<int>();
}

// Saves until the saved game satisfies `met` or the time is up; the last
// saved game. The game takes input in order, but a drop or a turn may end
// in a later frame than the one that read it.
std::vector<int> save_until(e2e::Session& game, const std::function<bool(const std::vector<int>&)>& met,
                            int timeout_ms = 10000) {
    std::vector<int> saved;
    e2e::poll_until([&] { return (saved = save_and_read(game)).size() == 19 && met(saved); }, timeout_ms, 100);
    return saved;
}

// Saves until every piece is in group 1 (the flight's last frame puts
// them there).
std::vector<int> save_when_whole(e2e::Session& game, int timeout_ms = 10000) {
    return save_until(
        game, [](const std::vector<int>& s) { return s[4] == 1 && s[7 + 4] == 1; }, timeout_ms);
}

struct Piece {
    int x, y, a, visible, gp;
};
Piece piece(const std::vector<int>& saved, int i) {
    size_t b = static_cast<size_t>(7 * (i - 1));
    return {saved[b], saved[b + 1], saved[b + 2], saved[b + 3], saved[b + 4]};
}

void start_and_wait_for_the_opening(e2e::Session& game) {
    ASSERT_TRUE(game.ok()) << game.error;
    ASSERT_NE(game.wait_for_window(title, 20000), 0u);
    e2e::Shot last;
    bool whole = game.wait_for_screen(whole_at_home, 30000, &last);
    if (!whole && std::getenv("TESSELLON_E2E_SHOTS")) last.save_png(std::getenv("TESSELLON_E2E_SHOTS"));
    ASSERT_TRUE(whole) << "the opening never came together";
    // Past the flight's last frame: the pieces are one group.
    ASSERT_EQ(save_when_whole(game).size(), 19u);
}

TEST(PlayE2e, OpeningFlightEndsOnTheBoardWithTheReservedJigsawWhole) {
    e2e::Session game(options());
    ASSERT_TRUE(game.ok()) << game.error;
    ASSERT_NE(game.wait_for_window(title, 20000), 0u);
    // Some frame of the flight shows the pieces away from home.
    bool seen_flying = game.wait_for_screen(
        [](const e2e::Shot& s) { return s.at(700, 560) == BACKGROUND && !whole_at_home(s); }, 20000);
    EXPECT_TRUE(seen_flying);
    EXPECT_TRUE(game.wait_for_screen(whole_at_home, 30000));
    // Finished: a complete puzzle is saved with the jigsaw's own picture.
    std::vector<int> saved = save_when_whole(game);
    ASSERT_EQ(saved.size(), 19u);
    EXPECT_EQ(piece(saved, 1).gp, 1);
    EXPECT_EQ(piece(saved, 2).x, HOME2_X);
    TPixmap* thumb = load_pixmap(game.game_dir + "/players/default/0000bexil.png");
    ASSERT_NE(thumb, nullptr);
    EXPECT_EQ(thumb->width, 200);
    free_pixmap(thumb);
}

TEST(PlayE2e, ClickCutsTheOpeningShort) {
    e2e::Session game(options());
    ASSERT_TRUE(game.ok()) << game.error;
    ASSERT_NE(game.wait_for_window(title, 20000), 0u);
    ASSERT_TRUE(game.wait_for_screen([](const e2e::Shot& s) { return s.at(700, 560) == BACKGROUND; }, 20000));
    int first_frame = now_ms();
    game.click(700, 560);
    e2e::Shot last;
    bool whole = game.wait_for_screen(whole_at_home, 10000, &last);
    if (!whole && std::getenv("TESSELLON_E2E_SHOTS")) last.save_png(std::getenv("TESSELLON_E2E_SHOTS"));
    ASSERT_TRUE(whole);
    // A full flight takes 200 frames at 50 a second: at least 4 seconds.
    EXPECT_LT(now_ms() - first_frame, 3000);
}

TEST(PlayE2e, SaveWritesTheGameAndA264By198Thumbnail) {
    e2e::Session game(options());
    start_and_wait_for_the_opening(game);
    // A right click turns the finished puzzle, which makes it incomplete:
    // the thumbnail is then the board.
    game.click(HOME1_X, HOME_Y, 3);
    std::vector<int> saved = save_until(game, [](const std::vector<int>& s) { return piece(s, 1).a == 1; });
    ASSERT_EQ(saved.size(), 19u);
    EXPECT_EQ(piece(saved, 1).a, 1);
    EXPECT_EQ(piece(saved, 2).a, 1);
    EXPECT_EQ(piece(saved, 2).x, HOME1_X);  // turned about piece 1
    EXPECT_EQ(piece(saved, 2).y, HOME_Y + SIDE);
    std::string text = e2e::read_file_text(game.game_dir + "/players/default/0000bexil.txt");
    EXPECT_NE(text.find("\r\n"), std::string::npos);
    EXPECT_EQ(e2e::file_mode(game.game_dir + "/players/default/0000bexil.txt"), 0666);
    std::string thumb_path = game.game_dir + "/players/default/0000bexil.png";
    EXPECT_EQ(e2e::file_mode(thumb_path), 0666);
    TPixmap* thumb = load_pixmap(thumb_path);
    ASSERT_NE(thumb, nullptr);
    EXPECT_EQ(thumb->width, 264);
    EXPECT_EQ(thumb->height, 198);
    free_pixmap(thumb);
}

// The point p + (dx, dy) turned by a quarter turns, as the game turns offsets.
void turned(int a, int dx, int dy, int* tx, int* ty) {
    switch (a & 3) {
    case 0:
        *tx = dx;
        *ty = dy;
        break;
    case 1:
        *tx = -dy;
        *ty = dx;
        break;
    case 2:
        *tx = -dx;
        *ty = -dy;
        break;
    default:
        *tx = dy;
        *ty = -dx;
        break;
    }
}

// Right clicks on (x, y) until the piece there has turned from a to target.
void turn_to(e2e::Session& game, int x, int y, int a, int target) {
    for (int k = a; k % 4 != target; k++) game.click(x, y, 3);
}

// Deals afresh (R, then Y) until the two pieces lie apart; the saved game
// of that deal goes to *saved.
void deal_apart(e2e::Session& game, std::vector<int>* saved) {
    for (int tries = 0; tries < 10; tries++) {
        e2e::Shot before = game.grab();
        game.key("r");
        ASSERT_TRUE(game.wait_for_change(before, 10000)) << "no question after R";
        before = game.grab();
        game.key("y");
        ASSERT_TRUE(game.wait_for_change(before, 10000)) << "no deal after Y";
        *saved = save_and_read(game);
        ASSERT_EQ(saved->size(), 19u);
        Piece p1 = piece(*saved, 1), p2 = piece(*saved, 2);
        if (std::abs(p1.x - p2.x) > SIDE + 20 || std::abs(p1.y - p2.y) > SIDE + 20) return;
    }
}

TEST(PlayE2e, KeysAlonePickTurnCarryAndDropAPieceWithNumLockOffAndOn) {
    e2e::Session game(options());
    start_and_wait_for_the_opening(game);
    std::vector<int> saved;
    deal_apart(game, &saved);
    ASSERT_EQ(saved.size(), 19u);
    Piece p1 = piece(saved, 1), p2 = piece(saved, 2);
    // No pointer event is sent: the pointer starts where the game put it.
    ASSERT_TRUE(support::keypad_pointer_to(game, p1.x, p1.y, false));
    game.key("KP_Begin");  // picks piece 1 up
    game.key("Num_Lock");
    // Two turns, or three when two would match piece 2 (they could join),
    // by the keypad's decimal key and by a key that has KP_Decimal alone.
    int turns = (p1.a + 2) % 4 == p2.a ? 3 : 2;
    const char* const turn_keys[3] = {"KP_Delete", "KP_Decimal", "KP_Delete"};
    for (int i = 0; i < turns; i++) game.key(turn_keys[i]);
    // Carried 160 pixels towards the middle, dropped with 0.
    int dx = p1.x < 400 ? 160 : -160;
    int x = 0, y = 0;
    ASSERT_TRUE(game.pointer(&x, &y));
    ASSERT_TRUE(support::keypad_pointer_to(game, x + dx, y, true));
    game.key("KP_0");
    game.key("Num_Lock");
    saved = save_until(game, [&](const std::vector<int>& s) { return piece(s, 1).x == p1.x + dx; });
    ASSERT_EQ(saved.size(), 19u);
    EXPECT_EQ(piece(saved, 1).x, p1.x + dx);
    EXPECT_EQ(piece(saved, 1).y, p1.y);
    EXPECT_EQ(piece(saved, 1).a, (p1.a + turns) % 4);
    EXPECT_EQ(piece(saved, 1).gp, 0);
    // Dropped: the next step moves the pointer alone.
    game.key("KP_Right");
    saved = save_and_read(game);
    ASSERT_EQ(saved.size(), 19u);
    EXPECT_EQ(piece(saved, 1).x, p1.x + dx);
}

TEST(PlayE2e, DraggedPieceJoinsWithinNinePixelsAndFinishingPlaysTheFlight) {
    e2e::Session game(options());
    start_and_wait_for_the_opening(game);
    std::vector<int> saved;
    deal_apart(game, &saved);
    ASSERT_EQ(saved.size(), 19u);
    Piece p1 = piece(saved, 1), p2 = piece(saved, 2);
    ASSERT_EQ(p1.gp, 0);
    // Both a quarter turn, so that joining them does not finish the jigsaw.
    turn_to(game, p1.x, p1.y, p1.a, 1);
    turn_to(game, p2.x, p2.y, p2.a, 1);
    saved = save_until(game, [](const std::vector<int>& s) { return piece(s, 1).a == 1 && piece(s, 2).a == 1; });
    ASSERT_EQ(saved.size(), 19u);
    ASSERT_EQ(piece(saved, 1).a, 1);
    ASSERT_EQ(piece(saved, 2).a, 1);
    // Piece 1 is carried to the corner farthest from piece 2.
    const int spots[4][2] = {{150, 120}, {650, 120}, {150, 380}, {650, 380}};
    int best = 0, best_d = -1;
    for (int i = 0; i < 4; i++) {
        int d = std::abs(spots[i][0] - p2.x) + std::abs(spots[i][1] - p2.y);
        if (d > best_d) best_d = d, best = i;
    }
    int sx = spots[best][0], sy = spots[best][1];
    game.click(p1.x, p1.y);
    for (int step = 1; step <= 10; step++) {
        game.move(p1.x + (sx - p1.x) * step / 10, p1.y + (sy - p1.y) * step / 10);
        game.pause(40);  // input pacing: a hand's motion, not a wait
    }
    game.click(sx, sy);
    saved = save_until(game, [&](const std::vector<int>& s) { return piece(s, 1).x == sx; });
    ASSERT_EQ(saved.size(), 19u);
    ASSERT_EQ(piece(saved, 1).x, sx);
    ASSERT_EQ(piece(saved, 1).gp, 0);
    // Turned a quarter, piece 2's place is below piece 1; it is dropped 9
    // pixels right and 7 up of it.
    int dx, dy;
    turned(1, HOME2_X - HOME1_X, 0, &dx, &dy);
    int tx = sx + dx + 9, ty = sy + dy - 7;
    game.click(p2.x, p2.y);
    for (int step = 1; step <= 10; step++) {
        game.move(p2.x + (tx - p2.x) * step / 10, p2.y + (ty - p2.y) * step / 10);
        game.pause(40);  // input pacing: a hand's motion, not a wait
    }
    game.click(tx, ty);
    saved = save_until(game, [&](const std::vector<int>& s) { return piece(s, 2).x == tx; });
    ASSERT_EQ(saved.size(), 19u);
    EXPECT_GT(piece(saved, 1).gp, 0);
    EXPECT_EQ(piece(saved, 1).gp, piece(saved, 2).gp);
    EXPECT_EQ(piece(saved, 2).x, tx);      // the dropped piece stays
    EXPECT_EQ(piece(saved, 1).x, sx + 9);  // its neighbour snaps to it
    EXPECT_EQ(piece(saved, 1).y, sy - 7);
    // Turned upright, the jigsaw is finished: it is dealt again and flies
    // home, ending in one group.
    turn_to(game, tx, ty, 1, 0);
    EXPECT_TRUE(game.wait_for_screen(whole_at_home, 30000));
    saved = save_when_whole(game);
    ASSERT_EQ(saved.size(), 19u);
    EXPECT_EQ(piece(saved, 1).gp, 1);
    EXPECT_EQ(piece(saved, 2).gp, 1);
    EXPECT_EQ(piece(saved, 1).x, HOME1_X);
}

}  // namespace
