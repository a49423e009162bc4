// The main loop: one iteration draws a frame of the current screen, flips
// it, handles a click that no screen took, checks for completion, then
// waits for exactly one event and dispatches it. All keys are dispatched
// here, through the global table and then at most one screen table (box,
// jigsaw or delete); the screens see clicks only as pending flags.
// The yes/no questions and the ways the program ends live here too.
#include "library/library.h"
#include "play/play.h"
#include "screens/screens.h"
#include "shell/shell.h"

// --- the shell's moments of interaction, kept for the run ---
int pointer_visible = 0;                  // the game's pointer is drawn
int ctrl_down = 0;                        // a Control key is held
int intro_pending = 1;                    // "anim" is the opening animation
int key7_count = 0;                       // consecutive presses of 7

// --- the frame on the screen, kept for the run ---
int frame_skipping = 1;                   // 0 draws every iteration, as a reference for tests

// The jigsaw whose completion is celebrated, and the words shown then.
static const char* const celebrated_jigsaw = "4975red_mixer";
static const char* const celebration_text = "You have just completed Tessellon number 1000!";

// The screens from which H opens help, as whole words.
static const char* const help_key_screens = " box jigsaw new1 delete1 load1 ";

// ===========================================================================
// Screen states and their per-frame operations
// ===========================================================================

// After the flight: the opening ends on the board (or on help), a
// completed jigsaw on the board, after the celebration when it is the one.
static void end_animation() {
    if (intro_pending) {
        if (anim_skipped) {
            screen_state = SCREEN_JIGSAW;
        } else if (pref_click_help) {
            if (!large_display) help_zoom_intro();
            previous_screen = SCREEN_JIGSAW;
            screen_state = SCREEN_HELP;
        } else {
            screen_state = SCREEN_JIGSAW;
        }
        intro_pending = 0;
        pointer_visible = 1;
    } else {
        if (jigsaw_name == celebrated_jigsaw) celebrate(celebration_text);
        screen_state = SCREEN_JIGSAW;
    }
}

static void anim_frame() {
    completion_animation_frame();
    draw_board();
    if (anim_phase == 4) end_animation();
}

static void unrotate_frame() {
    unrotate_screen_frame();
    draw_board();
    if (unrotate_phase == 4) screen_state = SCREEN_JIGSAW;
}

// A screen whose row leaves `still` at 0 is drawn every iteration, ticks
// included: that is right for anything that moves with time, and a new
// row gets it unless it says otherwise. A still screen (1) promises that
// its frame depends only on the game's state, which changes with input
// (keys, buttons, pointer motion) and with what that input sets off;
// frames after a plain tick that would repeat the one shown are skipped.
//
// A screen without a help page of its own names in `backdrop` how to draw
// what it shows without acting on anything (no step of a flight, no
// click), so that help over it can show its frame, held still.
struct screen_type {
    const char* state;   // the screen_state value
    void (*frame)();     // its per-frame operation
    int still;           // 1: unchanged by time alone; 0: drawn every tick
    void (*backdrop)();  // draws its frame without acting; Null when it has a help page
};

static const screen_type screens[] = {
    {SCREEN_TITLE, title_step, 0, draw_board},
    {SCREEN_ANIM, anim_frame, 0, draw_board},
    {SCREEN_JIGSAW, jigsaw_screen_frame, 1, nullptr},
    {SCREEN_BOX, box_screen_frame, 1, nullptr},
    {SCREEN_NEW, new_screen_frame, 1, nullptr},
    {SCREEN_DELETE, delete_screen_frame, 1, nullptr},
    {SCREEN_LOAD, load_screen_frame, 1, nullptr},
    {SCREEN_HELP, help_screen_frame, 1, nullptr},
    {SCREEN_UNROTATE, unrotate_frame, 0, draw_board},
    {SCREEN_PREFER, prefer_screen_frame, 1, draw_prefer_screen},
};

static const screen_type* current_screen() {
    for (const screen_type& screen : screens) {
        if (screen_state == screen.state) return &screen;
    }
    return nullptr;
}

