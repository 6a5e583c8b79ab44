#!/usr/bin/env bash
# Installs what the game needs, builds it into build/ and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target Kodoban
exec ./build/Kodoban
