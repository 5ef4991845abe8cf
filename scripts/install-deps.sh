#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing Tundrix need, when
# any is missing: as root directly, otherwise through sudo. Without either it
# prints the apt-get line to run and stops.
set -euo pipefail

packages=(
  cmake g++ ninja-build ccache
  qt6-base-dev qt6-base-dev-tools qt6-charts-dev libqt6opengl6-dev
  libcli11-dev libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format clang-tidy
  xvfb xauth
  python3-pyvisa-py
  locales
  dpkg-dev lintian desktop-file-utils man-db hicolor-icon-theme
  pybind11-dev python3-dev python3-pytest python3-numpy
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

line="apt-get install -y --no-install-recommends ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null 2>&1; then
  sudo=(sudo)
else
  echo "Tundrix needs these Debian packages. As root, run:" >&2
  echo "  apt-get update && $line" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
