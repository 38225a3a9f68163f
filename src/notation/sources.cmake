# Squares, positions, moves and games as text, both ways: no Allegro.
list(APPEND CORE_SOURCES src/notation/squares.cpp src/notation/position.cpp src/notation/pdn_write.cpp
  src/notation/pdn_read.cpp)
