// End-to-end harness: runs the real game binary on its own Xvfb server,
// acts as a player through XTEST (keys, pointer motion, buttons), reads
// the screen back, and cleans up every process and file it made, also
// when a test fails part-way.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/temp_folder.h"

struct _XDisplay;

namespace e2e {

// A screen grab, row 0 at the top, pixels 0xRRGGBB.
struct Shot {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const;
    // Anything but black: the game has drawn a frame.
    bool drawn() const;
    // Writes the grab as a PNG (for looking at it); false on failure.
    bool save_png(const std::string& path) const;
};

inline int red(uint32_t p) { return (p >> 16) & 255; }
inline int green(uint32_t p) { return (p >> 8) & 255; }
inline int blue(uint32_t p) { return p & 255; }
// Each channel of a within tolerance of b's.
inline bool near_colour(uint32_t a, uint32_t b, int tolerance) {
    auto near = [tolerance](int x, int y) { return x - y <= tolerance && y - x <= tolerance; };
    return near(red(a), red(b)) && near(green(a), green(b)) && near(blue(a), blue(b));
}

struct GameOptions {
    int screen_width = 800, screen_height = 600;  // the Xvfb screen
    std::string prefer;                           // content of players/default/prefer.txt; empty = no file
    std::string refresh;                          // content of players/default/refresh.txt; empty = no file
    // Called with the copied game folder before the game starts (to add
    // test jigsaws or saved games).
    std::function<void(const std::string&)> prepare;
    // Called once Xvfb is up, just before the game starts, with the display
    // name and the game's HOME (to start a window manager, or to give an
    // installed game a saved game in its player's data folder).
    std::function<void(const std::string& display, const std::string& home)> before_game;
    // The program to start instead of the copied game folder's tessellon
    // (an installed launcher); no copy is made then.
    std::string program;
    // Run the game as this user (0: as the test itself). The temporary
    // folder is opened for him and the game's HOME made his.
    int uid = 0, gid = 0;
    // After this long the harness kills the game and Xvfb, so a test that
    // blocks in an X call fails instead of hanging (below ctest's limit).
    int time_limit_ms = 240000;
};

// Milliseconds of a monotonic clock, for the tests' own deadlines.
int now_ms();
// Checks `met` every interval_ms until it holds, timeout_ms passes or
// `give_up` (when given) holds; whether `met` held. `met` is checked at
// least once, and once more after the deadline. Every wait of the tests
// for a state of the game goes through here.
bool poll_until(const std::function<bool()>& met, int timeout_ms, int interval_ms = 50,
                const std::function<bool()>& give_up = nullptr);
// For a process a test forks (after any change of user): it is killed when
// the test process ends, however it ends; `parent` is the test's getpid()
// taken before the fork.
void die_with_parent(int parent);

// One Xvfb server, one copy of the game folder, one game process.
struct Session {
    explicit Session(const GameOptions& options = GameOptions());
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    bool ok() const { return error.empty(); }  // set up and started
    std::string error;                         // what went wrong at set-up

    std::string game_dir;  // the temporary copy the game runs in
    std::string home_dir;  // the game's HOME
    _XDisplay* display = nullptr;
    int game_pid = 0;

    // Waits (up to timeout_ms) for a top-level window whose title is
    // `title`; 0 when none appeared. Window size goes to *w, *h.
    unsigned long wait_for_window(const std::string& title, int timeout_ms, int* w = nullptr, int* h = nullptr);
    // Waits until the game has drawn a frame that satisfies `pred`.
    bool wait_for_screen(const std::function<bool(const Shot&)>& pred, int timeout_ms, Shot* last = nullptr);
    Shot grab();
    // Waits until two grabs a few frames apart are the same, not all black
    // and satisfy `pred` (when given): the game has stopped moving anything.
    bool wait_until_still(int timeout_ms, Shot* last = nullptr, const std::function<bool(const Shot&)>& pred = nullptr);
    // Waits until the screen differs from `before` and then stands still:
    // the game has answered what was sent since `before` was grabbed. Only
    // for input that changes the screen.
    bool wait_for_change(const Shot& before, int timeout_ms, Shot* last = nullptr);
    // Waits until the keyboard focus is on `window` (or inside it), so that
    // keys sent next reach the game.
    bool wait_for_focus(unsigned long window, int timeout_ms);
    // Whether some other client holds the keyboard grab now (the game does
    // when it is full screen).
    bool keyboard_grabbed_elsewhere();
    // Waits until the file at path exists and `pred` holds for its text.
    bool wait_for_file(const std::string& path, const std::function<bool(const std::string&)>& pred, int timeout_ms);

    void key(const char* keysym_name);  // press and release
    void key_down(const char* keysym_name);
    void key_up(const char* keysym_name);
    void move(int x, int y);  // root-window pixels
    // Where the pointer stands, in root-window pixels: read, not moved, so
    // a test that plays by keys alone sees where the game has put it.
    bool pointer(int* x, int* y);
    void click(int x, int y, int button = 1);
    // A plain sleep: only for pacing input events and for checks that
    // something stays as it is over time, never to wait for a state.
    void pause(int ms);
    // Sends the window manager's close request (WM_DELETE_WINDOW).
    void close_window(unsigned long window);

    // Waits for the game to end; its exit status, or -1 on time-out or a
    // signal.
    int wait_exit(int timeout_ms);
    bool running();
    int xvfb() const { return xvfb_pid; }  // the X server's process id, 0 before it starts

private:
    void start_watchdog(int limit_ms);
    int xvfb_pid = 0;
    support::TempFolder temp;  // the game's copy and HOME; removed after everything is ended
    std::string temp_root;     // temp.path
    bool reaped = false;       // the game process has been waited for
    int exit_status = -1;      // its status once reaped (-1: killed by a signal)
    std::thread watchdog;      // ends the session past its time limit
    std::mutex watchdog_mutex;
    std::condition_variable watchdog_cv;
    bool ending = false;  // the destructor has begun: the watchdog stands down
};

// The numbers of a text file, one per complete line (a last line without
// its line feed is not counted); empty when missing.
std::vector<int> read_numbers(const std::string& path);
// Reads a whole file; empty when missing.
std::string read_file_text(const std::string& path);
// Permission bits of a path, or -1.
int file_mode(const std::string& path);

// Where the game's board (its display of board_w x board_h) shows on a
// screen of screen_w x screen_h that it covers scaled: the largest
// aspect-keeping size, centred, bars beside or above. Reckoned here apart
// from the game, so that tests can place the pointer on a board pixel and
// read what is shown there.
struct ScaledBoard {
    int board_w = 0, board_h = 0;
    int x = 0, y = 0, w = 0, h = 0;  // the shown board on the screen
    ScaledBoard(int board_w, int board_h, int screen_w, int screen_h);
    // The screen pixel whose centre lies nearest the board pixel's centre.
    int screen_x(int bx) const;
    int screen_y(int by) const;
    void move(Session& game, int bx, int by) const;
    void click(Session& game, int bx, int by, int button = 1) const;
    // The screen's pixel shown at the board pixel.
    uint32_t at(const Shot& shot, int bx, int by) const;
};

}  // namespace e2e

namespace e2e {

// Ends the session's X server under the running game, as a logout does.
// The harness's own connection is closed first (a call on a lost one
// would end the test); grabs and input do nothing afterwards.
void end_x_server(Session& game);

}  // namespace e2e