// Any other state runs nothing.
static void run_screen_frame() {
    const screen_type* screen = current_screen();
    if (screen) screen->frame();
}

bool draw_screen_backdrop(const std::string& state) {
    for (const screen_type& screen : screens) {
        if (state == screen.state && screen.backdrop) {
            screen.backdrop();
            return true;
        }
    }
    return false;
}

void forget_interaction() {
    held_piece = 0;
    picture_dragging = 0;
    click_pending = 0;
    right_click_pending = 0;
    pending_confirm = "";
    // The tray is filled again whenever the box screen opens; what it held
    // named pieces of the jigsaw that is gone.
    tray_count = 0;
    tray_overflow = 0;
    end_opening();
}

void end_opening() {
    // An opening flight left for another screen is over: the game's own
    // pointer shows from now on, and a later flight is a completion's.
    if (intro_pending) {
        intro_pending = 0;
        pointer_visible = 1;
    }
}

// ===========================================================================
// Questions
// ===========================================================================

// The box image of a question letter; Null for none.
static TImage* confirm_image(const std::string& letter) {
    if (letter == ASK_DO_NEW) return do_new_image;
    if (letter == ASK_QUICK_PICK) return quick_pick_image;
    if (letter == ASK_RESTART) return reload_image;
    if (letter == ASK_EXIT) return exit_image;
    return nullptr;
}

void draw_confirm_box() {
    if (pending_confirm.empty()) return;
    TImage* image = confirm_image(pending_confirm);
    if (image) draw_centred_image(image, 1);
}

void confirm_click() {
    if (pending_confirm.empty()) return;
    click_pending = 0;
    TImage* image = confirm_image(pending_confirm);
    // The yes rectangle, relative to the box's top-left corner.
    int hit;
    if (pending_confirm == ASK_EXIT)
        hit = mouse_in_centred_image(image, 149, 29, 226, 79);
    else
        hit = mouse_in_centred_image(image, 154, 68, 239, 99);
    if (hit) {
        if (pending_confirm == ASK_DO_NEW) do_new();
        else if (pending_confirm == ASK_QUICK_PICK) quick_pick();
        else if (pending_confirm == ASK_RESTART) restart_jigsaw();
        else if (pending_confirm == ASK_EXIT) end_program();
    }
    // Any click answers: a click outside the yes rectangle is a no.
    pending_confirm = "";
}

void cancel_confirmation(int key) {
    if ((pending_confirm == ASK_DO_NEW && key != KEY_D) ||
        (pending_confirm == ASK_QUICK_PICK && key != KEY_Q) ||
        (pending_confirm == ASK_RESTART && key != KEY_R) ||
        (pending_confirm == ASK_EXIT && key != KEY_ESCAPE))
        pending_confirm = "";
}

// The same key twice withdraws its question; asking lets go of a held piece.
static void toggle_question(const char* letter) {
    if (pending_confirm == letter) {
        pending_confirm = "";
    } else {
        pending_confirm = letter;
        held_piece = 0;
    }
}

// Y answers every question but the exit one.
static void answer_yes() {
    if (pending_confirm == ASK_QUICK_PICK) {
        pending_confirm = "";
        quick_pick();
    }
    if (pending_confirm == ASK_RESTART) {
        pending_confirm = "";
        restart_jigsaw();
    }
    if (pending_confirm == ASK_DO_NEW) {
        pending_confirm = "";
        do_new();
    }
}

// ===========================================================================
// Key tables
// ===========================================================================

// Escape ends the opening, answers the exit question, asks it, or goes
// back to the board from the screens that are not the board.
static void escape_key() {
    if (screen_state == SCREEN_ANIM && intro_pending) end_program();
    if (pending_confirm == ASK_EXIT) end_program();
    pending_confirm = ASK_EXIT;
    if (screen_state == SCREEN_NEW || screen_state == SCREEN_DELETE ||
        screen_state == SCREEN_LOAD) {
        screen_state = SCREEN_JIGSAW;
        pending_confirm = "";
    }
    if (screen_state == SCREEN_BOX) {
        screen_state = SCREEN_JIGSAW;
        pending_confirm = "";
        show_current_box();
    }
    if (screen_state == SCREEN_HELP && previous_screen != SCREEN_JIGSAW) {
        screen_state = SCREEN_JIGSAW;
        pending_confirm = "";
    }
    if (screen_state == SCREEN_PREFER) {
        prefer_state = -1;  // drops the unsaved edits
        screen_state = SCREEN_JIGSAW;
        pending_confirm = "";
    }
}

