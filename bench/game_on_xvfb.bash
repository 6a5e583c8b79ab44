# Sourced by the real-time benchmark scripts: runs the game from a folder of its own (so a
# benchmark never touches the build's settings or saves) on a private Xvfb, with its trace on.
# Needs ROOT, BUILD and WORK set (GAME_ARGS optional); gives DISPLAY, TRACE, GAME_PID and XVFB_PID.
# With KODOBAN_RT=1 (as root) the X server runs at real-time priority, as a desktop's display
# server usually does.

GAME_PID=""; XVFB_PID=""
cleanup() {
  [ -n "$GAME_PID" ] && kill "$GAME_PID" 2>/dev/null || true
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT

# Starts Xvfb on the first free display from :70, then the game, and returns once the game
# has reached its song select scene (or after 10 s) plus one more second for the start-up load.
start_game_on_xvfb() {
  mkdir -p "$WORK/game/Files"
  cp "$BUILD/Kodoban" "$WORK/game/"
  [ -d "$BUILD/Files/Theme" ] && ln -s "$BUILD/Files/Theme" "$WORK/game/Files/Theme"

  local n disp=""
  for n in $(seq 70 99); do [ -e "/tmp/.X$n-lock" ] || { disp=":$n"; break; }; done
  local xrun=()
  if [ "${KODOBAN_RT:-0}" = 1 ] && command -v chrt >/dev/null; then xrun=(chrt -f 1); fi
  "${xrun[@]}" Xvfb "$disp" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY="$disp"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

  TRACE="$WORK/trace.jsonl"
  # GAME_ARGS (an array, optional): the program's arguments, e.g. a chart to play at once.
  KODOBAN_TRACE="$TRACE" KODOBAN_HEADLESS=1 "$WORK/game/Kodoban" ${GAME_ARGS[@]+"${GAME_ARGS[@]}"} 2>/dev/null &
  GAME_PID=$!
  for _ in $(seq 100); do grep -q '"scene":4' "$TRACE" 2>/dev/null && break; sleep 0.1; done
  sleep 1
}

stop_game() {
  kill -TERM "$GAME_PID"; wait "$GAME_PID" || true; GAME_PID=""
}

# Matches the times of $WORK/injected.txt (one press a line, ms of CLOCK_MONOTONIC) with the
# trace's "key" events of one scan code and prints median, p99 and max of the delay.
# usage: report_press_latency LABEL SCAN_CODE TARGET_TEXT
report_press_latency() {
  python3 - "$WORK/injected.txt" "$TRACE" "$1" "$2" "$3" <<'PY'
import json, sys
label, code, target = sys.argv[3], int(sys.argv[4], 0), sys.argv[5]
inj = [float(l) for l in open(sys.argv[1]) if l.strip()]
keys = sorted(json.loads(l)["t"] for l in open(sys.argv[2])
              if '"ev":"key"' in l and json.loads(l).get("code") == code)
lat, k = [], 0
for i, t in enumerate(inj):
    nxt = inj[i + 1] if i + 1 < len(inj) else float("inf")
    while k < len(keys) and keys[k] < t - 5.0:
        k += 1
    if k < len(keys) and keys[k] < nxt:
        lat.append(keys[k] - t)
        k += 1
lat.sort()
if not lat:
    print(f"{label}: no presses seen"); sys.exit(1)
p = lambda q: lat[min(len(lat) - 1, int(q * len(lat)))]
print(f"{label} over {len(lat)} of {len(inj)} presses: median {p(0.5):.3f} ms, "
      f"p99 {p(0.99):.3f} ms, max {lat[-1]:.3f} ms (target: {target})")
PY
}
