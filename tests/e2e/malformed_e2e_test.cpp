// A catalogue of damaged jigsaw folders and saved games a player might
// really end up with, on the real binary: for each, the game is led to it
// as a player would (N and a thumbnail, or L and a saved game), the
// message it shows is read off the screen, a key goes back to the game,
// which goes on with the jigsaw it had (or, where the damage is harmless,
// plays the new one), and nothing on disk has changed. Several cases
// share one game start; the cases that can hang a game run in their own.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "tests/e2e/harness.h"
#include "tests/e2e/screen_text.h"
#include "tests/support/e2e_setup.h"
#include "tests/support/files.h"
#include "tests/support/images.h"
#include "tests/support/jigsaw_files.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

const char* const title = support::GAME_TITLE;
const uint32_t BROWSER = 0xE0FFFF;  // the browsers' background
const int W = 800, H = 600;

// ===========================================================================
// Writing jigsaw folders and saved games
// ===========================================================================

std::string lines_of(const std::vector<std::string>& lines, const char* end = "\r\n") {
    std::string text;
    for (const std::string& l : lines) text += l + end;
    return text;
}

// Lines of the pieces file of a 2x2 jigsaw of 40x40 pieces with a colour.
std::vector<std::string> pieces_lines(uint32_t colour) {
    return {"2",
            "2",
            "0",
            "0",
            "300",
            "250",
            "340",
            "250",
            "300",
            "290",
            "340",
            "290",
            std::to_string(colour >> 16 & 255),
            std::to_string(colour >> 8 & 255),
            std::to_string(colour & 255)};
}

// A whole, playable 2x2 jigsaw folder: pieces.txt, 1..4.png and tn.png.
void good_jigsaw(const std::string& dir, uint32_t colour) {
    support::JigsawFiles jigsaw;
    jigsaw.rows = jigsaw.columns = 2;
    jigsaw.side = 40;
    jigsaw.piece_colour = [](int i) { return 0xFF000000u | (0x303030u * i); };
    jigsaw.picture_width = 120;
    jigsaw.picture_height = 90;
    jigsaw.picture_argb = 0xFF40A040;
    support::write_jigsaw(dir, jigsaw, lines_of(pieces_lines(colour)));
}

// A saved game of a 2x2 jigsaw with the given colour (33 lines) and its thumbnail.
void saved_game(const std::string& game_dir, const std::string& name, uint32_t colour, int keep_lines = 33) {
    std::vector<std::string> lines;
    for (int i = 1; i <= 4; i++) {
        std::vector<std::string> piece = {std::to_string(100 + 120 * i), "200", "0", "1", "0", std::to_string(i), "0"};
        lines.insert(lines.end(), piece.begin(), piece.end());
    }
    lines.insert(lines.end(), {std::to_string(colour >> 16 & 255), std::to_string(colour >> 8 & 255),
                               std::to_string(colour & 255), "0", "0"});
    lines.resize(static_cast<size_t>(keep_lines));
    std::string players = game_dir + "/players/default/";
    fs::create_directories(players);
    support::write_text(players + name + ".txt", lines_of(lines));
    support::write_solid_png(players + name + ".png", 264, 198, 0xFF8080C0);
}

// The starter library gives way to the cases; the opening jigsaw stays.
void keep_only_opening_jigsaw(const std::string& game_dir) {
    for (const fs::directory_entry& e : fs::directory_iterator(game_dir + "/jigsaws"))
        if (e.path().filename() != "0000bexil") fs::remove_all(e.path());
}

// ===========================================================================
// Reading the screen
// ===========================================================================

// The colour most of a grid of board points show (the board's background
// when few pieces lie on it).
uint32_t board_colour(const e2e::Shot& s) {
    std::map<uint32_t, int> seen;
    for (int y = 30; y < H; y += 60)
        for (int x = 30; x < W; x += 60) seen[s.at(x, y)]++;
    uint32_t best = 0;
    int most = 0;
    for (const auto& [colour, n] : seen)
        if (n > most) best = colour, most = n;
    return best;
}

bool browser_page(const e2e::Shot& s) { return s.at(400, 592) == BROWSER && s.at(4, 300) == BROWSER; }

// ===========================================================================
// What is on disk
// ===========================================================================

