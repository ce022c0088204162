#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a temporary prefix and runs the installed program from a folder far
# from the source tree: it must find its views, logos and status-line script in the prefix alone.
#
#   installed-tree.sh BUILD_DIR DATA_DOCUMENT
set -euo pipefail
build=$1
document=$2
. "$(dirname "$0")/installed-checks.sh"

scratch=$(mktemp -d "${TMPDIR:-/tmp}/tessarine-installed.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
prefix="$(cd "$scratch" && pwd -P)/prefix"

cmake --install "$build" --prefix "$prefix" >/dev/null
check_installed_tree "$prefix" "$document" "$scratch/work"
echo "installed tree in a temporary prefix: ok"
