#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Lints the page view's scripts (views/*.js of the source tree given as the first argument) with
# ESLint and the rules of views.eslintrc.json beside this script; names each finding as
# "<file>:<line>:<column>: <message> [<rule>]". Exits 77 (skipped) when ESLint is not installed,
# except in CI (CI set), where a missing linter fails.
set -euo pipefail

root=${1:?usage: lint-views.sh SOURCE_DIR}
here=$(cd "$(dirname "$0")" && pwd)
eslint=${ESLINT:-eslint}
if ! command -v "$eslint" >/dev/null 2>&1; then
    if [ -n "${CI:-}" ] && [ "${CI}" != 0 ] && [ "${CI}" != false ]; then
        echo "lint-views: $eslint is not installed (scripts/install-deps installs it)"
        exit 1
    fi
    echo "lint-views: $eslint is not installed; skipped"
    exit 77
fi

# Debian's ESLint finds its modules in /usr/share/nodejs, which Debian's Node.js searches by
# itself but a Node.js from elsewhere does not.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
cd "$root"
# The "unix" report needs no terminal colours (Debian installs ESLint's colour module only as a
# recommendation).
if ! "$eslint" --no-eslintrc --config "$here/views.eslintrc.json" --format unix --max-warnings 0 views/*.js; then
    echo "lint-views: fix the findings above (rules and reasons: tests/source/views.eslintrc.json)"
    exit 1
fi
echo "lint-views: $(ls views/*.js | wc -l) scripts keep the rules of views.eslintrc.json"
