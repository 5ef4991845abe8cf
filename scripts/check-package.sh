#!/usr/bin/env bash
# Builds the Debian package of a configured and built tree and checks it as a
# lab machine would meet it: lintian (errors and warnings fail; the package
# keeps none), its dependencies resolved by apt against this machine (a
# simulation: nothing is installed here), an install by dpkg into a scratch
# root, the desktop entries and manual pages as installed, and the installed
# programs run from there: tundrix-cli, the Python module, tundrix-sim, and the utility offscreen
# with --simulate until its main window shows. Finally dpkg removes it again.
#   scripts/check-package.sh [BUILD_DIR]
# BUILD_DIR must be configured with -DCMAKE_INSTALL_PREFIX=/usr and built.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")

fail() { echo "package: $*" >&2; exit 1; }

prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")
[ "$prefix" = /usr ] || fail "configure $build with -DCMAKE_INSTALL_PREFIX=/usr (it has '$prefix')"
probe=$build/probe/generic/libtundrixwindowprobe.so
[ -f "$probe" ] || fail "$probe is missing: build $build with the GUI"

rm -rf "$build/package"
(cd "$build" && cpack -G DEB >"$build/cpack.log" 2>&1) || { cat "$build/cpack.log" >&2; fail "cpack failed"; }
deb=$(echo "$build"/package/tundrix_*.deb)
[ -f "$deb" ] || fail "cpack made no package"
version=$(dpkg-deb --field "$deb" Version)
echo "package: $deb"
dpkg-deb --field "$deb" Depends | sed 's/^/  Depends: /'

# Informational tags are shown too; the ones this package has are explained in
# README.md ("Installing").
lintian_status=0
report=$(lintian --display-info --fail-on error,warning "$deb" 2>&1) || lintian_status=$?
echo "lintian:"
echo "$report" | grep -v 'running with root privileges' | sed 's/^/  /' || true
[ "$lintian_status" -eq 0 ] || fail "lintian finds errors or warnings"

apt-get install --simulate --no-install-recommends "$deb" >/dev/null ||
  fail "apt cannot satisfy the dependencies of $deb"
echo "apt: the dependencies resolve on this machine"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/home"
touch "$root/var/lib/dpkg/status"
chmod 700 "$root/home"
# The scratch root knows no other package: the dependencies were checked by apt above.
dpkg_root=(env PATH="/usr/sbin:/sbin:$PATH" dpkg --root="$root" --force-depends --force-not-root
  --log=/dev/null)
"${dpkg_root[@]}" --install "$deb" >"$root/dpkg.log" 2>&1 || { cat "$root/dpkg.log" >&2; fail "dpkg --install failed"; }
echo "dpkg: installed into a scratch root"

bin=$root/usr/bin
[ "$("$bin/tundrix-cli" --version)" = "tundrix-cli $version" ] ||
  fail "tundrix-cli --version is not the package's version $version"
echo "tundrix-cli --version: $("$bin/tundrix-cli" --version)"
echo "tundrix-cli vaporix Nitrogen 760 mmHg K: $("$bin/tundrix-cli" vaporix Nitrogen 760 mmHg K)"
# The Python module as Debian's Python finds it in dist-packages, with its stub.
modules=$root/usr/lib/python3/dist-packages
[ -f "$modules/tundrix.pyi" ] || fail "the Python module's stub tundrix.pyi is not installed"
module_version=$(cd "$root/home" && PYTHONPATH="$modules" /usr/bin/python3 -c \
  'import tundrix; print(tundrix.__version__)') || fail "the installed Python module does not import"
[ "$module_version" = "$version" ] ||
  fail "tundrix.__version__ is $module_version, not the package's version $version"
echo "python3 -c 'import tundrix': version $module_version"
"$bin/tundrix-sim" --help >"$root/home/sim-help" || fail "tundrix-sim --help failed"
echo "tundrix-sim --help: $(head -n 1 "$root/home/sim-help")"

desktop-file-validate "$root"/usr/share/applications/*.desktop || fail "desktop-file-validate"
echo "desktop-file-validate: clean"
for page in "$root"/usr/share/man/man1/*.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
    man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done
echo "man: every page reads without a warning"

# The utility as the application menu starts it, offscreen, with nothing of the
# build on PATH; the window probe ends it once its main window shows.
shown=$(timeout 60 env QT_QPA_PLATFORM=offscreen QT_PLUGIN_PATH="$build/probe" \
  QT_QPA_GENERIC_PLUGINS=tundrixwindowprobe XDG_CONFIG_HOME="$root/home" \
  XDG_RUNTIME_DIR="$root/home" PATH=/nonexistent "$bin/tundrix" --simulate 2>&1) ||
  fail "tundrix --simulate did not end well: $shown"
echo "$shown" | grep -q '^window shown: .*Tundrix Utility Software' ||
  fail "tundrix --simulate showed no main window: $shown"
if echo "$shown" | grep -q '^box: '; then fail "tundrix --simulate showed a message box: $shown"; fi
echo "tundrix --simulate: $(echo "$shown" | grep '^window shown: ')"

"${dpkg_root[@]}" --remove tundrix >"$root/dpkg.log" 2>&1 || { cat "$root/dpkg.log" >&2; fail "dpkg --remove failed"; }
left=$({ find "$root/usr" -type f 2>/dev/null || true; } | head -n 5)
[ -z "$left" ] || fail "dpkg --remove left files behind: $left"
echo "dpkg: removed without a trace"
