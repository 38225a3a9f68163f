// Notation: reading PDN games, and replaying them through the game's rules.
#include <cctype>
#include <cstring>

#include "app/game_state.h"
#include "notation/pdn.h"
#include "notation/position.h"
#include "rules/rules.h"

std::string PdnSourceGame::tag(const char* name) const {
    for (const auto& t : tags)
        if (t.first == name) return t.second;
    return "";
}

namespace {

bool is_result(const std::string& w) {
    static const char* const RESULTS[] = {"1-0", "0-1", "1/2-1/2", "*", "2-0", "0-2", "1-1", "0-0"};
    for (const char* r : RESULTS)
        if (w == r) return true;
    return false;
}

// Ends a word of movetext; NUL is a byte like any other in a word.
bool ends_word(char c) {
    return std::isspace(static_cast<unsigned char>(c)) || (c != '\0' && std::strchr("{}()[];", c) != nullptr);
}

bool blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

struct Splitter {
    explicit Splitter(const std::string& t) : text(t) {}

    const std::string& text;
    size_t i = 0;
    int line = 1;
    std::vector<PdnSourceGame> games;
    PdnSourceGame g;
    bool open = false;  // g has tags, moves or a fault
    bool in_moves = false;

    void begin() {
        if (!open) g.line = line;
        open = true;
    }
    void finish() {
        if (open) {
            if (g.result.empty()) g.result = g.tag("Result");
            games.push_back(g);
        }
        g = PdnSourceGame{};
        open = in_moves = false;
    }
    void fault(int at, const std::string& why) {
        begin();
        if (g.fault.empty()) g.fault = "line " + std::to_string(at) + ": " + why;
    }
    void to_line_end() {
        while (i < text.size() && text[i] != '\n') i++;
    }
    // Past the '}' that closes the comment at i; false at the end of the text.
    bool skip_comment() {
        for (i++; i < text.size() && text[i] != '}'; i++)
            if (text[i] == '\n') line++;
        if (i == text.size()) return false;
        i++;
        return true;
    }

    // Variations nest; their comments may hold any bracket.
    bool skip_variation() {
        int depth = 0;
        while (i < text.size()) {
            const char c = text[i];
            if (c == '{') {
                if (!skip_comment()) return false;
                continue;
            }
            if (c == ';') {
                to_line_end();
                continue;
            }
            if (c == '\n') line++;
            i++;
            if (c == '(') depth++;
            if (c == ')' && --depth == 0) return true;
        }
        return false;
    }

    void read_tag() {
        const int at = line;
        size_t k = i + 1;
        while (k < text.size() && blank(text[k])) k++;
        std::string name;
        while (k < text.size() && !std::isspace(static_cast<unsigned char>(text[k])) && text[k] != '"' &&
               text[k] != ']')
            name += text[k++];
        while (k < text.size() && blank(text[k])) k++;
        i = k;
        if (name.empty() || k == text.size() || text[k] != '"') {
            fault(at, "a tag must read [Name \"value\"]");
            to_line_end();
            return;
        }
        std::string value;
        for (k++; k < text.size() && text[k] != '"' && text[k] != '\n'; k++) {
            if (text[k] == '\\' && k + 1 < text.size() && text[k + 1] != '\n') k++;
            value += text[k];
        }
        if (k < text.size() && text[k] == '"') k++;
        while (k < text.size() && blank(text[k])) k++;
        i = k;
        if (k == text.size() || text[k] != ']') {
            fault(at, "tag " + quoted(name) + " is never closed");
            to_line_end();
            return;
        }
        i = k + 1;
        // A game without moves or a result ends where a tag comes again.
        for (const auto& t : g.tags)
            if (t.first == name) {
                finish();
                begin();
                break;
            }
        g.tags.emplace_back(name, value);
    }

    void read_word() {
        size_t k = i;
        while (k < text.size() && !ends_word(text[k])) k++;
        std::string word = text.substr(i, k - i);
        i = k;
        if (word[0] == '$') return;  // an annotation glyph
        if (is_result(word)) {
            begin();
            g.result = word;
            finish();
            return;
        }
        // "12." "12..." or "12.c3-d4": the number goes; "..." stands for a
        // move left out.
        size_t digits = 0;
        while (digits < word.size() && std::isdigit(static_cast<unsigned char>(word[digits]))) digits++;
        if (digits < word.size() && word[digits] == '.') word.erase(0, word.find_first_not_of('.', digits));
        while (!word.empty() && word.back() != '\0' && std::strchr("!?+#", word.back()) != nullptr) word.pop_back();
        if (word.empty()) return;
        begin();
        in_moves = true;
        g.moves.push_back(PdnWrittenMove{word, line});
    }

