// Writes the seed corpora: files the game itself writes, and positions.
#include <cstdio>
#include <cstring>
#include <string>

#include "app/game_state.h"
#include "app/settings_file.h"
#include "ui/saved_games.h"

namespace {

void write(const std::string& path, const void* bytes, size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr || std::fwrite(bytes, 1, size, f) != size) std::perror(path.c_str());
    if (f != nullptr) std::fclose(f);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::string dir = argv[1];

    Settings s;
    std::memset(&s, 0, sizeof s);
    settings_from_bytes(s, nullptr, 0);
    unsigned char sb[SETTINGS_FILE_SIZE];
    settings_to_bytes(s, sb);
    write(dir + "/settings/defaults", sb, sizeof sb);
    s.piece_count = 8;
    s.opponent = 2;
    s.music_volume = 17;
    const int32_t name[] = {0x10C, 0x65, 0x6E, 0x11B, 0x6B, 0};  // a Czech name
    std::memcpy(s.player_name[1], name, sizeof name);
    settings_to_bytes(s, sb);
    write(dir + "/settings/edited", sb, sizeof sb);

    SavedGames g;
    saved_games_from_bytes(g, nullptr, 0);
    unsigned char gb[SAVED_GAMES_FILE_SIZE];
    saved_games_to_bytes(g, gb);
    write(dir + "/saved_games/empty", gb, sizeof gb);
    settings.piece_count = 12;
    new_game();
    game.paused_minutes = 3;
    slot_from_game(g.slots[1]);
    settings.piece_count = 8;
    new_game();
    game.turn = RED;
    slot_from_game(g.slots[4]);
    saved_games_to_bytes(g, gb);
    write(dir + "/saved_games/two_games", gb, sizeof gb);

    const char* positions[] = {
        "start", "start8",
        "......../......../......../...b..../....R.../......../......../........ r",
        "b.b.b.b./.b.b.b.b/......../......../......../......../r.r.r.r./.r.r.r.r b",
    };
    int n = 0;
    for (const char* p : positions) write(dir + "/position/" + std::to_string(n++), p, std::strlen(p));
    return 0;
}
