#include "notation/position.h"

#include <cctype>
#include <vector>

#include "app/game_state.h"

namespace {

constexpr int ROW_TEXT = 8;
constexpr int POSITION_TEXT = 8 * ROW_TEXT + 7 + 2;  // rows, slashes, space, side

int32_t piece_of(char c) {
    switch (c) {
        case '.': return EMPTY;
        case 'b': return BLUE_MAN;
        case 'r': return RED_MAN;
        case 'B': return BLUE_KING;
        case 'R': return RED_KING;
        default: return -1;
    }
}

char char_of(int32_t piece) {
    switch (piece) {
        case BLUE_MAN: return 'b';
        case RED_MAN: return 'r';
        case BLUE_KING: return 'B';
        case RED_KING: return 'R';
        default: return '.';
    }
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

void opening(int32_t men) {
    // The game's own set-up, without leaving the player's choice changed.
    const int32_t saved = settings.piece_count;
    settings.piece_count = men;
    reset_board();
    settings.piece_count = saved;
}

std::string describe_square(int i) {
    return std::to_string(i) + " (" + square_name(i) + ", row " + std::to_string(i / 8) + ", column " +
           std::to_string(i % 8) + ")";
}

// One colour's list of a FEN: "Wa1,Kc3,21-24" without its colour letter.
bool parse_fen_list(const std::string& list, int32_t side, const SquareNumbering& numbering, int32_t pieces[],
                    std::string& error) {
    if (list.empty()) return true;
    size_t start = 0;
    for (;;) {
        const size_t comma = list.find(',', start);
        std::string entry = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const bool king = !entry.empty() && entry[0] == 'K';
        if (king) entry.erase(0, 1);
        if (entry.empty()) {
            error = "FEN has an empty entry in the list of " + std::string(side == BLUE ? "W" : "B");
            return false;
        }
        // A range of numbers stands for every square between, both ends in.
        std::vector<int32_t> squares;
        const size_t dash = entry.find('-');
        int32_t sq = -1;
        if (dash != std::string::npos) {
            const std::string low = entry.substr(0, dash);
            const std::string high = entry.substr(dash + 1);
            int32_t unused = -1;
            if (!std::isdigit(static_cast<unsigned char>(low[0])) || high.empty() ||
                !std::isdigit(static_cast<unsigned char>(high[0])) || !read_square(low, numbering, unused) ||
                !read_square(high, numbering, unused) || std::stoi(high) < std::stoi(low)) {
                error = "FEN range " + quoted(entry) + " is not two numbers 1..32, the lower first";
                return false;
            }
            for (int n = std::stoi(low); n <= std::stoi(high); n++) {
                read_square(std::to_string(n), numbering, sq);
                squares.push_back(sq);
            }
        } else if (read_square(entry, numbering, sq)) {
            squares.push_back(sq);
        } else {
            error = "FEN square " + quoted(entry) + " is not one of a1..h8 or 1..32";
            return false;
        }
        for (int32_t sq : squares) {
            const std::string shown = square_name(sq);
            if (pieces[sq] != EMPTY) {
                error = "FEN gives square " + shown + " twice";
                return false;
            }
            const int32_t piece = king ? side + 2 : side;
            if (const char* fault = placement_fault(sq, piece)) {
                error = "FEN puts " + std::string(fault) + ", " + shown;
                return false;
            }
            pieces[sq] = piece;
        }
        if (comma == std::string::npos) return true;
        start = comma + 1;
    }
}

bool parse_fen(const std::string& written, int32_t& side, const SquareNumbering& numbering, std::string& error) {
    // PDN files space their lists and may end them with a full stop.
    std::string text;
    for (char c : written)
        if (!std::isspace(static_cast<unsigned char>(c))) text += c;
    if (!text.empty() && text.back() == '.') text.pop_back();
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t colon; (colon = text.find(':', start)) != std::string::npos; start = colon + 1)
        fields.push_back(text.substr(start, colon - start));
    fields.push_back(text.substr(start));
    if (fields[0] != "W" && fields[0] != "B") {
        error = "FEN must start with the side to move, W: (blue) or B: (red)";
        return false;
    }
    if (fields.size() != 3) {
        error = "FEN must be the side to move and two piece lists, W:W...:B...; got " +
                std::to_string(fields.size() - 1) + " lists";
        return false;
    }
    reset_board();
    int32_t pieces[SQUARE_COUNT] = {};
    bool seen[3] = {false, false, false};
    for (int f = 1; f <= 2; f++) {
        const std::string& list = fields[f];
        const int32_t colour = list.empty() ? 0 : list[0] == 'W' ? BLUE : list[0] == 'B' ? RED : 0;
        if (colour == 0) {
            error = "each FEN piece list must start with its colour, W or B";
            return false;
        }
        if (seen[colour]) {
            error = std::string("FEN gives the list of ") + list[0] + " twice";
            return false;
        }
        seen[colour] = true;
        if (!parse_fen_list(list.substr(1), colour, numbering, pieces, error)) return false;
    }
    for (int i = 0; i < SQUARE_COUNT; i++) board[i].piece = pieces[i];
    side = fields[0] == "W" ? BLUE : RED;
    return true;
}

std::string diagram(bool algebraic) {
    const std::string rule = "      +---+---+---+---+---+---+---+---+\n";
    const std::string files = algebraic ? "        a   b   c   d   e   f   g   h\n"
                                        : "        +0  +1  +2  +3  +4  +5  +6  +7\n";
    std::string d = files + rule;
    for (int row = 0; row < 8; row++) {
        const std::string first = algebraic ? std::to_string(8 - row) : std::to_string(row * 8);
        d += std::string(5 - first.size(), ' ') + first + " |";
        for (int col = 0; col < 8; col++) {
            const int i = row * 8 + col;
            const char c = board[i].light ? ' ' : char_of(board[i].piece);
            d += ' ';
            d += c;
            d += " |";
        }
        d += '\n' + rule;
    }
    return algebraic ? d + files : d;
}

}  // namespace

