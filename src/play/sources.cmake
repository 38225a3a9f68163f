list(APPEND CORE_SOURCES src/play/layout.cpp)
list(APPEND GAME_SOURCES src/play/render.cpp)
list(APPEND CORE_SOURCES src/play/loop_logic.cpp src/play/game_record.cpp src/play/hint.cpp)
list(APPEND GAME_SOURCES src/play/notices.cpp src/play/game_loop.cpp)