static void global_key(int key) {
    switch (key) {
    case KEY_F2: show_display_info(); break;
    case KEY_LEFT: previous_page(); break;
    case KEY_RIGHT: next_page(); break;
    case KEY_LEFT_CONTROL:
    case KEY_RIGHT_CONTROL: ctrl_down = 1; break;
    case KEY_F:
        toggle_display_size();
        fill_tray();
        break;
    case KEY_X: status_message = app_title + " from " + PUBLISHER_ADDRESS; break;
    case KEY_ESCAPE: escape_key(); break;
    case KEY_D: toggle_question(ASK_DO_NEW); break;
    case KEY_H:
        if (screen_state == SCREEN_HELP) {
            screen_state = previous_screen;
        } else if (!screen_state.empty() &&
                   find_text(help_key_screens, " " + screen_state + " ", 1) > 0) {
            previous_screen = screen_state;
            screen_state = SCREEN_HELP;
            held_piece = 0;
            click_x = mouse_x;
            click_y = mouse_y;
        }
        break;
    case KEY_F1:
        if (screen_state == SCREEN_HELP) {
            screen_state = previous_screen;
        } else {
            previous_screen = screen_state;
            screen_state = SCREEN_HELP;
        }
        break;
    case KEY_K:
        if (screen_state == SCREEN_DELETE)
            kill_marked_jigsaws();
        else
            screen_state = SCREEN_DELETE;
        break;
    case KEY_L: screen_state = SCREEN_LOAD; break;
    case KEY_N:
        if (!pending_confirm.empty())
            pending_confirm = "";  // N answers no
        else
            screen_state = SCREEN_NEW;
        break;
    case KEY_Q: toggle_question(ASK_QUICK_PICK); break;
    case KEY_S: save_command(); break;
    case KEY_W: toggle_windowed(); break;
    case KEY_Y: answer_yes(); break;
    default: break;
    }
}

static void toggle_picture() {
    if (picture) picture_shown = !picture_shown;
}

static void box_key(int key) {
    switch (key) {
    case KEY_LEFT:
    case KEY_DOWN: previous_box(); break;
    case KEY_RIGHT:
    case KEY_UP: next_box(); break;
    case KEY_B: fill_tray(); break;
    case KEY_I: screen_state = SCREEN_PREFER; break;
    case KEY_J:
        show_current_box();
        screen_state = SCREEN_JIGSAW;
        break;
    case KEY_P: toggle_picture(); break;
    case KEY_Z:
        hide_all_pieces();
        screen_state = SCREEN_JIGSAW;
        break;
    default:
        if (key >= KEY_1 && key <= KEY_5) {
            current_box = key - KEY_1 + 1;
            purge_grouped_from_box();
        }
        break;
    }
}

static void jigsaw_key(int key) {
    switch (key) {
    case KEY_7:
        key7_count++;
        if (key7_count == 3) {
            key7_count = 0;
            completion_seen = 1;
            start_completion_animation();
        }
        break;
    case KEY_A: show_all_pieces(); break;
    case KEY_B:
        screen_state = SCREEN_BOX;
        fill_tray();
        purge_grouped_from_box();
        break;
    case KEY_C: swatch_shown = !swatch_shown; break;
    case KEY_E: toggle_edge_pieces(); break;
    case KEY_G:
        show_grouped = !show_grouped;
        apply_grouped_visibility();
        break;
    case KEY_I: screen_state = SCREEN_PREFER; break;
    case KEY_M: home_first_piece(); break;
    case KEY_O:
        show_loose = !show_loose;
        apply_loose_visibility();
        break;
    case KEY_P: toggle_picture(); break;
    case KEY_R: toggle_question(ASK_RESTART); break;
    case KEY_T:
        click_x = -1;  // the tidy region follows the live mouse
        tidy_pieces();
        break;
    case KEY_U:
        unrotate_phase = 1;
        screen_state = SCREEN_UNROTATE;
        break;
    case KEY_Z: hide_all_pieces(); break;
    default:
        if (key >= KEY_1 && key <= KEY_5) {
            int box = key - KEY_1 + 1;
            box_shown[box] = !box_shown[box];
            apply_box_visibility();
        }
        break;
    }
    // Any key on the board but T hides the count of the last tidy.
    if (key != KEY_T) tidy_state.k = 0;
}