    void run() {
        // A byte-order mark, as editors save UTF-8.
        if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) i = 3;
        const size_t first = i;
        while (i < text.size()) {
            const char c = text[i];
            const int at = line;
            if (c == '\n') {
                line++;
                i++;
            } else if (std::isspace(static_cast<unsigned char>(c))) {
                i++;
            } else if (c == '%' && (i == first || text[i - 1] == '\n')) {
                to_line_end();  // an escaped line
            } else if (c == ';') {
                to_line_end();
            } else if (c == '{') {
                if (!skip_comment()) fault(at, "'{' is never closed");
            } else if (c == '(') {
                if (!skip_variation()) fault(at, "'(' is never closed");
            } else if (c == ')' || c == '}' || c == ']') {
                fault(at, std::string("a '") + c + "' that closes nothing");
                i++;
            } else if (c == '[') {
                if (in_moves) finish();
                begin();
                read_tag();
            } else {
                read_word();
            }
        }
        finish();
    }
};

struct GameTypeName {
    int type;
    const char* name;
};

const GameTypeName GAME_TYPES[] = {
    {0, "chess"},
    {1, "Chinese chess"},
    {20, "international draughts, 10\u00d710"},
    {21, "English draughts"},
    {22, "Italian draughts"},
    {23, "American pool checkers"},
    {24, "Spanish draughts"},
    {25, "Russian draughts"},
    {26, "Brazilian draughts"},
    {27, "Canadian draughts, 12\u00d712"},
    {28, "Portuguese draughts"},
    {30, "Turkish draughts"},
    {31, "Thai draughts"},
    {40, "Frisian draughts, 10\u00d710"},
    {41, "Spantsiretti draughts, 10\u00d78"},
};

constexpr int CZECH_TYPE = 29;
constexpr int EARLIER_OWN_TYPE = 32;  // what this game wrote before

std::string trimmed(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return "";
    return s.substr(a, s.find_last_not_of(" \t") - a + 1);
}

}  // namespace

std::vector<PdnSourceGame> pdn_read_games(const std::string& text) {
    Splitter s(text);
    s.run();
    return s.games;
}

bool pdn_czech_numbering(const std::string& game_type, SquareNumbering& numbering, std::string& why) {
    numbering = ALGEBRAIC;
    const std::string value = trimmed(game_type);
    if (value.empty()) return true;
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t comma; (comma = value.find(',', start)) != std::string::npos; start = comma + 1)
        fields.push_back(trimmed(value.substr(start, comma - start)));
    fields.push_back(trimmed(value.substr(start)));
    const std::string& type = fields[0];
    if (type.empty() || type.size() > 6 || type.find_first_not_of("0123456789") != std::string::npos) {
        why = "GameType " + quoted(value) + " does not start with a game type number";
        return false;
    }
    const int n = std::stoi(type);
    if (n != CZECH_TYPE && n != EARLIER_OWN_TYPE) {
        std::string name = n >= 2 && n <= 19 ? "a kind of chess" : "a type this reader does not know";
        for (const GameTypeName& t : GAME_TYPES)
            if (t.type == n) name = t.name;
        why = "GameType " + std::to_string(n) + " (" + name + ") is not Czech draughts";
        return false;
    }
    if (fields.size() == 1) return true;
    const std::string whole = "GameType " + quoted(value);
    if (fields.size() < 5 || fields.size() > 6) {
        why = whole + " must be the type alone or type,colour,width,height,notation[,invert]";
        return false;
    }
    if (fields[1] != "W") {
        why = whole + ": in Czech draughts White moves first";
        return false;
    }
    if (fields[2] != "8" || fields[3] != "8") {
        why = whole + ": Czech draughts is played on 8\u00d78 squares";
        return false;
    }
    const std::string& notation = fields[4];
    if (notation.size() != 2 || (notation[0] != 'A' && notation[0] != 'N') || notation[1] < '0' || notation[1] > '3') {
        why = whole + ": notation " + quoted(notation) + " is not A0..A3 or N0..N3";
        return false;
    }
    if (fields.size() == 6 && fields[5] != "0") {
        why = whole + ": a light square at the bottom left is not the board of Czech draughts";
        return false;
    }
    const bool numeric = notation[0] == 'N';
    const int corner = notation[1] - '0';
    // Our earlier files named squares from a1 at the bottom left whatever
    // their digit, and numbered them from the top left.
    if (n == EARLIER_OWN_TYPE)
        numbering = numeric ? SquareNumbering{true, CORNER_TOP_LEFT, CORNER_TOP_LEFT} : ALGEBRAIC;
    else
        numbering = numeric ? SquareNumbering{true, corner, corner} : SquareNumbering{false, corner, CORNER_TOP_LEFT};
    return true;
}

