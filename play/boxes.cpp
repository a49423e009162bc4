// The five sorting boxes and the box screen's tray as data: which box is
// current, the box lists (built from the pieces' box fields after a saved
// game is read, trimmed of pieces that have joined a group), the tray
// laid out in rows for the display size, and moving one piece between a
// box list and the tray. Drawing and clicks are in box_screen.cpp.
#include "play/play.h"

// ===========================================================================
// Internal helpers
// ===========================================================================

// Piece numbers above the tables never reach them, whatever piece_count says.
static int last_piece() { return piece_count < MAX_PIECES ? piece_count : MAX_PIECES; }

static bool is_piece(int p) { return p >= 1 && p <= last_piece(); }

// The current box, put back to 1 if something left it out of range.
static int box_now() {
    if (current_box < 1 || current_box > BOX_COUNT) current_box = 1;
    return current_box;
}

// The tray rows start at (29, 106) and are 58 pixels apart; a row ends
// before a piece that would reach past the right edge of the display.
enum { TRAY_LEFT = 29, TRAY_TOP = 106, TRAY_ROW = 58 };
// Neighbours in a row or in the strip keep this many pixels between them.
enum { BOX_GAP = 2 };

// ===========================================================================
// Piece sizes on the box screen
// ===========================================================================

// A piece's longer side, which is its width whichever way it is turned.
static int longer_side(int p) {
    if (!is_piece(p)) return 0;
    return pieces[p].wd > pieces[p].ht ? pieces[p].wd : pieces[p].ht;
}

float box_piece_scale(int p) {
    int side = longer_side(p);
    if (side <= BOX_CELL) return 1.0f;
    return static_cast<float>(BOX_CELL) / static_cast<float>(side);
}

int box_piece_side(int p) {
    int side = longer_side(p);
    return side < BOX_CELL ? side : BOX_CELL;
}

// ===========================================================================
// Choosing the box
// ===========================================================================

void next_box() {
    current_box = box_now() % BOX_COUNT + 1;
    purge_grouped_from_box();
}

void previous_box() {
    int b = box_now() - 1;
    current_box = b < 1 ? BOX_COUNT : b;
    purge_grouped_from_box();
}

// ===========================================================================
// Box lists
// ===========================================================================

void remove_box_entry(int i) {
    int b = box_now();
    int n = box_count[b];
    if (n > MAX_PIECES) n = MAX_PIECES;
    if (i < 1 || i > n) return;
    for (int k = i; k < n; k++) box_contents[b][k] = box_contents[b][k + 1];
    box_contents[b][n].n = 0;
    box_count[b] = n - 1;
}

void purge_grouped_from_box() {
    int b = box_now();
    // Each pass removes the first grouped entry, so the list only shrinks.
    // An entry naming no piece of this jigsaw goes the same way.
    for (;;) {
        int n = box_count[b] < MAX_PIECES ? box_count[b] : MAX_PIECES;
        int found = 0;
        for (int i = 1; i <= n && !found; i++) {
            int p = box_contents[b][i].n;
            if (!is_piece(p) || pieces[p].gp > 0) found = i;
        }
        if (!found) return;
        remove_box_entry(found);
    }
}

void show_current_box() {
    int b = box_now();
    for (int i = 1; i <= last_piece(); i++) {
        if (pieces[i].gp == 0 && pieces[i].box == b) pieces[i].visible = 1;
    }
    box_shown[b] = 1;
}

void rebuild_boxes() {
    for (int b = 1; b <= BOX_COUNT; b++) {
        box_shown[b] = 0;
        int n = 0;
        for (int i = 1; i <= last_piece(); i++) {
            if (pieces[i].gp != 0 || pieces[i].box != b) continue;
            n++;
            box_contents[b][n] = pce_type();
            box_contents[b][n].n = i;
            if (pieces[i].visible) box_shown[b] = 1;
        }
        box_count[b] = n;
    }
}

// ===========================================================================
// The tray
// ===========================================================================

