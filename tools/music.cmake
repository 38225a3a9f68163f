# The background music, composed and synthesised at build time:
# talvena_music renders each track as a 16-bit WAV under tools/music/,
# lame encodes it into Hudba/ in the build directory (the game's working
# directory). Both steps are deterministic, so rebuilds give the same files.

add_executable(talvena_music
  ${CMAKE_SOURCE_DIR}/tools/music/main.cpp
  ${CMAKE_SOURCE_DIR}/tools/music/synth.cpp
  ${CMAKE_SOURCE_DIR}/tools/music/score.cpp
  ${CMAKE_SOURCE_DIR}/tools/music/dream.cpp
  ${CMAKE_SOURCE_DIR}/tools/music/spring.cpp)
set_target_properties(talvena_music PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
# Rendering is a few seconds only when optimised: also in Debug builds, and
# without the sanitizers, which would make every build wait a minute.
target_compile_options(talvena_music PRIVATE -O2)
if(TALVENA_SANITIZE OR TALVENA_TSAN)
  set_property(TARGET talvena_music PROPERTY COMPILE_OPTIONS ${TALVENA_WARNINGS} -O2)
  set_property(TARGET talvena_music PROPERTY LINK_OPTIONS "")
endif()

find_program(LAME_EXECUTABLE lame REQUIRED)

set(TALVENA_TRACKS)
foreach(track dream:DreamOfYou spring:Spring2003)
  string(REPLACE ":" ";" parts ${track})
  list(GET parts 0 piece)
  list(GET parts 1 name)
  set(wav ${CMAKE_BINARY_DIR}/tools/music/${name}.wav)
  set(mp3 ${CMAKE_BINARY_DIR}/Hudba/${name}.mp3)
  add_custom_command(
    OUTPUT ${wav}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/tools/music
    COMMAND talvena_music ${piece} ${wav}
    DEPENDS talvena_music
    COMMENT "Composing ${name}"
    VERBATIM)
  # 160 kbit/s joint stereo, no ID3 tags: just the frames and lame's info
  # frame, which lets the decoder drop the encoder's padding.
  add_custom_command(
    OUTPUT ${mp3}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/Hudba
    COMMAND ${LAME_EXECUTABLE} --quiet --noreplaygain -b 160 ${wav} ${mp3}
    DEPENDS ${wav}
    COMMENT "Encoding Hudba/${name}.mp3"
    VERBATIM)
  list(APPEND TALVENA_TRACKS ${mp3})
endforeach()
add_custom_target(talvena_tracks ALL DEPENDS ${TALVENA_TRACKS})
