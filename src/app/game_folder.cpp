// Application shell: a player's own game folder, made from the installation.
#include "app/game_folder.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

// Paths are UTF-8, the game's own text encoding, on every system: u8path
// reads them so (Windows would take a plain string in its ANSI code page).

namespace {

// The datafile and the configuration always; the tracks are whatever the
// build made.
constexpr const char* DATA_FILES[] = {"Data/talvena.dat", "Data/allegro.cfg"};

bool same_file(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    const auto to_size = fs::file_size(to, ec);
    if (ec || to_size != fs::file_size(from, ec) || ec) return false;
    const auto to_time = fs::last_write_time(to, ec);
    return !ec && to_time == fs::last_write_time(from, ec) && !ec;
}

// Into a temporary name first: a copy cut short by a crash has the wrong
// size or time there, or is not in place at all.
bool copy_in(const fs::path& from, const fs::path& to, std::string& error) {
    fs::path part = to;
    part += ".part";
    std::error_code ec;
    fs::copy_file(from, part, fs::copy_options::overwrite_existing, ec);
    if (!ec) fs::last_write_time(part, fs::last_write_time(from, ec), ec);
    if (!ec) fs::rename(part, to, ec);
    if (ec) {
        fs::remove(part, ec);
        error = "cannot copy " + from.u8string() + " to " + to.u8string();
        return false;
    }
    return true;
}

}  // namespace

std::string shipped_files_list(const std::string& install_dir) {
    std::vector<std::string> names(std::begin(DATA_FILES), std::end(DATA_FILES));
    std::error_code ec;
    for (fs::directory_iterator it(fs::u8path(install_dir) / "Hudba", ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path& p = it->path();
        if (p.extension() == ".mp3" && it->is_regular_file(ec)) names.push_back("Hudba/" + p.filename().u8string());
    }
    std::sort(names.begin(), names.end());
    std::string list;
    for (const std::string& n : names) list += n + "\n";
    return list;
}

int prepare_game_folder(const std::string& install_dir, const std::string& user_dir, std::string& error) {
    const fs::path from_root = fs::u8path(install_dir), to_root = fs::u8path(user_dir);
    std::error_code ec;
    for (const char* dir : {"Data", "Hudba"}) {
        fs::create_directories(to_root / dir, ec);
        if (ec) {
            error = "cannot create " + (to_root / dir).u8string();
            return -1;
        }
    }
    const std::string list = shipped_files_list(install_dir);
    int copied = 0;
    for (size_t at = 0, end; (end = list.find('\n', at)) != std::string::npos; at = end + 1) {
        const fs::path name = fs::u8path(list.substr(at, end - at));
        const fs::path from = from_root / name, to = to_root / name;
        if (!fs::is_regular_file(from, ec)) {
            error = "the installation has no " + from.u8string();
            return -1;
        }
        if (same_file(from, to)) continue;
        if (!copy_in(from, to, error)) return -1;
        copied++;
    }
    return copied;
}
