// Loading a jigsaw folder (pieces.txt, one image per piece, tn.png) into
// the piece table, and the sequences the flows use around it: starting a
// jigsaw afresh (and the reserved one), dealing it again (restart) and
// resuming a saved game; and the way out of a game: what leaving it
// (a new jigsaw, or the end of the program) does first.
// A load is all or nothing: the pieces file and every piece image are read
// first, and the tables change only once all of them were found, so a
// refused or broken jigsaw leaves the game on the jigsaw it had. What a
// jigsaw may cost is bounded before any image is decoded: each piece is
// at most the largest board, all pieces together have a pixel budget.
#include <new>
#include <vector>

#include "library/library.h"
#include "play/play.h"

// --- set by every flow that loads a jigsaw ---
std::string jigsaw_name;  // current jigsaw and saved-game name; "" = none yet
std::string jigsaw_dir;   // jigsaw_folder(name) of the current jigsaw

// --- kept for the run ---
int player_game_on_board = 0;  // 1 once a flow dealt or resumed a game; 0 while the opening (or nothing) shows

int grid_index(int row, int column) {
    if (row < 1 || row > rows || column < 1 || column > columns) return 0;
    return (row - 1) * columns + column;
}

enum {
    // A piece or the picture larger than the largest board has no place on it.
    IMAGE_MAX_WIDTH = JIGSAW_IMAGE_MAX_WIDTH,
    IMAGE_MAX_HEIGHT = JIGSAW_IMAGE_MAX_HEIGHT,
    // Decoded pixels of all piece images of one jigsaw: eight large boards.
    // The largest starter jigsaw (300 pieces) needs about 0.9 million.
    JIGSAW_PIXEL_BUDGET = 8 * 1024 * 768,
    // Homes are piece centres on the 800 x 600 board.
    HOME_MAX_X = 800,
    HOME_MAX_Y = 600,
};

// The limits of one piece image, given the pixels the pieces before it left.
static TImageLimits piece_limits(int64_t budget) { return {IMAGE_MAX_WIDTH, IMAGE_MAX_HEIGHT, budget}; }

void prefetch_jigsaw_images(const std::string& name) {
    // The pieces are numbered from 1 without a gap; the first missing
    // number ends them (a broken folder is the load's to report).
    std::string folder = jigsaw_folder(name);
    std::vector<std::string> pieces;
    for (int i = 1; i <= MAX_PIECES; i++) {
        std::string piece = folder + "/" + int_to_text(i) + ".png";
        if (path_kind(piece) != 1) break;
        pieces.push_back(piece);
    }
    prefetch_images(pieces, piece_limits(JIGSAW_PIXEL_BUDGET), JIGSAW_PIXEL_BUDGET);
    prefetch_images({folder + "/tn.png"}, JIGSAW_PICTURE_LIMITS, 0);
}

static int read_int_line(TStream* stream) { return text_to_int(read_line(stream)); }

static int clamp_int(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }
static int clamp_colour(int v) { return clamp_int(v, 0, 255); }

// Why a file of a jigsaw folder could not be opened, for the player:
// "can't find" only when nothing is there; a file that is there but is no
// regular file, cannot be read or is too large is named as such.
static std::string open_problem(const std::string& path, int64_t max_bytes) {
    int problem = file_problem(path, max_bytes);
    if (problem == FILE_MISSING) return "can't find " + path;
    if (problem == FILE_READABLE) return "Unable to read " + path;
    return "Unable to read " + path + ": " + file_problem_text(problem);
}

// Why an image of a jigsaw folder could not be used, for the player.
static std::string image_problem(const std::string& path, const TImageClaim& claim, const char* what) {
    if (claim.no_memory) return "Not enough memory to load " + path;
    if (claim.width > IMAGE_MAX_WIDTH || claim.height > IMAGE_MAX_HEIGHT)
        return path + " is too large (" + int_to_text(claim.width) + "x" + int_to_text(claim.height) + ", " + what +
               " may be " + int_to_text(IMAGE_MAX_WIDTH) + "x" + int_to_text(IMAGE_MAX_HEIGHT) + ")";
    if (file_problem(path, -1) != FILE_READABLE) return open_problem(path, -1);
    return "Unable to load " + path + ": it is damaged or not a PNG, JPEG, BMP or TGA image";
}

