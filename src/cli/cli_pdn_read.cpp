// The pdn command: the games of a PDN file, replayed through the game's own
// rules. The reader takes PDN as draughts programs write it: tags in any
// order, comments in braces or after ';', variations in parentheses, NAGs,
// move numbers "7." and "7...", results, captures with 'x' or ':', and
// squares a1..h8 or, when the GameType's notation is numeric, 1..32 (square
// 1 is b8, the top row's first dark square as blue sees the board; 32 is g1).
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "app/atomic_file.h"
#include "app/game_state.h"
#include "cli/cli.h"
#include "cli/cli_options.h"
#include "cli/cli_position.h"
#include "rules/rules.h"

namespace {

struct ReadGame {
    std::vector<std::pair<std::string, std::string>> tags;
    std::vector<std::string> moves;  // as written, move numbers taken off
    std::string result;              // from the movetext, else from the tag
    int line;                        // of the game's first tag or move

    std::string tag(const char* name) const {
        for (const auto& t : tags)
            if (t.first == name) return t.second;
        return "";
    }
};

bool is_result(const std::string& w) {
    static const char* const RESULTS[] = {"1-0", "0-1", "1/2-1/2", "*", "2-0", "0-2", "1-1", "0-0"};
    for (const char* r : RESULTS)
        if (w == r) return true;
    return false;
}

// Splits the text into games. A game ends at its result, or where the next
// game's tags begin.
bool read_games(const std::string& text, std::vector<ReadGame>& games, std::string& error) {
    ReadGame g{};
    bool open = false;  // g has tags or moves
    bool in_moves = false;
    int line = 1;
    auto finish = [&] {
        if (open) {
            if (g.result.empty()) g.result = g.tag("Result");
            games.push_back(g);
        }
        g = ReadGame{};
        open = in_moves = false;
    };
    auto begin = [&] {
        if (!open) g.line = line;
        open = true;
    };
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        const char c = text[i];
        if (c == '\n') {
            line++;
            i++;
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            i++;
        } else if (c == '%' && (i == 0 || text[i - 1] == '\n')) {
            while (i < n && text[i] != '\n') i++;  // an escaped line
        } else if (c == ';') {
            while (i < n && text[i] != '\n') i++;
        } else if (c == '{' || c == '(') {
            // Comments and variations; variations may nest.
            const char close = c == '{' ? '}' : ')';
            const int at = line;
            int depth = 0;
            for (; i < n; i++) {
                if (text[i] == '\n') line++;
                if (text[i] == c) depth++;
                if (text[i] == close && --depth == 0) break;
            }
            if (i == n) {
                error = std::string("line ") + std::to_string(at) + ": '" + c + "' is never closed";
                return false;
            }
            i++;
        } else if (c == '[') {
            if (in_moves) finish();
            begin();
            const size_t end = text.find(']', i);
            const size_t quote = text.find('"', i);
            if (end == std::string::npos || quote == std::string::npos || quote > end) {
                error = "line " + std::to_string(line) + ": a tag must read [Name \"value\"]";
                return false;
            }
            std::string name = text.substr(i + 1, quote - i - 1);
            while (!name.empty() && std::isspace(static_cast<unsigned char>(name.back()))) name.pop_back();
            std::string value;
            size_t k = quote + 1;
            for (; k < n && text[k] != '"'; k++) {
                if (text[k] == '\\' && k + 1 < n) k++;
                value += text[k];
            }
            const size_t close = text.find(']', k);
            if (k == n || close == std::string::npos) {
                error = "line " + std::to_string(line) + ": tag " + name + " is never closed";
                return false;
            }
            // A game without moves or a result ends where a tag comes again.
            if (!g.tag(name.c_str()).empty()) {
                finish();
                begin();
            }
            g.tags.emplace_back(name, value);
            i = close + 1;
        } else {
            size_t k = i;
            while (k < n && !std::isspace(static_cast<unsigned char>(text[k])) && std::strchr("{}()[];", text[k]) == nullptr)
                k++;
            std::string word = text.substr(i, k - i);
            i = k;
            if (word[0] == '$') continue;  // an annotation glyph
            if (is_result(word)) {
                begin();
                g.result = word;
                finish();
                continue;
            }
            // "12." "12..." or "12.c3-d4": the number goes.
            size_t digits = 0;
            while (digits < word.size() && std::isdigit(static_cast<unsigned char>(word[digits]))) digits++;
            if (digits > 0 && digits < word.size() && word[digits] == '.') {
                word.erase(0, word.find_first_not_of('.', digits));
                if (word.empty()) continue;
            }
            while (!word.empty() && std::strchr("!?+#", word.back()) != nullptr) word.pop_back();
            if (word.empty()) continue;
            begin();
            in_moves = true;
            g.moves.push_back(word);
        }
    }
    finish();
    return true;
}

