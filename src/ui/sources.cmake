list(APPEND CORE_SOURCES src/ui/widgets.cpp src/ui/saved_games.cpp)
list(APPEND GAME_SOURCES src/ui/toolkit.cpp src/ui/names_screen.cpp src/ui/text_screens.cpp)
