# Under the sanitizers the tests' own code is built unoptimised: the
# instrumented test macros are slow to optimise, and the code under test
# keeps its -O1.
function(talvena_test_executable target)
  add_executable(${target} ${ARGN})
  if(TALVENA_SANITIZE)
    target_compile_options(${target} PRIVATE -O0)
  endif()
endfunction()

# Unit tests of the core (no Allegro, no display): tests/<subsystem>/*_test.cpp.
file(GLOB UNIT_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/*/*_test.cpp)
talvena_test_executable(unit_tests ${UNIT_TEST_SOURCES})
target_link_libraries(unit_tests PRIVATE talvena_core GTest::gtest_main)
target_include_directories(unit_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
# The analysis command's logic lives in talvena_cli_lib so tests can call it.
if(TARGET talvena_cli_lib)
  target_link_libraries(unit_tests PRIVATE talvena_cli_lib)
endif()
target_link_libraries(unit_tests PRIVATE talvena_eval_fit)
target_compile_definitions(unit_tests PRIVATE TALVENA_BUILD_DIR="${CMAKE_BINARY_DIR}" TALVENA_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
# The music tests decode the generated tracks.
target_link_libraries(unit_tests PRIVATE PkgConfig::MPG123)
add_dependencies(unit_tests talvena_tracks)
# The core never touches Allegro, whose own allocations would drown a leak
# report, so under the sanitizers a leak in the unit tests fails them.
if(TALVENA_SANITIZE)
  gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "ASAN_OPTIONS=detect_leaks=1:abort_on_error=1")
else()
  gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60)
endif()

# Tests that link Allegro but open no window (memory bitmaps, the datafile):
# tests/<subsystem>/*_gfxtest.cpp.
file(GLOB GFX_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/*/*_gfxtest.cpp)
if(GFX_TEST_SOURCES)
  talvena_test_executable(gfx_tests ${GFX_TEST_SOURCES})
  target_link_libraries(gfx_tests PRIVATE talvena_game GTest::gtest_main)
  target_include_directories(gfx_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  gtest_discover_tests(gfx_tests WORKING_DIRECTORY ${CMAKE_BINARY_DIR} DISCOVERY_TIMEOUT 60)
endif()

# End-to-end tests: the real game binary in a real X server (Xvfb), driven
# with xdotool and checked on screenshots. tests/e2e/*_e2e.cpp.
file(GLOB E2E_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp)
if(E2E_TEST_SOURCES)
  talvena_test_executable(e2e_tests ${E2E_TEST_SOURCES})
  # Allegro only for its packfile routines: the damaged datafiles are made
  # from the real one's unpacked stream.
  target_link_libraries(e2e_tests PRIVATE talvena_core GTest::gtest_main X11::X11 PkgConfig::ALLEGRO)
  target_include_directories(e2e_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(e2e_tests PRIVATE
    TALVENA_BUILD_DIR="${CMAKE_BINARY_DIR}" TALVENA_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  gtest_discover_tests(e2e_tests WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    PROPERTIES RUN_SERIAL TRUE LABELS e2e DISCOVERY_TIMEOUT 60)
endif()

# Benchmarks are built, not run by ctest: bench/*.cpp under tests/.
file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/bench/*.cpp)
if(BENCH_SOURCES AND TALVENA_BENCHMARKS)
  add_executable(benchmarks ${BENCH_SOURCES})
  target_link_libraries(benchmarks PRIVATE talvena_game benchmark::benchmark benchmark::benchmark_main)
  target_include_directories(benchmarks PRIVATE ${CMAKE_SOURCE_DIR}/tests)
endif()

# Installation and packaging: the installed tree and its launcher without a
# display (label "package"); the launcher under Xvfb ("package-e2e", which
# `ctest -L package` and `ctest -L e2e` both select); the Debian package
# unpacked into a temporary root ("deb"; not in the sanitizer build, whose
# binaries need the sanitizer runtime).
add_test(NAME package_install COMMAND bash ${CMAKE_SOURCE_DIR}/tests/package/install_test.sh ${CMAKE_BINARY_DIR})
set_tests_properties(package_install PROPERTIES LABELS package)
if(NOT TALVENA_SANITIZE)
  add_test(NAME package_deb COMMAND bash ${CMAKE_SOURCE_DIR}/tests/package/deb_test.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(package_deb PROPERTIES LABELS "package;deb" RUN_SERIAL TRUE)
endif()
file(GLOB PACKAGE_E2E_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/package/*_e2e.cpp)
if(PACKAGE_E2E_SOURCES)
  talvena_test_executable(package_e2e_tests ${PACKAGE_E2E_SOURCES} ${CMAKE_SOURCE_DIR}/tests/e2e/harness.cpp)
  target_link_libraries(package_e2e_tests PRIVATE talvena_core GTest::gtest_main X11::X11)
  target_include_directories(package_e2e_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(package_e2e_tests PRIVATE
    TALVENA_BUILD_DIR="${CMAKE_BINARY_DIR}" TALVENA_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    TALVENA_CMAKE_COMMAND="${CMAKE_COMMAND}")
  gtest_discover_tests(package_e2e_tests WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    PROPERTIES RUN_SERIAL TRUE LABELS package-e2e DISCOVERY_TIMEOUT 60)
endif()

# Soak: whole games between every pairing of levels at both piece counts;
# selfplay checks its invariants after every move and fails on the first
# broken one. 10,000 games in the plain build (seconds), fewer under the
# sanitizers. The pairings, their order and seeds 1 to 8 are tools/soak.sh's,
# so both play the same games.
if(TARGET talvena-cli)
  if(TALVENA_SANITIZE)
    set(SOAK_GAMES 250)
  else()
    set(SOAK_GAMES 1250)
  endif()
  set(SOAK_SEED 1)
  foreach(blue amateur professional)
    foreach(red amateur professional)
      foreach(pieces 12 8)
        add_test(NAME soak_${blue}_${red}_${pieces}
          COMMAND talvena-cli selfplay ${SOAK_GAMES} ${blue} ${red} --pieces ${pieces} --seed ${SOAK_SEED})
        set_tests_properties(soak_${blue}_${red}_${pieces} PROPERTIES LABELS soak)
        math(EXPR SOAK_SEED "${SOAK_SEED} + 1")
      endforeach()
    endforeach()
  endforeach()
endif()

# Under the thread sanitizer the timer counters are driven from threads by
# the game state tests: a small target next to the game and its window tests.
if(TALVENA_TSAN)
  add_executable(timer_tests ${CMAKE_SOURCE_DIR}/tests/app/game_state_test.cpp)
  target_link_libraries(timer_tests PRIVATE talvena_core GTest::gtest_main)
endif()

# The core stays free of Allegro, headers included.
string(REPLACE ";" "|" CORE_SOURCE_LIST "${CORE_SOURCES}")
string(REPLACE ";" "|" CORE_INCLUDE_LIST "${MPG123_INCLUDE_DIRS}")
add_test(NAME core_without_allegro COMMAND ${CMAKE_COMMAND} -DCXX=${CMAKE_CXX_COMPILER}
  -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DSOURCES=${CORE_SOURCE_LIST} -DINCLUDES=${CORE_INCLUDE_LIST}
  -P ${CMAKE_SOURCE_DIR}/tools/core_includes.cmake)

# The Windows build under Wine (tests/windows/wine_e2e.cpp): registered once
# tools/windows.sh has made that build and named it here
# (-DTALVENA_WINDOWS_BUILD=DIR, as tools/wine_test.sh does).
set(TALVENA_WINDOWS_BUILD "" CACHE PATH "The Windows build the Wine tests run (tools/windows.sh)")
if(TALVENA_WINDOWS_BUILD)
  talvena_test_executable(wine_e2e_tests ${CMAKE_SOURCE_DIR}/tests/windows/wine_e2e.cpp
    ${CMAKE_SOURCE_DIR}/tests/e2e/harness.cpp)
  target_link_libraries(wine_e2e_tests PRIVATE GTest::gtest_main X11::X11)
  target_include_directories(wine_e2e_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(wine_e2e_tests PRIVATE TALVENA_BUILD_DIR="${CMAKE_BINARY_DIR}"
    TALVENA_WINDOWS_BUILD_DIR="${TALVENA_WINDOWS_BUILD}")
  add_dependencies(wine_e2e_tests talvena-cli)
  gtest_discover_tests(wine_e2e_tests WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    PROPERTIES RUN_SERIAL TRUE LABELS wine DISCOVERY_TIMEOUT 60)
endif()
