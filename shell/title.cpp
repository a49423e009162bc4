// The "title" screen: the game has no title picture; its first frame loads
// the reserved opening jigsaw, deals it and lets it fly together on the
// board, with the "press H" prompt over it until the first key or click.
#include "shell/shell.h"

void title_step() {
    if (jigsaw_name.empty()) {
        load_default_jigsaw();
        drop_prefetched_images();  // what the start-up decoded ahead and no load took
        // The opening flight ends on the finished picture; that is no
        // completion to celebrate.
        completion_seen = 1;
    }
    start_completion_animation();
    help_prompt_active = 1;
}
