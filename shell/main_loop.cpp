// The main loop: one iteration draws a frame of the current screen (its
// row of the screen table), flips it, handles a click that no screen took,
// checks for completion, then waits for exactly one event and dispatches
// it: the keypad's pointer keys into motion and button events, other keys
// to the command table, buttons into the pending-click flags that
// the screens consume. Frames that would repeat the one shown are skipped
// on still screens.
#include "library/library.h"
#include "play/play.h"
#include "screens/ui_geometry.h"
#include "shell/shell.h"

// --- the shell's moments of interaction, kept for the run ---
int pointer_visible = 0;  // the game's pointer is drawn
int ctrl_down = 0;        // a Control key is held
int intro_pending = 1;    // "anim" is the opening animation
int key7_count = 0;       // consecutive presses of 7

// --- the frame on the screen, kept for the run ---
int frame_skipping = 1;  // 0 draws every iteration, as a reference for tests

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
// The loop
// ===========================================================================

static void dispatch_button(int button) {
    status_message = "";
    help_prompt_active = 0;
    const screen_type* screen = find_screen(screen_state);
    bool turns = screen && screen->right_clicks;
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

// A click that no screen took closes help (and acts on the screen under
// it when it missed the page), or opens help when the player wants that.
static void unhandled_click() {
    if (screen_state == SCREEN_HELP) {
        screen_state = previous_screen;
        // The click must miss the board's page, the largest, whichever
        // page was shown.
        TImage* page = help_images[HELP_PAGE_BOARD];
        bool on_page = page && mouse_in_centred_image(page, 0, 0, image_width(page), image_height(page));
        const screen_type* under = find_screen(screen_state);
        if (!on_page && under && under->click) under->click();
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
    return {screen_state,
            previous_screen,
            pending_confirm,
            status_message,
            pointer_visible,
            help_prompt_active,
            held_piece,
            holding ? pieces[held_piece].x : 0,
            holding ? pieces[held_piece].y : 0,
            picture_x,
            picture_y,
            display_generation,
            display_width(),
            display_height()};
}

static bool same_inputs(const frame_inputs_type& a, const frame_inputs_type& b) {
    return a.screen == b.screen && a.previous == b.previous && a.confirm == b.confirm && a.status == b.status &&
           a.pointer_shown == b.pointer_shown && a.help_prompt == b.help_prompt && a.held == b.held &&
           a.held_x == b.held_x && a.held_y == b.held_y && a.picture_at_x == b.picture_at_x &&
           a.picture_at_y == b.picture_at_y && a.generation == b.generation && a.width == b.width &&
           a.height == b.height;
}

// --- the frame on the screen, kept for the run ---
static int frame_stale = 1;             // input arrived, or something said the frame changed
static frame_inputs_type shown_inputs;  // frame_inputs_now() of the frame on the screen
static int shown_serial = -1;           // display_shown_serial right after that frame's flip

void mark_frame_stale() { frame_stale = 1; }

// The frame must be drawn unless the screen is still, no input came since
// the frame on the screen was drawn, nothing that frame was drawn from has
// changed, and nobody else has drawn over it (a message that waited for a
// key, the celebration, an expose, a re-opened display).
static bool frame_needed(const frame_inputs_type& now) {
    const screen_type* screen = find_screen(screen_state);
    return !frame_skipping || frame_stale || !screen || !screen->still || shown_serial != display_shown_serial ||
           !same_inputs(now, shown_inputs);
}

void main_loop_iteration() {
    // Thumbnails are kept while a browser (or help over one) shows only.
    const screen_type* shown = find_screen(key_screen());
    if (!shown || !shown->thumbnails) free_browser_thumbnails();
    frame_inputs_type inputs = frame_inputs_now();
    // A click the frame takes may change the state after the frame drew it.
    int clicked = click_pending, right_clicked = right_click_pending;
    if (frame_needed(inputs)) {
        frame_stale = 0;
        shown_inputs = inputs;
        // Any state without a row runs nothing.
        const screen_type* screen = find_screen(screen_state);
        if (screen) screen->frame();
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
    // The keypad's pointer keys act through the motion and button events
    // they queue, which are the input that gets a frame.
    bool pointer_key = pointer_key_event(id, data);
    // Every event but the timer's tick is input, and input gets its frame.
    if (id != EVENT_TIMER_TICK && !pointer_key) frame_stale = 1;
    if (id != EVENT_TIMER_TICK) autosave_input();
    if (id == EVENT_TIMER_TICK) autosave_tick(data);
    if (id == EVENT_QUIT) leave_program();
    if (id == EVENT_KEY_DOWN && !pointer_key) dispatch_key(data);
    if (id == EVENT_KEY_UP && (data == KEY_LEFT_CONTROL || data == KEY_RIGHT_CONTROL)) ctrl_down = 0;
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
    if (quit_requested()) leave_program();
}

void main_loop() {
    for (;;) {
        main_loop_iteration();
        // Seen within a timer tick of the signal: the leaving hook saves the
        // game when the player asked for that, then the program ends.
        if (leave_signal()) end_program_on_signal();
    }
}
