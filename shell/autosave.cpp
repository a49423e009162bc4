// Saving while playing: with "save the game when I leave" on, the game on
// the board is also saved, quietly and as S saves it, once the player has
// left it alone for a few seconds after changing it, at most once a minute.
// Time is the frame timer's tick count, so the rule runs on the loop's own
// ticks and a test drives it with ticks of its choosing. The files are
// written on the background writer's thread (save_writer.cpp).
#include "library/library.h"
#include "shell/shell.h"

// --- the background save's clock, kept for the run ---
int autosave_now = 0;         // ticks: the data of the latest frame-timer tick
int autosave_input_tick = 0;  // ticks: autosave_now when the latest input came
int autosave_last_tick = 0;   // ticks: autosave_now at the latest background save
int autosave_done = 0;        // 1 once a background save ran this run
int autosave_input_seen = 1;  // input came since the latest check found nothing to save

void autosave_input() {
    autosave_input_tick = autosave_now;
    autosave_input_seen = 1;
}

// The board is the player's game, shown and at rest: not the opening, not
// empty, nothing carried or dragged, no question open.
static bool board_may_be_saved() {
    return pref_save_on_leave && player_game_on_board && !jigsaw_name.empty() && piece_count > 0 &&
           screen_state == SCREEN_JIGSAW && held_piece == 0 && !picture_dragging && pending_confirm.empty();
}

bool autosave_tick(int ticks) {
    autosave_now = ticks;
    // A write that has ended is collected: its values count as saved from
    // now on. One that still runs keeps the next save waiting.
    finish_background_save(false);
    if (background_save_running()) return false;
    if (!autosave_input_seen) return false;
    if (ticks - autosave_input_tick < AUTOSAVE_IDLE_TICKS) return false;
    if (autosave_done && ticks - autosave_last_tick < AUTOSAVE_GAP_TICKS) return false;
    if (!board_may_be_saved()) return false;
    autosave_input_seen = 0;
    if (!game_changed_since_saved()) return false;
    // The copy is taken now and written on the writer's thread. A failure
    // is not shown: the player is not waiting for this save, and S or the
    // way out still tells him when the folder cannot be written.
    start_shown_board_save();
    autosave_done = 1;
    autosave_last_tick = ticks;
    // The thumbnail was drawn into the back buffer: the next frame is drawn
    // afresh before anything is shown.
    mark_frame_stale();
    return true;
}

void reset_autosave() {
    autosave_now = autosave_input_tick = autosave_last_tick = 0;
    autosave_done = 0;
    autosave_input_seen = 1;
}