// A jigsaw read from its folder but not yet put into the tables.
struct staged_jigsaw {
    int rows = 0, columns = 0;
    int x0[PIECE_TABLE_SIZE] = {};
    int y0[PIECE_TABLE_SIZE] = {};
    TImage* img[PIECE_TABLE_SIZE] = {};
    rgb_colour colour[PIECE_TABLE_SIZE] = {};  // average of each piece's opaque pixels
    bool has_colour = false;
    int red = 0, green = 0, blue = 0;
};

static void free_staged_images(staged_jigsaw& j, int count) {
    for (int i = 1; i <= count; i++) {
        if (j.img[i]) free_image(j.img[i]);
        j.img[i] = nullptr;
    }
}

// Reads the open pieces file and every piece image; stops with false and
// the text for the player at the first thing that cannot be used. *reading
// names the file being read, for the message when memory runs out.
static bool stage_pieces(TStream* stream, const std::string& dir, staged_jigsaw& j, std::string* problem,
                         std::string* reading) {
    const std::string path = dir + "/pieces.txt";
    j.rows = read_int_line(stream);
    j.columns = read_int_line(stream);
    // Checked before any product is formed, so no size can overflow.
    if (j.rows < 1 || j.columns < 1 || j.rows > MAX_PIECES || j.columns > MAX_PIECES ||
        j.rows * j.columns > MAX_PIECES) {
        *problem = "Unable to play " + path + ": it declares " + int_to_text(j.rows) + " rows and " +
                   int_to_text(j.columns) + " columns; a jigsaw has 1 to " + int_to_text(MAX_PIECES) + " pieces";
        return false;
    }
    read_line(stream);  // lines 3 and 4 are not interpreted
    read_line(stream);
    int count = j.rows * j.columns;
    int64_t budget = JIGSAW_PIXEL_BUDGET;  // decoded pixels the remaining pieces may have
    for (int i = 1; i <= count; i++) {
        j.x0[i] = clamp_int(read_int_line(stream), 0, HOME_MAX_X);
        j.y0[i] = clamp_int(read_int_line(stream), 0, HOME_MAX_Y);
        std::string image_path = dir + "/" + int_to_text(i) + ".png";
        *reading = image_path;
        // A spent budget refuses the next piece unread (a limit of 0 pixels
        // would mean no limit at all).
        TImageClaim claim;
        j.img[i] = budget > 0 ? load_image_within(image_path, -1, piece_limits(budget), &claim) : nullptr;
        if (!j.img[i]) {
            free_staged_images(j, i - 1);
            bool over_budget = budget <= 0 || (!claim.no_memory && claim.width > 0 && claim.width <= IMAGE_MAX_WIDTH &&
                                               claim.height > 0 && claim.height <= IMAGE_MAX_HEIGHT &&
                                               (int64_t)claim.width * claim.height > budget);
            *problem = over_budget ? "Unable to load " + image_path + ": the pieces together are too large"
                                   : image_problem(image_path, claim, "a piece");
            return false;
        }
        budget -= (int64_t)image_width(j.img[i]) * image_height(j.img[i]);
        // Taken now, while the decoded pixels are at hand: once drawn, the
        // image keeps them only in its texture.
        average_opaque_colour(lock_image(j.img[i], 0, true, false), &j.colour[i]);
    }
    *reading = path;  // the colour lines
    j.has_colour = !eof(stream);
    if (j.has_colour) {
        j.red = clamp_colour(read_int_line(stream));
        j.green = clamp_colour(read_int_line(stream));
        j.blue = clamp_colour(read_int_line(stream));
    }
    return true;
}

// Reads pieces.txt and every piece image into j, or says why not. Memory
// running out is one more reason: the staged images go, the tables stay.
static bool stage_jigsaw(const std::string& dir, staged_jigsaw& j, std::string* problem) {
    std::string path = dir + "/pieces.txt";
    TStream* stream = read_file(path);
    if (!stream) {
        *problem = open_problem(path, TEXT_FILE_MAX_BYTES);
        return false;
    }
    std::string reading = path;
    bool staged = false;
    try {
        staged = stage_pieces(stream, dir, j, problem, &reading);
    } catch (const std::bad_alloc&) {
        free_staged_images(j, MAX_PIECES);
        *problem = "Not enough memory to load " + reading;
    }
    close_file(stream);
    return staged;
}

