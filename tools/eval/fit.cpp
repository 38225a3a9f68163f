#include "eval/fit.h"

#include <cmath>
#include <random>

#include "engine/engine_games.h"

namespace {

double sigmoid(double x) { return 1.0 / (1.0 + std::exp(-x)); }

double dot(const int* f, const std::vector<double>& u) {
    double s = 0;
    for (int i = 0; i < EVAL_TERM_COUNT; i++) s += u[static_cast<size_t>(i)] * f[i];
    return s;
}

// Solves a x = b in place by elimination with partial pivoting; a is n x n.
std::vector<double> solve(std::vector<double> a, std::vector<double> b) {
    const size_t n = b.size();
    for (size_t c = 0; c < n; c++) {
        size_t pivot = c;
        for (size_t r = c + 1; r < n; r++)
            if (std::fabs(a[r * n + c]) > std::fabs(a[pivot * n + c])) pivot = r;
        for (size_t k = 0; k < n; k++) std::swap(a[c * n + k], a[pivot * n + k]);
        std::swap(b[c], b[pivot]);
        for (size_t r = c + 1; r < n; r++) {
            const double f = a[r * n + c] / a[c * n + c];
            for (size_t k = c; k < n; k++) a[r * n + k] -= f * a[c * n + k];
            b[r] -= f * b[c];
        }
    }
    std::vector<double> x(n);
    for (size_t c = n; c-- > 0;) {
        double s = b[c];
        for (size_t k = c + 1; k < n; k++) s -= a[c * n + k] * x[k];
        x[c] = s / a[c * n + c];
    }
    return x;
}

}  // namespace

std::vector<FitSample> generate_samples(const std::vector<EnginePosition>& starts, const GenerateOptions& options,
                                        void (*progress)(int done, int total)) {
    const std::vector<EngineOpening> openings = balanced_openings(starts, options.opening_turns, ENGINE_OPENING_MARGIN, ENGINE_OPENING_DEPTH);
    std::vector<FitSample> samples;
    for (int g = 0; g < options.games; g++) {
        std::mt19937 rng(options.seed * 1000003u + static_cast<unsigned>(g));
        const EngineOpening& o = openings[static_cast<size_t>(g) % openings.size()];
        int turn = 0;
        const EnginePlayer player = [&](const EnginePosition& p, const std::vector<uint64_t>& played) {
            EngineMove moves[ENGINE_MAX_MOVES];
            const int n = generate_turns(p, moves);
            const bool random = turn++ < options.random_turns && std::uniform_real_distribution<double>(0, 1)(rng) < options.random_share;
            if (random) return moves[std::uniform_int_distribution<int>(0, n - 1)(rng)];
            SearchLimits limits;
            limits.nodes = options.nodes;
            limits.table_bits = 18;
            return engine_search(p, limits, played).best;
        };
        const EnginePlayer players[2] = {player, player};
        const EngineGame game = play_engine_game(o.position, players);
        for (const EnginePosition& p : game.positions) {
            if (must_capture(p)) continue;
            FitSample s{};
            eval_features(p, s.feature);
            if (eval_ending_divisor(p, evaluate(p)) != 1) continue;
            s.result = game.winner < 0 ? 0.5 : game.winner == p.side ? 1.0 : 0.0;
            s.game = g;
            samples.push_back(s);
        }
        if (progress) progress(g + 1, options.games);
    }
    return samples;
}

std::vector<double> fit_logistic(const std::vector<FitSample>& samples, double ridge, int iterations) {
    const size_t n = EVAL_TERM_COUNT;
    std::vector<double> u(n, 0.0);
    const double count = static_cast<double>(samples.size());
    for (int it = 0; it < iterations; it++) {
        std::vector<double> gradient(n, 0.0), hessian(n * n, 0.0);
        for (const FitSample& s : samples) {
            const double p = sigmoid(dot(s.feature, u));
            const double w = p * (1 - p);
            for (size_t i = 0; i < n; i++) {
                if (s.feature[i] == 0) continue;
                gradient[i] += (p - s.result) * s.feature[i];
                for (size_t j = 0; j < n; j++) hessian[i * n + j] += w * s.feature[i] * s.feature[j];
            }
        }
        for (size_t i = 0; i < n; i++) {
            gradient[i] = gradient[i] / count + ridge * u[i];
            for (size_t j = 0; j < n; j++) hessian[i * n + j] /= count;
            hessian[i * n + i] += ridge;
        }
        const std::vector<double> step = solve(hessian, gradient);
        for (size_t i = 0; i < n; i++) u[i] -= step[i];
    }
    return u;
}

double cross_entropy(const std::vector<FitSample>& samples, const std::vector<double>& u, int folds, int fold) {
    double total = 0;
    int64_t count = 0;
    for (const FitSample& s : samples) {
        if (folds > 0 && s.game % folds != fold) continue;
        const double p = std::min(std::max(sigmoid(dot(s.feature, u)), 1e-12), 1 - 1e-12);
        total -= s.result * std::log(p) + (1 - s.result) * std::log(1 - p);
        count++;
    }
    return count > 0 ? total / static_cast<double>(count) : 0;
}

EvalWeights weights_of(const std::vector<double>& u) {
    EvalWeights w{};
    const double scale = 100.0 / u[EVAL_MAN];
    for (int i = 0; i < EVAL_TERM_COUNT; i++) w.weight[i] = static_cast<int>(std::lround(u[static_cast<size_t>(i)] * scale));
    return w;
}

std::vector<double> logits_of(const EvalWeights& w, double scale) {
    std::vector<double> u(EVAL_TERM_COUNT);
    for (int i = 0; i < EVAL_TERM_COUNT; i++) u[static_cast<size_t>(i)] = w.weight[i] * scale;
    return u;
}
