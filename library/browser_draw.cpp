// Drawing a browser page: the grid of thumbnails (loaded the first time
// an entry is drawn and kept), the four page arrows and the title line;
// and the questions a click asks of the page drawn last: which thumbnail
// lies under the mouse, and whether a page arrow does.
#include <algorithm>

#include "library/library.h"

// The geometry of one browser at the current display size.
struct browser_layout {
    int columns, rows;  // cells across and down
    int left, top;      // top-left corner of the first cell
    int pitch_x, pitch_y;
    float scale;  // of the thumbnail images
};

// --- the page drawn last of each browser, for the hit tests ---
static int drawn_first[2] = {0, 0};  // n of the first entry the walk reached; 0 = none drawn
static int drawn_last[2] = {0, 0};   // n of the last entry given a cell

static browser_layout layout_of(int browser) {
    int left = large_display ? 23 : 8;
    if (browser == BROWSER_SAVED)
        return large_display ? browser_layout{5, 4, left, 66, 196, 149, 0.73f}
                             : browser_layout{4, 3, left, 66, 196, 149, 0.73f};
    return large_display ? browser_layout{10, 9, left, 66, 98, 74, 0.36f}
                         : browser_layout{8, 7, left, 66, 98, 74, 0.36f};
}

static std::string thumbnail_path(int browser, const tn3_type& entry) {
    if (browser == BROWSER_SAVED) return player_dir + entry.tessellon + ".png";
    return jigsaw_folder(entry.tessellon) + "/tn.png";
}

// A page number kept within 1 .. pages (1 when there are none).
static int clamp_page(int page, int pages) {
    if (page > pages) page = pages;
    if (page < 1) page = 1;
    return page;
}

// Lets go of the thumbnails of entries that are neither on the page drawn
// nor on the pages just before and after it (where Left and Right go), so
// that paging through a large library holds about three pages of pictures,
// not every page visited. Failed loads stay marked: they are not retried.
static void free_far_thumbnails(TList<tn3_type>* list, int browser) {
    int per_page = browser_per_page(browser);
    int from = drawn_first[browser] - per_page;
    int to = std::max(drawn_last[browser], drawn_first[browser] + 2 * per_page - 1);
    for (tn3_type& entry : *list)
        if (entry.img && (entry.n < from || entry.n > to)) {
            free_image(entry.img);
            entry.img = nullptr;
        }
}

// Lays the thumbnails of one page into the grid. Entries whose thumbnail
// cannot be loaded take no cell, so later entries move up and the page
// may reach past its k entries.
static void draw_thumbnails(TList<tn3_type>* list, int browser, int page, bool crosses) {
    browser_layout g = layout_of(browser);
    int first = 1 + (page - 1) * browser_per_page(browser);
    drawn_first[browser] = first;
    drawn_last[browser] = 0;
    int row = 1, column = 1;
    int x = g.left, y = g.top;
    set_color(255, 255, 255);
    set_alpha(1);
    for (tn3_type& entry : *list) {
        if (entry.n < first) continue;
        // A thumbnail that failed is not tried again on every frame: the
        // page is drawn after every input event, and a missing or broken
        // file stays so while the browser shows.
        if (!entry.img && !entry.failed) {
            entry.img = load_image_within(thumbnail_path(browser, entry), 0, JIGSAW_PICTURE_LIMITS, nullptr);
            if (!entry.img) entry.failed = 1;
            note_thumbnail_held();
        }
        if (!entry.img) continue;
        entry.x = x;
        entry.y = y;
        drawn_last[browser] = entry.n;
        set_scale(g.scale, g.scale);
        draw_image(entry.img, x, y, 0);
        set_scale(1, 1);
        if (crosses && entry.marked && cross_image) draw_image(cross_image, x, y, 0);
        x += g.pitch_x;
        column++;
        if (column > g.columns) {
            column = 1;
            row++;
            x = g.left;
            y += g.pitch_y;
            if (row > g.rows) break;
        }
    }
    free_far_thumbnails(list, browser);
}

// The first entry drawn on the browser's last page whose cell holds the
// live mouse; Null when none.
static bool drawn_on_page(const tn3_type& entry, int browser) {
    return entry.img && entry.n >= drawn_first[browser] && entry.n <= drawn_last[browser];
}

static tn3_type* thumbnail_at_mouse(TList<tn3_type>* list, int browser) {
    browser_layout g = layout_of(browser);
    for (tn3_type& entry : *list) {
        if (!drawn_on_page(entry, browser)) continue;
        if (mouse_in_rect(entry.x, entry.y, entry.x + g.pitch_x, entry.y + g.pitch_y)) return &entry;
    }
    return nullptr;
}

// Left edges of the four arrows, index 1..4.
static int arrow_x(int arrow) {
    int a = large_display ? 23 : 9;
    int right = large_display ? a + 806 : a + 610;
    switch (arrow) {
    case 1: return a;
    case 2: return a + 87;
    case 3: return right;
    default: return right + 87;
    }
}

