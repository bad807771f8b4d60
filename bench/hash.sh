#!/usr/bin/env bash
# hash of a container of IMAGES 2HD images (838: about 1 GiB), each algorithm against the system
# tool that digests the same file whole: sha1sum, md5sum, and for CRC-32 rhash --crc32 (the zlib
# and ZIP checksum; cksum's CRC is another). The file is in the page cache for every run; the best
# wall time of ROUNDS is compared, as scheduling noise on a shared machine only ever adds.
# Usage: bench/hash.sh [IMAGES] [ROUNDS]; BUILD names the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
cli=${BUILD:-build}/trackwell-cli
images=${1:-838}
rounds=${2:-5}
work=$(mktemp -d "${TMPDIR:-/tmp}/trackwell-hash.XXXXXX")
trap 'rm -rf "$work"' EXIT
source bench/container.sh
make_container "$cli" "$work" "$images"
file=$work/container.d88
cat "$file" >/dev/null

now_ms() { date +%s%3N; }
best_ms() {
    local best= start took round
    for ((round = 1; round <= rounds; round++)); do
        start=$(now_ms)
        "$@" >"$work/out"
        took=$(($(now_ms) - start))
        if [ -z "$best" ] || [ "$took" -lt "$best" ]; then best=$took; fi
    done
    echo "$best"
}

echo "$(stat -c %s "$file") bytes, $images images, best of $rounds"
printf '%-6s %10s %-16s %10s %7s\n' algo "hash ms" tool "tool ms" ratio
for pair in sha1:sha1sum md5:md5sum crc32:rhash; do
    algo=${pair%%:*}
    tool=${pair#*:}
    case $tool in
    rhash) command=(rhash --crc32 "$file") ;;
    *) command=("$tool" "$file") ;;
    esac
    ours=$(best_ms "$cli" hash "$file" --algorithm "$algo")
    # Every image is a blank of the same bytes: one digest, IMAGES times.
    test "$(cut -f2 "$work/out" | sort -u | wc -l)" -eq 1
    theirs=$(best_ms "${command[@]}")
    printf '%-6s %10d %-16s %10d %7.2f\n' "$algo" "$ours" "${command[0]}" "$theirs" \
        "$(echo "$ours / $theirs" | bc -l)"
done
