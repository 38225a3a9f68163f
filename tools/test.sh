#!/usr/bin/env bash
# Builds Talvena twice (plain, and with address and undefined sanitizers) and
# runs the tests: all of them in the plain build; under the sanitizers every
# test but the real-window flows, of which one whole game is enough there.
# Then the thread sanitizer build (tools/tsan.sh): the timer counters and a
# short real-window run with music. The Windows build and its tests under
# Wine (tools/wine_test.sh). Last, each fuzz target for a bounded time
# (FUZZ_SECONDS, default 30). Run through sudo, the tests run as the user who
# called it.
set -euo pipefail
cd "$(dirname "$0")/.."
# Each step's start, for keeping the whole run within CI's time.
step() { echo "== tools/test.sh: $1 at ${SECONDS} s"; }
step "plain build"
bash tools/setup.sh build
step "sanitizer build"
bash tools/setup.sh build-san -DTALVENA_SANITIZE=ON -DTALVENA_BENCHMARKS=OFF
source tools/users.sh
# Allegro keeps what it allocates until exit: leak reports are off for
# whatever links it; the unit tests (tests/tests.cmake) and the fuzz targets
# turn them on for themselves.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
step "tests"
(cd build && as_builder ctest --output-on-failure -j2 -LE wine) || status=1
step "sanitizer tests"
(cd build-san && as_builder ctest --output-on-failure -j2 -LE 'e2e|package-e2e') || status=1
(cd build-san && as_builder ctest --output-on-failure --no-tests=error -L e2e -R TwoPlayersPlayAWholeGame) || status=1

# The Windows build, cross-built with its libraries (kept in build-windows),
# and its tests under Wine.
step "windows"
bash tools/wine_test.sh build-windows build || status=1

step "thread sanitizer"
bash tools/tsan.sh build || status=1
step "fuzzing"
as_builder bash tools/fuzz.sh "${FUZZ_SECONDS:-30}" || status=1
step "done"
exit $status
