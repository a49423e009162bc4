// tessellon-resources: makes every file of the game folder's images/ and
// sounds/ from code. Usage: tessellon-resources GAME_DIR TAHOMA.ttf
// [TAHOMA_BOLD.ttf], or tessellon-resources --icons FOLDER for the desktop
// icons. The output depends only on this code and the fonts: no clocks,
// no unseeded randomness.
#include <cstdio>
#include <string>

#include "tools/resources/resources.h"

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--icons") return res::make_app_icons(argv[2]) ? 0 : 1;
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: tessellon-resources GAME_DIR TAHOMA.ttf [TAHOMA_BOLD.ttf]\n"
                     "       tessellon-resources --icons FOLDER\n");
        return 2;
    }
    std::string out = argv[1];
    res::Fonts fonts;
    if (!kit::load_font(fonts.regular, argv[2])) {
        std::fprintf(stderr, "tessellon-resources: cannot load the font %s\n", argv[2]);
        return 1;
    }
    if (argc < 4 || !kit::load_font(fonts.bold, argv[3])) fonts.bold = fonts.regular;
    fonts.bold.embolden = true;  // the packaged bold is only a little heavier than the regular
    for (const char* dir : {"/images/flash/1", "/sounds"})
        if (!kit::make_folders(out + dir)) {
            std::fprintf(stderr, "tessellon-resources: cannot make %s%s\n", out.c_str(), dir);
            return 1;
        }
    bool ok = res::make_confirm_boxes(fonts, out);
    ok &= res::make_help_pages(fonts, out);
    ok &= res::make_prefer_page(fonts, out);
    ok &= res::make_board_images(fonts, out);
    ok &= res::make_flash_frames(out);
    ok &= res::make_effects(out);
    ok &= res::make_music(out);
    if (!ok) {
        std::fprintf(stderr, "tessellon-resources: some files could not be written into %s\n", out.c_str());
        return 1;
    }
    return 0;
}
