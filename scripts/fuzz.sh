#!/usr/bin/env bash
# Builds ROTEKA's fuzz targets with clang and libFuzzer (in build-fuzz/) and runs each for a
# bounded time against its committed seed corpus. Fails when any target finds a crash, a
# sanitizer error or a broken property; the input that did it is left in build-fuzz/artifacts/.
# Usage: scripts/fuzz.sh [seconds-per-target]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
targets=(scanner settings_line line_settings vector_angle net_line rotor_packets locator)

scripts/deps.sh clang libclang-rt-14-dev
cmake -S fuzz -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-fuzz -j"$(nproc)"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
mkdir -p build-fuzz/artifacts
failed=()
for target in "${targets[@]}"; do
  # New inputs go to a scratch corpus; the committed seeds are only read.
  scratch=build-fuzz/corpus/$target
  mkdir -p "$scratch"
  echo "== fuzz_$target for ${seconds}s"
  if ! build-fuzz/fuzz_"$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix=build-fuzz/artifacts/"$target"- \
      "$scratch" fuzz/corpus/"$target"; then
    failed+=("$target")
  fi
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzzing found failures in: ${failed[*]} (inputs in build-fuzz/artifacts/)" >&2
  exit 1
fi
echo "fuzzing: no failures in ${#targets[@]} targets, ${seconds}s each"
