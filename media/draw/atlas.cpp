// Texture atlases: small image frames share a few large textures, so a
// board of hundreds of pieces binds a handful of textures instead of one
// per piece and its quads go to the GL in a few long runs. This file holds
// the display-free half: the shelf packer that places cells on pages and
// the cell pixels (a frame with a one-pixel border that repeats its edges,
// so filtered sampling near an edge reads what a texture of its own gave).
// The backend owns the textures and fills in each page's name.
#include <cmath>
#include <cstring>

#include "media/media_internal.h"

// ---------------------------------------------------------------------------
// The current display's pages; cleared by atlas_reset at every open_screen
// ---------------------------------------------------------------------------
std::vector<TAtlasPage> atlas_pages;           // pages in the order they were made
std::vector<TAtlasCell> released_atlas_cells;  // cells of freed atlas frames, awaiting the backend
int atlas_side = 0;                            // pixels per page side; 0 = no atlas on this display

void atlas_reset(int side) {
    atlas_pages.clear();
    released_atlas_cells.clear();
    atlas_side = side;
}

bool atlas_fits(int width, int height) {
    int cell_limit = atlas_side / ATLAS_CELL_FRACTION;
    return atlas_side > 0 && width > 0 && height > 0 && width + 2 <= cell_limit && height + 2 <= cell_limit;
}

// A cell goes into a released cell at least its size on a page of its
// kind, else onto the lowest shelf it fits under with room left on such a
// page, else onto a new shelf below that page's last, else onto a new
// page. Shelves keep the height of the cell that opened them, so a short
// cell prefers a low shelf and leaves the high ones to tall cells: pieces
// of a jigsaw, which differ in height by their tabs, fill a page instead of
// abandoning a shelf at each taller piece. Reusing released cells keeps a
// page whose other frames live on (glyphs beside thumbnails, say) from
// filling with dead room as frames come and go.
bool atlas_place(int kind, int width, int height, int* page, int* x, int* y) {
    if (!atlas_fits(width, height)) return false;
    int cw = width + 2, ch = height + 2;
    for (size_t i = 0; i < atlas_pages.size(); i++) {
        TAtlasPage& pg = atlas_pages[i];
        if (pg.kind != kind) continue;
        for (size_t k = 0; k < pg.free_cells.size(); k++) {
            const TAtlasRect& r = pg.free_cells[k];
            if (r.w < cw || r.h < ch) continue;
            *page = static_cast<int>(i);
            *x = r.x;
            *y = r.y;
            pg.free_cells.erase(pg.free_cells.begin() + static_cast<long>(k));
            pg.live++;
            return true;
        }
    }
    for (size_t i = 0; i < atlas_pages.size(); i++) {
        TAtlasPage& pg = atlas_pages[i];
        if (pg.kind != kind) continue;
        TAtlasShelf* best = nullptr;
        for (TAtlasShelf& shelf : pg.shelves)
            if (ch <= shelf.h && shelf.cursor_x + cw <= atlas_side && (!best || shelf.h < best->h)) best = &shelf;
        if (!best && pg.top + ch <= atlas_side) {
            TAtlasShelf shelf;
            shelf.y = pg.top;
            shelf.h = ch;
            pg.top += ch;
            pg.shelves.push_back(shelf);
            best = &pg.shelves.back();
        }
        if (!best) continue;
        *page = static_cast<int>(i);
        *x = best->cursor_x;
        *y = best->y;
        best->cursor_x += cw;
        pg.live++;
        return true;
    }
    TAtlasPage pg;
    pg.kind = kind;
    TAtlasShelf shelf;
    shelf.h = ch;
    shelf.cursor_x = cw;
    pg.shelves.push_back(shelf);
    pg.top = ch;
    pg.live = 1;
    atlas_pages.push_back(pg);
    *page = static_cast<int>(atlas_pages.size() - 1);
    *x = 0;
    *y = 0;
    return true;
}

unsigned atlas_release(const TAtlasCell& cell) {
    for (size_t i = 0; i < atlas_pages.size(); i++) {
        TAtlasPage& pg = atlas_pages[i];
        if (pg.texture != cell.texture) continue;
        if (--pg.live > 0) {
            pg.free_cells.push_back(cell.rect);
            return 0;
        }
        atlas_pages.erase(atlas_pages.begin() + static_cast<long>(i));
        return cell.texture;
    }
    return 0;
}

TAtlasRect atlas_cell_rect(float u0, float v0, float u1, float v1) {
    float side = static_cast<float>(atlas_side);
    TAtlasRect r;
    r.x = static_cast<int>(std::lround(u0 * side)) - 1;
    r.y = static_cast<int>(std::lround(v0 * side)) - 1;
    r.w = static_cast<int>(std::lround(u1 * side)) + 1 - r.x;
    r.h = static_cast<int>(std::lround(v1 * side)) + 1 - r.y;
    return r;
}

TPixmap* atlas_cell_pixmap(const TPixmap* pixmap) {
    if (!pixmap || pixmap->width <= 0 || pixmap->height <= 0) return nullptr;
    TPixmap* src = convert_pixmap(pixmap, PF_RGBA8888);
    if (!src) return nullptr;
    const int w = src->width, h = src->height;
    TPixmap* cell = create_pixmap(w + 2, h + 2, PF_RGBA8888);
    if (!cell) {
        free_pixmap(src);
        return nullptr;
    }
    const size_t row_bytes = static_cast<size_t>(w) * 4;
    for (int y = 0; y < h; y++) {
        uint8_t* dst = cell->pixels.data() + static_cast<size_t>(y + 1) * cell->pitch;
        std::memcpy(dst + 4, src->pixels.data() + static_cast<size_t>(y) * src->pitch, row_bytes);
        std::memcpy(dst, dst + 4, 4);                          // left border: the first column
        std::memcpy(dst + row_bytes + 4, dst + row_bytes, 4);  // right border: the last column
    }
    uint8_t* first = cell->pixels.data();
    std::memcpy(first, first + cell->pitch, static_cast<size_t>(cell->pitch));  // top border: the first row
    uint8_t* last = cell->pixels.data() + static_cast<size_t>(h + 1) * cell->pitch;
    std::memcpy(last, last - cell->pitch, static_cast<size_t>(cell->pitch));  // bottom border: the last row
    free_pixmap(src);
    return cell;
}
