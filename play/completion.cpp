// The completion flight ("anim"): every piece travels in a straight line
// from where it lies to its home place, all arriving together after
// anim_steps steps; a left click ends it at once. The same flight is the
// opening title and the reward for a finished jigsaw.
#include "play/play.h"

// --- a moment of the "anim" screen ---
int anim_phase = 1;           // 1 start, 2 flying, 3 finish, 4 done
int anim_next_tick = 0;       // clock_ms when the flight started, plus one tick
int anim_skipped = 0;         // cut short by a left click
const int anim_tick_ms = 20;  // milliseconds per step
const int anim_steps = 200;   // steps of every flight

void start_completion_animation() {
    show_all_pieces();
    screen_state = SCREEN_ANIM;
    anim_phase = 1;
}

void finish_completion_animation() {
    for (int i = 1; i <= piece_count; i++) {
        pieces[i].x = pieces[i].x0;
        pieces[i].y = pieces[i].y0;
        pieces[i].a = 0;
        pieces[i].gp = 1;
    }
}

static void begin_flight() {
    for (int i = 1; i <= piece_count; i++) {
        piece_type& p = pieces[i];
        piece_anim_type& f = piece_anims[i];
        p.a = 0;
        f.anim = 1;
        f.x1 = static_cast<float>(p.x);
        f.y1 = static_cast<float>(p.y);
        f.x2 = static_cast<float>(p.x0);
        f.y2 = static_cast<float>(p.y0);
        f.dx = (f.x2 - f.x1) / anim_steps;
        f.dy = (f.y2 - f.y1) / anim_steps;
    }
    anim_next_tick = clock_ms() + anim_tick_ms;
    anim_skipped = 0;
}

// One step of every piece still flying; false when none was.
static bool step_flight() {
    bool flying = false;
    for (int i = 1; i <= piece_count; i++) {
        piece_anim_type& f = piece_anims[i];
        if (f.anim != 1) continue;
        flying = true;
        f.x1 += f.dx;
        f.y1 += f.dy;
        pieces[i].x = static_cast<int>(f.x1);
        pieces[i].y = static_cast<int>(f.y1);
        float ex = f.x1 - f.x2, ey = f.y1 - f.y2;
        if (ex < 1 && ex > -1 && ey < 1 && ey > -1) {
            f.anim = 0;
            pieces[i].x = static_cast<int>(f.x2);
            pieces[i].y = static_cast<int>(f.y2);
        }
    }
    return flying;
}

void completion_animation_frame() {
    if (click_pending) {
        anim_phase = 3;
        click_pending = 0;
        stop_music();
        anim_skipped = 1;
    }
    if (anim_phase == 1) {
        begin_flight();
        anim_phase = 2;
    } else if (anim_phase == 2) {
        int now = clock_ms();
        // The next tick is never advanced: once due, a step is taken every
        // frame, and the loop's 50 Hz timer sets the pace.
        if (now - anim_next_tick > anim_tick_ms || now < anim_next_tick) {
            if (!step_flight()) anim_phase = 3;
        }
    } else if (anim_phase == 3) {
        finish_completion_animation();
        anim_phase = 4;
    }
}
