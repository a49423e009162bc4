// The saved game of a jigsaw: players/default/<name>.txt (seven lines per
// piece, then colour, display size and group counter, CR LF) and its
// 264x198 thumbnail <name>.png. Reading repairs every out-of-range value
// so a damaged file can never break the tables; writing goes to a file
// beside the old one and is renamed into place, so the old saved game
// stays whole until the new one is.
#include "library/library.h"
#include "play/play.h"
#include "shell/shell.h"

enum {
    SAVED_POSITION_LIMIT = 10000,  // pixels; no play moves a piece this far off the board
    THUMBNAIL_COMPRESSION = 5,     // zlib level of the thumbnail PNG
    SAVED_FILE_MODE = 0666,
};

static int read_int_line(TStream* stream) { return text_to_int(read_line(stream)); }

static int clamp_int(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

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

bool read_saved_game(std::string* problem) {
    problem->clear();
    std::string path = player_dir + jigsaw_name + ".txt";
    TStream* stream = read_file(path);
    if (!stream) {
        *problem = "Unable to access " + path;
        return false;
    }
    static int read_order[PIECE_TABLE_SIZE];
    int highest_group = 0;
    for (int i = 1; i <= piece_count; i++) {
        piece_type& p = pieces[i];
        p.x = clamp_int(read_int_line(stream), -SAVED_POSITION_LIMIT, SAVED_POSITION_LIMIT);
        p.y = clamp_int(read_int_line(stream), -SAVED_POSITION_LIMIT, SAVED_POSITION_LIMIT);
        int a = read_int_line(stream);
        p.a = (a >= 0 && a <= 3) ? a : 0;
        p.visible = read_int_line(stream) ? 1 : 0;
        int gp = read_int_line(stream);
        p.gp = gp > 0 ? gp : 0;
        if (p.gp > 0) show_grouped = p.visible;
        if (p.gp > highest_group) highest_group = p.gp;
        read_order[i] = read_int_line(stream);
        int box = read_int_line(stream);
        p.box = (box >= 0 && box <= BOX_COUNT) ? box : 0;
    }
    repair_draw_order(read_order, piece_count);
    bg_red = clamp_int(read_int_line(stream), 0, 255);
    bg_green = clamp_int(read_int_line(stream), 0, 255);
    bg_blue = clamp_int(read_int_line(stream), 0, 255);
    int large = read_int_line(stream) ? 1 : 0;
    int counter = read_int_line(stream);
    close_file(stream);
    if (large != large_display) {
        toggle_display_size();
        fill_tray();
    }
    // A group above the counter would make group_counter + 1 a number in
    // use; the counter is raised so the next join is still fresh.
    group_counter = counter > highest_group ? counter : highest_group;
    rebuild_boxes();
    relayout_tray();
    spread_edge_flags();
    return true;
}

// Writes the game file beside its final place; false when any byte failed.
static bool write_game_file(const std::string& part) {
    TStream* stream = write_file(part);
    if (!stream) return false;
    bool ok = true;
    for (int i = 1; i <= piece_count; i++) {
        const piece_type& p = pieces[i];
        int values[7] = {p.x, p.y, p.a, p.visible, p.gp, draw_order[i], p.box};
        for (int v : values) ok = write_line(stream, int_to_text(v)) && ok;
    }
    int tail[5] = {bg_red, bg_green, bg_blue, large_display, group_counter};
    for (int v : tail) ok = write_line(stream, int_to_text(v)) && ok;
    ok = close_file(stream) && ok;
    return ok;
}

// The thumbnail into `part`: the jigsaw's own picture when the puzzle is
// complete, else (and when that picture cannot be read) the board grabbed
// from the back buffer.
static void write_thumbnail(const std::string& part) {
    if (puzzle_complete()) {
        TPixmap* whole = load_pixmap(jigsaw_dir + "/tn.png");
        if (whole) {
            bool ok = save_pixmap_png(whole, part, THUMBNAIL_COMPRESSION);
            free_pixmap(whole);
            if (ok) return;
        }
    }
    grab_screen_thumbnail(part, 0.33f, 800, 600);
}

bool write_saved_game(std::string* problem) {
    problem->clear();
    std::string path = player_dir + jigsaw_name + ".txt";
    std::string part = path + ".part";
    if (!write_game_file(part)) {
        delete_file(part);
        *problem = "Unable to save to " + path;
        return false;
    }
    set_file_mode(part, SAVED_FILE_MODE);
    if (!rename_file(part, path)) {
        delete_file(part);
        *problem = "Unable to save to " + path;
        return false;
    }
    std::string thumb = player_dir + jigsaw_name + ".png";
    std::string thumb_part = thumb + ".part";
    delete_file(thumb_part);
    write_thumbnail(thumb_part);
    // Read back before it replaces the old thumbnail: a full disk can
    // leave a file that exists but is cut short.
    TPixmap* check = path_kind(thumb_part) == 1 ? load_pixmap(thumb_part) : nullptr;
    if (check) {
        free_pixmap(check);
        set_file_mode(thumb_part, SAVED_FILE_MODE);
        if (!rename_file(thumb_part, thumb)) {
            delete_file(thumb_part);
            *problem = "Unable to save to " + thumb;
        }
    } else {
        delete_file(thumb_part);
        *problem = "Unable to save to " + thumb;
    }
    saved_page = 0;
    return true;
}

bool load_saved_game() {
    std::string problem;
    bool loaded = read_saved_game(&problem);
    if (!problem.empty()) message_and_wait(problem);
    return loaded;
}

bool save_game() {
    std::string problem;
    bool written = write_saved_game(&problem);
    if (!problem.empty()) message_and_wait(problem);
    return written;
}

void save_command() {
    draw_board();
    if (picture_shown && picture) draw_image(picture, static_cast<float>(picture_x), static_cast<float>(picture_y), 0);
    if (save_game() && pref_save_message) status_message = "jigsaw saved";
    play_magic();
}
