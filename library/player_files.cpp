// Where the player's files live. A game folder that the player may write
// into holds them itself (players/, and jigsaws/ is his to change); an
// installed one, read-only or marked by the install with "installed.txt",
// sends them to his data folder, $XDG_DATA_HOME/tessellon/. tessellon-cut
// links this file too, so that it writes where the game will look.
#include "library/library.h"

bool game_folder_installed(const std::string& game_folder) {
    // Root may write into an installed tree all the same; the marker keeps
    // its files out of the package's folder.
    return !folder_writable(game_folder) || path_kind(game_folder + "/" + INSTALLED_MARKER) == 1;
}

std::string user_game_folder() {
    std::string data = user_data_folder();
    return data.empty() ? "" : data + "/tessellon";
}
