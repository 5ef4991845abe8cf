#!/usr/bin/env bash
# The habits that keep the code as it is meant to be, on the project's own files:
# the layering (with the check's own self-test), clang-format (the root
# .clang-format) and clang-tidy on the core (the root .clang-tidy).
#   scripts/check-code.sh [BUILD_DIR]   (a configured build: its compile_commands.json)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

scripts/check-layers.sh --self-test
scripts/check-layers.sh

mapfile -t sources < <(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run --Werror "${sources[@]}" 2>/tmp/tundrix-format.$$; then
  head -n 40 /tmp/tundrix-format.$$ >&2
  rm -f /tmp/tundrix-format.$$
  echo "format: files that clang-format would change (run clang-format -i on them)" >&2
  exit 1
fi
rm -f /tmp/tundrix-format.$$
echo "format: clean"

if [ ! -f "$build/compile_commands.json" ]; then
  echo "tidy: no $build/compile_commands.json; configure the build first" >&2
  exit 1
fi
# The core: every folder but the Qt ones; the tests are left to the compiler's warnings.
mapfile -t core < <(git ls-files 'base/*.cpp' 'comm/*.cpp' 'curves/*.cpp' 'logging/*.cpp' \
  'cmdfile/*.cpp' 'server/*.cpp' 'calc/*.cpp' 'app/*.cpp' 'cli/*.cpp' 'python/*.cpp' 'sim/*.cpp' 'packaging/*.cpp' |
  grep -vE '/(ui|dialogs)/')
if ! printf '%s\n' "${core[@]}" |
    xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet 2>/dev/null >/tmp/tundrix-tidy.$$; then
  grep -E 'warning:|error:' /tmp/tundrix-tidy.$$ | sort -u >&2 || cat /tmp/tundrix-tidy.$$ >&2
  rm -f /tmp/tundrix-tidy.$$
  echo "tidy: findings in the core (see .clang-tidy for the checks)" >&2
  exit 1
fi
rm -f /tmp/tundrix-tidy.$$
echo "tidy: clean (${#core[@]} files)"
