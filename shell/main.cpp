// The program's entry: the media layer first (it changes into the
// program's folder), then the start-up, then the main loop, which ends
// the program itself.
#include <cstdio>

#include "shell/shell.h"

int main(int argc, char** argv) {
    (void)argc;
    media_start(argv[0]);
    if (!start_up()) {
        std::fprintf(stderr, "Tessellon cannot open a display: is DISPLAY set to a running X server?\n");
        return 1;
    }
    main_loop();
}
