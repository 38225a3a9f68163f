// talvena-cli move and selfplay, run in-process through cli_run; and
// the self-play driver over a few hundred games per pairing of levels.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "ai/ai_setup.h"
#include "cli/cli.h"
#include "cli/cli_run.h"
#include "cli/cli_selfplay.h"
#include "cli/cli_position.h"

namespace {


// The position text of a set-up made with the test helpers.
std::string text_of(int32_t side) { return format_position(side); }

TEST(CliMove, PrintsTheMoveAndTheDecidingRule) {
    set_position({42, 53}, {3, 19}, {56}, {14});
    const std::string trap = text_of(BLUE);
    CliResult r = run_cli({"move", "amateur", trap});
    EXPECT_EQ(r.status, CLI_OK);
    EXPECT_EQ(r.out, "53-44\n");
    EXPECT_TRUE(r.err.empty());
    r = run_cli({"move", "professional", trap, "--explain"});
    EXPECT_EQ(r.out, "53-44\nrule man_step_king_trap\n");

    set_position({14, 62}, {5, 8, 28, 46});
    const std::string threatened = text_of(BLUE);
    EXPECT_EQ(run_cli({"move", "amateur", threatened, "--explain"}).out, "62-55\nrule man_step_combination\n");
    EXPECT_EQ(run_cli({"move", "professional", "--explain", threatened}).out, "14-7\nrule escape_threat\n");
}

TEST(CliMove, SeedDrivesTheRandomRules) {
    const char* steps[7] = {"40-33\n", "42-33\n", "42-35\n", "44-35\n", "44-37\n", "46-37\n", "46-39\n"};
    EXPECT_EQ(run_cli({"move", "amateur", "start"}).out, steps[random_index(1, 7)]);
    for (unsigned seed : {2u, 17u, 4000000000u}) {
        const CliResult r = run_cli({"move", "professional", "start", "--seed", std::to_string(seed)});
        EXPECT_EQ(r.out, steps[random_index(seed, 7)]) << seed;
    }
}

TEST(CliMove, ChainSquareContinuesTheChain) {
    set_position({40, 44}, {10, 33, 37}, {1});
    const std::string pos = text_of(BLUE);
    EXPECT_EQ(run_cli({"move", "amateur", pos}).out, "1-19\n");
    EXPECT_EQ(run_cli({"move", "amateur", pos, "--chain", "44", "--explain"}).out, "44-30\nrule man_jump_any\n");
    // The board is left without marks for whatever runs next.
    EXPECT_EQ(source_square(), -1);
    EXPECT_EQ(target_square(), -1);
    // 40 can capture too, 1 is a king with a capture, 33 is red's, 20 is empty.
    EXPECT_EQ(run_cli({"move", "amateur", pos, "--chain", "40"}).out, "40-26\n");
    expect_bad_input(run_cli({"move", "amateur", pos, "--chain", "33"}), "opponent's piece");
    expect_bad_input(run_cli({"move", "amateur", pos, "--chain", "17"}), "empty square");
    set_position({40, 44}, {10, 37}, {1});
    expect_bad_input(run_cli({"move", "amateur", text_of(BLUE), "--chain", "40"}), "piece without capture");
}

TEST(CliMove, NoMovePrintsNone) {
    // Blue's only man is blocked: 49 is occupied and the jump lands on 42.
    set_position({56}, {42, 49});
    EXPECT_EQ(run_cli({"move", "professional", text_of(BLUE), "--explain"}).out, "none\nrule none\n");
}

TEST(CliMove, BadInput) {
    expect_bad_input(run_cli({"move"}), "nothing");
    expect_bad_input(run_cli({"move", "amateur"}), "no position");
    expect_bad_input(run_cli({"move", "expert", "start"}), "unknown level");
    expect_bad_input(run_cli({"move", "Amateur", "start"}), "level is case-sensitive");
    expect_bad_input(run_cli({"move", "amateur", "nonsense"}), "bad position");
    expect_bad_input(run_cli({"move", "amateur", "start", "extra"}), "extra word");
    expect_bad_input(run_cli({"move", "amateur", "start", "--seed"}), "seed without value");
    for (const char* s : {"-1", "x", "", "4294967296", "1e3", "99999999999999999999999"})
        expect_bad_input(run_cli({"move", "amateur", "start", "--seed", s}), std::string("seed ") + s);
    for (const char* c : {"64", "-1", "a", ""})
        expect_bad_input(run_cli({"move", "amateur", "start", "--chain", c}), std::string("chain ") + c);
    expect_bad_input(run_cli({"move", "amateur", "start", "--pieces", "8"}), "option of another command");
    expect_bad_input(run_cli({"move", "amateur", "start", "--bogus"}), "unknown option");
}

TEST(CliSelfplay, PrintsTotalsThatAddUp) {
    const CliResult r = run_cli({"selfplay", "6", "professional", "amateur", "--seed", "3", "--pieces", "8"});
    ASSERT_EQ(r.status, CLI_OK) << r.err;
    long blue = -1, red = -1, draws = -1;
    double avg = -1;
    ASSERT_EQ(std::sscanf(r.out.c_str(), "blue_wins %ld\nred_wins %ld\ndraws %ld\navg_moves %lf", &blue, &red, &draws,
                          &avg),
              4)
        << r.out;
    EXPECT_EQ(blue + red + draws, 6);
    EXPECT_GT(avg, 5.0);
    // The same seed plays the same games.
    EXPECT_EQ(run_cli({"selfplay", "6", "professional", "amateur", "--seed", "3", "--pieces", "8"}).out, r.out);
}

TEST(CliSelfplay, BadInput) {
    expect_bad_input(run_cli({"selfplay"}), "nothing");
    expect_bad_input(run_cli({"selfplay", "10", "amateur"}), "one level");
    for (const char* g : {"0", "-3", "ten", "1000001"})
        expect_bad_input(run_cli({"selfplay", g, "amateur", "amateur"}), std::string("games ") + g);
    expect_bad_input(run_cli({"selfplay", "3", "amateur", "grandmaster"}), "bad level");
    for (const char* p : {"10", "0", "12x", ""})
        expect_bad_input(run_cli({"selfplay", "3", "amateur", "amateur", "--pieces", p}), std::string("pieces ") + p);
    expect_bad_input(run_cli({"selfplay", "3", "amateur", "amateur", "--explain"}), "option of another command");
}

// The game loop's road for every move of many whole games: each choice is
// a move a human would have been allowed, chains continue with their piece,
// no marks stray, and every game ends by a win or the draw rule.
TEST(Selfplay, InvariantsHoldForEveryPairingOfLevels) {
    struct Pairing {
        int32_t blue;
        int32_t red;
    };
    const Pairing pairings[4] = {{LEVEL_AMATEUR, LEVEL_AMATEUR},
                                 {LEVEL_AMATEUR, LEVEL_PROFESSIONAL},
                                 {LEVEL_PROFESSIONAL, LEVEL_AMATEUR},
                                 {LEVEL_PROFESSIONAL, LEVEL_PROFESSIONAL}};
    const Settings before = settings;
    int64_t games = 0;
    for (const Pairing& p : pairings) {
        for (int32_t pieces : {12, 8}) {
            SelfplayTotals t{};
            std::string failure;
            const int64_t n = pieces == 12 ? 80 : 40;
            ASSERT_TRUE(run_selfplay(n, p.blue, p.red, pieces, 11u + static_cast<unsigned>(games), t, failure))
                << failure;
            EXPECT_EQ(t.games, n);
            EXPECT_EQ(t.blue_wins + t.red_wins + t.draws, n);
            EXPECT_GT(t.single_moves, n * 10);
            games += n;
        }
    }
    EXPECT_EQ(games, 480);
    EXPECT_EQ(settings.difficulty, before.difficulty);
    EXPECT_EQ(settings.piece_count, before.piece_count);
}

TEST(Selfplay, ProfessionalBeatsAmateurMoreOftenThanNot) {
    SelfplayTotals as_blue{};
    SelfplayTotals as_red{};
    std::string failure;
    ASSERT_TRUE(run_selfplay(60, LEVEL_PROFESSIONAL, LEVEL_AMATEUR, 12, 5, as_blue, failure)) << failure;
    ASSERT_TRUE(run_selfplay(60, LEVEL_AMATEUR, LEVEL_PROFESSIONAL, 12, 6, as_red, failure)) << failure;
    EXPECT_GT(as_blue.blue_wins, as_blue.red_wins * 2);
    EXPECT_GT(as_red.red_wins, as_red.blue_wins * 2);
}

}  // namespace
