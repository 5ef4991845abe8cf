#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite once, under
# AddressSanitizer + UBSan with warnings as errors (each target compiled in a
# few batches: a clean build in half the time); the layering, format and
# tidy checks beside it; then the shipped programs built for release: the
# speed guard and the Debian package with its installed programs; a short fuzz
# of the curve readers; and the threaded suites under ThreadSanitizer. Ends
# with the ten slowest tests.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs=$(nproc)
# The suites (the fault suite above all) mostly wait on the instrument's
# time-outs, so four times as many run side by side as there are cores.
test_jobs=$(( jobs * 4 ))
export QT_QPA_PLATFORM=offscreen
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export ASAN_OPTIONS=detect_leaks=1
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"

step() { printf '\n== %s (at %d:%02d) ==\n' "$*" $((SECONDS / 60)) $((SECONDS % 60)); }
times=$(mktemp)
trap 'rm -f "$times"' EXIT
# Runs ctest, keeping each test's time for the list at the end.
run_tests() {
  local status=0
  ctest "$@" --output-on-failure | tee -a "$times" || status=$?
  return "$status"
}

step "build for the tests: AddressSanitizer + UBSan"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTUNDRIX_WERROR=ON \
  -DTUNDRIX_SANITIZE=address -DTUNDRIX_BUILD_GUI=ON -DTUNDRIX_BUILD_BENCHMARKS=OFF -DTUNDRIX_UNITY_BUILD=ON >/dev/null
cmake --build build-asan
step "tests under AddressSanitizer + UBSan; layers, format and tidy beside them"
# The checks take the cores while the suites mostly wait on time-outs. Tidy
# reads each file's own compile command: a configuration without batches.
cmake -S . -B build-checks -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTUNDRIX_BUILD_GUI=OFF \
  -DTUNDRIX_BUILD_TESTS=OFF -DTUNDRIX_BUILD_BENCHMARKS=OFF >/dev/null
scripts/check-code.sh build-checks >"$times.checks" 2>&1 &
checks=$!
tests_status=0
run_tests --test-dir build-asan -j "$test_jobs" || tests_status=$?
checks_status=0
wait "$checks" || checks_status=$?
cat "$times.checks"
rm -f "$times.checks"
[ "$checks_status" -eq 0 ] || { echo "the layering, format or tidy check failed" >&2; exit 1; }
[ "$tests_status" -eq 0 ] || exit "$tests_status"

step "build the shipped programs for release"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTUNDRIX_WERROR=ON -DTUNDRIX_SANITIZE= \
  -DTUNDRIX_BUILD_GUI=ON -DTUNDRIX_BUILD_TESTS=OFF -DTUNDRIX_UNITY_BUILD=ON -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build build
# Alone, with nothing else running: its ratios are timed.
step "speed guard"
build/bin/tundrix-speed-guard
step "Debian package: lintian, installed into a scratch root, the installed programs run"
scripts/check-package.sh build
# The sanitizer builds leave the module out (Python is not built with them):
# its tests run here, against this build's simulator and CLI.
step "the Python module's tests (pytest)"
PYTHONPATH=build/python TUNDRIX_SIM_PROGRAM=build/bin/tundrix-sim TUNDRIX_CLI_PROGRAM=build/bin/tundrix-cli \
  /usr/bin/python3 -m pytest -q -p no:cacheprovider tests/python

step "fuzzing the curve readers (short run)"
scripts/fuzz.sh 20

step "build with ThreadSanitizer (core)"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTUNDRIX_WERROR=ON \
  -DTUNDRIX_SANITIZE=thread -DTUNDRIX_BUILD_GUI=OFF -DTUNDRIX_BUILD_BENCHMARKS=OFF -DTUNDRIX_UNITY_BUILD=ON >/dev/null
# Only the threaded suites (each test is named after its program) and what they run.
mapfile -t threaded < <(ctest --test-dir build-tsan -N -L threads | sed -n 's/^ *Test *#[0-9]*: //p')
cmake --build build-tsan --target "${threaded[@]}"
step "threaded tests under ThreadSanitizer"
run_tests --test-dir build-tsan -j "$test_jobs" -L threads

step "the ten slowest tests"
sed -nE 's/^ *[0-9]+\/[0-9]+ Test +#[0-9]+: ([^ ]+) \.+ *[A-Za-z*]+ +([0-9.]+) sec$/\2 \1/p' "$times" |
  sort -rn | head -n 10 | awk '{ printf "%8.1f s  %s\n", $1, $2 }'
step "done"