void shuffle_ints(int* list, int m) {
    for (int k = 0; k < m * 100; k++) {
        int i = rand(1, m), j = rand(1, m);
        int t = list[i];
        list[i] = list[j];
        list[j] = t;
    }
}

// The place of the next tray piece, of side `side`, after the one at
// (*x, *y) of side *last (0 when the tray is still empty). Centres are
// half of each side plus the gap apart, so a piece never reaches into its
// neighbour's square, however either is turned.
static void tray_advance(int side, int* x, int* y, int* last) {
    if (*last > 0) {
        *x += (*last + side) / 2 + BOX_GAP;
        if (*x + side / 2 > display_width()) {
            *x = TRAY_LEFT;
            *y += TRAY_ROW;
        }
    }
    *last = side;
}

void fill_tray() {
    static int list[PIECE_TABLE_SIZE];  // the loose interior pieces, 1-based
    int m = 0;
    for (int i = 1; i <= last_piece(); i++) {
        if (is_loose_piece(i)) list[++m] = i;
    }
    shuffle_ints(list, m);
    tray_count = m;
    int w = display_width(), h = display_height();
    int x = TRAY_LEFT, y = TRAY_TOP, last = 0, overflow = 0;
    bool full = false;
    for (int j = 1; j <= m; j++) {
        tray[j].n = list[j];
        if (!full) {
            int nx = x, ny = y, nlast = last;
            tray_advance(box_piece_side(list[j]), &nx, &ny, &nlast);
            // A piece that would start a row below the last one begins the
            // stack in the bottom-right corner, where their number is shown.
            full = ny > h - 29;
            if (!full) {
                x = nx, y = ny, last = nlast;
                tray[j].x = x;
                tray[j].y = y;
                continue;
            }
        }
        overflow++;
        tray[j].x = w - 29;
        tray[j].y = h - 29;
    }
    tray_overflow = overflow;
}

void relayout_tray() {
    int h = display_height();
    int x = TRAY_LEFT, y = TRAY_TOP, last = 0;
    int n = tray_count < MAX_PIECES ? tray_count : MAX_PIECES;
    for (int j = 1; j <= n; j++) {
        int p = tray[j].n;
        if (p <= 0) continue;  // a free slot keeps its old place
        tray_advance(box_piece_side(p), &x, &y, &last);
        // Past the last row nothing is stacked: the slots go on below
        // the visible tray, one row further down each.
        if (y > h - 29) y += TRAY_ROW;
        tray[j].x = x;
        tray[j].y = y;
    }
}

// True when piece p at free slot j keeps clear of every other occupied
// slot's square. Slots at the very same place are the corner stack,
// which p may join.
static bool slot_has_room(int j, int p, int slots) {
    int side = box_piece_side(p);
    for (int k = 1; k <= slots; k++) {
        int q = tray[k].n;
        if (k == j || q <= 0) continue;
        if (tray[k].x == tray[j].x && tray[k].y == tray[j].y) continue;
        int reach = (side + box_piece_side(q)) / 2;
        int dx = tray[k].x - tray[j].x, dy = tray[k].y - tray[j].y;
        if (dx < reach && -dx < reach && dy < reach && -dy < reach) return false;
    }
    return true;
}

// ===========================================================================
// Moving a piece between a box and the tray
// ===========================================================================

bool take_out_of_box(int i) {
    int b = box_now();
    if (i < 1 || i > box_count[b] || i > MAX_PIECES) return false;
    int p = box_contents[b][i].n;
    int n = tray_count < MAX_PIECES ? tray_count : MAX_PIECES;
    int slot = 0;
    // The first free slot it fits, at that slot's old place; the others
    // stay. A larger piece than the one that left would crowd its
    // neighbours, so it looks further.
    for (int j = 1; j <= n && !slot; j++) {
        if (tray[j].n == 0 && slot_has_room(j, p, n)) slot = j;
    }
    if (slot) {
        tray[slot].n = p;
    } else {
        // Every piece is in at most one list or slot, so the tray cannot
        // be full here; the test only keeps the table safe.
        if (n >= MAX_PIECES) return false;
        tray_count = n + 1;
        tray[tray_count].n = p;
        relayout_tray();
    }
    if (is_piece(p)) {
        pieces[p].box = 0;
        pieces[p].visible = 0;
    }
    remove_box_entry(i);
    return true;
}

