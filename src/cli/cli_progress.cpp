#include "cli/cli_progress.h"

#include <csignal>

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

namespace {

volatile std::sig_atomic_t interrupt_seen = 0;

void on_interrupt(int) { interrupt_seen = 1; }

#ifdef _WIN32
// No sigaction there; the C runtime calls the handler for Ctrl-C and
// Ctrl-Break (on a thread of its own) and never raises SIGTERM.
void (*old_int)(int) = SIG_DFL;
void (*old_break)(int) = SIG_DFL;
#else
struct sigaction old_int = {}, old_term = {};
#endif

}  // namespace

void interrupt_catch() {
    interrupt_seen = 0;
#ifdef _WIN32
    old_int = std::signal(SIGINT, on_interrupt);
    old_break = std::signal(SIGBREAK, on_interrupt);
#else
    struct sigaction stop = {};
    stop.sa_handler = on_interrupt;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGINT, &stop, &old_int);
    sigaction(SIGTERM, &stop, &old_term);
#endif
}

void interrupt_release() {
#ifdef _WIN32
    std::signal(SIGINT, old_int);
    std::signal(SIGBREAK, old_break);
#else
    sigaction(SIGINT, &old_int, nullptr);
    sigaction(SIGTERM, &old_term, nullptr);
#endif
}

bool interrupted() { return interrupt_seen != 0; }
