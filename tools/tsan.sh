#!/usr/bin/env bash
# The thread sanitizer build (build-tsan): the timer counters driven from
# threads, then the game in a real window under Xvfb: music from start-up
# (captured and checked), a two-player game with a move and its sounds over
# the music while the clock runs, and "Konec" from the menu with status 0.
# Usage: tools/tsan.sh [ASSET_BUILD_DIR [extra cmake arguments...]]
# The game's data and music are copied from ASSET_BUILD_DIR (default build,
# which tools/test.sh has just built) so the generators are not built again
# here; without them there, build-tsan makes its own.
# Any report fails the run: the programs then exit with 66, and every report
# is kept in build-tsan/tsan-reports/ and printed. The game runs several
# times slower instrumented; the window flow's input waits for the game to
# show each step, so it runs once.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/users.sh

assets=${1:-build}
shift || true
reclaim_for_builder build-tsan
as_builder cmake -S . -B build-tsan -DTALVENA_TSAN=ON -DTALVENA_BENCHMARKS=OFF -DTALVENA_WERROR=ON "$@" >/dev/null
as_builder cmake --build build-tsan -j"$(nproc)" --target timer_tests talvena e2e_tests

if [ -s "$assets/Data/talvena.dat" ] && [ -s "$assets/Data/allegro.cfg" ] &&
    compgen -G "$assets/Hudba/*.mp3" >/dev/null; then
    as_builder mkdir -p build-tsan/Data build-tsan/Hudba
    as_builder cp "$assets/Data/talvena.dat" "$assets/Data/allegro.cfg" build-tsan/Data/
    as_builder cp "$assets"/Hudba/*.mp3 build-tsan/Hudba/
else
    as_builder cmake --build build-tsan -j"$(nproc)" --target talvena_data talvena_tracks
fi

reports=$PWD/build-tsan/tsan-reports
as_builder rm -rf "$reports"
as_builder mkdir -p "$reports"
export TSAN_OPTIONS="exitcode=66:log_path=$reports/tsan"
status=0
as_builder build-tsan/timer_tests --gtest_filter='Timers.*' || status=1
(cd build-tsan && as_builder ctest --output-on-failure --no-tests=error -L e2e -R MusicPlaysFromStartUpAndAMoveIsHeardOverIt) || status=1

if compgen -G "$reports/tsan.*" >/dev/null; then
    cat "$reports"/tsan.*
    echo "tools/tsan.sh: ThreadSanitizer reported the above (kept in $reports)" >&2
    status=1
fi
exit $status
