#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks that every C++ file under src/, tests/ and bench/ of the source tree given as the first
# argument, and every script of the page view (views/*.js), is formatted as .clang-format says. Names the files that are not, and how to fix
# them; exits 77 (skipped) when clang-format is not installed.
set -euo pipefail

root=${1:?usage: check-format.sh SOURCE_DIR}
clang_format=${CLANG_FORMAT:-clang-format}
if ! command -v "$clang_format" >/dev/null 2>&1; then
    echo "check-format: $clang_format is not installed; skipped"
    exit 77
fi

cd "$root"
mapfile -d '' files < <({
    find src tests bench \( -name '*.cpp' -o -name '*.h' \) -not -path 'tests/fixtures/*' -print0
    find views -name '*.js' -print0
} | sort -z)
# One clang-format for all files; each unformatted file is named in its first complaint,
# "<file>:<line>:<column>: error: …".
mapfile -t unformatted < <(printf '%s\0' "${files[@]}" |
    xargs -0 "$clang_format" --dry-run --Werror --ferror-limit=1 2>&1 >/dev/null |
    sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: .*/\1/p' | sort -u)

if [ ${#unformatted[@]} -gt 0 ]; then
    echo "check-format: ${#unformatted[@]} of ${#files[@]} files are not formatted:"
    printf '    %s\n' "${unformatted[@]}"
    echo "check-format: fix them with: clang-format -i ${unformatted[*]}"
    exit 1
fi
echo "check-format: ${#files[@]} files formatted as .clang-format says"