// Every path under root with its kind, size, mode, link target and
// content; special files (FIFOs) are never opened.
std::map<std::string, std::string> snapshot(const std::string& root) {
    std::map<std::string, std::string> files;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(root, fs::directory_options::none, ec), end; !ec && it != end;
         it.increment(ec)) {
        const fs::path& p = it->path();
        struct stat st;
        if (lstat(p.c_str(), &st) != 0) continue;
        std::string entry = std::to_string(st.st_mode) + " " + std::to_string(st.st_size);
        if (S_ISLNK(st.st_mode)) entry += " -> " + fs::read_symlink(p, ec).string();
        if (S_ISREG(st.st_mode)) entry += " " + std::to_string(std::hash<std::string>()(e2e::read_file_text(p)));
        files[p.string().substr(root.size())] = entry;
    }
    return files;
}

void expect_same_files(const std::map<std::string, std::string>& before,
                       const std::map<std::string, std::string>& after, const std::string& when) {
    for (const auto& [path, entry] : before) {
        auto found = after.find(path);
        if (found == after.end())
            ADD_FAILURE() << when << ": " << path << " is gone";
        else if (found->second != entry)
            ADD_FAILURE() << when << ": " << path << " changed";
    }
    for (const auto& [path, entry] : after)
        if (!before.count(path)) ADD_FAILURE() << when << ": " << path << " appeared";
}

// The game's peak resident memory so far, in KiB (0 when unreadable).
long peak_rss_kib(int pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string word;
    while (status >> word)
        if (word == "VmHWM:") {
            long kib = 0;
            status >> kib;
            return kib;
        }
    return 0;
}

// A PNG of 65 KB that decodes to 8192 x 8192 grey pixels (256 MiB as RGBA).
std::string bomb_png() {
    static std::string bytes;
    if (bytes.empty()) {
        support::TempFolder dir;
        TPixmap* grey = create_pixmap(8192, 8192, PF_GREY8);
        if (grey && save_pixmap_png(grey, dir.file("bomb.png"), 9)) bytes = e2e::read_file_text(dir.file("bomb.png"));
        free_pixmap(grey);
    }
    return bytes;
}

// Puts a hostile file in place of path: a bomb PNG, a FIFO, a link to
// /dev/zero or the first half of the file that was there.
void plant(const std::string& path, const std::string& how) {
    std::string whole = fs::exists(path) ? e2e::read_file_text(path) : "";
    fs::remove(path);
    if (how == "bomb") support::write_text(path, bomb_png());
    if (how == "fifo") mkfifo(path.c_str(), 0644);
    if (how == "zero") fs::create_symlink("/dev/zero", path);
    if (how == "cut") support::write_text(path, whole.substr(0, whole.size() / 2));
}

// ===========================================================================
// Driving the game
// ===========================================================================

struct Catalogue {
    e2e::Session& game;
    std::map<std::string, std::string> files;  // game folder and HOME at the start

    explicit Catalogue(e2e::Session& g) : game(g) {}

    std::map<std::string, std::string> all_files() {
        std::map<std::string, std::string> both = snapshot(game.game_dir);
        for (const auto& [path, entry] : snapshot(game.home_dir)) both["~" + path] = entry;
        return both;
    }

    // Cuts the opening short and waits until the board stands still.
    bool reach_board() {
        if (!game.wait_for_window(title, 30000)) return false;
        // The opening has drawn its first frame: a click now reaches it.
        if (!game.wait_for_screen([](const e2e::Shot& s) { return s.drawn(); }, 20000)) return false;
        game.click(790, 590);
        game.move(790, 590);
        if (!game.wait_until_still(20000, nullptr, [](const e2e::Shot& s) { return !browser_page(s); })) return false;
        files = all_files();
        return true;
    }

    // Opens a browser with its key and clicks the thumbnail in that cell.
    bool choose(const char* key, int cell) {
        game.key(key);
        if (!game.wait_until_still(15000, nullptr, browser_page)) return false;
        bool saved = std::string(key) == "l";
        int columns = saved ? 4 : 8, pitch_x = saved ? 196 : 98, pitch_y = saved ? 149 : 74;
        int x = 8 + (cell - 1) % columns * pitch_x + 20, y = 66 + (cell - 1) / columns * pitch_y + 15;
        game.click(x, y);
        return true;
    }

