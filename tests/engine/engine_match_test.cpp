// The measuring stick: the match's statistics on known tallies, the opening
// list, whole games between engines, the evaluation's table and its fit.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/game_state.h"
#include "cli/cli_match.h"
#include "cli/cli_position.h"
#include "cli/cli_run.h"
#include "engine/engine.h"
#include "engine/engine_games.h"
#include "eval/fit.h"

namespace {

EnginePosition start_of(const char* text) {
    int32_t side = BLUE;
    std::string why;
    EXPECT_TRUE(parse_position(text, side, why)) << text << ": " << why;
    return engine_position_of_board(side);
}

// The same position seen from the other side: the board turned round and the
// colours swapped. Every term of the evaluation must read it the same.
EnginePosition turned(const EnginePosition& p) {
    int32_t pieces[SQUARE_COUNT] = {};
    for (int s = 0; s < SQUARE_COUNT; s++) {
        const int t = 63 - s;
        if ((p.men[0] >> s) & 1) pieces[t] = RED_MAN;
        if ((p.men[1] >> s) & 1) pieces[t] = BLUE_MAN;
        if ((p.kings[0] >> s) & 1) pieces[t] = RED_KING;
        if ((p.kings[1] >> s) & 1) pieces[t] = BLUE_KING;
    }
    return engine_position(pieces, p.side == 0 ? RED : BLUE);
}

EnginePosition random_engine_position(std::mt19937& rng) {
    int32_t pieces[SQUARE_COUNT] = {};
    const int count = 2 + static_cast<int>(rng() % 20);
    for (int k = 0; k < count; k++) {
        const int s = static_cast<int>(rng() % 64);
        if ((s / 8 + s % 8) % 2 == 0) continue;
        const bool blue = rng() % 2 == 0;
        const bool king = rng() % 4 == 0 || (blue && s < 8) || (!blue && s >= 56);
        pieces[s] = blue ? (king ? BLUE_KING : BLUE_MAN) : (king ? RED_KING : RED_MAN);
    }
    return engine_position(pieces, rng() % 2 ? BLUE : RED);
}

}  // namespace

TEST(MatchStats, EloAndItsIntervalOnKnownTallies) {
    struct Case {
        MatchTally tally;
        double score, elo, low, high;
    };
    const Case cases[] = {
        {{10, 10, 10}, 0.5, 0.0, -104.558, 104.558},
        {{60, 20, 20}, 0.7, 147.191, 86.225, 218.252},
        {{20, 50, 30}, 0.45, -34.860, -84.011, 12.930},
        {{300, 1400, 300}, 0.5, 0.0, -8.342, 8.342},
        {{130, 300, 70}, 0.56, 41.894, 22.814, 61.229},
    };
    for (const Case& c : cases) {
        const EloEstimate e = elo_estimate(c.tally);
        EXPECT_NEAR(e.score, c.score, 1e-9);
        EXPECT_NEAR(e.elo, c.elo, 1e-3) << c.tally.wins;
        EXPECT_NEAR(e.low, c.low, 1e-3) << c.tally.wins;
        EXPECT_NEAR(e.high, c.high, 1e-3) << c.tally.wins;
        EXPECT_TRUE(e.bounded && e.low_bounded && e.high_bounded);
    }
    // Every game won: no finite Elo, nor an upper end.
    const EloEstimate all = elo_estimate({5, 0, 0});
    EXPECT_FALSE(all.bounded);
    EXPECT_FALSE(all.high_bounded);
    // Only draws: no spread, the interval shrinks to the point.
    const EloEstimate draws = elo_estimate({0, 12, 0});
    EXPECT_NEAR(draws.elo, 0.0, 1e-9);
    EXPECT_NEAR(draws.low, 0.0, 1e-9);
    EXPECT_NEAR(draws.high, 0.0, 1e-9);
}

