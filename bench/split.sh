#!/usr/bin/env bash
# split of a container of IMAGES 2HD images (400: about 505 MB) into one file per image, against
# cp of the same bytes into one file followed by sync, side by side in each round. Both start
# with the input in the page cache and nothing left to write, and both end with every byte on
# the disk. Usage: bench/split.sh [IMAGES] [ROUNDS]; BUILD names the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
cli=${BUILD:-build}/trackwell-cli
images=${1:-400}
rounds=${2:-7}
# Beside the input, on the same file system, as a user splits a container in place.
work=$(mktemp -d "${TMPDIR:-/tmp}/trackwell-split.XXXXXX")
trap 'rm -rf "$work"' EXIT
source bench/container.sh
make_container "$cli" "$work" "$images"
cat "$work/container.d88" >/dev/null
sync

now_ms() { date +%s%3N; }

# The disk's own speed varies from one round to the next; the medians say what is typical.
splits=()
copies=()
printf '%-6s %10s %14s %7s\n' round "split ms" "cp+sync ms" ratio
for ((round = 1; round <= rounds; round++)); do
    rm -rf "$work/out" && mkdir "$work/out" && sync
    start=$(now_ms)
    cp "$work/container.d88" "$work/out/all.d88"
    sync
    copy=$(($(now_ms) - start))

    rm -rf "$work/out" && mkdir "$work/out" && sync
    start=$(now_ms)
    "$cli" split "$work/container.d88" "$work/out" >/dev/null
    split=$(($(now_ms) - start))
    test "$(ls "$work/out" | wc -l)" -eq "$images"

    printf '%-6s %10d %14d %7.2f\n' "$round" "$split" "$copy" "$(echo "$split / $copy" | bc -l)"
    splits+=("$split")
    copies+=("$copy")
done
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
split=$(median "${splits[@]}")
copy=$(median "${copies[@]}")
printf '%-6s %10d %14d %7.2f\n' median "$split" "$copy" "$(echo "$split / $copy" | bc -l)"
