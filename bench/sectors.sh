#!/usr/bin/env bash
# The Sectors window on a 2HD image: showing it, and stepping through its 1,232 sectors by
# Ctrl+PgDn as key repeat would (Qt's offscreen platform). Goal: the tracks at once, each step
# well under a key repeat's 33 ms. Usage: bench/sectors.sh [BUILD_DIR] [ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
"$build/bench/bench_sectors" "${2:-3}"