namespace {

void clear_all_marks() {
    clear_marks(1);
    clear_marks(2);
}

struct Step {
    MoveVerdict verdict;
    int32_t again;  // the chain goes on (when accepted)
};

// One step of a turn through the acceptance rule a human's click passes.
Step step(int32_t from, int32_t to, int32_t side, int32_t in_chain) {
    if (!in_chain) {
        clear_all_marks();
        board[from].source_mark = 1;
    }
    const MoveVerdict v = accept_human_move(from, to, side, in_chain);
    if (v != VERDICT_ACCEPTED) return Step{v, 0};
    return Step{v, perform_move(side)};
}

const char* piece_word(int32_t square) { return board[square].piece > 2 ? "king" : "man"; }

// The first capture the side to move may start its turn with, by name.
std::string a_capture(int32_t side) {
    Square saved[SQUARE_COUNT];
    std::memcpy(saved, board, sizeof saved);
    std::string found;
    for (int32_t from = 0; from < SQUARE_COUNT && found.empty(); from++) {
        if (!owns_piece(from, side)) continue;
        for (int32_t to = 0; to < SQUARE_COUNT && found.empty(); to++) {
            if (is_capture(from, to, side) != 1) continue;
            if (step(from, to, side, 0).verdict == VERDICT_ACCEPTED) found = square_name(from) + "x" + square_name(to);
            std::memcpy(board, saved, sizeof saved);
        }
    }
    return found;
}

// What the rules want instead of the step from `from` to `to`.
std::string refusal(MoveVerdict v, int32_t from, int32_t to, int32_t side, int32_t in_chain) {
    const std::string piece = std::string("the ") + piece_word(from) + " on " + square_name(from);
    if (v == VERDICT_REFUSED_MAN || v == VERDICT_REFUSED_KING) {
        const std::string capture = a_capture(side);
        return std::string(v == VERDICT_REFUSED_KING ? "a king" : "a man") + " must capture" +
               (capture.empty() ? "" : ", such as " + capture);
    }
    if (in_chain) return piece + " must capture again, and " + square_name(to) + " is not where a capture lands";
    if (v == VERDICT_RECLICK) return "a move must leave its square";
    return square_name(from) + "-" + square_name(to) + " is not a move or capture of " + piece;
}

struct ChainSearch {
    ChainSearch(int32_t s, int32_t l) : side(s), last(l) {}

    int32_t side;
    int32_t last;
    long budget = 200000;  // steps tried; a written short form is never that open
    std::vector<int32_t> path;
    std::vector<int32_t> found_path;
    Square found[SQUARE_COUNT];
    int distinct = 0;