// Numeric squares count the dark squares from the top left, row by row.
int32_t numeric_square(int number) {
    int count = 0;
    for (int32_t i = 0; i < SQUARE_COUNT; i++)
        if ((i / 8 + i % 8) % 2 == 1 && ++count == number) return i;
    return -1;
}

bool numeric_notation(const ReadGame& g) {
    // GameType "type,colour,width,height,notation,invert": notation starts
    // with N for numbers, A for a1..h8.
    const std::string t = g.tag("GameType");
    size_t field = 0;
    for (size_t k = 0; k < t.size(); k++) {
        if (t[k] == ',') {
            field++;
        } else if (field == 4 && !std::isspace(static_cast<unsigned char>(t[k]))) {
            return t[k] == 'N' || t[k] == 'n';
        }
    }
    return false;
}

bool read_square(const std::string& text, bool numeric, int32_t& square) {
    if (numeric) {
        if (text.empty() || text.size() > 2 || text.find_first_not_of("0123456789") != std::string::npos) return false;
        square = numeric_square(std::stoi(text));
        return square >= 0;
    }
    return parse_square_name(text, square);
}

// A numeric FEN, ranges "1-12" included, in the algebraic form parse_position
// reads.
bool algebraic_fen(const std::string& fen, bool numeric, std::string& out, std::string& error) {
    std::string text;
    for (char c : fen)
        if (!std::isspace(static_cast<unsigned char>(c))) text += c;
    while (!text.empty() && text.back() == '.') text.pop_back();
    if (!numeric) {
        out = text;
        return true;
    }
    out.clear();
    std::string entry;
    auto flush = [&]() {
        if (entry.empty()) return true;
        const bool king = entry[0] == 'K';
        const std::string body = king ? entry.substr(1) : entry;
        const size_t dash = body.find('-');
        int32_t a = -1;
        int32_t b = -1;
        const bool ok = dash == std::string::npos
                            ? read_square(body, true, a) && (b = a, true)
                            : read_square(body.substr(0, dash), true, a) && read_square(body.substr(dash + 1), true, b);
        if (!ok || b < a) {
            error = "FEN entry " + cli_quote(entry.c_str()) + " is not a square 1..32 or a range of them";
            return false;
        }
        bool first = true;
        for (int32_t s = a; s <= b; s++) {
            if ((s / 8 + s % 8) % 2 == 0) continue;
            if (!first) out += ',';
            out += (king ? "K" : "") + square_name(s);
            first = false;
        }
        entry.clear();
        return true;
    };
    for (size_t k = 0; k < text.size(); k++) {
        const char c = text[k];
        if (c == ':' || c == ',') {
            if (!flush()) return false;
            out += c;
        } else if ((c == 'W' || c == 'B') && (k == 0 || text[k - 1] == ':')) {
            out += c;
        } else {
            entry += c;
        }
    }
    return flush();
}

struct Replay {
    int32_t side = BLUE;
    std::vector<std::string> fens;  // after each move; fens[0] the start
};

void clear_all_marks() {
    clear_marks(1);
    clear_marks(2);
}

// One step of a turn through the acceptance rule; answers -1 when refused,
// else whether the chain goes on.
int32_t step(int32_t from, int32_t to, int32_t side, int32_t in_chain) {
    if (!in_chain) {
        clear_all_marks();
        if (!owns_piece(from, side)) return -1;
        board[from].source_mark = 1;
    } else if (source_square() != from) {
        return -1;
    }
    if (accept_human_move(from, to, side, in_chain) != VERDICT_ACCEPTED) return -1;
    return perform_move(side);
}