bool parse_position(const std::string& text, int32_t& side, std::string& error,
                    const SquareNumbering& numbering) {
    if (text == "start" || text == "start8") {
        opening(text == "start" ? 12 : 8);
        side = BLUE;
        return true;
    }
    if (text.find(':') != std::string::npos) return parse_fen(text, side, numbering, error);
    if (text.size() != POSITION_TEXT) {
        error = "position must be 8 rows of 8 squares separated by '/', a space and the side to move (b or r), " +
                std::to_string(POSITION_TEXT) + " characters, or a FEN such as W:Wa1,c1:Bf8,h8; got " +
                std::to_string(text.size()) + " characters";
        return false;
    }
    for (int row = 1; row < 8; row++) {
        if (text[row * 9 - 1] != '/') {
            error = "expected '/' after row " + std::to_string(row - 1);
            return false;
        }
    }
    if (text[POSITION_TEXT - 2] != ' ') {
        error = "expected one space between the rows and the side to move";
        return false;
    }
    const char s = text[POSITION_TEXT - 1];
    if (s != 'b' && s != 'r') {
        error = "side to move must be 'b' or 'r'";
        return false;
    }
    reset_board();
    for (int i = 0; i < SQUARE_COUNT; i++) {
        const char c = text[(i / 8) * 9 + i % 8];
        const int32_t piece = piece_of(c);
        if (piece < 0) {
            error = "unknown piece character on square " + describe_square(i) + "; use . b r B R";
            return false;
        }
        if (const char* fault = placement_fault(i, piece)) {
            error = std::string(fault) + ", square " + describe_square(i);
            return false;
        }
        board[i].piece = piece;
    }
    side = s == 'b' ? BLUE : RED;
    return true;
}

std::string position_text_of(const int32_t pieces[], int32_t side) {
    std::string text;
    for (int i = 0; i < SQUARE_COUNT; i++) {
        if (i > 0 && i % 8 == 0) text += '/';
        text += char_of(pieces[i]);
    }
    text += side == BLUE ? " b" : " r";
    return text;
}

namespace {

void live_pieces(int32_t pieces[]) {
    for (int i = 0; i < SQUARE_COUNT; i++) pieces[i] = board[i].piece;
}

}  // namespace

std::string format_position(int32_t side) {
    int32_t pieces[SQUARE_COUNT];
    live_pieces(pieces);
    return position_text_of(pieces, side);
}

std::string format_fen(int32_t side) {
    int32_t pieces[SQUARE_COUNT];
    live_pieces(pieces);
    return fen_of(pieces, side);
}

std::string fen_of(const int32_t pieces[], int32_t side) {
    return std::string(side == BLUE ? "W" : "B") + ":W" + fen_list(pieces, BLUE) + ":B" + fen_list(pieces, RED);
}

std::string board_diagram() { return diagram(false); }
std::string board_diagram_algebraic() { return diagram(true); }
