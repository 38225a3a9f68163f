# The Windows build, cross-compiled by tools/windows.sh with the toolchain
# file beside this one: the game and talvena-cli, linked static so they need
# only Windows' own DLLs, and the platform test run under Wine. The datafile,
# the music and every other test come from the native build.
set(TALVENA_WINDOWS_DEPS "" CACHE PATH "Allegro and libmpg123 built for Windows (tools/windows.sh)")

# Allegro builds no pkg-config file for Windows: its static library and the
# DirectX and system libraries it calls.
find_path(ALLEGRO_INCLUDE_DIR allegro.h REQUIRED)
find_library(ALLEGRO_LIBRARY NAMES alleg44 alleg REQUIRED)
add_library(talvena_allegro INTERFACE)
target_include_directories(talvena_allegro INTERFACE ${ALLEGRO_INCLUDE_DIR})
target_compile_definitions(talvena_allegro INTERFACE ALLEGRO_STATICLINK)
target_link_libraries(talvena_allegro INTERFACE ${ALLEGRO_LIBRARY}
  kernel32 user32 gdi32 comdlg32 ole32 dinput ddraw dxguid winmm dsound)
add_library(PkgConfig::ALLEGRO ALIAS talvena_allegro)

find_path(MPG123_INCLUDE_DIR mpg123.h REQUIRED)
find_library(MPG123_LIBRARY mpg123 REQUIRED)
add_library(talvena_mpg123 INTERFACE)
target_include_directories(talvena_mpg123 INTERFACE ${MPG123_INCLUDE_DIR})
target_link_libraries(talvena_mpg123 INTERFACE ${MPG123_LIBRARY} shlwapi)
add_library(PkgConfig::MPG123 ALIAS talvena_mpg123)

# MinGW's own printf family: C99 formats (%zu, %lld) and snprintf's answer.
# localtime_r and the other POSIX re-entrant calls, from the C runtime.
add_compile_definitions(__USE_MINGW_ANSI_STDIO=1 _POSIX_THREAD_SAFE_FUNCTIONS=200112L WIN32_LEAN_AND_MEAN NOMINMAX)
add_link_options(-static -static-libgcc -static-libstdc++)
set(THREADS_PREFER_PTHREAD_FLAG ON)
find_package(Threads REQUIRED)

set(CORE_SOURCES)
set(GAME_SOURCES)
foreach(dir app rules ai notation engine play ui audio)
  include(src/${dir}/sources.cmake OPTIONAL)
endforeach()

add_library(talvena_core STATIC ${CORE_SOURCES})
target_include_directories(talvena_core PUBLIC ${CMAKE_SOURCE_DIR}/src)
find_package(ZLIB REQUIRED)
target_link_libraries(talvena_core PUBLIC PkgConfig::MPG123 Threads::Threads ZLIB::ZLIB)

add_library(talvena_game STATIC ${GAME_SOURCES})
target_include_directories(talvena_game PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(talvena_game PUBLIC talvena_core PkgConfig::ALLEGRO)

# A window program: no console opens beside the game.
add_executable(talvena WIN32 src/app/main.cpp)
target_link_libraries(talvena PRIVATE talvena_game)
set_target_properties(talvena PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

include(src/cli/sources.cmake OPTIONAL)

# The platform layer's own checks, on Windows' file system (under Wine in
# CI): the atomic writer and the game folder.
add_executable(platform_wintest tests/windows/platform_wintest.cpp)
target_link_libraries(platform_wintest PRIVATE talvena_core)
set_target_properties(platform_wintest PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
