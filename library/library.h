// The jigsaw library and storage: folder layout and file formats, loading
// and saving a jigsaw, the thumbnail browsers, and the new, load, delete,
// kill, restart, quick-pick and do-new flows, and the preferences file.
// The library builds on play/ and ui/ and never on the folders above it;
// a saved game of the other display size and a kill reach the shell
// through the hooks of ui/ui.h.
#pragma once

#include <string>

#include "ui/ui.h"

// The jigsaw the game opens with and returns to after a kill; listed last,
// never deleted. The build gives its name (the starter library cuts it).
#ifndef TESSELLON_RESERVED_JIGSAW
#error "the build gives TESSELLON_RESERVED_JIGSAW, the reserved jigsaw's folder name"
#endif
constexpr const char* RESERVED_JIGSAW_NAME = TESSELLON_RESERVED_JIGSAW;

// ===========================================================================
// player_folder.cpp: the player's folder
// ===========================================================================

// --- kept for the run ---
extern std::string player_name;      // always "default"
extern std::string player_dir;       // "players/default/" (or in the player's data folder) once made sure of
extern std::string jigsaws_base;     // prefix of "jigsaws/"; stays empty
extern std::string own_jigsaws_dir;  // the player's jigsaws beside an installed library; "" = none

// Makes sure a folder exists and can be listed (created with mode 777);
// tells the player "Unable to access " + path when it cannot.
void ensure_folder(const std::string& path);
// Makes sure the player's folder exists and sets player_dir: players/<name>/
// in the game folder, or, when the game is installed, in the player's data
// folder, with his own jigsaws folder beside it (own_jigsaws_dir).
void ensure_player_dir();
// The folder of a jigsaw (no trailing slash): the player's own one of that
// name when there is one, else the library's.
std::string jigsaw_folder(const std::string& name);
// True when the jigsaw comes with an installed game and so is not the
// player's to delete.
bool jigsaw_installed(const std::string& name);

// ===========================================================================
// player_files.cpp: where the player's files live
// ===========================================================================

// The file an install puts into the game folder to say it is installed.
constexpr const char* INSTALLED_MARKER = "installed.txt";
// True when the player's files must not go into the game folder: it cannot
// be written, or it holds the install's marker.
bool game_folder_installed(const std::string& game_folder);
// user_data_folder() + "/tessellon": the player's files of an installed
// game; "" when the user has no data folder.
std::string user_game_folder();

// ===========================================================================
// jigsaw_loader.cpp: loading a jigsaw and the two loading sequences
// ===========================================================================

// --- set by every flow that loads a jigsaw ---
extern std::string jigsaw_name;  // current jigsaw; also the saved game's file name; "" = none yet
extern std::string jigsaw_dir;   // jigsaw_folder(name) of the current jigsaw

// --- kept for the run ---
// 1 once a flow has dealt or resumed a game for the player (leave_current_game);
// 0 while the board holds the title's opening jigsaw, or nothing.
extern int player_game_on_board;

// The largest piece image, picture or thumbnail the game decodes: the
// largest board. Larger files are refused from their header.
enum { JIGSAW_IMAGE_MAX_WIDTH = 1024, JIGSAW_IMAGE_MAX_HEIGHT = 768 };
// Those bounds as the limits of one image load (a picture or a thumbnail).
constexpr TImageLimits JIGSAW_PICTURE_LIMITS = {JIGSAW_IMAGE_MAX_WIDTH, JIGSAW_IMAGE_MAX_HEIGHT,
                                                JIGSAW_IMAGE_MAX_WIDTH * JIGSAW_IMAGE_MAX_HEIGHT};

// The piece number of a grid cell; 0 outside the grid.
int grid_index(int row, int column);
// Reads the jigsaw folder into the piece table; does not deal. All or
// nothing: a missing pieces file or piece image, or a grid of no pieces or
// more than 300, is reported and leaves every table as it was (false).
bool load_jigsaw(const std::string& name);
// load_jigsaw without talking to the player: what it would show goes to
// *problem ("" when nothing went wrong; a missing tn.png still loads).
bool read_jigsaw(const std::string& name, std::string* problem);
// Has the jigsaw's piece images and picture decoded ahead (prefetch_images)
// under the very limits and pixel budget load_jigsaw applies, so that a
// later load takes them, refusals included.
void prefetch_jigsaw_images(const std::string& name);
// A new game replaces the one on the board: the music of a completion
// stops and the open question lapses. Every flow that loads or deals a
// jigsaw for the player calls it; the title's opening keeps its music.
// From then on the board holds the player's game (player_game_on_board).
void leave_current_game();
// The player is about to leave the game on the board: a flow will replace
// it (N, L, D, Q, R, a kill) or the program will end. With "save the game
// when I leave" on, it is saved as S saves it, thumbnail included, but
// quietly; a failed save shows its message and the player goes on. Nothing
// is saved without a jigsaw, nor while the board holds the opening. Each
// flow calls it once, before it loads anything.
void save_before_leaving();
// A confirmed exit or the window's close request: save_before_leaving,
// then the program ends (status 0).
[[noreturn]] void leave_program();
// Starts a jigsaw afresh: load, deal (deal_jigsaw), the player's own
// colour. False (the old jigsaw still current) when it could not be loaded.
// The caller has saved the game it replaces (save_before_leaving).
bool start_jigsaw(const std::string& name);
// Loads and deals the reserved jigsaw as the current one; false, and
// nothing changed, when it cannot be loaded.
bool load_default_jigsaw();
// Confirmed R: the current jigsaw dealt afresh; nothing is read again.
void restart_jigsaw();
// The "load1" choice: the game on the board saved when the player wants
// that (also when it is the one chosen: it is then resumed as it was),
// "please wait", load, reset, the saved game over it, the board screen.
// False when the jigsaw could not be loaded.
bool resume_saved_game(const std::string& name);

