#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <utility>
#include <random>
#include <string>
#include <vector>

#include "app/game_state.h"
#include "cli/cli_perft.h"
#include "cli/cli_position.h"
#include "rules/rules.h"

namespace {

// The slow, literal road: every (from, to) click goes through the acceptance
// rule exactly as the game loop hands it over, chains included.
uint64_t reference_perft(int32_t side, int depth);

uint64_t reference_after_accept(int32_t side, int depth) {
    int32_t saved[SQUARE_COUNT];
    for (int i = 0; i < SQUARE_COUNT; i++) saved[i] = board[i].piece;
    uint64_t total = 0;
    if (perform_move(side) == 1) {
        const int32_t chain = source_square();
        for (int32_t to = 0; to < SQUARE_COUNT; to++) {
            clear_marks(1);
            clear_marks(2);
            board[chain].source_mark = 1;
            if (accept_human_move(chain, to, side, 1) == VERDICT_ACCEPTED) total += reference_after_accept(side, depth);
        }
    } else {
        total = depth == 1 ? 1 : reference_perft(other_side(side), depth - 1);
    }
    for (int i = 0; i < SQUARE_COUNT; i++) board[i].piece = saved[i];
    clear_marks(1);
    clear_marks(2);
    return total;
}

uint64_t reference_perft(int32_t side, int depth) {
    uint64_t total = 0;
    for (int32_t from = 0; from < SQUARE_COUNT; from++) {
        if (!owns_piece(from, side)) continue;
        for (int32_t to = 0; to < SQUARE_COUNT; to++) {
            clear_marks(1);
            clear_marks(2);
            board[from].source_mark = 1;
            if (accept_human_move(from, to, side, 0) == VERDICT_ACCEPTED) total += reference_after_accept(side, depth);
        }
    }
    clear_marks(1);
    clear_marks(2);
    return total;
}

// Position text from (square, piece letter) pairs.
std::string position_of(std::initializer_list<std::pair<int, char>> pieces, char side) {
    std::string rows(SQUARE_COUNT, '.');
    for (const auto& p : pieces) rows[p.first] = p.second;
    std::string text;
    for (int r = 0; r < 8; r++) text += (r ? "/" : "") + rows.substr(r * 8, 8);
    return text + " " + side;
}

std::vector<uint64_t> counts_of(const std::string& position, int depth) {
    int32_t side = 0;
    std::string why;
    EXPECT_TRUE(parse_position(position, side, why)) << why;
    return perft_counts(side, depth);
}

}  // namespace

TEST(Perft, OpeningPositions) {
    EXPECT_EQ(counts_of("start", 5), (std::vector<uint64_t>{7, 49, 302, 1469, 7361}));
    // 8 men: still 7 first moves, and the red replies are never blocked.
    EXPECT_EQ(counts_of("start8", 2), (std::vector<uint64_t>{7, 49}));
}

TEST(Perft, LeavesTheBoardAsItWas) {
    int32_t side = 0;
    std::string why;
    ASSERT_TRUE(parse_position("start", side, why));
    const std::string before = format_position(side);
    perft_counts(side, 4);
    EXPECT_EQ(format_position(side), before);
    EXPECT_EQ(source_square(), -1);
    EXPECT_EQ(target_square(), -1);
}

TEST(Perft, LoneKingAgainstAMan) {
    // King on 56 has the seven squares of its diagonal; the man on 1 two steps.
    EXPECT_EQ(counts_of(position_of({{56, 'B'}, {1, 'r'}}, 'b'), 2), (std::vector<uint64_t>{7, 14}));
}

TEST(Perft, KingPrecedenceLongCapturesAndChains) {
    // King 56 must capture: over 49 to 42 and on over 35 to 28, 21, 14 or 7
    // (four chains), or over 49 and 35 in one move to the same four squares.
    // The man on 44 could take 35 but the king comes first; red's man on 1
    // can never be taken.
    const std::string p = position_of({{56, 'B'}, {49, 'r'}, {35, 'r'}, {44, 'b'}, {1, 'r'}}, 'b');
    EXPECT_EQ(counts_of(p, 1), (std::vector<uint64_t>{8}));
}

TEST(Perft, ManChainsChoosingRoutes) {
    // 44 takes 35 or 37, then goes on: from 26 over 17 to 8 or over 19 to
    // 12, from 30 over 21 to 12.
    const std::string p = position_of({{44, 'b'}, {35, 'r'}, {37, 'r'}, {17, 'r'}, {19, 'r'}, {21, 'r'}}, 'b');
    EXPECT_EQ(counts_of(p, 1), (std::vector<uint64_t>{3}));
}

TEST(Perft, ManChainGoesOnWhenAKingCanCaptureMidway) {
    // 49 and 42 stand together, so king 56 cannot capture. 51 takes 42,
    // which opens 49 to the king; the man still finishes over 26 to 19.
    const std::string p = position_of({{56, 'B'}, {49, 'r'}, {42, 'r'}, {51, 'b'}, {26, 'r'}}, 'b');
    EXPECT_EQ(counts_of(p, 1), (std::vector<uint64_t>{1}));
}

TEST(Perft, CrowningEndsTheTurn) {
    // 19 takes 10 onto 1 and is crowned; the new king could take 28 but the
    // turn passes, and red's man on 28 has two steps.
    const std::string p = position_of({{19, 'b'}, {10, 'r'}, {28, 'r'}}, 'b');
    EXPECT_EQ(counts_of(p, 2), (std::vector<uint64_t>{1, 2}));
}

TEST(Perft, ASideWithoutMovesEndsTheBranch) {
    const std::string p = position_of({{44, 'b'}, {35, 'r'}}, 'b');
    EXPECT_EQ(counts_of(p, 3), (std::vector<uint64_t>{1, 0, 0}));
}

TEST(Perft, MatchesTheAcceptanceRuleClickByClick) {
    int32_t side = 0;
    std::string why;
    ASSERT_TRUE(parse_position("start", side, why));
    EXPECT_EQ(reference_perft(side, 4), perft_counts(side, 4)[3]);

    // Random sparse positions with kings, where precedence, long captures and
    // chains all occur.
    std::mt19937 rng(20261207);
    for (int round = 0; round < 150; round++) {
        std::string text;
        for (int i = 0; i < SQUARE_COUNT; i++) {
            if (i > 0 && i % 8 == 0) text += '/';
            const int row = i / 8;
            char c = '.';
            if ((row + i % 8) % 2 == 1 && rng() % 100 < 30) {
                const char kinds[] = {'b', 'r', 'B', 'R', 'b', 'r'};
                c = kinds[rng() % 6];
                if ((c == 'b' && row == 0) || (c == 'r' && row == 7)) c = c == 'b' ? 'B' : 'R';
            }
            text += c;
        }
        text += rng() % 2 ? " b" : " r";
        ASSERT_TRUE(parse_position(text, side, why)) << text << ": " << why;
        const std::vector<uint64_t> fast = perft_counts(side, 3);
        for (int d = 1; d <= 3; d++) {
            ASSERT_TRUE(parse_position(text, side, why));
            EXPECT_EQ(reference_perft(side, d), fast[d - 1]) << text << " depth " << d;
        }
    }
}
