#!/usr/bin/env bash
# Installs what is missing, builds, and starts the editor with the files given.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
# Sourced from here so that the files keep their meaning in the folder the user started in.
source "$here/scripts/install-deps.sh"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "run.sh: no display to show the editor on (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
    exit 1
fi
# Names are Shift-JIS: without a Japanese font the editor shows them as boxes.
trackwell_install fontconfig
if [ -z "$(fc-list :lang=ja family)" ]; then
    echo "run.sh: no Japanese font found; installing fonts-ipafont-gothic to show Japanese names"
    trackwell_install fonts-ipafont-gothic
fi
cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
log="$here/build/run-build.log"
if ! cmake --build "$here/build" -j2 --target trackwell >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "run.sh: the build failed; the whole output is in $log" >&2
    exit 1
fi
exec "$here/build/trackwell" "$@"
