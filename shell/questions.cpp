// The yes/no questions: leave the game (X), do-new (D), quick pick (Q) and
// restart (R). One is open at a time, named by its letter in
// pending_confirm; its box is drawn over every screen, a click answers it
// (yes only inside the box's yes rectangle), Y answers all but the exit
// question, and any key but the question's own withdraws it.
#include "library/library.h"
#include "play/play.h"
#include "screens/ui_geometry.h"
#include "shell/shell.h"

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
    const ui_rect& yes = pending_confirm == ASK_EXIT ? EXIT_BOX_YES : QUESTION_BOX_YES;
    if (mouse_in_centred_image(image, yes.x1, yes.y1, yes.x2, yes.y2)) {
        if (pending_confirm == ASK_DO_NEW)
            do_new();
        else if (pending_confirm == ASK_QUICK_PICK)
            quick_pick();
        else if (pending_confirm == ASK_RESTART)
            restart_jigsaw();
        else if (pending_confirm == ASK_EXIT)
            leave_program();  // saves first when the player asked for that
    }
    // Any click answers: a click outside the yes rectangle is a no.
    pending_confirm = "";
}

void cancel_confirmation(int key) {
    if ((pending_confirm == ASK_DO_NEW && key != KEY_D) || (pending_confirm == ASK_QUICK_PICK && key != KEY_Q) ||
        (pending_confirm == ASK_RESTART && key != KEY_R) || (pending_confirm == ASK_EXIT && key != KEY_ESCAPE))
        pending_confirm = "";
}

void toggle_question(const char* letter) {
    if (pending_confirm == letter) {
        pending_confirm = "";
    } else {
        pending_confirm = letter;
        held_piece = 0;
    }
}

void answer_yes() {
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
