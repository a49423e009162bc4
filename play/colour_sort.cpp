// Sorting pieces by colour: the average colour of a piece's opaque pixels,
// and the sharing out of a set of colours among the five boxes. Colours
// are grouped by k-means in CIE Lab, where distances follow what the eye
// sees, and the groups are numbered by hue, so that one jigsaw always
// sorts the same way. Pure arithmetic on the values it is given: no
// tables, no display, no game random numbers.
#include <cmath>

#include "play/play.h"

// ===========================================================================
// The average colour of a piece
// ===========================================================================

// Pixels with at least this alpha belong to the piece: the same line the
// drawing's alpha test and the picking masks draw.
enum { OPAQUE_ALPHA = 128 };

bool average_opaque_colour(const TPixmap* pixmap, rgb_colour* out) {
    *out = rgb_colour();
    if (!pixmap || pixmap->width < 1 || pixmap->height < 1) return false;
    int64_t sum_r = 0, sum_g = 0, sum_b = 0, count = 0;
    const size_t needed = static_cast<size_t>(pixmap->pitch) * static_cast<size_t>(pixmap->height);
    if (pixmap->format == PF_RGBA8888 && pixmap->pitch >= pixmap->width * 4 && pixmap->pixels.size() >= needed) {
        // The format every masked piece image has: read the bytes directly.
        for (int y = 0; y < pixmap->height; y++) {
            const uint8_t* p = pixmap->pixels.data() + static_cast<size_t>(y) * pixmap->pitch;
            for (int x = 0; x < pixmap->width; x++, p += 4) {
                if (p[3] < OPAQUE_ALPHA) continue;
                sum_r += p[0];
                sum_g += p[1];
                sum_b += p[2];
                count++;
            }
        }
    } else {
        for (int y = 0; y < pixmap->height; y++) {
            for (int x = 0; x < pixmap->width; x++) {
                uint32_t c = read_pixel(pixmap, x, y);
                if ((c >> 24) < OPAQUE_ALPHA) continue;
                sum_r += (c >> 16) & 0xFF;
                sum_g += (c >> 8) & 0xFF;
                sum_b += c & 0xFF;
                count++;
            }
        }
    }
    if (count == 0) return false;
    out->r = static_cast<int>((sum_r + count / 2) / count);
    out->g = static_cast<int>((sum_g + count / 2) / count);
    out->b = static_cast<int>((sum_b + count / 2) / count);
    return true;
}

// ===========================================================================
// CIE Lab
// ===========================================================================

struct lab_colour {
    double l = 0, a = 0, b = 0;
};

