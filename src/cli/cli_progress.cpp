#include "cli/cli_progress.h"

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

struct ProgressLine {
    std::FILE* stream = nullptr;
    Clock::time_point start;
    Clock::time_point shown;
    bool any_shown = false;
    size_t width = 0;  // of the last line written, to blank it out
};

ProgressLine line;

constexpr auto REFRESH = std::chrono::milliseconds(100);

}  // namespace

void progress_enable(std::FILE* stream) { line.stream = stream; }

void progress_begin() {
    line.start = Clock::now();
    line.any_shown = false;
    line.width = 0;
}

void progress_show(const std::string& text) {
    if (line.stream == nullptr) return;
    const Clock::time_point now = Clock::now();
    if (line.any_shown && now - line.shown < REFRESH) return;
    line.shown = now;
    line.any_shown = true;
    char elapsed[32];
    std::snprintf(elapsed, sizeof elapsed, ", %.1f s", std::chrono::duration<double>(now - line.start).count());
    std::string shown = text + elapsed;
    const size_t width = shown.size();
    // Blank out what is left of a longer previous line.
    if (width < line.width) shown.append(line.width - width, ' ');
    line.width = width;
    std::fprintf(line.stream, "\r%s", shown.c_str());
    std::fflush(line.stream);
}

void progress_end() {
    if (line.stream == nullptr || !line.any_shown) return;
    std::fprintf(line.stream, "\r%s\r", std::string(line.width, ' ').c_str());
    std::fflush(line.stream);
    line.any_shown = false;
    line.width = 0;
}
