// The engine against the game's own rule functions: the same whole turns in
// every position, forced wins the rules confirm, the draw rule, and a search
// cut short by its time limit.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <string>
#include <vector>

#include "app/game_state.h"
#include "cli/cli_perft.h"
#include "cli/cli_position.h"
#include "cli/cli_run.h"
#include "engine/engine.h"
#include "rules/rules.h"

namespace {

struct Pieces {
    int32_t code[SQUARE_COUNT];
};

Pieces live_pieces() {
    Pieces p;
    for (int i = 0; i < SQUARE_COUNT; i++) p.code[i] = board[i].piece;
    return p;
}

void put_pieces(const Pieces& p) {
    for (int i = 0; i < SQUARE_COUNT; i++) board[i].piece = p.code[i];
    clear_marks(1);
    clear_marks(2);
}

// A whole turn by the rules: the squares passed and the board it leaves.
struct RuleTurn {
    std::vector<int32_t> squares;
    Pieces after;
};

void follow_chain(int32_t side, std::vector<int32_t> squares, std::vector<RuleTurn>& turns) {
    const Pieces before = live_pieces();
    const int32_t from = squares.back();
    for (int32_t to = 0; to < SQUARE_COUNT; to++) {
        put_pieces(before);
        board[from].source_mark = 1;
        if (accept_human_move(from, to, side, squares.size() > 1) != VERDICT_ACCEPTED) continue;
        std::vector<int32_t> longer = squares;
        longer.push_back(to);
        if (perform_move(side) == 1)
            follow_chain(side, longer, turns);
        else
            turns.push_back({longer, live_pieces()});
    }
    put_pieces(before);
}

// Every whole turn the acceptance rule lets `side` make on the live board,
// click by click as the game loop hands them over.
std::vector<RuleTurn> rule_turns(int32_t side) {
    std::vector<RuleTurn> turns;
    for (int32_t from = 0; from < SQUARE_COUNT; from++)
        if (owns_piece(from, side)) follow_chain(side, {from}, turns);
    return turns;
}

EnginePosition engine_of_live(int32_t side) { return engine_position(live_pieces().code, side); }

// A random position the game could reach: no man on its crowning row.
std::string random_position(std::mt19937& rng, int pieces, int king_percent) {
    std::string rows(SQUARE_COUNT, '.');
    std::vector<int> dark;
    for (int i = 0; i < SQUARE_COUNT; i++)
        if ((i / 8 + i % 8) % 2 == 1) dark.push_back(i);
    std::shuffle(dark.begin(), dark.end(), rng);
    for (int k = 0; k < pieces; k++) {
        const int s = dark[k];
        const bool blue = rng() % 2 == 0;
        bool king = static_cast<int>(rng() % 100) < king_percent;
        if ((blue && s < 8) || (!blue && s >= 56)) king = true;
        rows[s] = blue ? (king ? 'B' : 'b') : (king ? 'R' : 'r');
    }
    std::string text;
    for (int r = 0; r < 8; r++) text += (r ? "/" : "") + rows.substr(r * 8, 8);
    return text + (rng() % 2 ? " b" : " r");
}

EnginePosition load(const std::string& text, int32_t& side) {
    std::string why;
    EXPECT_TRUE(parse_position(text, side, why)) << text << ": " << why;
    return engine_of_live(side);
}

// Whether `side` to move on the live board wins within `turns` of its own
// turns whatever the other side does, by the rules alone. A side without a
// move has lost.
bool rules_win_within(int32_t side, int turns) {
    if (turns == 0) return false;
    const Pieces before = live_pieces();
    for (const RuleTurn& t : rule_turns(side)) {
        put_pieces(t.after);
        const std::vector<RuleTurn> replies = rule_turns(other_side(side));
        bool all_lose = true;
        for (size_t r = 0; r < replies.size() && all_lose; r++) {
            put_pieces(replies[r].after);
            all_lose = rules_win_within(side, turns - 1);
        }
        put_pieces(before);
        if (all_lose) return true;
    }
    return false;
}

}  // namespace

TEST(EngineTurns, PerftAgreesWithTheRulesOnBothOpenings) {
    for (const char* start : {"start", "start8"}) {
        int32_t side = 0;
        const EnginePosition p = load(start, side);
        const std::vector<uint64_t> rules = perft_counts(side, 7);
        for (int d = 1; d <= 7; d++) EXPECT_EQ(engine_perft(p, d), rules[d - 1]) << start << " depth " << d;
    }
}

