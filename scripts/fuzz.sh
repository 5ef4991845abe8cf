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
# One fuzzer a core at a time, each for the whole SECONDS; each one's output is
# printed when it ends.
fuzz_one() {
  local target=$1 seeds=fuzz/corpus/$2 dict=$3
  # New inputs go to the build folder's corpus; the seeds in the repository stay as they are.
  local corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  "$build/bin/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=16384 \
    -dict="fuzz/$dict.dict" -artifact_prefix="$build/artifacts/$target-" -print_final_stats=1 \
    "$corpus" "$seeds" >"$build/$target.log" 2>&1
}
runs=(fuzz-read-crv:crv:curves fuzz-read-colon:colon:curves fuzz-check-crv:crv:curves
      fuzz-command-file:cmdfile:cmdfile)
cores=$(nproc)
status=0
for ((first = 0; first < ${#runs[@]}; first += cores)); do
  batch=("${runs[@]:first:cores}")
  pids=()
  for run in "${batch[@]}"; do
    IFS=: read -r target seeds dict <<<"$run"
    fuzz_one "$target" "$seeds" "$dict" &
    pids+=($!)
  done
  for i in "${!batch[@]}"; do
    target=${batch[i]%%:*}
    code=0
    wait "${pids[i]}" || code=$?
    printf '\n== %s: %s s ==\n' "$target" "$seconds"
    tail -n 20 "$build/$target.log"
    [ "$code" -eq 0 ] || { echo "$target failed (exit $code): $build/$target.log" >&2; status=1; }
  done
done
exit "$status"
