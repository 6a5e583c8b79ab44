#!/usr/bin/env bash
# Timing calibration with a perfect player: the game under Xvfb with its sound written to a file
# (KODOBAN_PACED_AUDIO), F3 on the song select, then real X key presses (XTest) of F exactly at
# the note times the trace gives for notes 8 to 31 (24 presses, the median's window), F at the
# end to store the result. Reports the presses' errors as the game measured them, the median and
# the SoundDelay stored (target 0 +- 1 ms), and for notes 0 to 7 (no drum sound on top) when
# each click begins in the sound against its note's time (target 0 +- 1 ms).
# usage: bench/calibration_timing.sh [BUILD_DIR]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$(cd "${1:-$ROOT/build}" && pwd)"
[ -x "$BUILD/Kodoban" ] || { echo "no $BUILD/Kodoban: build first" >&2; exit 1; }

WORK="$(mktemp -d /tmp/kodoban-calibration.XXXXXX)"
source "$ROOT/bench/game_on_xvfb.bash"
cc -O2 -o "$WORK/x_player" "$ROOT/bench/x_player.c" -lX11 -lXtst
export KODOBAN_PACED_AUDIO="$WORK/audio.raw"
start_game_on_xvfb
for _ in $(seq 100); do grep -q '"ev":"select","t":[0-9.]*,"phase":0' "$TRACE" && break; sleep 0.1; done
echo "0 F3 100" | "$WORK/x_player" keys - > /dev/null
for _ in $(seq 100); do grep -q '"ev":"calibration"' "$TRACE" && break; sleep 0.1; done
python3 - "$TRACE" > "$WORK/keys.txt" <<'PY'
import json, sys
c = [json.loads(l) for l in open(sys.argv[1]) if '"calibration"' in l][-1]
for n in range(8, 32):
    print(f"{c['reference'] + c['leadin'] + n * c['beat']:.3f} f 100")
PY
"$WORK/x_player" keys "$WORK/keys.txt" > "$WORK/sent.txt"
sleep 1.6
echo "0 f 100" | "$WORK/x_player" keys - > /dev/null   # store and go back
sleep 1.5
stop_game
SOUND_DELAY="$(iconv -f cp932 -t utf-8 "$WORK/game/Config.ini" | sed -n 's/^SoundDelay=\([-0-9]*\).*/\1/p')"

python3 - "$TRACE" "$WORK/audio.raw" "$SOUND_DELAY" "$WORK/sent.txt" <<'PY'
import json, sys, array, statistics
ev = [json.loads(l) for l in open(sys.argv[1])]
cal = [e for e in ev if e["ev"] == "calibration"][-1]
errs = [e["error"] for e in ev if e["ev"] == "calpress"]
if not errs:
    print("calibration: no press counted"); sys.exit(1)
last = sorted(errs[-24:])
print(f"calibration presses counted: {len(errs)} of 24; press - note: median {statistics.median(last):+.2f} ms, "
      f"min {last[0]:+.2f}, max {last[-1]:+.2f} ms; SoundDelay stored: {sys.argv[3]} (target 0 +- 1)")
# Where the lateness comes from: the press leaving for the X server -> the game's key state
# seeing it (the "key" trace events of F) -> the worker pass that takes it.
sent = [float(l.split()[0]) for l in open(sys.argv[4]) if l.strip() and l.split()[0][0].isdigit()]
end = cal["reference"] + cal["leadin"] + 32 * cal["beat"]
seen = [e["t"] for e in ev if e["ev"] == "key" and e.get("code") == 0x21 and cal["reference"] < e["t"] < end]
if len(sent) == len(seen) == len(errs):  # (when one went missing the pairs are unknown)
    xpath = sorted(b - a for a, b in zip(sent, seen))
    due = [cal["reference"] + cal["leadin"] + e["note"] * cal["beat"] for e in ev if e["ev"] == "calpress"]
    taken = sorted(d + e - s for d, e, s in zip(due, errs, seen))
    print(f"  X server to key state: median {statistics.median(xpath):.2f} ms, max {xpath[-1]:.2f} ms; "
          f"key state to the worker's pass: median {statistics.median(taken):.2f} ms, max {taken[-1]:.2f} ms")
# Clicks of notes 0 to 7 in the sound: the stream's frames are mapped to the trace's clock by
# the sounds the trace reports with their first frame (the F3 press's menu sound, the drums).
a = array.array("h"); a.frombytes(open(sys.argv[2], "rb").read())
snd = [e for e in ev if e["ev"] == "sound"]
offs = []
for n in range(8):
    due = cal["reference"] + cal["leadin"] + n * cal["beat"] + cal["musicstart"]
    ref = min(snd, key=lambda e: abs(e["t"] - due))
    f = int(round(ref["sample"] + (due - ref["t"]) * 44.1))
    lo = f - 882
    onset = next((i for i in range(lo, min(f + 1764, len(a) // 2)) if abs(a[i * 2]) > 300), None)
    if onset is not None: offs.append((onset - f) / 44.1)
if offs:
    print("click onsets against their notes (ms): " + " ".join(f"{o:+.2f}" for o in offs) +
          f"; median {statistics.median(offs):+.2f} ms (target 0 +- 1)")
PY
