# The analysis command. Its logic is a library so the unit tests can run the
# commands without a process; cli_entry.cpp only prints what they answer.
# Further command files are added to this list.
add_library(talvena_cli_lib STATIC
  src/cli/cli_main.cpp
  src/cli/cli_errors.cpp
  src/cli/cli_perft.cpp
  src/cli/cli_show.cpp
  src/cli/cli_slots.cpp
  src/cli/cli_options.cpp
  src/cli/cli_move.cpp
  src/cli/cli_selfplay.cpp
  src/cli/cli_selfplay_games.cpp
  src/cli/cli_pdn.cpp
  src/cli/cli_bench.cpp
  src/cli/cli_analyse.cpp
  src/cli/cli_match.cpp
  src/cli/cli_match_engines.cpp
  src/cli/cli_match_stats.cpp
  src/cli/cli_tablebase.cpp
  src/cli/cli_progress.cpp)
target_link_libraries(talvena_cli_lib PUBLIC talvena_core)

add_executable(talvena-cli src/cli/cli_entry.cpp)
target_link_libraries(talvena-cli PRIVATE talvena_cli_lib)
set_target_properties(talvena-cli PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
