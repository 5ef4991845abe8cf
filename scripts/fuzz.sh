#!/usr/bin/env bash
# Fuzzes the curve file readers, the strict checker and the command file
# reader: builds the libFuzzer targets with clang (installed when missing) and
# runs each for SECONDS seconds (default 60) from the seed files in
# fuzz/corpus. A crash, hang or sanitizer report stops the script with a
# non-zero status and leaves the input that caused it in build-fuzz/artifacts.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

scripts/install-deps.sh

build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTUNDRIX_FUZZ=ON -DTUNDRIX_SANITIZE= -DTUNDRIX_BUILD_GUI=OFF -DTUNDRIX_BUILD_TESTS=OFF \
  -DTUNDRIX_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" --target fuzz-read-crv fuzz-read-colon fuzz-check-crv fuzz-command-file

mkdir -p "$build/artifacts"
for run in fuzz-read-crv:crv:curves fuzz-read-colon:colon:curves fuzz-check-crv:crv:curves \
           fuzz-command-file:cmdfile:cmdfile; do
  IFS=: read -r target seeds dict <<<"$run"
  seeds=fuzz/corpus/$seeds
  # New inputs go to the build folder's corpus; the seeds in the repository stay as they are.
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  printf '\n== %s: %s s ==\n' "$target" "$seconds"
  "$build/bin/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=16384 \
    -dict="fuzz/$dict.dict" -artifact_prefix="$build/artifacts/$target-" -print_final_stats=1 \
    "$corpus" "$seeds"
done
