list(APPEND CORE_SOURCES src/ui/widgets.cpp)
list(APPEND GAME_SOURCES src/ui/toolkit.cpp)
