// Notation: writing PDN games and files.
#include <cerrno>
#include <cstring>
#include <ctime>

#include "notation/pdn.h"

namespace {

constexpr size_t LINE_WIDTH = 80;

// Tag values are ours, but a quote or backslash would end one early; PDN
// writes an unknown value as "?".
std::string tag(const char* name, const std::string& value, const char* unknown = "?") {
    std::string escaped;
    for (char c : value) {
        if (c == '"' || c == '\\') escaped += '\\';
        escaped += c;
    }
    return std::string("[") + name + " \"" + (escaped.empty() ? unknown : escaped) + "\"]\n";
}

}  // namespace

const char* pdn_result(int32_t winner) {
    if (winner == 1) return "1-0";
    if (winner == 2) return "0-1";
    return "1/2-1/2";
}

std::string pdn_today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char text[16] = "????.??.??";
    if (localtime_r(&now, &local) != nullptr) std::strftime(text, sizeof text, "%Y.%m.%d", &local);
    return text;
}

std::string pdn_text(const PdnGame& game) {
    std::string text = tag("Event", game.event) + tag("Site", game.site) + tag("Date", game.date, "????.??.??") +
                       tag("Round", game.round) + tag("White", game.white) + tag("Black", game.black) +
                       tag("Result", game.result) + tag("GameType", PDN_GAME_TYPE);
    if (!game.fen.empty()) text += tag("SetUp", "1") + tag("FEN", game.fen);
    text += '\n';

    // A move number stays on the line of its move; Black's replies go
    // without one, except a first move "1...".
    const bool black_first = !game.fen.empty() && game.fen[0] == 'B';
    std::vector<std::string> words;
    for (size_t t = 0; t < game.turns.size(); t++) {
        const bool white = (t + (black_first ? 1 : 0)) % 2 == 0;
        const std::string label = t == 0 || white ? move_number_label(t, black_first) + " " : "";
        words.push_back(label + pdn_move_text(game.turns[t].squares, game.turns[t].capture));
    }
    words.push_back(game.result.empty() ? "*" : game.result);
    std::string line;
    for (const std::string& w : words) {
        if (!line.empty() && line.size() + 1 + w.size() > LINE_WIDTH) {
            text += line + '\n';
            line.clear();
        }
        if (!line.empty()) line += ' ';
        line += w;
    }
    return text + line + "\n\n";
}

bool pdn_file_open(PdnFile& f, const char* path, std::string& error) {
    f.path = path;
    f.file = std::fopen(path, "w");
    // Unbuffered, each game goes out in one write: however the run ends,
    // the file holds whole games only.
    if (f.file != nullptr) {
        std::setvbuf(f.file, nullptr, _IONBF, 0);
        return true;
    }
    error = "cannot write the PDN file " + quoted(path) + ": " + std::strerror(errno);
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
    error = "writing the PDN file " + quoted(f.path) + " failed";
    return false;
}
