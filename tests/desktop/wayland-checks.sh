# SPDX-License-Identifier: GPL-3.0-or-later
# The checks of wayland-session.sh, run as the compositor's client (DISPLAY and WAYLAND_DISPLAY
# set by it). Each prints what it saw; run_checks fails when any check failed.

failures=0
problem() {
    echo "  FAILED: $*"
    failures=$((failures + 1))
}

# Polls a command for up to $1 seconds.
wait_for() {
    local seconds=$1
    shift
    local tries=$((seconds * 4))
    while [ "$tries" -gt 0 ]; do
        "$@" && return 0
        sleep 0.25
        tries=$((tries - 1))
    done
    return 1
}

ini="$XDG_CONFIG_HOME/Tessarine/Tessarine.ini"
set_default() {
    sed -i "/^$1=/d" "$ini"
    sed -i "/^\[General\]/a $1=$2" "$ini"
}
default_value() {
    sed -n "s/^$1=//p" "$ini"
}

visible_windows() {
    xdotool search --onlyvisible --class Tessarine 2>/dev/null
}
# The card: the program's visible utility window (its menu is an override-redirect popup, its
# notices dialogs).
find_card() {
    local window
    for window in $(visible_windows); do
        if xprop -id "$window" _NET_WM_WINDOW_TYPE | grep -q _NET_WM_WINDOW_TYPE_UTILITY; then
            card=$window
            return 0
        fi
    done
    return 1
}
start_card() {
    card=
    "$program" 2>>"$HOME/card.err" &
    card_pid=$!
    wait_for 60 find_card || {
        problem "the card did not appear"
        return 1
    }
    # Time for the window manager to place and stack it.
    sleep 2
}
stop_card() {
    kill "$card_pid" 2>/dev/null
    wait "$card_pid" 2>/dev/null
}

