// The saved-game reader: the bytes become players/default/fuzz.txt over a
// loaded 3 x 4 jigsaw, and read_saved_game lays it over the tables. After
// any file the tables must stay usable: turns 0..3, boxes 0..5, groups not
// negative, the drawing order a permutation, a colour of bytes.
#include "library/library.h"
#include "play/play.h"
#include "shell/shell.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = false;
    if (!ready) {
        fuzz_storage_world();
        fuzz_make_jigsaw("fuzz", 3, 4);
        std::string problem;
        if (!read_jigsaw("fuzz", &problem)) fuzz_fail("the harness's jigsaw does not load");
        jigsaw_name = "fuzz";
        ready = true;
    }
    // Each input starts from the same state: small display, a fresh deal.
    if (large_display) toggle_display_size();
    reset_play_state();
    scatter_pieces();
    fuzz_write("players/default/fuzz.txt", data, size);
    std::string problem;
    read_saved_game(&problem);
    bool seen[PIECE_TABLE_SIZE] = {};
    for (int i = 1; i <= piece_count; i++) {
        const piece_type& p = pieces[i];
        if (p.a < 0 || p.a > 3 || p.box < 0 || p.box > BOX_COUNT || p.gp < 0) fuzz_fail("a piece value out of range");
        int d = draw_order[i];
        if (d < 1 || d > piece_count || seen[d]) fuzz_fail("a drawing order that is no permutation");
        seen[d] = true;
    }
    if (bg_red < 0 || bg_red > 255 || bg_green < 0 || bg_green > 255 || bg_blue < 0 || bg_blue > 255)
        fuzz_fail("a colour outside 0..255");
    return 0;
}
