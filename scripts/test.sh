#!/usr/bin/env bash
# Installs what the build and the tests need, then builds and runs the whole test suite
# through CTest: a release build (warnings as errors), then a build with AddressSanitizer and
# UndefinedBehaviorSanitizer under clang that also runs the fuzzers for a short while, then the
# threaded tests under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
JOBS=$(nproc)

echo "== release build and tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DKODOBAN_WERROR=ON >/dev/null
cmake --build build -j "$JOBS"
ctest --test-dir build --output-on-failure -j "$JOBS"

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build, tests and fuzzers"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DKODOBAN_SANITIZE=address,undefined -DKODOBAN_FUZZ=ON \
  -DKODOBAN_BENCH=OFF -DKODOBAN_WERROR=ON >/dev/null
cmake --build build-asan -j "$JOBS"
ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build-asan --output-on-failure -j "$JOBS"

echo "== ThreadSanitizer build and the threaded tests"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DKODOBAN_SANITIZE=thread -DKODOBAN_BENCH=OFF >/dev/null
cmake --build build-tsan -j "$JOBS"
ctest --test-dir build-tsan --output-on-failure -j "$JOBS" -R 'Thread|Worker|Loader|Mixer|Concurren'