// A capture written with its first and last squares only: any chain the
// rules allow from `from` that ends on `last`. The board is as it was when
// none is found.
bool find_chain(int32_t from, int32_t last, int32_t side, int32_t in_chain) {
    Square saved[SQUARE_COUNT];
    std::memcpy(saved, board, sizeof saved);
    for (int32_t to = 0; to < SQUARE_COUNT; to++) {
        if (is_capture(from, to, side) != 1) continue;
        const int32_t again = step(from, to, side, in_chain);
        if (again == 0 && to == last) return true;
        if (again == 1 && find_chain(to, last, side, 1)) return true;
        std::memcpy(board, saved, sizeof saved);
    }
    return false;
}

// Plays one written move; false with the reason when the rules refuse it.
bool play_move(const std::string& word, bool numeric, int32_t side, std::string& why) {
    std::vector<int32_t> squares;
    size_t start = 0;
    bool capture = false;
    for (size_t k = 0; k <= word.size(); k++) {
        if (k < word.size() && word[k] != '-' && word[k] != 'x' && word[k] != ':') continue;
        if (k < word.size() && word[k] != '-') capture = true;
        int32_t s = -1;
        if (!read_square(word.substr(start, k - start), numeric, s)) {
            why = "cannot read it as a move of squares " + std::string(numeric ? "1..32" : "a1..h8");
            return false;
        }
        squares.push_back(s);
        start = k + 1;
    }
    if (squares.size() < 2) {
        why = "a move names at least two squares";
        return false;
    }
    if (!owns_piece(squares[0], side)) {
        why = std::string("no ") + (side == BLUE ? "White (blue)" : "Black (red)") + " piece on its first square";
        return false;
    }
    Square saved[SQUARE_COUNT];
    std::memcpy(saved, board, sizeof saved);
    int32_t in_chain = 0;
    bool whole = true;
    for (size_t k = 1; k < squares.size() && whole; k++) {
        const int32_t again = step(squares[k - 1], squares[k], side, in_chain);
        whole = again >= 0 && (again == 1) == (k + 1 < squares.size());
        in_chain = again == 1;
    }
    if (whole) return true;
    std::memcpy(board, saved, sizeof saved);
    if ((capture || squares.size() == 2) && find_chain(squares[0], squares.back(), side, 0)) return true;
    clear_all_marks();
    why = "the rules do not allow it (a capture must be made, a chain must go on, or the squares do not join)";
    return false;
}

// Replays `g` from its start; on an illegal move answers false with an error
// naming the game and the move.
bool replay(const ReadGame& g, int number, Replay& r, std::string& error) {
    const std::string where = "game " + std::to_string(number) + " (line " + std::to_string(g.line) + ")";
    const bool numeric = numeric_notation(g);
    const std::string fen_tag = g.tag("FEN");
    std::string position = "start";
    if (!fen_tag.empty() && g.tag("SetUp") != "0") {
        std::string why;
        if (!algebraic_fen(fen_tag, numeric, position, why)) {
            error = where + ": " + why;
            return false;
        }
    }
    std::string why;
    if (!parse_position(position, r.side, why)) {
        error = where + ": its FEN " + cli_quote(fen_tag.c_str()) + ": " + why;
        return false;
    }
    clear_all_marks();
    const bool black_first = r.side == RED;
    r.fens.assign(1, format_fen(r.side));
    for (size_t t = 0; t < g.moves.size(); t++) {
        const size_t ply = t + (black_first ? 1 : 0);
        const std::string label = "move " + std::to_string(ply / 2 + 1) + (ply % 2 == 0 ? "." : "...") + " " +
                                  cli_quote(g.moves[t].c_str());
        if (game_result(r.side) != 0) {
            error = where + ", " + label + ": the game was already over";
            return false;
        }
        if (!play_move(g.moves[t], numeric, r.side, why)) {
            error = where + ", " + label + ": " + why;
            return false;
        }
        r.side = other_side(r.side);
        r.fens.push_back(format_fen(r.side));
    }
    return true;
}

