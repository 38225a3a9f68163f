// Training positions for the evaluation from the engine's own fast games, and
// the logistic regression that fits the evaluation's weights to their results.
// Everything follows from the seed: the same arguments give the same weights.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/engine.h"

struct FitSample {
    int feature[EVAL_TERM_COUNT];
    double result;  // for the side to move: 1 won, 0.5 drawn, 0 lost
    int game;       // which game it came from
};

struct GenerateOptions {
    int games = 1000;
    uint64_t nodes = 2000;  // a turn, both sides
    unsigned seed = 1;
    int opening_turns = 3;  // the balanced openings the games start from
    int random_turns = 6;   // of the first turns after the opening, each may be a random one...
    double random_share = 0.3;  // ...with this chance
};

// Plays the games from the balanced openings of `starts` in turn and
// keeps every position without a capture due whose ending is not scaled down
// (the weighted sum then is the whole evaluation). `progress` hears of each game.
std::vector<FitSample> generate_samples(const std::vector<EnginePosition>& starts, const GenerateOptions& options,
                                        void (*progress)(int done, int total) = nullptr);

// P(result) = 1 / (1 + exp(-sum(u * feature))): Newton's method on the mean
// cross-entropy with a small ridge, from zero. Answers u in logit units.
std::vector<double> fit_logistic(const std::vector<FitSample>& samples, double ridge, int iterations);

// The mean cross-entropy of `u` on the samples of games where game % folds == fold
// (all of them when folds is 0).
double cross_entropy(const std::vector<FitSample>& samples, const std::vector<double>& u, int folds, int fold);

// Weights in hundredths of a man: u scaled so that a man is 100.
EvalWeights weights_of(const std::vector<double>& u);
// The other way: the weights as logit units, w * scale.
std::vector<double> logits_of(const EvalWeights& w, double scale);
