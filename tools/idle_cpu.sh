#!/usr/bin/env bash
# What the game costs while it stands still: its share of one core, from
# /proc/PID/stat (utime + stime over wall time), in the main menu, on the
# help screen, in a two-player game waiting for a click, and during the
# computer's pauses, each in a fresh game under its own Xvfb with sound
# going to ALSA's null device. The machine's load is printed beside each
# figure: other work on the machine slows the game and skews the figures.
# Usage: tools/idle_cpu.sh [BUILD_DIR [SECONDS]]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
seconds=${2:-10}
hz=$(getconf CLK_TCK)

work=$(mktemp -d /tmp/talvena-idle-XXXXXX)
xvfb_pid=
game_pid=
cleanup() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' > "$work/.asoundrc"

exec 3<> "$work/displayfd" || true
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp -noreset >/dev/null 2>&1 3>"$work/displayfd" &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/displayfd" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/displayfd")"

# The settings file: 27 little-endian 32-bit integers (opponent, level,
# computer's side, pieces, music volume, effects volume, track, two names).
write_settings() {
  local f=$1; shift
  : > "$f"
  for v in "$@"; do
    for shift in 0 8 16 24; do printf "\\x$(printf %02x $((v >> shift & 255)))" >> "$f"; done
  done
  for _ in $(seq 20); do printf '\x00\x00\x00\x00' >> "$f"; done
}

start_game() {  # opponent computer_side [level]
  rm -rf "$work/run"
  mkdir -p "$work/run"
  cp -r "$build/Data" "$build/Hudba" "$work/run/"
  write_settings "$work/run/Data/talvdat.tdt" "$1" "${3:-1}" "$2" 12 200 200 -1
  (cd "$work/run" && HOME=$work exec "$build/talvena" > "$work/game.log" 2>&1) &
  game_pid=$!
  for _ in $(seq 150); do
    win=$(xdotool search --onlyvisible --name '^Talvena$' 2>/dev/null | head -n1) && [ -n "$win" ] && break
    sleep 0.1
  done
  sleep 1.5
}

stop_game() {
  kill "$game_pid" 2>/dev/null || true
  wait "$game_pid" 2>/dev/null || true
  game_pid=
}

click() {
  xdotool mousemove --window "$win" "$1" "$2"
  sleep 0.05
  xdotool mousedown 1
  sleep 0.1
  xdotool mouseup 1
}

cpu_ticks() { awk '{print $14 + $15}' "/proc/$game_pid/stat"; }
now() { date +%s.%N; }

measure() {  # name duration
  local t0 c0 t1 c1
  t0=$(now); c0=$(cpu_ticks)
  sleep "$2"
  t1=$(now); c1=$(cpu_ticks)
  awk -v n="$1" -v c=$((c1 - c0)) -v hz="$hz" -v t0="$t0" -v t1="$t1" -v load="$(cut -d' ' -f1-3 /proc/loadavg)" \
    'BEGIN { printf "%-28s %5.1f %% of one core over %4.1f s   (load %s)\n", n, 100 * c / hz / (t1 - t0), t1 - t0, load }'
}

start_game 1 2
measure "main menu" "$seconds"
click 100 350   # "Nápověda"
xdotool mousemove --window "$win" 600 580
sleep 1
measure "help screen" "$seconds"
stop_game

start_game 2 2
click 100 80    # "Nová hra", two players
xdotool mousemove --window "$win" 780 590
sleep 1
measure "two players, waiting" "$seconds"
stop_game

# The computer plays blue and opens: its first move is three pauses of
# just over two seconds.
start_game 1 1
click 100 80
xdotool mousemove --window "$win" 780 590
sleep 0.3
measure "computer's pauses" 5.5
stop_game

# At "mistr" the engine thinks on its own thread inside the first pause
# (about a second of its processor time), then the game only waits.
start_game 1 1 3
click 100 80
xdotool mousemove --window "$win" 780 590
measure "mistr: first second" 1
measure "mistr: next second" 1
measure "mistr: rest of the pauses" 4
stop_game
