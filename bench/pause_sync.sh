#!/usr/bin/env bash
# Song against notes after pauses: plays a chart with `Kodoban --auto` under Xvfb with the
# debug read-out on, pauses at random moments and continues, 20 times (real X key events),
# and reads the "sounddiff" trace events (song position against PlayClock, measured every
# 60th frame) after each resume. Target: within 1 ms once the song's seek corrections have
# run.
# usage: bench/pause_sync.sh [BUILD_DIR] [CHART.tja] [PAUSES]
# SDL_AUDIODRIVER defaults to dummy (a mixer fed at the pace of a sound card).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$(cd "${1:-$ROOT/build}" && pwd)"
CHART="${2:-}"
PAUSES="${3:-20}"
[ -x "$BUILD/Kodoban" ] || { echo "no $BUILD/Kodoban: build first" >&2; exit 1; }
if [ -z "$CHART" ]; then
  for dir in "$BUILD" "$ROOT/build"; do
    CHART="$(find "$dir/Kodoban Demo" -name 'clockwork_garden.tja' 2>/dev/null | head -1 || true)"
    [ -n "$CHART" ] && break
  done
fi
[ -f "$CHART" ] || { echo "no chart: give one, or build the demo songs" >&2; exit 1; }
CHART="$(cd "$(dirname "$CHART")" && pwd)/$(basename "$CHART")"
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"

WORK="$(mktemp -d /tmp/kodoban-pause-sync.XXXXXX)"
GAME_ARGS=(--auto "$CHART")
source "$ROOT/bench/game_on_xvfb.bash"
# The debug read-out measures the sound difference: DebugMode=1 in section "設定" (Shift-JIS).
mkdir -p "$WORK/game"
printf '[\x90\xdd\x92\xe8]\r\nDebugMode=1\r\n' > "$WORK/game/Config.ini"
start_game_on_xvfb
for _ in $(seq 100); do grep -q '"scene":5' "$TRACE" && break; sleep 0.1; done
WIN="$(xdotool search --name '^Kodoban$' | head -1)"
xdotool mousemove --window "$WIN" 100 100 windowfocus --sync "$WIN" >/dev/null 2>&1 || true
sleep 2.5  # past the opening and the first 600 ms, in which a pause is refused

press() { xdotool keydown "$1"; sleep 0.04; xdotool keyup "$1"; }
RANDOM="${SEED:-$$}"
for _ in $(seq "$PAUSES"); do
  sleep "$(printf '1.%03d' $((RANDOM % 1000)))"
  sleep "$(printf '0.%03d' $((RANDOM % 1000)))"
  press Escape
  sleep 0.9   # the menu takes no keys for its first 500 ms
  press f     # "continue" is under the cursor
  sleep 0.4   # the menu fades out for 300 ms, then the play goes on
done
sleep 2
stop_game

python3 - "$TRACE" "$PAUSES" <<'PY'
import json, sys
ev = [json.loads(l) for l in open(sys.argv[1]) if l.strip()]
opens = [e["t"] for e in ev if e["ev"] == "pause" and e["what"] == "open"]
closes = [e for e in ev if e["ev"] == "pause" and e["what"] == "close"]
diffs = [e for e in ev if e["ev"] == "sounddiff" and not e["paused"] and e["song"] in (1, 2, 3)]
worst, rows = 0.0, []
for k, c in enumerate(closes):
    resumed = c["t"] + 300.0
    nxt = next((t for t in opens if t > c["t"]), float("inf"))
    # Once the two seek corrections after the resume have run (they need a few passes).
    after = [abs(e["diff"]) for e in diffs if resumed + 100.0 <= e["t"] < nxt]
    if after:
        worst = max(worst, max(after))
        rows.append(f"  resume {k + 1:2d} ({c['item']}): {len(after)} samples, max |diff| {max(after):.3f} ms")
    else:
        rows.append(f"  resume {k + 1:2d} ({c['item']}): no sample before the next pause or the end")
print(f"pauses opened {len(opens)}, closed {len(closes)} of {sys.argv[2]} asked")
print("\n".join(rows))
measured = sum(1 for r in rows if "samples" in r)
print(f"sound difference after {measured} resumes: max |diff| {worst:.3f} ms (target: within 1 ms)")
sys.exit(0 if measured and worst <= 1.0 else 1)
PY
