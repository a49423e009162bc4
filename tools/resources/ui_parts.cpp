// The look shared by the question boxes, the help pages and the
// preferences page: rounded panels, glossy buttons, key caps, centred text.
#include <algorithm>
#include <cstdio>

#include "tools/resources/resources.h"

namespace res {

const kit::Color PANEL_TOP = kit::rgb(52, 66, 138);
const kit::Color PANEL_BOTTOM = kit::rgb(24, 30, 78);
const kit::Color PANEL_RIM = kit::rgb(170, 190, 255);
const kit::Color PANEL_TEXT = kit::rgb(255, 248, 225);
const kit::Color PANEL_SUBTEXT = kit::rgb(190, 200, 235);

void draw_panel(kit::Canvas& canvas, kit::Color top, kit::Color bottom, kit::Color rim, double radius) {
    const double w = canvas.width, h = canvas.height;
    kit::Path outer;
    kit::add_rounded_rect(outer, 0, 0, w, h, radius);
    kit::fill(canvas, kit::rasterize(outer, 0, 0, canvas.width, canvas.height), rim);
    kit::Path body;
    kit::add_rounded_rect(body, 2, 2, w - 4, h - 4, radius - 2);
    kit::Coverage body_cov = kit::rasterize(body, 0, 0, canvas.width, canvas.height);
    kit::fill_vertical(canvas, body_cov, top, 0, bottom, h);
    // A soft sheen over the upper part.
    kit::Path sheen;
    kit::add_rounded_rect(sheen, 4, 4, w - 8, std::min(28.0, h * 0.3), radius - 4);
    kit::fill_vertical(canvas, kit::rasterize(sheen, 0, 0, canvas.width, canvas.height), kit::Color{1, 1, 1, 0.16f}, 4,
                       kit::Color{1, 1, 1, 0.0f}, 4 + std::min(28.0, h * 0.3));
}

void draw_text_centred(kit::Canvas& canvas, kit::Font& font, int size, double x, double baseline, kit::Color c,
                       const std::string& text, bool shadow) {
    double left = x - kit::text_width(font, size, text) / 2.0;
    if (shadow) kit::draw_text(canvas, font, size, left + 1, baseline + 1, kit::Color{0, 0, 0, 0.55f}, text);
    kit::draw_text(canvas, font, size, left, baseline, c, text);
}

void draw_button(kit::Canvas& canvas, Fonts& fonts, int x, int y, int w, int h, kit::Color base,
                 const std::string& label, int size, kit::Color text) {
    kit::Path edge;
    kit::add_rounded_rect(edge, x, y, w, h, 7);
    kit::fill(canvas, kit::rasterize_bounds(edge, 1), kit::scale(base, 0.55f));
    kit::Path body;
    kit::add_rounded_rect(body, x + 1.5, y + 1.5, w - 3, h - 3, 5.5);
    kit::fill_vertical(canvas, kit::rasterize_bounds(body, 1), kit::mix(base, kit::Color{1, 1, 1, 1}, 0.35f), y,
                       kit::scale(base, 0.78f), y + h);
    kit::Path gloss;
    kit::add_rounded_rect(gloss, x + 3, y + 2.5, w - 6, h * 0.42, 4);
    kit::fill_vertical(canvas, kit::rasterize_bounds(gloss, 1), kit::Color{1, 1, 1, 0.35f}, y + 2,
                       kit::Color{1, 1, 1, 0.05f}, y + 2 + h * 0.42);
    int cap = kit::cap_height(fonts.bold, size);
    draw_text_centred(canvas, fonts.bold, size, x + w / 2.0, y + (h + cap) / 2.0, text, label, true);
}

int key_cap_width(Fonts& fonts, const std::string& label) {
    return std::max(24, kit::text_width(fonts.bold, 13, label) + 12);
}

int draw_key_cap(kit::Canvas& canvas, Fonts& fonts, int x, int y, int h, const std::string& label) {
    int w = key_cap_width(fonts, label);
    kit::Path edge;
    kit::add_rounded_rect(edge, x, y, w, h, 4);
    kit::fill(canvas, kit::rasterize_bounds(edge, 1), kit::rgb(78, 70, 62));
    kit::Path face;
    kit::add_rounded_rect(face, x + 1, y + 1, w - 2, h - 3, 3);
    kit::fill_vertical(canvas, kit::rasterize_bounds(face, 1), kit::rgb(255, 253, 246), y, kit::rgb(222, 214, 198),
                       y + h);
    int cap = kit::cap_height(fonts.bold, 13);
    draw_text_centred(canvas, fonts.bold, 13, x + w / 2.0, y + (h - 2 + cap) / 2.0, kit::rgb(50, 40, 34), label, false);
    return w;
}

kit::Path piece_icon_path(double x, double y, double s) {
    // A square body with a knob on the top and the right and blanks on the
    // other two sides, traced clockwise.
    kit::Path p;
    double b = s * 0.72, o = s * 0.14;  // body side, knob reach
    double x0 = x, y0 = y + o, x1 = x0 + b, y1 = y0 + b;
    double k = b * 0.17;  // knob radius
    kit::move_to(p, x0, y0);
    kit::line_to(p, x0 + b * 0.5 - k * 0.7, y0);
    kit::cubic_to(p, x0 + b * 0.5 - k * 1.6, y0 - o * 1.3, x0 + b * 0.5 + k * 1.6, y0 - o * 1.3, x0 + b * 0.5 + k * 0.7,
                  y0);
    kit::line_to(p, x1, y0);
    kit::line_to(p, x1, y0 + b * 0.5 - k * 0.7);
    kit::cubic_to(p, x1 + o * 1.3, y0 + b * 0.5 - k * 1.6, x1 + o * 1.3, y0 + b * 0.5 + k * 1.6, x1,
                  y0 + b * 0.5 + k * 0.7);
    kit::line_to(p, x1, y1);
    kit::line_to(p, x0 + b * 0.5 + k * 0.7, y1);
    kit::cubic_to(p, x0 + b * 0.5 + k * 1.6, y1 - o * 1.3, x0 + b * 0.5 - k * 1.6, y1 - o * 1.3, x0 + b * 0.5 - k * 0.7,
                  y1);
    kit::line_to(p, x0, y1);
    kit::line_to(p, x0, y0 + b * 0.5 + k * 0.7);
    kit::cubic_to(p, x0 + o * 1.3, y0 + b * 0.5 + k * 1.6, x0 + o * 1.3, y0 + b * 0.5 - k * 1.6, x0,
                  y0 + b * 0.5 - k * 0.7);
    return p;
}

bool save_image(const kit::Canvas& canvas, const std::string& out, const std::string& name) {
    std::string path = out + "/" + name;
    bool ok = name.size() > 4 && name.compare(name.size() - 4, 4, ".bmp") == 0 ? kit::save_bmp(canvas, path)
                                                                               : kit::save_png(canvas, path, true);
    if (!ok) std::fprintf(stderr, "tessellon-resources: cannot write %s\n", path.c_str());
    return ok;
}

}  // namespace res
