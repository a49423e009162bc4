// Laying out and measuring a line of text in the selected font. Characters
// are bytes (ISO 8859-1, the first 256 code points of the font's map);
// characters the font has no glyph for are skipped. The built-in default
// font, selected by Null, has no glyphs: it draws nothing and measures 0.
#include "media/media_internal.h"

// Each glyph image is drawn with its top-left at pen + (_x, _y), less the
// drawing handle, mapped through the matrix about (x, y); the pen moves
// along the matrix's x axis. draw_image adds the origin itself.
void draw_text(const std::string& text, float x, float y) {
    TImageFont* font = draw_state.image_font;
    if (!font) return;
    const TDrawState& s = draw_state;
    float pen = 0;
    for (unsigned char ch : text) {
        TImageGlyph* glyph = font_glyph(font, ch);
        if (!glyph) continue;
        if (glyph->_image) {
            float lx = pen + glyph->_x - s.handle_x, ly = glyph->_y - s.handle_y;
            draw_image(glyph->_image, x + lx * s.tform_ix + ly * s.tform_iy, y + lx * s.tform_jx + ly * s.tform_jy, 0);
        }
        pen += glyph->_advance;
    }
}

int text_width(const std::string& text) {
    TImageFont* font = draw_state.image_font;
    if (!font) return 0;
    int width = 0;
    for (unsigned char ch : text) {
        TImageGlyph* glyph = font_glyph(font, ch);
        if (glyph) width = static_cast<int>(width + glyph->_advance);
    }
    return width;
}

int text_height(const std::string& text) {
    (void)text;  // the font's height, whatever the text
    TImageFont* font = draw_state.image_font;
    return font ? font->_height : 0;
}
