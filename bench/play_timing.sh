#!/usr/bin/env bash
# Judgement accuracy in the real game: plays the densest demo chart of at least 200 notes
# (or the chart and course given) under Xvfb with real X key presses (XTest), each pressed at
# the moment its note is due by the song's own audio clock, read back from the trace while
# the song plays (bench/note_injector.c). Dons alternate F and J, kats D and K, big notes take
# both keys at once; rolls and balloons are left alone. Reads the "judge" trace events and
# reports the distribution of (judged clock - note time): count, median, p99 and worst of the
# absolute offset, and the number of judgements that are not Great.
# Target: median <= 1 ms, p99 <= 2 ms, every judgement Great.
# usage: bench/play_timing.sh [BUILD_DIR] [CHART.tja COURSE]
# The sound goes to our paced output (a steady device clock; AUDIO=dummy for SDL's dummy
# driver instead). With KODOBAN_RT=1 (as root) the X server and the presses run at real-time
# priority, as a desktop's display server and a keyboard would.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$(cd "${1:-$ROOT/build}" && pwd)"
CHART="${2:-}"
COURSE="${3:-}"
[ -x "$BUILD/Kodoban" ] || { echo "no $BUILD/Kodoban: build first" >&2; exit 1; }

source "$ROOT/bench/densest_chart.bash"
WORK="$(mktemp -d /tmp/kodoban-play-timing.XXXXXX)"
pick_densest_chart "$WORK"
CHART="$(cd "$(dirname "$CHART")" && pwd)/$(basename "$CHART")"
"$CHARTTOOL" --course "$COURSE" "$CHART" > "$WORK/chart.json"
python3 - "$WORK/chart.json" > "$WORK/notes.txt" <<'PY'
import json, sys
for i, n in enumerate(json.load(open(sys.argv[1]))["notes"]):
    if n["type"] in (1, 2, 3, 4):
        print(i, repr(n["time"]), n["type"])
PY

export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
if [ "${AUDIO:-paced}" = paced ]; then export KODOBAN_PACED_AUDIO=/dev/null; fi
GAME_ARGS=(--course "$COURSE" "$CHART")
source "$ROOT/bench/game_on_xvfb.bash"
cc -O2 -o "$WORK/note_injector" "$ROOT/bench/note_injector.c" -lXtst -lX11
# The debug read-out puts the song's clock in the trace: DebugMode=1 in section "設定" (Shift-JIS).
mkdir -p "$WORK/game"
printf '[\x90\xdd\x92\xe8]\r\nDebugMode=1\r\n' > "$WORK/game/Config.ini"
LOAD="$(cut -d' ' -f1-3 /proc/loadavg)"
start_game_on_xvfb
for _ in $(seq 100); do grep -q '"scene":5' "$TRACE" && break; sleep 0.1; done
WIN="$(xdotool search --name '^Kodoban$' | head -1)"
xdotool mousemove --window "$WIN" 100 100 windowfocus --sync "$WIN" >/dev/null 2>&1 || true
run=()
if [ "${KODOBAN_RT:-0}" = 1 ] && command -v chrt >/dev/null; then
  run=(chrt -f 3)
  # Key events pass through the X server, which also takes the game's pictures: here it
  # stands for the input path, which on a desktop doesn't wait for anyone's drawing.
  chrt -f -p 3 "$XVFB_PID" >/dev/null 2>&1 || true
fi
"${run[@]}" "$WORK/note_injector" "$WORK/notes.txt" "$TRACE" > "$WORK/pressed.txt"
sleep 1
stop_game

python3 - "$WORK/chart.json" "$WORK/pressed.txt" "$TRACE" "$(basename "$CHART") course $COURSE" "$LOAD" <<'PY'
import json, sys
notes = json.load(open(sys.argv[1]))["notes"]
pressed = [l.split() for l in open(sys.argv[2]) if l.strip()]
ev = [json.loads(l) for l in open(sys.argv[3]) if l.strip()]
judged = {}
for e in ev:
    if e["ev"] == "judge" and notes[e["note"]]["type"] in (1, 2, 3, 4) and e["note"] not in judged:
        judged[e["note"]] = e
wanted = [int(p[0]) for p in pressed]
names = {25: "Great", 75: "Good", 110: "Bad", 5: "Miss", 1: "single-hand Great", 2: "single-hand Good"}
off = [judged[i]["clock"] - notes[i]["time"] for i in wanted if i in judged]
late = sorted(float(p[2]) - float(p[1]) for p in pressed)
if not off:
    print("play timing: no judgements"); sys.exit(1)
a = sorted(abs(x) for x in off)
q = lambda v, p: v[min(len(v) - 1, int(p * len(v)))]
counts = {}
for i in wanted:
    code = judged[i]["code"] if i in judged else None
    counts[code] = counts.get(code, 0) + 1
not_great = sum(n for c, n in counts.items() if c not in (25, 1))
so = sorted(off)
print(f"{sys.argv[4]}: {len(wanted)} presses, {len(off)} notes judged (load {sys.argv[5]})")
print("  judgements: " + ", ".join(f"{names.get(c, 'none')} {n}" for c, n in sorted(counts.items(), key=lambda x: str(x[0]))))
# Where the offset comes from, from the trace moments: the press leaving for the X server
# after its due moment, the game seeing it (the "key" event), the worker judging it.
keys = sorted(e["t"] for e in ev if e["ev"] == "key" and e.get("code") in (0x20, 0x21, 0x24, 0x25))
import bisect
seen, judging = [], []
for p in pressed:
    i, t = int(p[0]), float(p[2])
    k = bisect.bisect_left(keys, t - 0.5)
    if k < len(keys) and keys[k] < t + 20.0 and i in judged:
        seen.append(keys[k] - t)
        judging.append(judged[i]["t"] - keys[k])
seen.sort(); judging.sort()
print(f"  press after its due moment: median {q(late, 0.5):.3f} ms, p99 {q(late, 0.99):.3f} ms, worst {late[-1]:.3f} ms")
if seen:
    print(f"  press to key seen by the game: median {q(seen, 0.5):.3f} ms, p99 {q(seen, 0.99):.3f} ms, worst {seen[-1]:.3f} ms")
    print(f"  key seen to judgement: median {q(judging, 0.5):.3f} ms, p99 {q(judging, 0.99):.3f} ms, worst {judging[-1]:.3f} ms")
print(f"  judged clock - note time: signed median {q(so, 0.5):+.3f} ms, range {so[0]:+.3f} .. {so[-1]:+.3f} ms")
print(f"play timing over {len(a)} notes: |offset| median {q(a, 0.5):.3f} ms, p99 {q(a, 0.99):.3f} ms, "
      f"worst {a[-1]:.3f} ms; {not_great} not Great (target: median <= 1, p99 <= 2, all Great)")
sys.exit(0 if q(a, 0.5) <= 1.0 and q(a, 0.99) <= 2.0 and not_great == 0 else 1)
PY
