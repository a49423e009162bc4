// TrueType fonts through FreeType: a face sized to a pixel height, with
// one glyph image per glyph made the first time it is asked for. Glyph
// images are white RGBA whose alpha is the coverage, so text takes the
// drawing colour. Smooth fonts (style 4) are anti-aliased and get a
// transparent one-pixel border for clean filtering; others are one-bit.
// The font file is read whole through open_regular_file (so a FIFO never
// blocks) and FreeType reads the face from those bytes.
#include <new>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "media/media_internal.h"

// ---------------------------------------------------------------------------
// Kept for the run
// ---------------------------------------------------------------------------
static FT_Library freetype = nullptr;  // started by the first load_font

// Glyph bitmaps larger than this are treated as blank (no real font has them).
static const int MAX_GLYPH_SIDE = 2048;
// Font files above this size are not fonts this game could use.
static const int64_t MAX_FONT_BYTES = 64L * 1024 * 1024;

static bool smooth_style(int style) { return (style & 4) != 0; }

// Coverage 0..255 of bitmap pixel (x, y), row 0 at the top.
static uint8_t coverage(const FT_Bitmap& bitmap, int x, int y) {
    int pitch = bitmap.pitch;
    const uint8_t* row = pitch >= 0 ? bitmap.buffer + static_cast<size_t>(y) * pitch
                                    : bitmap.buffer + static_cast<size_t>(bitmap.rows - 1 - y) * -pitch;
    switch (bitmap.pixel_mode) {
    case FT_PIXEL_MODE_MONO: return (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
    case FT_PIXEL_MODE_GRAY: {
        unsigned levels = bitmap.num_grays > 1 ? bitmap.num_grays - 1 : 255;
        unsigned v = row[x];
        return static_cast<uint8_t>(levels == 255 ? v : (v > levels ? 255 : v * 255 / levels));
    }
    case FT_PIXEL_MODE_BGRA: return row[x * 4 + 3];
    default: return 0;
    }
}

// Renders glyph `index` into `glyph`. A glyph that fails to render, or has
// no pixels (a space), is blank: no image, but its advance still counts.
static void make_glyph(TImageFont* font, unsigned index, TImageGlyph* glyph) {
    glyph->_made = true;
    FT_Face face = static_cast<FT_Face>(font->_src_font);
    bool smooth = smooth_style(font->_style);
    FT_Int32 load = smooth ? FT_LOAD_RENDER : FT_LOAD_RENDER | FT_LOAD_TARGET_MONO;
    if (FT_Load_Glyph(face, index, load) != 0) return;
    FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    glyph->_advance = static_cast<float>((slot->advance.x + 32) >> 6);
    glyph->_x = slot->bitmap_left;
    glyph->_y = font->_ascent - slot->bitmap_top;
    int w = static_cast<int>(bitmap.width), h = static_cast<int>(bitmap.rows);
    bool known = bitmap.pixel_mode == FT_PIXEL_MODE_MONO || bitmap.pixel_mode == FT_PIXEL_MODE_GRAY ||
                 bitmap.pixel_mode == FT_PIXEL_MODE_BGRA;
    if (w < 1 || h < 1 || w > MAX_GLYPH_SIDE || h > MAX_GLYPH_SIDE || !known || !bitmap.buffer) return;

    int border = smooth ? 1 : 0;
    TPixmap* pixmap = create_pixmap(w + 2 * border, h + 2 * border, PF_RGBA8888);
    if (!pixmap) return;
    // White everywhere, the border included, so filtering never pulls a
    // dark colour into the glyph's edge.
    for (size_t i = 0; i < pixmap->pixels.size(); i += 4) {
        pixmap->pixels[i] = pixmap->pixels[i + 1] = pixmap->pixels[i + 2] = 255;
    }
    for (int y = 0; y < h; y++) {
        uint8_t* dst = pixmap->pixels.data() + static_cast<size_t>(y + border) * pixmap->pitch + border * 4;
        for (int x = 0; x < w; x++) dst[x * 4 + 3] = coverage(bitmap, x, y);
    }
    glyph->_image = image_adopt_pixmap(pixmap, font->_imageFlags);
    glyph->_w = w + 2 * border;
    glyph->_h = h + 2 * border;
    glyph->_x -= border;
    glyph->_y -= border;
}

// ---------------------------------------------------------------------------
// Operations
// ---------------------------------------------------------------------------

// The face over font->_file; the bytes stay with the font as long as the face.
static bool open_face(TImageFont* font, const std::string& path, int size) {
    if (!read_regular_file(path, MAX_FONT_BYTES, &font->_file) || font->_file.empty()) return false;
    FT_Face face = nullptr;
    if (FT_New_Memory_Face(freetype, font->_file.data(), static_cast<FT_Long>(font->_file.size()), 0, &face) != 0)
        return false;
    font->_src_font = face;
    // A face that refuses the size gets the next smaller one, down to 1.
    int pixels = size;
    while (pixels >= 1 && FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixels)) != 0) pixels--;
    if (pixels < 1 || face->num_glyphs < 1 || face->num_glyphs > 0x10000 || !face->size) return false;
    font->_glyphs.resize(static_cast<size_t>(face->num_glyphs));
    return true;
}

TImageFont* load_font(const std::string& path, int size, int style) {
    if (size < 1) return nullptr;
    if (!freetype && FT_Init_FreeType(&freetype) != 0) {
        freetype = nullptr;
        return nullptr;
    }
    TImageFont* font = new (std::nothrow) TImageFont;
    if (!font) return nullptr;
    bool opened = false;
    try {
        opened = open_face(font, path, size);
    } catch (const std::bad_alloc&) {
        opened = false;
    }
    if (!opened) {
        if (font->_src_font) FT_Done_Face(static_cast<FT_Face>(font->_src_font));
        delete font;
        return nullptr;
    }
    FT_Face face = static_cast<FT_Face>(font->_src_font);
    font->_style = style;
    font->_imageFlags = smooth_style(style) ? (IMG_FILTERED | IMG_MIPMAPPED) : 0;
    const FT_Size_Metrics& m = face->size->metrics;
    font->_height = static_cast<int>((m.height + 32) >> 6);
    font->_ascent = static_cast<int>((m.ascender + 63) >> 6);
    font->_descent = static_cast<int>(m.descender >> 6);  // negative: below the baseline
    return font;
}

void free_font(TImageFont* font) {
    if (!font) return;
    if (draw_state.image_font == font) draw_state.image_font = nullptr;
    for (TImageGlyph& glyph : font->_glyphs) free_image(glyph._image);
    FT_Done_Face(static_cast<FT_Face>(font->_src_font));
    delete font;
}

TImageGlyph* font_glyph(TImageFont* font, int character) {
    if (!font || !font->_src_font || character < 0) return nullptr;
    FT_Face face = static_cast<FT_Face>(font->_src_font);
    FT_UInt index = FT_Get_Char_Index(face, static_cast<FT_ULong>(character));
    if (index == 0 || index >= font->_glyphs.size()) return nullptr;
    TImageGlyph* glyph = &font->_glyphs[index];
    if (!glyph->_made) make_glyph(font, index, glyph);
    return glyph;
}
