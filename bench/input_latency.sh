#!/usr/bin/env bash
# Input latency: runs the game under Xvfb, presses F 200 times as real X key events (XTest) at
# random moments and compares each injection time with the "key" trace event of that press
# (the moment the game's pump saw it). Prints median, p99 and max in ms.
# usage: bench/input_latency.sh [BUILD_DIR] [PRESSES]
# With KODOBAN_RT=1 (as root) the X server runs at real-time priority, as a desktop's display
# server usually does; on a machine busy with other work its wake-ups otherwise add the
# scheduler's delays to every key and picture, which the game can't influence.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$(cd "${1:-$ROOT/build}" && pwd)"
PRESSES="${2:-200}"
[ -x "$BUILD/Kodoban" ] || { echo "no $BUILD/Kodoban: build first" >&2; exit 1; }

WORK="$(mktemp -d /tmp/kodoban-latency.XXXXXX)"
source "$ROOT/bench/game_on_xvfb.bash"

cc -O2 -o "$WORK/key_injector" "$ROOT/bench/key_injector.c" -lXtst -lX11

start_game_on_xvfb
WIN="$(xdotool search --name '^Kodoban$' | head -1)"
xdotool mousemove --window "$WIN" 100 100 windowfocus --sync "$WIN" >/dev/null 2>&1 || true
sleep 0.5

"$WORK/key_injector" "$PRESSES" 20 60 25 "${SEED:-$$}" > "$WORK/injected.txt"
sleep 0.5
stop_game

report_press_latency "input latency" 0x21 "median <= 1.0, p99 <= 2.0"
