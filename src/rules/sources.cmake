list(APPEND CORE_SOURCES
  src/rules/rules_board.cpp
  src/rules/rules_sim.cpp
  src/rules/rules_game.cpp)
