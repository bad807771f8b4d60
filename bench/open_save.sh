#!/usr/bin/env bash
# Open + save of a ~1 GiB container of 2HD images against cp of the same file, side by side,
# warm cache. Usage: bench/open_save.sh [BUILD_DIR] [IMAGES]   (defaults: build, 838 images)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
images=${2:-838}
cli="$build/trackwell-cli"
bench="$build/bench/bench_open_save"
out=bench/out
mkdir -p "$out"
rm -f "$out"/*.d88

source bench/container.sh
make_container "$cli" "$out" "$images"
size=$(stat -c %s "$out/container.d88")
echo "container: $images images, $size bytes"

cat "$out/container.d88" > /dev/null # warm the cache
best_cp=999; best_tw=999; best_cps=999
for run in 1 2 3; do
    rm -f "$out/cp.d88" "$out/saved.d88"
    t0=$(date +%s.%N); cp "$out/container.d88" "$out/cp.d88"; t1=$(date +%s.%N)
    cp_seconds=$(awk "BEGIN {print $t1 - $t0}")
    rm -f "$out/cp.d88"; sync
    # Saving puts the bytes on the disk before it replaces the file; cp alone does not.
    t0=$(date +%s.%N); cp "$out/container.d88" "$out/cp.d88"; sync "$out/cp.d88"; t1=$(date +%s.%N)
    cps_seconds=$(awk "BEGIN {print $t1 - $t0}")
    sync
    t0=$(date +%s.%N); report=$("$bench" "$out/container.d88" "$out/saved.d88"); t1=$(date +%s.%N)
    tw_seconds=$(awk "BEGIN {print $t1 - $t0}")
    cmp -s "$out/container.d88" "$out/saved.d88" || { echo "saved file differs"; exit 1; }
    printf 'run %d: cp %.3f s, cp+sync %.3f s, open+save %.3f s (%s)\n' "$run" "$cp_seconds" \
        "$cps_seconds" "$tw_seconds" \
        "$(echo "$report" | tr '\n' ' ')"
    best_cp=$(awk "BEGIN {print ($cp_seconds < $best_cp) ? $cp_seconds : $best_cp}")
    best_cps=$(awk "BEGIN {print ($cps_seconds < $best_cps) ? $cps_seconds : $best_cps}")
    best_tw=$(awk "BEGIN {print ($tw_seconds < $best_tw) ? $tw_seconds : $best_tw}")
    peak_kib=$(echo "$report" | awk '/save_peak_kib/ {print $2}')
done
printf 'best: cp %.3f s, cp+sync %.3f s, open+save %.3f s\n' "$best_cp" "$best_cps" "$best_tw"
printf 'ratio to cp %.2f, to cp+sync %.2f\n' "$(awk "BEGIN {print $best_tw / $best_cp}")" \
    "$(awk "BEGIN {print $best_tw / $best_cps}")"
printf 'peak resident: %d MiB for a %d MiB file (limit N + 64 MiB = %d MiB)\n' \
    $((peak_kib / 1024)) $((size / 1048576)) $((size / 1048576 + 64))
rm -f "$out"/*.d88