bool put_into_box(int j) {
    int b = box_now();
    if (j < 1 || j > tray_count || j > MAX_PIECES) return false;
    int p = tray[j].n;
    if (!is_piece(p) || box_count[b] >= MAX_PIECES) return false;
    box_count[b]++;
    box_contents[b][box_count[b]].n = p;
    pieces[p].box = b;
    pieces[p].visible = 1;
    tray[j].n = 0;
    return true;
}

// ===========================================================================
// Sorting the tray by colour
// ===========================================================================

int sort_tray_by_colour() {
    // The tray's pieces in piece-number order, whatever order the tray
    // was dealt in, so that the same pieces always sort the same way.
    static int slot_of[PIECE_TABLE_SIZE];  // tray slot of each piece; 0 = none
    for (int p = 0; p < PIECE_TABLE_SIZE; p++) slot_of[p] = 0;
    int slots = tray_count < MAX_PIECES ? tray_count : MAX_PIECES;
    for (int j = 1; j <= slots; j++) {
        int p = tray[j].n;
        if (is_piece(p) && is_loose_piece(p)) slot_of[p] = j;
    }
    std::vector<int> sorting;
    std::vector<rgb_colour> colours;
    for (int p = 1; p <= last_piece(); p++) {
        if (!slot_of[p]) continue;
        sorting.push_back(p);
        colours.push_back(pieces[p].colour);
    }
    if (sorting.empty()) {
        status_message = "no pieces in the tray to sort";
        return 0;
    }

    // A box list holds at most MAX_PIECES entries; what is already in a
    // box stays there and gives the box its colour.
    box_sort_type boxes[BOX_TABLE_SIZE];
    for (int b = 1; b <= BOX_COUNT; b++) {
        int n = box_count[b] < MAX_PIECES ? box_count[b] : MAX_PIECES;
        boxes[b].room = MAX_PIECES - n;
        int64_t r = 0, g = 0, bl = 0;
        for (int i = 1; i <= n; i++) {
            int p = box_contents[b][i].n;
            // A piece joined since it was boxed is no longer shown there.
            if (!is_piece(p) || pieces[p].box != b || pieces[p].gp > 0) continue;
            r += pieces[p].colour.r;
            g += pieces[p].colour.g;
            bl += pieces[p].colour.b;
            boxes[b].holds++;
        }
        if (boxes[b].holds > 0) {
            int h = boxes[b].holds;
            boxes[b].mean = {static_cast<int>(r / h), static_cast<int>(g / h), static_cast<int>(bl / h)};
        }
    }
    std::vector<int> into;
    share_out_by_colour(colours, boxes, &into);

    int moved = 0;
    for (size_t i = 0; i < sorting.size(); i++) {
        int p = sorting[i], b = into[i];
        if (b < 1 || b > BOX_COUNT || box_count[b] >= MAX_PIECES) continue;
        box_count[b]++;
        box_contents[b][box_count[b]] = pce_type();
        box_contents[b][box_count[b]].n = p;
        pieces[p].box = b;
        pieces[p].visible = 1;  // as a piece put in by hand
        tray[slot_of[p]].n = 0;
        moved++;
    }

    // What is left of the corner stack is counted again.
    int w = display_width(), h = display_height(), stacked = 0;
    for (int j = 1; j <= slots; j++)
        if (tray[j].n > 0 && tray[j].x == w - 29 && tray[j].y == h - 29) stacked++;
    tray_overflow = stacked;

    int left = static_cast<int>(sorting.size()) - moved;
    status_message = "sorted " + int_to_text(moved) + (moved == 1 ? " piece" : " pieces") + " by colour";
    if (left > 0) status_message += ", " + int_to_text(left) + " left in the tray: their boxes are full";
    return moved;
}
