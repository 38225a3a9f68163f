list(APPEND CORE_SOURCES src/ui/widgets.cpp)
list(APPEND GAME_SOURCES src/ui/toolkit.cpp src/ui/names_screen.cpp src/ui/text_screens.cpp)
# The names editor and the help text layout, without a display.
list(APPEND CORE_SOURCES src/ui/names_logic.cpp src/ui/text_layout.cpp)
