#include "tests/support/e2e_setup.h"

#include <cstdlib>
#include <filesystem>

#include "tests/support/files.h"
#include "tests/support/images.h"

namespace support {

const char* const GAME_TITLE = "Tessellon v" TEST_VERSION;

namespace {

const uint32_t BROWSER_BACKGROUND = 0xE0FFFF;
const int FIRST_CELL_X = 106, FIRST_CELL_Y = 140;  // the first thumbnail of a browser page at 800x600

}  // namespace

std::string Preferences::text() const {
    std::string text;
    for (int flag : {click_help, large, sound, windowed, help_prompt, save_message, own_colour})
        text += std::to_string(flag) + "\r\n";
    return text;
}

e2e::GameOptions quiet_game(bool large, const std::function<void(const std::string&)>& prepare) {
    e2e::GameOptions options;
    Preferences preferences;
    preferences.large = large;
    options.prefer = preferences.text();
    if (large) options.screen_width = 1024, options.screen_height = 768;
    options.prepare = prepare;
    return options;
}

bool replace_reserved_jigsaw(const std::string& game_dir, const JigsawFiles& jigsaw) {
    std::error_code ec;
    std::filesystem::remove_all(game_dir + "/jigsaws/0000bexil", ec);
    bool ok = write_jigsaw(game_dir + "/jigsaws/0000bexil", jigsaw);
    std::string probe = game_dir + "/images/white.bmp";
    if (!std::filesystem::exists(probe, ec)) {
        std::filesystem::create_directories(game_dir + "/images", ec);
        ok = write_solid_png(probe, 4, 4, 0xFFFFFFFF) && ok;
    }
    return ok;
}

JigsawFiles opening_jigsaw(const std::vector<int>& homes) {
    JigsawFiles jigsaw;
    jigsaw.rows = 1;
    jigsaw.columns = 2;
    jigsaw.homes = homes;
    jigsaw.background = {30, 90, 40};
    jigsaw.piece_argb = jigsaw.picture_argb = 0xFFE0E040;
    jigsaw.picture_width = 80;
    jigsaw.picture_height = 40;
    return jigsaw;
}

bool write_reserved_saved_game(const std::string& game_dir, const std::vector<SavedPiece>& pieces, int red, int green,
                               int blue) {
    std::string folder = game_dir + "/players/default/";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec || !write_text(folder + "0000bexil.txt", saved_game_text(pieces, red, green, blue))) return false;
    std::filesystem::copy_file(game_dir + "/jigsaws/0000bexil/tn.png", folder + "0000bexil.png",
                               std::filesystem::copy_options::overwrite_existing, ec);
    return !ec;
}

void keep_shot(const e2e::Shot& shot, const std::string& name) {
    const char* folder = std::getenv("TESSELLON_E2E_SHOTS_DIR");
    if (folder) shot.save_png(std::string(folder) + "/" + name + ".png");
}

