#!/usr/bin/env bash
# Builds Talvena twice (plain, and with address and undefined sanitizers) and
# runs the tests: all of them in the plain build; under the sanitizers every
# test but the real-window flows, of which one whole game is enough there.
# Then the timer counters under the thread sanitizer, and each fuzz target
# for a bounded time (FUZZ_SECONDS, default 40).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh build
bash tools/setup.sh build-san -DTALVENA_SANITIZE=ON -DTALVENA_BENCHMARKS=OFF
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
(cd build && ctest --output-on-failure -j2) || status=1
(cd build-san && ctest --output-on-failure -j2 -LE e2e) || status=1
(cd build-san && ctest --output-on-failure -L e2e -R TwoPlayersPlayAWholeGame) || status=1

cmake -S . -B build-tsan -DTALVENA_TSAN=ON -DTALVENA_BENCHMARKS=OFF >/dev/null
cmake --build build-tsan -j"$(nproc)" --target timer_tests
TSAN_OPTIONS=halt_on_error=1 build-tsan/timer_tests --gtest_filter='Timers.*' || status=1

bash tools/fuzz.sh "${FUZZ_SECONDS:-40}" || status=1
exit $status
