#!/usr/bin/env bash
# Start accuracy of sounds started from another thread, on three outputs side by side: SDL's
# disk audio driver as it paces itself (its writer sleeps a whole number of milliseconds
# between buffers and often wakes late on a busy machine), the same driver at delay 0 fed by
# our callback on absolute deadlines (KODOBAN_PACED_SDL_AUDIO), and our paced output
# (KODOBAN_PACED_AUDIO: one buffer at every absolute deadline, no SDL). The last two measure
# the mixer alone. Each output is run RUNS times (default 10).
# Usage: bench/sound_start_accuracy.sh [build dir]   (default: build)
# With KODOBAN_RT=1 (as root) the program runs at real-time priority, as an audio thread
# would on a player's machine, so that other load on the machine does not stall the
# disk writer between its buffers.
# Prints, per run, the median and the worst distance, in samples, between where each click
# begins in the written stream and the stream position of the moment it was started, then
# how many runs had every start within 22 samples (0.5 ms). Target on the paced output:
# 200 of 200 in every run.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-$here/../build}"
runs="${RUNS:-10}"
prog="$build/bench/bench_sound_start_accuracy"
if [ ! -x "$prog" ]; then
  echo "build it first: cmake --build $build --target bench_sound_start_accuracy" >&2
  exit 1
fi
out="$(mktemp -t kodoban_disk_audio.XXXXXX)"
trap 'rm -f "$out"' EXIT
run=()
if [ "${KODOBAN_RT:-0}" = 1 ] && command -v chrt >/dev/null; then run=(chrt -r 10); fi
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
status=0
# name, benchmark, extra environment
variants=(
  "disk driver|DiskDriver|"
  "disk driver at delay 0, fed on our deadlines|DiskDriver|KODOBAN_PACED_SDL_AUDIO=1 SDL_DISKAUDIODELAY=0"
  "paced output|PacedOutput|"
)
for v in "${variants[@]}"; do
  IFS='|' read -r name bench extra <<<"$v"
  all=0
  for i in $(seq "$runs"); do
    line="$(env $extra SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out" "${run[@]}" "$prog" \
              --benchmark_filter="$bench" 2>&1 | grep '^start accuracy' || true)"
    echo "run $i: ${line:-no result}"
    case "$line" in *"200 of 200 starts found"*"; 200 within"*) all=$((all + 1)) ;; esac
  done
  echo "== $name: $all of $runs runs with 200 of 200 starts within 0.5 ms"
  if [ "$bench" = PacedOutput ] && [ "$all" -ne "$runs" ]; then status=1; fi
done
exit "$status"
