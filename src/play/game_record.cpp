// Game play: the record of the game being played.
#include "play/game_record.h"

#include "app/atomic_file.h"
#include "notation/position.h"

GameRecord game_record = {};

namespace {

// The 10 code points of a player's name as UTF-8; a name left empty reads
// as PDN's unknown.
std::string utf8_name(const int32_t name[NAME_LEN]) {
    std::string text;
    for (int i = 0; i < NAME_LEN; i++) {
        const uint32_t c = static_cast<uint32_t>(name[i]);
        if (c == 0) continue;
        if (c < 0x80) {
            text += static_cast<char>(c);
        } else if (c < 0x800) {
            text += static_cast<char>(0xC0 | (c >> 6));
            text += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            text += static_cast<char>(0xE0 | (c >> 12));
            text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x110000) {
            text += static_cast<char>(0xF0 | (c >> 18));
            text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return text.empty() ? "?" : text;
}

// Who plays which side can change during a game (X, a computer side), so
// the names are those of the last move.
void note_names() {
    int32_t side1[NAME_LEN];
    int32_t side2[NAME_LEN];
    side_names(side1, side2);
    game_record.white = utf8_name(side1);
    game_record.black = utf8_name(side2);
    // The computer's name says how strong it played.
    if (settings.opponent == OPPONENT_COMPUTER) {
        const char* level = settings.difficulty == LEVEL_AMATEUR  ? " (amatér)"
                            : settings.difficulty == LEVEL_MASTER ? " (mistr)"
                                                                  : " (profesionál)";
        (settings.computer_side == BLUE ? game_record.white : game_record.black) += level;
    }
}

bool from_opening(const GameRecord& r) {
    if (r.start_turn != BLUE) return false;
    for (int i = 0; i < SQUARE_COUNT; i++) {
        const int32_t opening = board[i].light ? EMPTY : i < 24 ? RED_MAN : i >= 40 ? BLUE_MAN : EMPTY;
        if (r.start_pieces[i] != opening) return false;
    }
    return true;
}

}  // namespace

void record_start() {
    GameRecord& r = game_record;
    for (int i = 0; i < SQUARE_COUNT; i++) r.start_pieces[i] = board[i].piece;
    r.start_turn = game.turn;
    r.starts.clear();
    r.turns.clear();
    r.result = RECORD_UNFINISHED;
    r.kept = 0;
    note_names();
}

void record_step(int32_t from, int32_t to, int32_t first_of_turn, const DrawBook& book) {
    GameRecord& r = game_record;
    if (first_of_turn || r.turns.empty()) {
        TurnStart s;
        for (int i = 0; i < SQUARE_COUNT; i++) s.pieces[i] = board[i].piece;
        s.turn = game.turn;
        s.draw_book = book;
        r.starts.push_back(s);
        r.turns.push_back(PdnTurn{{from, to}, is_capture(from, to, game.turn) == 1});
    } else {
        r.turns.back().squares.push_back(to);
    }
    note_names();
}

const TurnStart* record_chain_start() {
    const GameRecord& r = game_record;
    if (r.starts.empty() || r.starts.size() != r.turns.size()) return nullptr;
    const TurnStart& s = r.starts.back();
    return s.turn == game.turn && r.turns.back().capture ? &s : nullptr;
}

void record_truncate(size_t k) {
    GameRecord& r = game_record;
    if (k < r.starts.size()) r.starts.resize(k);
    if (k < r.turns.size()) r.turns.resize(k);
    r.result = RECORD_UNFINISHED;
}

LastMove last_move(const GameRecord& r, const int32_t pieces_now[SQUARE_COUNT]) {
    LastMove last = {0, 0};
    if (r.turns.empty() || r.starts.size() != r.turns.size()) return last;
    for (const int32_t square : r.turns.back().squares)
        if (square >= 0 && square < SQUARE_COUNT) last.path |= uint64_t(1) << square;
    // The mover's opponent loses pieces only to captures during the turn.
    const TurnStart& before = r.starts.back();
    const int32_t opponent = other_side(before.turn);
    for (int i = 0; i < SQUARE_COUNT; i++) {
        const int32_t p = before.pieces[i];
        const int32_t owner = p == BLUE_MAN || p == BLUE_KING ? BLUE : p == RED_MAN || p == RED_KING ? RED : 0;
        if (owner == opponent && pieces_now[i] != p) last.taken |= uint64_t(1) << i;
    }
    return last;
}

std::string record_pdn() {
    const GameRecord& r = game_record;
    PdnGame g;
    g.event = "Talvena";
    g.site = "?";
    g.date = pdn_today();
    g.round = "?";
    g.white = r.white;
    g.black = r.black;
    g.result = r.result == RECORD_UNFINISHED ? "*" : pdn_result(r.result);
    if (!from_opening(r)) g.fen = fen_of(r.start_pieces, r.start_turn);
    g.turns = r.turns;
    return pdn_text(g);
}

int keep_game(const char* path) {
    GameRecord& r = game_record;
    if (r.kept || r.turns.empty()) return 1;
    std::string bytes;
    if (read_whole_file(path, bytes) < 0) return 0;
    // Games are apart by a blank line, even after one written by hand.
    while (!bytes.empty() && bytes.compare(bytes.size() < 2 ? 0 : bytes.size() - 2, 2, "\n\n") != 0) bytes += '\n';
    bytes += record_pdn();
    if (!write_file_atomically(path, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size())) return 0;
    r.kept = 1;
    return 1;
}
