#!/usr/bin/env bash
# `list` against the least a listing can do (build/bench/bench_list_minimal: one pread of each
# 688-byte header, seeking by the size fields), both as fresh processes, warm cache, in the same
# run: a 400-image container of 2HD images (about 505 MB), then 1,000,000 header-only images
# (688 MB), the latter with `list`'s peak memory. Usage: bench/list.sh [ROUNDS]; BUILD names
# the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}
cli=$build/trackwell-cli
minimal=$build/bench/bench_list_minimal
rounds=${1:-9}
work=$(mktemp -d "${TMPDIR:-/tmp}/trackwell-list.XXXXXX")
trap 'rm -rf "$work"' EXIT
source bench/container.sh
make_container "$cli" "$work" 400
"$cli" blank "$work/header.d88" 2D 0 0 0 0 --force
for ((i = 0; i < 1000; i++)); do cat "$work/header.d88"; done >"$work/thousand.d88"
for ((i = 0; i < 1000; i++)); do cat "$work/thousand.d88"; done >"$work/million.d88"
cat "$work/container.d88" "$work/million.d88" >/dev/null

now_ns() { date +%s%N; }
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

printf '%-22s %12s %12s %7s\n' container "list ms" "minimal ms" ratio
for name in container million; do
    file=$work/$name.d88
    test "$("$cli" list "$file" | wc -l)" -eq "$("$minimal" "$file")"
    lists=()
    minimals=()
    for ((round = 0; round < rounds; round++)); do
        start=$(now_ns)
        "$cli" list "$file" >/dev/null
        lists+=($((($(now_ns) - start) / 1000)))
        start=$(now_ns)
        "$minimal" "$file" >/dev/null
        minimals+=($((($(now_ns) - start) / 1000)))
    done
    list=$(median "${lists[@]}")
    least=$(median "${minimals[@]}")
    printf '%-22s %12.1f %12.1f %7.2f\n' "$name ($("$minimal" "$file") images)" \
        "$(echo "$list / 1000" | bc -l)" "$(echo "$least / 1000" | bc -l)" \
        "$(echo "$list / $least" | bc -l)"
done
peak=$( { /usr/bin/time -f '%M' "$cli" list "$work/million.d88" >/dev/null; } 2>&1 )
echo "list of 1,000,000 images: peak memory $((peak / 1024)) MiB"
