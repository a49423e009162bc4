// Key V on the board: the pieces that would fit the held group (or the
// group under the pointer) flash, three blinks of a bright outline around
// each one's opaque shape, drawn over the board for about a second; those
// lying under other pieces are first raised so that they can be seen. The
// outline of a piece is an image made when the flash starts, from the
// display pixels the piece covers as drawn (turned), so it hugs the shape
// whatever the turn; the images go when the flash ends. The flash is a
// moment of the board, not of the game: nothing of it is saved.
#include <algorithm>
#include <string>
#include <vector>

#include "play/play.h"

// One outlined piece: where the outline image is drawn and what the piece
// was when it was made (a piece that moved since is not outlined).
struct fit_outline_type {
    int piece = 0;
    TImage* image = nullptr;  // the ring around the shape; owned here
    int left = 0, top = 0;    // where its top-left corner is drawn
    int x = 0, y = 0, a = 0;  // the piece's place and turn when it was made
    TImage* img = nullptr;    // the piece's picture then
};

// --- a moment of the board: the flash ---
int fit_flash_start = 0;                        // clock_ms when the flash began
const int fit_blink_ms = 333;                   // one blink, milliseconds
const int fit_blink_on_ms = 200;                // of which the outline shows this long
const int fit_flash_ms = 3 * fit_blink_ms;      // three blinks
static std::vector<fit_outline_type> outlines;  // the flashing pieces; empty = no flash
static bool flash_on = false;                   // a flash is running

// --- kept for the run ---
static TImage* pixel_probe = nullptr;  // one opaque pixel, for reading a piece's shape

// The ring: RING_WIDTH pixels around the shape, bright between a thin dark
// line along the shape and a dark rim outside, so that it stands out on
// pieces of any colour, its own colour included.
enum { RING_WIDTH = 6 };
// Squared distances from the shape (pixel centres) up to which the ring is
// dark, then bright, then dark again.
enum { RING_INNER_D2 = 2, RING_BRIGHT_D2 = 20, RING_OUTER_D2 = 36 };
static const uint32_t RING_BRIGHT = 0xFFFFE600;  // 0xAARRGGBB, a strong yellow
static const uint32_t RING_DARK = 0xFF201000;

// ===========================================================================
// The shape of a piece as drawn
// ===========================================================================

// The display pixels a piece covers: a box and one byte per pixel in it.
struct piece_mask_type {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<uint8_t> solid;  // row-major, 1 where the piece is opaque
    bool at(int x, int y) const {
        x -= left, y -= top;
        if (x < 0 || y < 0 || x >= width || y >= height) return false;
        return solid[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] != 0;
    }
};

static TImage* probe() {
    if (pixel_probe) return pixel_probe;
    TPixmap* pm = create_pixmap(1, 1, PF_RGBA8888);
    if (!pm) return nullptr;
    write_pixel(pm, 0, 0, 0xFFFFFFFF);
    pixel_probe = image_from_pixmap(pm, 0);
    free_pixmap(pm);
    return pixel_probe;
}

// The box of display pixels a piece's turned image can cover.
static void turned_bounds(const piece_type& pc, int* x0, int* y0, int* x1, int* y1) {
    const TImage* img = pc.img;
    int cx[2] = {static_cast<int>(-img->handle_x) - 1, static_cast<int>(img->width - img->handle_x) + 1};
    int cy[2] = {static_cast<int>(-img->handle_y) - 1, static_cast<int>(img->height - img->handle_y) + 1};
    *x0 = *y0 = 1 << 30;
    *x1 = *y1 = -(1 << 30);
    for (int u : cx)
        for (int v : cy) {
            int tx = 0, ty = 0;
            turn_offset(pc.a, u, v, &tx, &ty);
            *x0 = std::min(*x0, pc.x + tx), *y0 = std::min(*y0, pc.y + ty);
            *x1 = std::max(*x1, pc.x + tx + 1), *y1 = std::max(*y1, pc.y + ty + 1);
        }
}

// Whether the piece, drawn turned at its place, covers display pixel
// (x, y): the one-pixel probe is placed so that, turned the same way, it
// covers exactly that pixel, and the pixel-exact overlap test decides.
static bool covers_pixel(const piece_type& pc, int x, int y) {
    TImage* one = probe();
    if (!one || !pc.img) return false;
    int dx = 0, dy = 0;
    turn_offset(pc.a, 1, 1, &dx, &dy);  // the probe's far corner, turned
    set_rotation(static_cast<float>(pc.a * 90));
    bool hit = images_overlap(pc.img, static_cast<float>(pc.x), static_cast<float>(pc.y), 0, one,
                              static_cast<float>(x - std::min(0, dx)), static_cast<float>(y - std::min(0, dy)), 0);
    set_rotation(0);
    return hit;
}