TEST(EngineTurns, SameTurnsAsTheRulesInRandomPositions) {
    std::mt19937 rng(20261208);
    int positions = 0;
    for (int round = 0; round < 3000; round++) {
        // King-heavy sparse endings and crowded middle games in turn.
        const bool kings = round % 2 == 0;
        const std::string text =
            random_position(rng, kings ? 2 + static_cast<int>(rng() % 9) : 12 + static_cast<int>(rng() % 11),
                            kings ? 70 : 12);
        int32_t side = 0;
        const EnginePosition p = load(text, side);
        // The turns themselves: the same squares in the same number.
        std::vector<std::vector<int32_t>> expected;
        for (const RuleTurn& t : rule_turns(side)) expected.push_back(t.squares);
        std::vector<EngineMove> moves(ENGINE_MAX_MOVES);
        const int n = generate_turns(p, moves.data());
        std::vector<std::vector<int32_t>> got;
        for (int i = 0; i < n; i++) got.push_back(move_squares(moves[i]));
        std::sort(expected.begin(), expected.end());
        std::sort(got.begin(), got.end());
        ASSERT_EQ(got, expected) << text;
        // And the positions they leave, two turns further.
        const std::vector<uint64_t> rules = perft_counts(side, 3);
        ASSERT_EQ(engine_perft(p, 2), rules[1]) << text;
        ASSERT_EQ(engine_perft(p, 3), rules[2]) << text;
        positions++;
    }
    EXPECT_EQ(positions, 3000);
}

TEST(EngineTurns, KeysFollowTheTurns) {
    std::mt19937 rng(7);
    for (int round = 0; round < 300; round++) {
        int32_t side = 0;
        const EnginePosition p = load(random_position(rng, 14, 30), side);
        std::vector<EngineMove> moves(ENGINE_MAX_MOVES);
        const int n = generate_turns(p, moves.data());
        for (int i = 0; i < n; i++) {
            const EnginePosition next = after_turn(p, moves[i]);
            int32_t pieces[SQUARE_COUNT] = {};
            for (int s = 0; s < SQUARE_COUNT; s++)
                for (int k = 0; k < 2; k++) {
                    if ((next.men[k] >> s) & 1) pieces[s] = 1 + k;
                    if ((next.kings[k] >> s) & 1) pieces[s] = 3 + k;
                }
            EXPECT_EQ(next.key, engine_position(pieces, next.side + 1).key);
        }
    }
}

// Positions where the rules say the side to move wins in exactly two of its
// turns; the search must find the win at three plies.
TEST(EngineSearch, FindsForcedWinsTheRulesConfirm) {
    std::mt19937 rng(31);
    int found = 0;
    for (int round = 0; round < 4000 && found < 6; round++) {
        int32_t side = 0;
        const std::string text = random_position(rng, 3 + static_cast<int>(rng() % 3), 50);
        const EnginePosition p = load(text, side);
        if (rule_turns(side).empty() || rules_win_within(side, 1) || !rules_win_within(side, 2)) continue;
        found++;
        SearchLimits limits;
        limits.depth = 3;
        const SearchResult r = engine_search(p, limits);
        ASSERT_TRUE(r.has_move) << text;
        EXPECT_TRUE(is_win_score(r.score) && r.score > 0) << text << " score " << r.score;
        EXPECT_EQ(turns_to_win(r.score), 2) << text;
        // Its move keeps the win: every reply leaves a win in one.
        load(text, side);
        bool kept = false;
        for (const RuleTurn& t : rule_turns(side)) {
            if (t.squares != move_squares(r.best)) continue;
            put_pieces(t.after);
            kept = true;
            for (const RuleTurn& reply : rule_turns(other_side(side))) {
                put_pieces(reply.after);
                kept = kept && rules_win_within(side, 1);
                put_pieces(t.after);
            }
        }
        EXPECT_TRUE(kept) << text << " best " << move_text(move_squares(r.best), true, true);
    }
    EXPECT_EQ(found, 6);
}

TEST(EngineSearch, TheSeventeenthQuietMoveDrawsInsideTheSearch) {
    // Blue's king wins in two turns only through a quiet move first; with 16
    // quiet moves behind it that move is the 17th and the game is drawn.
    std::mt19937 rng(5);
    int tried = 0;
    for (int round = 0; round < 20000 && tried < 3; round++) {
        int32_t side = 0;
        const std::string text = random_position(rng, 3, 100);
        EnginePosition p = load(text, side);
        const std::vector<RuleTurn> turns = rule_turns(side);
        if (turns.empty() || !rules_win_within(side, 2) || rules_win_within(side, 1)) continue;
        if (must_capture(p)) continue;
        tried++;
        SearchLimits limits;
        limits.depth = 6;
        EXPECT_GT(engine_search(p, limits).score, ENGINE_WIN - ENGINE_MAX_PLY) << text;
        p.quiet = 16;
        EXPECT_EQ(engine_search(p, limits).score, 0) << text;
    }
    EXPECT_EQ(tried, 3);
}

