#!/usr/bin/env bash
# A folder of COUNT small files (default 500, 200 bytes each) onto a PC-98 2HD FAT12 disk made by
# mkfs.fat and off it again: by trackwell-cli's put and get, and through the Files panel's
# handler as the window adds, undoes and extracts it (bench_tree). Each round starts from the
# empty disk; everything starts in the page cache.
# Usage: bench/tree.sh [COUNT] [ROUNDS]; BUILD names the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}
cli=$build/trackwell-cli
count=${1:-500}
rounds=${2:-3}
work=$(mktemp -d "${TMPDIR:-/tmp}/trackwell-tree.XXXXXX")
trap 'rm -rf "$work"' EXIT

mkfs.fat -C -S 1024 -g 2/8 -f 2 -r 192 -s 1 -R 1 -M 0xFE "$work/pc98.hdm" 1232 >/dev/null
"$cli" merge "$work/empty.d88" "$work/pc98.hdm"
mkdir "$work/TREE"
for ((i = 1; i <= count; i++)); do
    head -c 200 /dev/urandom >"$(printf '%s/TREE/F%04d.TXT' "$work" "$i")"
done

now_ms() { date +%s%3N; }
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

puts=()
gets=()
for ((round = 1; round <= rounds; round++)); do
    cp "$work/empty.d88" "$work/disk.d88"
    rm -rf "$work/out" "$work/window"
    start=$(now_ms)
    "$cli" put "$work/disk.d88" 1 "$work/TREE"
    put=$(($(now_ms) - start))
    start=$(now_ms)
    "$cli" get "$work/disk.d88" 1 TREE "$work/out"
    get=$(($(now_ms) - start))
    diff -r "$work/TREE" "$work/out"
    mkdir "$work/window"
    printf 'round %d: put %d ms, get %d ms; window: ' "$round" "$put" "$get"
    "$build/bench/bench_tree" "$work/empty.d88" "$work/TREE" "$work/window"
    diff -r "$work/TREE" "$work/window/TREE"
    puts+=("$put")
    gets+=("$get")
done
echo "median: put of $count files $(median "${puts[@]}") ms; get $(median "${gets[@]}") ms"
