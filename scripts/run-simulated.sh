#!/usr/bin/env bash
# Installs what is missing, builds Tundrix and starts it against the simulated
# controller: the whole utility works on a machine with no instrument.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target tundrix tundrix-sim tundrix-cli
exec build/bin/tundrix --simulate "$@"
