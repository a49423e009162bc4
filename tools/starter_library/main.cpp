// tessellon-pictures: paints one picture of the starter library by name
// and writes it as a PNG for the jigsaw maker. Usage:
// tessellon-pictures NAME OUT.png FONT.ttf
#include <cstdio>
#include <cstring>

#include "tools/starter_library/painter.h"

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: tessellon-pictures NAME OUT.png FONT.ttf\n");
        return 2;
    }
    std::string name = argv[1];
    kit::Font font;
    if (!kit::load_font(font, argv[3])) {
        std::fprintf(stderr, "tessellon-pictures: cannot load the font %s\n", argv[3]);
        return 1;
    }
    kit::Canvas picture;
    if (name == "title")
        picture = paint::paint_title(font);
    else if (name == "red_mixer")
        picture = paint::paint_red_mixer();
    else if (name == "mandelbrot")
        picture = paint::paint_mandelbrot();
    else if (name == "julia")
        picture = paint::paint_julia();
    else if (name == "alpine_lake")
        picture = paint::paint_alpine_lake();
    else if (name == "desert_dunes")
        picture = paint::paint_desert_dunes();
    else if (name == "northern_lights")
        picture = paint::paint_northern_lights();
    else if (name == "balloons")
        picture = paint::paint_balloons();
    else if (name == "rose_window")
        picture = paint::paint_rose_window();
    else if (name == "star_tiles")
        picture = paint::paint_star_tiles();
    else if (name == "quilt")
        picture = paint::paint_quilt();
    else if (name == "spheres")
        picture = paint::paint_spheres();
    else if (name == "night_city")
        picture = paint::paint_night_city();
    else if (name == "sunflower")
        picture = paint::paint_sunflower();
    else {
        std::fprintf(stderr, "tessellon-pictures: no picture called %s\n", name.c_str());
        return 1;
    }
    // Fast compression: the file only carries the picture to the cutter.
    std::vector<uint8_t> bytes = kit::canvas_bytes(picture, false);
    if (!kit::write_png(argv[2], picture.width, picture.height, 3, bytes.data(), 1)) {
        std::fprintf(stderr, "tessellon-pictures: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
