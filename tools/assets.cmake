# Runtime data of the game, generated at build time: Data/talvena.dat,
# Data/allegro.cfg and the (empty) music directory Hudba/ in the build
# directory, which is the game's working directory.

set(TALVENA_ASSET_SOURCES
  ${CMAKE_SOURCE_DIR}/tools/assets/main.cpp
  ${CMAKE_SOURCE_DIR}/tools/assets/raster.cpp
  ${CMAKE_SOURCE_DIR}/tools/assets/glyphs.cpp
  ${CMAKE_SOURCE_DIR}/tools/assets/datafile.cpp
  ${CMAKE_SOURCE_DIR}/tools/assets/art_pieces.cpp
  ${CMAKE_SOURCE_DIR}/tools/assets/art_backgrounds.cpp
  ${CMAKE_SOURCE_DIR}/tools/assets/scene.cpp
  ${CMAKE_SOURCE_DIR}/tools/assets/sounds.cpp)

add_executable(talvena_assets ${TALVENA_ASSET_SOURCES})
find_package(ZLIB REQUIRED)
target_link_libraries(talvena_assets PRIVATE PkgConfig::FREETYPE PkgConfig::ALLEGRO ZLIB::ZLIB)
# The fonts' letter ranges come from the core (app/font_codes.h).
target_include_directories(talvena_assets PRIVATE ${CMAKE_SOURCE_DIR}/src)
set_target_properties(talvena_assets PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
# The generator is a build tool, not the game: no sanitizers, which would
# make every sanitizer build wait for it.
if(TALVENA_SANITIZE OR TALVENA_TSAN)
  set_property(TARGET talvena_assets PROPERTY COMPILE_OPTIONS ${TALVENA_WARNINGS})
  set_property(TARGET talvena_assets PROPERTY LINK_OPTIONS "")
endif()

set(TALVENA_FONT_DIR /usr/share/fonts/truetype/dejavu)
set(TALVENA_FONTS
  ${TALVENA_FONT_DIR}/DejaVuSans.ttf
  ${TALVENA_FONT_DIR}/DejaVuSans-Bold.ttf
  ${TALVENA_FONT_DIR}/DejaVuSerif-Bold.ttf)

# The generator's own binary is a dependency, so any change to its sources
# (or to the fonts) regenerates the data.
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/Data/talvena.dat ${CMAKE_BINARY_DIR}/Data/allegro.cfg
  COMMAND talvena_assets ${CMAKE_BINARY_DIR} --fonts ${TALVENA_FONT_DIR}
  DEPENDS talvena_assets ${TALVENA_FONTS}
  COMMENT "Generating Data/talvena.dat and Data/allegro.cfg"
  VERBATIM)
add_custom_target(talvena_data ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/Hudba
  DEPENDS ${CMAKE_BINARY_DIR}/Data/talvena.dat ${CMAKE_BINARY_DIR}/Data/allegro.cfg)

# The desktop icon in the sizes of the icon theme, drawn like the pieces.
set(TALVENA_ICON_SIZES 16 22 24 32 48 64 128 256)
set(TALVENA_ICONS)
foreach(size ${TALVENA_ICON_SIZES})
  list(APPEND TALVENA_ICONS ${CMAKE_BINARY_DIR}/icons/talvena-${size}.png)
endforeach()
add_custom_command(
  OUTPUT ${TALVENA_ICONS}
  COMMAND talvena_assets --icons ${CMAKE_BINARY_DIR}/icons
  DEPENDS talvena_assets
  COMMENT "Drawing the desktop icons"
  VERBATIM)
add_custom_target(talvena_icons ALL DEPENDS ${TALVENA_ICONS})

# Renders the play and menu screens from the generated datafile into BMP
# files, to look at the artwork: talvena_assets_preview OUTPUT_DIR.
add_executable(talvena_assets_preview EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/tools/assets/preview.cpp)
target_link_libraries(talvena_assets_preview PRIVATE talvena_game)
target_include_directories(talvena_assets_preview PRIVATE ${CMAKE_SOURCE_DIR}/src)
set_target_properties(talvena_assets_preview PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
