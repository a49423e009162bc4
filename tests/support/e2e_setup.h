// Preparation shared by the end-to-end tests: the game's window title, the
// preferences file a test starts with, and the steps from start-up to a
// known screen (the board after the opening, a saved game loaded through
// the L browser). Each step says what it was waiting for when it fails.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/e2e/harness.h"
#include "tests/support/jigsaw_files.h"

namespace support {

// The title of the game's window.
extern const char* const GAME_TITLE;

// The lines of players/default/prefer.txt; the defaults are a quiet game
// in an 800x600 window that shows the save message.
struct Preferences {
    int click_help = 0;
    int large = 0;
    int sound = 0;
    int windowed = 1;
    int help_prompt = 0;
    int save_message = 1;
    int own_colour = 0;
    std::string text() const;
};

// A quiet game (the Preferences above) in a window of the small or the
// large display size, on an Xvfb screen of that size; prepare, when given,
// gets the copied game folder before the game starts.
e2e::GameOptions quiet_game(bool large = false, const std::function<void(const std::string&)>& prepare = nullptr);

// Puts this jigsaw in place of the reserved one in the copied game folder,
// and images/white.bmp, the pointer probe of the pixel tests, when the
// folder lacks it; false when a file could not be written.
bool replace_reserved_jigsaw(const std::string& game_dir, const JigsawFiles& jigsaw);

// Puts the game's own starter jigsaw of this name in place of the reserved
// one in the copied game folder.
void use_starter_as_reserved(const std::string& game_dir, const std::string& starter);

// Presses S and waits (up to timeout_ms) for the reserved jigsaw's saved
// game written afresh with its 7 numbers a piece and 5 more; its numbers,
// or none when it did not come.
std::vector<int> save_and_read_reserved(e2e::Session& game, int pieces, int timeout_ms = 10000);

// A two-piece opening jigsaw of 40x40 yellow squares at these homes (x, y
// of each) on a green board, to put in place of the reserved one.
JigsawFiles opening_jigsaw(const std::vector<int>& homes);

// players/default/0000bexil.txt in the copied game folder: a saved game of
// the reserved jigsaw, its thumbnail the jigsaw's picture; false when a
// file could not be written.
bool write_reserved_saved_game(const std::string& game_dir, const std::vector<SavedPiece>& pieces, int red, int green,
                               int blue);

// With TESSELLON_E2E_SHOTS_DIR set, writes the shot there as <name>.png,
// for looking at what a test saw.
void keep_shot(const e2e::Shot& shot, const std::string& name);

// Waits for the window, its focus and a first frame, cuts the opening short
// with a click in the bottom-right corner of the w x h screen, leaves the
// pointer there and waits until the board stands still (into *board).
::testing::AssertionResult reach_board(e2e::Session& game, int width, int height, e2e::Shot* board = nullptr);

// From start-up to the only saved game of the player: cuts the opening
// short, opens the L browser and clicks the first cell. The caller waits
// for the board it expects. With keys_only no pointer event is sent: the
// keypad steps the game's pointer and clicks.
::testing::AssertionResult open_first_saved_game(e2e::Session& game, bool keys_only = false);

// The keypad's pointer keys by name, as X names them with NumLock off or
// on: the step towards (dx, dy), each -1, 0 or 1; (0, 0) is the left button.
const char* keypad_key(int dx, int dy, bool numlock = false);
// Steps the game's pointer with the keypad alone (8-pixel steps with + held,
// then 2-pixel ones) to within a pixel of (x, y), reading through X where
// it stands after each run of keys, so a press the game took for a repeat
// is made good; false when it did not get there in timeout_ms.
bool keypad_pointer_to(e2e::Session& game, int x, int y, bool numlock = false, int timeout_ms = 30000);

}  // namespace support