// Puts a staged jigsaw into the tables, replacing every old piece image.
static void commit_jigsaw(staged_jigsaw& j) {
    for (int i = 1; i <= MAX_PIECES; i++) {
        if (pieces[i].img) free_image(pieces[i].img);
        pieces[i].img = nullptr;
    }
    rows = j.rows;
    columns = j.columns;
    piece_count = rows * columns;
    int i = 1;
    for (int r = 1; r <= rows; r++) {
        for (int c = 1; c <= columns; c++, i++) {
            piece_type& p = pieces[i];
            p.x0 = j.x0[i];
            p.y0 = j.y0[i];
            p.img = j.img[i];
            j.img[i] = nullptr;
            centre_image_handle(p.img);
            p.wd = image_width(p.img);
            p.ht = image_height(p.img);
            p.colour = j.colour[i];
            p.n = grid_index(r - 1, c);
            p.e = grid_index(r, c + 1);
            p.w = grid_index(r, c - 1);
            p.s = grid_index(r + 1, c);
            p.edge = (r == 1 || r == rows || c == 1 || c == columns) ? 1 : 0;
            p.gp = 0;
            p.visible = 1;
            draw_order[i] = i;
        }
    }
    if (!pref_custom_colour) {
        bg_red = 115;
        bg_green = 8;
        bg_blue = 33;
    }
    if (j.has_colour) {
        bg_red = j.red;
        bg_green = j.green;
        bg_blue = j.blue;
    }
}

static void load_picture(std::string* problem) {
    if (picture) free_image(picture);
    std::string path = jigsaw_dir + "/tn.png";
    TImageClaim claim;
    picture = load_image_within(path, 0, JIGSAW_PICTURE_LIMITS, &claim);
    picture_shown = 0;
    if (!picture) {
        picture_w = picture_h = 0;
        *problem = image_problem(path, claim, "a picture");
    } else {
        picture_w = image_width(picture);
        picture_h = image_height(picture);
    }
    picture_x = 10;
    picture_y = 10;
    picture_grab_dx = 0;
    picture_grab_dy = 0;
    picture_dragging = 0;
}

bool read_jigsaw(const std::string& name, std::string* problem) {
    problem->clear();
    std::string dir = jigsaw_folder(name);
    // Static: three tables of 301 entries are kept off the stack.
    static staged_jigsaw staged;
    staged = staged_jigsaw();
    if (!stage_jigsaw(dir, staged, problem)) return false;
    jigsaw_dir = dir;
    commit_jigsaw(staged);
    try {
        load_picture(problem);
    } catch (const std::bad_alloc&) {
        *problem = "Not enough memory to load " + jigsaw_dir + "/tn.png";
    }
    group_counter = 0;
    return true;
}

bool load_jigsaw(const std::string& name) {
    std::string problem;
    bool loaded = read_jigsaw(name, &problem);
    if (!problem.empty()) message_and_wait(problem);
    return loaded;
}

void leave_current_game() {
    stop_music();
    pending_confirm = "";
    player_game_on_board = 1;
}

void save_before_leaving() {
    // A background write is collected first, also when nothing follows it:
    // the program may end next.
    finish_background_save(true);
    // The opening is the game's own show: saving it would put the finished
    // picture over the player's saved game of the reserved jigsaw.
    if (!pref_save_on_leave || !player_game_on_board || jigsaw_name.empty()) return;
    save_shown_board();
}

void leave_program() {
    save_before_leaving();
    end_program();
}

bool start_jigsaw(const std::string& name) {
    if (!load_jigsaw(name)) return false;
    jigsaw_name = name;
    leave_current_game();
    deal_jigsaw();
    if (pref_custom_colour) {
        bg_red = saved_bg_red;
        bg_green = saved_bg_green;
        bg_blue = saved_bg_blue;
    }
    return true;
}

bool load_default_jigsaw() {
    // The name changes only with a jigsaw that loaded, so a broken reserved
    // folder leaves the game on whatever it had.
    if (!load_jigsaw(RESERVED_JIGSAW_NAME)) return false;
    jigsaw_name = RESERVED_JIGSAW_NAME;
    deal_jigsaw();
    return true;
}

void restart_jigsaw() {
    save_before_leaving();
    show_message_held("please wait");
    leave_current_game();
    deal_jigsaw();
}

bool resume_saved_game(const std::string& name) {
    // Saved first even when it is the game chosen: it then comes back as
    // the player left it, not as it was at an older save.
    save_before_leaving();
    show_message_held("please wait");
    click_pending = 0;
    screen_state = SCREEN_JIGSAW;
    if (!saved_game_fits(name) || !load_jigsaw(name)) return false;  // the current game goes on
    jigsaw_name = name;
    leave_current_game();
    reset_play_state();
    // Without its saved game the jigsaw is dealt afresh, so that no piece
    // lies where the previous jigsaw left it.
    if (!load_saved_game()) deal_jigsaw();
    return true;
}
