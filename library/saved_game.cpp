// The saved game of a jigsaw: players/default/<name>.txt (seven lines per
// piece, then colour, display size and group counter, CR LF) and its
// 264x198 thumbnail <name>.png. Reading is all or nothing: the whole file
// is read and its line count checked against the jigsaw before any table
// changes, then every out-of-range value is repaired so a damaged number
// can never break the tables. Writing goes through write_file, which
// replaces the old file only once the new one is whole on disk, so the old
// saved game survives a full disk or an unwritable folder. A save is a copy
// taken from the board, then written: the background writer writes its
// copies on a thread of its own (save_writer.cpp).
#include "library/library.h"
#include "play/play.h"

enum {
    SAVED_POSITION_LIMIT = 10000,  // pixels; no play moves a piece this far off the board
    // Highest group number or counter taken as read. Every join issues the
    // counter + 1, at most piece count - 1 times per deal, so a counter at
    // this bound still has room below the int limit; larger ones come only
    // from damaged files.
    GROUP_NUMBER_LIMIT = 1000000000,
    THUMBNAIL_COMPRESSION = 5,  // zlib level of the thumbnail PNG
    SAVED_FILE_MODE = 0666,
};

// --- kept for the run: the game as its saved game holds it ---
std::vector<int> saved_values;  // saved_game_values() when the file was last written or read
std::string saved_values_name;  // the jigsaw_name it was written or read for; "" = none yet

static const char* const NO_JIGSAW_TO_SAVE = "There is no jigsaw to save";