TEST(MatchStats, SequentialTestAcceptsEitherSideOrPlaysOn) {
    const SprtTest test{0, 20, 0.05, 0.05};
    EXPECT_NEAR(sprt_lower(test), -2.944439, 1e-6);
    EXPECT_NEAR(sprt_upper(test), 2.944439, 1e-6);
    struct Case {
        MatchTally tally;
        SprtTest test;
        double llr;
        int verdict;
    };
    const Case cases[] = {
        {{60, 20, 20}, test, 3.335510, 1},
        {{130, 300, 70}, test, 6.803612, 1},
        {{70, 300, 130}, test, -11.090930, -1},
        {{101, 798, 101}, {0, 10, 0.05, 0.05}, -2.049417, 0},
        {{0, 40, 0}, test, 0.0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(sprt_llr(c.tally, c.test), c.llr, 1e-5) << c.tally.wins;
        EXPECT_EQ(sprt_verdict(c.tally, c.test), c.verdict) << c.tally.wins;
    }
    SprtTest parsed;
    std::string why;
    ASSERT_TRUE(parse_sprt("-5,15.5", parsed, why)) << why;
    EXPECT_DOUBLE_EQ(parsed.elo0, -5);
    EXPECT_DOUBLE_EQ(parsed.elo1, 15.5);
    EXPECT_DOUBLE_EQ(parsed.alpha, 0.05);
    ASSERT_TRUE(parse_sprt("0,10,0.01,0.1", parsed, why)) << why;
    EXPECT_DOUBLE_EQ(parsed.alpha, 0.01);
    EXPECT_DOUBLE_EQ(parsed.beta, 0.1);
    for (const char* bad : {"", "5", "10,0", "0,10,0.05", "0,10,0,0.05", "0,10,0.6,0.05", "0;10", "0,10,", "a,b"})
        EXPECT_FALSE(parse_sprt(bad, parsed, why)) << bad;
}

TEST(EngineOpenings, TheListIsFixedBalancedAndReplaysFromItsStart) {
    const std::vector<EnginePosition> starts = {start_of("start"), start_of("start8")};
    const std::vector<EngineOpening> a = balanced_openings(starts, 2, 30, 5);
    const std::vector<EngineOpening> b = balanced_openings(starts, 2, 30, 5);
    ASSERT_EQ(a.size(), b.size());
    ASSERT_GT(a.size(), 10u);
    bool from[2] = {false, false};
    for (size_t i = 0; i < a.size(); i++) {
        EXPECT_EQ(a[i].position.key, b[i].position.key) << i;
        EXPECT_EQ(a[i].score, b[i].score) << i;
        EXPECT_LE(std::abs(a[i].score), 30);
        ASSERT_EQ(a[i].turns.size(), 2u);
        from[a[i].start] = true;
        // Each turn is one the position allows, and the last leaves the opening's position.
        EnginePosition p = starts[static_cast<size_t>(a[i].start)];
        for (const EngineMove& m : a[i].turns) {
            EngineMove moves[ENGINE_MAX_MOVES];
            const int n = generate_turns(p, moves);
            bool legal = false;
            for (int k = 0; k < n; k++) legal = legal || move_squares(moves[k]) == move_squares(m);
            EXPECT_TRUE(legal) << i;
            p = after_turn(p, m);
        }
        EXPECT_EQ(p.key, a[i].position.key);
        for (size_t j = 0; j < i; j++) EXPECT_NE(a[j].position.key, a[i].position.key) << i << " " << j;
    }
    EXPECT_TRUE(from[0] && from[1]);
    // A wider margin keeps at least as many; none drops out.
    EXPECT_GE(balanced_openings(starts, 2, 1000, 5).size(), a.size());
}

TEST(EngineGames, TheDriverEndsGamesByTheRules) {
    const auto first_turn = [](const EnginePosition& p, const std::vector<uint64_t>&) {
        EngineMove moves[ENGINE_MAX_MOVES];
        generate_turns(p, moves);
        return moves[0];
    };
    const EnginePlayer first[2] = {first_turn, first_turn};
    // Two kings that never offer a capture: only quiet moves, so the 17th
    // draws, and the keys handed over are every earlier position of the game.
    size_t most_played = 0;
    const auto counting = [&](const EnginePosition& p, const std::vector<uint64_t>& played) {
        most_played = std::max(most_played, played.size());
        EngineMove moves[ENGINE_MAX_MOVES], replies[ENGINE_MAX_MOVES];
        const int n = generate_turns(p, moves);
        for (int i = 0; i < n; i++)
            if (!must_capture(after_turn(p, moves[i])) && generate_turns(after_turn(p, moves[i]), replies) > 0)
                return moves[i];
        return moves[0];
    };
    const EnginePlayer counters[2] = {counting, counting};
    const EngineGame kings = play_engine_game(start_of(".B....../......../......../......../......../......../......../......R. b"), counters);
    EXPECT_EQ(kings.winner, -1);
    EXPECT_FALSE(kings.unfinished || kings.bad_turn);
    EXPECT_EQ(kings.positions.size(), 17u);
    EXPECT_EQ(most_played, 16u);
    // Red to move with nothing to move: blue has won before anyone moves.
    const EngineGame blocked = play_engine_game(start_of("......../......../......../......../......../r......./.b....../..b..... r"), first);
    EXPECT_EQ(blocked.winner, 0);
    EXPECT_EQ(blocked.positions.size(), 1u);
    // A capture that takes the last piece wins.
    const EngineGame taken = play_engine_game(start_of("......../......../......../......../......../..r...../.b....../........ b"), first);
    EXPECT_EQ(taken.winner, 0);
    // A player that answers a turn the position does not have is caught.
    const EnginePlayer cheat = [](const EnginePosition&, const std::vector<uint64_t>&) { return EngineMove{}; };
    const EnginePlayer cheats[2] = {cheat, cheat};
    EXPECT_TRUE(play_engine_game(start_of("start"), cheats).bad_turn);
}

TEST(EngineEval, WeightsTextRoundTripsAndRefusesWhatItCannotRead) {
    EvalWeights w{};
    std::string why;
    ASSERT_TRUE(parse_weights(format_weights(EVAL_WEIGHTS), w, why)) << why;
    for (int i = 0; i < EVAL_TERM_COUNT; i++) EXPECT_EQ(w.weight[i], EVAL_WEIGHTS.weight[i]) << EVAL_TERM_NAMES[i];
    const std::string full = format_weights(EVAL_WEIGHTS);
    const std::string without_tempo = full.substr(0, full.find("tempo"));
    struct Bad {
        std::string text, why;
    };
    const Bad bad[] = {
        {without_tempo, "no weight for tempo"},
        {full + "man 5\n", "man given twice"},
        {"queen 5\n" + full, "no term 'queen'"},
        {"man x\n", "one whole number"},
        {"man 5 6\n", "one whole number"},
        {"man 1000000\n", "one whole number"},
    };
    for (const Bad& b : bad) {
        EXPECT_FALSE(parse_weights(b.text, w, why)) << b.text;
        EXPECT_NE(why.find(b.why), std::string::npos) << why;
    }
    // Comments and blank lines are skipped.
    EXPECT_TRUE(parse_weights("# fitted\n\n" + full + "  # end\n", w, why)) << why;
}

TEST(EngineEval, BothSidesReadTheSameTermsTheSameWay) {
    std::mt19937 rng(28);
    for (int n = 0; n < 2000; n++) {
        const EnginePosition p = random_engine_position(rng);
        const EnginePosition q = turned(p);
        int fp[EVAL_TERM_COUNT], fq[EVAL_TERM_COUNT];
        eval_features(p, fp);
        eval_features(q, fq);
        for (int i = 0; i < EVAL_TERM_COUNT; i++) ASSERT_EQ(fp[i], fq[i]) << EVAL_TERM_NAMES[i] << " in position " << n;
        ASSERT_EQ(evaluate(p), evaluate(q)) << n;
    }
    // A man with no enemy ahead of it runs free; one with an enemy in its path does not.
    int f[EVAL_TERM_COUNT];
    eval_features(start_of("......../R......./......../......../......../......../.......b/........ b"), f);
    EXPECT_EQ(f[EVAL_RUNAWAY], 1);
    eval_features(start_of(".R....../......../......../......../......../......../.......b/........ b"), f);
    EXPECT_EQ(f[EVAL_RUNAWAY], 0);  // the king stands in the man's way
    eval_features(start_of(".R....../......../......../......../......../......../.......b/........ r"), f);
    EXPECT_EQ(f[EVAL_RUNAWAY], 0);
}

TEST(EngineSearch, ANodeLimitGivesTheSameSearchEveryTime) {
    SearchLimits limits;
    limits.nodes = 20000;
    limits.table_bits = 16;
    const EnginePosition start = start_of("start");
    const SearchResult a = engine_search(start, limits);
    const SearchResult b = engine_search(start, limits);
    ASSERT_TRUE(a.has_move);
    EXPECT_EQ(a.nodes, b.nodes);
    EXPECT_EQ(a.depth, b.depth);
    EXPECT_EQ(move_squares(a.best), move_squares(b.best));
    // It stops within one check of the limit.
    EXPECT_LE(a.nodes, limits.nodes + 1024);
    // Other weights steer the search: one that loves kings on the long
    // diagonal puts the king there at once.
    EvalWeights w = EVAL_WEIGHTS;
    w.weight[EVAL_LONG_DIAGONAL] = 500;
    SearchLimits diagonal;
    diagonal.depth = 1;
    diagonal.weights = &w;
    const EnginePosition king = start_of("......../r......./...B..../......../......../......../......../........ b");
    const SearchResult onto = engine_search(king, diagonal);
    EXPECT_EQ(onto.best.path[onto.best.length - 1], 28);
    w.weight[EVAL_LONG_DIAGONAL] = -500;
    const SearchResult off = engine_search(king, diagonal);
    EXPECT_FALSE((uint64_t{0x0102040810204080} >> off.best.path[off.best.length - 1]) & 1);
}

TEST(CliMatch, TwoEnginesPlayEveryOpeningWithBothColoursTheSameWayTwice) {
    const std::string hand = std::string(TALVENA_SOURCE_DIR) + "/tools/eval/hand.weights";
    const std::vector<std::string> args = {"match", "4", "--base-weights", hand, "--nodes", "2000", "--openings", "2"};
    const CliResult r = run_cli(args);
    ASSERT_EQ(r.status, CLI_OK) << r.err;
    const std::vector<std::string> lines = lines_of(r.out);
    ASSERT_EQ(lines.size(), 4u) << r.out;
    long long games = 0, wins = 0, draws = 0, losses = 0;
    ASSERT_EQ(std::sscanf(lines[2].c_str(), "games %lld wins %lld draws %lld losses %lld", &games, &wins, &draws, &losses), 4)
        << lines[2];
    EXPECT_EQ(games, 4);
    EXPECT_EQ(wins + draws + losses, 4);
    EXPECT_EQ(lines[3].rfind("elo ", 0), 0u) << lines[3];
    EXPECT_EQ(run_cli(args).out, r.out);  // nodes, not time: the same games

    // The same engine on both sides, under the sequential test: a pair at a time until it decides.
    const CliResult s = run_cli({"match", "6", "--weights", hand, "--base-weights", hand, "--nodes", "1000",
                                 "--openings", "2", "--sprt", "0,300,0.2,0.2"});
    ASSERT_EQ(s.status, CLI_OK) << s.err;
    EXPECT_NE(s.out.find("\nsprt elo0 0 elo1 300 alpha 0.2 beta 0.2 llr "), std::string::npos) << s.out;

    struct Bad {
        std::vector<std::string> args;
        const char* what;
    };
    const Bad bad[] = {
        {{"match", "2", "--weights", "/nonexistent/w"}, "missing weights"},
        {{"match", "2", "--against", "x", "--nodes", "5000"}, "nodes against a program"},
        {{"match", "2", "--against", "x", "--base-weights", hand}, "two opponents"},
        {{"match", "2", "--weights", hand, "--time", "5", "--nodes", "5000"}, "time and nodes"},
        {{"match", "2", "--weights", hand, "--seed", "4"}, "seed"},
        {{"match", "2", "--weights", hand, "--sprt", "20,0"}, "sprt"},
        {{"match", "2", "--weights", hand, "--openings", "4"}, "openings"},
        {{"match", "2", "--nodes", "5000"}, "nodes alone"},
    };
    for (const Bad& b : bad) expect_bad_input(run_cli(b.args), b.what);
}

TEST(CliMatch, AnotherProgramAnswersThroughItsAnalyseCommand) {
    const std::string program = std::string(TALVENA_BUILD_DIR) + "/talvena-cli";
    if (access(program.c_str(), X_OK) != 0) GTEST_SKIP() << "talvena-cli not built";
    const CliResult r = run_cli({"match", "2", "--against", program, "--time", "5", "--openings", "2"});
    ASSERT_EQ(r.status, CLI_OK) << r.err;
    EXPECT_NE(r.out.find("games 2 "), std::string::npos) << r.out;
    // A program that answers nothing useful ends the match as a broken rule.
    const CliResult none = run_cli({"match", "2", "--against", "/bin/true", "--time", "5", "--openings", "2"});
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("/bin/true answered"), std::string::npos) << none.err;
}