std::string name_or_unknown(const std::string& name) { return name.empty() ? "?" : name; }

int run(int argc, const char* const* argv, std::string& out, std::string& err) {
    CliArgs args;
    std::string why;
    if (!parse_args(argc, argv, "--game= --fen --move=", args, why)) return cli_fail(err, why);
    if (args.positional.size() != 1)
        return cli_fail(err, "pdn needs one PDN file: pdn FILE [--game N [--fen] [--move M]]");
    const char* path = args.positional[0];
    const bool fen = args.has("--fen") || args.has("--move");
    uint64_t wanted = 0;
    if (args.has("--game") && !parse_count(args.value("--game"), "game", 1, 1000000000, wanted, why))
        return cli_fail(err, why);
    if (fen && wanted == 0) return cli_fail(err, "--fen and --move need --game N: the position of which game");
    uint64_t move = 0;
    if (args.has("--move") && !parse_count(args.value("--move"), "move", 0, 1000000000, move, why))
        return cli_fail(err, why);

    std::string text;
    if (read_whole_file(path, text) <= 0) return cli_fail(err, "cannot read the PDN file " + cli_quote(path));
    std::vector<ReadGame> games;
    if (!read_games(text, games, why)) return cli_fail(err, cli_quote(path) + ", " + why);
    if (wanted > games.size())
        return cli_fail(err, "there is no game " + std::to_string(wanted) + "; the file holds " +
                                 std::to_string(games.size()));

    const Settings saved_settings = settings;
    const GameState saved_game = game;
    int status = CLI_OK;
    for (size_t k = 0; k < games.size() && status == CLI_OK; k++) {
        if (wanted != 0 && k + 1 != wanted) continue;
        const ReadGame& g = games[k];
        Replay r;
        if (!replay(g, static_cast<int>(k + 1), r, why)) {
            status = cli_fail(err, why);
            break;
        }
        const size_t moves = r.fens.size() - 1;
        if (!fen) {
            out += std::to_string(k + 1) + ". " + name_or_unknown(g.tag("White")) + " - " +
                   name_or_unknown(g.tag("Black")) + ", " + (g.result.empty() ? "*" : g.result) + ", " +
                   std::to_string(moves) + (moves == 1 ? " move\n" : " moves\n");
        } else if (args.has("--move") && move > moves) {
            status = cli_fail(err, "game " + std::to_string(k + 1) + " has " + std::to_string(moves) +
                                       " moves, not " + std::to_string(move));
        } else {
            out += r.fens[args.has("--move") ? move : moves] + "\n";
        }
    }
    settings = saved_settings;
    game = saved_game;
    clear_all_marks();
    return status;
}

}  // namespace

const CliCommand PDN_COMMAND = {
    "pdn", "pdn FILE [--game N [--fen] [--move M]]", "the games of a PDN file, replayed",
    "Lists the games of a PDN file, one line each: the number, White (blue) and\n"
    "Black (red), the result and the number of moves (each side's turn is one,\n"
    "a capture chain included), and replays every game through the game's own\n"
    "rules. An illegal move is bad input, named by its game and move number.\n"
    "The game keeps every game played in Data/partie.pdn.\n"
    "\n"
    "It reads PDN as draughts programs write it: tags in any order, comments in\n"
    "braces or after ';', variations, move numbers \"7.\" and \"7...\", results,\n"
    "captures with 'x' or ':' (also only the first and last square of a chain),\n"
    "SetUp and FEN, and squares a1..h8, or 1..32 when the GameType tag's notation\n"
    "is N (1 is b8 and 32 is g1, counted row by row from blue's far left).\n"
    "\n"
    "arguments:\n"
    "  FILE        a PDN file\n"
    "options:\n"
    "  --game N    only game N (from 1)\n"
    "  --fen       with --game: print the FEN after the game's last move\n"
    "  --move M    with --game: print the FEN after move M (1 is White's first\n"
    "              turn, 2 Black's reply; 0 the starting position)\n"
    "\n"
    "example:\n"
    "  talvena-cli pdn Data/partie.pdn --game 1 --move 2\n",
    run};
