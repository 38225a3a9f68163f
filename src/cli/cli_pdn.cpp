#include "cli/cli_pdn.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/cli.h"

bool pdn_file_open(PdnFile& f, const char* path, std::string& error) {
    f.path = path;
    f.file = std::fopen(path, "w");
    // Unbuffered, each game goes out in one write: however the run ends,
    // the file holds whole games only.
    if (f.file != nullptr) {
        std::setvbuf(f.file, nullptr, _IONBF, 0);
        return true;
    }
    error = "cannot write the PDN file " + cli_quote(path) + ": " + std::strerror(errno);
    return false;
}

bool pdn_file_write(PdnFile& f, const PdnGame& game) {
    const std::string text = pdn_text(game);
    return std::fwrite(text.data(), 1, text.size(), f.file) == text.size();
}

bool pdn_file_close(PdnFile& f, std::string& error) {
    if (f.file == nullptr) return true;
    const bool written = std::ferror(f.file) == 0;
    const bool closed = std::fclose(f.file) == 0;
    f.file = nullptr;
    if (written && closed) return true;
    error = "writing the PDN file " + cli_quote(f.path.c_str()) + " failed";
    return false;
}
