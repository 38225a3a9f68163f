// Application shell: the folder the game runs in. The game reads Data/ and
// Hudba/ from its working directory and writes the player's settings and
// saved games into Data/. An installed copy's folder is read-only, so each
// player gets a game folder of their own, prepared from the installation;
// on Linux the launcher (packaging/talvena.sh.in) does it with links, on
// Windows the game itself does it with copies. No Allegro here.
#pragma once

#include <string>

// The files an installation ships into the game folder, relative to it:
// Data/talvena.dat, Data/allegro.cfg and each Hudba/*.mp3 that `install_dir`
// holds. Sorted, '/' between the parts.
std::string shipped_files_list(const std::string& install_dir);

// Makes `user_dir` a game folder for the installation in `install_dir`:
// creates Data/ and Hudba/, and copies in each shipped file that is missing
// there or differs from the installed one in size or last write time (an
// upgrade). A copy gets the installed file's write time, so an untouched
// copy is never copied again; it is written beside its place and renamed
// over it, so a copy cut short is never taken for a whole one. Nothing else
// in `user_dir` (the player's settings, saved games, records) is touched.
// Answers how many files were copied, or -1 with `error` set.
int prepare_game_folder(const std::string& install_dir, const std::string& user_dir, std::string& error);

// Windows only: moves into the folder the game runs in. A copy that was
// installed (the installer leaves INSTALLED_MARKER beside the program) runs
// in %APPDATA%\Talvena, prepared from the installation; any other copy (the
// zip unpacked anywhere the player can write) runs in its own folder.
// Answers false with `error` set when the folder cannot be had.
constexpr const char* INSTALLED_MARKER = "Talvena.installed";
bool enter_game_folder(std::string& error);