    // The message naming `text` shows; a key (one the game does not bind)
    // answers it and the board comes back in the colour it had. False
    // (with the failure added) when any of that did not happen.
    bool expect_message(const std::string& what, const std::string& text, uint32_t board) {
        e2e::TextMask mask = e2e::render_text(text, 14);
        if (mask.lit_count == 0) {
            ADD_FAILURE() << "cannot render the expected text";
            return false;
        }
        e2e::Shot last;
        bool seen = game.wait_for_screen([&](const e2e::Shot& s) { return e2e::message_says(s, mask); }, 20000, &last);
        support::keep_shot(last, what);
        if (!seen) {
            ADD_FAILURE() << what << ": no message showing \"" << text << "\""
                          << (e2e::message_screen(last) ? " (another message is shown)" : "");
            return false;
        }
        game.key("space");
        if (!game.wait_for_screen(
                [&](const e2e::Shot& s) { return !e2e::message_screen(s) && board_colour(s) == board; }, 15000,
                &last)) {
            ADD_FAILURE() << what << ": the board did not come back in #" << std::hex << board << ", it shows #"
                          << board_colour(last);
            return false;
        }
        expect_same_files(files, all_files(), what);
        return true;
    }

    // No message: the chosen jigsaw plays on a board of its own colour.
    void expect_plays(const std::string& what, uint32_t colour) {
        e2e::Shot last;
        EXPECT_TRUE(game.wait_for_screen([&](const e2e::Shot& s) { return board_colour(s) == colour; }, 20000, &last))
            << what << ": the board shows #" << std::hex << board_colour(last)
            << (e2e::message_screen(last) ? " (a message)" : "");
        expect_same_files(files, all_files(), what);
    }

    uint32_t board_now() { return board_colour(game.grab()); }

    // Escape twice (the exit question, then yes) ends a game still alive.
    void expect_clean_exit() {
        e2e::Shot before = game.grab();
        game.key("Escape");
        EXPECT_TRUE(game.wait_for_change(before, 10000)) << "no exit question";
        game.key("Escape");
        EXPECT_EQ(game.wait_exit(15000), 0);
        expect_same_files(files, all_files(), "after the exit");
    }
};

e2e::GameOptions options(const std::function<void(const std::string&)>& prepare) {
    return support::quiet_game(false, prepare);
}

// ===========================================================================
// Cases
// ===========================================================================

// Pieces files that are empty, cut short, not numbers, negative, huge, over
// 300 pieces or in CR-only line ends are refused naming the file; LF-only
// line ends, names with spaces or non-ASCII letters and a folder that is a
// link play.
TEST(MalformedE2e, PiecesFilesNamesAndLinks) {
    struct Case {
        const char* name;
        std::string pieces;  // "" keeps the good pieces file
        uint32_t plays;      // the board colour when it plays; 0 when refused
    };
    std::vector<std::string> good = pieces_lines(0);
    std::vector<Case> cases = {
        {"a-empty", "\x01", 0},  // "\x01": an empty file, written below
        {"b-cut-short", "2\r\n", 0},
        {"c-words", lines_of({"two", "two", "0", "0", "300", "250"}), 0},
        {"d-negative", lines_of({"-2", "2", "0", "0", "300", "250"}), 0},
        {"e-huge", lines_of({"1000000", "1000000", "0", "0"}), 0},
        {"f-over-300", lines_of({"20", "16", "0", "0"}), 0},
        {"g-cr-only", lines_of(pieces_lines(0x1478C8), "\r"), 0},
        {"h-lf-only", lines_of(pieces_lines(0x1478C8), "\n"), 0x1478C8},
        {"i name with spaces", "", 0xC87814},
        {"j-\xc3\xbcn\xc3\xaf"
         "c\xc3\xb6"
         "de",
         "", 0x7814C8},
        {"k-link", "", 0x14C878},
    };
    e2e::Session game(options([&](const std::string& dir) {
        keep_only_opening_jigsaw(dir);
        for (const Case& c : cases) {
            std::string folder = dir + "/jigsaws/" + c.name;
            if (std::string(c.name) == "k-link") {
                good_jigsaw(dir + "/elsewhere/linked", c.plays);
                fs::create_directory_symlink("../elsewhere/linked", folder);
                continue;
            }
            good_jigsaw(folder, c.plays ? c.plays : 0x808080);
            if (c.pieces == "\x01")
                support::write_text(folder + "/pieces.txt", "");
            else if (!c.pieces.empty())
                support::write_text(folder + "/pieces.txt", c.pieces);
        }
    }));
    ASSERT_TRUE(game.ok()) << game.error;
    Catalogue catalogue(game);
    ASSERT_TRUE(catalogue.reach_board());
    for (size_t i = 0; i < cases.size(); i++) {
        const Case& c = cases[i];
        uint32_t board = catalogue.board_now();
        ASSERT_TRUE(catalogue.choose("n", static_cast<int>(i) + 1)) << c.name;
        if (c.plays)
            catalogue.expect_plays(c.name, c.plays);
        else if (!catalogue.expect_message(c.name, "jigsaws/" + std::string(c.name) + "/pieces.txt", board))
            return;
    }
    catalogue.expect_clean_exit();
}

