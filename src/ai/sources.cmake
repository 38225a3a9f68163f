list(APPEND CORE_SOURCES
  src/ai/lookahead.cpp
  src/ai/move_rules.cpp
  src/ai/move_selection.cpp
  src/ai/targets.cpp)
