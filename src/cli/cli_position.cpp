#include "cli/cli_position.h"

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

void opening(int32_t men) {
    // The game's own set-up, without leaving the player's choice changed.
    const int32_t saved = settings.piece_count;
    settings.piece_count = men;
    reset_board();
    settings.piece_count = saved;
}

std::string square_name(int i) { return std::to_string(i) + " (row " + std::to_string(i / 8) + ", column " + std::to_string(i % 8) + ")"; }

}  // namespace

bool parse_position(const std::string& text, int32_t& side, std::string& error) {
    if (text == "start" || text == "start8") {
        opening(text == "start" ? 12 : 8);
        side = BLUE;
        return true;
    }
    if (text.size() != POSITION_TEXT) {
        error = "position must be 8 rows of 8 squares separated by '/', a space and the side to move (b or r), " +
                std::to_string(POSITION_TEXT) + " characters; got " + std::to_string(text.size());
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
            error = "unknown piece character on square " + square_name(i) + "; use . b r B R";
            return false;
        }
        if (piece != EMPTY && board[i].light) {
            error = "piece on light square " + square_name(i);
            return false;
        }
        // A man on its far row is crowned on the move that brings it there,
        // so such a position cannot arise in a game.
        if ((piece == BLUE_MAN && i < 8) || (piece == RED_MAN && i >= 56)) {
            error = "uncrowned man on its far row, square " + square_name(i);
            return false;
        }
        board[i].piece = piece;
    }
    side = s == 'b' ? BLUE : RED;
    return true;
}

std::string format_position(int32_t side) {
    std::string text;
    for (int i = 0; i < SQUARE_COUNT; i++) {
        if (i > 0 && i % 8 == 0) text += '/';
        text += char_of(board[i].piece);
    }
    text += side == BLUE ? " b" : " r";
    return text;
}

std::string board_diagram() {
    const std::string rule = "      +---+---+---+---+---+---+---+---+\n";
    std::string d = "        +0  +1  +2  +3  +4  +5  +6  +7\n" + rule;
    for (int row = 0; row < 8; row++) {
        const std::string first = std::to_string(row * 8);
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
    return d;
}
