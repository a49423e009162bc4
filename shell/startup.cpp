// Start-up and display setup: the fixed order in which the program makes
// its folder, reads the preferences, opens the display, loads the shared
// images and fonts and hands over to the main loop; the choice of
// display mode and the two run-time toggles (size with F, window or full screen with W).
#include "library/library.h"
#include "play/play.h"
#include "shell/shell.h"

// --- kept for the run ---
std::string version;       // the project's version, set by the start-up
std::string app_title;     // "Tessellon v" + version
int windowed = 0;          // 1 = the player chose a window, 0 = full screen
int window_stands_in = 0;  // 1 = full screen was refused, a window shows instead

// --- the shell's own images, loaded at start-up and kept ---
TImage* pointer_image = nullptr;     // the game's own pointer
TImage* exit_image = nullptr;        // "leave the game?"
TImage* reload_image = nullptr;      // "restart this jigsaw?"
TImage* quick_pick_image = nullptr;  // "quick pick a jigsaw?"
TImage* do_new_image = nullptr;      // "start the next new jigsaw?"
TTimer* frame_timer = nullptr;       // 50 Hz

static const int small_width = 800, small_height = 600;
static const char* const full_screen_refused_message = "Full screen is not available here - playing in a window";
static const int large_width = 1024, large_height = 768;

void choose_display_mode(const std::vector<TGraphicsMode>& modes, int width, int height, int* depth, int* hertz) {
    // Depth 32 first, then 16; the highest rate wins, and a rate of 0
    // (unknown) never counts.
    for (int wanted_depth : {32, 16}) {
        int best = 0;
        for (const TGraphicsMode& mode : modes) {
            if (mode.width == width && mode.height == height && mode.depth == wanted_depth && mode.hertz > best)
                best = mode.hertz;
        }
        if (best > 0) {
            *depth = wanted_depth;
            *hertz = best;
            return;
        }
    }
    *depth = 32;
    *hertz = 60;
}

int open_display(int width, int height) {
    if (windowed) {
        window_stands_in = 0;
        return open_screen(width, height, 0, 60, 0) ? 1 : 0;
    }

    int depth = 32, hertz = 60;
    if (forced_refresh_rate > 0)
        hertz = forced_refresh_rate;
    else
        choose_display_mode(display_modes(), width, height, &depth, &hertz);
    if (open_screen(width, height, depth, hertz, 0)) {
        window_stands_in = 0;
        return 1;
    }

    // No mode of that size (a screen with a single mode, say) or input that
    // cannot be grabbed: rather than leave the game without a display, fall
    // back to a window of that size, and say so. The player's choice stays
    // full screen, so the next re-open tries full screen again.
    window_stands_in = 1;
    if (!open_screen(width, height, 0, 60, 0)) return 0;
    status_message = full_screen_refused_message;
    return 1;
}

void reopen_display() {
    if (large_display)
        open_display(large_width, large_height);
    else
        open_display(small_width, small_height);
    // A new window shows the system pointer again; the game draws its own.
    hide_mouse();
}

void toggle_display_size() {
    large_display = !large_display;
    // The number of thumbnails per page depends on the display size.
    if (jigsaw_page > 0) jigsaw_page = 1;
    if (saved_page > 0) saved_page = 1;
    reopen_display();
}

void toggle_windowed() {
    // A window standing in for a refused full screen is not the player's
    // choice: W then asks for full screen again, as it would from a window
    // he chose.
    if (window_stands_in)
        windowed = 0;
    else
        windowed = !windowed;
    reopen_display();
}

static TImage* load_shared_image(const char* name, int flags) { return load_image(base_dir + name, flags); }

// The images that the start-up and the title's opening jigsaw load, by the
// paths and limits their loads use: decoded on a worker thread while the
// display opens (the GL driver loading takes the main thread for most of
// the start-up). The title lets go of what its load did not take.
static void prefetch_start_images() {
    std::vector<std::string> paths;
    for (const char* name :
         {"images/pointer.bmp", "images/white.bmp", "images/exit.png", "images/box.png", "images/boxf.png",
          "images/reload.png", "images/jigsaw.png", "images/quick_pick.png", "images/do_new.png", "images/arrow1.png",
          "images/arrow2.png", "images/arrow3.png", "images/arrow4.png", "images/swatch.bmp"})
        paths.push_back(base_dir + name);
    prefetch_images(paths, IMAGE_LIMITS_GAME_FILE, 0);
    prefetch_jigsaw_images(RESERVED_JIGSAW_NAME);
}

bool start_up() {
    install_shell_hooks();
    version = TESSELLON_VERSION;
    app_title = "Tessellon v" + version;
    set_app_title(app_title);

    ensure_player_dir();
    read_preferences();
    windowed = pref_windowed;
    // Full screen keeps the desktop's mode and scales the board when the
    // player asked for it; otherwise scaling is only the fallback.
    set_keep_screen_resolution(pref_keep_resolution != 0);
    prefetch_start_images();

    bool opened;
    if (pref_large_display) {
        large_display = 1;
        opened = open_display(large_width, large_height);
    } else {
        large_display = 0;
        opened = open_display(small_width, small_height);
        if (!opened) {
            window_stands_in = 1;
            opened = open_screen(small_width, small_height, 0, 60, 0) != nullptr;
        }
    }
    if (!opened) return false;

    hide_mouse();
    move_mouse(379, 279);
    if (large_display) move_mouse(494, 368);

    // The fonts come before the title box so that the box shows its text
    // in the game's own font rather than the built-in one.
    font_large = load_font(base_dir + "fonts/Tahoma.ttf", 22, 4);
    font_small = load_font(base_dir + "fonts/Tahoma.ttf", 14, 4);
    // A player's folder that could not be made was reported before any
    // display existed; the player sees it now, and plays on without saves.
    show_held_messages();
    show_message_held(app_title);
    seed_random(clock_ms());

    pointer_image = load_shared_image("images/pointer.bmp", -1);
    white_image = load_shared_image("images/white.bmp", 0);
    exit_image = load_shared_image("images/exit.png", 0);
    box_image = load_shared_image("images/box.png", -1);
    boxf_image = load_shared_image("images/boxf.png", -1);
    reload_image = load_shared_image("images/reload.png", 0);
    jigsaw_image = load_shared_image("images/jigsaw.png", 0);
    quick_pick_image = load_shared_image("images/quick_pick.png", 0);
    do_new_image = load_shared_image("images/do_new.png", 0);
    // The piece, box, tray and animation tables are fixed-size globals of
    // the play subsystem; they exist before the start-up runs.
    frame_timer = create_timer(50);
    for (int i = 1; i <= 4; i++) arrow_images[i] = load_image(base_dir + "images/arrow" + int_to_text(i) + ".png", -1);

    start_music();
    create_puzzle_tables();
    screen_state = "title";
    return true;
}
