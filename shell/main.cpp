// The program's entry: the command line (--help, --version), then the
// media layer (it changes into the program's folder), the start-up and the
// main loop, which ends the program itself; between its iterations a
// termination signal (SIGTERM, SIGHUP) ends it as leaving does.
#include <cstdio>
#include <cstring>

#include "shell/shell.h"

#ifndef TESSELLON_VERSION
#error "the build gives TESSELLON_VERSION, the project's version"
#endif

static const char* USAGE =
    "Usage: tessellon [--help | --version]\n"
    "\n"
    "Tessellon is a jigsaw-puzzle game for the X11 desktop. It starts on the\n"
    "title screen; press H at any time for help, N to choose a jigsaw.\n"
    "\n"
    "Files:\n"
    "  The program runs in its own folder, beside images/, fonts/, sounds/\n"
    "  and the library jigsaws/. Saved games and preferences go into\n"
    "  players/default/ there when that folder can be written; for an\n"
    "  installed game into $XDG_DATA_HOME/tessellon/players/default/\n"
    "  (~/.local/share/tessellon/... by default), and jigsaws cut into\n"
    "  $XDG_DATA_HOME/tessellon/jigsaws/ are listed beside the library.\n"
    "\n"
    "Options:\n"
    "  -h, --help      this text\n"
    "  -v, --version   the version\n"
    "\n"
    "Make your own jigsaws with tessellon-cut (see tessellon-cut --help).\n";

int main(int argc, char** argv) {
    for (int i = 1; i < argc; i++) {
        if (!std::strcmp(argv[i], "-h") || !std::strcmp(argv[i], "--help")) {
            std::fputs(USAGE, stdout);
            return 0;
        }
        if (!std::strcmp(argv[i], "-v") || !std::strcmp(argv[i], "--version")) {
            std::printf("tessellon %s\n", TESSELLON_VERSION);
            return 0;
        }
        std::fprintf(stderr, "tessellon: unknown argument %s (see --help)\n", argv[i]);
        return 2;
    }
    media_start(argv[0]);
    if (!start_up()) {
        std::fprintf(stderr, "Tessellon cannot open a display: is DISPLAY set to a running X server?\n");
        return 1;
    }
    main_loop();
}