// Piece images that are missing, empty, corrupt, cut short, of a format the
// game does not read or far larger than the board are refused naming the
// image; the jigsaw had is kept. Thumbnails that are missing, empty,
// corrupt or oversized (reached through a saved game, since the library
// browser cannot show them) are named, and the saved game then plays. A
// damaged saved game and one whose jigsaw was deleted are refused and the
// game goes on; a thumbnail named ".png" is no saved game.
TEST(MalformedE2e, PieceImagesThumbnailsAndSavedGames) {
    std::string png;  // a whole piece image, to cut short
    struct Case {
        const char* name;
        int piece;           // the damaged image, 0 = tn.png
        const char* damage;  // "missing", "empty", "corrupt", "cut", "gif", "huge"
    };
    std::vector<Case> images = {
        {"a-missing-piece", 3, "missing"}, {"b-empty-piece", 2, "empty"}, {"c-corrupt-piece", 1, "corrupt"},
        {"d-cut-piece", 4, "cut"},         {"e-gif-piece", 2, "gif"},     {"f-huge-piece", 1, "huge"},
    };
    std::vector<Case> thumbnails = {
        {"t-missing-tn", 0, "missing"},
        {"u-empty-tn", 0, "empty"},
        {"v-corrupt-tn", 0, "corrupt"},
        {"w-huge-tn", 0, "huge"},
    };
    auto damage = [](const std::string& path, const std::string& how, bool thumbnail) {
        std::string whole = e2e::read_file_text(path);
        if (how == "missing") fs::remove(path);
        if (how == "empty") support::write_text(path, "");
        if (how == "corrupt") support::write_text(path, whole.substr(0, 16) + std::string(400, '\x5a'));
        if (how == "cut") support::write_text(path, whole.substr(0, whole.size() / 2));
        if (how == "gif")
            support::write_text(path, std::string("GIF89a\x28\0\x28\0\x80\0\0", 13) + std::string(60, '\0'));
        if (how == "huge") support::write_solid_png(path, thumbnail ? 6000 : 2048, thumbnail ? 4500 : 1536, 0xFF406080);
    };
    e2e::Session game(options([&](const std::string& dir) {
        keep_only_opening_jigsaw(dir);
        for (const Case& c : images) {
            std::string folder = dir + "/jigsaws/" + c.name;
            good_jigsaw(folder, 0x808080);
            damage(folder + "/" + std::to_string(c.piece) + ".png", c.damage, false);
        }
        for (size_t i = 0; i < thumbnails.size(); i++) {
            std::string folder = dir + "/jigsaws/" + thumbnails[i].name;
            good_jigsaw(folder, 0x808080);
            damage(folder + "/tn.png", thumbnails[i].damage, true);
            saved_game(dir, thumbnails[i].name, 0x203040u + 0x100000u * static_cast<uint32_t>(i));
        }
        good_jigsaw(dir + "/jigsaws/x-damaged", 0x808080);
        saved_game(dir, "x-damaged", 0x102030, 12);
        saved_game(dir, "y-deleted", 0x102030);
        support::write_solid_png(dir + "/players/default/.png", 264, 198, 0xFF808080);
    }));
    ASSERT_TRUE(game.ok()) << game.error;
    Catalogue catalogue(game);
    ASSERT_TRUE(catalogue.reach_board());

    for (size_t i = 0; i < images.size(); i++) {
        const Case& c = images[i];
        uint32_t board = catalogue.board_now();
        ASSERT_TRUE(catalogue.choose("n", static_cast<int>(i) + 1)) << c.name;
        bool told = catalogue.expect_message(
            c.name, "jigsaws/" + std::string(c.name) + "/" + std::to_string(c.piece) + ".png", board);
        // An oversized image that was not refused has loaded and plays:
        // the game is in a known state and the catalogue goes on.
        if (!told && std::string(c.damage) != "huge") return;
    }

    // The saved-game page: the four thumbnail cases, x-damaged, y-deleted,
    // and no seventh entry for ".png".
    game.key("l");
    e2e::Shot page;
    ASSERT_TRUE(game.wait_until_still(15000, &page, browser_page));
    EXPECT_NE(page.at(8 + 196 + 96, 66 + 149 + 72), BROWSER);      // cell 6
    EXPECT_EQ(page.at(8 + 2 * 196 + 96, 66 + 149 + 72), BROWSER);  // cell 7 is empty
    game.key("Escape");
    ASSERT_TRUE(game.wait_for_screen([](const e2e::Shot& s) { return !browser_page(s); }, 15000));

    uint32_t board = catalogue.board_now();
    ASSERT_TRUE(catalogue.choose("l", 5));
    if (!catalogue.expect_message("x-damaged",
                                  "Unable to resume players/default/x-damaged.txt: the file is damaged (12 lines, "
                                  "33 expected) - press any key",
                                  board))
        return;
    ASSERT_TRUE(catalogue.choose("l", 6));
    if (!catalogue.expect_message("y-deleted", "can't find jigsaws/y-deleted/pieces.txt - press any key", board))
        return;

    // The message names the thumbnail; the jigsaw plays without it, in
    // its saved game's colour.
    for (size_t i = 0; i < thumbnails.size(); i++) {
        const Case& c = thumbnails[i];
        ASSERT_TRUE(catalogue.choose("l", static_cast<int>(i) + 1)) << c.name;
        if (!catalogue.expect_message(c.name, "jigsaws/" + std::string(c.name) + "/tn.png",
                                      0x203040u + 0x100000u * static_cast<uint32_t>(i)))
            return;
    }
    catalogue.expect_clean_exit();
}

