list(APPEND CORE_SOURCES src/audio/mp3_stream.cpp src/audio/music.cpp)
list(APPEND GAME_SOURCES src/audio/sound_effects.cpp src/audio/music_allegro.cpp)