static piece_mask_type piece_mask(int p) {
    piece_mask_type m;
    const piece_type& pc = pieces[p];
    if (!pc.img) return m;
    int x0, y0, x1, y1;
    turned_bounds(pc, &x0, &y0, &x1, &y1);
    m.left = x0, m.top = y0, m.width = x1 - x0, m.height = y1 - y0;
    m.solid.assign(static_cast<size_t>(m.width) * static_cast<size_t>(m.height), 0);
    for (int y = 0; y < m.height; y++)
        for (int x = 0; x < m.width; x++)
            m.solid[static_cast<size_t>(y) * static_cast<size_t>(m.width) + static_cast<size_t>(x)] =
                covers_pixel(pc, x0 + x, y0 + y) ? 1 : 0;
    return m;
}

// ===========================================================================
// Raising the pieces that others cover
// ===========================================================================

// True for the held piece and its group: drawn above everything anyway.
static bool held_member(int p) {
    int h = held_piece;
    if (h < 1 || h > piece_count) return false;
    return p == h || (pieces[h].gp > 0 && pieces[p].gp == pieces[h].gp);
}

// Whether piece q, drawn as it is, covers an opaque pixel of the mask.
static bool covers_mask(int q, const piece_mask_type& m) {
    const piece_type& pc = pieces[q];
    if (!pc.img) return false;
    int x0, y0, x1, y1;
    turned_bounds(pc, &x0, &y0, &x1, &y1);
    x0 = std::max(x0, m.left), y0 = std::max(y0, m.top);
    x1 = std::min(x1, m.left + m.width), y1 = std::min(y1, m.top + m.height);
    for (int y = y0; y < y1; y++)
        for (int x = x0; x < x1; x++)
            if (m.at(x, y) && covers_pixel(pc, x, y)) return true;
    return false;
}

// Raises every flashing piece that a shown piece drawn after it covers
// (other flashing pieces and the held group aside), keeping the order of
// the raised ones among themselves.
static void raise_covered(const std::vector<int>& flashing, const std::vector<piece_mask_type>& masks) {
    std::vector<char> flashes(static_cast<size_t>(piece_count) + 1, 0);
    std::vector<int> slot(static_cast<size_t>(piece_count) + 1, 0);  // index in draw_order
    for (int p : flashing) flashes[static_cast<size_t>(p)] = 1;
    for (int i = 1; i <= piece_count; i++)
        if (draw_order[i] >= 1 && draw_order[i] <= piece_count) slot[static_cast<size_t>(draw_order[i])] = i;
    std::vector<std::pair<int, int>> covered;  // slot, piece
    for (size_t k = 0; k < flashing.size() && k < masks.size(); k++) {
        int p = flashing[k];
        for (int i = slot[static_cast<size_t>(p)] + 1; i <= piece_count; i++) {
            int q = draw_order[i];
            if (q < 1 || q > piece_count || flashes[static_cast<size_t>(q)] || !pieces[q].visible || held_member(q))
                continue;
            if (covers_mask(q, masks[k])) {
                covered.push_back({slot[static_cast<size_t>(p)], p});
                break;
            }
        }
    }
    std::sort(covered.begin(), covered.end());
    for (const auto& c : covered) raise_piece(c.second);
}

// ===========================================================================
// The outlines
// ===========================================================================