// A pieces file or a thumbnail that is a named pipe must not freeze the
// game: each is refused naming the file, and the game goes on.
TEST(MalformedE2e, NamedPipesInsteadOfFiles) {
    e2e::Session game(options([](const std::string& dir) {
        keep_only_opening_jigsaw(dir);
        good_jigsaw(dir + "/jigsaws/a-fifo-pieces", 0x808080);
        fs::remove(dir + "/jigsaws/a-fifo-pieces/pieces.txt");
        mkfifo((dir + "/jigsaws/a-fifo-pieces/pieces.txt").c_str(), 0644);
        good_jigsaw(dir + "/jigsaws/b-fifo-tn", 0x808080);
        fs::remove(dir + "/jigsaws/b-fifo-tn/tn.png");
        mkfifo((dir + "/jigsaws/b-fifo-tn/tn.png").c_str(), 0644);
        // Reached through saved games: the library page would draw the pipe.
        saved_game(dir, "a-fifo-pieces", 0x304050);
        saved_game(dir, "b-fifo-tn", 0x405060);
    }));
    ASSERT_TRUE(game.ok()) << game.error;
    Catalogue catalogue(game);
    ASSERT_TRUE(catalogue.reach_board());
    uint32_t board = catalogue.board_now();
    ASSERT_TRUE(catalogue.choose("l", 1));
    if (!catalogue.expect_message("a-fifo-pieces", "jigsaws/a-fifo-pieces/pieces.txt", board)) return;
    ASSERT_TRUE(catalogue.choose("l", 2));
    if (!catalogue.expect_message("b-fifo-tn", "jigsaws/b-fifo-tn/tn.png", 0x405060)) return;
    catalogue.expect_clean_exit();
}

