// The build tools' drawing kit: float RGBA canvases, anti-aliased path
// filling by exact area coverage, blurs, TrueType text through FreeType and
// PNG / JPEG / BMP files. Used by the resource maker, the jigsaw maker and
// the starter-library painter; never linked into the game.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kit {

// ---------------------------------------------------------------------------
// Colours and canvases (canvas.cpp)
// ---------------------------------------------------------------------------

struct Color {
    float r = 0, g = 0, b = 0, a = 1;  // straight (not premultiplied), 0..1
};

Color rgb(int r, int g, int b, float a = 1.0f);
Color mix(Color c1, Color c2, float t);  // t 0 gives c1
Color scale(Color c, float f);           // colour times f, alpha kept
Color hsv(float h, float s, float v);    // h in turns (0..1)

// A picture in premultiplied float RGBA, row-major, origin top-left.
struct Canvas {
    int width = 0;
    int height = 0;
    std::vector<float> px;  // 4 floats per pixel
};

Canvas make_canvas(int width, int height, Color fill);
// Composites colour c over pixel (x, y) with the given coverage 0..1.
void blend_pixel(Canvas& canvas, int x, int y, Color c, float coverage);
Color get_pixel(const Canvas& canvas, int x, int y);  // straight; clamped to the edge
// Composites src over dst with its top-left at (x, y), times opacity.
void draw_canvas(Canvas& dst, const Canvas& src, int x, int y, float opacity);
// Composites a solid rectangle (whole pixels).
void fill_rect(Canvas& canvas, int x, int y, int w, int h, Color c);
// A resampled copy (triangle filter widened when shrinking, so detail is
// averaged rather than skipped).
Canvas resize_canvas(const Canvas& src, int width, int height);
// The canvas as 8-bit straight RGBA (or RGB with alpha dropped).
std::vector<uint8_t> canvas_bytes(const Canvas& canvas, bool with_alpha);

// ---------------------------------------------------------------------------
// Paths and coverage (path.cpp)
// ---------------------------------------------------------------------------

struct Point {
    double x = 0, y = 0;
};

// Closed contours of straight segments; curves are flattened on entry.
struct Path {
    std::vector<std::vector<Point>> contours;
};

void move_to(Path& path, double x, double y);
void line_to(Path& path, double x, double y);
void cubic_to(Path& path, double x1, double y1, double x2, double y2, double x, double y);
void add_rounded_rect(Path& path, double x, double y, double w, double h, double r);
void add_circle(Path& path, double cx, double cy, double r);
// Adds the contour with its direction reversed (a hole under the fill rule).
void add_reversed(Path& path, const std::vector<Point>& contour);
void translate_path(Path& path, double dx, double dy);

// Per-pixel coverage of a region of a canvas, 0..1.
struct Coverage {
    int x0 = 0, y0 = 0;  // canvas position of the mask's top-left pixel
    int width = 0, height = 0;
    std::vector<float> a;
};

// Exact area coverage of the path's interior over the pixel rectangle
// (x0, y0, width, height), nonzero winding, clamped to 1. Two paths that
// share an edge traced in opposite directions get coverages summing to 1
// along it.
Coverage rasterize(const Path& path, int x0, int y0, int width, int height);
// Coverage of the path over its own bounding box (grown by `margin`).
Coverage rasterize_bounds(const Path& path, int margin);
float coverage_at(const Coverage& cov, int x, int y);  // canvas coordinates; 0 outside
// Box blur of radius r, three passes (close to a Gaussian); grows the mask by 3r.
Coverage blur(const Coverage& cov, int r);
Coverage offset(const Coverage& cov, int dx, int dy);

void fill(Canvas& canvas, const Coverage& cov, Color c);
// Vertical gradient from c1 at y1 to c2 at y2 (clamped outside).
void fill_vertical(Canvas& canvas, const Coverage& cov, Color c1, double y1, Color c2, double y2);
// Radial gradient from c1 at the centre to c2 at radius r.
void fill_radial(Canvas& canvas, const Coverage& cov, Color c1, Color c2, double cx, double cy, double r);

// ---------------------------------------------------------------------------
// Text (text.cpp)
// ---------------------------------------------------------------------------

struct Font {
    void* face = nullptr;   // FT_Face
    bool embolden = false;  // thicken the outlines (for faces whose bold is light)
};

bool load_font(Font& font, const std::string& path);
// Width in pixels of the text at the pixel size (advances and kerning).
int text_width(Font& font, int size, const std::string& text);
// Coverage of the text with its pen starting at (x, baseline).
Coverage text_coverage(Font& font, int size, double x, double baseline, const std::string& text);
void draw_text(Canvas& canvas, Font& font, int size, double x, double baseline, Color c, const std::string& text);
// Height above the baseline of capital letters at that size.
int cap_height(Font& font, int size);

// ---------------------------------------------------------------------------
// Files (image_files.cpp)
// ---------------------------------------------------------------------------

// 8-bit RGBA pixels, straight alpha, row-major.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;
};

// PNG of 8-bit RGBA (channels 4) or RGB (3) pixels, written by the game's
// save_pixmap_png; no time stamp, so the same pixels always give the same
// bytes. False on failure.
bool write_png(const std::string& path, int width, int height, int channels, const uint8_t* pixels, int compression);
bool save_png(const Canvas& canvas, const std::string& path, bool with_alpha);
// 24-bit uncompressed BMP (alpha dropped).
bool save_bmp(const Canvas& canvas, const std::string& path);
// Reads a PNG or a JPEG into RGBA through the game's load_pixmap, so the
// game's size limits apply. False when the file is neither, is damaged or
// is too large; `error` then says why.
bool read_picture(const std::string& path, Picture& picture, std::string& error);
Canvas canvas_from_picture(const Picture& picture);
// A picture made smaller by a whole factor (box average), for large
// originals that would not fit in memory as float canvases.
Picture shrink_picture(const Picture& picture, int factor);
// Makes a folder and any missing parents. False on failure.
bool make_folders(const std::string& path);

}  // namespace kit
