#!/usr/bin/env bash
# The window's commands on 10,000 and 100,000 header-only images, and opening a ~1 GiB container
# up to the first painted frame, each against the in-memory list in the same run (Qt's offscreen
# platform). Usage: bench/window.sh [BUILD_DIR] [IMAGES]   (defaults: build, 838 images)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
images=${2:-838}
out=bench/out
mkdir -p "$out"
rm -f "$out"/*.d88
source bench/container.sh
make_container "$build/trackwell-cli" "$out" "$images"
cat "$out/container.d88" >/dev/null # warm the cache
QT_QPA_PLATFORM=offscreen "$build/bench/bench_window" 10000 100000 --open "$out/container.d88"
rm -f "$out"/*.d88
