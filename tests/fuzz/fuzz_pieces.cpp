// The pieces-file reader: the bytes become jigsaws/fuzz/pieces.txt beside
// 300 one-pixel piece images, and read_jigsaw loads it. A jigsaw it takes
// has 1..300 pieces in its grid, every piece an image, homes on the board
// and a colour of bytes.
#include "library/library.h"
#include "play/play.h"
#include "shell/shell.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = false;
    if (!ready) {
        fuzz_storage_world();
        fuzz_make_jigsaw("fuzz", 1, 1);
        ready = true;
    }
    fuzz_write("jigsaws/fuzz/pieces.txt", data, size);
    std::string problem;
    if (read_jigsaw("fuzz", &problem)) {
        if (piece_count < 1 || piece_count > MAX_PIECES || rows * columns != piece_count)
            fuzz_fail("a grid outside 1..300 pieces");
        for (int i = 1; i <= piece_count; i++) {
            const piece_type& p = pieces[i];
            if (!p.img || p.x0 < 0 || p.x0 > 800 || p.y0 < 0 || p.y0 > 600) fuzz_fail("a piece off the board");
            if (p.n < 0 || p.n > piece_count || p.s < 0 || p.s > piece_count || p.e < 0 || p.e > piece_count ||
                p.w < 0 || p.w > piece_count)
                fuzz_fail("a neighbour outside the grid");
        }
        if (bg_red < 0 || bg_red > 255 || bg_green < 0 || bg_green > 255 || bg_blue < 0 || bg_blue > 255)
            fuzz_fail("a colour outside 0..255");
    } else if (problem.empty()) {
        fuzz_fail("a refusal without a word to the player");
    }
    return 0;
}
