# Cross-building for 32-bit Windows with Debian's MinGW-w64. The -posix
# compilers: the default win32 thread model has no std::thread, which the
# game's hint and timers need. Used for Allegro, libmpg123 (through its
# configure, which gets the same compiler names) and the game itself.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TALVENA_MINGW i686-w64-mingw32)
set(CMAKE_C_COMPILER ${TALVENA_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TALVENA_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TALVENA_MINGW}-windres)
set(CMAKE_AR ${TALVENA_MINGW}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${TALVENA_MINGW}-ranlib CACHE FILEPATH "")
# TALVENA_WINDOWS_DEPS (the libraries built by tools/windows.sh) comes
# before the compiler's own tree.
set(CMAKE_FIND_ROOT_PATH ${TALVENA_WINDOWS_DEPS} /usr/${TALVENA_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# try_compile projects get the folder too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TALVENA_WINDOWS_DEPS)