TEST(EngineSearch, ATimeLimitStillAnswersALegalTurnAndFixedDepthRepeats) {
    int32_t side = 0;
    const std::string middle = ".r.r.r.r/r.r...r./.r.r.r.r/......../...b.b../b.b.b.../.b...b.b/b.b.b.b. r";
    const EnginePosition p = load(middle, side);
    std::vector<std::vector<int32_t>> legal;
    for (const RuleTurn& t : rule_turns(side)) legal.push_back(t.squares);

    SearchLimits quick;
    quick.time_ms = 30;
    const SearchResult r = engine_search(p, quick);
    ASSERT_TRUE(r.has_move);
    EXPECT_GE(r.depth, 1);
    EXPECT_LT(r.depth, ENGINE_MAX_DEPTH);
    EXPECT_NE(std::find(legal.begin(), legal.end(), move_squares(r.best)), legal.end());

    // Stopped from outside before it starts its second depth.
    std::atomic<bool> stop{true};
    SearchLimits stopped;
    stopped.stop = &stop;
    const SearchResult s = engine_search(p, stopped);
    EXPECT_EQ(s.depth, 1);
    EXPECT_NE(std::find(legal.begin(), legal.end(), move_squares(s.best)), legal.end());

    SearchLimits fixed;
    fixed.depth = 7;
    const SearchResult a = engine_search(p, fixed);
    const SearchResult b = engine_search(p, fixed);
    EXPECT_EQ(a.nodes, b.nodes);
    EXPECT_EQ(a.score, b.score);
    EXPECT_EQ(move_squares(a.best), move_squares(b.best));
}

TEST(CliAnalyse, OneLinePerDepthThenTheBestWholeTurn) {
    // Blue's man on c3 takes twice: c3xe5xg7 is its only turn.
    const std::string chain = "W:Wc3:Bd4,f6,a7";
    const CliResult r = run_cli({"analyse", chain, "--depth", "3", "--algebraic"});
    ASSERT_EQ(r.status, CLI_OK) << r.err;
    const std::vector<std::string> lines = lines_of(r.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "best c3xe5xg7");
    for (size_t i = 0; i + 1 < lines.size(); i++) {
        int depth = 0;
        char score[32] = "";
        unsigned long long nodes = 0;
        double nps = 0;
        ASSERT_EQ(std::sscanf(lines[i].c_str(), "depth %d score %31[^n]nodes %llu nps %lf pv", &depth, score, &nodes,
                              &nps),
                  4)
            << lines[i];
        EXPECT_EQ(depth, static_cast<int>(i) + 1);
        EXPECT_NE(lines[i].find(" pv c3xe5xg7"), std::string::npos) << lines[i];
    }
    EXPECT_EQ(lines_of(run_cli({"analyse", "W:W:Bh8", "--depth", "2"}).out).back(), "best none");
    for (const char* bad : {"0", "65", "x"}) expect_bad_input(run_cli({"analyse", "start", "--depth", bad}), bad);
    expect_bad_input(run_cli({"analyse", "start", "--time", "0"}), "time 0");
    expect_bad_input(run_cli({"analyse"}), "no position");
}

TEST(CliMatch, WholeGamesWhoseEveryEngineTurnTheRulesAccept) {
    // Four games: each colour with 12 and with 8 men. A turn the rules refuse
    // would end the run with status 1.
    const CliResult r = run_cli({"match", "4", "--time", "5", "--seed", "3"});
    ASSERT_EQ(r.status, CLI_OK) << r.err;
    const std::vector<std::string> lines = lines_of(r.out);
    ASSERT_GE(lines.size(), 5u) << r.out;
    long long games = 0, wins = 0, draws = 0, losses = 0;
    ASSERT_EQ(std::sscanf(lines.back().c_str(), "games %lld wins %lld draws %lld losses %lld", &games, &wins, &draws,
                          &losses),
              4)
        << lines.back();
    EXPECT_EQ(games, 4);
    EXPECT_EQ(wins + draws + losses, 4);
    EXPECT_EQ(lines[0].rfind("engine blue, 12 men: ", 0), 0u) << lines[0];
    expect_bad_input(run_cli({"match", "0"}), "no games");
    expect_bad_input(run_cli({"match", "2", "--time", "0"}), "time 0");
}
