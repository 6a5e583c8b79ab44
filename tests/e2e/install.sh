#!/usr/bin/env bash
# The portable install: `cmake --install BUILD --prefix DIR` into a fresh folder, then the game
# started from another working folder (SDL's dummy drivers). Passes when the installed game
# lists the demo songs, writes its settings and saves into DIR only, and its desktop entry
# points at the installed program and icon.
# usage: tests/e2e/install.sh BUILD_DIR
set -euo pipefail
BUILD="$1"
WORK="$(mktemp -d /tmp/kodoban-install.XXXXXX)"
GAME_PID=""
cleanup() {
  [ -n "$GAME_PID" ] && kill -KILL "$GAME_PID" 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT
fail() { echo "FAILED: $*"; [ -f "$WORK/out.txt" ] && cat "$WORK/out.txt"; exit 1; }

DIR="$WORK/Kodoban Game"
cmake --install "$BUILD" --prefix "$DIR" >"$WORK/install.txt" 2>&1 || { cat "$WORK/install.txt"; fail "cmake --install failed"; }
for f in Kodoban kodoban.png kodoban.desktop "Files/Theme/Default/SongSelect/Bg/bg.png" \
         "Kodoban Demo/genre.ini" "Bonus Track/morning_stroll.tja"; do
  [ -e "$DIR/$f" ] || fail "the install has no $f"
done
grep -qx "Exec=\"$DIR/Kodoban\"" "$DIR/kodoban.desktop" || fail "desktop entry: $(grep Exec "$DIR/kodoban.desktop")"
grep -qx "Icon=$DIR/kodoban.png" "$DIR/kodoban.desktop" || fail "desktop entry: $(grep Icon "$DIR/kodoban.desktop")"

mkdir "$WORK/elsewhere"
TRACE="$WORK/trace.jsonl"
( cd "$WORK/elsewhere" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy KODOBAN_HEADLESS=1 \
    KODOBAN_TRACE="$TRACE" exec "$DIR/Kodoban" ) >"$WORK/out.txt" 2>&1 &
GAME_PID=$!
for _ in $(seq 600); do  # up to a minute on a loaded machine
  grep -q '"ev":"select","[^}]*"phase":0,[^}]*"count":3' "$TRACE" 2>/dev/null && break
  kill -0 "$GAME_PID" 2>/dev/null || break
  sleep 0.1
done
grep -q '"ev":"select","[^}]*"phase":0,[^}]*"count":3,"item":"./Kodoban Demo"' "$TRACE" 2>/dev/null ||
  fail "the installed game did not list the demo genre and song"
kill -TERM "$GAME_PID"
wait "$GAME_PID" || true
GAME_PID=""
[ -f "$DIR/Config.ini" ] && [ -f "$DIR/Files/Save/save.dat" ] || fail "no Config.ini or save.dat in the game folder"
[ -z "$(ls -A "$WORK/elsewhere")" ] || fail "the game wrote into its working folder: $(ls -A "$WORK/elsewhere")"
grep -q "Sanitizer" "$WORK/out.txt" && fail "a sanitizer reported a problem"
echo "installed game runs from $DIR: $(du -sh "$DIR" | cut -f1)"
