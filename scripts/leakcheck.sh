#!/usr/bin/env bash
# Leak check: the control (start-up, replies), the whole-program stories and the network tests
# on the sanitizer build (the one `scripts/test.sh --sanitize` makes) with LeakSanitizer on; a
# leak fails the check. Qt's own allocations (font database, caches kept until exit) leave no
# report here, so nothing is suppressed; should a system library ever need it, add a
# suppressions file naming only that library's frames and pass it through
# LSAN_OPTIONS=suppressions=<file>.
# Usage: scripts/leakcheck.sh [build-dir]   (default build-asan)
set -euo pipefail
cd "$(dirname "$0")/.."

dir=${1:-build-asan}
tests=(test_control test_app test_net)

scripts/deps.sh
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DROTEKA_SANITIZE=ON
cmake --build "$dir" -j"$(nproc)" --target "${tests[@]}" roteka-sim roteka

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
pattern="^($(IFS='|'; echo "${tests[*]}"))\$"
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)" -R "$pattern"
