// Shared helpers of the resource tests: loading jigsaw folders through the
// game's jigsaw reader, piece coverage on the board, test pictures.
#include "tests/resources/jigsaw_files.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "library/library.h"
#include "media/system/system.h"
#include "play/play.h"
#include "shell/shell.h"

bool load_jigsaw_folder(const std::string& folder, LoadedJigsaw* j) {
    // The lines of pieces.txt, counted with the game's line reader.
    TStream* f = read_file(folder + "/pieces.txt");
    if (!f) return false;
    for (; !eof(f); j->lines++) read_line(f);
    close_file(f);

    std::filesystem::path path(folder);
    std::string own_before = own_jigsaws_dir;
    int custom_before = pref_custom_colour;
    own_jigsaws_dir = path.parent_path().string();
    pref_custom_colour = 1;            // the board colour changes only by colour lines
    bg_red = bg_green = bg_blue = -1;  // which the reader clamps to 0..255
    bool read = read_jigsaw(path.filename().string(), &j->problem);
    own_jigsaws_dir = own_before;
    pref_custom_colour = custom_before;
    if (read) {
        j->rows = rows;
        j->columns = columns;
        for (int i = 1; i <= piece_count && i <= MAX_PIECES; i++) {
            j->x0.push_back(pieces[i].x0);
            j->y0.push_back(pieces[i].y0);
            j->pieces.push_back(copy_pixmap(lock_image(pieces[i].img, 0, true, false)));
        }
        if (bg_red >= 0) j->colour = {bg_red, bg_green, bg_blue};
    }
    for (int i = 1; i <= MAX_PIECES; i++) {
        if (pieces[i].img) free_image(pieces[i].img);
        pieces[i].img = nullptr;
    }
    if (picture) free_image(picture);
    picture = nullptr;
    rows = columns = piece_count = 0;
    return read;
}

void free_jigsaw(LoadedJigsaw* j) {
    for (TPixmap* p : j->pieces) free_pixmap(p);
    j->pieces.clear();
}

std::vector<int> alpha_sums(const LoadedJigsaw& j) {
    std::vector<int> sums(800 * 600, 0);
    for (size_t i = 0; i < j.pieces.size(); i++) {
        const TPixmap* p = j.pieces[i];
        if (!p) continue;
        int left = j.x0[i] - p->width / 2, top = j.y0[i] - p->height / 2;
        for (int y = 0; y < p->height; y++)
            for (int x = 0; x < p->width; x++) {
                int bx = left + x, by = top + y;
                int a = static_cast<int>(read_pixel(p, x, y) >> 24);
                if (a == 0) continue;
                if (bx < 0 || by < 0 || bx >= 800 || by >= 600) {
                    sums[0] += 100000;  // ink off the board poisons the result
                    continue;
                }
                sums[by * 800 + bx] += a;
            }
    }
    return sums;
}

void covered_bounds(const std::vector<int>& sums, int* left, int* top, int* right, int* bottom) {
    *left = 800;
    *top = 600;
    *right = 0;
    *bottom = 0;
    for (int y = 0; y < 600; y++)
        for (int x = 0; x < 800; x++)
            if (sums[y * 800 + x] > 0) {
                *left = std::min(*left, x);
                *top = std::min(*top, y);
                *right = std::max(*right, x + 1);
                *bottom = std::max(*bottom, y + 1);
            }
}

int shared_pixels(const LoadedJigsaw& j, int a, int b) {
    const TPixmap* pa = j.pieces[a - 1];
    const TPixmap* pb = j.pieces[b - 1];
    if (!pa || !pb) return 0;
    int la = j.x0[a - 1] - pa->width / 2, ta = j.y0[a - 1] - pa->height / 2;
    int lb = j.x0[b - 1] - pb->width / 2, tb = j.y0[b - 1] - pb->height / 2;
    int count = 0;
    for (int y = 0; y < pa->height; y++)
        for (int x = 0; x < pa->width; x++) {
            if ((read_pixel(pa, x, y) >> 24) == 0) continue;
            int bx = la + x - lb, by = ta + y - tb;
            if (bx < 0 || by < 0 || bx >= pb->width || by >= pb->height) continue;
            if ((read_pixel(pb, bx, by) >> 24) != 0) count++;
        }
    return count;
}

bool write_test_picture(const std::string& path, int width, int height) {
    TPixmap* p = create_pixmap(width, height, PF_RGB888);
    if (!p) return false;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            double u = static_cast<double>(x) / width, v = static_cast<double>(y) / height;
            int r = static_cast<int>(255 * u), g = static_cast<int>(255 * v);
            int b = static_cast<int>(127 + 120 * std::sin(u * 20) * std::cos(v * 15));
            write_pixel(p, x, y, 0xFF000000u | (r << 16) | (g << 8) | b);
        }
    bool ok = save_pixmap_png(p, path, 5);
    free_pixmap(p);
    return ok;
}
