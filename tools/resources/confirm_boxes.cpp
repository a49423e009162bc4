// The four question boxes drawn centred over the screen: leave the game,
// restart, quick pick and do-new. The yes buttons cover exactly the
// rectangles the game tests (EXIT_BOX_YES, QUESTION_BOX_YES), the no
// buttons stand beside them.
#include <cmath>

#include "tools/resources/resources.h"

namespace res {

static const kit::Color YES_GREEN = kit::rgb(64, 170, 72);
static const kit::Color NO_RED = kit::rgb(196, 62, 54);
static const kit::Color ICON_GOLD = kit::rgb(255, 206, 84);

// Icons of the left-hand corner, each in a box of side s at (x, y).

static void icon_piece(kit::Canvas& c, double x, double y, double s) {
    kit::Path p = piece_icon_path(x, y, s);
    kit::fill(c, kit::blur(kit::rasterize_bounds(p, 1), 2), kit::Color{0, 0, 0, 0.45f});
    kit::fill_vertical(c, kit::rasterize_bounds(p, 1), kit::rgb(255, 228, 130), y, kit::rgb(226, 150, 40), y + s);
}

static void icon_restart(kit::Canvas& c, double x, double y, double s) {
    const double pi = 3.14159265358979323846;
    double cx = x + s / 2, cy = y + s / 2, r1 = s * 0.42, r0 = s * 0.25;
    // An open ring running clockwise from a0 to a1, the gap at the top right.
    double a0 = -0.30 * pi, a1 = 1.30 * pi;
    kit::Path ring;
    ring.contours.push_back({});
    const int n = 64;
    for (int i = 0; i <= n; i++) {
        double a = a0 + (a1 - a0) * i / n;
        kit::line_to(ring, cx + r1 * std::cos(a), cy + r1 * std::sin(a));
    }
    for (int i = n; i >= 0; i--) {
        double a = a0 + (a1 - a0) * i / n;
        kit::line_to(ring, cx + r0 * std::cos(a), cy + r0 * std::sin(a));
    }
    // The arrow head at the ring's end, pointing on clockwise.
    double rm = (r0 + r1) / 2, hw = (r1 - r0) * 1.05;
    double ex = cx + rm * std::cos(a1), ey = cy + rm * std::sin(a1);
    double tx = -std::sin(a1), ty = std::cos(a1);  // clockwise tangent
    double nx = std::cos(a1), ny = std::sin(a1);   // outwards
    kit::Path head;
    kit::move_to(head, ex + nx * hw, ey + ny * hw);
    kit::line_to(head, ex + tx * hw * 1.3, ey + ty * hw * 1.3);
    kit::line_to(head, ex - nx * hw, ey - ny * hw);
    for (kit::Path* part : {&ring, &head})
        kit::fill(c, kit::blur(kit::rasterize_bounds(*part, 1), 2), kit::Color{0, 0, 0, 0.4f});
    for (kit::Path* part : {&ring, &head})
        kit::fill_vertical(c, kit::rasterize_bounds(*part, 1), kit::rgb(150, 235, 255), y, kit::rgb(50, 140, 230),
                           y + s);
}

static void icon_die(kit::Canvas& c, double x, double y, double s) {
    kit::Path body;
    kit::add_rounded_rect(body, x + s * 0.08, y + s * 0.08, s * 0.84, s * 0.84, s * 0.18);
    kit::fill(c, kit::blur(kit::rasterize_bounds(body, 1), 2), kit::Color{0, 0, 0, 0.45f});
    kit::fill_vertical(c, kit::rasterize_bounds(body, 1), kit::rgb(255, 255, 250), y, kit::rgb(210, 214, 230), y + s);
    kit::Path pips;
    double q = s * 0.27, r = s * 0.075;
    double px[5] = {x + s / 2 - q, x + s / 2 + q, x + s / 2, x + s / 2 - q, x + s / 2 + q};
    double py[5] = {y + s / 2 - q, y + s / 2 - q, y + s / 2, y + s / 2 + q, y + s / 2 + q};
    for (int i = 0; i < 5; i++) kit::add_circle(pips, px[i], py[i], r);
    kit::fill(c, kit::rasterize_bounds(pips, 1), kit::rgb(200, 40, 60));
}

static void star_path(kit::Path& p, double cx, double cy, double r_out, double r_in, int points) {
    const double pi = 3.14159265358979323846;
    p.contours.push_back({});
    for (int i = 0; i < points * 2; i++) {
        double a = -pi / 2 + i * pi / points;
        double r = (i % 2) ? r_in : r_out;
        kit::line_to(p, cx + r * std::cos(a), cy + r * std::sin(a));
    }
}

static void icon_new(kit::Canvas& c, double x, double y, double s) {
    icon_piece(c, x, y + s * 0.08, s * 0.86);
    kit::Path star;
    star_path(star, x + s * 0.84, y + s * 0.16, s * 0.2, s * 0.07, 4);
    kit::fill(c, kit::blur(kit::rasterize_bounds(star, 1), 2), kit::Color{1, 1, 0.8f, 0.6f});
    kit::fill(c, kit::rasterize_bounds(star, 1), kit::rgb(255, 255, 230));
}

struct Question {
    const char* file;
    const char* question;
    const char* detail;
    void (*icon)(kit::Canvas&, double, double, double);
};

bool make_confirm_boxes(Fonts& fonts, const std::string& out) {
    bool ok = true;
    {
        // Leave the game. The title runs centred across the top, the piece
        // stands left of the buttons, and the hint has a line of its own
        // below them.
        const int w = 340, h = 116;
        const ui_rect& yes = EXIT_BOX_YES;
        const int bw = ui_rect_width(yes), bh = ui_rect_height(yes);
        kit::Canvas c = kit::make_canvas(w, h, kit::Color{0, 0, 0, 0});
        draw_panel(c, PANEL_TOP, PANEL_BOTTOM, PANEL_RIM, 12);
        draw_text_centred(c, fonts.bold, 17, w / 2.0, 22, PANEL_TEXT, "Leave Tessellon?", true);
        icon_piece(c, 60, 29, 52);
        draw_button(c, fonts, yes.x1, yes.y1, bw, bh, YES_GREEN, "Yes", 18, kit::rgb(255, 255, 255));
        draw_button(c, fonts, yes.x1 + 94, yes.y1, bw, bh, NO_RED, "No", 18, kit::rgb(255, 255, 255));
        draw_text_centred(c, fonts.regular, 12, w / 2.0, 102, PANEL_SUBTEXT, "or press Esc again", false);
        ok &= save_image(c, out, "images/exit.png");
    }
    const Question questions[] = {
        {"images/reload.png", "Restart this jigsaw?", "All its pieces are dealt out again.", icon_restart},
        {"images/quick_pick.png", "Quick pick a jigsaw?", "Tessellon picks one from the library for you.", icon_die},
        {"images/do_new.png", "Start the next new jigsaw?", "The first one in the library you have not saved.",
         icon_new},
    };
    for (const Question& q : questions) {
        const ui_rect& yes = QUESTION_BOX_YES;
        const int bw = ui_rect_width(yes), bh = ui_rect_height(yes);
        kit::Canvas c = kit::make_canvas(356, 112, kit::Color{0, 0, 0, 0});
        draw_panel(c, PANEL_TOP, PANEL_BOTTOM, PANEL_RIM, 12);
        draw_text_centred(c, fonts.bold, 19, 178, 30, PANEL_TEXT, q.question, true);
        draw_text_centred(c, fonts.regular, 13, 178, 52, PANEL_SUBTEXT, q.detail, false);
        q.icon(c, 22, 63, 40);
        kit::draw_text(c, fonts.regular, 12, 72, 80, PANEL_SUBTEXT, "key Y: yes");
        kit::draw_text(c, fonts.regular, 12, 72, 96, PANEL_SUBTEXT, "key N: no");
        draw_button(c, fonts, yes.x1, yes.y1, bw, bh, YES_GREEN, "Yes", 18, kit::rgb(255, 255, 255));
        draw_button(c, fonts, yes.x1 + 102, yes.y1, bw, bh, NO_RED, "No", 18, kit::rgb(255, 255, 255));
        ok &= save_image(c, out, q.file);
    }
    return ok;
}

}  // namespace res