// With the opening jigsaw refused there is nothing on the board: S says
// so and writes nothing, and L then finds no saved game.
TEST(MalformedE2e, OpeningJigsawRefusedSavesNothing) {
    e2e::Session game(options(
        [](const std::string& dir) { support::write_text(dir + "/jigsaws/0000bexil/pieces.txt", "0\r\n0\r\n"); }));
    ASSERT_TRUE(game.ok()) << game.error;
    ASSERT_TRUE(game.wait_for_window(title, 30000));
    Catalogue catalogue(game);
    e2e::TextMask refused = e2e::render_text("jigsaws/0000bexil/pieces.txt", 14);
    e2e::Shot message;
    ASSERT_TRUE(
        game.wait_for_screen([&](const e2e::Shot& s) { return e2e::message_says(s, refused); }, 30000, &message));
    support::keep_shot(message, "opening-refused");
    // The reader tells files apart: the same message does not name tn.png.
    EXPECT_FALSE(e2e::message_says(message, e2e::render_text("jigsaws/0000bexil/tn.png", 14)));
    catalogue.files = catalogue.all_files();
    game.key("space");
    e2e::TextMask nothing = e2e::render_text("There is no jigsaw to save", 22);
    e2e::TextMask other = e2e::render_text("I can't find any saved jigsaws to load", 22);
    e2e::Shot board;
    // No jigsaw to show: the screen may stay black, so the answer is seen as the message gone.
    ASSERT_TRUE(
        game.wait_for_screen([&](const e2e::Shot& s) { return !e2e::message_says(s, refused); }, 15000, &board));
    // The two status lines are told apart (the reader is not fooled).
    ASSERT_FALSE(e2e::status_says(board, nothing));
    game.key("s");
    e2e::Shot last;
    EXPECT_TRUE(game.wait_for_screen([&](const e2e::Shot& s) { return e2e::status_says(s, nothing); }, 15000, &last));
    support::keep_shot(last, "nothing-to-save");
    EXPECT_FALSE(e2e::status_says(last, other));
    EXPECT_FALSE(fs::exists(game.game_dir + "/players/default/.txt"));
    EXPECT_FALSE(fs::exists(game.game_dir + "/players/default/.png"));
    game.key("l");
    EXPECT_TRUE(game.wait_for_screen([&](const e2e::Shot& s) { return e2e::status_says(s, other); }, 15000, &last));
    EXPECT_FALSE(e2e::status_says(last, nothing));
    expect_same_files(catalogue.files, catalogue.all_files(), "after S and L");
    catalogue.expect_clean_exit();
}

