// The zoom-in of the board's help page after the opening animation: the
// page grows from nothing to full size over the board in 200 steps of at
// least 11 ms each. It blocks, polling the mouse and Escape between steps:
// a left click ends it early (the click stays queued for the help screen),
// Escape ends the program. Drawn for the 800x600 display only.
// The keypad's left-button keys end it as the click does. Their events, and
// the pointer steps before them, stay queued like the click: the main loop
// takes them in order right after, so the click lands where the steps put
// the pointer, as it would on any other screen.
#include "play/play.h"
#include "screens/screens.h"

enum {
    ZOOM_STEPS = 200,
    ZOOM_STEP_MS = 11,  // the least time each step is shown
};

// A left click pressed since the last look, by the mouse or the keypad.
// Every counter is read so that none carries a stale press past the zoom.
static bool left_button_pressed() {
    int presses = button_presses(1);
    presses += key_presses(KEY_PAD_5);
    presses += key_presses(KEY_PAD_0);
    return presses > 0;
}

// Waits out the rest of one step; true when a left click ends the zoom.
static bool zoom_step_wait(int t0) {
    while (clock_ms() - t0 < ZOOM_STEP_MS) {
        if (left_button_pressed()) return true;
        if (key_presses(KEY_ESCAPE) > 0) end_program();
        delay(1);
    }
    return false;
}

void help_zoom_intro() {
    flip(1);
    draw_board();
    // Its own copy, centre-handled, so that help_images keeps its handle.
    TImage* page = load_image(base_dir + "images/help0.png", 0);
    if (!page) return;
    centre_image_handle(page);
    for (int i = 1; i <= ZOOM_STEPS; i++) {
        int t0 = clock_ms();
        float scale = static_cast<float>(i) / ZOOM_STEPS;
        set_scale(scale, scale);
        // The buffer is not cleared: each step draws over the one before.
        draw_image(page, 400, 300, 0);
        flip(1);
        if (zoom_step_wait(t0)) break;
    }
    set_scale(1, 1);
    free_image(page);
}
