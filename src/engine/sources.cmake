# The engine: bitboard turns and the search of the analysis command and the
# play screen's hint. Core: no Allegro.
list(APPEND CORE_SOURCES
  src/engine/movegen.cpp)
list(APPEND CORE_SOURCES
  src/engine/eval.cpp
  src/engine/search.cpp
  src/engine/engine_games.cpp
  src/engine/tablebase.cpp
  src/engine/tablebase_build.cpp)
