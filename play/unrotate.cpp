// The unrotate screen (key U): every group is set upright about the middle
// cell of its bounding box, then the loose pieces turn upright one per
// frame so the player sees them turn in turn; a left click finishes at once.
#include "play/play.h"

// --- a moment of the unrotate screen ---
int unrotate_phase = 1;   // 1 start, 2 turning, 3 finish, 4 done
int unrotate_cursor = 1;  // next piece number to look at

void unrotate_group(int g) {
    if (g <= 0) return;
    int min_r = 1000, max_r = 0, min_c = 1000, max_c = 0, last = 0;
    int i = 1;
    for (int r = 1; r <= rows; r++) {
        for (int c = 1; c <= columns; c++, i++) {
            if (i > piece_count) break;
            if (pieces[i].gp != g) continue;
            if (r < min_r) min_r = r;
            if (r > max_r) max_r = r;
            if (c < min_c) min_c = c;
            if (c > max_c) max_c = c;
            last = i;
        }
    }
    if (last == 0) return;                                              // no such group
    int p = ((min_r + max_r) / 2 - 1) * columns + (min_c + max_c) / 2;  // the pivot cell
    if (p < 1 || p > piece_count) return;
    piece_type& pv = pieces[p];
    // A pivot cell that belongs to another group (or none) is borrowed:
    // it stands in for the group's middle and is given back afterwards.
    bool borrowed = pv.gp != g;
    int saved_x = pv.x, saved_y = pv.y, saved_a = pv.a, saved_gp = pv.gp;
    if (borrowed) {
        pv.gp = g;
        place_group(last);
    }
    for (int k = 1; k <= piece_count; k++) {
        if (pieces[k].gp == g) pieces[k].a = 0;
    }
    if (pv.x < 0) pv.x = 20;
    if (pv.x > 800) pv.x = 780;
    if (pv.y < 0) pv.y = 20;
    if (pv.y > 600) pv.y = 580;
    place_group(p);
    if (borrowed) {
        pv.x = saved_x;
        pv.y = saved_y;
        pv.a = saved_a;
        pv.gp = saved_gp;
    }
}

void unrotate_all_groups() {
    static int groups[PIECE_TABLE_SIZE];
    int listed = 0;
    for (int i = 1; i <= piece_count; i++) {
        int g = pieces[i].gp;
        if (g <= 0) continue;
        bool seen = false;
        for (int k = 0; k < listed && !seen; k++) seen = groups[k] == g;
        if (!seen && listed < PIECE_TABLE_SIZE) groups[listed++] = g;
    }
    for (int k = 0; k < listed; k++) unrotate_group(groups[k]);
}

void start_unrotate() {
    unrotate_phase = 1;
    screen_state = SCREEN_UNROTATE;
}

void unrotate_screen_frame() {
    if (click_pending) {
        click_pending = 0;
        unrotate_phase = 3;
    }
    if (unrotate_phase == 1) {
        show_all_pieces();
        unrotate_all_groups();
        unrotate_cursor = 1;
        unrotate_phase = 2;
    } else if (unrotate_phase == 2) {
        int i = unrotate_cursor < 1 ? 1 : unrotate_cursor;
        while (i <= piece_count && pieces[i].a <= 0) i++;
        if (i <= piece_count) pieces[i].a = 0;
        int c = i < piece_count ? i : piece_count;
        if (c == piece_count)
            unrotate_phase = 3;
        else
            unrotate_cursor = c + 1;
    } else if (unrotate_phase == 3) {
        for (int i = unrotate_cursor < 1 ? 1 : unrotate_cursor; i <= piece_count; i++) pieces[i].a = 0;
        unrotate_phase = 4;
    }
}
