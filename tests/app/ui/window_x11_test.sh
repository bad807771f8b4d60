#!/usr/bin/env bash
# The editor on a real X server with a window manager, driven by keys: what the offscreen tests
# cannot see. The window manager shows each window's own title (_NET_WM_NAME), which is where a
# dialog would read "Add New — Trackwell - a.d77" if Qt appended the application's name; and the
# window comes back at the place and size the user left it at.
#
#   window_x11_test.sh TRACKWELL SAMPLE
#
# Each step waits for what the next one needs (the window shown and holding the keyboard, the
# menu open, the dialog gone, the geometry taken), never for a time: a busy machine only slows
# it down. Each wait gives up after WAIT_SECONDS, which only a real fault reaches.
set -euo pipefail
editor=$1
sample=$2
WAIT_SECONDS=${WAIT_SECONDS:-60}
for tool in Xvfb openbox xdotool xprop xwininfo; do
    command -v "$tool" >/dev/null || { echo "missing $tool"; exit 1; }
done

work=$(mktemp -d)
xvfb='' wm='' pid=''
cleanup() {
    for process in $pid $wm $xvfb; do
        kill "$process" 2>/dev/null || true
        wait "$process" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
# On standard error: a failure inside $(...) would otherwise end up in the variable.
fail() { echo "FAIL: $*" >&2; exit 1; }
# Runs the command until it succeeds; polls, so that a slow machine only takes longer.
wait_until() {
    local what=$1 deadline=$((SECONDS + WAIT_SECONDS))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || fail "waited ${WAIT_SECONDS} s for $what in vain"
        sleep 0.05
    done
}

# A copy of the program of its own keeps Settings.ini beside it, away from the build's.
cp "$editor" "$work/trackwell"
cp "$sample" "$work/a.d77"
cd "$work"

# The server picks a free display and tells which: runs side by side must not race for one, as
# xvfb-run's search for a free number does.
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
wait_until "the X server" grep -qsx "[0-9]\+" "$work/display"
DISPLAY=":$(cat "$work/display")"
export DISPLAY
start_wm() {
    openbox >/dev/null 2>&1 &
    wm=$!
}
start_wm
# A window manager that has exited before it came up is started again: only one that never comes
# up fails the test, not one that tripped while several started at once on a loaded machine.
wm_ready() {
    kill -0 "$wm" 2>/dev/null || start_wm
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"
}
wait_until "the window manager" wm_ready

title() { xprop -id "$1" _NET_WM_NAME | sed -n "s/^_NET_WM_NAME(UTF8_STRING) = \"\(.*\)\"$/\1/p"; }
shown_titles() {
    for w in $(xdotool search --onlyvisible --name . 2>/dev/null); do title "$w"; done |
        sort -u | tr "\n" "|"
}
# The first window whose title begins with that text, waited for.
find_window() {
    local id deadline=$((SECONDS + WAIT_SECONDS))
    until id=$(xdotool search --onlyvisible --name "^$1" 2>/dev/null | head -n 1) && [ -n "$id" ]; do
        [ "$SECONDS" -lt "$deadline" ] || fail "no window \"$1\" within ${WAIT_SECONDS} s; shown: $(shown_titles)"
        sleep 0.05
    done
    echo "$id"
}
# Keys typed now go to the window: the window manager has given it the focus.
has_keyboard() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; }
gone() { ! xwininfo -id "$1" 2>/dev/null | grep -q "Map State: IsViewable"; }
# A menu of the program is open: the keys that follow choose its entries.
menu_open() {
    local w
    for w in $(xdotool search --onlyvisible --classname "^trackwell$" 2>/dev/null); do
        xprop -id "$w" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q "_MENU" && return 0
    done
    return 1
}
inside() { xwininfo -id "$1" | awk "/Absolute upper-left X/{x=\$4} /Absolute upper-left Y/{y=\$4} /Width/{w=\$2} /Height/{h=\$2} END{print x, y, w, h}"; }
activate() {
    xdotool windowactivate "$1"
    wait_until "the main window to get the keyboard" has_keyboard "$1"
}
# Waits for the dialog to get the keyboard, types the key, and waits for the dialog to close.
dismiss() {
    local name
    name=$(title "$1")
    wait_until "the \"$name\" dialog to get the keyboard" has_keyboard "$1"
    xdotool key "$2"
    wait_until "the \"$name\" dialog to close" gone "$1"
}
# Opens a menu of the main window by its key and chooses an entry by its key.
choose() {
    activate "$main"
    xdotool key "$1"
    wait_until "the menu of $1 to open" menu_open
    xdotool key "$2"
}
start() {
    QT_QPA_PLATFORM=xcb LANG=C.UTF-8 LANGUAGE='' LC_ALL='' ./trackwell a.d77 >/dev/null 2>&1 &
    pid=$!
    main=$(find_window "Trackwell - a.d77")
}

start
read -r _ _ width height <<<"$(inside "$main")"
# Four columns of 180 and 120 pixels, and about twenty rows of 18.
[ "$width" -ge 540 ] && [ "$height" -ge 400 ] || fail "a new window is $width x $height"

# Each dialog found by the start of its title, then its whole title compared.
activate "$main"
xdotool key Insert
dialog=$(find_window "Add New")
[ "$(title "$dialog")" = "Add New" ] || fail "Add New dialog: $(title "$dialog")"
dismiss "$dialog" Escape
activate "$main"
xdotool key F2
dialog=$(find_window "Enter")
[ "$(title "$dialog")" = "Enter" ] || fail "Enter dialog: $(title "$dialog")"
dismiss "$dialog" Escape
# Edit > Check by its keys; the sound sample gets the message that nothing was found.
choose alt+e k
dialog=$(find_window "Check")
[ "$(title "$dialog")" = "Check" ] || fail "Check: $(title "$dialog")"
dismiss "$dialog" Escape
[ "$(title "$main")" = "Trackwell - a.d77" ] || fail "main window: $(title "$main")"

placed=$(inside "$main")
xdotool windowmove "$main" 50 60 windowsize "$main" 900 500
moved() {
    read -r x y w h <<<"$(inside "$main")"
    [ "$w $h" = "900 500" ] && [ "$x $y $w $h" != "$placed" ]
}
wait_until "the window to take its new place and size" moved
left=$(inside "$main")
# File > Exit, by keys.
choose alt+f x
exited() { ! kill -0 "$pid" 2>/dev/null; }
wait_until "Exit to close the window" exited
wait "$pid" || true

start
again=$(inside "$main")
[ "$again" = "$left" ] || fail "left at $left, came back at $again"
echo "titles and placement as expected: $again"