static double linear_channel(int v) {
    double c = (v < 0 ? 0 : (v > 255 ? 255 : v)) / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

static double lab_f(double t) {
    const double e = 216.0 / 24389.0, k = 24389.0 / 27.0;
    return t > e ? std::cbrt(t) : (k * t + 16.0) / 116.0;
}

// sRGB to CIE Lab under the D65 white.
static lab_colour to_lab(const rgb_colour& c) {
    double r = linear_channel(c.r), g = linear_channel(c.g), b = linear_channel(c.b);
    double x = (0.4124564 * r + 0.3575761 * g + 0.1804375 * b) / 0.95047;
    double y = 0.2126729 * r + 0.7151522 * g + 0.0721750 * b;
    double z = (0.0193339 * r + 0.1191920 * g + 0.9503041 * b) / 1.08883;
    double fx = lab_f(x), fy = lab_f(y), fz = lab_f(z);
    return {116.0 * fy - 16.0, 500.0 * (fx - fy), 200.0 * (fy - fz)};
}

static double distance2(const lab_colour& p, const lab_colour& q) {
    double dl = p.l - q.l, da = p.a - q.a, db = p.b - q.b;
    return dl * dl + da * da + db * db;
}

// ===========================================================================
// k-means
// ===========================================================================

// Restarts from different seeds; the grouping with the smallest spread
// wins. Each runs Lloyd's steps until nothing moves, at most this often.
enum { KMEANS_RESTARTS = 8, KMEANS_STEPS = 40 };

// A colour of this Lab chroma or less reads as grey: its hue is noise.
static const double GREY_CHROMA = 8.0;
// Beside boxes that already hold pieces, a new group is started only from
// a colour at least this far (in Lab) from every group so far: a piece
// that looks like a box's pieces joins that box.
static const double NEW_GROUP_DISTANCE = 20.0;

// A small generator of our own, seeded the same every time, so a sort
// neither depends on nor disturbs the game's random numbers.
static uint32_t next_random(uint32_t* state) {
    *state = *state * 1664525u + 1013904223u;
    return *state >> 8;
}

static int nearest_centre(const lab_colour& p, const lab_colour* centres, int k) {
    int best = 0;
    double best_d = distance2(p, centres[0]);
    for (int c = 1; c < k; c++) {
        double d = distance2(p, centres[c]);
        if (d < best_d) best_d = d, best = c;
    }
    return best;
}

// k-means++ seeding after the `fixed` centres already in place: each next
// centre is a point drawn with a chance in proportion to its squared
// distance from the centres so far; beside fixed centres only points
// farther than NEW_GROUP_DISTANCE take part. Returns how many centres
// there are then: fewer than k when no point is left to start one.
static int seed_centres(const std::vector<lab_colour>& points, int fixed, int k, uint32_t* random,
                        lab_colour* centres) {
    const int n = static_cast<int>(points.size());
    int found = fixed;
    if (found == 0) centres[found++] = points[static_cast<size_t>(next_random(random) % static_cast<uint32_t>(n))];
    const double least = fixed > 0 ? NEW_GROUP_DISTANCE * NEW_GROUP_DISTANCE : 0.0;
    std::vector<double> d(points.size());
    while (found < k) {
        double total = 0;
        for (size_t i = 0; i < points.size(); i++) {
            double near = distance2(points[i], centres[nearest_centre(points[i], centres, found)]);
            d[i] = near > least ? near : 0.0;
            total += d[i];
        }
        if (total <= 0) break;
        double pick = total * (next_random(random) % 1000000u) / 1000000.0;
        size_t chosen = 0;
        // Rounding may run past the end: the farthest point is taken then.
        for (size_t i = 0; i < d.size(); i++)
            if (d[i] > d[chosen]) chosen = i;
        for (size_t i = 0; i < d.size(); i++) {
            pick -= d[i];
            if (pick < 0 && d[i] > 0) {
                chosen = i;
                break;
            }
        }
        centres[found++] = points[chosen];
    }
    return found;
}

// Lloyd's steps from the given centres, of which the first `fixed` stay
// where they are; labels[i] is point i's group. Returns the sum of
// squared distances of the points to their centres.
static double run_kmeans(const std::vector<lab_colour>& points, int fixed, int k, lab_colour* centres,
                         std::vector<int>* labels) {
    const size_t n = points.size();
    labels->assign(n, -1);
    for (int step = 0; step < KMEANS_STEPS; step++) {
        bool moved = false;
        for (size_t i = 0; i < n; i++) {
            int c = nearest_centre(points[i], centres, k);
            if ((*labels)[i] != c) (*labels)[i] = c, moved = true;
        }
        if (!moved) break;
        // A group left empty keeps its centre.
        for (int c = fixed; c < k; c++) {
            lab_colour sum;
            int count = 0;
            for (size_t i = 0; i < n; i++) {
                if ((*labels)[i] != c) continue;
                sum.l += points[i].l;
                sum.a += points[i].a;
                sum.b += points[i].b;
                count++;
            }
            if (count > 0) centres[c] = {sum.l / count, sum.a / count, sum.b / count};
        }
    }
    double spread = 0;
    for (size_t i = 0; i < n; i++) spread += distance2(points[i], centres[(*labels)[i]]);
    return spread;
}

// The best of the restarts: the `fixed` centres given in centres[], up to
// k in all. Returns the number of centres; labels index them.
static int group_points(const std::vector<lab_colour>& points, int fixed, int k, lab_colour* centres,
                        std::vector<int>* labels) {
    uint32_t random = 0x7e55e11u;
    lab_colour best_centres[BOX_COUNT];
    std::vector<int> run_labels;
    int best_k = 0;
    double best_spread = 0;
    for (int restart = 0; restart < KMEANS_RESTARTS; restart++) {
        lab_colour trial[BOX_COUNT];
        for (int c = 0; c < fixed; c++) trial[c] = centres[c];
        int found = seed_centres(points, fixed, k, &random, trial);
        double spread = run_kmeans(points, fixed, found, trial, &run_labels);
        // Strictly smaller only: the earliest of equal groupings stays.
        if (best_k == 0 || spread < best_spread - 1e-9) {
            best_spread = spread;
            best_k = found;
            *labels = run_labels;
            for (int c = 0; c < found; c++) best_centres[c] = trial[c];
        }
    }
    for (int c = 0; c < best_k; c++) centres[c] = best_centres[c];
    return best_k;
}

// Where a group's centre stands in the box order: coloured groups by hue
// angle from red round through yellow, green and blue; then greys, dark
// to light.
static double hue_rank(const lab_colour& c) {
    double chroma = std::sqrt(c.a * c.a + c.b * c.b);
    if (chroma <= GREY_CHROMA) return 1000.0 + c.l;
    double h = std::atan2(c.b, c.a) * 180.0 / 3.14159265358979323846;
    return h < 0 ? h + 360.0 : h;
}

// number[c] for the groups first..k-1 that some label names: 0 up, in hue
// order. Returns how many were numbered; unused groups get -1.
static int number_by_hue(const lab_colour* centres, int first, int k, const std::vector<int>& labels,
                         int number[BOX_COUNT]) {
    int used[BOX_COUNT] = {}, order[BOX_COUNT], groups = 0;
    for (int label : labels)
        if (label >= first && label < k) used[label] = 1;
    for (int c = first; c < k; c++)
        if (used[c]) order[groups++] = c;
    for (int i = 1; i < groups; i++)
        for (int j = i; j > 0 && hue_rank(centres[order[j]]) < hue_rank(centres[order[j - 1]]); j--) {
            int t = order[j];
            order[j] = order[j - 1];
            order[j - 1] = t;
        }
    for (int c = 0; c < BOX_COUNT; c++) number[c] = -1;
    for (int g = 0; g < groups; g++) number[order[g]] = g;
    return groups;
}

static std::vector<lab_colour> to_lab_all(const std::vector<rgb_colour>& colours) {
    std::vector<lab_colour> points(colours.size());
    for (size_t i = 0; i < colours.size(); i++) points[i] = to_lab(colours[i]);
    return points;
}

int cluster_colours(const std::vector<rgb_colour>& colours, int k, std::vector<int>* labels) {
    labels->assign(colours.size(), 0);
    if (k > BOX_COUNT) k = BOX_COUNT;
    if (k > static_cast<int>(colours.size())) k = static_cast<int>(colours.size());
    if (k < 1) return 0;
    std::vector<lab_colour> points = to_lab_all(colours);
    lab_colour centres[BOX_COUNT];
    std::vector<int> found_labels;
    int found = group_points(points, 0, k, centres, &found_labels);
    int number[BOX_COUNT];
    int groups = number_by_hue(centres, 0, found, found_labels, number);
    for (size_t i = 0; i < colours.size(); i++) {
        int label = found_labels[i];
        (*labels)[i] = label >= 0 && label < found && number[label] >= 0 ? number[label] : 0;
    }
    return groups;
}

void share_out_by_colour(const std::vector<rgb_colour>& colours, const box_sort_type boxes[BOX_TABLE_SIZE],
                         std::vector<int>* out) {
    out->assign(colours.size(), 0);
    if (colours.empty()) return;
    // Boxes that hold pieces keep a group of their own colour in place;
    // the empty ones take new groups, in hue order, in box number order.
    lab_colour centres[BOX_COUNT];
    int box_of_group[BOX_COUNT] = {}, empty_boxes[BOX_COUNT] = {};
    int fixed = 0, empty = 0;
    for (int b = 1; b <= BOX_COUNT; b++) {
        if (boxes[b].holds > 0) {
            centres[fixed] = to_lab(boxes[b].mean);
            box_of_group[fixed++] = b;
        } else {
            empty_boxes[empty++] = b;
        }
    }
    int fresh = empty < static_cast<int>(colours.size()) ? empty : static_cast<int>(colours.size());
    std::vector<lab_colour> points = to_lab_all(colours);
    std::vector<int> labels;
    int found = group_points(points, fixed, fixed + fresh, centres, &labels);
    int number[BOX_COUNT];
    number_by_hue(centres, fixed, found, labels, number);
    for (int c = fixed; c < found; c++)
        if (number[c] >= 0 && number[c] < empty) box_of_group[c] = empty_boxes[number[c]];

    int left[BOX_TABLE_SIZE] = {};
    for (int b = 1; b <= BOX_COUNT; b++) left[b] = boxes[b].room > 0 ? boxes[b].room : 0;
    for (size_t i = 0; i < colours.size(); i++) {
        int label = labels[i];
        int b = label >= 0 && label < found ? box_of_group[label] : 0;
        if (b < 1 || b > BOX_COUNT || left[b] == 0) continue;  // a full box: the piece stays out
        left[b]--;
        (*out)[i] = b;
    }
}
