// The "title" screen: the game has no title picture; its first frame loads
// the reserved opening jigsaw, deals it and lets it fly together on the
// board, with the "press H" prompt over it until the first key or click.
#include "library/library.h"
#include "play/play.h"
#include "shell/shell.h"

// The jigsaw the game opens with and returns to after a kill.
static const char* const RESERVED_JIGSAW = "0000bexil";

void load_default_jigsaw() {
    // The name changes only with a jigsaw that loaded, so a broken reserved
    // folder leaves the game on whatever it had.
    if (!load_jigsaw(RESERVED_JIGSAW)) return;
    jigsaw_name = RESERVED_JIGSAW;
    scatter_pieces();
    for (int b = 1; b <= BOX_COUNT; b++) box_count[b] = 0;
}

void title_step() {
    if (jigsaw_name.empty()) load_default_jigsaw();
    start_completion_animation();
    help_prompt_active = 1;
}
