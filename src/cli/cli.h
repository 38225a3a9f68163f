// The analysis command talvena-cli: the game's own rules run on the global
// board from a position given as text. Each command is a record below in a
// file of its own, listed in the table of cli_main.cpp.
#pragma once

#include <string>

// Exit statuses: 0 done, 2 bad input.
constexpr int CLI_OK = 0;
constexpr int CLI_BAD_INPUT = 2;
// A command's answer only: part of the input was bad, an "error:" line for
// each bad part, and what was good is still answered. Exits with 2.
constexpr int CLI_PARTLY_BAD = -2;

// A command receives only its own arguments (the words after its name).
// It writes its answer to `out`, and on bad input exactly one line starting
// with "error:" to `err` and nothing to `out`.
using CliCommandFn = int (*)(int argc, const char* const* argv, std::string& out, std::string& err);

struct CliCommand {
    const char* name;
    const char* usage;    // the synopsis after "talvena-cli "
    const char* summary;  // one line for the list of commands
    const char* help;     // what it does, arguments, options, an example
    CliCommandFn run;
};

// argv[0] is the program name, argv[1] the command.
int cli_run(int argc, const char* const* argv, std::string& out, std::string& err);

// Sets `err` to one "error: ..." line and answers CLI_BAD_INPUT.
int cli_fail(std::string& err, const std::string& message);

// An argument shown inside an error message, with control and non-ASCII
// bytes escaped so any input prints as one safe line.
std::string cli_quote(const char* arg);

// `text` as one word of a shell command line, whatever it holds.
std::string shell_quote(const std::string& text);
// Everything `command` (run by the shell) writes on its standard output;
// empty when it cannot be started.
std::string command_output(const std::string& command);

// Each command's file defines its record; cli_main.cpp lists them.
extern const CliCommand PERFT_COMMAND;
extern const CliCommand SHOW_COMMAND;
extern const CliCommand MOVE_COMMAND;
extern const CliCommand SELFPLAY_COMMAND;
extern const CliCommand BENCH_COMMAND;
extern const CliCommand SLOTS_COMMAND;
extern const CliCommand ANALYSE_COMMAND;
extern const CliCommand MATCH_COMMAND;
extern const CliCommand PDN_COMMAND;
extern const CliCommand TABLEBASE_COMMAND;