::testing::AssertionResult reach_board(e2e::Session& game, int width, int height, e2e::Shot* board) {
    unsigned long window = game.wait_for_window(GAME_TITLE, 20000);
    if (!window) return ::testing::AssertionFailure() << "no game window";
    if (!game.wait_for_focus(window, 10000)) return ::testing::AssertionFailure() << "the window never had the focus";
    if (!game.wait_for_screen([](const e2e::Shot& s) { return s.drawn(); }, 20000))
        return ::testing::AssertionFailure() << "nothing was drawn";
    game.click(width - 5, height - 5);  // cuts the opening short
    game.move(width - 5, height - 5);
    if (!game.wait_until_still(20000, board)) return ::testing::AssertionFailure() << "the board never stood still";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult open_first_saved_game(e2e::Session& game, bool keys_only) {
    if (!game.wait_for_window(GAME_TITLE, 20000)) return ::testing::AssertionFailure() << "no game window";
    if (keys_only) {
        if (!game.wait_for_screen([](const e2e::Shot& s) { return s.drawn(); }, 20000))
            return ::testing::AssertionFailure() << "nothing was drawn";
        game.key(keypad_key(0, 0));  // the left button cuts the opening short
    } else {
        game.click(790, 590);  // cuts the opening short
    }
    if (!game.wait_until_still(20000)) return ::testing::AssertionFailure() << "the opening did not end";
    game.key("l");
    if (!game.wait_for_screen([](const e2e::Shot& s) { return s.at(400, 590) == BROWSER_BACKGROUND; }, 10000))
        return ::testing::AssertionFailure() << "no saved-game page";
    if (!keys_only) {
        game.click(FIRST_CELL_X, FIRST_CELL_Y);
    } else if (keypad_pointer_to(game, FIRST_CELL_X, FIRST_CELL_Y)) {
        game.key(keypad_key(0, 0));
    } else {
        return ::testing::AssertionFailure() << "the keypad never brought the pointer to the first cell";
    }
    return ::testing::AssertionSuccess();
}

const char* keypad_key(int dx, int dy, bool numlock) {
    static const char* const off[3][3] = {
        {"KP_Home", "KP_Left", "KP_End"}, {"KP_Up", "KP_Begin", "KP_Down"}, {"KP_Prior", "KP_Right", "KP_Next"}};
    static const char* const on[3][3] = {{"KP_7", "KP_4", "KP_1"}, {"KP_8", "KP_5", "KP_2"}, {"KP_9", "KP_6", "KP_3"}};
    auto index = [](int d) { return d < 0 ? 0 : (d > 0 ? 2 : 1); };
    return (numlock ? on : off)[index(dx)][index(dy)];
}

namespace {

// -1, 0 or 1: the way to go along one axis with steps of `step` pixels,
// 0 once a step would overshoot.
int way(int distance, int step) { return distance >= step ? 1 : (distance <= -step ? -1 : 0); }

}  // namespace

bool keypad_pointer_to(e2e::Session& game, int x, int y, bool numlock, int timeout_ms) {
    const int RUN = 16;  // presses sent before looking where the pointer stands
    int deadline = e2e::now_ms() + timeout_ms;
    int px = 0, py = 0;
    while (e2e::now_ms() < deadline && game.pointer(&px, &py)) {
        int step = std::abs(x - px) >= 8 || std::abs(y - py) >= 8 ? 8 : 2;
        int ex = px, ey = py;  // where the run should end
        for (int i = 0; i < RUN; i++) {
            int dx = way(x - ex, step), dy = way(y - ey, step);
            if (!dx && !dy) break;
            if (i == 0 && step == 8) game.key_down("KP_Add");
            // Apart in time, so that the game never takes a press for a repeat.
            game.key_down(keypad_key(dx, dy, numlock));
            game.pause(3);
            game.key_up(keypad_key(dx, dy, numlock));
            game.pause(3);
            ex += dx * step;
            ey += dy * step;
        }
        if (ex == px && ey == py) return std::abs(x - px) <= 1 && std::abs(y - py) <= 1;
        // + is let go once the steps it speeds are taken: the game reads it
        // while stepping.
        e2e::poll_until([&] { return game.pointer(&px, &py) && px == ex && py == ey; }, 2000, 10);
        if (step == 8) game.key_up("KP_Add");
    }
    return false;
}

void use_starter_as_reserved(const std::string& game_dir, const std::string& starter) {
    const std::filesystem::path jigsaws = std::filesystem::path(game_dir) / "jigsaws";
    std::filesystem::remove_all(jigsaws / "0000bexil");
    std::filesystem::copy(jigsaws / starter, jigsaws / "0000bexil", std::filesystem::copy_options::recursive);
}

std::vector<int> save_and_read_reserved(e2e::Session& game, int pieces, int timeout_ms) {
    std::string path = game.game_dir + "/players/default/0000bexil.txt";
    std::filesystem::remove(path);
    game.key("s");
    std::vector<int> values;
    bool written = game.wait_for_file(
        path,
        [&](const std::string&) {
            values = e2e::read_numbers(path);
            return static_cast<int>(values.size()) == 7 * pieces + 5;
        },
        timeout_ms);
    return written ? values : std::vector<int>();
}

}  // namespace support
