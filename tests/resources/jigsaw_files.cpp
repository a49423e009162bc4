// Shared helpers of the resource tests: loading jigsaw folders through the
// game's loaders, piece coverage on the board, running the tools.
#include "tests/resources/jigsaw_files.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

#include "media/system/system.h"

bool load_jigsaw_folder(const std::string& folder, LoadedJigsaw* j) {
    TStream* f = read_file(folder + "/pieces.txt");
    if (!f) return false;
    std::vector<int> values;
    while (!eof(f)) values.push_back(text_to_int(read_line(f)));
    close_file(f);
    j->lines = static_cast<int>(values.size());
    if (values.size() < 4) return true;
    j->rows = values[0];
    j->columns = values[1];
    int n = j->rows * j->columns;
    if (n < 0 || n > 300 || static_cast<int>(values.size()) < 4 + 2 * n) return true;
    for (int i = 0; i < n; i++) {
        j->x0.push_back(values[4 + 2 * i]);
        j->y0.push_back(values[5 + 2 * i]);
        j->pieces.push_back(load_pixmap(folder + "/" + std::to_string(i + 1) + ".png"));
    }
    for (size_t k = 4 + 2 * n; k < values.size(); k++) j->colour.push_back(values[k]);
    return true;
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

int run_command(const std::string& command, std::string* output) {
    std::string full = command + " 2>&1";
    FILE* pipe = popen(full.c_str(), "r");
    if (!pipe) return -1;
    char buffer[4096];
    size_t got;
    output->clear();
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) output->append(buffer, got);
    int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string make_temp_folder() {
    std::string name = (std::filesystem::temp_directory_path() / "tessellon-res-XXXXXX").string();
    std::vector<char> buffer(name.begin(), name.end());
    buffer.push_back('\0');
    char* made = mkdtemp(buffer.data());
    return made ? std::string(made) : std::string();
}

void remove_folder(const std::string& path) {
    if (!path.empty()) delete_dir(path, true);
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