    void search(int32_t from, int32_t in_chain) {
        Square saved[SQUARE_COUNT];
        std::memcpy(saved, board, sizeof saved);
        for (int32_t to = 0; to < SQUARE_COUNT && distinct < 2 && budget > 0; to++) {
            if (is_capture(from, to, side) != 1) continue;
            budget--;
            const Step s = step(from, to, side, in_chain);
            if (s.verdict == VERDICT_ACCEPTED) {
                path.push_back(to);
                if (s.again == 0 && to == last) {
                    if (distinct == 0) {
                        std::memcpy(found, board, sizeof found);
                        found_path = path;
                        distinct = 1;
                    } else {
                        bool same = true;
                        for (int i = 0; i < SQUARE_COUNT; i++) same = same && found[i].piece == board[i].piece;
                        if (!same) distinct = 2;
                    }
                } else if (s.again == 1) {
                    search(to, 1);
                }
                path.pop_back();
            }
            std::memcpy(board, saved, sizeof saved);
        }
    }
};

int piece_total() {
    int n = 0;
    for (const Square& s : board) n += s.piece != EMPTY;
    return n;
}

// Plays one written move as a whole turn; false with what the rules want.
// The board is as it was when the move is refused.
bool play_move(const std::string& word, const SquareNumbering& numbering, int32_t side, PdnTurn& turn,
               std::string& why) {
    std::vector<int32_t> squares;
    bool capture = false;
    if (!parse_move_squares(word, numbering, squares, capture, why)) return false;
    if (!owns_piece(squares[0], side)) {
        why = std::string("no ") + (side == BLUE ? "White (blue)" : "Black (red)") + " piece on " +
              square_name(squares[0]);
        return false;
    }
    Square saved[SQUARE_COUNT];
    std::memcpy(saved, board, sizeof saved);
    const int before = piece_total();
    // Every stop written: exactly that chain, and it must end where written.
    int32_t in_chain = 0;
    for (size_t k = 1; k < squares.size(); k++) {
        const int32_t from = squares[k - 1];
        const int32_t to = squares[k];
        const Step s = step(from, to, side, in_chain);
        const bool last = k + 1 == squares.size();
        if (s.verdict != VERDICT_ACCEPTED)
            why = refusal(s.verdict, from, to, side, in_chain);
        else if (!s.again && !last)
            why = "the capture ends on " + square_name(to) + ", not on " + square_name(squares.back());
        else if (s.again && last)
            why = std::string("the ") + piece_word(to) + " on " + square_name(to) + " must capture again";
        if (!why.empty()) break;
        in_chain = s.again;
    }
    if (why.empty()) {
        turn = PdnTurn{squares, piece_total() < before};
        return true;
    }
    std::memcpy(board, saved, sizeof saved);
    if (squares.size() > 2) return false;

    // Only the ends of a chain written: the one chain the rules allow that
    // joins them.
    ChainSearch chains(side, squares[1]);
    chains.path.push_back(squares[0]);
    chains.search(squares[0], 0);
    std::memcpy(board, saved, sizeof saved);
    if (chains.distinct == 0) return false;
    if (chains.distinct > 1 || chains.budget <= 0) {
        why = "more than one capture chain joins " + square_name(squares[0]) + " and " + square_name(squares[1]) +
              ": write the squares between";
        return false;
    }
    std::memcpy(board, chains.found, sizeof chains.found);
    turn = PdnTurn{chains.found_path, true};
    why.clear();
    return true;
}

bool replay_game(const PdnSourceGame& g, const SquareNumbering& numbering, PdnReplay& r, std::string& why) {
    const std::string fen = g.tag("FEN");
    std::string position = "start";
    if (!fen.empty() && g.tag("SetUp") != "0") {
        if (fen.find(':') == std::string::npos) {
            why = "line " + std::to_string(g.line) + ": its FEN " + quoted(fen) + " is not a FEN (W:W...:B...)";
            return false;
        }
        position = fen;
    }
    std::string error;
    if (!parse_position(position, r.side, error, numbering)) {
        why = "line " + std::to_string(g.line) + ": its FEN " + quoted(fen) + ": " + error;
        return false;
    }
    clear_all_marks();
    r.black_first = r.side == RED;
    r.fens.assign(1, format_fen(r.side));
    r.turns.clear();
    for (size_t t = 0; t < g.moves.size(); t++) {
        const PdnWrittenMove& m = g.moves[t];
        const std::string where =
            "line " + std::to_string(m.line) + ", move " + move_number_label(t, r.black_first) + " " + quoted(m.text);
        if (game_result(r.side) != 0) {
            why = where + ": the game was already over";
            return false;
        }
        PdnTurn turn;
        error.clear();
        if (!play_move(m.text, numbering, r.side, turn, error)) {
            why = where + ": " + error;
            return false;
        }
        clear_all_marks();
        r.turns.push_back(turn);
        r.side = other_side(r.side);
        r.fens.push_back(format_fen(r.side));
    }
    return true;
}

}  // namespace

bool pdn_replay(const PdnSourceGame& g, PdnReplay& r, std::string& why) {
    if (!g.fault.empty()) {
        why = g.fault;
        return false;
    }
    SquareNumbering numbering;
    if (!pdn_czech_numbering(g.tag("GameType"), numbering, why)) return false;
    Square saved_board[SQUARE_COUNT];
    std::memcpy(saved_board, board, sizeof saved_board);
    const Settings saved_settings = settings;
    const GameState saved_game = game;
    const bool ok = replay_game(g, numbering, r, why);
    std::memcpy(board, saved_board, sizeof saved_board);
    settings = saved_settings;
    game = saved_game;
    return ok;
}
