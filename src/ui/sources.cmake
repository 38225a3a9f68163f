list(APPEND CORE_SOURCES src/ui/widgets.cpp src/ui/saved_games.cpp src/ui/menu_logic.cpp src/ui/settings_logic.cpp
     src/ui/slots_logic.cpp src/ui/names_logic.cpp src/ui/text_layout.cpp
     src/ui/sound_options.cpp src/ui/frame_logic.cpp)
list(APPEND GAME_SOURCES src/ui/toolkit.cpp src/ui/names_screen.cpp src/ui/text_screens.cpp src/ui/main_menu.cpp
     src/ui/settings_screen.cpp src/ui/slots_screen.cpp src/ui/sound_options_screen.cpp src/ui/window.cpp)
