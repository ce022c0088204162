#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The card in a real Wayland compositor run headless, through XWayland as the program chooses
# itself when DISPLAY is set. Read from the X side, with the window manager's own properties:
#   mutter, kwin  keep it beneath other windows, on every workspace, out of the taskbar and at
#                 the top centre; its right click opens the menu; the full-screen grid lets
#                 clicks through while a tray offers the menu and takes them when the tray goes.
#   sway          ignores those hints. Without the layer-shell helper Tessarine says so once,
#                 offers no Full Screen, keeps the menu on the right click, and the window rule it
#                 suggests makes the card sticky. With it the card is a layer surface: at the top
#                 centre beneath a terminal and on workspace 2 too (grim's screenshots), a click
#                 changes the page and leaves the terminal the keyboard, a right click opens the
#                 menu, a drag moves it for good; when the helper ends, the card comes back
#                 through XWayland.
# wayland-session.sh mutter|kwin|sway PROGRAM SOURCE_DIR [VIRTUAL_POINTER]
set -u

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

in_ci() {
    case "${CI:-}" in "" | 0 | false | no) return 1 ;; esac
}

# Something the test needs is missing: in CI that fails, elsewhere the test is skipped.
missing() {
    in_ci && fail "$1 is needed ($2); scripts/install-deps installs it"
    echo "SKIP: $1 is not installed ($2)"
    exit 77
}
need() {
    command -v "$1" >/dev/null || missing "$@"
}

inside() {
    # The compositor is up and runs its client: from here on the checks bound their own waits.
    touch "$HOME/client.started"
    # shellcheck source=wayland-checks.sh
    source "$(dirname "$0")/wayland-checks.sh"
    run_checks "$@" >"$HOME/checks.log" 2>&1
    echo $? >"$HOME/checks.status"
    [ "$1" = sway ] && swaymsg exit >/dev/null 2>&1
    return 0
}

if [ "${1:-}" = --inside ]; then
    shift
    inside "$@"
    exit 0
fi

compositor=$1
program=$(realpath "$2")
source_dir=$(realpath "$3")
# A program that gives sway's seat a pointer (tests/desktop/VirtualPointer.cpp).
export VIRTUAL_POINTER=${4:-}
script=$(realpath "$0")

case $compositor in
mutter) need mutter "GNOME's compositor" ;;
kwin) need kwin_wayland "KDE's compositor (kwin-wayland)" ;;
sway)
    need sway "a wlroots compositor"
    need grim "screenshots of a wlroots compositor"
    need foot "a Wayland terminal"
    need jq "to read sway's answers"
    ;;
*) fail "unknown compositor $compositor" ;;
esac
need Xwayland "the X server of Wayland sessions (xwayland)"
need xdotool "clicks and keys on the X server"
need xprop "the window manager's properties (x11-utils)"
need xmessage "an ordinary X window to stack against (x11-utils)"
need dbus-run-session "a private session bus (dbus)"
need dbus-send "to ask the session bus (dbus)"
/usr/bin/python3 -c 'import gi' 2>/dev/null || missing python3-gi "a stand-in tray on the session bus"

# The folder of the X servers' sockets, as an X server makes it: sticky and world-writable, so
# each server (root's or a user's) can put its socket there and none can remove another's. It is
# missing on a machine where no X server has run yet, and a compositor that made it may have left
# it otherwise; XWayland then cannot listen and the card never appears.
x11_sockets=/tmp/.X11-unix
prepare_x11_sockets() {
    if [ ! -d "$x11_sockets" ]; then
        mkdir -m 1777 "$x11_sockets" 2>/dev/null || [ -d "$x11_sockets" ] || fail "cannot make $x11_sockets"
    fi
    [ "$(id -u)" -eq 0 ] && chown root:root "$x11_sockets" && chmod 1777 "$x11_sockets"
    [ "$(stat -c %a "$x11_sockets")" = 1777 ] ||
        fail "$x11_sockets has mode $(stat -c %a "$x11_sockets"), not 1777: no X server can listen there"
}

