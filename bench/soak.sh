#!/usr/bin/env bash
# Soak: ROUNDS auto plays of the demo songs in one run of the game on a private Xvfb, through
# the result and the song select each time; resident memory, texture / sound / font table use
# and play frame rate after every round (tests/e2e/soak.py). About 70 s a round.
# usage: bench/soak.sh [BUILD_DIR] [ROUNDS]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$(cd "${1:-$ROOT/build}" && pwd)"
cmake --build "$BUILD" --target Kodoban kodoban-x-player >/dev/null
exec python3 "$ROOT/tests/e2e/soak.py" "$BUILD" "$BUILD/kodoban-x-player" "${2:-30}"