static const int ARROW_Y = 12;
static const int ARROW_W = 84, ARROW_H = 40;

// ===========================================================================
// Pages
// ===========================================================================

void draw_jigsaw_page(const std::string& state) {
    if (state == SCREEN_DELETE)
        set_clear_color(255, 0, 0);
    else
        set_clear_color(224, 255, 255);
    clear_screen();
    if (jigsaw_page == 0) {
        show_message_held("please wait");
        list_jigsaws();
    }
    jigsaw_pages = browser_page_count(jigsaw_count, browser_per_page(BROWSER_LIBRARY));
    jigsaw_page = clamp_page(jigsaw_page, jigsaw_pages);
    draw_thumbnails(jigsaw_list, BROWSER_LIBRARY, jigsaw_page, state == SCREEN_DELETE);
    draw_page_arrows(BROWSER_LIBRARY);
    draw_page_title(state);
}

void draw_saved_page() {
    set_clear_color(224, 255, 255);
    clear_screen();
    if (saved_page == 0) {
        show_message_held("please wait");
        list_saved_games();
    }
    saved_pages = browser_page_count(saved_count, browser_per_page(BROWSER_SAVED));
    saved_page = clamp_page(saved_page, saved_pages);
    draw_thumbnails(saved_list, BROWSER_SAVED, saved_page, false);
    draw_page_arrows(BROWSER_SAVED);
    draw_page_title(SCREEN_LOAD);
}

void draw_page_arrows(int browser) {
    int page = browser == BROWSER_SAVED ? saved_page : jigsaw_page;
    int pages = browser == BROWSER_SAVED ? saved_pages : jigsaw_pages;
    set_color(255, 255, 255);
    set_alpha(1);
    for (int arrow = 1; arrow <= 4; arrow++) {
        bool shown = arrow <= 2 ? page > 1 : page < pages;
        if (shown && arrow_images[arrow]) draw_image(arrow_images[arrow], arrow_x(arrow), ARROW_Y, 0);
    }
}

std::string page_title_text(const std::string& state) {
    bool saved = state == SCREEN_LOAD;
    int page = saved ? saved_page : jigsaw_page;
    int pages = saved ? saved_pages : jigsaw_pages;
    std::string text = "Page " + int_to_text(page) + " of " + int_to_text(pages);
    if (saved) text = "Saved Jigsaws    " + text;
    if (state == SCREEN_DELETE) {
        int k = count_marked();
        if (k > 0) text += "   Press K to Kill " + int_to_text(k) + " jigsaw" + (k == 1 ? "" : "s");
    }
    return text;
}

void draw_page_title(const std::string& state) { show_message(page_title_text(state), 30, 1.0f); }

// ===========================================================================
// What a click meets
// ===========================================================================

bool jigsaw_drawn(const tn3_type& entry) { return drawn_on_page(entry, BROWSER_LIBRARY); }

bool jigsaw_markable(const tn3_type& entry) {
    return entry.tessellon != RESERVED_JIGSAW_NAME && !jigsaw_installed(entry.tessellon);
}

std::string jigsaw_at_mouse() {
    tn3_type* entry = thumbnail_at_mouse(jigsaw_list, BROWSER_LIBRARY);
    if (!entry) return "";
    // Names beginning with "0000" (the reserved jigsaw among them) cannot
    // be marked by a click; the click is still the screen's. An installed
    // jigsaw can: the kill then tells the player why it stays.
    if (screen_state == SCREEN_DELETE && text_head(entry->tessellon, 4) != "0000") entry->marked = !entry->marked;
    return entry->tessellon;
}

std::string saved_at_mouse() {
    tn3_type* entry = thumbnail_at_mouse(saved_list, BROWSER_SAVED);
    return entry ? entry->tessellon : "";
}

int page_arrow_click() {
    bool saved = screen_state == SCREEN_LOAD;
    int page = saved ? saved_page : jigsaw_page;
    int pages = saved ? saved_pages : jigsaw_pages;
    int hit = 0;
    // Every arrow's place counts, drawn or not, whether or not it moves.
    for (int arrow = 1; arrow <= 4; arrow++) {
        int x = arrow_x(arrow);
        if (!mouse_in_rect(x, ARROW_Y, x + ARROW_W, ARROW_Y + ARROW_H)) continue;
        hit = 1;
        if (arrow == 1) page = 1;
        if (arrow == 2 && page > 1) page--;
        if (arrow == 3 && page < pages) page++;
        if (arrow == 4) page = pages;
    }
    // Never 0, which would mean "read the list again".
    if (page < 1) page = 1;
    if (saved)
        saved_page = page;
    else
        jigsaw_page = page;
    if (hit) show_message_held("please wait");
    return hit;
}
