// The words after a command's name: positional arguments, "--name VALUE"
// options and bare flags, and the numbers, levels and squares they hold.
// Every command reads its arguments through here, so the same mistake gets
// the same message whichever command it is made in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CliArgs {
    std::vector<const char*> positional;
    std::vector<std::pair<std::string, const char*>> given;  // options in order; a flag's value is ""

    bool has(const char* name) const;
    // The value of the last `name` given, nullptr when it was not.
    const char* value(const char* name) const;
};

// `allowed` lists the options the command takes, a '=' after those that take
// a value: "--chain= --seed= --explain".
bool parse_args(int argc, const char* const* argv, const char* allowed, CliArgs& args, std::string& error);

// Digits only, checked against `max` before they can overflow.
bool parse_number(const char* text, uint64_t max, uint64_t& value);

// A number from `min` to `max` for the option or argument `what`, with the
// message "WHAT must be a whole number from MIN to MAX, got 'TEXT'".
bool parse_count(const char* text, const char* what, uint64_t min, uint64_t max, uint64_t& value,
                 std::string& error);

// "amateur", "professional" or "master" (the game's "mistr").
bool parse_level(const char* text, int32_t& level, std::string& error);
const char* level_name(int32_t level);

// --seed N: 1 when `text` is nullptr.
bool parse_seed(const char* text, unsigned& seed, std::string& error);

// --pieces 12|8: 12 when `text` is nullptr.
bool parse_pieces(const char* text, int32_t& pieces, std::string& error);

// A square given as its index 0..63 or its name a1..h8.
bool parse_square(const std::string& text, int32_t& square);