static int clamp_int(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

// ===========================================================================
// Reading: the whole file into a staging record, checked, then applied
// ===========================================================================

enum {
    SAVED_LINES_PER_PIECE = 7,
    SAVED_TAIL_LINES = 5,  // colour, display size, group counter
    SAVED_LINES_MAX = SAVED_LINES_PER_PIECE * MAX_PIECES + SAVED_TAIL_LINES,
    // bytes; a game of 300 pieces written by the game is under 28 KB
    SAVED_FILE_MAX = 64 * 1024,
};

// A saved game read from its file but not yet laid over the tables.
struct staged_saved_game {
    int lines = 0;                         // lines up to the last non-empty one
    int values[SAVED_LINES_MAX + 1] = {};  // the numbers, line 1 first; [0] unused
};

// Reads every line of the file at path; false with the text for the player
// when it cannot be opened or is too large to be a saved game.
static bool stage_saved_game(const std::string& path, staged_saved_game& staged, std::string* problem) {
    TStream* stream = read_file(path);
    if (!stream) {
        *problem = "Unable to access " + path;
        return false;
    }
    if (stream_size(stream) > SAVED_FILE_MAX) {
        close_file(stream);
        *problem = "Unable to resume " + path + ": the file is damaged (too large)";
        return false;
    }
    staged.lines = 0;
    int read = 0;
    while (!eof(stream)) {
        std::string line = read_line(stream);
        read++;
        // A blank line inside the game reads as 0, as any unreadable
        // number does; blank lines at the end (an editor's last newline)
        // are not counted.
        if (read <= SAVED_LINES_MAX) staged.values[read] = text_to_int(line);
        if (!line.empty()) staged.lines = read;
    }
    close_file(stream);
    return true;
}

// The text for the player when the staged file is not a game of `count`
// pieces: every piece's seven lines and the five closing ones, no more.
static bool check_staged_lines(const std::string& path, const staged_saved_game& staged, int count,
                               std::string* problem) {
    int expected = SAVED_LINES_PER_PIECE * count + SAVED_TAIL_LINES;
    if (staged.lines == expected) return true;
    *problem = "Unable to resume " + path + ": the file is damaged (" + int_to_text(staged.lines) + " lines, " +
               int_to_text(expected) + " expected)";
    return false;
}

// Keeps the first appearance of every piece number in order and appends
// the numbers that never appeared, so draw_order is a permutation again.
static void repair_draw_order(const int* read_order, int count) {
    static unsigned char used[PIECE_TABLE_SIZE];
    for (int i = 1; i <= count; i++) used[i] = 0;
    int filled = 0;
    for (int i = 1; i <= count; i++) {
        int p = read_order[i];
        if (p < 1 || p > count || used[p]) continue;
        used[p] = 1;
        draw_order[++filled] = p;
    }
    for (int p = 1; p <= count; p++) {
        if (!used[p]) draw_order[++filled] = p;
    }
}

// Gives the groups the numbers 1, 2, 3 ... in the order of their first
// piece, keeping apart the pieces that were apart; the number of groups.
static int renumber_groups() {
    static int old_number[PIECE_TABLE_SIZE];  // [k] = what group k + 1 was read as
    int groups = 0;
    for (int i = 1; i <= piece_count; i++) {
        int g = pieces[i].gp;
        if (g <= 0) continue;
        int k = 0;
        while (k < groups && old_number[k] != g) k++;
        if (k == groups) old_number[groups++] = g;
        pieces[i].gp = k + 1;
    }
    return groups;
}

// Lays a checked staging record of piece_count pieces over the tables,
// repairing every value that is out of range.
static void apply_saved_game(const staged_saved_game& staged) {
    static int read_order[PIECE_TABLE_SIZE];
    const int* v = staged.values;
    int highest_group = 0;
    for (int i = 1; i <= piece_count; i++) {
        const int* line = v + SAVED_LINES_PER_PIECE * (i - 1);  // line[1..7] are piece i's
        piece_type& p = pieces[i];
        p.x = clamp_int(line[1], -SAVED_POSITION_LIMIT, SAVED_POSITION_LIMIT);
        p.y = clamp_int(line[2], -SAVED_POSITION_LIMIT, SAVED_POSITION_LIMIT);
        p.a = (line[3] >= 0 && line[3] <= 3) ? line[3] : 0;
        p.visible = line[4] ? 1 : 0;
        p.gp = line[5] > 0 ? line[5] : 0;
        if (p.gp > 0) show_grouped = p.visible;
        if (p.gp > highest_group) highest_group = p.gp;
        read_order[i] = line[6];
        p.box = (line[7] >= 0 && line[7] <= BOX_COUNT) ? line[7] : 0;
    }
    repair_draw_order(read_order, piece_count);
    const int* tail = v + SAVED_LINES_PER_PIECE * piece_count;  // tail[1..5]
    bg_red = clamp_int(tail[1], 0, 255);
    bg_green = clamp_int(tail[2], 0, 255);
    bg_blue = clamp_int(tail[3], 0, 255);
    int large = tail[4] ? 1 : 0;
    // The display is the shell's: it switches through its hook, and the
    // tray is laid out again for the new size.
    if (large != large_display) {
        if (display_size_hook) display_size_hook();
        fill_tray();
    }
    // A group above the counter would make group_counter + 1 a number in
    // use; the counter is raised so the next join is still fresh. Numbers
    // near the int limit would overflow at the next join and merge groups
    // that are apart, so those games are renumbered from 1.
    group_counter = tail[5] > highest_group ? tail[5] : highest_group;
    if (group_counter > GROUP_NUMBER_LIMIT) group_counter = renumber_groups();
    rebuild_boxes();
    relayout_tray();
    spread_edge_flags();
}

// The pieces the jigsaw folder's pieces file declares; 0 when it cannot be
// read or declares no playable grid (the jigsaw loader then says why).
static int declared_piece_count(const std::string& name) {
    TStream* stream = read_file(jigsaw_folder(name) + "/pieces.txt");
    if (!stream) return 0;
    int r = text_to_int(read_line(stream));
    int c = text_to_int(read_line(stream));
    close_file(stream);
    if (r < 1 || c < 1 || r > MAX_PIECES || c > MAX_PIECES || r * c > MAX_PIECES) return 0;
    return r * c;
}

// Static: a staging record of 2106 numbers is kept off the stack.
static staged_saved_game staged_game;

bool check_saved_game(const std::string& name, std::string* problem) {
    problem->clear();
    std::string path = player_dir + name + ".txt";
    if (!stage_saved_game(path, staged_game, problem)) return false;
    // Without a usable pieces file the jigsaw loader refuses the jigsaw and
    // says why; the file is checked again once a jigsaw has loaded.
    int count = declared_piece_count(name);
    if (count == 0) return true;
    return check_staged_lines(path, staged_game, count, problem);
}

bool saved_game_fits(const std::string& name) {
    std::string problem;
    bool fits = check_saved_game(name, &problem);
    if (!fits) message_and_wait(problem);
    return fits;
}

bool read_saved_game(std::string* problem) {
    // A background write still under way would replace the file being
    // read, and its values would then be taken as the ones read.
    finish_background_save(true);
    problem->clear();
    std::string path = player_dir + jigsaw_name + ".txt";
    if (!stage_saved_game(path, staged_game, problem)) return false;
    if (!check_staged_lines(path, staged_game, piece_count, problem)) return false;
    apply_saved_game(staged_game);
    saved_values = saved_game_values();
    saved_values_name = jigsaw_name;
    return true;
}

// ===========================================================================
// Writing
// ===========================================================================

std::vector<int> saved_game_values() {
    std::vector<int> values;
    values.reserve(SAVED_LINES_PER_PIECE * piece_count + SAVED_TAIL_LINES);
    for (int i = 1; i <= piece_count; i++) {
        const piece_type& p = pieces[i];
        values.insert(values.end(), {p.x, p.y, p.a, p.visible, p.gp, draw_order[i], p.box});
    }
    values.insert(values.end(), {bg_red, bg_green, bg_blue, large_display, group_counter});
    return values;
}

// Writes the game file; false (and the old file kept) when any byte failed.
static bool write_game_file(const std::string& path, const std::vector<int>& values) {
    TStream* stream = write_file(path);
    if (!stream) return false;
    bool ok = true;
    for (int v : values) ok = write_line(stream, int_to_text(v)) && ok;
    ok = close_file(stream) && ok;
    return ok;
}

bool take_saved_game(saved_game_copy* copy, std::string* problem) {
    problem->clear();
    // With no jigsaw loaded (the opening one refused) there is nothing to
    // save, and an empty name would write players/default/.txt.
    if (jigsaw_name.empty()) {
        *problem = NO_JIGSAW_TO_SAVE;
        return false;
    }
    std::string path = player_dir + jigsaw_name + ".txt";
    // A jigsaw named prefer or refresh would write its game over the
    // player's preferences; it is refused rather than given another file
    // name, so the folder's layout stays the one every reader knows.
    if (is_preferences_file(jigsaw_name + ".txt")) {
        *problem = "Unable to save to " + path + ": the preferences use that name";
        return false;
    }
    free_pixmap(copy->board);
    *copy = saved_game_copy();
    copy->jigsaw = jigsaw_name;
    copy->game_path = path;
    copy->thumbnail_path = player_dir + jigsaw_name + ".png";
    copy->values = saved_game_values();
    // A finished puzzle's thumbnail is the jigsaw's own picture; the board
    // is grabbed all the same, for when that picture cannot be written.
    if (puzzle_complete()) copy->picture_path = jigsaw_dir + "/tn.png";
    copy->board = grab_screen_pixels();
    return true;
}

// The thumbnail: the jigsaw's own picture when the copy names one, else
// (and when that picture cannot be read or is larger than a jigsaw's
// picture may be) the grabbed board at a third of its size. False when
// nothing could be written.
static bool write_thumbnail(const saved_game_copy& copy) {
    if (!copy.picture_path.empty()) {
        // The loader's bounds for the picture, checked from the header
        // before anything is decoded.
        TPixmap* whole = load_pixmap_within(copy.picture_path, JIGSAW_PICTURE_LIMITS, nullptr);
        if (whole) {
            bool ok = save_pixmap_png(whole, copy.thumbnail_path, THUMBNAIL_COMPRESSION);
            free_pixmap(whole);
            if (ok) return true;
        }
    }
    return save_thumbnail_pixels(copy.board, copy.thumbnail_path, 0.33f, 800, 600);
}

void write_saved_game_copy(saved_game_copy* copy) {
    copy->game_written = write_game_file(copy->game_path, copy->values);
    if (!copy->game_written) return;
    set_file_mode(copy->game_path, SAVED_FILE_MODE);
    copy->thumbnail_written = write_thumbnail(*copy);
    if (copy->thumbnail_written) set_file_mode(copy->thumbnail_path, SAVED_FILE_MODE);
}

bool finish_saved_game_copy(saved_game_copy* copy, std::string* problem) {
    free_pixmap(copy->board);
    copy->board = nullptr;
    if (!copy->game_written) {
        *problem = "Unable to save to " + copy->game_path;
        return false;
    }
    saved_values = copy->values;
    saved_values_name = copy->jigsaw;
    if (!copy->thumbnail_written) *problem = "Unable to save to " + copy->thumbnail_path;
    saved_page = 0;
    return true;
}

bool write_saved_game(std::string* problem) {
    // The background writer is done with the files before they are
    // written here, so that two writers never race on them.
    finish_background_save(true);
    saved_game_copy copy;
    if (!take_saved_game(&copy, problem)) return false;
    write_saved_game_copy(&copy);
    return finish_saved_game_copy(&copy, problem);
}

// What a reader or writer said, shown to the player; its result passed on.
static bool told(bool result, const std::string& problem) {
    if (!problem.empty()) message_and_wait(problem);
    return result;
}

bool load_saved_game() {
    std::string problem;
    bool loaded = read_saved_game(&problem);
    return told(loaded, problem);
}

bool save_game() {
    std::string problem;
    bool written = write_saved_game(&problem);
    return told(written, problem);
}

// The thumbnail is grabbed from the back buffer: the board and the
// picture where the player put it, without the status line, the question
// box or the pointer. The kept copy of the board serves when it shows
// just that, which spares the frame drawing every piece again.
static void draw_shown_board() {
    if (restore_shown_board()) return;
    draw_board();
    if (picture_shown && picture) draw_image(picture, static_cast<float>(picture_x), static_cast<float>(picture_y), 0);
}

bool write_shown_board(std::string* problem) {
    draw_shown_board();
    return write_saved_game(problem);
}

bool start_shown_board_save() {
    if (background_save_running()) return false;
    draw_shown_board();
    return start_background_save();
}

bool save_shown_board() {
    std::string problem;
    bool written = write_shown_board(&problem);
    return told(written, problem);
}

bool game_changed_since_saved() {
    return saved_values_name != jigsaw_name || saved_values != saved_game_values();
}

void save_command() {
    if (jigsaw_name.empty()) {
        status_message = NO_JIGSAW_TO_SAVE;
        return;
    }
    if (save_shown_board() && pref_save_message) status_message = "jigsaw saved";
    play_magic();
}
