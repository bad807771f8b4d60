#!/usr/bin/env bash
# The file systems of a container: fs over COUNT images (default 1,000), a quarter each PC-98
# 2HD FAT12 disks made by mkfs.fat and mcopy with a folder and 40 files, MSX 720 KB FAT12 disks
# with 20, blank 2D disks (tried as every file system and found to be none) and random 2HD
# disks; then files of one FAT12 image, the work behind the window's Files panel. Everything
# starts in the page cache.
# Usage: bench/fs.sh [COUNT] [ROUNDS]; BUILD names the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
cli=${BUILD:-build}/trackwell-cli
count=${1:-1000}
rounds=${2:-3}
work=$(mktemp -d "${TMPDIR:-/tmp}/trackwell-fs.XXXXXX")
trap 'rm -rf "$work"' EXIT
export MTOOLS_SKIP_CHECK=1

mkfs.fat -C -S 1024 -g 2/8 -f 2 -r 192 -s 1 -R 1 -M 0xFE "$work/pc98.hdm" 1232 >/dev/null
mkfs.fat -C -S 512 -g 2/9 -f 2 -r 112 -s 2 -R 1 -M 0xF9 "$work/msx.2dd" 720 >/dev/null
mmd -i "$work/pc98.hdm" ::DATA
for i in $(seq 1 20); do
    head -c $((i * 1500)) /dev/urandom >"$work/file$i"
    mcopy -i "$work/pc98.hdm" "$work/file$i" "::FILE$i.BIN"
    mcopy -i "$work/msx.2dd" "$work/file$i" "::FILE$i.BIN"
    mcopy -i "$work/pc98.hdm" "$work/file$i" "::DATA/SAVE$i.DAT"
done
"$cli" blank "$work/blank.d88" 2D 40 2 16 1
head -c 1261568 /dev/urandom >"$work/random.hdm"
"$cli" merge "$work/four.d88" "$work/pc98.hdm" "$work/msx.2dd" "$work/blank.d88" \
    "$work/random.hdm"
inputs=()
for ((i = 0; i < count / 4; i++)); do
    inputs+=("$work/four.d88")
done
"$cli" merge "$work/all.d88" "${inputs[@]}"
cat "$work/all.d88" >/dev/null

now_ms() { date +%s%3N; }
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

alls=()
ones=()
printf '%-6s %16s %14s %16s\n' round "fs $count ms" "cat ms" "files of one ms"
for ((round = 1; round <= rounds; round++)); do
    start=$(now_ms)
    "$cli" fs "$work/all.d88" >"$work/fs.out"
    all=$(($(now_ms) - start))
    start=$(now_ms)
    cat "$work/all.d88" >/dev/null
    cat_ms=$(($(now_ms) - start))
    start=$(now_ms)
    "$cli" files "$work/four.d88" 1 >/dev/null
    one=$(($(now_ms) - start))
    printf '%-6s %16d %14d %16d\n' "$round" "$all" "$cat_ms" "$one"
    alls+=("$all")
    ones+=("$one")
done
echo "file systems found: $(cut -f2 "$work/fs.out" | sort | uniq -c | tr -s ' ' | tr '\n' ';')"
echo "median: fs of $count images $(median "${alls[@]}") ms; files of one image $(median "${ones[@]}") ms"
