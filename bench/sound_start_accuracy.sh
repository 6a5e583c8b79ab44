#!/usr/bin/env bash
# Start accuracy of sounds started from another thread, on SDL's disk audio driver.
# Usage: bench/sound_start_accuracy.sh [build dir]   (default: build)
# With KODOBAN_RT=1 (as root) the program runs at real-time priority, as an audio thread
# would on a player's machine, so that other load on the machine does not stall the
# disk writer between its buffers.
# Prints the median and the worst distance, in samples, between where each click begins
# in the written stream and the stream position of the moment it was started.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-$here/../build}"
prog="$build/bench/bench_sound_start_accuracy"
if [ ! -x "$prog" ]; then
  echo "build it first: cmake --build $build --target bench_sound_start_accuracy" >&2
  exit 1
fi
out="$(mktemp -t kodoban_disk_audio.XXXXXX)"
trap 'rm -f "$out"' EXIT
run=()
if [ "${KODOBAN_RT:-0}" = 1 ] && command -v chrt >/dev/null; then run=(chrt -r 10); fi
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out" "${run[@]}" "$prog" --benchmark_counters_tabular=true
