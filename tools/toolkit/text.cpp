// TrueType text for the build tools through FreeType: widths with kerning
// and anti-aliased glyph coverage placed on a pen line.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include <cmath>

#include "tools/toolkit/toolkit.h"

namespace kit {

static FT_Library ft_library = nullptr;  // opened on the first font load

bool load_font(Font& font, const std::string& path) {
    if (!ft_library && FT_Init_FreeType(&ft_library) != 0) return false;
    FT_Face face = nullptr;
    if (FT_New_Face(ft_library, path.c_str(), 0, &face) != 0) return false;
    font.face = face;
    return true;
}

// Walks the text's glyphs at the size; calls back with each glyph slot
// rendered and its pen position. Characters are bytes (Latin-1).
template <typename Visit>
static double walk_glyphs(Font& font, int size, const std::string& text, bool render, Visit visit) {
    FT_Face face = static_cast<FT_Face>(font.face);
    if (!face) return 0;
    FT_Set_Pixel_Sizes(face, 0, size);
    double pen = 0;
    FT_UInt previous = 0;
    for (unsigned char ch : text) {
        FT_UInt index = FT_Get_Char_Index(face, ch);
        if (index == 0) continue;
        if (previous && FT_HAS_KERNING(face)) {
            FT_Vector k;
            if (FT_Get_Kerning(face, previous, index, FT_KERNING_DEFAULT, &k) == 0) pen += k.x / 64.0;
        }
        if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) != 0) continue;
        if (font.embolden) FT_GlyphSlot_Embolden(face->glyph);
        if (render && FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) continue;
        visit(face->glyph, pen);
        pen += face->glyph->advance.x / 64.0;
        previous = index;
    }
    return pen;
}

int text_width(Font& font, int size, const std::string& text) {
    double w = walk_glyphs(font, size, text, false, [](FT_GlyphSlot, double) {});
    return static_cast<int>(std::lround(w));
}

int cap_height(Font& font, int size) {
    int top = 0;
    walk_glyphs(font, size, "H", true, [&](FT_GlyphSlot g, double) { top = g->bitmap_top; });
    return top;
}

Coverage text_coverage(Font& font, int size, double x, double baseline, const std::string& text) {
    // First pass: the extent of all glyph bitmaps.
    int ix = static_cast<int>(std::lround(x)), iy = static_cast<int>(std::lround(baseline));
    int minx = 1 << 30, miny = 1 << 30, maxx = -(1 << 30), maxy = -(1 << 30);
    walk_glyphs(font, size, text, true, [&](FT_GlyphSlot g, double pen) {
        if (g->bitmap.width == 0 || g->bitmap.rows == 0) return;
        int gx = ix + static_cast<int>(std::lround(pen)) + g->bitmap_left;
        int gy = iy - g->bitmap_top;
        minx = std::min(minx, gx);
        miny = std::min(miny, gy);
        maxx = std::max(maxx, gx + static_cast<int>(g->bitmap.width));
        maxy = std::max(maxy, gy + static_cast<int>(g->bitmap.rows));
    });
    Coverage cov;
    if (minx >= maxx) return cov;
    cov.x0 = minx;
    cov.y0 = miny;
    cov.width = maxx - minx;
    cov.height = maxy - miny;
    cov.a.assign(static_cast<size_t>(cov.width) * cov.height, 0.0f);
    walk_glyphs(font, size, text, true, [&](FT_GlyphSlot g, double pen) {
        const FT_Bitmap& bm = g->bitmap;
        int gx = ix + static_cast<int>(std::lround(pen)) + g->bitmap_left - cov.x0;
        int gy = iy - g->bitmap_top - cov.y0;
        for (unsigned r = 0; r < bm.rows; r++)
            for (unsigned c = 0; c < bm.width; c++) {
                float v;
                if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
                    v = (bm.buffer[r * bm.pitch + c / 8] & (0x80 >> (c % 8))) ? 1.0f : 0.0f;
                else
                    v = bm.buffer[r * bm.pitch + c] / 255.0f;
                float& dst = cov.a[static_cast<size_t>(gy + r) * cov.width + gx + c];
                dst = std::min(1.0f, dst + v);
            }
    });
    return cov;
}

void draw_text(Canvas& canvas, Font& font, int size, double x, double baseline, Color c, const std::string& text) {
    fill(canvas, text_coverage(font, size, x, baseline, text), c);
}

}  // namespace kit