static void delete_key(int key) {
    if (key == KEY_A) mark_page(1);
    if (key == KEY_U) mark_page(0);
}

// The screen itself, or the screen under the help page.
static bool keys_belong_to(const char* state) {
    return screen_state == state || (screen_state == SCREEN_HELP && previous_screen == state);
}

static void dispatch_key(int key) {
    status_message = "";
    help_prompt_active = 0;
    global_key(key);
    // One screen table at most, chosen by where the global table left us.
    if (keys_belong_to(SCREEN_BOX))
        box_key(key);
    else if (keys_belong_to(SCREEN_JIGSAW))
        jigsaw_key(key);
    else if (keys_belong_to(SCREEN_DELETE))
        delete_key(key);
    if (key != KEY_7) key7_count = 0;
    cancel_confirmation(key);
    // A key that took the player away from the opening flight (N, L, I, ...;
    // help over the flight only pauses it) ends the opening as a kill does.
    if (screen_state != SCREEN_TITLE && !keys_belong_to(SCREEN_ANIM)) end_opening();
}

static void dispatch_button(int button) {
    status_message = "";
    help_prompt_active = 0;
    bool turns = screen_state == SCREEN_JIGSAW || screen_state == SCREEN_BOX;
    if (button == 1) {
        // Control + left click is the one-button mouse's right click.
        if (ctrl_down) {
            if (turns) right_click_pending = 1;
        } else {
            click_pending = 1;
        }
    } else if (button == 2) {
        if (turns) right_click_pending = 1;
    }
}

// ===========================================================================
// The loop
// ===========================================================================

// A click that no screen took closes help (and acts on the screen under
// it when it missed the page), or opens help when the player wants that.
static void unhandled_click() {
    if (screen_state == SCREEN_HELP) {
        screen_state = previous_screen;
        TImage* page = help_images[0];
        bool on_page = page && mouse_in_centred_image(page, 0, 0, image_width(page),
                                                      image_height(page));
        if (!on_page) {
            if (screen_state == SCREEN_JIGSAW) {
                swatch_click();
                if (click_pending) picture_click();
                if (click_pending) pick_up_piece();
            } else if (screen_state == SCREEN_BOX) {
                box_screen_click();
            }
        }
    } else if (pref_click_help) {
        previous_screen = screen_state;
        screen_state = SCREEN_HELP;
        click_x = mouse_x;
        click_y = mouse_y;
    }
    click_pending = 0;
}

static void draw_pointer() {
    if (!pointer_visible || !pointer_image) return;
    if (held_piece > 0 && screen_state == SCREEN_JIGSAW) return;
    draw_image(pointer_image, pointer_x(), pointer_y(), 0);
}

// ===========================================================================
// Skipping identical frames
// ===========================================================================

// What the loop itself knows a frame is drawn from, beside the screens'
// own tables: taken at the start of an iteration, before its per-frame
// operation runs.
struct frame_inputs_type {
    std::string screen, previous, confirm, status;
    int pointer_shown, help_prompt;
    int held, held_x, held_y;  // the held piece and where the mouse put it
    int picture_at_x, picture_at_y;
    int generation, width, height;
};

// Pointer motion itself is not here: it always arrives as an event. What
// the loop moves after the event with the mouse position it sampled
// before it (the held piece, the dragged picture) is.
static frame_inputs_type frame_inputs_now() {
    bool holding = held_piece >= 1 && held_piece <= MAX_PIECES;
    return {screen_state, previous_screen, pending_confirm, status_message,
            pointer_visible, help_prompt_active,
            held_piece, holding ? pieces[held_piece].x : 0, holding ? pieces[held_piece].y : 0,
            picture_x, picture_y,
            display_generation, display_width(), display_height()};
}

