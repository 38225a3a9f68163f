// PDN files the commands write: the games in the notation of play/pdn.h.
#pragma once

#include <cstdio>
#include <string>

#include "play/pdn.h"

// A PDN file written game by game, so a long run holds only one game in
// memory.
struct PdnFile {
    std::FILE* file = nullptr;
    std::string path;
};

bool pdn_file_open(PdnFile& f, const char* path, std::string& error);

// Answers false once the file has refused a write.
bool pdn_file_write(PdnFile& f, const PdnGame& game);

// Whether every write reached the file; an unopened file closes fine.
bool pdn_file_close(PdnFile& f, std::string& error);
