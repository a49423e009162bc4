// Snapping and grouping: dropping the held piece joins every grid
// neighbour that stands within the snap tolerance of its true offset and
// has the same rotation; all pieces joined in one drop, with the groups
// they belonged to, end in one fresh group laid out exactly around the
// dropped piece.
#include "play/play.h"

bool pieces_fit(int p, int q) {
    if (p < 1 || p > piece_count || q < 1 || q > piece_count) return false;
    const piece_type& a = pieces[p];
    const piece_type& b = pieces[q];
    if (a.a != b.a) return false;
    int dx, dy;
    turn_offset(a.a, a.x0 - b.x0, a.y0 - b.y0, &dx, &dy);
    int ex = (a.x - b.x) - dx;
    int ey = (a.y - b.y) - dy;
    return ex > -snap_tolerance && ex < snap_tolerance && ey > -snap_tolerance && ey < snap_tolerance;
}

// Moves every piece of group `from` into group `to`.
static void renumber_group(int from, int to) {
    for (int i = 1; i <= piece_count; i++) {
        if (pieces[i].gp == from) pieces[i].gp = to;
    }
}

// Puts q (and its group, if it has one) into group f.
static void join_into(int q, int f) {
    int old = pieces[q].gp;
    if (old == 0)
        pieces[q].gp = f;
    else
        renumber_group(old, f);
}

// The neighbour fields in the order they are visited: n, e, w, s.
static void neighbours_of(int p, int out[4]) {
    out[0] = pieces[p].n;
    out[1] = pieces[p].e;
    out[2] = pieces[p].w;
    out[3] = pieces[p].s;
}

static bool joinable(int q) { return q >= 1 && q <= piece_count && pieces[q].visible; }

void drop_held_piece() {
    int h = held_piece;
    if (h < 1 || h > piece_count) return;
    int g = pieces[h].gp;
    int f = 0;
    int nb[4];
    if (g == 0) {
        neighbours_of(h, nb);
        for (int k = 0; k < 4; k++) {
            int q = nb[k];
            if (!joinable(q) || !pieces_fit(h, q)) continue;
            play_click();
            if (f == 0) {
                f = group_counter + 1;
                pieces[h].gp = f;
            }
            join_into(q, f);
        }
    } else {
        for (int j = 1; j <= piece_count; j++) {
            if (pieces[j].gp != g) continue;
            neighbours_of(j, nb);
            for (int k = 0; k < 4; k++) {
                int q = nb[k];
                if (!joinable(q) || pieces[q].gp == g || !pieces_fit(h, q)) continue;
                play_click();
                f = group_counter + 1;
                join_into(q, f);
            }
        }
    }
    if (f > 0) {
        if (g != 0) renumber_group(g, f);
        place_group(h);
        group_counter += 1;
    }
    spread_edge_flags();
}

void spread_edge_flags() {
    // The groups that hold an edge piece, each listed once (at most one
    // group per piece), then every member of those groups.
    static int edged_groups[PIECE_TABLE_SIZE];
    int listed = 0;
    for (int i = 1; i <= piece_count; i++) {
        if (!pieces[i].edge || pieces[i].gp <= 0) continue;
        bool seen = false;
        for (int k = 0; k < listed && !seen; k++) seen = edged_groups[k] == pieces[i].gp;
        if (!seen) edged_groups[listed++] = pieces[i].gp;
    }
    for (int i = 1; i <= piece_count && listed > 0; i++) {
        for (int k = 0; k < listed; k++) {
            if (pieces[i].gp == edged_groups[k]) {
                pieces[i].edge = 1;
                break;
            }
        }
    }
}
