#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Resident memory of the card and every process it started (the renderer process and the web
# engine's own processes), on an X server of 1920 × 1080 with six Colour pages: the peak while the
# first refresh draws, and between refreshes once the renderer process has ended. Sizes are
# summed over the process tree (RSS, which counts shared libraries once per process) and also
# given as PSS (shared pages split between the processes that map them).
#
#   bench/memory/card-memory.sh [path/to/tessarine]      (default build/tessarine)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
program=$(realpath "${1:-$source_dir/build/tessarine}")

if [ -z "${CARD_MEMORY_ON_X:-}" ]; then
    CARD_MEMORY_ON_X=1 exec xvfb-run -a -s "-screen 0 1920x1080x24" "$0" "$program"
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/tessarine-memory.XXXXXX")
card=""
cleanup() {
    if [ -n "$card" ]; then kill "$card" 2>/dev/null || true; wait "$card" 2>/dev/null || true; fi
    rm -rf "$scratch"
}
trap cleanup EXIT
mkdir -p "$scratch/home" "$scratch/data/Tessarine" "$scratch/config/Tessarine" "$scratch/runtime"
chmod 700 "$scratch/runtime"
export HOME="$scratch/home" XDG_DATA_HOME="$scratch/data" XDG_CONFIG_HOME="$scratch/config"
export XDG_RUNTIME_DIR="$scratch/runtime" XDG_CACHE_HOME="$scratch/home/.cache"
export TESSARINE_VIEWS="$source_dir/views" TESSARINE_UPDATE_FEED="http://127.0.0.1:9/latest.json"
unset TESSARINE_SCREENS APP_REFRESH_TEST APP_SNAPSHOT QT_QPA_PLATFORM DBUS_SESSION_BUS_ADDRESS
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi

# Six pages of widgets that need no account; the welcome is done and the look is Colour.
cat > "$XDG_DATA_HOME/Tessarine/settings.json" <<'JSON'
{"logos": true, "providers": ["claude", "codex"], "pages": [
 {"layout": "thirds", "slots": ["today.date", "calendar.next", "countdown"]},
 {"layout": "full", "slots": ["plans.all"]},
 {"layout": "halves", "slots": ["provider.claude", "provider.codex"]},
 {"layout": "twoThirdsLeft", "slots": ["calendar.next", "today.date"]},
 {"layout": "wideTwo", "slots": ["plans.all", "countdown", "provider.wispr"]},
 {"layout": "full", "slots": ["today.date"]}]}
JSON
printf '[General]\nonboarded=true\nlook=colour\n' > "$XDG_CONFIG_HOME/Tessarine/Tessarine.ini"
manifest="$XDG_DATA_HOME/Tessarine/screens/manifest.json"

# The card and its descendants.
tree() {
    local pids=("$1") i=0
    while [ $i -lt ${#pids[@]} ]; do
        for child in $(cat /proc/"${pids[$i]}"/task/*/children 2>/dev/null); do pids+=("$child"); done
        i=$((i + 1))
    done
    echo "${pids[@]}"
}

# "<rss kB> <pss kB>" summed over the tree.
measure() {
    local rss=0 pss=0
    for pid in $(tree "$card"); do
        local r p
        r=$(awk '/^VmRSS:/ {print $2}' /proc/"$pid"/status 2>/dev/null || true)
        p=$(awk '/^Pss:/ {print $2}' /proc/"$pid"/smaps_rollup 2>/dev/null || true)
        rss=$((rss + ${r:-0}))
        pss=$((pss + ${p:-0}))
    done
    echo "$rss $pss"
}

renderer_running() {
    for pid in $(tree "$card"); do
        if { tr '\0' ' ' < /proc/"$pid"/cmdline; } 2>/dev/null | grep -q render-helper; then return 0; fi
    done
    return 1
}

"$program" > "$scratch/stdout" 2> "$scratch/stderr" &
card=$!
# One line a process: "<rss kB> <command>", for the breakdown at the peak.
breakdown() {
    for pid in $(tree "$card"); do
        local r c
        r=$(awk '/^VmRSS:/ {print $2}' /proc/"$pid"/status 2>/dev/null || true)
        c=$({ tr '\0' ' ' < /proc/"$pid"/cmdline; } 2>/dev/null | cut -c1-90 || true)
        echo "${r:-0} kB  $c"
    done
}

peak_rss=0
peak_pss=0
peak_breakdown=""
for _ in $(seq 1 1200); do
    read -r rss pss < <(measure)
    if [ "$rss" -gt "$peak_rss" ]; then peak_rss=$rss; peak_breakdown=$(breakdown); fi
    if [ "$pss" -gt "$peak_pss" ]; then peak_pss=$pss; fi
    if grep -q '"ok": true' "$manifest" 2>/dev/null; then break; fi
    sleep 0.1
done
if ! grep -q '"ok": true' "$manifest" 2>/dev/null; then
    echo "card-memory: the first refresh did not finish" >&2
    cat "$manifest" >&2 2>/dev/null || true
    exit 1
fi
read -r after_rss after_pss < <(measure)

# The renderer process ends itself a minute after its last picture.
for _ in $(seq 1 900); do
    if ! renderer_running; then break; fi
    sleep 0.1
done
sleep 2
read -r idle_rss idle_pss < <(measure)

mb() { awk -v k="$1" 'BEGIN { printf "%.0f MB", k / 1024 }'; }
echo "six Colour pages, 1920x1080:"
echo "  peak while the first refresh draws:  $(mb $peak_rss) RSS, $(mb $peak_pss) PSS"
echo "  right after it, renderer still idle: $(mb $after_rss) RSS, $(mb $after_pss) PSS"
echo "  between refreshes, renderer ended:   $(mb $idle_rss) RSS, $(mb $idle_pss) PSS"
echo "  processes at the peak:"
echo "$peak_breakdown" | sed 's/^/    /'
if [ -s "$scratch/stderr" ]; then
    echo "  standard error of the card:"
    sed 's/^/    /' "$scratch/stderr"
fi
