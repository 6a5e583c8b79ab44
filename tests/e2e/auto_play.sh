#!/usr/bin/env bash
# End to end: `Kodoban --auto CHART` on a small chart with a song, SDL's dummy video and
# audio, and the trace on. Passes when every note was judged Great and the play went on to
# the result scene.
# usage: tests/e2e/auto_play.sh KODOBAN_PROGRAM
set -euo pipefail
EXE="$1"
WORK="$(mktemp -d /tmp/kodoban-e2e.XXXXXX)"
GAME_PID=""
cleanup() {
  [ -n "$GAME_PID" ] && kill "$GAME_PID" 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT

mkdir -p "$WORK/game/Files" "$WORK/song"
cp "$EXE" "$WORK/game/Kodoban"
THEME="$(dirname "$EXE")/Files/Theme"
[ -d "$THEME" ] && ln -s "$THEME" "$WORK/game/Files/Theme"

# Four seconds of quiet song, and a chart of small and big notes of both colours.
python3 - "$WORK/song/song.wav" <<'PY'
import sys, wave
w = wave.open(sys.argv[1], "wb")
w.setnchannels(2); w.setsampwidth(2); w.setframerate(44100)
w.writeframes(b"\0\0\0\0" * 44100 * 4)
w.close()
PY
cat > "$WORK/song/song.tja" <<'TJA'
TITLE:e2e
BPM:150
WAVE:song.wav
OFFSET:0
COURSE:Oni
LEVEL:4
#START
1020102010201020,
3040120012001120,
#END
TJA
NOTES=17

TRACE="$WORK/trace.jsonl"
( cd "$WORK" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy KODOBAN_HEADLESS=1 KODOBAN_TRACE="$TRACE" \
    exec "$WORK/game/Kodoban" --auto song/song.tja ) >"$WORK/out.txt" 2>&1 &
GAME_PID=$!
for _ in $(seq 600); do  # up to a minute on a loaded machine
  grep -q '"scene":6' "$TRACE" 2>/dev/null && break
  kill -0 "$GAME_PID" 2>/dev/null || break
  sleep 0.1
done
kill -TERM "$GAME_PID" 2>/dev/null || true
wait "$GAME_PID" || true
GAME_PID=""

python3 - "$TRACE" "$NOTES" "$WORK/out.txt" <<'PY'
import json, sys
events = [json.loads(l) for l in open(sys.argv[1]) if l.strip()]
notes = int(sys.argv[2])
scenes = [e["scene"] for e in events if e["ev"] == "scene"]
judges = [e for e in events if e["ev"] == "judge"]
codes = sorted({e["code"] for e in judges})
judged = sorted({e["note"] for e in judges})
problems = []
if scenes[:4] != [1, 4, 5, 6]:
    problems.append(f"scenes {scenes}, expected start-up load, song select, play, result")
if judged != list(range(notes)):
    problems.append(f"judged notes {judged}, expected 0..{notes - 1}")
if codes != [25]:
    problems.append(f"judgement codes {codes}, expected only Great (25)")
if "Sanitizer" in open(sys.argv[3], errors="replace").read():
    problems.append("a sanitizer reported a problem (sanitized builds)")
if problems:
    print("\n".join(problems))
    print(open(sys.argv[3]).read())
    sys.exit(1)
print(f"auto play: {len(judges)} Greats of {notes} notes, scenes {scenes}")
PY
