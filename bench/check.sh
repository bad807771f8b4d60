#!/usr/bin/env bash
# check of a container of IMAGES 2HD images (838: about 1 GiB) against cat of the same file to
# /dev/null, side by side in each round, both with the file in the page cache. The check sees each
# image where it lies in the file and looks at its track table and sector headers alone, so it
# should cost less than cat's copy of every byte.
# Usage: bench/check.sh [IMAGES] [ROUNDS]; BUILD names the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
cli=${BUILD:-build}/trackwell-cli
images=${1:-838}
rounds=${2:-7}
work=$(mktemp -d "${TMPDIR:-/tmp}/trackwell-check.XXXXXX")
trap 'rm -rf "$work"' EXIT
source bench/container.sh
make_container "$cli" "$work" "$images"
file=$work/container.d88
cat "$file" >/dev/null

now_ms() { date +%s%3N; }
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

checks=()
cats=()
printf '%-6s %10s %10s %7s\n' round "check ms" "cat ms" ratio
for ((round = 1; round <= rounds; round++)); do
    start=$(now_ms)
    cat "$file" >/dev/null
    copy=$(($(now_ms) - start))
    start=$(now_ms)
    "$cli" check "$file" >"$work/findings"
    check=$(($(now_ms) - start))
    test ! -s "$work/findings"
    printf '%-6s %10d %10d %7.2f\n' "$round" "$check" "$copy" "$(echo "$check / $copy" | bc -l)"
    checks+=("$check")
    cats+=("$copy")
done
check=$(median "${checks[@]}")
copy=$(median "${cats[@]}")
printf '%-6s %10d %10d %7.2f\n' median "$check" "$copy" "$(echo "$check / $copy" | bc -l)"
