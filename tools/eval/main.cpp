// eval_fit: fits the evaluation's weights to the results of the engine's own
// fast games and prints them as a weights file (and the line for the table in
// src/engine/eval.cpp), with the held-out error of the fit beside the
// built-in weights'.
//   eval_fit [--games N] [--nodes N] [--seed S] [--ridge R] [--out FILE]
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "cli/cli_position.h"
#include "engine/engine.h"
#include "eval/fit.h"

namespace {

constexpr int FOLDS = 5;

void show(int done, int total) {
    if (done % 50 == 0 || done == total) std::fprintf(stderr, "\reval_fit: %d of %d games", done, total);
    if (done == total) std::fprintf(stderr, "\n");
}

std::vector<FitSample> without_fold(const std::vector<FitSample>& all, int fold) {
    std::vector<FitSample> kept;
    for (const FitSample& s : all)
        if (s.game % FOLDS != fold) kept.push_back(s);
    return kept;
}

// The scale that best turns the built-in weights into logits on `samples`.
double best_scale(const std::vector<FitSample>& samples, const EvalWeights& w) {
    double lo = 1e-4, hi = 0.05;
    for (int i = 0; i < 60; i++) {
        const double a = lo + (hi - lo) / 3, b = hi - (hi - lo) / 3;
        if (cross_entropy(samples, logits_of(w, a), 0, 0) < cross_entropy(samples, logits_of(w, b), 0, 0))
            hi = b;
        else
            lo = a;
    }
    return (lo + hi) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    GenerateOptions options;
    double ridge = 1e-4;
    const char* out_path = nullptr;
    for (int i = 1; i < argc; i++) {
        const bool has_value = i + 1 < argc;
        if (std::strcmp(argv[i], "--games") == 0 && has_value)
            options.games = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--nodes") == 0 && has_value)
            options.nodes = std::strtoull(argv[++i], nullptr, 10);
        else if (std::strcmp(argv[i], "--seed") == 0 && has_value)
            options.seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        else if (std::strcmp(argv[i], "--ridge") == 0 && has_value)
            ridge = std::strtod(argv[++i], nullptr);
        else if (std::strcmp(argv[i], "--out") == 0 && has_value)
            out_path = argv[++i];
        else {
            std::fprintf(stderr, "usage: eval_fit [--games N] [--nodes N] [--seed S] [--ridge R] [--out FILE]\n");
            return 2;
        }
    }
    if (options.games < FOLDS || options.nodes < 100) {
        std::fprintf(stderr, "eval_fit: at least %d games of at least 100 nodes a turn\n", FOLDS);
        return 2;
    }
    std::vector<EnginePosition> starts;
    for (const char* name : {"start", "start8"}) {
        int32_t side = 1;
        std::string why;
        parse_position(name, side, why);
        starts.push_back(engine_position_of_board(side));
    }
    const std::vector<FitSample> samples = generate_samples(starts, options, show);

    // Held out: every fifth game, for the built-in weights and the fit alike.
    const std::vector<FitSample> train = without_fold(samples, 0);
    const double scale = best_scale(train, EVAL_WEIGHTS);
    const std::vector<double> held_fit = fit_logistic(train, ridge, 12);
    std::printf("# %zu positions from %d games of %llu nodes a turn, seed %u, ridge %g\n", samples.size(),
                options.games, static_cast<unsigned long long>(options.nodes), options.seed, ridge);
    std::printf("# held-out cross-entropy: built-in weights %.5f (scale %.5f), fitted %.5f\n",
                cross_entropy(samples, logits_of(EVAL_WEIGHTS, scale), FOLDS, 0), scale,
                cross_entropy(samples, held_fit, FOLDS, 0));

    const EvalWeights fitted = weights_of(fit_logistic(samples, ridge, 12));
    const std::string text = format_weights(fitted);
    std::printf("%s# table:", text.c_str());
    for (int i = 0; i < EVAL_TERM_COUNT; i++) std::printf(" %d,", fitted.weight[i]);
    std::printf("\n");
    if (out_path != nullptr) {
        std::ofstream out(out_path);
        out << text;
        if (!out) {
            std::fprintf(stderr, "eval_fit: cannot write %s\n", out_path);
            return 1;
        }
    }
    return 0;
}
