#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the package `make package` built into this system with apt, as a user would, starts
# the installed program headless for one unattended refresh and removes the package again.
# Changes the system: `make test-debian13` runs it in its own Debian 13 root, never on a desktop.
#
#   system-package.sh BUILD_DIR
set -euo pipefail
build=$1
. "$(dirname "$0")/installed-checks.sh"

packages=("$build"/tessarine_*.deb)
[ ${#packages[@]} -eq 1 ] && [ -f "${packages[0]}" ] || fail "no single tessarine_*.deb in $build: ${packages[*]}"
deb=$(cd "$(dirname "${packages[0]}")" && pwd -P)/$(basename "${packages[0]}")

export DEBIAN_FRONTEND=noninteractive
trap 'apt-get purge -y -qq tessarine >/dev/null 2>&1 || true' EXIT
apt-get install -y -qq --no-install-recommends "$deb" || fail "apt could not install $(basename "$deb")"
[ "$(command -v tessarine)" = /usr/bin/tessarine ] || fail "the package put no tessarine on the PATH"

# The same throw-away home and offline services the tests use; no display, so one refresh.
output=$("$(dirname "$0")/../run-isolated.sh" env APP_REFRESH_TEST=1 tessarine 2>&1) ||
    fail "the installed program's refresh exited with $?: $output"
grep -q '^refresh ok in ' <<<"$output" || fail "the installed program's refresh said: $output"
echo "installed $(dpkg-query -W -f='${Package} ${Version}' tessarine): $(grep '^refresh ' <<<"$output")"
