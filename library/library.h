// The jigsaw library and storage: folder layout and file formats, loading
// and saving a jigsaw, the thumbnail browsers, and the new, load, delete,
// kill, restart, quick-pick and do-new flows.
#pragma once

#include <string>

#include "media/draw/draw.h"
#include "media/system/system.h"

// ===========================================================================
// player_folder.cpp: the player's folder
// ===========================================================================

// --- kept for the run ---
extern std::string player_name;  // always "default"
extern std::string player_dir;   // "players/default/" once made sure of
extern std::string jigsaws_base; // prefix of "jigsaws/"; stays empty

// Makes sure a folder exists and can be listed (created with mode 777);
// tells the player "Unable to access " + path when it cannot.
void ensure_folder(const std::string& path);
// Makes sure players/ and players/<name>/ exist and sets player_dir.
void ensure_player_dir();
