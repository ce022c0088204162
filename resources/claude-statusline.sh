#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Tessarine's status line for Claude Code.
#
# Claude Code runs this as its status line command and hands it its status as JSON on standard
# input. The plan usage in it (rate_limits.five_hour and rate_limits.seven_day, each with
# used_percentage and resets_at) is saved as Tessarine/claude.json in the data folder, where
# Tessarine reads it at every refresh. Then the status line the user had before Tessarine was
# set up, stored in Tessarine/claude-statusline-previous.txt, runs exactly as Claude Code would
# run it itself: "/bin/sh -c <command>" in the same working directory and environment, with the
# same bytes on standard input, so its output and exit status are what they were before.
#
# Needs only a POSIX shell and either jq or python3. With neither, or when the input carries no
# usage, the last report is left as it is.

# Claude Code ends its status with a line break; a command substitution would drop it, so a
# full stop after the input keeps every byte and is taken off again.
input=$(cat; printf .)
input=${input%.}
# The copy Tessarine installs lives in its own data folder: keep the report beside it, so a
# Claude Code started with another XDG_DATA_HOME still reaches Tessarine. Run from anywhere
# else, the script finds the folder the way Tessarine does.
case "$0" in
*/Tessarine/claude-statusline.sh) folder=${0%/*} ;;
*) folder="${XDG_DATA_HOME:-$HOME/.local/share}/Tessarine" ;;
esac
report="$folder/claude.json"
previous="$folder/claude-statusline-previous.txt"

# The report as one line of JSON on standard output, or nothing when the input has no usage.
report_with_jq() {
    printf '%s' "$input" | jq -c --arg savedAt "$1" '
        def window:
            if type == "object" and (.used_percentage | type) == "number"
            then {used_percentage} + (if .resets_at != null then {resets_at} else {} end)
            else null end;
        (.rate_limits // null) as $limits
        | if ($limits | type) != "object" then empty else
            ({}
             + (($limits.five_hour | window) as $w | if $w then {fiveHour: $w} else {} end)
             + (($limits.seven_day | window) as $w | if $w then {sevenDay: $w} else {} end)) as $report
            | if ($report | length) == 0 then empty else $report + {savedAt: $savedAt} end
          end' 2>/dev/null
}

report_with_python() {
    printf '%s' "$input" | python3 -c '
import json, sys
try:
    status = json.load(sys.stdin)
except Exception:
    sys.exit(0)
limits = status.get("rate_limits") if isinstance(status, dict) else None
if not isinstance(limits, dict):
    sys.exit(0)
report = {}
for source, name in (("five_hour", "fiveHour"), ("seven_day", "sevenDay")):
    window = limits.get(source)
    if not isinstance(window, dict):
        continue
    used = window.get("used_percentage")
    if isinstance(used, bool) or not isinstance(used, (int, float)):
        continue
    entry = {"used_percentage": used}
    if window.get("resets_at") is not None:
        entry["resets_at"] = window["resets_at"]
    report[name] = entry
if report:
    report["savedAt"] = sys.argv[1]
    print(json.dumps(report, separators=(",", ":")))
' "$1" 2>/dev/null
}

save_report() {
    saved_at=$(date -u +%Y-%m-%dT%H:%M:%SZ)
    if command -v jq >/dev/null 2>&1; then
        body=$(report_with_jq "$saved_at")
    elif command -v python3 >/dev/null 2>&1; then
        body=$(report_with_python "$saved_at")
    else
        return 0
    fi
    [ -n "$body" ] || return 0
    mkdir -p "$folder" 2>/dev/null || return 0
    # Written beside the report and moved into place, so a reader never sees half a file.
    partial="$folder/.claude.json.$$"
    if printf '%s\n' "$body" >"$partial" 2>/dev/null && mv -f "$partial" "$report" 2>/dev/null; then
        return 0
    fi
    rm -f "$partial"
}

save_report

# A session that has talked to its service yet carries no plan usage is signed in with an API
# key: Claude Code reports plan usage only for subscriptions. Tessarine says so instead of
# waiting; a later report with usage clears the note.
note_without_plan_usage() {
    no_usage='(.rate_limits | type) != "object" and ((.cost.total_api_duration_ms // 0) | tonumber? // 0) > 0'
    note="$folder/claude-no-plan-usage"
    if command -v jq >/dev/null 2>&1; then
        verdict=$(printf '%s' "$input" | jq -r "if type == \"object\" then ($no_usage) else false end" 2>/dev/null)
    elif command -v python3 >/dev/null 2>&1; then
        verdict=$(printf '%s' "$input" | python3 -c '
import json, sys
try:
    s = json.load(sys.stdin)
except Exception:
    sys.exit(0)
cost = s.get("cost") if isinstance(s, dict) else None
spent = cost.get("total_api_duration_ms") if isinstance(cost, dict) else 0
print(str(isinstance(s, dict) and not isinstance(s.get("rate_limits"), dict)
          and isinstance(spent, (int, float)) and spent > 0).lower())' 2>/dev/null)
    else
        return 0
    fi
    case "$verdict" in
    true) mkdir -p "$folder" 2>/dev/null && date -u +%Y-%m-%dT%H:%M:%SZ >"$note" 2>/dev/null ;;
    false) [ -e "$report" ] && rm -f "$note" 2>/dev/null ;;
    esac
    return 0
}

note_without_plan_usage

# Claude Code runs a status-line command with /bin/sh whatever the user's shell is, so the
# command the user had ran there, and runs there still. Its status is the script's status.
if [ -s "$previous" ]; then
    command=$(cat "$previous"; printf .)
    command=${command%.}
    printf '%s' "$input" | /bin/sh -c "$command"
fi
