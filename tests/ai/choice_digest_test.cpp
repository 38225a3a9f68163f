// Every choice of the computer, and every answer of its look-ahead
// predicates, over many whole games and random positions, folded into one
// digest. The expected values were taken from the plain first version of the
// move rules, before any of them was made faster: a faster rule must not
// change a single move, a single rule name or a single answer.
#include <cstdint>
#include <cstring>
#include <random>
#include <string>

#include "ai/ai_setup.h"
#include "rules/rules.h"

namespace {

struct Digest {
    uint64_t h = 14695981039346656037ull;  // FNV-1a
    void add(int64_t v) {
        for (int i = 0; i < 8; i++) {
            h ^= static_cast<uint64_t>(v >> (8 * i)) & 0xff;
            h *= 1099511628211ull;
        }
    }
};

int rule_index(const char* name) {
    if (name == nullptr) return -1;
    for (int i = 0; i < COMPUTER_RULE_COUNT; i++)
        if (std::strcmp(COMPUTER_RULES[i].name, name) == 0) return i;
    ADD_FAILURE() << "unknown rule " << name;
    return -2;
}

struct Tally {
    Digest digest;
    int64_t choices = 0;
    int rule_used[COMPUTER_RULE_COUNT] = {};
};

// Chooses for `side` on the live board, folds the move and its rule in.
void fold_choice(int32_t side, Tally& t) {
    const int rule = rule_index(choose_computer_move_explained(side));
    t.digest.add(rule);
    t.digest.add(source_square());
    t.digest.add(target_square());
    if (rule >= 0) t.rule_used[rule]++;
    t.choices++;
}

// Whole games the way the game loop plays them, each result folded in too.
void play_games(int games, int32_t blue_level, int32_t red_level, int32_t pieces, unsigned seed, Tally& t) {
    std::srand(seed);
    settings.piece_count = pieces;
    for (int g = 0; g < games; g++) {
        reset_board();
        game.game_running = 1;
        DrawBook book;
        draw_book_reset(book);
        int32_t turn = BLUE;
        for (int moves = 0; moves < 4000; moves++) {
            const int32_t winner = game_result(turn);
            if (winner != 0) {
                t.digest.add(100 + winner);
                break;
            }
            if (draw_check(book.quiet_moves, book.last_piece_count, book.draw_snapshot)) {
                t.digest.add(100);
                break;
            }
            settings.difficulty = turn == BLUE ? blue_level : red_level;
            fold_choice(turn, t);
            if (source_square() < 0 || target_square() < 0) break;
            if (perform_move(turn) == 0) turn = other_side(turn);
        }
        clear_marks(1);
        clear_marks(2);
    }
}

// A sparse random position with kings, both sides present.
void random_position(std::mt19937& rng) {
    reset_board();
    for (Square& s : board) s.piece = EMPTY;
    const int32_t density = 15 + static_cast<int32_t>(rng() % 35);
    for (int i = 0; i < SQUARE_COUNT; i++) {
        if (board[i].light || static_cast<int32_t>(rng() % 100) >= density) continue;
        int32_t code = static_cast<int32_t>(rng() % 6);
        code = code < 2 ? code + 3 : code % 2 + 1;  // men twice as often as kings
        if ((code == BLUE_MAN && i < 8) || (code == RED_MAN && i >= 56)) code += 2;
        board[i].piece = code;
    }
}

void fold_predicates(const ScratchBoard& b, Tally& t) {
    for (int32_t side : {BLUE, RED}) {
        ScratchBoard w = b;
        t.digest.add(apply_forced_reply(side, w));
        for (int32_t sq = 0; sq < SQUARE_COUNT; sq++) t.digest.add(w[sq]);
        t.digest.add(sim_side_can_capture(side, b));
        t.digest.add(has_capture_with_clean_follow_up(side, b));
        t.digest.add(can_capture_king(side, b));
        t.digest.add(opponent_has_crowning_run(side, b));
        for (int32_t sq = 0; sq < SQUARE_COUNT; sq++) {
            if (b[sq] == EMPTY) continue;
            t.digest.add(sim_square_attacked(sq, side, b));
            t.digest.add(has_clean_follow_up(side, sq, b));
            t.digest.add(has_safe_follow_up(side, sq, b));
        }
    }
    t.digest.add(man_on_crowning_row(b));
}

}  // namespace

TEST(ChoiceDigest, WholeGamesAtEveryPairingOfLevels) {
    const Settings before = settings;
    Tally t;
    unsigned seed = 7;
    for (int32_t blue : {LEVEL_AMATEUR, LEVEL_PROFESSIONAL})
        for (int32_t red : {LEVEL_AMATEUR, LEVEL_PROFESSIONAL})
            for (int32_t pieces : {12, 8}) play_games(pieces == 12 ? 30 : 20, blue, red, pieces, seed++, t);
    settings = before;
    EXPECT_EQ(t.choices, 11860);
    EXPECT_EQ(t.digest.h, 0x5cd7387ab3885ca3u) << std::hex << t.digest.h;
}

TEST(ChoiceDigest, RandomPositionsWithKingsAndChains) {
    const Settings before = settings;
    Tally t;
    std::mt19937 rng(424242);
    std::srand(99);
    for (int round = 0; round < 1500; round++) {
        random_position(rng);
        ScratchBoard b;
        copy_board_to_scratch(b);
        fold_predicates(b, t);
        for (int32_t level : {LEVEL_AMATEUR, LEVEL_PROFESSIONAL}) {
            settings.difficulty = level;
            for (int32_t side : {BLUE, RED}) {
                clear_marks(1);
                clear_marks(2);
                fold_choice(side, t);
                // The same position in the middle of a chain of the first
                // piece of the side that can capture again.
                clear_marks(1);
                clear_marks(2);
                for (int32_t sq = 0; sq < SQUARE_COUNT; sq++) {
                    if (owns_piece(sq, side) && can_capture_from(sq, side)) {
                        board[sq].source_mark = 1;
                        fold_choice(side, t);
                        break;
                    }
                }
                clear_marks(1);
                clear_marks(2);
            }
        }
    }
    settings = before;
    // Every rule of the list decides somewhere, so the digest covers them all.
    for (int i = 0; i < COMPUTER_RULE_COUNT; i++) EXPECT_GT(t.rule_used[i], 0) << COMPUTER_RULES[i].name;
    EXPECT_EQ(t.choices, 9972);
    EXPECT_EQ(t.digest.h, 0x4481d602406ccedfu) << std::hex << t.digest.h;
}
