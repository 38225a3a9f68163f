list(APPEND GAME_SOURCES src/audio/sound_effects.cpp src/audio/music.cpp src/audio/sound_options_screen.cpp)