static bool same_inputs(const frame_inputs_type& a, const frame_inputs_type& b) {
    return a.screen == b.screen && a.previous == b.previous && a.confirm == b.confirm &&
           a.status == b.status && a.pointer_shown == b.pointer_shown &&
           a.help_prompt == b.help_prompt && a.held == b.held && a.held_x == b.held_x &&
           a.held_y == b.held_y && a.picture_at_x == b.picture_at_x &&
           a.picture_at_y == b.picture_at_y && a.generation == b.generation &&
           a.width == b.width && a.height == b.height;
}

// --- the frame on the screen, kept for the run ---
static int frame_stale = 1;                 // input arrived, or something said the frame changed
static frame_inputs_type shown_inputs;      // frame_inputs_now() of the frame on the screen
static int shown_serial = -1;               // display_shown_serial right after that frame's flip

void mark_frame_stale() { frame_stale = 1; }

// The frame must be drawn unless the screen is still, no input came since
// the frame on the screen was drawn, nothing that frame was drawn from has
// changed, and nobody else has drawn over it (a message that waited for a
// key, the celebration, an expose, a re-opened display).
static bool frame_needed(const frame_inputs_type& now) {
    const screen_type* screen = current_screen();
    return !frame_skipping || frame_stale || !screen || !screen->still ||
           shown_serial != display_shown_serial || !same_inputs(now, shown_inputs);
}

void main_loop_iteration() {
    // Thumbnails are kept while a browser (or help over one) shows only.
    if (!keys_belong_to(SCREEN_NEW) && !keys_belong_to(SCREEN_DELETE) &&
        !keys_belong_to(SCREEN_LOAD))
        free_browser_thumbnails();
    frame_inputs_type inputs = frame_inputs_now();
    // A click the frame takes may change the state after the frame drew it.
    int clicked = click_pending, right_clicked = right_click_pending;
    if (frame_needed(inputs)) {
        frame_stale = 0;
        shown_inputs = inputs;
        run_screen_frame();
        if (!status_message.empty()) show_message(status_message, 0, 0.5f);
        draw_confirm_box();
        draw_pointer();
        flip(1);
        shown_serial = display_shown_serial;
    }
    mouse_x = pointer_x();
    mouse_y = pointer_y();

    if (click_pending) unhandled_click();

    if (puzzle_complete() && !completion_seen) {
        start_music();
        scatter_pieces();
        start_completion_animation();
        completion_seen = 1;
    }

    if (clicked || (right_clicked && !right_click_pending)) frame_stale = 1;

    wait_event();
    int id = event_id();
    int data = event_data();
    // Every event but the timer's tick is input, and input gets its frame.
    if (id != EVENT_TIMER_TICK) frame_stale = 1;
    if (id == EVENT_QUIT) end_program();
    if (id == EVENT_KEY_DOWN) dispatch_key(data);
    if (id == EVENT_KEY_UP && (data == KEY_LEFT_CONTROL || data == KEY_RIGHT_CONTROL))
        ctrl_down = 0;
    if (id == EVENT_MOUSE_DOWN) dispatch_button(data);
    // A motion moves what follows the mouse at once, not a tick later.
    if (id == EVENT_MOUSE_MOVE) {
        mouse_x = pointer_x();
        mouse_y = pointer_y();
    }

    if (picture_dragging) {
        picture_x = mouse_x - picture_grab_dx;
        picture_y = mouse_y - picture_grab_dy;
    }
    if (click_pending) confirm_click();
    // The held piece, and its group, follow the mouse.
    if (held_piece >= 1 && held_piece <= MAX_PIECES) {
        pieces[held_piece].x = mouse_x - grab_dx;
        pieces[held_piece].y = mouse_y - grab_dy;
        place_group(held_piece);
    }
    // The window system's terminate flag ends the program between frames.
    if (quit_requested()) end_program();
}

void main_loop() {
    for (;;) main_loop_iteration();
}
