#!/usr/bin/env bash
# Builds ROTEKA and runs every test. With --sanitize the build uses AddressSanitizer and
# UndefinedBehaviorSanitizer (in build-asan/). The builds are the presets linux and asan of
# CMakePresets.json.
set -euo pipefail
cd "$(dirname "$0")/.."

preset=linux
dir=build
if [ "${1:-}" = "--sanitize" ]; then
  preset=asan
  dir=build-asan
fi

scripts/deps.sh
cmake --preset "$preset"
cmake --build "$dir" -j"$(nproc)"
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)"
