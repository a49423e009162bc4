// The player's folder, made sure of once at start-up before the preferences
// are read, and the player's own jigsaws beside the library. Everything the
// game writes goes into the player's folder: players/default/ inside the
// game folder, or inside the player's data folder when the game is
// installed (player_files.cpp says which).
#include "library/library.h"

// --- kept for the run ---
std::string player_name = "default";  // the only player
std::string player_dir;               // "players/default/" (or under own data) once made sure of
std::string jigsaws_base;             // prefix of "jigsaws/"; stays empty
std::string own_jigsaws_dir;          // the player's jigsaws beside an installed library; "" = none

void ensure_folder(const std::string& path) {
    void* dir = open_dir(path);
    if (!dir) {
        create_dir(path);
        set_file_mode(path, 0777);
        dir = open_dir(path);
    }
    if (!dir) {
        message_and_wait("Unable to access " + path);
        return;
    }
    close_dir(dir);
}

// Makes every missing folder of an absolute path, readable by the player
// alone: these live in his home, where a folder open to all would let
// anyone remove his saved games.
static void make_private_folders(const std::string& path) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        std::string part = slash == std::string::npos ? path : path.substr(0, slash);
        if (!part.empty() && path_kind(part) != 2) {
            create_dir(part);
            set_file_mode(part, 0700);
        }
        if (slash == std::string::npos) break;
    }
}

void ensure_player_dir() {
    if (!player_dir.empty()) return;
    std::string root = game_folder_installed(".") ? user_game_folder() : "";
    if (root.empty()) {
        // The game folder is the player's (or there is no home to go to).
        ensure_folder("players");
        ensure_folder("players/" + player_name);
        player_dir = "players/" + player_name + "/";
        return;
    }
    std::string folder = root + "/players/" + player_name;
    make_private_folders(folder);
    ensure_folder(folder);  // says "Unable to access" when it could not be made
    player_dir = folder + "/";
    own_jigsaws_dir = root + "/jigsaws";
    make_private_folders(own_jigsaws_dir);
}

std::string jigsaw_folder(const std::string& name) {
    if (!own_jigsaws_dir.empty()) {
        std::string own = own_jigsaws_dir + "/" + name;
        if (path_kind(own) == 2) return own;
    }
    return jigsaws_base + "jigsaws/" + name;
}

bool jigsaw_installed(const std::string& name) {
    return !own_jigsaws_dir.empty() && path_kind(own_jigsaws_dir + "/" + name) != 2;
}
