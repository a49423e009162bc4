// The player's folder, players/default/: made sure of once at start-up,
// before the preferences are read. Everything the game writes goes there.
#include "library/library.h"
#include "shell/shell.h"

// --- kept for the run ---
std::string player_name = "default";  // the only player
std::string player_dir;               // "players/default/" once made sure of
std::string jigsaws_base;             // prefix of "jigsaws/"; stays empty

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

void ensure_player_dir() {
    if (!player_dir.empty()) return;
    ensure_folder("players");
    ensure_folder("players/" + player_name);
    player_dir = "players/" + player_name + "/";
}
