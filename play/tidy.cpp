// Tidying (key T, or the help page's T): every visible ungrouped piece is
// laid out side by side, in random order, in the part of the screen the
// pointer is in: the middle, the top or bottom half in rows, the left or
// right half in columns. Pieces that no longer fit are stacked on one
// point and their number is left in tidy_state for the board to show.
#include "play/play.h"

enum tidy_layout { TIDY_MIDDLE, TIDY_TOP, TIDY_BOTTOM, TIDY_LEFT, TIDY_RIGHT };

// Rows and columns lie this far apart whatever the pieces' sizes.
enum { TIDY_LANE = 58, TIDY_MARGIN = 29 };

// The point tested: the live mouse for the key, else where help was opened.
static bool point_in(int x1, int y1, int x2, int y2) {
    return click_x == -1 ? mouse_in_rect(x1, y1, x2, y2) != 0 : click_in_rect(x1, y1, x2, y2) != 0;
}

// The layout and its region for the point; false when the point lies off
// the screen. The middle is tested first, so its border belongs to it.
static bool choose_region(int w, int h, tidy_layout* layout, int* left, int* top, int* right, int* bottom) {
    struct choice {
        int x1, y1, x2, y2;  // test rectangle, ends included
        tidy_layout layout;
        int left, top, right, bottom;
    };
    const choice choices[] = {
        {w / 4, h / 4, 3 * w / 4, 3 * h / 4, TIDY_MIDDLE, w / 4, h / 4, 3 * w / 4, 3 * h / 4},
        {0, 0, w, h / 4, TIDY_TOP, 0, 0, w, h / 2},
        {0, 3 * h / 4, w, h, TIDY_BOTTOM, 0, h / 2, w, h},
        {0, h / 4, w / 4, 3 * h / 4, TIDY_LEFT, 0, 0, w / 2, h},
        {3 * w / 4, h / 4, w, 3 * h / 4, TIDY_RIGHT, w / 2, 0, w, h},
    };
    for (const choice& c : choices) {
        if (!point_in(c.x1, c.y1, c.x2, c.y2)) continue;
        *layout = c.layout;
        *left = c.left;
        *top = c.top;
        *right = c.right;
        *bottom = c.bottom;
        return true;
    }
    return false;
}

void tidy_pieces() {
    int w = display_width(), h = display_height();
    tidy_layout layout;
    int left, top, right, bottom;
    if (!choose_region(w, h, &layout, &left, &top, &right, &bottom)) return;

    tidy_state.k = 0;
    static int list[PIECE_TABLE_SIZE];  // the pieces to lay out, 1-based
    int last = piece_count < MAX_PIECES ? piece_count : MAX_PIECES;
    int m = 0;
    for (int i = 1; i <= last; i++) {
        if (pieces[i].gp == 0 && pieces[i].visible) list[++m] = i;
    }
    shuffle_ints(list, m);

    int x, y;
    switch (layout) {
    case TIDY_MIDDLE:
    case TIDY_TOP: x = left + TIDY_MARGIN, y = top + TIDY_MARGIN; break;
    case TIDY_BOTTOM: x = left + TIDY_MARGIN, y = h - TIDY_MARGIN; break;
    case TIDY_LEFT: x = TIDY_MARGIN, y = TIDY_MARGIN; break;
    default: x = w - TIDY_MARGIN, y = TIDY_MARGIN; break;
    }
    bool stacking = false;
    int stacked = 0;
    for (int k = 1; k <= m; k++) {
        piece_type& pc = pieces[list[k]];
        pc.x = x;
        pc.y = y;
        if (stacking) {
            stacked++;
            continue;
        }
        switch (layout) {
        case TIDY_MIDDLE:
        case TIDY_TOP:  // rows, downwards
            x += pc.wd + 2;
            if (x > right - 10) {
                x = left + TIDY_MARGIN;
                if (y < bottom - TIDY_LANE) {
                    y += TIDY_LANE;
                } else {
                    stacking = true;
                    x = pc.x + 10;
                    y = pc.y + 10;
                }
            }
            break;
        case TIDY_BOTTOM:  // rows, upwards
            x += pc.wd + 2;
            if (x > right - 10) {
                x = left + TIDY_MARGIN;
                if (y > h / 2 + TIDY_MARGIN) {
                    y -= TIDY_LANE;
                } else {
                    stacking = true;
                    x = w - TIDY_MARGIN;
                    y = h - TIDY_MARGIN;
                }
            }
            break;
        case TIDY_LEFT:  // columns, rightwards
            y += pc.ht + 2;
            if (y > bottom - 10) {
                y = TIDY_MARGIN;
                if (x < w / 2 - TIDY_LANE) {
                    x += TIDY_LANE;
                } else {
                    stacking = true;
                    x = w / 2 - TIDY_MARGIN;
                    y = pc.y;
                }
            }
            break;
        case TIDY_RIGHT:  // columns, leftwards
            y += pc.ht + 2;
            if (y > bottom - 10) {
                y = TIDY_MARGIN;
                if (x > w / 2 + TIDY_MARGIN) {
                    x -= TIDY_LANE;
                } else {
                    stacking = true;
                    x = w - TIDY_MARGIN;
                    y = h - TIDY_MARGIN;
                }
            }
            break;
        }
    }
    // The count is kept on screen even when the stack lies past the edge.
    if (x > w - TIDY_MARGIN) x = w - TIDY_MARGIN;
    if (stacked > 0) {
        tidy_state.k = stacked;
        tidy_state.x = x;
        tidy_state.y = y;
    }
}
