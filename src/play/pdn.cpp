#include "play/pdn.h"

#include <ctime>

#include "app/game_state.h"

namespace {

constexpr size_t LINE_WIDTH = 80;

// Tag values are ours, but a quote or backslash would end one early.
std::string tag(const char* name, const std::string& value) {
    std::string escaped;
    for (char c : value) {
        if (c == '"' || c == '\\') escaped += '\\';
        escaped += c;
    }
    return std::string("[") + name + " \"" + escaped + "\"]\n";
}

// Squares in name order: rank 1 to 8, each from file a to h.
int name_order(int k) { return (7 - k / 8) * 8 + k % 8; }

std::string fen_list(const int32_t pieces[], int32_t side) {
    std::string list;
    for (int k = 0; k < SQUARE_COUNT; k++) {
        const int i = name_order(k);
        if (pieces[i] != side && pieces[i] != side + 2) continue;
        if (!list.empty()) list += ',';
        if (pieces[i] == side + 2) list += 'K';
        list += square_name(i);
    }
    return list;
}

}  // namespace

std::string square_name(int32_t square) {
    std::string name;
    name += static_cast<char>('a' + square % 8);
    name += static_cast<char>('8' - square / 8);
    return name;
}

std::string pdn_move_text(const std::vector<int32_t>& squares, bool capture) {
    std::string text;
    for (size_t k = 0; k < squares.size(); k++) {
        if (k > 0) text += capture ? 'x' : '-';
        text += square_name(squares[k]);
    }
    return text;
}

std::string fen_of(const int32_t pieces[], int32_t side) {
    return std::string(side == BLUE ? "W" : "B") + ":W" + fen_list(pieces, BLUE) + ":B" + fen_list(pieces, RED);
}

const char* pdn_result(int32_t winner) {
    if (winner == BLUE) return "1-0";
    if (winner == RED) return "0-1";
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
    std::string text = tag("Event", game.event) + tag("Site", game.site) + tag("Date", game.date) +
                       tag("Round", game.round) + tag("White", game.white) + tag("Black", game.black) +
                       tag("Result", game.result) + tag("GameType", PDN_GAME_TYPE);
    if (!game.fen.empty()) text += tag("SetUp", "1") + tag("FEN", game.fen);
    text += '\n';

    // A move number stays on the line of its move; Black moving first
    // numbers its move "1...".
    const bool black_first = !game.fen.empty() && game.fen[0] == 'B';
    std::vector<std::string> words;
    for (size_t t = 0; t < game.turns.size(); t++) {
        const size_t ply = t + (black_first ? 1 : 0);
        std::string word = ply % 2 == 0 ? std::to_string(ply / 2 + 1) + ". " : t == 0 ? "1... " : "";
        words.push_back(word + pdn_move_text(game.turns[t].squares, game.turns[t].capture));
    }
    words.push_back(game.result);
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
