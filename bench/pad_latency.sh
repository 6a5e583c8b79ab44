#!/usr/bin/env bash
# Drum controller latency: runs the game under Xvfb with a virtual game controller (SDL's
# virtual joystick, plugged in from inside the game by bench/pad_injector.c), presses its left
# rim 200 times at random moments and compares each press with the "key" trace event of the
# left rim (the moment the game's pump saw it). Prints median, p99 and max in ms.
# usage: bench/pad_latency.sh [BUILD_DIR] [PRESSES]
# The virtual controller is read where SDL reads every pad, in the pump; what it leaves out is
# the kernel's and the USB's share of a real device's way (a uinput device would add the
# kernel's, where /dev/uinput exists).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$(cd "${1:-$ROOT/build}" && pwd)"
PRESSES="${2:-200}"
[ -x "$BUILD/Kodoban" ] || { echo "no $BUILD/Kodoban: build first" >&2; exit 1; }

WORK="$(mktemp -d /tmp/kodoban-pad-latency.XXXXXX)"
source "$ROOT/bench/game_on_xvfb.bash"

cc -O2 -shared -fPIC -o "$WORK/pad_injector.so" "$ROOT/bench/pad_injector.c" \
  $(pkg-config --cflags --libs sdl2) -lpthread
export LD_PRELOAD="$WORK/pad_injector.so" KODOBAN_PAD_INJECT="$WORK/injected.txt"
export KODOBAN_PAD_COUNT="$PRESSES" KODOBAN_PAD_SEED="${SEED:-$$}" KODOBAN_PAD_START=1500

start_game_on_xvfb
unset LD_PRELOAD
WIN="$(xdotool search --name '^Kodoban$' | head -1)"
# SDL reads pads only while one of its windows has the focus, as a player's game has.
xdotool mousemove --window "$WIN" 100 100 windowfocus --sync "$WIN" >/dev/null 2>&1 || true
for _ in $(seq 600); do
  [ -f "$WORK/injected.txt" ] && [ "$(wc -l < "$WORK/injected.txt")" -ge "$PRESSES" ] && break
  sleep 0.1
done
sleep 0.5
stop_game

report_press_latency "pad latency" 0x20 "p99 <= 2.0"
