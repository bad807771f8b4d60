#!/usr/bin/env bash
# Makes docs/screenshot.png: the editor on a virtual X server, showing a container built from
# the sample images, one of them with a Japanese name and write-protected. With "ja", the same
# window under a Japanese locale, as docs/screenshot-ja.png.
# Usage: scripts/screenshot.sh [ja]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/install-deps.sh
trackwell_install xvfb xauth x11-utils xdotool imagemagick openbox fonts-ipafont-gothic

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target trackwell trackwell-cli >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# An installed copy keeps its settings to itself: the window starts as on a fresh machine,
# whatever build/Settings.ini holds.
cmake --install build --prefix "$work/prefix" >/dev/null
cli=build/trackwell-cli
samples=tests/data/samples
container=$work/collection.d88
"$cli" merge "$container" "$samples/fm77av-demo.d77" "$samples/cpm-x1turbo-2d.d88" >/dev/null
"$cli" add-blank "$container" 2HD 77 2 8 3 >/dev/null
"$cli" add-blank "$container" 2DD 80 2 9 2 >/dev/null
"$cli" rename "$container" 2 ゲームディスク >/dev/null
"$cli" rename "$container" 3 "SAVE DATA" >/dev/null
"$cli" rename "$container" 4 "MSX WORK" >/dev/null
"$cli" protect "$container" 2 yes >/dev/null

mkdir -p docs
export TRACKWELL_EDITOR=$work/prefix/bin/trackwell TRACKWELL_CONTAINER=$container
case ${1:-} in
ja) export TRACKWELL_SHOT=$PWD/docs/screenshot-ja.png TRACKWELL_LANG=ja_JP.UTF-8 ;;
*) export TRACKWELL_SHOT=$PWD/docs/screenshot.png TRACKWELL_LANG=C.UTF-8 ;;
esac
xvfb-run --auto-servernum --server-args="-screen 0 800x560x24" bash -c '
    set -euo pipefail
    # The window manager first, so that it frames the window from the start.
    openbox >/dev/null 2>&1 &
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
        sleep 0.1
    done
    LANG=$TRACKWELL_LANG LANGUAGE= LC_ALL= QT_QPA_PLATFORM=xcb "$TRACKWELL_EDITOR" "$TRACKWELL_CONTAINER" 2>/dev/null &
    editor=$!
    window=$(timeout 30 xdotool search --sync --onlyvisible --name "collection\.d88" | head -n 1)
    # Only as tall as the rows need; one row selected, as while working.
    xdotool windowsize --sync "$window" 640 250
    sleep 1
    xdotool mousemove --window "$window" 100 113 click 1
    sleep 1
    import -window "$window" -frame "$TRACKWELL_SHOT"
    kill "$editor"
'
echo "${TRACKWELL_SHOT#"$PWD"/} written"