// ===========================================================================
// preferences.cpp: prefer.txt and refresh.txt (the values are in ui/ui.h)
// ===========================================================================

// Reads refresh.txt and prefer.txt from the player's folder.
void read_preferences();
// Writes prefer.txt; tells the player when it cannot.
void write_preferences();
// True when `file` (a name in the player's folder) is, or on a file system
// that ignores case would be, one of the two preferences files.
bool is_preferences_file(const std::string& file);

// ===========================================================================
// saved_game.cpp: the saved-game file and its thumbnail
// ===========================================================================

// --- kept for the run: the game as its saved game holds it ---
extern std::vector<int> saved_values;  // saved_game_values() when the file was last written or read
extern std::string saved_values_name;  // the jigsaw_name it was written or read for; "" = none yet

// Lays the player's saved game of jigsaw_name over the loaded jigsaw,
// repairing out-of-range values. All or nothing: a file that cannot be
// opened or does not hold 7 lines a piece and 5 more is reported and no
// table changes (false).
bool load_saved_game();
// load_saved_game without talking to the player; the text for him in *problem.
bool read_saved_game(std::string* problem);
// Before a resume replaces the current game: true when the saved game of
// `name` can be opened and has the lines its jigsaw's pieces file asks
// for (a pieces file that cannot be read is left to the jigsaw loader).
// saved_game_fits reports the problem to the player.
bool check_saved_game(const std::string& name, std::string* problem);
bool saved_game_fits(const std::string& name);
// Writes the saved game and its thumbnail, each replacing the old file
// only once it is whole on disk; true when the game file was written. With
// no jigsaw loaded, or a jigsaw named like a preferences file (prefer,
// refresh, in any case), nothing is written (false).
bool save_game();
// save_game without talking to the player; the text for him in *problem
// (also set when only the thumbnail failed, the result then being true).
bool write_saved_game(std::string* problem);
// Draws the board (and the picture when shown) into the back buffer for
// the thumbnail, then save_game: what S and the way out both save.
bool save_shown_board();
// save_shown_board without talking to the player: the text for him in *problem.
bool write_shown_board(std::string* problem);
// Draws the board as save_shown_board does and hands a copy of the game to
// the background writer (start_background_save). False, and nothing drawn,
// while a background write still runs; false when nothing could be taken.
bool start_shown_board_save();

// A saved game taken from the board: everything its two files are made
// of, so that writing them needs neither the game's tables nor a display
// and may run on another thread.
struct saved_game_copy {
    std::string jigsaw;              // jigsaw_name when taken
    std::string game_path;           // the game file, player_dir + jigsaw + ".txt"
    std::string thumbnail_path;      // the thumbnail, player_dir + jigsaw + ".png"
    std::vector<int> values;         // saved_game_values() when taken
    std::string picture_path;        // a finished puzzle's own picture, the thumbnail to write; "" = none
    TPixmap* board = nullptr;        // the 800x600 board grabbed, written at a third; owned, freed on finishing
    bool game_written = false;       // set by writing: the game file replaced the old one
    bool thumbnail_written = false;  // set by writing: so did the thumbnail
};
// Takes the game as save_game would write it (the board grabbed from the
// back buffer); false, with the text for the player, when there is no
// jigsaw or its name is a preferences file's.
bool take_saved_game(saved_game_copy* copy, std::string* problem);
// Writes the copy's two files, each replacing the old one only once it is
// whole on disk, the thumbnail only after the game file. Touches no game
// state: any thread may run it, one copy at a time.
void write_saved_game_copy(saved_game_copy* copy);
// Back on the main thread, what the writing did: the values written count
// as saved, the saved-game browser reads its folder again; the text for
// the player in *problem. True when the game file was written.
bool finish_saved_game_copy(saved_game_copy* copy, std::string* problem);
// The numbers of the saved game, line by line, as the game stands now.
std::vector<int> saved_game_values();
// True when the game on the board differs from what its saved game held
// when last written or read (or none was, for this jigsaw).
bool game_changed_since_saved();
// Key S: save_shown_board, "jigsaw saved", the magic cue; with no jigsaw
// loaded it only says so on the status line.
void save_command();

// ===========================================================================
// save_writer.cpp: the background writer of a saved game
// ===========================================================================