// The ring around a mask as an image RING_WIDTH pixels larger on each side:
// the pixels outside the shape within RING_WIDTH of it (round reach),
// dark, bright and dark by their distance; the rest transparent.
static TImage* outline_image(const piece_mask_type& m) {
    const int w = m.width + 2 * RING_WIDTH, h = m.height + 2 * RING_WIDTH;
    if (m.width < 1 || m.height < 1) return nullptr;
    std::vector<int> reach(static_cast<size_t>(w) * static_cast<size_t>(h), 1 << 20);  // squared distance
    for (int y = 0; y < m.height; y++)
        for (int x = 0; x < m.width; x++) {
            int sx = m.left + x, sy = m.top + y;
            if (!m.at(sx, sy)) continue;
            // Only the shape's rim reaches further than the shape itself.
            if (m.at(sx - 1, sy) && m.at(sx + 1, sy) && m.at(sx, sy - 1) && m.at(sx, sy + 1)) continue;
            for (int dy = -RING_WIDTH; dy <= RING_WIDTH; dy++)
                for (int dx = -RING_WIDTH; dx <= RING_WIDTH; dx++) {
                    int d = dx * dx + dy * dy;
                    size_t at = static_cast<size_t>(y + RING_WIDTH + dy) * static_cast<size_t>(w) +
                                static_cast<size_t>(x + RING_WIDTH + dx);
                    reach[at] = std::min(reach[at], d);
                }
        }
    TPixmap* pm = create_pixmap(w, h, PF_RGBA8888);
    if (!pm) return nullptr;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            if (m.at(m.left + x - RING_WIDTH, m.top + y - RING_WIDTH)) continue;
            int d = reach[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)];
            if (d <= RING_INNER_D2)
                write_pixel(pm, x, y, RING_DARK);
            else if (d <= RING_BRIGHT_D2)
                write_pixel(pm, x, y, RING_BRIGHT);
            else if (d <= RING_OUTER_D2)
                write_pixel(pm, x, y, RING_DARK);
        }
    TImage* image = image_from_pixmap(pm, 0);
    free_pixmap(pm);
    return image;
}

void end_fit_flash() {
    for (fit_outline_type& o : outlines) free_image(o.image);
    outlines.clear();
    flash_on = false;
}

bool fit_flash_running() { return flash_on; }

std::vector<int> fit_flash_pieces() {
    std::vector<int> list;
    for (const fit_outline_type& o : outlines) list.push_back(o.piece);
    return list;
}

// Whether a click at (x, y) would go to the picture or the swatch, which
// lie over the pieces, rather than to a piece.
static bool over_picture_or_swatch(int x, int y) {
    if (picture_shown && picture && x >= picture_x && x <= picture_x + picture_w && y >= picture_y &&
        y <= picture_y + picture_h)
        return true;
    return swatch_shown && swatch_image && x >= swatch_x && x <= swatch_x + image_width(swatch_image) &&
           y >= swatch_y && y <= swatch_y + image_height(swatch_image);
}

void find_fitting_pieces(int x, int y) {
    end_fit_flash();
    int p = held_piece;
    if (p < 1 || p > piece_count) p = over_picture_or_swatch(x, y) ? 0 : piece_at(x, y);
    if (p < 1) {
        status_message = "Point at a piece or hold one to find the pieces that fit";
        return;
    }
    fit_search_type found = find_fits(p);
    status_message = fit_status_text(found);
    if (found.shown.empty()) return;
    std::vector<piece_mask_type> masks;
    for (int q : found.shown) masks.push_back(piece_mask(q));
    raise_covered(found.shown, masks);
    for (size_t k = 0; k < found.shown.size(); k++) {
        int q = found.shown[k];
        const piece_type& pc = pieces[q];
        fit_outline_type o;
        o.piece = q;
        o.image = outline_image(masks[k]);
        o.left = masks[k].left - RING_WIDTH;
        o.top = masks[k].top - RING_WIDTH;
        o.x = pc.x, o.y = pc.y, o.a = pc.a, o.img = pc.img;
        if (o.image) outlines.push_back(o);
    }
    flash_on = !outlines.empty();
    fit_flash_start = clock_ms();
}

bool fit_flash_shows(int elapsed) {
    return elapsed >= 0 && elapsed < fit_flash_ms && elapsed % fit_blink_ms < fit_blink_on_ms;
}

void draw_fit_flash() {
    if (!flash_on) return;
    int elapsed = clock_ms() - fit_flash_start;
    if (elapsed < 0 || elapsed >= fit_flash_ms) {
        end_fit_flash();
        return;
    }
    if (!fit_flash_shows(elapsed)) return;
    for (const fit_outline_type& o : outlines) {
        if (o.piece < 1 || o.piece > piece_count) continue;
        const piece_type& pc = pieces[o.piece];
        // A piece taken up, turned or dealt again since has left its outline.
        if (!pc.visible || held_member(o.piece) || pc.x != o.x || pc.y != o.y || pc.a != o.a || pc.img != o.img)
            continue;
        draw_image(o.image, static_cast<float>(o.left), static_cast<float>(o.top), 0);
    }
}
