list(APPEND CORE_SOURCES src/app/game_state.cpp src/app/atomic_file.cpp src/app/settings_file.cpp
  src/app/datafile_check.cpp)
list(APPEND GAME_SOURCES src/app/resources.cpp)