// Takes a copy of the game (take_saved_game, the board already drawn) and
// writes it on a thread of its own while play goes on. False when a write
// still runs (one at a time) or nothing could be taken; a thread that
// cannot be started writes the copy at once instead.
bool start_background_save();
// True from start_background_save until finish_background_save has
// collected the write.
bool background_save_running();
// Collects a finished background write: the thread joined, the copy
// finished (finish_saved_game_copy; a failure is not shown). With wait,
// first waits for a write still running, at most SAVE_WRITER_WAIT_MS: a
// writer stalled past that is left to end alone and its result dropped.
// Every other save and read of a saved game, and the way out, call it.
void finish_background_save(bool wait);
enum { SAVE_WRITER_WAIT_MS = 10000 };

// ===========================================================================
// browser.cpp: the two thumbnail browsers
// ===========================================================================

// One entry of either browser list.
struct tn3_type {
    std::string tessellon;  // jigsaw folder name, or saved game name without ".png"
    TImage* img = nullptr;  // thumbnail, loaded when first drawn
    int page = 0;           // never used
    int x = 0, y = 0;       // top-left corner where last drawn
    int n = 0;              // position in its list, 1..count
    int marked = 0;         // marked for killing (library only)
    int failed = 0;         // the thumbnail could not be loaded; not tried again while the browser shows
};

// The two browsers, for the operations that serve either.
enum { BROWSER_LIBRARY = 0, BROWSER_SAVED = 1 };

// --- kept for the run; read again when their page is 0 ---
extern TList<tn3_type>* jigsaw_list;  // the library, reserved entry last
extern int jigsaw_page;               // current library page from 1; 0 = read again
extern int jigsaw_count;              // entries in jigsaw_list
extern int jigsaw_pages;              // library pages, worked out on every draw
extern TList<tn3_type>* saved_list;   // the saved games
extern int saved_page;                // current saved-game page; 0 = read again
extern int saved_count;               // entries in saved_list
extern int saved_pages;               // saved-game pages, worked out on every draw
extern TImage* cross_image;           // drawn over marked thumbnails; loaded by "delete1"

// Reads the jigsaws/ folder again (sorted by name, the reserved entry
// last, present or not); page 1. A folder that cannot be listed is
// reported and leaves only the reserved entry.
void list_jigsaws();
// Reads the player's folder again for saved games (their .png files,
// sorted by name, the reserved one last); page 1.
void list_saved_games();
// Frees the thumbnails both lists hold, and forgets which ones failed:
// the browser that shows next loads its page again. Called whenever no
// browser is on the screen.
void free_browser_thumbnails();
// Tells free_browser_thumbnails that an entry has loaded (or failed to
// load) its thumbnail since the last freeing.
void note_thumbnail_held();
// Entries on one page of either browser at the current display size.
int browser_per_page(int browser);
// Pages for count entries at k a page (0 entries: 0 pages).
int browser_page_count(int count, int per_page);
// The library page for "new1", "delete1" (red, crosses) or help over them.
void draw_jigsaw_page(const std::string& state);
// The saved-game page, for "load1" and help over it.
void draw_saved_page();
void draw_page_arrows(int browser);
void draw_page_title(const std::string& state);
// The title line of the page for that state ("Page 1 of 2" and so on).
std::string page_title_text(const std::string& state);
// The name of the thumbnail under the mouse on the page drawn last, ""
// when none; on "delete1" it also flips a markable entry's mark.
std::string jigsaw_at_mouse();
// True when the library entry has a cell on the page drawn last.
bool jigsaw_drawn(const tn3_type& entry);
// True when A may mark the library entry for killing: not the reserved
// jigsaw nor one installed with the game, which a kill refuses.
bool jigsaw_markable(const tn3_type& entry);
std::string saved_at_mouse();
// 1 when the mouse is on a page arrow's place (the page changed as that
// arrow says, "please wait" shown), else 0.
int page_arrow_click();

// Keys Left and Right: the previous or next page of the browser on screen.
void previous_page();
void next_page();

// ===========================================================================
// flows.cpp: new, load, delete and kill, restart, quick pick, do-new
// ===========================================================================

void new_screen_frame();     // per-frame operation of "new1"
void load_screen_frame();    // per-frame operation of "load1"
void delete_screen_frame();  // per-frame operation of "delete1"
// Marks (1) or unmarks (0) every markable entry of the current library page.
void mark_page(int flag);
// Marked entries over the whole library list.
int count_marked();
// Deletes jigsaw_folder(name) with everything in it; never the reserved
// jigsaw, an installed one, nor a name that could reach outside its
// folder. True when it is gone.
bool delete_jigsaw_folder(const std::string& name);
// Key K on "delete1": deletes the marked jigsaws (installed ones are
// refused with one message), then the opening jigsaw.
void kill_marked_jigsaws();
// Confirmed Q and D save the game they replace first (save_before_leaving),
// as do the new and load choices, restart and the kill.
void quick_pick();  // confirmed Q: a random other library jigsaw
void do_new();      // confirmed D: the first jigsaw without a saved game
