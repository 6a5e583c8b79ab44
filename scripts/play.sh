#!/usr/bin/env bash
# Installs what the game needs, builds it into build/ and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
# The game, its default theme and the demo songs (the tests and tools are left out).
cmake --build build --target Kodoban kodoban-theme
exec ./build/Kodoban