# Runs the compositor, which runs the checks as its client. One that cannot start says so in
# seconds and one that hangs before running its client is stopped after 30: neither is waited
# for the whole session's time.
run_compositor() {
    "$@" >"$HOME/compositor.log" 2>&1 &
    local session=$! tries=120
    while [ ! -e "$HOME/client.started" ] && kill -0 "$session" 2>/dev/null && [ "$tries" -gt 0 ]; do
        sleep 0.25
        tries=$((tries - 1))
    done
    if [ ! -e "$HOME/client.started" ]; then
        # timeout leads a process group of its own: the compositor and its bus go with it.
        kill -- -"$session" 2>/dev/null || kill "$session" 2>/dev/null
        wait "$session" 2>/dev/null
        tail -n 30 "$HOME/compositor.log"
        fail "$compositor did not start its client within 30 s"
    fi
    wait "$session"
}

prepare_x11_sockets
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM SWAYSOCK XDG_CURRENT_DESKTOP XDG_SESSION_TYPE
mkdir -p "$XDG_CONFIG_HOME/Tessarine" "$XDG_DATA_HOME/Tessarine"
# A second start of a user who has been through the welcome, with pages that need no account.
cat >"$XDG_DATA_HOME/Tessarine/settings.json" <<'EOF'
{"logos": true, "providers": [], "pages": [{"layout": "halves", "slots": ["today.date", "countdown"]},
 {"layout": "full", "slots": ["today.date"]}]}
EOF
printf '[General]\nonboarded=true\n' >"$XDG_CONFIG_HOME/Tessarine/Tessarine.ini"
# KWin starts with one workspace; two show whether the card is on every one.
printf '[Desktops]\nNumber=2\nRows=1\n' >"$XDG_CONFIG_HOME/kwinrc"

client=("$script" --inside "$compositor" "$program" "$source_dir")
case $compositor in
mutter)
    # Mutter ends when its client ends.
    run_compositor timeout 240 dbus-run-session -- mutter --headless --wayland --virtual-monitor 1920x1080 -- \
        "${client[@]}"
    ;;
kwin)
    kwin=$(command -v kwin_wayland)
    # The package gives kwin_wayland a file capability (CAP_SYS_RESOURCE, for its real-time
    # scheduling) that a container without it in its bounding set cannot grant, so the kernel
    # refuses to start it; a copy without the capability runs the same.
    if ! "$kwin" --version >/dev/null 2>&1; then
        cp "$kwin" "$HOME/kwin_wayland"
        kwin="$HOME/kwin_wayland"
    fi
    printf '#!/bin/sh\nexec %q %q %q %q %q\n' "${client[@]}" >"$HOME/client.sh"
    chmod +x "$HOME/client.sh"
    run_compositor timeout 240 dbus-run-session -- "$kwin" --virtual --xwayland --width 1920 --height 1080 \
        --no-lockscreen --exit-with-session "$HOME/client.sh"
    ;;
sway)
    # Sway refuses to run as root; the test runs as an ordinary user (tests/run-isolated.sh
    # --unprivileged).
    # The window rule is the one Tessarine's notice gives, as it stands in the source.
    rule=$(grep -o 'for_window \[[^)]*' "$source_dir/src/ui/card/DesktopStacking.cpp" | head -1)
    [ -n "$rule" ] || fail "no sway window rule in DesktopStacking.cpp"
    # One colour of wallpaper, and a terminal floating over the card's lower left corner in
    # another, for the layer-shell card's screenshots.
    {
        printf 'xwayland enable\noutput * bg #335577 solid_color\n%s\n' "$rule"
        printf 'for_window [app_id="foot"] floating enable, resize set 600 400, move position 200 250\n'
        printf 'exec %q %q %q %q %q\n' "${client[@]}"
    } >"$HOME/sway.config"
    mkdir -p "$XDG_CONFIG_HOME/foot"
    printf '[colors]\nbackground=aa2288\n' >"$XDG_CONFIG_HOME/foot/foot.ini"
    WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
        run_compositor timeout 240 dbus-run-session -- sway -c "$HOME/sway.config"
    ;;
esac
# What the compositor left of the folder is put right for the next X server.
prepare_x11_sockets

cat "$HOME/checks.log" 2>/dev/null
if [ ! -f "$HOME/checks.status" ]; then
    tail -n 30 "$HOME/compositor.log"
    fail "$compositor did not run the checks"
fi
[ "$(cat "$HOME/checks.status")" = 0 ] || fail "$compositor: see above"
echo "PASS: $compositor"