TEST(EvalFit, RecoversKnownWeightsAndRepeatsFromItsSeed) {
    // Results drawn from a known logistic model: the fit finds its weights.
    std::mt19937 rng(5);
    std::vector<double> truth(EVAL_TERM_COUNT, 0.0);
    truth[EVAL_MAN] = 0.8;
    truth[EVAL_KING] = 2.0;
    truth[EVAL_RUNAWAY] = -0.5;
    truth[EVAL_TEMPO] = 0.1;
    std::vector<FitSample> samples;
    for (int n = 0; n < 20000; n++) {
        FitSample s{};
        s.feature[EVAL_MAN] = static_cast<int>(rng() % 5) - 2;
        s.feature[EVAL_KING] = static_cast<int>(rng() % 3) - 1;
        s.feature[EVAL_RUNAWAY] = static_cast<int>(rng() % 3) - 1;
        s.feature[EVAL_TEMPO] = 1;
        double x = 0;
        for (int i = 0; i < EVAL_TERM_COUNT; i++) x += truth[static_cast<size_t>(i)] * s.feature[i];
        s.result = std::uniform_real_distribution<double>(0, 1)(rng) < 1 / (1 + std::exp(-x)) ? 1.0 : 0.0;
        s.game = n;
        samples.push_back(s);
    }
    const std::vector<double> u = fit_logistic(samples, 1e-6, 10);
    for (int i : {EVAL_MAN, EVAL_KING, EVAL_RUNAWAY, EVAL_TEMPO})
        EXPECT_NEAR(u[static_cast<size_t>(i)], truth[static_cast<size_t>(i)], 0.08) << EVAL_TERM_NAMES[i];
    EXPECT_LT(cross_entropy(samples, u, 0, 0), cross_entropy(samples, std::vector<double>(EVAL_TERM_COUNT, 0.0), 0, 0));
    const EvalWeights w = weights_of(u);
    EXPECT_EQ(w.weight[EVAL_MAN], 100);
    EXPECT_NEAR(w.weight[EVAL_KING], 250, 20);

    // The training positions follow from the seed alone.
    GenerateOptions options;
    options.games = 3;
    options.nodes = 300;
    options.seed = 9;
    options.opening_turns = 2;
    const std::vector<EnginePosition> starts = {start_of("start"), start_of("start8")};
    const std::vector<FitSample> a = generate_samples(starts, options);
    const std::vector<FitSample> b = generate_samples(starts, options);
    ASSERT_EQ(a.size(), b.size());
    ASSERT_GT(a.size(), 10u);
    for (size_t i = 0; i < a.size(); i++) {
        EXPECT_EQ(a[i].result, b[i].result);
        for (int k = 0; k < EVAL_TERM_COUNT; k++) EXPECT_EQ(a[i].feature[k], b[i].feature[k]);
        EXPECT_TRUE(a[i].result == 0 || a[i].result == 0.5 || a[i].result == 1);
    }
}
