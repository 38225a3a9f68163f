// The match command's two halves: the engine against the professional level
// (cli_match.cpp), and the engine against another engine with the statistics
// that judge it (cli_match_engines.cpp).
#pragma once

#include <cstdint>
#include <string>

#include "cli/cli_options.h"

struct MatchTally {
    int64_t wins = 0;
    int64_t draws = 0;
    int64_t losses = 0;
};

// The Elo difference the score fraction stands for, and the 95 % interval
// from the games' own spread (normal approximation on the mean score). An end
// at a score of 0 or 1 is infinite: `low_bounded` / `high_bounded` false.
struct EloEstimate {
    double score = 0.5;
    double elo = 0;
    double low = 0;
    double high = 0;
    bool bounded = true;  // elo itself finite
    bool low_bounded = true;
    bool high_bounded = true;
};

EloEstimate elo_estimate(const MatchTally& t);
double elo_of_score(double score);

// The sequential probability ratio test of "elo1" against "elo0": the log
// likelihood ratio of the tally (the usual normal approximation over game
// scores; 0 while the games show no spread), and its verdict against the
// bounds log(beta / (1 - alpha)) and log((1 - beta) / alpha).
struct SprtTest {
    double elo0 = 0;
    double elo1 = 0;
    double alpha = 0.05;
    double beta = 0.05;
};

double sprt_llr(const MatchTally& t, const SprtTest& test);
double sprt_lower(const SprtTest& test);
double sprt_upper(const SprtTest& test);
// -1: elo0 accepted, +1: elo1 accepted, 0: play on.
int sprt_verdict(const MatchTally& t, const SprtTest& test);

// "ELO0,ELO1" or "ELO0,ELO1,ALPHA,BETA".
bool parse_sprt(const char* text, SprtTest& test, std::string& error);

// The engine-against-engine match, once cli_match.cpp has seen its options.
int run_engine_match(const CliArgs& args, uint64_t games, std::string& out, std::string& err);
