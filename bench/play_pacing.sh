#!/usr/bin/env bash
# Frame pacing during plays: runs `Kodoban --auto CHART` under Xvfb (the software renderer)
# for every demo chart (or the charts given), from the play's first frame to the switch to
# the results, and reads the "frame" trace events: frames per second and the 99th
# percentile of the frame intervals per song and over all (target 120 +- 1 fps, p99 < 10 ms).
# usage: bench/play_pacing.sh [BUILD_DIR] [CHART.tja ...]
# SDL_AUDIODRIVER defaults to dummy (a mixer fed at the pace of a sound card).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$(cd "${1:-$ROOT/build}" && pwd)"
shift || true
[ -x "$BUILD/Kodoban" ] || { echo "no $BUILD/Kodoban: build first" >&2; exit 1; }
CHARTS=("$@")
if [ ${#CHARTS[@]} -eq 0 ]; then
  # The demo songs the build generates (next to the program, or in the main build).
  for dir in "$BUILD" "$ROOT/build"; do
    while IFS= read -r -d '' f; do CHARTS+=("$f"); done < <(find "$dir/Kodoban Demo" "$dir/Bonus Track" -name '*.tja' -print0 2>/dev/null | sort -z)
    [ ${#CHARTS[@]} -gt 0 ] && break
  done
fi
[ ${#CHARTS[@]} -gt 0 ] || { echo "no charts: give some, or build the demo songs" >&2; exit 1; }
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"

RESULTS="$(mktemp /tmp/kodoban-play-pacing.XXXXXX)"
for chart in "${CHARTS[@]}"; do
  (
    WORK="$(mktemp -d /tmp/kodoban-play-pacing.XXXXXX)"
    GAME_ARGS=(--auto "$(cd "$(dirname "$chart")" && pwd)/$(basename "$chart")")
    source "$ROOT/bench/game_on_xvfb.bash"
    start_game_on_xvfb
    for _ in $(seq 3000); do grep -q '"scene":6' "$TRACE" && break; sleep 0.1; done
    stop_game
    python3 - "$TRACE" "$(basename "$chart")" >>"$RESULTS" <<'PY'
import json, sys
ev = [json.loads(l) for l in open(sys.argv[1]) if l.strip()]
play = [e["t"] for e in ev if e["ev"] == "scene" and e["scene"] == 5]
done = [e["t"] for e in ev if e["ev"] == "scene" and e["scene"] == 6]
if not play or not done:
    print(json.dumps({"song": sys.argv[2], "error": "the play did not reach the results"}))
    sys.exit(0)
ts = [e["t"] for e in ev if e["ev"] == "frame" and play[0] < e["t"] < done[0]]
print(json.dumps({"song": sys.argv[2], "frames": ts}))
PY
  )
done

python3 - "$RESULTS" <<'PY'
import json, sys
def stats(ts):
    iv = sorted(b - a for a, b in zip(ts, ts[1:]))
    fps = (len(ts) - 1) / ((ts[-1] - ts[0]) / 1000.0)
    return fps, iv[len(iv) // 2], iv[min(len(iv) - 1, int(0.99 * len(iv)))], iv[-1], iv
bad, every = False, []
for line in open(sys.argv[1]):
    r = json.loads(line)
    if "error" in r or len(r["frames"]) < 2:
        print(f"{r['song']}: {r.get('error', 'no frames')}"); bad = True; continue
    fps, med, p99, mx, iv = stats(r["frames"])
    every += iv
    print(f"{r['song']}: {fps:.2f} fps over {(r['frames'][-1] - r['frames'][0]) / 1000:.1f} s, "
          f"interval median {med:.3f} ms, p99 {p99:.3f} ms, max {mx:.3f} ms")
if every:
    every.sort()
    print(f"all plays: {1000.0 / (sum(every) / len(every)):.2f} fps, p99 {every[int(0.99 * len(every))]:.3f} ms "
          f"(target: 120 +- 1 fps, p99 < 10 ms)")
sys.exit(1 if bad else 0)
PY
rm -f "$RESULTS"
