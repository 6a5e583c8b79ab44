#!/usr/bin/env bash
# Sound against notes in the real game: plays the densest demo chart of at least 200 notes
# (or the chart and course given) with `Kodoban --auto` under Xvfb, with the sound written
# to a file, then finds every drum sound's first sample in that file and compares it with
# where its note's time falls in the song in the same file (bench/av_sync_onsets.cpp). The
# measurement reads only the written audio, the chart, the song and the drum sounds: not the
# trace. The theme keeps only its drum sounds (voices would be mixed over the drums).
# Target: median |error| <= 0.5 ms, worst <= 1.5 ms.
# usage: bench/av_sync.sh [BUILD_DIR] [CHART.tja COURSE]
# OUTPUTS (default "disk disk-paced paced"): SDL's disk audio driver as it paces itself; the
# same driver at delay 0 fed by our callback on absolute deadlines; our paced output (one
# buffer at every absolute deadline, no SDL). SDL's own pacing sleeps a whole number of
# milliseconds per buffer, so its stream runs about 9 % faster than the clock and the song
# drifts away from the notes: only the paced two measure the game. With KODOBAN_RT=1 (as root) the X server runs at real-time
# priority, as a desktop's display server does. KEEP=DIR keeps the written streams there.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$(cd "${1:-$ROOT/build}" && pwd)"
CHART="${2:-}"
COURSE="${3:-}"
[ -x "$BUILD/Kodoban" ] || { echo "no $BUILD/Kodoban: build first" >&2; exit 1; }
ONSETS="$BUILD/bench/bench_av_sync_onsets"
[ -x "$ONSETS" ] || { echo "build it first: cmake --build $BUILD --target bench_av_sync_onsets" >&2; exit 1; }
THEME="$BUILD/Files/Theme"
[ -d "$THEME" ] || THEME="$ROOT/build/Files/Theme"

source "$ROOT/bench/densest_chart.bash"
TOP="$(mktemp -d /tmp/kodoban-av-sync.XXXXXX)"
trap 'rm -rf "$TOP"' EXIT
pick_densest_chart "$TOP"
CHART="$(cd "$(dirname "$CHART")" && pwd)/$(basename "$CHART")"
"$CHARTTOOL" --course "$COURSE" "$CHART" > "$TOP/chart.json"
OFFSET="$(python3 - "$TOP/chart.json" "$TOP/notes.txt" <<'PY'
import json, sys
d = json.load(open(sys.argv[1]))
with open(sys.argv[2], "w") as out:
    for i, n in enumerate(d["notes"]):
        if n["type"] in (1, 2, 3, 4):
            print(i, repr(n["time"]), n["type"], file=out)
print(repr(d["offset_ms"]))
PY
)"
# The song named by the chart's WAVE: line, next to the chart.
WAVE="$(grep -a -m1 '^WAVE:' "$CHART" | cut -d: -f2- | tr -d '\r')"
SONG="$(dirname "$CHART")/$WAVE"
[ -f "$SONG" ] || { echo "no song file $SONG" >&2; exit 1; }

# A game folder whose theme has no sounds but the drums.
GAMEBUILD="$TOP/build"
mkdir -p "$GAMEBUILD/Files"
cp "$BUILD/Kodoban" "$GAMEBUILD/"
cp -rs "$(cd "$THEME" && pwd)" "$GAMEBUILD/Files/Theme"
find "$GAMEBUILD/Files/Theme" -name '*.wav' ! -name 'don.wav' ! -name 'kat.wav' -delete
find "$GAMEBUILD/Files/Theme" -name '*.ogg' -delete
DON="$(find "$GAMEBUILD/Files/Theme" -path '*Play/Sound/don.wav' | head -1)"
KAT="$(find "$GAMEBUILD/Files/Theme" -path '*Play/Sound/kat.wav' | head -1)"

status=0
for output in ${OUTPUTS:-disk disk-paced paced}; do
  STREAM="$TOP/stream-$output.raw"
  LOAD="$(cut -d' ' -f1-3 /proc/loadavg)"
  (
    WORK="$(mktemp -d /tmp/kodoban-av-sync-run.XXXXXX)"
    BUILD="$GAMEBUILD"
    GAME_ARGS=(--auto --course "$COURSE" "$CHART")
    case "$output" in
      paced) export SDL_AUDIODRIVER=dummy KODOBAN_PACED_AUDIO="$STREAM" ;;
      disk-paced) export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$STREAM" SDL_DISKAUDIODELAY=0 KODOBAN_PACED_SDL_AUDIO=1 ;;
      *) export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$STREAM" ;;
    esac
    source "$ROOT/bench/game_on_xvfb.bash"
    start_game_on_xvfb
    for _ in $(seq 3000); do grep -q '"scene":6' "$TRACE" && break; sleep 0.1; done
    stop_game
  )
  echo "== $(basename "$CHART") course $COURSE, auto play, $output output (load $LOAD)"
  if [ "$output" = disk ]; then
    # SDL's own pacing: a figure for comparison, not held to the target
    "$ONSETS" "$STREAM" "$SONG" "$DON" "$KAT" "$TOP/notes.txt" "$OFFSET" || true
  else
    "$ONSETS" "$STREAM" "$SONG" "$DON" "$KAT" "$TOP/notes.txt" "$OFFSET" || status=1
  fi
  if [ -n "${KEEP:-}" ]; then mkdir -p "$KEEP" && mv "$STREAM" "$KEEP/"; else rm -f "$STREAM"; fi
done
exit "$status"
