#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite: the layering,
# format and tidy checks, the tests as shipped (warnings are errors), the speed
# guard (the link's speed as ratios to yardsticks timed in the same run), the
# Debian package and its installed programs, a short fuzz of the curve readers,
# once under AddressSanitizer + UBSan, and the threaded suites under
# ThreadSanitizer.
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

step "build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTUNDRIX_WERROR=ON -DTUNDRIX_SANITIZE= -DTUNDRIX_BUILD_GUI=ON \
  -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build build
step "layers, format and tidy"
scripts/check-code.sh build
step "tests"
# The sweep of the fault suite runs once, under the sanitizers below.
ctest --test-dir build --output-on-failure -j "$test_jobs" -LE sweep
# Alone, with nothing else running: its ratios are timed.
step "speed guard"
build/bin/tundrix-speed-guard
step "Debian package: lintian, installed into a scratch root, the installed programs run"
scripts/check-package.sh build

step "fuzzing the curve readers (short run)"
scripts/fuzz.sh 20

step "build with AddressSanitizer + UBSan"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTUNDRIX_WERROR=ON \
  -DTUNDRIX_SANITIZE=address -DTUNDRIX_BUILD_GUI=ON -DTUNDRIX_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build-asan
step "tests under AddressSanitizer + UBSan, the fault suite's sweep among them"
ctest --test-dir build-asan --output-on-failure -j "$test_jobs"

step "build with ThreadSanitizer (core)"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTUNDRIX_WERROR=ON \
  -DTUNDRIX_SANITIZE=thread -DTUNDRIX_BUILD_GUI=OFF -DTUNDRIX_BUILD_BENCHMARKS=OFF >/dev/null
# Only the threaded suites (each test is named after its program) and what they run.
mapfile -t threaded < <(ctest --test-dir build-tsan -N -L threads | sed -n 's/^ *Test *#[0-9]*: //p')
cmake --build build-tsan --target "${threaded[@]}"
step "threaded tests under ThreadSanitizer"
ctest --test-dir build-tsan --output-on-failure -j "$test_jobs" -L threads
step "done"
