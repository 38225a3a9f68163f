list(APPEND CORE_SOURCES src/app/game_state.cpp)
list(APPEND GAME_SOURCES src/app/resources.cpp)
