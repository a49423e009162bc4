// The two thumbnail browsers' lists and pages: reading the library folder
// and the player's saved games into their lists, the page arithmetic for
// either display size, and the Left and Right keys. The drawing of a page
// and what lies under the mouse are in browser_draw.cpp.
#include <algorithm>
#include <vector>

#include "library/library.h"

// --- kept for the run; read again when their page is 0 ---
TList<tn3_type>* jigsaw_list = new_list<tn3_type>();  // the library, reserved entry last
int jigsaw_page = 0;                                  // current page from 1; 0 = read again
int jigsaw_count = 0;                                 // entries in jigsaw_list
int jigsaw_pages = 0;                                 // pages, from the last draw
TList<tn3_type>* saved_list = new_list<tn3_type>();   // the saved games, reserved last
int saved_page = 0;                                   // current page from 1; 0 = read again
int saved_count = 0;                                  // entries in saved_list
int saved_pages = 0;                                  // pages, from the last draw
TImage* cross_image = nullptr;                        // over marked thumbnails; Null until "delete1"

// ===========================================================================
// Internal helpers
// ===========================================================================

// --- whether any entry holds a thumbnail or a failed load, so that the
// loop's call on every iteration away from the browsers costs nothing ---
static int thumbnails_held = 0;

// Frees the thumbnails of one list's entries and forgets failed loads.
static void free_list_thumbnails(TList<tn3_type>* list) {
    for (tn3_type& entry : *list) {
        if (entry.img) free_image(entry.img);
        entry.img = nullptr;
        entry.failed = 0;
    }
}

// Empties a list, freeing the thumbnails its entries had loaded: a list
// read again starts without images and unmarked.
static void clear_browser_list(TList<tn3_type>* list) {
    free_list_thumbnails(list);
    list_clear(list);
}

// Hidden names (a leading ".") are the file system's or an editor's, never
// a jigsaw or a saved game the player made.
static bool hidden_name(const std::string& name) { return !name.empty() && name[0] == '.'; }

// Appends the names in byte order, numbered from 1, then the reserved
// entry when wanted. Sorting makes both lists come in the same name
// order, which do-new's comparison of the two relies on.
static int fill_browser_list(TList<tn3_type>* list, std::vector<std::string>& names, bool with_reserved) {
    std::sort(names.begin(), names.end());
    if (with_reserved) names.push_back(RESERVED_JIGSAW_NAME);
    int n = 0;
    for (const std::string& name : names) {
        tn3_type entry;
        entry.tessellon = name;
        entry.n = ++n;
        list_append(list, entry);
    }
    return n;
}

// ===========================================================================
// Listing
// ===========================================================================

// Adds the names of the jigsaw folders in folder that are not yet in
// names; false when the folder cannot be listed.
static bool add_jigsaw_names(const std::string& folder, std::vector<std::string>& names) {
    void* dir = open_dir(folder);
    if (!dir) return false;
    for (std::string name = next_dir_entry(dir); !name.empty(); name = next_dir_entry(dir)) {
        if (hidden_name(name) || name == RESERVED_JIGSAW_NAME) continue;
        // Only folders are jigsaws; plain files beside them are ignored.
        if (path_kind(folder + "/" + name) != 2) continue;
        // A jigsaw of the player's own with a library name is listed once.
        if (std::find(names.begin(), names.end(), name) != names.end()) continue;
        names.push_back(name);
    }
    close_dir(dir);
    return true;
}

void list_jigsaws() {
    clear_browser_list(jigsaw_list);
    std::vector<std::string> names;
    std::string folder = jigsaws_base + "jigsaws";
    // The player's own jigsaws beside an installed library; a folder he
    // has not made (yet) is no fault.
    if (!own_jigsaws_dir.empty()) add_jigsaw_names(own_jigsaws_dir, names);
    bool listed = add_jigsaw_names(folder, names);
    // The reserved jigsaw is listed whether or not its folder is there.
    jigsaw_count = fill_browser_list(jigsaw_list, names, true);
    jigsaw_page = 1;
    // Told after the list is whole, so that the browser is usable at once.
    if (!listed) message_and_wait("Unable to access " + folder);
}

void list_saved_games() {
    clear_browser_list(saved_list);
    std::vector<std::string> names;
    bool reserved = false;
    void* dir = open_dir(player_dir);
    if (dir) {
        for (std::string name = next_dir_entry(dir); !name.empty(); name = next_dir_entry(dir)) {
            if (hidden_name(name)) continue;
            // A saved game is listed through its thumbnail only.
            if (text_tail(name, 4) != ".png") continue;
            std::string game = text_head(name, static_cast<int>(name.size()) - 4);
            // ".png" alone names no jigsaw, so it can never be resumed.
            if (game.empty()) continue;
            if (game == RESERVED_JIGSAW_NAME) {
                reserved = true;
                continue;
            }
            names.push_back(game);
        }
        close_dir(dir);
    }
    saved_count = fill_browser_list(saved_list, names, reserved);
    saved_page = 1;
    if (!dir) message_and_wait("Unable to access " + player_dir);
}

void note_thumbnail_held() { thumbnails_held = 1; }

void free_browser_thumbnails() {
    if (!thumbnails_held) return;
    free_list_thumbnails(jigsaw_list);
    free_list_thumbnails(saved_list);
    thumbnails_held = 0;
}

// ===========================================================================
// Pages
// ===========================================================================

int browser_per_page(int browser) {
    if (browser == BROWSER_SAVED) return large_display ? 20 : 12;
    return large_display ? 90 : 56;
}

int browser_page_count(int count, int per_page) {
    if (count <= 0 || per_page <= 0) return 0;
    return count / per_page + (count % per_page != 0 ? 1 : 0);
}

void previous_page() {
    if (screen_state == SCREEN_NEW || screen_state == SCREEN_DELETE) {
        if (jigsaw_page > 1) {
            jigsaw_page--;
            show_message_held("please wait");
        }
    } else if (screen_state == SCREEN_LOAD) {
        if (saved_page > 1) {
            saved_page--;
            show_message_held("please wait");
        }
    }
}

void next_page() {
    if (screen_state == SCREEN_NEW || screen_state == SCREEN_DELETE) {
        if (jigsaw_page < jigsaw_pages) {
            jigsaw_page++;
            show_message_held("please wait");
        }
    } else if (screen_state == SCREEN_LOAD) {
        if (saved_page < saved_pages) {
            saved_page++;
            show_message_held("please wait");
        }
    }
}
