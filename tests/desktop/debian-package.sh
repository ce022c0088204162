#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package of the build (as `make package` does), checks its control fields and
# contents, unpacks it into a temporary root and runs the program from there.
#
#   debian-package.sh BUILD_DIR DATA_DOCUMENT
set -euo pipefail
build=$1
document=$2
. "$(dirname "$0")/installed-checks.sh"

if ! command -v dpkg-shlibdeps >/dev/null || ! command -v dpkg-deb >/dev/null; then
    echo "dpkg-shlibdeps (dpkg-dev) is not installed: no package to check"
    exit 77
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/tessarine-package.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
scratch=$(cd "$scratch" && pwd -P)

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
    fail "cpack failed: $(cat "$scratch/cpack.log")"
packages=("$scratch"/out/tessarine_*.deb)
[ ${#packages[@]} -eq 1 ] && [ -f "${packages[0]}" ] || fail "no single tessarine_*.deb: ${packages[*]}"
deb=${packages[0]}

[ "$(dpkg-deb -f "$deb" Package)" = tessarine ] || fail "the package is not called tessarine"
depends=$(dpkg-deb -f "$deb" Depends)
# The libraries the program links (named with or without Debian's t64 suffix), what it loads
# at run time, and the page view's fonts.
for needed in libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 libqt6dbus6 libqt6svg6 \
    libqt6webenginecore6 libqt6webenginewidgets6 libqt6webenginecore6-bin libqt6webengine6-data \
    libqt6keychain1 libqcoro6core0 libsqlite3-0 libical3 fonts-inter fonts-jetbrains-mono libgtk-layer-shell0; do
    [[ ", $depends," =~ ,\ $needed(t64)?[\ ,] ]] || fail "Depends lacks $needed: $depends"
done
# The package that holds Qt's SVG icon engine on this system: without it no symbol is drawn.
svg_engine=$(dpkg-query --search '*/qt6/plugins/iconengines/libqsvgicon.so' 2>/dev/null | sed -n 's/^\([^:,]*\).*/\1/p' | head -n 1)
[ -z "$svg_engine" ] || [[ ", $depends," =~ ,\ $svg_engine[\ ,] ]] || fail "Depends lacks $svg_engine (the SVG icon engine): $depends"

dpkg-deb -x "$deb" "$scratch/root"
[ -x "$scratch/root/usr/bin/tessarine" ] || fail "the package has no /usr/bin/tessarine"
[ -x "$scratch/root/usr/libexec/tessarine/tessarine-layer-card" ] || fail "the package has no layer-shell helper"
[ "$("$scratch/root/usr/bin/tessarine" --version)" = "Tessarine $(dpkg-deb -f "$deb" Version)" ] ||
    fail "the package's version is not the program's"
check_installed_tree "$scratch/root/usr" "$document" "$scratch/work"
echo "Debian package $(basename "$deb"): ok"
