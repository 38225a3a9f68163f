list(APPEND CORE_SOURCES src/app/game_state.cpp src/app/settings_file.cpp
  src/app/datafile_check.cpp src/app/game_folder.cpp)
# The file system calls behind atomic_file.h and game_folder.h.
if(WIN32)
  list(APPEND CORE_SOURCES src/app/atomic_file_windows.cpp src/app/game_folder_windows.cpp)
else()
  list(APPEND CORE_SOURCES src/app/atomic_file.cpp)
endif()
list(APPEND GAME_SOURCES src/app/resources.cpp)
