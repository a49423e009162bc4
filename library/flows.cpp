// The player's ways of changing the jigsaw on the board: the "new1",
// "load1" and "delete1" browser screens, marking and killing library
// jigsaws (deleting their folders), and the confirmed quick pick and
// do-new. Restart and the loading sequences themselves are in
// jigsaw_loader.cpp.
#include <vector>

#include "library/library.h"
#include "play/play.h"

// ===========================================================================
// Browser screens
// ===========================================================================

void new_screen_frame() {
    draw_jigsaw_page(SCREEN_NEW);
    if (!click_pending) return;
    std::string name = jigsaw_at_mouse();
    if (!name.empty()) {
        click_pending = 0;
        save_before_leaving();
        show_message_held("please wait");
        // A jigsaw that cannot be loaded has been reported; the old one stays.
        start_jigsaw(name);
        screen_state = SCREEN_JIGSAW;
    } else if (page_arrow_click()) {
        click_pending = 0;
    }
}

void load_screen_frame() {
    draw_saved_page();
    if (saved_count == 0) {
        status_message = "I can't find any saved jigsaws to load";
        screen_state = SCREEN_JIGSAW;
        return;
    }
    if (!click_pending) return;
    std::string name = saved_at_mouse();
    if (!name.empty()) {
        resume_saved_game(name);
        screen_state = SCREEN_JIGSAW;
        click_pending = 0;
    } else if (page_arrow_click()) {
        click_pending = 0;
    }
}

void delete_screen_frame() {
    if (!cross_image) cross_image = load_image(base_dir + "images/cross.png", -1);
    draw_jigsaw_page(SCREEN_DELETE);
    if (!click_pending) return;
    // jigsaw_at_mouse flips the mark itself; a click on an unmarkable
    // thumbnail is consumed all the same.
    if (!jigsaw_at_mouse().empty())
        click_pending = 0;
    else if (page_arrow_click())
        click_pending = 0;
}

// ===========================================================================
// Marking and killing
// ===========================================================================

void mark_page(int flag) {
    // The thumbnails the player sees on the page, and no others: an entry
    // without a thumbnail has no cell to carry its cross, so a mark on it
    // would be counted and killed unseen. Jigsaws a kill refuses and the
    // reserved one are never marked; other "0000" names are.
    for (tn3_type& entry : *jigsaw_list) {
        if (!jigsaw_drawn(entry) || !jigsaw_markable(entry)) continue;
        entry.marked = flag;
    }
}

int count_marked() {
    int k = 0;
    for (const tn3_type& entry : *jigsaw_list)
        if (entry.marked) k++;
    return k;
}

// A name that stays inside jigsaws/ and is not the reserved jigsaw. Names
// from a listing are plain folder names; this guards the deletion anyway.
static bool deletable_name(const std::string& name) {
    if (name.empty() || name == "." || name == ".." || name == RESERVED_JIGSAW_NAME) return false;
    for (char c : name)
        if (c == '/' || c == '\\' || c == 0) return false;
    return true;
}

bool delete_jigsaw_folder(const std::string& name) {
    if (!deletable_name(name) || jigsaw_installed(name)) return false;
    std::string path = jigsaw_folder(name);
    // Links inside are removed as links; a jigsaw entry that is itself a
    // link to a folder is removed as a link too, its target untouched.
    bool gone = delete_dir(path, true);
    if (!gone) gone = delete_file(path);
    if (!gone || path_kind(path) != 0) {
        message_and_wait("Unable to delete " + path);
        return false;
    }
    return true;
}

void kill_marked_jigsaws() {
    // Before any folder goes: a finished jigsaw's thumbnail is its picture.
    save_before_leaving();
    int k = count_marked();
    show_message("Killing " + int_to_text(k) + " jigsaw" + (k == 1 ? "" : "s") + " - please wait", 0, 0.5f);
    flip(1);
    // Jigsaws installed with the game are the system's: they are refused,
    // once for all of them, rather than deleted.
    int installed = 0;
    std::string refused;
    for (const tn3_type& entry : *jigsaw_list) {
        if (!entry.marked) continue;
        if (jigsaw_installed(entry.tessellon)) {
            installed++;
            refused = entry.tessellon;
        } else {
            delete_jigsaw_folder(entry.tessellon);
        }
    }
    if (installed == 1)
        message_and_wait("Unable to kill " + refused + ": it was installed with the game");
    else if (installed > 1)
        message_and_wait("Unable to kill " + int_to_text(installed) + " jigsaws: they were installed with the game");
    jigsaw_page = 0;  // read the library again at its next showing
    // Nothing of the game that was on the board carries over into the
    // opening jigsaw dealt now: no held piece follows the pointer, no
    // question or pending click answers for it (the shell lets go of its
    // own moments through the hook).
    leave_current_game();
    if (game_replaced_hook) game_replaced_hook();
    // A reserved jigsaw that cannot be loaded leaves the old pieces on the
    // board, but as a fresh game: nothing held, shown over it or boxed.
    if (!load_default_jigsaw()) {
        reset_play_state();
        empty_boxes();
    }
    screen_state = SCREEN_JIGSAW;
}

// ===========================================================================
// Quick pick and do-new
// ===========================================================================

// The quick pick once the game it replaces has been seen to.
static void pick_another_jigsaw() {
    if (jigsaw_page == 0) {
        show_message_held("please wait");
        list_jigsaws();
    }
    // Drawn among the entries other than the current jigsaw, which is what
    // drawing again until the name differs comes to, but always ends.
    std::vector<std::string> others;
    for (const tn3_type& entry : *jigsaw_list)
        if (entry.tessellon != jigsaw_name) others.push_back(entry.tessellon);
    std::string name = jigsaw_name;
    if (!others.empty()) name = others[static_cast<size_t>(rand(1, static_cast<int>(others.size())) - 1)];
    // With no other jigsaw to draw, the current one is dealt afresh.
    if (!name.empty() && load_jigsaw(name)) {
        jigsaw_name = name;
        leave_current_game();
        deal_jigsaw();
    }
    screen_state = SCREEN_JIGSAW;
}

void quick_pick() {
    save_before_leaving();
    pick_another_jigsaw();
}

static bool has_saved_game(const std::string& name) {
    for (const tn3_type& entry : *saved_list)
        if (entry.tessellon == name) return true;
    return false;
}

void do_new() {
    save_before_leaving();
    show_message_held("please wait");
    screen_state = SCREEN_JIGSAW;
    if (saved_page == 0) list_saved_games();
    if (jigsaw_page == 0) list_jigsaws();
    // The first library jigsaw without a saved game, by name: saved games
    // of killed jigsaws say nothing about the library, so neither the
    // lengths of the two lists nor their positions decide.
    for (const tn3_type& entry : *jigsaw_list) {
        if (!has_saved_game(entry.tessellon)) {
            start_jigsaw(entry.tessellon);
            return;
        }
    }
    // Every library jigsaw has been saved (the saved list also holds games
    // of jigsaws since killed): any other jigsaw will do.
    pick_another_jigsaw();
}
