#!/usr/bin/env bash
# Plays GAMES whole games (default 1250) for every pairing of levels at both
# piece counts with talvena-cli selfplay, which checks every move; stops at
# the first broken invariant; seeds 1 to 8 in this order, as `ctest -L soak`
# plays them (tests/tests.cmake). Usage: tools/soak.sh [GAMES [BUILD_DIR]]
set -euo pipefail
cd "$(dirname "$0")/.."
games=${1:-1250}
cli=${2:-build}/talvena-cli
seed=1
for blue in amateur professional; do
  for red in amateur professional; do
    for pieces in 12 8; do
      echo "== $blue vs $red, $pieces pieces, $games games"
      "$cli" selfplay "$games" "$blue" "$red" --pieces "$pieces" --seed "$seed"
      seed=$((seed + 1))
    done
  done
done
