#!/usr/bin/env bash
# Song preview while browsing quickly: a folder of 50 songs, the game under Xvfb with its sound
# written to a file (KODOBAN_PACED_AUDIO), K pressed 49 times 60 ms apart, then a rest on the
# last song (the 50th; 49 moves from the first), all as real X key presses (XTest). Reads the trace: frames per second and the 99th percentile of the frame intervals
# while browsing (target 120 fps), how many previews play at once (target: never more than
# one), whether the song rested on (the 50th) starts its preview 700 ms after the move, and how long its
# fade-out takes when the player moves on (target 150 ms).
# usage: bench/preview_browse.sh [BUILD_DIR]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$(cd "${1:-$ROOT/build}" && pwd)"
[ -x "$BUILD/Kodoban" ] || { echo "no $BUILD/Kodoban: build first" >&2; exit 1; }

WORK="$(mktemp -d /tmp/kodoban-preview.XXXXXX)"
source "$ROOT/bench/game_on_xvfb.bash"
# KEEP_TRACE=FILE keeps the trace (and the sound as FILE.raw) for a closer look.
[ -n "${KEEP_TRACE:-}" ] && trap 'cp "$TRACE" "$KEEP_TRACE"; cp "$WORK/audio.raw" "$KEEP_TRACE.raw"; cleanup' EXIT

# Fifty songs made of the demo songs' audio, each with a chart of its own.
SONGS="$WORK/game/songs/Preview Bench"
mkdir -p "$SONGS"
printf 'GenreName=Preview Bench\nGenreColor=#3060C0\n' > "$SONGS/genre.ini"
mapfile -t OGGS < <(find "$BUILD/Kodoban Demo" -name '*.ogg' | sort)
for i in $(seq -w 1 50); do
  d="$SONGS/song$i"; mkdir -p "$d"
  ln -s "${OGGS[$((10#$i % ${#OGGS[@]}))]}" "$d/song.ogg"
  printf 'TITLE:Song %s\nBPM:120\nWAVE:song.ogg\nDEMOSTART:10\nCOURSE:Oni\nLEVEL:5\n#START\n1111,\n#END\n' "$i" > "$d/song$i.tja"
done
printf '[\x90\xdd\x92\xe8]\r\nScoreRoot=./songs\r\n' > "$WORK/game/Config.ini"
export KODOBAN_PACED_AUDIO="$WORK/audio.raw"
cc -O2 -o "$WORK/x_player" "$ROOT/bench/x_player.c" -lX11 -lXtst
press() { "$WORK/x_player" keys - > /dev/null; }  # lines "AT_MS KEY HOLD_MS" on stdin
start_game_on_xvfb
echo "0 f 100" | press   # into the folder
for _ in $(seq 100); do grep -q '"phase":0,"depth":1' "$TRACE" && break; sleep 0.1; done
sleep 1.5
START="$(python3 -c 'import time; print(time.clock_gettime(time.CLOCK_MONOTONIC) * 1000)')"
python3 -c "
import time
t = time.clock_gettime(time.CLOCK_MONOTONIC) * 1000 + 50
for i in range(49): print(f'{t + i * 60:.3f} k 45')" | press
sleep 2
echo "0 k 100" | press   # move on from the song rested on: its fade-out
sleep 1
stop_game

python3 - "$TRACE" "$START" <<'PY'
import json, sys
ev = [json.loads(l) for l in open(sys.argv[1])]
start = float(sys.argv[2])
frames = [e["t"] for e in ev if e["ev"] == "frame"]
# The moves: changes of the cursor while browsing (phase 0) in the folder (depth 1).
cursor_moves, last = [], None
for e in ev:
    if e["ev"] != "select" or e["phase"] != 0 or e["depth"] != 1: continue
    if last is not None and e["cursor"] != last and e["t"] >= start: cursor_moves.append(e["t"])
    last = e["cursor"]
# The last move is the one after the rest; the ones before it are the quick browsing (49 when
# no press was lost on the way).
browse, final = cursor_moves[:-1], cursor_moves[-1]
b0, b1 = browse[0], browse[-1]
fr = [t for t in frames if b0 <= t <= b1]
iv = sorted(b - a for a, b in zip(fr, fr[1:]))
fps = (len(fr) - 1) / ((fr[-1] - fr[0]) / 1000.0)
p99 = iv[min(len(iv) - 1, int(0.99 * len(iv)))]
# Previews at once: a start (or a hand-over "continue") begins one, a stop ends it; a stopped
# preview's fading tail counts for 150 ms more.
pv = [e for e in ev if e["ev"] == "preview"]
spans, open_at = [], None
for e in pv:
    if e["op"] == "start": open_at = e["t"]
    elif e["op"] == "stop" and open_at is not None:
        spans.append((open_at, e["t"] + 150.0)); open_at = None
if open_at is not None: spans.append((open_at, 1e18))
most = max([sum(1 for a, b in spans if a <= t < b) for t, _ in spans] or [0])
during = [e for e in pv if e["op"] == "start" and b0 <= e["t"] <= b1]
rest_move = b1
after = [e["t"] for e in pv if e["op"] == "start" and rest_move < e["t"] < final]
print(f"preview browsing: {len(browse)} moves in {(b1 - b0) / 1000:.2f} s; frames {fps:.2f} fps, "
      f"interval median {iv[len(iv) // 2]:.3f} ms, p99 {p99:.3f} ms, max {iv[-1]:.3f} ms (target 120 fps)")
print(f"previews started while browsing: {len(during)}; most previews at once: {most} (target 1)")
if after:
    print(f"the song rested on: its preview starts {after[0] - rest_move:.1f} ms after the move (bar open at 700 ms)")
else:
    print("the song rested on: no preview"); sys.exit(1)
PY
python3 - "$TRACE" "$WORK/audio.raw" <<'PY'
# The fade-out, from the sound itself: the level of the stream after the last preview's stop,
# against its level before, in 10 ms steps (the stream's frames are mapped to the trace's clock
# by the sounds the trace reports with their first frame).
import json, sys, array, math
ev = [json.loads(l) for l in open(sys.argv[1])]
a = array.array("h"); a.frombytes(open(sys.argv[2], "rb").read())
snd = [e for e in ev if e["ev"] == "sound"]
stop = [e for e in ev if e["ev"] == "preview" and e["op"] == "stop"][-1]
ref = min(snd, key=lambda e: abs(e["t"] - stop["t"]))
f0 = int(ref["sample"] + (stop["t"] - ref["t"]) * 44.1)
def rms(f, n):
    s = a[f * 2:(f + n) * 2]
    return math.sqrt(sum(x * x for x in s) / max(1, len(s)))
before = rms(f0 - 4410, 4410)
# The menu's kat sound of the same move plays on top of it.
steps = [rms(f0 + k * 441, 441) for k in range(0, 30)]
print("level after the last stop (10 ms steps, preview level before = %.0f): %s" %
      (before, " ".join("%.0f" % s for s in steps)))
PY
