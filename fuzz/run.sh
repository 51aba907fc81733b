#!/usr/bin/env bash
# Builds the fuzzing harnesses with clang, writes their seed corpora, and runs each harness
# for a bounded time. Stops at the first finding, with its log and the input that caused it.
#   fuzz/run.sh [SECONDS_PER_HARNESS] [BUILD_FOLDER]      (defaults: 12, build/fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-12}
build=${2:-build/fuzz}
harnesses=(viv fsh qfs tga fce fedata carp recognise car check thunar lutris winereg thumbnail)

cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELKOR_BUILD_TESTS=OFF -DVELKOR_BUILD_FUZZERS=ON >/dev/null
cmake --build "$build" --target velkor_fuzzers

rm -rf "$build/seeds"
"$build/velkor-fuzz-seeds" "$build/seeds"
mkdir -p "$build/findings"
for harness in "${harnesses[@]}"; do
  # New inputs that reach new code are kept in corpus/, so later runs start from them.
  mkdir -p "$build/corpus/$harness"
  log="$build/fuzz_$harness.log"
  if ! "$build/fuzz_$harness" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=128 -print_final_stats=1 \
    -artifact_prefix="$build/findings/$harness-" "$build/corpus/$harness" "$build/seeds/$harness" >"$log" 2>&1; then
    echo "fuzz_$harness found a problem (input in $build/findings/):" >&2
    grep -v '^#' "$log" | tail -60 >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  echo "fuzz_$harness: $runs inputs in ${seconds} s, nothing found"
done