geometry() { # x y width height of a window on the root
    xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
        /^  Width/{w=$NF} /^  Height/{h=$NF} END{print x, y, w, h}'
}
workarea() { # x y width height the panels leave free on the first workspace
    xprop -root _NET_WORKAREA 2>/dev/null | sed -n 's/.*= //p' | tr -d ',' | awk '{print $1, $2, $3, $4}'
}
stacking_position() {
    local position=0 window
    for window in $(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //' | tr -d ','); do
        position=$((position + 1))
        [ $((window)) -eq "$1" ] && echo $position
    done
}
pointer_window() { # the window the pointer is over at x y
    xdotool mousemove "$1" "$2" getmouselocation --shell | sed -n 's/^WINDOW=//p'
}
menu_open() {
    [ "$(visible_windows | wc -l)" -gt "$1" ]
}

check_hints() {
    local state
    state=$(xprop -id "$card" _NET_WM_STATE)
    echo "  card's state: ${state#*= }"
    for hint in BELOW SKIP_TASKBAR SKIP_PAGER; do
        grep -q "_NET_WM_STATE_$hint\b" <<<"$state" || problem "the window manager dropped _NET_WM_STATE_$hint"
    done
    # Shown without taking the focus, the card still calls for no one's attention.
    ! grep -q _NET_WM_STATE_DEMANDS_ATTENTION <<<"$state" || problem "the card demands attention"
}

# An ordinary window on the first workspace, beside the card (not over it, so that clicks reach
# the card).
start_other() {
    xmessage -geometry 600x300+100+600 "an ordinary window" 2>/dev/null &
    other_pid=$!
    wait_for 20 xdotool search --onlyvisible --class Xmessage >/dev/null || problem "no ordinary window appeared"
    other=$(xdotool search --onlyvisible --class Xmessage | head -1)
    sleep 1
}

check_beneath() {
    # A click on the card (the next page) must not raise it.
    read -r x y w h < <(geometry "$card")
    xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
    sleep 1
    local below above
    below=$(stacking_position "$card")
    above=$(stacking_position "$other")
    echo "  stacking, bottom first: card $below, ordinary window $above"
    [ -n "$below" ] && [ -n "$above" ] && [ "$below" -lt "$above" ] ||
        problem "the card is not beneath the ordinary window after a click"
}

check_workspaces() {
    local desktops on
    desktops=$(xprop -root _NET_NUMBER_OF_DESKTOPS | awk '{print $NF}')
    on=$(xprop -id "$card" _NET_WM_DESKTOP | awk '{print $NF}')
    echo "  workspaces: $desktops, card on $on"
    [ "$on" = 4294967295 ] || problem "the card is on workspace $on only"
    [ "${desktops:-1}" -ge 2 ] || problem "only one workspace to switch to"
    xdotool set_desktop 1
    wait_for 5 sh -c 'xprop -root _NET_CURRENT_DESKTOP | grep -q "= 1$"' || problem "workspace 2 was not shown"
    # Neither mutter nor KWin unmaps an X window of another workspace or marks it hidden (they
    # hide it in the compositor), so the window manager's own _NET_WM_DESKTOP is what tells.
    [ "$(xprop -id "$card" _NET_WM_DESKTOP | awk '{print $NF}')" = 4294967295 ] ||
        problem "the card left the other workspaces"
    xdotool set_desktop 0
    sleep 0.5
}

check_place() {
    local x y w h ax ay aw ah
    read -r x y w h < <(geometry "$card")
    read -r ax ay aw ah < <(workarea)
    [ -n "$ax" ] || read -r ax ay aw ah < <(xwininfo -root | awk '/^  Width/{w=$NF} /^  Height/{h=$NF} END{print 0, 0, w, h}')
    echo "  card at $x,$y ${w}x$h in the free area $ax,$ay ${aw}x$ah"
    local centre=$((ax + (aw - w) / 2))
    [ $((x - centre)) -le 1 ] && [ $((centre - x)) -le 1 ] || problem "the card is not centred: x $x, not $centre"
    [ "$y" -eq $((ay + 80)) ] || problem "the card is not 80 below the top: y $y"
}

check_menu() {
    local shown x y w h
    shown=$(visible_windows | wc -l)
    read -r x y w h < <(geometry "$card")
    xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 3
    wait_for 5 menu_open "$shown" || problem "a right click on the card opened no menu"
    xdotool key Escape
    wait_for 5 sh -c "[ \$(xdotool search --onlyvisible --class Tessarine | wc -l) -le $shown ]" ||
        problem "Escape did not close the menu"
}

# Full Screen with a tray: clicks pass through the grid; the tray goes away: the grid takes
# them, its right click opens the menu, and after a click Escape goes back to the card.
check_full_screen() {
    local tray x y w h ax ay aw ah
    stop_card
    "$(dirname "${BASH_SOURCE[0]}")/fake-tray.py" "$HOME/tray-items" &
    tray=$!
    wait_for 10 sh -c 'dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
        org.freedesktop.DBus.NameHasOwner string:org.kde.StatusNotifierWatcher | grep -q true' ||
        problem "the stand-in tray did not start"
    set_default size fullScreen
    start_card || return
    read -r x y w h < <(geometry "$card")
    read -r ax ay aw ah < <(xwininfo -root | awk '/^  Width/{w=$NF} /^  Height/{h=$NF} END{print 0, 0, w, h}')
    echo "  full screen: ${w}x$h at $x,$y on ${aw}x$ah"
    [ "$w" -ge $((aw * 9 / 10)) ] || problem "the grid does not fill the screen"
    wait_for 10 test -s "$HOME/tray-items" || problem "the tray icon did not register"
    local cx=$((x + w / 2)) cy=$((y + h / 2))
    local under
    under=$(pointer_window $cx $cy)
    echo "  with a tray the pointer over the grid is over window $under (the grid is $card)"
    [ "$under" != "$card" ] || problem "the grid takes clicks although the tray offers the menu"
    kill "$tray"
    wait "$tray" 2>/dev/null
    local step=0
    grid_takes_pointer() {
        step=$((step + 1))
        [ "$(pointer_window $((cx + step % 2)) $cy)" = "$card" ]
    }
    wait_for 8 grid_takes_pointer || problem "the tray went away and the grid still lets clicks through"
    local shown
    shown=$(visible_windows | wc -l)
    xdotool click 3
    wait_for 5 menu_open "$shown" || problem "without a tray a right click on the grid opened no menu"
    xdotool key Escape
    sleep 0.5
    xdotool click 1
    sleep 0.5
    xdotool key Escape
    wait_for 5 sh -c "[ \$(xwininfo -id $card | awk '/^  Width/{print \$NF}') -lt $((aw / 2)) ]" ||
        problem "Escape did not leave the grid"
    echo "  after Escape: size $(default_value size)"
}

# Sway: the notice, once; no Full Screen; the suggested rule makes the card sticky; the menu on
# the card's right click.
check_ignored_hints() {
    local windows
    windows=$(visible_windows | wc -l)
    echo "  windows shown: $windows; remembered notice: $(default_value stackingNotice)"
    [ "$windows" -eq 2 ] || problem "no notice beside the card"
    [ "$(default_value stackingNotice)" = sway ] || problem "the notice was not remembered for sway"
    local tree
    tree=$(swaymsg -t get_tree)
    /usr/bin/python3 -c '
import json, sys
def walk(node):
    props = node.get("window_properties") or {}
    if props.get("window_type") == "utility" and props.get("class") == "Tessarine":
        yield node
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        yield from walk(child)
cards = list(walk(json.loads(sys.argv[1])))
print("  sway: card %s, sticky %s" % (cards[0]["type"], cards[0]["sticky"]) if cards else "  sway: no card")
sys.exit(0 if cards and cards[0]["sticky"] and cards[0]["type"] == "floating_con" else 1)' "$tree" ||
        problem "the window rule of the notice did not make the card sticky"
    stop_card
    set_default size fullScreen
    start_card || return
    local x y w h
    read -r x y w h < <(geometry "$card")
    echo "  asked for Full Screen: ${w}x$h, size $(default_value size)"
    [ "$w" -lt 1000 ] || problem "Full Screen was shown where the hints are ignored"
    [ "$(default_value size)" != fullScreen ] || problem "Full Screen stayed chosen"
    sleep 1
    [ "$(visible_windows | wc -l)" -eq 1 ] || problem "the notice was shown again"
    # Sway's tray may offer no menu; the card's right click always does.
    check_menu
}

# The layer-shell card on sway, read from screenshots (grim): the wallpaper is one colour, the
# terminal (foot) floats over the card's lower left corner in another.
wallpaper=335577
terminal_colour=aa2288
pixels() {
    /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/card-pixels.py" "$HOME/shot.ppm" "$@"
}
# The pointer is drawn into the picture, so it goes out of the way first. TESSARINE_TEST_SHOTS
# names a folder to keep the screenshots in.
shot() {
    swaymsg seat seat0 cursor set 0 10000 >/dev/null && grim -t ppm "$HOME/shot.ppm" 2>/dev/null || return 1
    [ -z "${TESSARINE_TEST_SHOTS:-}" ] || cp "$HOME/shot.ppm" "$TESSARINE_TEST_SHOTS/shot-$(date +%s.%N).ppm"
}
card_box() { # left top right bottom of what differs from the wallpaper above the terminal
    shot && pixels bbox $wallpaper 200
}
layer_card_shown() { [ "$(card_box)" != none ]; }
terminal_focused() {
    [ "$(swaymsg -t get_tree | jq -r '.. | objects | select(.focused? == true) | .app_id')" = foot ]
}
pointer() { # press|release button x y
    swaymsg seat seat0 cursor set "$3" "$4" >/dev/null && swaymsg seat seat0 cursor "$1" "$2" >/dev/null
}
click_at() { # button x y
    pointer press "$@" && pointer release "$@"
}
start_layer_card() {
    "$program" 2>>"$HOME/card.err" &
    card_pid=$!
    wait_for 60 "$@" || problem "the layer-shell card did not appear"
}

check_layer_card() {
    local left top right bottom ox ow centre under beside page box shown frame
    # It moves by the lines written to it: sway sends no motion while a button is held.
    [ -x "${VIRTUAL_POINTER:-}" ] && mkfifo "$HOME/pointer.in" || { problem "no virtual pointer" && return 1; }
    "$VIRTUAL_POINTER" <"$HOME/pointer.in" >"$HOME/pointer.out" &
    exec 7>"$HOME/pointer.in"
    wait_for 10 grep -qs ready "$HOME/pointer.out" || problem "the virtual pointer did not start"
    # A first start: the place the card had through XWayland is forgotten.
    sed -i '/^TessarineFrame=/d' "$ini"
    start_layer_card layer_card_shown || return 1
    sleep 1
    read -r left top right bottom < <(card_box)
    read -r ox ow < <(swaymsg -t get_outputs | jq -r '.[0].rect | "\(.x) \(.width)"')
    centre=$((ox + ow / 2))
    echo "  layer card: $left,$top to $right,$bottom on an output $ow wide"
    [ $(((left + right) / 2 - centre)) -le 2 ] && [ $((centre - (left + right) / 2)) -le 2 ] ||
        problem "the card is not centred on the output"
    # The window's top is 80 below the output's, and the card's body 16 inside it.
    [ "$top" -ge 95 ] && [ "$top" -le 97 ] || problem "the card's body starts at $top, not 96"
    [ -z "$(visible_windows)" ] || problem "the card also has an X window"

    foot cat >/dev/null 2>&1 &
    other_pid=$!
    wait_for 20 terminal_focused || problem "the terminal did not get the keyboard"
    sleep 1
    shot
    under=$(pixels at $((left + 40)) $((top + 200)))
    beside=$(pixels at $((right - 40)) $((top + 200)))
    echo "  where the terminal overlaps the card: $under; beside it: $beside"
    [ "$under" = $terminal_colour ] || problem "the card is not beneath the terminal"
    [ "$beside" != $terminal_colour ] && [ "$beside" != $wallpaper ] || problem "the card is not drawn beside the terminal"

    wait_for 60 test -f "$XDG_DATA_HOME/Tessarine/screens/manifest.json" || problem "no pages were drawn"
    page=$(default_value page)
    click_at button1 $((right - 60)) $((top + 60))
    wait_for 5 sh -c "[ \"\$(sed -n 's/^page=//p' '$ini')\" != '$page' ]" || problem "a click did not change the page"
    echo "  page $page, after a click $(default_value page)"
    terminal_focused || problem "a click on the card took the keyboard from the terminal"

    swaymsg workspace 2 >/dev/null
    sleep 1
    box=$(card_box)
    under=$(pixels at $((left + 40)) $((top + 200)))
    echo "  workspace 2: card at $box, $under where the terminal was"
    [ "$box" = "$left $top $right $bottom" ] || problem "the card is not on workspace 2 at its place"
    [ "$under" != $terminal_colour ] && [ "$under" != $wallpaper ] || problem "the card is not whole on workspace 2"
    swaymsg workspace 1 >/dev/null

    shown=$(visible_windows | wc -l)
    click_at button3 $((right - 60)) $((top + 60))
    wait_for 5 menu_open "$shown" || problem "a right click on the card opened no menu"
    xdotool key Escape

    frame=$(default_value TessarineFrame)
    pointer press button1 $((right - 60)) $((top + 60))
    printf 'move 50 20\nmove 50 20\n' >&7
    sleep 0.5
    swaymsg seat seat0 cursor release button1 >/dev/null
    sleep 1
    box=$(card_box)
    echo "  dragged by 100,40: card at $box; frame kept $(default_value TessarineFrame), was $frame"
    [ "${box% *}" = "$((left + 100)) $((top + 40)) $((right + 100))" ] || problem "a drag did not move the card"
    [ "$(default_value TessarineFrame)" != "$frame" ] || problem "the dragged place was not kept"
}

# Full Screen: the grid on the bottom layer. Sway's headless session has no tray, so the grid
# takes the right click that opens the menu.
grid_shown() {
    local left top right bottom
    read -r left top right bottom < <(card_box)
    [ "$left" != none ] && [ $((right - left)) -ge $((ow * 9 / 10)) ]
}
check_layer_full_screen() {
    local shown
    stop_card
    set_default size fullScreen
    ow=$(swaymsg -t get_outputs | jq -r '.[0].rect.width')
    start_layer_card grid_shown
    echo "  full screen: $(card_box) on an output $ow wide"
    shown=$(visible_windows | wc -l)
    click_at button3 $((ow / 2)) 100
    wait_for 5 menu_open "$shown" || problem "without a tray a right click on the grid opened no menu"
    xdotool key Escape
}

# The helper ends: the card carries on through XWayland, as a card.
check_layer_card_lost() {
    local helper
    helper=$(pgrep -P "$card_pid" -f tessarine-layer-card) || problem "no layer-shell helper runs"
    kill -KILL $helper
    wait_for 20 find_card || problem "the card did not come back through XWayland when its helper ended"
    kill -0 "$card_pid" 2>/dev/null || problem "Tessarine ended with its helper"
    echo "  helper ended: the card is X window ${card:-none}"
    wait_for 5 sh -c "! grep -q '^size=fullScreen' '$ini'" || problem "Full Screen stayed without the layer shell"
    stop_card
}

run_checks() {
    compositor=$1
    program=$2
    echo "$compositor through XWayland on $DISPLAY ($WAYLAND_DISPLAY)"
    # XWayland starts when its first client connects; one that cannot listen never answers.
    wait_for 20 xprop -root _NET_SUPPORTING_WM_CHECK >/dev/null 2>&1 || {
        problem "the X server on $DISPLAY did not answer within 20 s"
        return 1
    }
    if [ "$compositor" = sway ]; then
        # The card through XWayland, as without the layer-shell helper; then the layer card.
        export TESSARINE_LAYER_CARD=none
        start_card || return 1
        check_ignored_hints
        stop_card
        unset TESSARINE_LAYER_CARD
        check_layer_card
        check_layer_full_screen
        check_layer_card_lost
        exec 7>&-
    else
        start_card || return 1
        start_other
        check_hints
        check_place
        check_workspaces
        check_beneath
        check_menu
        check_full_screen
    fi
    stop_card
    [ -n "${other_pid:-}" ] && kill "$other_pid" 2>/dev/null
    if [ -s "$HOME/card.err" ]; then
        echo "  the card's standard error:"
        sed 's/^/    /' "$HOME/card.err"
    fi
    echo "$failures failed"
    [ "$failures" -eq 0 ]
}
