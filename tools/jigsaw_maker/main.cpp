// tessellon-cut: the command-line jigsaw maker. Cuts a PNG or JPEG picture
// into a jigsaw folder that the game can play: classic interlocking
// pieces, reproducible from a seed.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "library/library.h"
#include "tools/jigsaw_maker/jigsaw_cut.h"

static const char* USAGE =
    "Usage: tessellon-cut [options] PICTURE [FOLDER]\n"
    "\n"
    "Cuts PICTURE (a PNG or JPEG file) into a Tessellon jigsaw and writes it\n"
    "into FOLDER, which is made if missing. Without FOLDER the jigsaw goes\n"
    "into the game's library, named after the picture: the jigsaws/ folder\n"
    "beside this program, or, when the game is installed, your own\n"
    "$XDG_DATA_HOME/tessellon/jigsaws/ (~/.local/share/tessellon/jigsaws/),\n"
    "which the game lists beside its own jigsaws.\n"
    "The picture is scaled to fit the 800 x 600 board and centred on it.\n"
    "\n"
    "Options:\n"
    "  -p, --pieces N       about N pieces, 2 to 300 (default 48); the grid is\n"
    "                       chosen so that pieces come out close to square\n"
    "  -r, --rows N         exactly N rows (give --columns too)\n"
    "  -c, --columns N      exactly N columns (give --rows too)\n"
    "  -s, --seed N         shape seed (default 1): the same picture, grid and\n"
    "                       seed always give the same pieces\n"
    "  -b, --background R,G,B\n"
    "                       board colour stored with the jigsaw (0..255 each);\n"
    "                       without it the game uses its own default\n"
    "  -f, --fill PERCENT   share of the board the picture may cover, 30 to\n"
    "                       100 (default 100)\n"
    "  -q, --quiet          no progress line and no summary\n"
    "  -h, --help           this text\n"
    "  -v, --version        the version\n"
    "\n"
    "Example: tessellon-cut --pieces 120 --seed 7 holiday.jpg\n";

// The library folder the game reads the player's jigsaws from: jigsaws/
// beside this program when that game folder is his to write, else his own
// data folder's. "" when neither can be found.
static std::string default_library() {
    std::string game = program_folder();
    if (game.empty()) return "";
    if (!game_folder_installed(game)) return game + "/jigsaws";
    std::string own = user_game_folder();
    return own.empty() ? "" : own + "/jigsaws";
}

// The picture's file name without its folder and extension: the jigsaw's name.
static std::string picture_stem(const std::string& path) {
    size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name = name.substr(0, dot);
    return name;
}

static bool parse_int(const char* text, int* value) {
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (!text[0] || *end || v < -1000000 || v > 1000000) return false;
    *value = static_cast<int>(v);
    return true;
}

static int fail(const std::string& message) {
    std::fprintf(stderr, "tessellon-cut: %s\n", message.c_str());
    return 1;
}

int main(int argc, char** argv) {
    cut::CutOptions options;
    options.progress = true;
    bool quiet = false;
    std::string picture_path, folder;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        auto value = [&](int* out) {
            if (i + 1 >= argc || !parse_int(argv[i + 1], out)) return false;
            i++;
            return true;
        };
        if (a == "-h" || a == "--help") {
            std::fputs(USAGE, stdout);
            return 0;
        } else if (a == "-v" || a == "--version") {
            std::printf("tessellon-cut %s\n", TESSELLON_VERSION);
            return 0;
        } else if (a == "-p" || a == "--pieces") {
            if (!value(&options.pieces)) return fail("--pieces needs a number");
        } else if (a == "-r" || a == "--rows") {
            if (!value(&options.rows) || options.rows < 1) return fail("--rows needs a number of 1 or more");
        } else if (a == "-c" || a == "--columns") {
            if (!value(&options.columns) || options.columns < 1) return fail("--columns needs a number of 1 or more");
        } else if (a == "-s" || a == "--seed") {
            int seed = 0;
            if (!value(&seed)) return fail("--seed needs a number");
            options.seed = static_cast<uint32_t>(seed);
        } else if (a == "-f" || a == "--fill") {
            int percent = 0;
            if (!value(&percent) || percent < 30 || percent > 100)
                return fail("--fill needs a percentage from 30 to 100");
            options.fill = percent / 100.0;
        } else if (a == "-b" || a == "--background") {
            int r, g, b;
            char extra;
            if (i + 1 >= argc || std::sscanf(argv[i + 1], "%d,%d,%d%c", &r, &g, &b, &extra) != 3 || r < 0 || r > 255 ||
                g < 0 || g > 255 || b < 0 || b > 255)
                return fail("--background needs three numbers 0..255 like 40,60,90");
            i++;
            options.has_background = true;
            options.background[0] = r;
            options.background[1] = g;
            options.background[2] = b;
        } else if (a == "-q" || a == "--quiet") {
            quiet = true;
        } else if (a.size() > 1 && a[0] == '-') {
            return fail("unknown option " + a + " (see --help)");
        } else if (picture_path.empty()) {
            picture_path = a;
        } else if (folder.empty()) {
            folder = a;
        } else {
            return fail("too many arguments (see --help)");
        }
    }
    if (picture_path.empty()) {
        std::fputs(USAGE, stderr);
        return 2;
    }
    if (folder.empty()) {
        std::string library = default_library();
        std::string name = picture_stem(picture_path);
        if (library.empty()) return fail("cannot find the game's library folder: give FOLDER");
        if (name.empty() || name == "." || name == "..")
            return fail("cannot name a jigsaw after " + picture_path + ": give FOLDER");
        if (!kit::make_folders(library)) return fail("cannot make the library folder " + library);
        folder = library + "/" + name;
    }
    options.progress = !quiet;

    kit::Picture picture;
    std::string error;
    if (!kit::read_picture(picture_path, picture, error))
        return fail("cannot read the picture " + picture_path + ": " + error);
    int made = 0;
    std::string problem = cut::cut_jigsaw(picture, options, folder, &made);
    if (!problem.empty()) return fail(problem);
    if (!quiet) {
        cut::Layout layout;
        cut::plan_layout(picture.width, picture.height, options, &layout);
        std::printf("%s: %d pieces (%d rows x %d columns) in %s\n", picture_path.c_str(), made, layout.rows,
                    layout.columns, folder.c_str());
    }
    return 0;
}
