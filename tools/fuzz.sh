#!/usr/bin/env bash
# Builds the libFuzzer targets (tests/fuzz, with clang) and runs each for a
# bounded time from a fresh seed corpus; the datafile target also starts from
# build/Data/talvena.dat, the PDN target from our own self-play games.
# Usage: tools/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/users.sh
seconds=${1:-60}
build=build-fuzz
# Run through sudo, the folder an earlier root run left is handed back and
# everything below runs as the builder, so the folder stays theirs.
if [ -n "$builder" ]; then
  reclaim_for_builder "$build"
  status=0
  as_builder bash "$0" "$@" || status=$?
  exit $status
fi
cmake -S tests/fuzz -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALVENA_WERROR=ON \
  ${CMAKE_CXX_COMPILER_LAUNCHER:+-DCMAKE_CXX_COMPILER_LAUNCHER=$CMAKE_CXX_COMPILER_LAUNCHER} >/dev/null
cmake --build "$build" -j2
corpus=$build/corpus
rm -rf "$corpus"
mkdir -p "$corpus"/{settings,saved_games,position,pdn,mp3,datafile}
"$build"/make_seeds "$corpus"
# The shipped datafile, from the plain build, seeds the datafile target.
shipped=build/Data/talvena.dat
if [ -s "$shipped" ]; then
  cp "$shipped" "$corpus/datafile/shipped"
else
  echo "fuzz: no $shipped (build the game first): the datafile target starts from small seeds only" >&2
fi
# A leak fails the run: the targets own all they allocate, and the datafile
# target unloads whatever Allegro loads for it.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
for target in settings saved_games position pdn mp3 datafile; do
  echo "fuzz: $target for ${seconds}s"
  # Track seeds are a few KB; past a block, a file is fed in several.
  max_len=4096
  if [ "$target" = mp3 ]; then max_len=$((2 * 32768 + 7)); fi
  # The shipped datafile whole, and some room to grow.
  if [ "$target" = datafile ]; then max_len=$(( $(stat -c %s "$shipped" 2>/dev/null || echo 0) + 65536 )); fi
  # One input taking over 10 s is a hang, and fails the run.
  if ! "$build/${target}_fuzz" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -print_final_stats=1 \
       -artifact_prefix="$build/$target-" "$corpus/$target" 2>"$build/$target.log"; then
    tail -n 40 "$build/$target.log"
    status=1
  fi
  grep -E 'stat::number_of_executed_units' "$build/$target.log" || true
done
exit $status