// Hostile files (a bomb PNG, a FIFO, a link to /dev/zero, a file cut in
// half) in the opening jigsaw, among the shared images the box screen
// draws, as the library's thumbnails and as saved games' thumbnails: a
// piece refused names itself before the opening, a picture refused names
// itself and the opening plays on, a box image or a thumbnail refused is
// skipped in silence; memory stays within 40 MiB of a normal start (48
// bombs of 8192 x 8192 included), nothing is written and Escape ends the
// game with status 0.
TEST(MalformedE2e, HostileFilesInTheOpeningJigsawBrowsersAndBoxScreen) {
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> files;  // under the game folder, and how planted
        const char* told;  // the file the message names; "" = no message
        const char* then;  // "" Escape at once; "b" the box screen; "n", "l" a browser, then Escape
    };
    const std::string reserved = "jigsaws/0000bexil/";
    std::vector<std::pair<std::string, std::string>> bombs;
    for (int i = 1; i <= 48; i++) bombs.push_back({reserved + std::to_string(i) + ".png", "bomb"});
    const char* const hows[] = {"bomb", "fifo", "zero", "cut"};
    std::vector<std::pair<std::string, std::string>> library, saved;
    for (const char* how : hows) {
        library.push_back({std::string("jigsaws/") + how + "/tn.png", how});
        saved.push_back({std::string("players/default/") + how + ".png", how});
    }
    std::vector<Case> cases = {
        {"normal", {}, "", ""},
        {"bomb-pieces", bombs, "jigsaws/0000bexil/1.png", ""},
        {"fifo-piece", {{reserved + "2.png", "fifo"}}, "jigsaws/0000bexil/2.png", ""},
        {"zero-piece", {{reserved + "3.png", "zero"}}, "jigsaws/0000bexil/3.png", ""},
        {"cut-piece", {{reserved + "4.png", "cut"}}, "jigsaws/0000bexil/4.png", ""},
        {"bomb-picture", {{reserved + "tn.png", "bomb"}, {"images/box.png", "bomb"}}, "jigsaws/0000bexil/tn.png", ""},
        {"fifo-picture", {{reserved + "tn.png", "fifo"}, {"images/boxf.png", "fifo"}}, "jigsaws/0000bexil/tn.png", ""},
        {"zero-picture", {{reserved + "tn.png", "zero"}}, "jigsaws/0000bexil/tn.png", ""},
        {"box-frames", {{"images/box.png", "zero"}, {"images/boxf.png", "cut"}}, "", "b"},
        {"library-thumbnails", library, "", "n"},
        {"saved-thumbnails", saved, "", "l"},
    };
    ASSERT_FALSE(bomb_png().empty());
    long normal_kib = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        e2e::Session game(options([&](const std::string& dir) {
            if (std::string(c.then) == "n" || std::string(c.then) == "l") keep_only_opening_jigsaw(dir);
            for (const char* how : hows) {
                if (std::string(c.then) == "n") good_jigsaw(dir + "/jigsaws/" + how, 0x808080);
                if (std::string(c.then) == "l") saved_game(dir, how, 0x808080);
            }
            if (std::string(c.then) == "l") saved_game(dir, "good", 0x808080);
            for (const auto& [file, how] : c.files) plant(dir + "/" + file, how);
        }));
        ASSERT_TRUE(game.ok()) << game.error;
        ASSERT_TRUE(game.wait_for_window(title, 30000));
        Catalogue catalogue(game);
        catalogue.files = catalogue.all_files();
        e2e::Shot last;
        if (*c.told) {
            e2e::TextMask told = e2e::render_text(c.told, 14);
            bool seen =
                game.wait_for_screen([&](const e2e::Shot& s) { return e2e::message_says(s, told); }, 30000, &last);
            support::keep_shot(last, std::string("hostile-") + c.name);
            EXPECT_TRUE(seen) << "no message naming " << c.told;
            game.key("space");  // the message; the opening (or the empty board) follows
        } else if (*c.then) {
            ASSERT_TRUE(catalogue.reach_board());
            e2e::Shot board = game.grab();
            game.key(c.then);
            EXPECT_TRUE(game.wait_until_still(15000, &last, [&](const e2e::Shot& s) { return s.pixels != board.pixels; }));
            support::keep_shot(last, std::string("hostile-") + c.name);
            EXPECT_FALSE(e2e::message_screen(last)) << "a refused thumbnail or frame is skipped in silence";
            if (*c.then != 'b') {
                // Only the good entry (the reserved jigsaw, the good saved
                // game) takes a cell: the first, and the second is empty.
                bool saved_page = *c.then == 'l';
                int pitch = saved_page ? 196 : 98, dx = saved_page ? 96 : 20, dy = saved_page ? 72 : 15;
                EXPECT_NE(last.at(8 + dx, 66 + dy), BROWSER);
                EXPECT_EQ(last.at(8 + pitch + dx, 66 + dy), BROWSER);
            }
            game.key("Escape");
            EXPECT_TRUE(game.wait_for_change(last, 10000)) << "the screen did not close";
        } else {
            EXPECT_TRUE(game.wait_for_screen([](const e2e::Shot& s) { return s.drawn(); }, 30000, &last));
        }
        long kib = peak_rss_kib(game.game_pid);
        EXPECT_GT(kib, 0);
        if (std::string(c.name) == "normal") normal_kib = kib;
        EXPECT_LT(kib, normal_kib + 40 * 1024) << "peak " << kib << " KiB, a normal start " << normal_kib << " KiB";
        std::cout << c.name << ": peak resident memory " << kib << " KiB\n";
        game.key("Escape");
        int status = game.wait_exit(5000);
        if (status != 0) {  // no opening to end: Escape asked to leave; the second one answers yes
            game.key("Escape");
            status = game.wait_exit(15000);
        }
        EXPECT_EQ(status, 0);
        expect_same_files(catalogue.files, catalogue.all_files(), c.name);
    }
}

}  // namespace
