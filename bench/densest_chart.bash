# Sourced by the timing benchmarks: finds kodoban-chart (CHARTTOOL), and picks the densest demo
# chart without branches (a branch would change which notes are played) of at least 200 notes,
# when no chart was given. Needs ROOT and BUILD; pick_densest_chart reads and sets CHART and
# COURSE; $1 is a scratch folder.
CHARTTOOL="$BUILD/kodoban-chart"
[ -x "$CHARTTOOL" ] || CHARTTOOL="$ROOT/build/kodoban-chart"
[ -x "$CHARTTOOL" ] || { echo "no kodoban-chart: build it first" >&2; exit 1; }

pick_densest_chart() {
  [ -n "$CHART" ] && return 0
  local scratch="$1" dir f c
  for dir in "$BUILD" "$ROOT/build"; do
    while IFS= read -r -d '' f; do
      for c in 0 1 2 3 4; do
        "$CHARTTOOL" --course "$c" "$f" 2>/dev/null | python3 -c '
import json, sys
d = json.load(sys.stdin)
ts = [n["time"] for n in d["notes"] if n["type"] in (1, 2, 3, 4)]
if len(ts) >= 200 and not d["has_branches"]:
    print(f"{len(ts) / ((ts[-1] - ts[0]) / 1000.0):.4f}\t{sys.argv[1]}\t{sys.argv[2]}")
' "$c" "$f" >>"$scratch/candidates" || true
      done
    done < <(find "$dir/Kodoban Demo" "$dir/Bonus Track" -name '*.tja' -print0 2>/dev/null | sort -z)
    [ -s "$scratch/candidates" ] && break
  done
  [ -s "$scratch/candidates" ] || { echo "no chart of 200 notes: give one, or build the demo songs" >&2; exit 1; }
  IFS=$'\t' read -r _ COURSE CHART < <(sort -rn "$scratch/candidates" | head -1)
}
