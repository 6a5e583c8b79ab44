#!/usr/bin/env bash
# Runs the graphics frame benchmark with a display: starts its own Xvfb on a free display
# number (from :99 up), runs bench_graphics_frame against it, and stops that Xvfb again.
#   bench/graphics_frame.sh [BUILD_DIR] [extra benchmark arguments...]
set -euo pipefail
build="${1:-build}"
shift || true
bench="$build/bench/bench_graphics_frame"
[ -x "$bench" ] || { echo "no $bench (build the bench_graphics_frame target)" >&2; exit 1; }

display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
  display=$((display + 1))
done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  [ -e "/tmp/.X11-unix/X$display" ] && break
  sleep 0.1
done

DISPLAY=":$display" "$bench" --benchmark_min_time=1 "$@"
