#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs one test binary with its own throw-away home and data directories.
set -u
# --unprivileged runs the test as the user nobody when started as root, for the cases that
# check what happens when a file cannot be read: the superuser reads every file.
unprivileged=0
if [ "${1:-}" = "--unprivileged" ]; then
    unprivileged=1
    shift
fi
# --xvfb runs the test on a virtual X server (1920x1080 unless --screen WxH follows).
xvfb=0
screen=1920x1080
if [ "${1:-}" = "--xvfb" ]; then
    xvfb=1
    shift
    if [ "${1:-}" = "--screen" ]; then
        screen=$2
        shift 2
    fi
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/tessarine-test.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/home" "$scratch/data" "$scratch/config" "$scratch/runtime"
chmod 700 "$scratch/runtime"

export HOME="$scratch/home"
export XDG_DATA_HOME="$scratch/data"
export XDG_CONFIG_HOME="$scratch/config"
export XDG_RUNTIME_DIR="$scratch/runtime"
export XDG_CACHE_HOME="$scratch/home/.cache"
unset TESSARINE_SCREENS TESSARINE_VIEWS TESSARINE_WELCOME_STEP TESSARINE_EDITOR_SLOT APP_REFRESH_TEST APP_SNAPSHOT
unset DBUS_SESSION_BUS_ADDRESS
# The desktop the tests are started from must not change what they see (its theme, whether it
# keeps windows beneath others).
unset SWAYSOCK XDG_CURRENT_DESKTOP
export TESSARINE_GITHUB_API="http://127.0.0.1:9/"
export TESSARINE_GITHUB_WEB="http://127.0.0.1:9/"
export TESSARINE_UPDATE_FEED="http://127.0.0.1:9/latest.json"
export QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu --no-first-run --disable-background-networking"
if [ "$(id -u)" -eq 0 ]; then
    export QTWEBENGINE_DISABLE_SANDBOX=1
fi

if [ "$unprivileged" -eq 1 ] && [ "$(id -u)" -eq 0 ]; then
    # Without setpriv the case would run as root and skip; fail instead so the gap shows.
    if ! command -v setpriv >/dev/null; then
        echo "setpriv (util-linux) is needed to run this test as an unprivileged user" >&2
        exit 1
    fi
    chown -R nobody:nogroup "$scratch"
    set -- setpriv --reuid=nobody --regid=nogroup --clear-groups "$@"
fi

if [ "$xvfb" -eq 1 ]; then
    unset QT_QPA_PLATFORM
    xvfb-run -a -s "-screen 0 ${screen}x24" "$@"
    exit $?
fi
export QT_QPA_PLATFORM=offscreen
"$@"
