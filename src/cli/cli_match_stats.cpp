#include <cmath>
#include <cstdlib>
#include <sstream>

#include "cli/cli.h"
#include "cli/cli_match.h"

namespace {

double expected_score(double elo) { return 1.0 / (1.0 + std::pow(10.0, -elo / 400.0)); }

struct Moments {
    double n = 0;
    double mean = 0;
    double variance = 0;  // of one game's score
};

Moments moments(const MatchTally& t) {
    Moments m;
    m.n = static_cast<double>(t.wins + t.draws + t.losses);
    if (m.n == 0) return m;
    const double w = static_cast<double>(t.wins), d = static_cast<double>(t.draws), l = static_cast<double>(t.losses);
    m.mean = (w + 0.5 * d) / m.n;
    m.variance = (w * (1 - m.mean) * (1 - m.mean) + d * (0.5 - m.mean) * (0.5 - m.mean) + l * m.mean * m.mean) / m.n;
    return m;
}

}  // namespace

double elo_of_score(double score) { return -400.0 * std::log10(1.0 / score - 1.0); }

EloEstimate elo_estimate(const MatchTally& t) {
    EloEstimate e;
    const Moments m = moments(t);
    if (m.n == 0) return e;
    e.score = m.mean;
    const double half = 1.959963984540054 * std::sqrt(m.variance / m.n);
    const double low = m.mean - half, high = m.mean + half;
    e.bounded = m.mean > 0 && m.mean < 1;
    e.low_bounded = low > 0 && low < 1;
    e.high_bounded = high > 0 && high < 1;
    if (e.bounded) e.elo = elo_of_score(m.mean);
    if (e.low_bounded) e.low = elo_of_score(low);
    if (e.high_bounded) e.high = elo_of_score(high);
    return e;
}

double sprt_llr(const MatchTally& t, const SprtTest& test) {
    const Moments m = moments(t);
    if (m.n == 0 || m.variance <= 0) return 0;
    const double s0 = expected_score(test.elo0), s1 = expected_score(test.elo1);
    return m.n * (s1 - s0) * (2 * m.mean - s0 - s1) / (2 * m.variance);
}

double sprt_lower(const SprtTest& test) { return std::log(test.beta / (1 - test.alpha)); }
double sprt_upper(const SprtTest& test) { return std::log((1 - test.beta) / test.alpha); }

int sprt_verdict(const MatchTally& t, const SprtTest& test) {
    const double llr = sprt_llr(t, test);
    if (llr >= sprt_upper(test)) return 1;
    if (llr <= sprt_lower(test)) return -1;
    return 0;
}

bool parse_sprt(const char* text, SprtTest& test, std::string& error) {
    double v[4] = {0, 0, 0.05, 0.05};
    int count = 0;
    const char* c = text;
    while (count < 4) {
        char* end = nullptr;
        v[count] = std::strtod(c, &end);
        if (end == c || !std::isfinite(v[count])) break;
        count++;
        if (*end == '\0') {
            c = end;
            break;
        }
        if (*end != ',') {
            count = 0;
            break;
        }
        c = end + 1;
    }
    const bool shape = (count == 2 || count == 4) && *c == '\0';
    if (!shape || v[1] <= v[0] || v[2] <= 0 || v[2] >= 0.5 || v[3] <= 0 || v[3] >= 0.5) {
        error = "sprt must be ELO0,ELO1 or ELO0,ELO1,ALPHA,BETA with ELO0 < ELO1 and errors between 0 and 0.5, got " +
                cli_quote(text);
        return false;
    }
    test = SprtTest{v[0], v[1], v[2], v[3]};
    return true;
}
