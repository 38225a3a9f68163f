list(APPEND CORE_SOURCES src/play/layout.cpp)
list(APPEND GAME_SOURCES src/play/render.cpp)
