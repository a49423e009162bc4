// The harnesses' scratch folder and storage world (see fuzz_support.h).
#include "tests/fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>
#include <vector>

#include "library/library.h"
#include "play/play.h"
#include "shell/shell.h"

static std::string scratch;  // absolute path, "" until made

static void remove_scratch() {
    std::error_code ec;
    if (!scratch.empty()) std::filesystem::remove_all(scratch, ec);
}

void fuzz_fail(const char* what) {
    std::fprintf(stderr, "broken promise: %s\n", what);
    std::abort();
}

const std::string& fuzz_scratch() {
    if (!scratch.empty()) return scratch;
    std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : std::filesystem::temp_directory_path().string();
    std::string pattern = base + "/tessellon-fuzz-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back(0);
    if (!mkdtemp(buf.data())) fuzz_fail("no scratch folder");
    scratch = buf.data();
    std::atexit(remove_scratch);
    return scratch;
}

void fuzz_write(const std::string& path, const uint8_t* data, size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) fuzz_fail("cannot write the input file");
    if (size && std::fwrite(data, 1, size, f) != size) fuzz_fail("cannot write the input file");
    std::fclose(f);
}

// A 1x1 24-bit BMP of one blue pixel.
static const uint8_t ONE_PIXEL_BMP[] = {
    'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,                                 // file header
    40,  0,   0,  0, 1, 0, 0, 0, 1, 0, 0,  0, 1, 0, 24, 0,                          // size, 1 x 1, 1 plane, 24 bits
    0,   0,   0,  0, 4, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0, 0, 0, 0, 0, 0,  // no compression, 4 bytes
    200, 80,  40, 0};                                                               // the pixel and its row padding

void fuzz_make_jigsaw(const std::string& name, int rows, int columns) {
    std::string dir = "jigsaws/" + name;
    std::filesystem::create_directories(dir);
    std::string text = std::to_string(rows) + "\r\n" + std::to_string(columns) + "\r\n0\r\n0\r\n";
    for (int i = 0; i < rows * columns; i++) text += std::to_string(100 + i * 10) + "\r\n200\r\n";
    fuzz_write(dir + "/pieces.txt", reinterpret_cast<const uint8_t*>(text.data()), text.size());
    for (int i = 1; i <= MAX_PIECES; i++)
        fuzz_write(dir + "/" + std::to_string(i) + ".png", ONE_PIXEL_BMP, sizeof ONE_PIXEL_BMP);
    fuzz_write(dir + "/tn.png", ONE_PIXEL_BMP, sizeof ONE_PIXEL_BMP);
}

void fuzz_storage_world() {
    static bool made = false;
    if (made) return;
    made = true;
    if (chdir(fuzz_scratch().c_str()) != 0) fuzz_fail("cannot enter the scratch folder");
    std::filesystem::create_directories("players/default");
    std::filesystem::create_directories("jigsaws");
    player_dir = "players/default/";
    if (!open_screen(800, 600, 0, 60, 0)) fuzz_fail("no null display");
    large_display = 0;
    windowed = 1;
    pref_sound = 0;
    create_puzzle_tables();
}
