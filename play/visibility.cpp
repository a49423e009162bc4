// The board's visibility filters: keys A, Z, E, G, O and 1..5 show or
// hide one class of pieces each (all, edges, grouped, loose, a box's
// loose pieces). A hidden piece is neither drawn nor pickable but keeps
// its place, rotation and group; each filter writes only its own class.
#include "play/play.h"

bool is_loose_piece(int p) {
    if (p < 1 || p > piece_count) return false;
    return pieces[p].gp <= 0 && pieces[p].box <= 0 && pieces[p].edge == 0;
}

static void set_all(int flag) {
    for (int i = 1; i <= piece_count; i++) pieces[i].visible = flag;
    for (int b = 1; b <= BOX_COUNT; b++) box_shown[b] = flag;
    show_grouped = flag;
    show_loose = flag;
}

void show_all_pieces() { set_all(1); }

void hide_all_pieces() { set_all(0); }

void toggle_edge_pieces() {
    if (piece_count < 1) return;
    int v = pieces[1].visible ? 0 : 1;
    // The groups that hold an edge piece are shown or hidden whole.
    static int edge_groups[PIECE_TABLE_SIZE];
    int listed = 0;
    for (int i = 1; i <= piece_count; i++) {
        if (!pieces[i].edge) continue;
        pieces[i].visible = v;
        int g = pieces[i].gp;
        if (g <= 0) continue;
        bool seen = false;
        for (int k = 0; k < listed && !seen; k++) seen = edge_groups[k] == g;
        if (!seen) edge_groups[listed++] = g;
    }
    for (int i = 1; i <= piece_count && listed > 0; i++) {
        for (int k = 0; k < listed; k++) {
            if (pieces[i].gp == edge_groups[k]) {
                pieces[i].visible = v;
                break;
            }
        }
    }
}

void apply_grouped_visibility() {
    for (int i = 1; i <= piece_count; i++) {
        if (pieces[i].gp > 0 && pieces[i].edge == 0) pieces[i].visible = show_grouped ? 1 : 0;
    }
}

void apply_loose_visibility() {
    for (int i = 1; i <= piece_count; i++) {
        if (is_loose_piece(i)) pieces[i].visible = show_loose ? 1 : 0;
    }
}

void apply_box_visibility() {
    for (int b = 1; b <= BOX_COUNT; b++) {
        for (int i = 1; i <= piece_count; i++) {
            if (pieces[i].gp == 0 && pieces[i].box == b) pieces[i].visible = box_shown[b] ? 1 : 0;
        }
    }
    if (held_piece >= 1 && held_piece <= piece_count) pieces[held_piece].visible = 1;
}
