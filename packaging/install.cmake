# Installation and the Debian package.
#
# The game reads Data/ and Hudba/ from its working directory and writes its
# settings and saved games into Data/, so the installed binary is not started
# directly: the launcher `talvena` (on the PATH) keeps a game folder per user
# with links to the read-only files installed here and starts the game there.
#
#   cmake --install build [--prefix DIR]     (DESTDIR honoured)
#   cd build && cpack -G DEB                 (talvena_<version>_<arch>.deb)

include(GNUInstallDirs)

set(TALVENA_APP_ID org.example.Talvena)
set(TALVENA_RELEASE_DATE 2026-12-08)
set(TALVENA_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/talvena)
set(TALVENA_LIBEXEC_DIR ${CMAKE_INSTALL_LIBEXECDIR}/talvena)
# Debian keeps the commands that start games in <prefix>/games, which is on
# every user's PATH; talvena-cli is a tool and stays in bin.
set(TALVENA_GAMES_DIR games)

install(TARGETS talvena RUNTIME DESTINATION ${TALVENA_LIBEXEC_DIR})
install(TARGETS talvena-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# share/talvena mirrors the game's working directory: Data/ and Hudba/.
install(FILES ${CMAKE_BINARY_DIR}/Data/talvena.dat ${CMAKE_BINARY_DIR}/Data/allegro.cfg
        DESTINATION ${TALVENA_SHARE_DIR}/Data)
# The endgame tables the build made (up to four pieces), when it made them.
if(TALVENA_TABLES)
  install(FILES ${TALVENA_TABLE_FILES} DESTINATION ${TALVENA_SHARE_DIR}/Data/tables)
endif()
# Whatever tracks the build made; the folder exists even when it made none.
install(DIRECTORY ${CMAKE_BINARY_DIR}/Hudba/ DESTINATION ${TALVENA_SHARE_DIR}/Hudba
        FILES_MATCHING PATTERN "*.mp3")

# The launcher finds the game and its data relative to itself, so a tree
# installed under one prefix still works when moved or packaged under another.
function(talvena_relative_dir out from to)
  file(RELATIVE_PATH rel /prefix/${from} /prefix/${to})
  set(${out} ${rel} PARENT_SCOPE)
endfunction()
talvena_relative_dir(TALVENA_BIN_TO_SHARE ${TALVENA_GAMES_DIR} ${TALVENA_SHARE_DIR})
talvena_relative_dir(TALVENA_BIN_TO_LIBEXEC ${TALVENA_GAMES_DIR} ${TALVENA_LIBEXEC_DIR})
configure_file(${CMAKE_SOURCE_DIR}/packaging/talvena.sh.in ${CMAKE_BINARY_DIR}/packaging/talvena @ONLY)
install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/talvena DESTINATION ${TALVENA_GAMES_DIR})

install(FILES ${CMAKE_SOURCE_DIR}/packaging/${TALVENA_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${CMAKE_SOURCE_DIR}/packaging/${TALVENA_APP_ID}.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/packaging/${TALVENA_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${TALVENA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size ${TALVENA_ICON_SIZES})
  install(FILES ${CMAKE_BINARY_DIR}/icons/talvena-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${TALVENA_APP_ID}.png)
endforeach()
# Man pages and the changelog go in compressed, as Debian has them: gzip -9n,
# so the same sources always give the same bytes (no name, no time stamp).
file(STRINGS ${CMAKE_SOURCE_DIR}/packaging/changelog TALVENA_CHANGELOG_HEAD LIMIT_COUNT 1)
if(NOT TALVENA_CHANGELOG_HEAD MATCHES "^talvena \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog does not start with version ${PROJECT_VERSION}: ${TALVENA_CHANGELOG_HEAD}")
endif()
set(TALVENA_GZIPPED)
foreach(name talvena.6 talvena-cli.6 changelog)
  set(gz ${CMAKE_BINARY_DIR}/packaging/${name}.gz)
  add_custom_command(
    OUTPUT ${gz}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/packaging/${name} ${CMAKE_BINARY_DIR}/packaging/${name}
    COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/packaging/${name}
    DEPENDS ${CMAKE_SOURCE_DIR}/packaging/${name}
    VERBATIM)
  list(APPEND TALVENA_GZIPPED ${gz})
endforeach()
add_custom_target(talvena_gzipped ALL DEPENDS ${TALVENA_GZIPPED})
install(FILES ${CMAKE_BINARY_DIR}/packaging/talvena.6.gz ${CMAKE_BINARY_DIR}/packaging/talvena-cli.6.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
set(TALVENA_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/talvena)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${TALVENA_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME talvena)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Talvena team")
set(CPACK_PACKAGE_CONTACT "Talvena team <talvena@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Czech draughts against the computer or a second player")
set(CPACK_PACKAGE_DESCRIPTION
  "Talvena is a game of Czech draughts for the desktop: one player against a\n"
  "rule-based computer opponent at two levels, or two players at one mouse.\n"
  "It has Czech texts, background music, five save slots and a names editor.\n"
  "The package also holds talvena-cli, which analyses positions with the\n"
  "game's own rules and computer opponent.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Talvena team <talvena@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://example.org/talvena)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
