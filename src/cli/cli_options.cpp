#include "cli/cli_options.h"

#include <cstring>

#include "app/game_state.h"
#include "cli/cli.h"
#include "cli/cli_position.h"

bool CliArgs::has(const char* name) const { return value(name) != nullptr; }

const char* CliArgs::value(const char* name) const {
    const char* found = nullptr;
    for (const auto& g : given)
        if (g.first == name) found = g.second;
    return found;
}

bool parse_args(int argc, const char* const* argv, const char* allowed, CliArgs& args, std::string& error) {
    const std::string list = " " + std::string(allowed) + " ";
    for (int i = 0; i < argc; i++) {
        const char* a = argv[i];
        if (std::strncmp(a, "--", 2) != 0) {
            args.positional.push_back(a);
            continue;
        }
        const std::string name(a);
        const bool flag = list.find(" " + name + " ") != std::string::npos;
        if (!flag && list.find(" " + name + "= ") == std::string::npos) {
            error = "unknown option " + cli_quote(a);
            return false;
        }
        if (flag) {
            args.given.emplace_back(name, "");
            continue;
        }
        if (i + 1 >= argc) {
            error = "option " + name + " needs a value";
            return false;
        }
        args.given.emplace_back(name, argv[++i]);
    }
    return true;
}

bool parse_number(const char* text, uint64_t max, uint64_t& value) {
    if (text == nullptr || text[0] == '\0') return false;
    uint64_t v = 0;
    for (const char* c = text; *c; c++) {
        if (*c < '0' || *c > '9') return false;
        v = v * 10 + static_cast<uint64_t>(*c - '0');
        if (v > max) return false;
    }
    value = v;
    return true;
}

bool parse_count(const char* text, const char* what, uint64_t min, uint64_t max, uint64_t& value,
                 std::string& error) {
    if (parse_number(text, max, value) && value >= min) return true;
    error = std::string(what) + " must be a whole number from " + std::to_string(min) + " to " + std::to_string(max) +
            ", got " + cli_quote(text);
    return false;
}

bool parse_level(const char* text, int32_t& level, std::string& error) {
    for (int32_t l : {LEVEL_AMATEUR, LEVEL_PROFESSIONAL, LEVEL_MASTER}) {
        if (std::strcmp(text, level_name(l)) == 0) {
            level = l;
            return true;
        }
    }
    error = "level must be amateur, professional or master, got " + cli_quote(text);
    return false;
}

const char* level_name(int32_t level) {
    return level == LEVEL_AMATEUR ? "amateur" : level == LEVEL_MASTER ? "master" : "professional";
}

bool parse_seed(const char* text, unsigned& seed, std::string& error) {
    seed = 1;
    if (text == nullptr) return true;
    uint64_t v = 0;
    if (!parse_count(text, "seed", 0, 0xffffffffu, v, error)) return false;
    seed = static_cast<unsigned>(v);
    return true;
}

bool parse_pieces(const char* text, int32_t& pieces, std::string& error) {
    pieces = 12;
    if (text == nullptr) return true;
    if (std::strcmp(text, "12") != 0 && std::strcmp(text, "8") != 0) {
        error = "pieces must be 12 or 8, got " + cli_quote(text);
        return false;
    }
    pieces = text[0] == '8' ? 8 : 12;
    return true;
}

bool parse_square(const std::string& text, int32_t& square) {
    if (parse_square_name(text, square)) return true;
    uint64_t v = 0;
    if (text.size() > 2 || !parse_number(text.c_str(), SQUARE_COUNT - 1, v)) return false;
    square = static_cast<int32_t>(v);
    return true;
}
