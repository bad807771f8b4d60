#!/usr/bin/env bash
# The editor on a real X server with a window manager, driven by keys: what the offscreen tests
# cannot see. The window manager shows each window's own title (_NET_WM_NAME), which is where a
# dialog would read "Add New — Trackwell - a.d77" if Qt appended the application's name; and the
# window comes back at the place and size the user left it at.
#
#   window_x11_test.sh TRACKWELL SAMPLE
set -euo pipefail
editor=$1
sample=$2
for tool in xvfb-run openbox xdotool xprop xwininfo; do
    command -v "$tool" >/dev/null || { echo "missing $tool"; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A copy of the program of its own keeps Settings.ini beside it, away from the build's.
cp "$editor" "$work/trackwell"
cp "$sample" "$work/a.d77"
export TRACKWELL_WORK=$work

xvfb-run --auto-servernum --server-args="-screen 0 1280x900x24" bash -c '
    set -euo pipefail
    cd "$TRACKWELL_WORK"
    # On standard error: a failure inside $(...) would otherwise end up in the variable.
    fail() { echo "FAIL: $*" >&2; exit 1; }
    openbox >/dev/null 2>&1 &
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
        sleep 0.1
    done
    title() { xprop -id "$1" _NET_WM_NAME | sed -n "s/^_NET_WM_NAME(UTF8_STRING) = \"\(.*\)\"$/\1/p"; }
    # The first window whose title begins with that text, waited for.
    find_window() {
        for _ in $(seq 100); do
            local id
            id=$(xdotool search --onlyvisible --name "^$1" 2>/dev/null | head -n 1 || true)
            [ -n "$id" ] && { echo "$id"; return; }
            sleep 0.1
        done
        fail "no window \"$1\"; shown: $(for w in $(xdotool search --onlyvisible --name . 2>/dev/null); do title "$w"; done | sort -u | tr "\n" "|")"
    }
    inside() { xwininfo -id "$1" | awk "/Absolute upper-left X/{x=\$4} /Absolute upper-left Y/{y=\$4} /Width/{w=\$2} /Height/{h=\$2} END{print x, y, w, h}"; }
    start() {
        QT_QPA_PLATFORM=xcb LANG=C.UTF-8 LANGUAGE= LC_ALL= ./trackwell a.d77 >/dev/null 2>&1 &
        pid=$!
        main=$(find_window "Trackwell - a.d77")
    }

    start
    read -r _ _ width height <<<"$(inside "$main")"
    # Four columns of 180 and 120 pixels, and about twenty rows of 18.
    [ "$width" -ge 540 ] && [ "$height" -ge 400 ] || fail "a new window is $width x $height"

    # Each dialog found by the start of its title, then its whole title compared.
    xdotool windowactivate --sync "$main" key Insert
    dialog=$(find_window "Add New")
    [ "$(title "$dialog")" = "Add New" ] || fail "Add New dialog: $(title "$dialog")"
    xdotool key Escape
    xdotool windowactivate --sync "$main" key F2
    dialog=$(find_window "Enter")
    [ "$(title "$dialog")" = "Enter" ] || fail "Enter dialog: $(title "$dialog")"
    xdotool key Escape
    # Edit > Check by its keys; the sound sample gets the message that nothing was found.
    xdotool windowactivate --sync "$main" key alt+e
    sleep 0.3
    xdotool key k
    dialog=$(find_window "Check")
    [ "$(title "$dialog")" = "Check" ] || fail "Check: $(title "$dialog")"
    xdotool key Escape
    [ "$(title "$main")" = "Trackwell - a.d77" ] || fail "main window: $(title "$main")"

    xdotool windowmove "$main" 50 60 windowsize "$main" 900 500
    sleep 0.5
    left=$(inside "$main")
    # File > Exit, by keys.
    xdotool windowactivate --sync "$main" key alt+f
    sleep 0.3
    xdotool key x
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$pid" 2>/dev/null && fail "Exit did not close the window"

    start
    again=$(inside "$main")
    kill "$pid"
    [ "$again" = "$left" ] || fail "left at $left, came back at $again"
    echo "titles and placement as expected: $again"
'
