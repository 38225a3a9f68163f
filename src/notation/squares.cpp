#include "notation/squares.h"

#include <cstdio>

namespace {

bool dark(int32_t square) { return (square / 8 + square % 8) % 2 == 1; }

bool from_bottom(int corner) { return corner == CORNER_BOTTOM_LEFT || corner == CORNER_BOTTOM_RIGHT; }
bool from_left(int corner) { return corner == CORNER_BOTTOM_LEFT || corner == CORNER_TOP_LEFT; }

bool all_digits(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace

std::string quoted(const std::string& text) {
    std::string q = "'";
    for (size_t k = 0; k < text.size() && q.size() < 80; k++) {
        const unsigned char b = static_cast<unsigned char>(text[k]);
        if (b >= 0x20 && b < 0x7f && b != '\\') {
            q += static_cast<char>(b);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", b);
            q += hex;
        }
    }
    return q + "'";
}

std::string square_name(int32_t square) {
    std::string name;
    name += static_cast<char>('a' + square % 8);
    name += static_cast<char>('8' - square / 8);
    return name;
}

bool parse_square_name(const std::string& text, int32_t& square) {
    if (text.size() != 2 || text[0] < 'a' || text[0] > 'h' || text[1] < '1' || text[1] > '8') return false;
    square = ('8' - text[1]) * 8 + (text[0] - 'a');
    return true;
}

int32_t square_of_number(int number, int corner) {
    if (number < 1 || number > 32) return -1;
    const int k = number - 1;
    const int row = from_bottom(corner) ? 7 - k / 4 : k / 4;
    int seen = 0;
    for (int c = 0; c < 8; c++) {
        const int col = from_left(corner) ? c : 7 - c;
        if (dark(row * 8 + col) && seen++ == k % 4) return row * 8 + col;
    }
    return -1;
}

int number_of_square(int32_t square, int corner) {
    for (int n = 1; n <= 32; n++)
        if (square_of_number(n, corner) == square) return n;
    return 0;
}

bool read_square(const std::string& text, const SquareNumbering& numbering, int32_t& square) {
    if (all_digits(text)) {
        if (text.size() > 2) return false;
        square = square_of_number(std::stoi(text), numbering.numeric ? numbering.corner : numbering.number_corner);
        return square >= 0;
    }
    int32_t named = -1;
    if (!parse_square_name(text, named)) return false;
    // The name as if a1 were at the bottom left, turned to the corner given.
    const int row = from_bottom(numbering.corner) ? named / 8 : 7 - named / 8;
    const int col = from_left(numbering.corner) ? named % 8 : 7 - named % 8;
    square = row * 8 + col;
    return true;
}

std::string pdn_move_text(const std::vector<int32_t>& squares, bool capture) {
    std::string text;
    for (size_t k = 0; k < squares.size(); k++) {
        if (k > 0) text += capture ? 'x' : '-';
        text += square_name(squares[k]);
    }
    return text;
}

std::string move_text(const std::vector<int32_t>& squares, bool capture, bool algebraic) {
    if (algebraic) return pdn_move_text(squares, capture);
    std::string text;
    for (size_t k = 0; k < squares.size(); k++) {
        if (k > 0) text += '-';
        text += std::to_string(squares[k]);
    }
    return text;
}

bool parse_move_squares(const std::string& word, const SquareNumbering& numbering, std::vector<int32_t>& squares,
                        bool& capture, std::string& why) {
    squares.clear();
    capture = false;
    size_t start = 0;
    for (size_t k = 0; k <= word.size(); k++) {
        if (k < word.size() && word[k] != '-' && word[k] != 'x' && word[k] != ':') continue;
        if (k < word.size() && word[k] != '-') capture = true;
        int32_t s = -1;
        if (!read_square(word.substr(start, k - start), numbering, s)) {
            why = "cannot read it as a move: squares are a1..h8 or 1..32, joined by '-', 'x' or ':'";
            return false;
        }
        squares.push_back(s);
        start = k + 1;
    }
    if (squares.size() < 2) {
        why = "a move names at least two squares";
        return false;
    }
    return true;
}

int move_number(size_t ply, bool black_first) { return static_cast<int>((ply + (black_first ? 1 : 0)) / 2 + 1); }

std::string move_number_label(size_t ply, bool black_first) {
    const bool white = (ply + (black_first ? 1 : 0)) % 2 == 0;
    return std::to_string(move_number(ply, black_first)) + (white ? "." : "...");
}
