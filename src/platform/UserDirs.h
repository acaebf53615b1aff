#pragma once

// The user's own folders as the desktop names them (xdg-user-dirs).

#include <string>

// The music folder: XDG_MUSIC_DIR of "$XDG_CONFIG_HOME/user-dirs.dirs" with $HOME expanded, else
// ~/Music. No trailing separator.
std::string UserMusicDir();
