list(APPEND GAME_SOURCES src/audio/sound_effects.cpp)
